// Resource identifiers shared by the .rc script and the code.
#pragma once

#define IDI_ZARVELLA 100   // the icon the system's screen-saver list shows
#define IDS_DESCRIPTION 1  // the name the system's screen-saver list shows

// The Windows headers as every file of the shell includes them.
#pragma once

#include <windows.h>

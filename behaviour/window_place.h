// Where a window goes on the screen.
#pragma once

namespace zarvella {

// The origin that centres a window: (screen - window) / 2, rounded to
// nearest with halves to even, so windows open where they always did
// (docs/compatibility.md).
int CentredOrigin(int screenExtent, int windowExtent);

}  // namespace zarvella

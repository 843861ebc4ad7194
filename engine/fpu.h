// Floating-point environment for the whole process.
#pragma once

namespace zarvella {

// Mask every floating-point exception (non-stop mode) and round to nearest.
// Divisions by zero and invalid operations in the picture must flow on as
// inf/NaN (docs/compatibility.md).
void MaskFloatingPointExceptions();

}  // namespace zarvella

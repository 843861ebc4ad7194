#include "engine/fpu.h"

#include <cfenv>

namespace zarvella {

// Masked as they always were (docs/compatibility.md).
void MaskFloatingPointExceptions() {
    std::fenv_t env;
    std::feholdexcept(&env);  // clears the flags and installs non-stop mode
    std::fesetround(FE_TONEAREST);
}

}  // namespace zarvella

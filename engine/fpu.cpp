#include "engine/fpu.h"

#include <cfenv>

namespace zarvella {

void MaskFloatingPointExceptions() {
    std::fenv_t env;
    std::feholdexcept(&env);  // clears the flags and installs non-stop mode
    std::fesetround(FE_TONEAREST);
}

}  // namespace zarvella

#include "engine/trig.h"

#include <cmath>
#include <limits>

namespace zarvella {

namespace {
constexpr double kTwoTo63 = 9223372036854775808.0;

// The x87 sine gave up (and left 0) from 2^63 on; kept, so every build draws
// alike (docs/compatibility.md).
inline bool OutOfRange(double x) {
    return std::fabs(x) >= kTwoTo63;
}
}  // namespace

double Sin(double x) {
    if (!std::isfinite(x)) return std::numeric_limits<double>::quiet_NaN();
    if (OutOfRange(x)) return 0.0;
    return std::sin(x);
}

double Cos(double x) {
    if (!std::isfinite(x)) return std::numeric_limits<double>::quiet_NaN();
    if (OutOfRange(x)) return 0.0;
    return std::cos(x);
}

}  // namespace zarvella

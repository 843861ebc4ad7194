#include "behaviour/window_place.h"

namespace zarvella {

int CentredOrigin(int screenExtent, int windowExtent) {
    const int twice = screenExtent - windowExtent;
    int half = twice / 2;
    // Banker's rounding of an odd difference: x.5 goes to the even neighbour,
    // where the windows always opened (docs/compatibility.md).
    if (twice % 2 != 0) {
        const int other = twice > 0 ? half + 1 : half - 1;
        if (other % 2 == 0) half = other;
    }
    return half;
}

}  // namespace zarvella

#include "engine/random.h"

#include <chrono>

namespace zarvella {

// The generator of the picture as it always was (docs/compatibility.md).
int32_t RandomInt(RandomRecord& random, int32_t n) {
    random.state = random.state * 134775813u + 1u;
    const uint64_t product = static_cast<uint64_t>(random.state) * static_cast<uint32_t>(n);
    return static_cast<int32_t>(product >> 32);
}

uint32_t TimeOfDayMs() {
    using namespace std::chrono;
    const auto now = time_point_cast<milliseconds>(system_clock::now());
    const auto today = time_point_cast<days>(now);
    return static_cast<uint32_t>((now - today).count());
}

void SeedRandom(RandomRecord& random) {
    random.state = TimeOfDayMs();
}

}  // namespace zarvella

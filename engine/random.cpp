#include "engine/random.h"

#include <atomic>
#include <chrono>

#include "state/process_state.h"

namespace zarvella {

int32_t RandomInt(int32_t n) {
    uint32_t old = RandomGeneratorState.load(std::memory_order_relaxed);
    uint32_t next;
    do {
        next = old * 134775813u + 1u;
    } while (!RandomGeneratorState.compare_exchange_weak(old, next, std::memory_order_relaxed));
    const uint64_t product = static_cast<uint64_t>(next) * static_cast<uint32_t>(n);
    return static_cast<int32_t>(product >> 32);
}

uint32_t TimeOfDayMs() {
    using namespace std::chrono;
    const auto now = time_point_cast<milliseconds>(system_clock::now());
    const auto today = time_point_cast<days>(now);
    return static_cast<uint32_t>((now - today).count());
}

void SeedRandom() {
    SeedRandomWith(TimeOfDayMs());
}

void SeedRandomWith(uint32_t state) {
    RandomGeneratorState.store(state, std::memory_order_relaxed);
}

uint32_t RandomState() {
    return RandomGeneratorState.load(std::memory_order_relaxed);
}

}  // namespace zarvella

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <ctime>
#include <limits>

#include "engine/fpu.h"
#include "engine/random.h"
#include "engine/trig.h"
#include "tests/fakes/fakes.h"

using namespace zarvella;
using fakes::ReferenceRandom;

TEST(Random, EachDrawStepsTheStateAndTakesTheUpperHalfOfTheProduct) {
    RandomRecord random;
    random.state = 0;
    EXPECT_EQ(RandomInt(random, 1000), 0);  // state 1: 1000 >> 32
    EXPECT_EQ(random.state, 1u);
    EXPECT_EQ(RandomInt(random, 1000), 31);  // state 134775814: 134775814000 >> 32
    EXPECT_EQ(random.state, 134775814u);

    random.state = 0xFFFFFFFFu;  // -134775813 + 1 modulo 2^32
    EXPECT_EQ(RandomInt(random, 0x7FFFFFFF), 2080095741);
    EXPECT_EQ(random.state, 4160191484u);

    ReferenceRandom reference{123456789u};
    random.state = 123456789u;
    const int32_t sizes[] = {1, 2, 9, 1000, 1570, 65536, 0x7FFFFFFF};
    for (int k = 0; k < 7000; ++k) {
        const int32_t n = sizes[k % 7];
        const int32_t got = RandomInt(random, n);
        ASSERT_EQ(got, reference.Next(n)) << "draw " << k;
        ASSERT_GE(got, 0);
        ASSERT_LT(got, n);
    }
    EXPECT_EQ(random.state, reference.state);
}

TEST(Random, SeedIsTheUtcTimeOfDayInMilliseconds) {
    RandomRecord random;
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    const int64_t expected = ((utc.tm_hour * 60 + utc.tm_min) * 60 + utc.tm_sec) * 1000;
    const uint32_t before = TimeOfDayMs();
    SeedRandom(random);
    const uint32_t seeded = random.state;
    const uint32_t after = TimeOfDayMs();
    EXPECT_LT(after, 86400000u);
    if (after >= before) {  // not across midnight
        EXPECT_GE(seeded, before);
        EXPECT_LE(seeded, after);
        EXPECT_NEAR(static_cast<double>(seeded), static_cast<double>(expected), 2000.0);
    }
}

TEST(Trig, HugeArgumentsGiveZeroAndNonFiniteOnesNaN) {
    const double two63 = 9223372036854775808.0;
    const double justBelow = std::nextafter(two63, 0.0);
    for (double x : {two63, -two63, 1e300, -1e19, std::numeric_limits<double>::max()}) {
        EXPECT_EQ(Sin(x), 0.0) << x;
        EXPECT_EQ(Cos(x), 0.0) << x;
    }
    EXPECT_EQ(Sin(justBelow), std::sin(justBelow));
    EXPECT_EQ(Cos(-justBelow), std::cos(-justBelow));
    EXPECT_NE(Sin(justBelow), 0.0);
    const double inf = std::numeric_limits<double>::infinity();
    for (double x : {inf, -inf, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_TRUE(std::isnan(Sin(x))) << x;
        EXPECT_TRUE(std::isnan(Cos(x))) << x;
    }
    for (double x : {0.0, 0.5, -1.25, 100.0, 1e10}) {
        EXPECT_EQ(Sin(x), std::sin(x));
        EXPECT_EQ(Cos(x), std::cos(x));
    }
}

TEST(FloatingPoint, MaskingTurnsTrapsOffAndRoundsToNearest) {
    std::fesetround(FE_UPWARD);
    feenableexcept(FE_DIVBYZERO | FE_INVALID);  // would raise SIGFPE below if left on
    MaskFloatingPointExceptions();
    volatile double zero = 0.0;
    EXPECT_EQ(1.0 / zero, std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(zero / zero));
    EXPECT_EQ(std::fegetround(), FE_TONEAREST);
    volatile double third = 1.0;
    EXPECT_EQ(third / 3.0, 0.3333333333333333);  // nearest, not rounded up
}

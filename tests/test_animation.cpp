#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "engine/animation.h"
#include "engine/random.h"
#include "engine/trig.h"
#include "settings/settings.h"
#include "tests/fakes/fakes.h"

using namespace zarvella;
using fakes::ReferenceRandom;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

class Animation : public ::testing::Test {
  protected:
    PictureRecord picture;
    SaverSettingsRecord& s = picture.settings;
    AnimationStateRecord& a = picture.animation;
    SurfaceGridRecord& g = picture.grid;
    WalkRecord w;
    // The two stages over the picture, as AdvancePicture runs them.
    void Advance() { a = AdvancePhases(a, s.Speed, picture.random); }
    void Build() { w = BuildSurfaceGrid(s, a, g); }
};

// Every element of every array set to `value`.
void FillGrid(SurfaceGridRecord& g, double value) {
    double(*arrays[6])[kGridCols] = {g.GridX, g.GridY, g.GridZ, g.GridR, g.GridG, g.GridB};
    for (auto array : arrays)
        for (int i = 0; i < kGridRows; ++i)
            for (int j = 0; j < kGridCols; ++j) array[i][j] = value;
}

bool RowsHold(const SurfaceGridRecord& g, int firstRow, int lastRow, double value) {
    const double(*arrays[6])[kGridCols] = {g.GridX, g.GridY, g.GridZ, g.GridR, g.GridG, g.GridB};
    for (auto array : arrays)
        for (int i = firstRow; i <= lastRow; ++i)
            for (int j = 0; j < kGridCols; ++j)
                if (array[i][j] != value) return false;
    return true;
}

double Colour(double coordinate, int brightness) {
    return std::sqrt(std::cos(10.0 * coordinate)) * brightness / 3.0;
}

}  // namespace

TEST_F(Animation, SeedingDrawsThreePhasesThenTwoDrawsPerDrift) {
    for (uint32_t seed : {0u, 1u, 4711u, 86399999u, 0xDEADBEEFu}) {
        picture.random.state = seed;
        a = SeedAnimationState(picture.random);
        ReferenceRandom r{seed};
        EXPECT_EQ(a.Phase1, r.Next(1570) / 1000.0);
        EXPECT_EQ(a.Phase2, r.Next(1570) / 1000.0);
        EXPECT_EQ(a.Phase3, r.Next(1570) / 1000.0);
        EXPECT_EQ(a.Drift1, r.Drift());
        EXPECT_EQ(a.Drift2, r.Drift());
        EXPECT_EQ(a.Drift3, r.Drift());
        EXPECT_EQ(picture.random.state, r.state);
    }
    for (uint32_t seed = 0; seed < 86400000u; seed += 86413u) {
        picture.random.state = seed;
        a = SeedAnimationState(picture.random);
        for (double p : {a.Phase1, a.Phase2, a.Phase3}) {
            ASSERT_GE(p, 0.0);
            ASSERT_LE(p, 1.569);
            ASSERT_NEAR(p * 1000, std::round(p * 1000), 1e-9);
        }
        for (double d : {a.Drift1, a.Drift2, a.Drift3}) {
            ASSERT_GE(d, -0.00999 - 1e-15);
            ASSERT_LE(d, 0.00999 + 1e-15);
        }
    }
}

TEST_F(Animation, ZeroDriftsAreAllReplacedBeforeAnyPhaseMoves) {
    s.Speed = 10;
    a.Phase1 = 2.0;  // beyond the upper bound: reflects after the three new drifts
    picture.random.state = 99;
    Advance();
    ReferenceRandom r{99};
    const double d1 = r.Drift(), d2 = r.Drift(), d3 = r.Drift();
    const double reflected = -0.00001 - r.Next(1000) / 100000.0;
    EXPECT_EQ(a.Drift1, reflected);
    EXPECT_EQ(a.Drift2, d2);
    EXPECT_EQ(a.Drift3, d3);
    EXPECT_NE(a.Drift1, d1);
    EXPECT_EQ(a.Phase1, 2.0 + 10 * reflected / 20);
    EXPECT_EQ(a.Phase2, 10 * d2 / 20);
    EXPECT_EQ(a.Phase3, 10 * d3 / 20);
    EXPECT_EQ(picture.random.state, r.state);
}

TEST_F(Animation, ADriftDrawnAsZeroLeavesThePhaseAndIsDrawnAgainNextFrame) {
    uint32_t seed = 0;
    for (;; ++seed) {  // a seed whose first two draws cancel
        ReferenceRandom r{seed};
        if (r.Drift() == 0.0) break;
    }
    s.Speed = 10;
    a.Phase1 = 0.3;
    a.Drift2 = a.Drift3 = 0.001;
    picture.random.state = seed;
    Advance();
    EXPECT_EQ(a.Drift1, 0.0);
    EXPECT_EQ(a.Phase1, 0.3);
    const uint32_t afterFirst = picture.random.state;
    Advance();
    ReferenceRandom r{afterFirst};
    EXPECT_EQ(a.Drift1, r.Drift());
}

TEST_F(Animation, ReflectionOnlyStrictlyBeyondTheNearestDoubleToHalfPi) {
    s.Speed = 10;
    a.Drift1 = a.Drift2 = a.Drift3 = 0.005;
    a.Phase1 = 1.5707963267948966;
    a.Phase2 = -1.5707963267948966;
    picture.random.state = 7;
    Advance();
    EXPECT_EQ(a.Drift1, 0.005);
    EXPECT_EQ(a.Drift2, 0.005);
    EXPECT_EQ(a.Phase1, 1.5707963267948966 + 10 * 0.005 / 20);
    EXPECT_EQ(picture.random.state, 7u);  // no draw at all

    for (uint32_t seed = 0; seed < 300; ++seed) {
        a.Drift1 = 0.005;
        a.Phase1 = std::nextafter(kHalfPi, kInf);
        picture.random.state = seed;
        Advance();
        ReferenceRandom r{seed};
        ASSERT_EQ(a.Drift1, -0.00001 - r.Next(1000) / 100000.0);
        ASSERT_LE(a.Drift1, -0.00001);
        ASSERT_GE(a.Drift1, -0.01);
        ASSERT_EQ(a.Phase1, std::nextafter(kHalfPi, kInf) + 10 * a.Drift1 / 20);
    }
}

TEST_F(Animation, PhaseBelowMinusHalfPiGetsAPositiveDriftAndMovesByHalfOfItAtSpeed10) {
    s.Speed = 10;
    for (uint32_t seed = 0; seed < 300; ++seed) {
        a = {};
        a.Phase1 = -1.6;
        a.Drift1 = -0.004;
        a.Drift2 = a.Drift3 = 0.001;
        picture.random.state = seed;
        Advance();
        ReferenceRandom r{seed};
        ASSERT_EQ(a.Drift1, r.Next(1000) / 100000.0 + 0.00001);
        ASSERT_GE(a.Drift1, 0.00001);
        ASSERT_LE(a.Drift1, 0.01);
        ASSERT_NEAR(a.Phase1, -1.6 + a.Drift1 / 2, 1e-16);
    }
}

TEST_F(Animation, PhasesAtSpeedZeroStayWhileDriftsAreStillRedrawn) {
    s.Speed = 0;
    a.Phase1 = 1.7;  // beyond the bound: a new drift every frame
    a.Phase2 = 0.25;
    a.Phase3 = -0.5;
    picture.random.state = 5;
    uint32_t state = picture.random.state;
    for (int frame = 0; frame < 50; ++frame) {
        Advance();
        ASSERT_EQ(a.Phase1, 1.7);
        ASSERT_EQ(a.Phase2, 0.25);
        ASSERT_EQ(a.Phase3, -0.5);
        ASSERT_LT(a.Drift1, 0.0);
        ASSERT_NE(picture.random.state, state);
        state = picture.random.state;
    }
    EXPECT_NE(a.Drift2, 0.0);
    EXPECT_NE(a.Drift3, 0.0);
}

TEST_F(Animation, NegativeSpeedTurnsTheReflectionIntoARunAway) {
    s.Speed = -10;
    a.Phase1 = 1.6;
    a.Phase2 = -1.6;
    a.Drift1 = a.Drift2 = a.Drift3 = 0.001;
    double previous1 = a.Phase1, previous2 = a.Phase2;
    for (int frame = 0; frame < 200; ++frame) {
        Advance();
        ASSERT_LT(a.Drift1, 0.0);
        ASSERT_GT(a.Drift2, 0.0);
        ASSERT_GT(a.Phase1, previous1);
        ASSERT_LT(a.Phase2, previous2);
        previous1 = a.Phase1;
        previous2 = a.Phase2;
    }
}

TEST_F(Animation, WalkPlacesRowsAndColumnsAtTheirAngles) {
    // Kind 4 with zero phases: x = 3 sin U cos V, y = 3 sin U sin V, z = cos V.
    s.PictureKind = 4;
    s.Detail = 3;
    Build();
    for (int i = 1; i <= 3; ++i) {
        const double V = -kPi / 2 + i * kPi / 6;
        for (int j = 0; j <= 2 * i; ++j) {
            const double U = -kPi / 6 + j * kPi / (6 * i);
            EXPECT_NEAR(g.GridX[i][j], 3 * std::sin(U) * std::cos(V), 1e-12) << i << "," << j;
            EXPECT_NEAR(g.GridY[i][j], 3 * std::sin(U) * std::sin(V), 1e-12) << i << "," << j;
            EXPECT_NEAR(g.GridZ[i][j], std::cos(V), 1e-12) << i << "," << j;
        }
    }
    // Row 0: U = -pi/6, V = -pi/2 as doubles.
    EXPECT_EQ(g.GridZ[0][0], Cos(-1.5707963267948966));
    EXPECT_EQ(g.GridX[0][0], 3 * Sin(-0.5235987755982989) * Cos(-1.5707963267948966));
    EXPECT_EQ(w.AngleU, -0.5235987755982989);
}

TEST_F(Animation, DetailOneHasFourPointsWithRowOneAtVAboutZero) {
    s.PictureKind = 4;
    s.Detail = 1;
    FillGrid(g, 7.0);
    Build();
    EXPECT_NEAR(g.GridX[1][0], -1.5, 1e-15);
    EXPECT_NEAR(g.GridX[1][1], 0.0, 1e-15);
    EXPECT_NEAR(g.GridX[1][2], 1.5, 1e-15);
    for (int j = 0; j <= 2; ++j) EXPECT_NEAR(g.GridZ[1][j], 1.0, 1e-15);
    EXPECT_EQ(g.GridX[1][3], 7.0);
    EXPECT_TRUE(RowsHold(g, 2, 50, 7.0));
}

TEST_F(Animation, DetailZeroComputesOnePointAndLeavesAngleVInfinite) {
    s.PictureKind = 4;
    s.Detail = 0;
    FillGrid(g, 7.0);
    Build();
    EXPECT_NE(g.GridX[0][0], 7.0);
    EXPECT_EQ(g.GridX[0][1], 7.0);
    EXPECT_TRUE(RowsHold(g, 1, 50, 7.0));
    EXPECT_EQ(w.AngleV, kInf);
    s.Detail = 10;  // the next frame starts afresh
    Build();
    EXPECT_NEAR(g.GridZ[10][0], 1.0, 1e-15);
    EXPECT_TRUE(std::isfinite(w.AngleV));
}

TEST_F(Animation, NegativeDetailWritesNothing) {
    s.PictureKind = 1;
    s.Brightness = 9;
    FillGrid(g, 7.0);
    for (int32_t detail : {-1, -30, std::numeric_limits<int32_t>::min()}) {
        s.Detail = detail;
        Build();
        EXPECT_TRUE(RowsHold(g, 0, 50, 7.0)) << detail;
        EXPECT_EQ(w.AngleV, -1.5707963267948966);
        EXPECT_EQ(w.AngleU, -0.5235987755982989);
    }
}

TEST_F(Animation, ColourIsRootOfCosineOfTenTimesTheCoordinateTimesBrightnessThirds) {
    s.PictureKind = 0;  // keeps the coordinates put here
    s.Brightness = 9;
    s.Detail = 2;
    g.GridX[1][0] = 0.0;
    g.GridY[1][0] = kPi / 30;
    g.GridZ[1][0] = kPi / 10;  // cos(pi) < 0: no real root
    g.GridX[2][4] = 0.05;
    g.GridY[2][4] = -0.05;
    g.GridZ[2][4] = 0.2;
    Build();
    EXPECT_EQ(g.GridR[1][0], 3.0);
    EXPECT_NEAR(g.GridG[1][0], 2.1213203, 1e-7);
    EXPECT_TRUE(std::isnan(g.GridB[1][0]));
    EXPECT_DOUBLE_EQ(g.GridR[2][4], Colour(0.05, 9));
    EXPECT_DOUBLE_EQ(g.GridG[2][4], Colour(-0.05, 9));
    EXPECT_TRUE(std::isnan(g.GridB[2][4]));
}

TEST_F(Animation, KindsOutsideTheTenKeepCoordinatesAndRecolourThem) {
    s.Brightness = 5;
    s.Detail = 5;
    for (int32_t kind : {0, 11, -1}) {
        s.PictureKind = kind;
        for (int i = 0; i <= 5; ++i)
            for (int j = 0; j <= 2 * i; ++j) {
                g.GridX[i][j] = 0.01 * j;
                g.GridY[i][j] = -0.02 * i;
                g.GridZ[i][j] = 0.0;
            }
        Build();
        for (int i = 0; i <= 5; ++i)
            for (int j = 0; j <= 2 * i; ++j) {
                ASSERT_EQ(g.GridX[i][j], 0.01 * j);
                ASSERT_EQ(g.GridY[i][j], -0.02 * i);
                ASSERT_EQ(g.GridZ[i][j], 0.0);
                ASSERT_DOUBLE_EQ(g.GridR[i][j], Colour(0.01 * j, 5));
                ASSERT_DOUBLE_EQ(g.GridG[i][j], Colour(-0.02 * i, 5));
                ASSERT_EQ(g.GridB[i][j], 5 / 3.0);
            }
    }
}

TEST_F(Animation, RowsAboveALoweredDetailKeepTheirValues) {
    s.PictureKind = 1;
    s.Brightness = 9;
    a.Phase1 = 0.7;
    a.Phase2 = -0.2;
    a.Phase3 = 1.1;
    s.Detail = 30;
    Build();
    static SurfaceGridRecord at30;
    at30 = g;
    s.Detail = 10;
    Build();
    const size_t rowBytes = sizeof(double) * kGridCols;
    EXPECT_EQ(std::memcmp(g.GridX[11], at30.GridX[11], 20 * rowBytes), 0);
    EXPECT_EQ(std::memcmp(g.GridR[11], at30.GridR[11], 20 * rowBytes), 0);
    EXPECT_EQ(std::memcmp(g.GridB[11], at30.GridB[11], 20 * rowBytes), 0);
    EXPECT_NE(g.GridX[10][3], at30.GridX[10][3]);  // rows 1 to 10 now lie elsewhere
}

TEST_F(Animation, AnyStoredDetailKeepsTheWalkInsideRowsZeroToThirty) {
    s.PictureKind = 2;
    s.Brightness = 9;
    a.Phase1 = 0.4;
    for (int32_t detail : {31, 49, 50, 51, 1000000, std::numeric_limits<int32_t>::max()}) {
        FillGrid(g, -123.0);
        s.Detail = detail;
        Build();
        EXPECT_EQ(s.Detail, detail);  // the stored value itself is kept
        EXPECT_EQ(FrameDetail(s), 30);
        EXPECT_TRUE(RowsHold(g, 31, 50, -123.0)) << detail;
        EXPECT_NE(g.GridX[30][60], -123.0);
        EXPECT_EQ(g.GridX[30][61], -123.0);
        EXPECT_NEAR(g.GridZ[30][0], 1.5, 1e-12);  // row 30 lies at V = 0 as with Detail 30
    }
}

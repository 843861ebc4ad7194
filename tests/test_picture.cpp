#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "engine/animation.h"
#include "engine/picture.h"
#include "engine/trig.h"
#include "settings/settings.h"
#include "tests/fakes/fakes.h"

using namespace zarvella;

namespace {

std::string SixDigits(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", v);
    return text;
}

class Picture : public ::testing::Test {
  protected:
    PictureRecord picture;
};

struct TableRow {
    int kind;
    const char *x, *y, *z;
};

const TableRow kTable[] = {
    {1, "0.323136", "0.421442", "2.88834"},    {2, "-0.775249", "0.0280013", "1.09753"},
    {3, "-0.168507", "0.624618", "1.74699"},   {4, "0.742559", "-0.599059", "0.731689"},
    {5, "0.500184", "-0.236144", "1.45337"},   {6, "0.163168", "-0.631035", "0.100653"},
    {7, "0.163168", "-0.631035", "0.0983691"}, {8, "0.159465", "-0.631035", "0.100653"},
    {9, "0.163168", "-0.631035", "2.88834"},   {10, "0.196556", "0.933087", "0.999827"},
};

}  // namespace

TEST_F(Picture, TenSetsMatchTheReferenceValuesToSixDigits) {
    const PictureInputs in{0.25, -0.75, 0.5, -0.3, 1.2};
    for (const TableRow& row : kTable) {
        PicturePoint p{};
        ASSERT_TRUE(EvaluatePicture(row.kind, in, p));
        EXPECT_EQ(SixDigits(p.x), row.x) << "kind " << row.kind;
        EXPECT_EQ(SixDigits(p.y), row.y) << "kind " << row.kind;
        EXPECT_EQ(SixDigits(p.z), row.z) << "kind " << row.kind;

        // The grid step writes the same point at the walk's position.
        ComputePicturePoint(row.kind, in, picture.grid, 7, 13);
        EXPECT_EQ(picture.grid.GridX[7][13], p.x);
        EXPECT_EQ(picture.grid.GridY[7][13], p.y);
        EXPECT_EQ(picture.grid.GridZ[7][13], p.z);
        EXPECT_EQ(picture.grid.GridX[7][12], 0.0);
        EXPECT_EQ(picture.grid.GridX[6][13], 0.0);
    }
}

TEST_F(Picture, KindsOutsideOneToTenWriteNothing) {
    const PictureInputs in{0.25, -0.75, 0.5, -0.3, 1.2};
    picture.grid.GridX[2][3] = 4.0;
    picture.grid.GridY[2][3] = 5.0;
    picture.grid.GridZ[2][3] = 6.0;
    for (int32_t kind : {0, 11, -1, 100, std::numeric_limits<int32_t>::min(),
                         std::numeric_limits<int32_t>::max()}) {
        PicturePoint p{1.0, 2.0, 3.0};
        EXPECT_FALSE(EvaluatePicture(kind, in, p));
        EXPECT_EQ(p.x, 1.0);
        EXPECT_EQ(p.y, 2.0);
        EXPECT_EQ(p.z, 3.0);
        ComputePicturePoint(kind, in, picture.grid, 2, 3);
        EXPECT_EQ(picture.grid.GridX[2][3], 4.0);
        EXPECT_EQ(picture.grid.GridY[2][3], 5.0);
        EXPECT_EQ(picture.grid.GridZ[2][3], 6.0);
    }
}

TEST_F(Picture, KindsOneAndTwoIgnoreTheSignOfPhase1) {
    std::mt19937 gen(11);
    std::uniform_real_distribution<double> angle(-1.6, 1.6);
    for (int kind : {1, 2}) {
        for (int k = 0; k < 2000; ++k) {
            const PictureInputs in{angle(gen) / 3, angle(gen) / 2, angle(gen), angle(gen),
                                   angle(gen)};
            PictureInputs flipped = in;
            flipped.P1 = -in.P1;
            PicturePoint a{}, b{};
            EvaluatePicture(kind, in, a);
            EvaluatePicture(kind, flipped, b);
            ASSERT_EQ(a.x, b.x);
            ASSERT_EQ(a.y, b.y);
            ASSERT_EQ(a.z, b.z);
        }
    }
}

TEST_F(Picture, ZeroPhase1MakesEveryXNaNInKindsOneAndTwo) {
    picture.settings.Detail = 10;
    picture.settings.Brightness = 9;
    picture.animation.Phase2 = 0.4;
    picture.animation.Phase3 = -0.9;
    for (int kind : {1, 2}) {
        for (double zero : {0.0, -0.0}) {
            picture.animation.Phase1 = zero;
            picture.settings.PictureKind = kind;
            BuildSurfaceGrid(picture.settings, picture.animation, picture.grid);
            for (int i = 0; i <= 10; ++i)
                for (int j = 0; j <= 2 * i; ++j) {
                    ASSERT_TRUE(std::isnan(picture.grid.GridX[i][j]))
                        << kind << " " << i << "," << j;
                    ASSERT_TRUE(std::isfinite(picture.grid.GridY[i][j]));
                    ASSERT_TRUE(std::isfinite(picture.grid.GridZ[i][j]));
                }
        }
    }
}

TEST_F(Picture, KindFourOnlyShiftsByThePhasesAtUZero) {
    for (double V : {-1.5707963267948966, -1.0, -0.3, 0.0}) {
        for (double P1 : {-1.2, 0.0, 0.8}) {
            const double P3 = 0.5 - P1;
            PicturePoint p{};
            EvaluatePicture(4, {0.0, V, P1, 9.0, P3}, p);
            EXPECT_DOUBLE_EQ(p.x, Sin(5 * P1) / 3);
            EXPECT_DOUBLE_EQ(p.y, Sin(5 * P3) / 3);
            EXPECT_EQ(p.z, Cos(V));
        }
    }
    // Past 2^63 the sine gives 0, so the shift vanishes.
    PicturePoint p{};
    EvaluatePicture(4, {0.3, -0.4, 4611686018427387904.0, 0.0, -4611686018427387904.0}, p);
    EXPECT_EQ(p.x, 3 * Sin(0.3) * Cos(-0.4));
    EXPECT_EQ(p.y, 3 * Sin(0.3) * Sin(-0.4));
}

TEST_F(Picture, KindFiveStaysFiniteOverTheWalkForAnyPhases) {
    std::mt19937 gen(5);
    std::uniform_real_distribution<double> wide(-50.0, 50.0);
    picture.settings.PictureKind = 5;
    picture.settings.Detail = 30;
    picture.settings.Brightness = 9;
    for (int trial = 0; trial < 300; ++trial) {
        picture.animation.Phase1 = wide(gen);
        picture.animation.Phase2 = trial < 3 ? kHalfPi * (trial - 1) : wide(gen);
        picture.animation.Phase3 = trial == 3 ? 1e300 : wide(gen);
        BuildSurfaceGrid(picture.settings, picture.animation, picture.grid);
        for (int i = 0; i <= 30; ++i)
            for (int j = 0; j <= 2 * i; ++j) {
                ASSERT_TRUE(std::isfinite(picture.grid.GridX[i][j])) << trial;
                ASSERT_TRUE(std::isfinite(picture.grid.GridY[i][j])) << trial;
                ASSERT_TRUE(std::isfinite(picture.grid.GridZ[i][j])) << trial;
            }
    }
}

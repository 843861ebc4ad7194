#include "engine/animation.h"

#include <cmath>

#include "engine/picture.h"
#include "engine/random.h"
#include "engine/trig.h"

namespace zarvella {

namespace {

// First draw added, second subtracted; sequenced explicitly.
double RandomDrift(RandomRecord& random) {
    const double up = RandomInt(random, 1000) / 100000.0;
    const double down = RandomInt(random, 1000) / 100000.0;
    return up - down;
}

void ReflectAndMove(double& phase, double& drift, int32_t speed, RandomRecord& random) {
    if (phase > kHalfPi) drift = -0.00001 - RandomInt(random, 1000) / 100000.0;
    if (phase < -kHalfPi) drift = RandomInt(random, 1000) / 100000.0 + 0.00001;
    phase = phase + speed * drift / 20.0;
}

double PointColour(double coordinate, int32_t brightness) {
    return std::sqrt(Cos(10.0 * coordinate)) * brightness / 3.0;
}

}  // namespace

// The draws come in this order, one statement each (docs/compatibility.md).
AnimationStateRecord SeedAnimationState(RandomRecord& random) {
    AnimationStateRecord a;
    a.Phase1 = RandomInt(random, 1570) / 1000.0;
    a.Phase2 = RandomInt(random, 1570) / 1000.0;
    a.Phase3 = RandomInt(random, 1570) / 1000.0;
    a.Drift1 = RandomDrift(random);
    a.Drift2 = RandomDrift(random);
    a.Drift3 = RandomDrift(random);
    return a;
}

AnimationStateRecord AdvancePhases(AnimationStateRecord a, int32_t speed, RandomRecord& random) {
    if (a.Drift1 == 0) a.Drift1 = RandomDrift(random);
    if (a.Drift2 == 0) a.Drift2 = RandomDrift(random);
    if (a.Drift3 == 0) a.Drift3 = RandomDrift(random);
    ReflectAndMove(a.Phase1, a.Drift1, speed, random);
    ReflectAndMove(a.Phase2, a.Drift2, speed, random);
    ReflectAndMove(a.Phase3, a.Drift3, speed, random);
    return a;
}

WalkRecord BuildSurfaceGrid(const SaverSettingsRecord& settings,
                            const AnimationStateRecord& animation, SurfaceGridRecord& g) {
    WalkRecord w;
    w.AngleV = -kHalfPi;
    w.AngleU = -kSixthPi;
    const int32_t detail = FrameDetail(settings);
    if (detail < 0) return w;
    for (int32_t i = 0; i <= detail; ++i) {
        const int32_t lastColumn = 2 * i;
        for (int32_t j = 0; j <= lastColumn; ++j) {
            const PictureInputs in{w.AngleU, w.AngleV, animation.Phase1, animation.Phase2,
                                   animation.Phase3};
            ComputePicturePoint(settings.PictureKind, in, g, i, j);
            g.GridR[i][j] = PointColour(g.GridX[i][j], settings.Brightness);
            g.GridG[i][j] = PointColour(g.GridY[i][j], settings.Brightness);
            g.GridB[i][j] = PointColour(g.GridZ[i][j], settings.Brightness);
            // Row 0 divides by zero; the row end below resets AngleU at once
            // (kept: docs/compatibility.md).
            w.AngleU = w.AngleU + kPi / (6.0 * i);
            if (j >= 2 * i) {
                w.AngleU = -kSixthPi;
                w.AngleV = w.AngleV + kPi / (2.0 * detail);
            }
        }
    }
    return w;
}

}  // namespace zarvella

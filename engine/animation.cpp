#include "engine/animation.h"

#include <algorithm>
#include <cmath>

#include "engine/live_settings.h"
#include "engine/picture.h"
#include "engine/random.h"
#include "engine/surface.h"
#include "engine/trig.h"

namespace zarvella {

namespace {

// First draw added, second subtracted; sequenced explicitly.
double RandomDrift() {
    const double up = RandomInt(1000) / 100000.0;
    const double down = RandomInt(1000) / 100000.0;
    return up - down;
}

void ReflectAndMove(double& phase, double& drift) {
    if (phase > kHalfPi) drift = -0.00001 - RandomInt(1000) / 100000.0;
    if (phase < -kHalfPi) drift = RandomInt(1000) / 100000.0 + 0.00001;
    phase = phase + LiveSettings().Speed * drift / 20.0;
}

double PointColour(double coordinate) {
    return std::sqrt(Cos(10.0 * coordinate)) * LiveSettings().Brightness / 3.0;
}

}  // namespace

int32_t FrameDetail() {
    return std::min(LiveSettings().Detail, kMaxFrameDetail);
}
int32_t FrameSegments() {
    return std::min(LiveSettings().Segments, kMaxFrameSegments);
}

void SeedAnimationState() {
    AnimationStateRecord& a = AnimationState;
    a.Phase1 = RandomInt(1570) / 1000.0;
    a.Phase2 = RandomInt(1570) / 1000.0;
    a.Phase3 = RandomInt(1570) / 1000.0;
    a.Drift1 = RandomDrift();
    a.Drift2 = RandomDrift();
    a.Drift3 = RandomDrift();
}

void AdvancePhases() {
    AnimationStateRecord& a = AnimationState;
    if (a.Drift1 == 0) a.Drift1 = RandomDrift();
    if (a.Drift2 == 0) a.Drift2 = RandomDrift();
    if (a.Drift3 == 0) a.Drift3 = RandomDrift();
    ReflectAndMove(a.Phase1, a.Drift1);
    ReflectAndMove(a.Phase2, a.Drift2);
    ReflectAndMove(a.Phase3, a.Drift3);
}

void BuildSurfaceGrid() {
    WalkRecord& w = Walk;
    SurfaceGridRecord& g = SurfaceGrid;
    w.AngleV = -kHalfPi;
    w.AngleU = -kSixthPi;
    const int32_t detail = FrameDetail();
    if (detail < 0) return;
    for (w.RowIndex = 0; w.RowIndex <= detail; ++w.RowIndex) {
        const int32_t i = w.RowIndex;
        const int32_t lastColumn = 2 * i;
        for (w.ColIndex = 0; w.ColIndex <= lastColumn; ++w.ColIndex) {
            const int32_t j = w.ColIndex;
            ComputePicturePoint(i, j);
            g.GridR[i][j] = PointColour(g.GridX[i][j]);
            g.GridG[i][j] = PointColour(g.GridY[i][j]);
            g.GridB[i][j] = PointColour(g.GridZ[i][j]);
            // Row 0 divides by zero; the row end below resets AngleU at once.
            w.AngleU = w.AngleU + kPi / (6.0 * i);
            if (j >= 2 * i) {
                w.AngleU = -kSixthPi;
                w.AngleV = w.AngleV + kPi / (2.0 * detail);
            }
        }
    }
}

void DrawPicture() {
    AdvancePhases();
    BuildSurfaceGrid();
    DrawSurfaceOnEachMonitor();
}

}  // namespace zarvella

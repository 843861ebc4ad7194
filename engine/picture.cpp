#include "engine/picture.h"

#include <cmath>

#include "engine/random.h"
#include "engine/trig.h"

namespace zarvella {

namespace {

inline double Sq(double a) {
    return a * a;
}

// Pieces shared by several sets.
double Kind1Z(const PictureInputs& in) {
    return 1.5 * (Cos(in.U) + Cos(Sin(in.P3 * in.U)));
}
double Kind6X(const PictureInputs& in) {
    return 3.0 * Sin(in.U) * Cos(Sq(3.0 * in.P1 * in.V)) * Cos(in.V);
}
double Kind6Y(const PictureInputs& in) {
    return Sin(Sq(3.0 * in.P2 * in.U)) + Sin(in.V);
}
double Kind7Factor(const PictureInputs& in) {
    return Sin(Sq(5.0 * Sin(in.P3) * in.U));
}
double LogWave(const PictureInputs& in) {
    return Sin(Sq(std::log(std::fabs(in.P1)) + in.V)) * Cos(in.U + in.P2);
}
double SquareWave(const PictureInputs& in) {
    return Cos(Sq(in.U + in.P2)) * Sin(in.V + in.P3);
}

}  // namespace

// Each set stores x, then y, then z; y is rounded to a double before a z that
// reads it back, as it would be from the grid (docs/compatibility.md).
bool EvaluatePicture(int32_t kind, const PictureInputs& in, PicturePoint& out) {
    const double U = in.U, V = in.V, P1 = in.P1, P2 = in.P2, P3 = in.P3;
    switch (kind) {
        case 1:
            out.x = 1.5 * Sin(U) * LogWave(in);
            out.y = Cos(U) * SquareWave(in);
            out.z = Kind1Z(in);
            return true;
        case 2:
            out.x = 1.5 * Cos(U) * Sin(V) + Sin(U) * LogWave(in);
            out.y = 1.5 * Sin(U) * Sin(V) + (Cos(U) / 1.5) * SquareWave(in);
            out.z = 1.5 * Cos(V);
            return true;
        case 3:
            out.x = Sin(U) * Cos(Sq(5.0 * P1 * V)) * Cos(V);
            out.y = Cos(U) / 2.0 + Sin(Sq(5.0 * P2 * U));
            out.z = Cos(U) + Sin(Sq(5.0 * P3 * U));
            return true;
        case 4:
            out.x = 3.0 * Sin(U) * Cos(V) + Sin(5.0 * P1) / 3.0;
            out.y = 3.0 * Sin(U) * Sin(V) + Sin(5.0 * P3) / 3.0;
            out.z = Cos(V);
            return true;
        case 5:
            out.x = 1.5 * Cos(U) * Sin(V) * Sin(P2) + Sin(U) * Cos(P1) * Cos(P2);
            out.y =
                1.5 * Sin(U) * Sin(V) * Sin(P3) + Cos(P3) * std::log(std::fabs(Cos(Sin(P2) + U)));
            out.z = 1.5 * Cos(U);
            return true;
        case 6:
            out.x = Kind6X(in);
            out.y = Kind6Y(in);
            out.z = Cos(V) + out.y;
            return true;
        case 7:
            out.x = Kind6X(in);
            out.y = Kind6Y(in);
            out.z = (Cos(V) + out.y) * Kind7Factor(in);
            return true;
        case 8:
            out.x = Kind6X(in) * Kind7Factor(in);
            out.y = Kind6Y(in);
            out.z = Cos(V) + out.y;
            return true;
        case 9:
            out.x = Kind6X(in);
            out.y = Kind6Y(in);
            out.z = Kind1Z(in);
            return true;
        case 10:
            out.x = Sin(U) * Cos(Sq(3.0 * P1 * V)) * (Sin(P2 + 1.0) + 2.0);
            out.y = (Sin((P3 + 3.0) * U) + Cos(Sin(P2 + U))) / 2.0;
            out.z = Sin(Sin(out.y) + Cos(3.0 * U) + Sin(Sq(Sin(P3) * U)));
            return true;
        default:
            return false;
    }
}

void ComputePicturePoint(int32_t kind, const PictureInputs& in, SurfaceGridRecord& grid,
                         int32_t row, int32_t column) {
    PicturePoint p;
    if (!EvaluatePicture(kind, in, p)) return;
    grid.GridX[row][column] = p.x;
    grid.GridY[row][column] = p.y;
    grid.GridZ[row][column] = p.z;
}

void ChooseRandomPicture(SaverSettingsRecord& settings, RandomRecord& random) {
    if (settings.RandomPicture) settings.PictureKind = RandomInt(random, 9) + 1;
}

}  // namespace zarvella

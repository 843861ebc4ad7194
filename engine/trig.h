// The engine's sine and cosine: a huge argument gives 0, a non-finite one NaN.
#pragma once

namespace zarvella {

double Sin(double x);
double Cos(double x);

}  // namespace zarvella

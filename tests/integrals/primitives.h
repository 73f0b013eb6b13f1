#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "basis/cgf.h"
#include "basis/gto.h"
#include "common/vec3.h"

// Contracted functions of a single normalised primitive (c = 1), the setting in
// which the integrals have simple closed forms.
inline CGF single(double alpha, Vec3 at, unsigned l = 0, unsigned m = 0, unsigned n = 0) {
    return CGF{at, std::vector<GTO>{GTO(1.0, alpha, l, m, n)}};
}
inline CGF s_at(double x, double y = 0.0, double z = 0.0, double alpha = 1.0) { return single(alpha, Vec3(x, y, z)); }
inline CGF px_at(double x, double y = 0.0, double z = 0.0, double alpha = 1.0) {
    return single(alpha, Vec3(x, y, z), 1, 0, 0);
}
inline CGF py_at(double x, double y = 0.0, double z = 0.0, double alpha = 1.0) {
    return single(alpha, Vec3(x, y, z), 0, 1, 0);
}

// Full-precision pi for closed forms that do not depend on the integral code's rounded value.
constexpr double exact_pi = 3.141592653589793;

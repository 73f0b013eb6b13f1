#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "basis/basis_set.h"
#include "basis/cgf.h"
#include "basis/gto.h"
#include "common/vec3.h"
#include "integrals/dipole.h"
#include "integrals/reference/kinetic.h"
#include "integrals/reference/nuclear.h"
#include "integrals/reference/overlap.h"
#include "integrals/reference/repulsion.h"
#include "molecule/atom.h"

// A function with its centre, and the reference routines on such pairs.
struct Placed {
    CGF f;
    Vec3 at;
};
inline double cgf_overlap(const Placed& a, const Placed& b) { return cgf_overlap(a.f, a.at, b.f, b.at); }
inline double cgf_kinetic(const Placed& a, const Placed& b) { return cgf_kinetic(a.f, a.at, b.f, b.at); }
inline double cgf_nuclear(const Placed& a, const Placed& b, const Atom& nucleus) {
    return cgf_nuclear(a.f, a.at, b.f, b.at, nucleus);
}
inline double cgf_repulsion(const Placed& a, const Placed& b, const Placed& c, const Placed& d) {
    return cgf_repulsion(a.f, a.at, b.f, b.at, c.f, c.at, d.f, d.at);
}
inline double cgf_dipole(const Placed& a, const Placed& b, int axis, const Vec3& origin) {
    return cgf_dipole(a.f, a.at, b.f, b.at, axis, origin);
}
// The functions of a basis, each with the position of its atom.
inline std::vector<Placed> placed(const std::vector<CGF>& functions, const std::vector<Atom>& atoms) {
    std::vector<Placed> out;
    for (const CGF& f : functions) out.push_back(Placed{f, centre_of(f, atoms)});
    return out;
}

// The positions of the atoms, by index.
inline std::vector<Vec3> positions(const std::vector<Atom>& atoms) {
    std::vector<Vec3> out;
    for (const Atom& atom : atoms) out.push_back(atom.position);
    return out;
}

// Contracted functions of a single normalised primitive (c = 1), the setting in
// which the integrals have simple closed forms.
inline Placed single(double alpha, Vec3 at, unsigned l = 0, unsigned m = 0, unsigned n = 0) {
    return Placed{CGF{0, std::vector<GTO>{GTO(1.0, alpha, l, m, n)}}, at};
}
inline Placed s_at(double x, double y = 0.0, double z = 0.0, double alpha = 1.0) { return single(alpha, Vec3(x, y, z)); }
inline Placed px_at(double x, double y = 0.0, double z = 0.0, double alpha = 1.0) {
    return single(alpha, Vec3(x, y, z), 1, 0, 0);
}
inline Placed py_at(double x, double y = 0.0, double z = 0.0, double alpha = 1.0) {
    return single(alpha, Vec3(x, y, z), 0, 1, 0);
}

// Full-precision pi for closed forms that do not depend on the integral code's rounded value.
constexpr double exact_pi = 3.141592653589793;

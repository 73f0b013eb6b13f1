#pragma once

#include <vector>

#include "optimize/internal_coordinates.h"

// The diagonal model Hessian of R. Lindh, A. Bernhardsson, G. Karlstroem and P.-A. Malmqvist,
// Chem. Phys. Lett. 241, 423 (1995) in the internal coordinates q at x (atomic numbers z):
//   bond a-b        k_r rho_ab                    k_r = 0.45
//   angle a-b-c     k_f rho_ab rho_bc             k_f = 0.15 (a linear bend too)
//   dihedral a-b-c-d k_t rho_ab rho_bc rho_cd     k_t = 0.005
// with rho_ij = exp(alpha_ij (r_ref,ij^2 - r_ij^2)), alpha and r_ref by the rows of the
// periodic table of i and j (from Na on: the third row's values). Eh/bohr^2, Eh/rad^2.
std::vector<double> lindh_hessian(const std::vector<InternalCoordinate>& q, const std::vector<double>& x,
                                  const std::vector<unsigned>& z);

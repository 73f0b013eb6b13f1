#pragma once

#include <vector>

#include "integrals/md/shell.h"

// Electron repulsion over four contracted shells of any L, chemists' notation,
//   (ab|cd) = sum_pqrs c_p c_q c_r c_s K_ab K_cd 2 pi^(5/2) / (p q sqrt(p + q))
//             sum_tuv E^ab_tuv sum_t'u'v' (-1)^(t'+u'+v') E^cd_t'u'v' R_(t+t')(u+u')(v+v')(pq/(p+q), P - Q),
// McMurchie-Davidson (Helgaker, Jorgensen, Olsen, 9.9.33). Returns the block over the
// shells' functions, indices a, b, c, d, row-major.
std::vector<double> repulsion_block(const GaussianShell& a, const GaussianShell& b, const GaussianShell& c,
                                    const GaussianShell& d);

#pragma once

#include <vector>

#include "integrals/md/shell.h"

// Real solid harmonics in the Cartesian components of one shell, all of which
// carry the norm of x^l (shell.h):
//   S_lm = N_lm sum_{t=0}^{[(l-|m|)/2]} sum_{u=0}^{t} sum_v C_tuv x^(2t+|m|-2(u+v)) y^(2(u+v)) z^(l-2t-|m|),
//   C_tuv = (-1)^(t+v-v_m) (1/4)^t binom(l,t) binom(l-t,|m|+t) binom(t,u) binom(|m|,2v),
// v running from v_m over whole steps to [|m|/2 - v_m] + v_m, v_m = 0 for m >= 0 and 1/2 for m < 0
// (Helgaker, Jorgensen, Olsen, Molecular Electronic-Structure Theory, 6.4.47-6.4.50);
// each row is scaled to unit norm with the one-centre overlap of the components.
// Rows in Molden's order m = 0, +1, -1, +2, -2, ..., columns as cartesian_components(l).
const std::vector<double>& solid_harmonics(int l);

// The matrix taking a shell's components of x^l norm to its functions: the solid
// harmonics for a pure shell of l >= 2, diag(component_scale) for a Cartesian one
// and for s and p (whose pure functions are the Cartesian ones, p as x, y, z);
// function_count(shell) rows by cartesian_count(l) columns, row-major.
const std::vector<double>& shell_transform(int l, bool pure);

// Applies shell_transform to each index of a block of `rank` indices (row-major,
// Cartesian extents of `shells`), returning the block over the shells' functions.
std::vector<double> transform_block(const std::vector<double>& cartesian, const GaussianShell* const* shells, int rank);

#pragma once

#include "linalg/matrix.h"
#include "scf/spin_scf.h"

// Whether two SCF solutions are one state: the occupied orbitals of `a` and of `b` (same
// basis, overlap S) span the same space. The measure is the smallest eigenvalue of M^T M,
// M = C_a,occ^T S C_b,occ: the squared cosine of the largest principal angle between the
// two occupied spaces, 1 for the same space and 0 when an orbital of one is orthogonal to
// all of the other's. The smallest over the channels; 0 when the occupations differ.
double occupied_space_overlap(const SpinRun& a, const SpinRun& b, const Matrix<double>& S);

// A solution at a geometry displaced by a small step from a reference is the reference's
// state continued when the overlap is above this: the displacement turns the occupied space
// by an angle of the order of the step (cos^2 ~ 1 - 1e-4 at 0.005 bohr), while another
// state (an orbital swapped for a virtual one) leaves one direction orthogonal (cos^2 ~ 0).
constexpr double same_state_overlap = 0.5;

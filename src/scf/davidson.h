#pragma once

#include <cstddef>
#include <functional>
#include <vector>

// Davidson's iteration (E. R. Davidson, J. Comput. Phys. 17, 87 (1975)) for the lowest
// eigenpair of a real symmetric matrix A known only by its products with vectors,
// preconditioned by its diagonal: from the start vectors, each step adds the corrections
// (theta - diag)^-1 r of the Ritz pairs not yet converged, restarting from the Ritz
// vectors when the subspace is full.

using FlatVector = std::vector<double>;
// The products A x of several vectors, in their order (computed together where that is cheaper).
using LinearMap = std::function<std::vector<FlatVector>(const std::vector<FlatVector>&)>;

struct DavidsonOptions {
    double residual_tolerance = 0.0;  // |A x - theta x| of a converged pair, set by the caller
    unsigned max_products = 60;        // products A x at most
    // Ritz pairs refined together. Refining the lowest alone can stop on an exact
    // eigenvector that the start spans (the zero mode of a linear molecule) while a lower
    // eigenvalue of another symmetry has not yet appeared; with two, the second holds the
    // pseudo-random start direction and develops it.
    std::size_t roots = 2;
    // The start: unit vectors on the start_units smallest diagonal elements and, with
    // pseudo_random_start, one fixed pseudo-random vector, which has a component along
    // every eigenvector.
    std::size_t start_units = 2;
    bool pseudo_random_start = true;
    std::size_t max_subspace = 16;       // vectors kept before a restart
    double smallest_denominator = 1e-8;  // |theta - diag| of the correction at least this
    // The correction is (theta - diag)^-1 r, or its negative (diag - theta)^-1 r: the
    // same subspace, but the sign of the eigenvector returned may differ.
    bool negated_correction = false;
    // Stop as soon as the refined Ritz values exceed settled_above by four residual norms:
    // an eigenvalue lies within a residual of each and the Ritz values bound the
    // eigenvalues from above; the eigenvalue is then only an upper bound.
    bool stop_when_settled = false;
    double settled_above = 0.0;
    // Stop as soon as the lowest Ritz pair has converged below settled_above, leaving the
    // other refined pairs as they are: enough where only the lowest eigenvalue is reported.
    bool stop_when_lowest_converged_below = false;
};

struct LowestEigenpair {
    double eigenvalue;   // +infinity when the dimension is zero
    FlatVector vector;   // unit norm
    double residual;     // |A x - eigenvalue x|; an eigenvalue of A lies within this of it
    unsigned products;   // products A x computed
    bool converged;      // residual below the tolerance
    bool settled;        // converged, or the refined Ritz values four residuals above settled_above
};

LowestEigenpair lowest_eigenpair(const LinearMap& A, const FlatVector& diagonal, const DavidsonOptions& options);

#pragma once

#include <functional>
#include <vector>

#include "linalg/matrix.h"
#include "scf/davidson.h"
#include "scf/two_electron.h"

// Stability of a real SCF solution against real orbital rotations: the orbital Hessian of
// R. Seeger and J. A. Pople, J. Chem. Phys. 66, 3045 (1977), for one spin channel (closed
// shell) or two (alpha, beta). A rotation x_s,ia turns occupied orbital i of channel s
// into virtual a; for the canonical orbitals C_s of energies e_s,
//   ((A + B) x)_s,ia = (e_s,a - e_s,i) x_s,ia + (C_s,vir^T G_s C_s,occ)_ai,
// where G_s is the two-electron response to the trial densities
// D_s = C_s,vir x_s^T C_s,occ^T + its transpose:
//   closed shell (RHF -> RHF), D standing for both spins:  G = J[2 D] - K[D] = 2 G[D];
//   closed shell to unrestricted (RHF -> UHF, the triplet rotation x_alpha = -x_beta,
//     which leaves the total density alone):                 G = -K[D];
//   unrestricted (UHF -> UHF):                               G_s = J[D_a + D_b] - K[D_s].
// Along a unit x the energy changes as E(t) = E + t^2 w x^T (A + B) x + O(t^3), with w = 2
// electrons per orbital for one channel and 1 for two. The solution is a minimum when the
// lowest eigenvalue of A + B is not negative. A rotation is a flat vector, channel after
// channel, element i * virtual + a of a channel's block.

// One channel's canonical orbitals (columns, S-orthonormal) and their energies.
struct RotatedChannel {
    const Matrix<double>& C;
    const std::vector<double>& energies;
    unsigned occupied;
};

// G_s of the channels' trial densities D_s (symmetric), of several trials at once:
// D[t][s] is trial t's density of channel s, and so is the result's element [t][s].
// One pass over stored integrals serves every trial (TwoElectronOperator::G_each).
using ChannelMatrices = std::vector<Matrix<double>>;
using TrialResponse = std::function<std::vector<ChannelMatrices>(const std::vector<ChannelMatrices>& D)>;

// The three responses above from the SCF's two-electron operator.
TrialResponse closed_shell_response(const TwoElectronOperator& op);
TrialResponse triplet_response(const TwoElectronOperator& op);
TrialResponse unrestricted_response(const TwoElectronOperator& op);

// (A + B) x, and of several x at once.
FlatVector orbital_hessian_product(const std::vector<RotatedChannel>& channels, const TrialResponse& G,
                                   const FlatVector& x);
std::vector<FlatVector> orbital_hessian_products(const std::vector<RotatedChannel>& channels, const TrialResponse& G,
                                                 const std::vector<FlatVector>& x);

// The lowest eigenpair of A + B (lowest_eigenpair, davidson.h, preconditioned by
// e_s,a - e_s,i). Its vector is the rotation.
using LowestRotation = LowestEigenpair;
LowestRotation lowest_rotation(const std::vector<RotatedChannel>& channels, const TrialResponse& G,
                               const DavidsonOptions& options);

// Below this the lowest eigenvalue counts as negative, the solution as unstable.
// The computed eigenvalue is trusted to the sum of (a) the Davidson residual, at most
// stability_residual_tolerance for a negative eigenvalue, which bounds its distance to an
// eigenvalue of A + B; (b) the error of A + B itself at orbitals off self-consistency by the rotation
// |kappa| <= |e| / (2 sqrt(2) g): the orbital energies and the two-electron terms move
// to first order, by about |kappa| times the valence two-electron integrals (below 1
// Hartree), at most 5e-5 at the loosest converged state accepted (the plain loop's N2,
// |e| = 4e-5, g = 0.8; DIIS states are 1e-3 of that); (c) rounding, about 1e-15 n |F|.
// An eigenvalue below -1e-4 is negative beyond all three; the exact zero modes of
// linear molecules with a broken-symmetry occupation (O2 as a closed shell) stay above it.
// The same bound holds for the unrestricted Hessian: its terms are of the same kind and
// its DIIS solutions are converged tighter.
constexpr double instability_threshold = -1e-4;

// The Davidson residual of the stability check, closed or open shell: an eigenvalue lies
// within it of the Ritz value, so a negative one is placed to a tenth of
// instability_threshold, and its eigenvector, which the following rotates along, is that
// close to the mode.
constexpr double stability_residual_tolerance = 1e-5;

// The SCF follows at most this many instabilities, closed or open shell; each restarts a
// DIIS run, and a solution still unstable after that many is reported as unstable.
constexpr unsigned max_followed_instabilities = 6;

// Up to this many basis functions the search for the lowest state is thorough: every
// start of app/scf_search runs, and the stability check converges the lowest Hessian
// eigenpair instead of stopping once its Ritz values lie above the threshold. A Ritz value
// bounds the lowest eigenvalue from above only, and a residual locates some eigenvalue,
// not the lowest: an HN2 anion in STO-3G passed as stable with a lowest eigenvalue of
// -0.003 Hartree. Both cost milliseconds there; beyond, the converged check alone doubled
// the SCF time of caffeine (80 functions, 1.2 s to 2.3 s).
constexpr unsigned thorough_search_functions = 30;

// Up to this many basis functions the open-shell check converges its lowest eigenpair
// whatever its sign, and the JSON reports the eigenvalue (lowest_orbital_hessian_eigenvalue).
// It costs a few more Hessian products there (the naphthyl radical, 57 functions: 16
// against 11); beyond, it stops once the sign is settled, as the closed-shell check does:
// converging took 48 products against 10 on the C40H81 radical (281 functions) and
// more than doubled its run (108 s to 252 s).
constexpr unsigned converged_open_shell_check_functions = 100;

// The options of the stability check of a solution in `functions` basis functions and
// one or two spin channels: converged up to thorough_search_functions (closed shell) or
// converged_open_shell_check_functions (open shell), else stopped once its sign is settled.
DavidsonOptions stability_options(unsigned functions, unsigned channels);

// The RHF -> UHF check of a closed-shell solution of orbitals C and energies e. A negative
// eigenvalue is only reported, not followed, so its eigenvector is needed no better than
// this residual; the eigenvalue, quadratic in the residual, is then within about
// residual^2 / (distance to the next eigenvalue), 1e-7 Hartree, of the converged one, for
// a third of the products of stability_residual_tolerance. It stops once settled.
constexpr double triplet_residual_tolerance = 1e-4;
// Up to this many functions the triplet check refines its second Ritz pair on after the
// lowest has converged below instability_threshold; beyond, it stops there, since only the
// lowest is reported: benzene in 6-31G* (102 functions, triplet-unstable) took 17 exchange
// builds instead of 24.
constexpr unsigned refined_triplet_check_functions = 80;
LowestRotation lowest_triplet_rotation(const Matrix<double>& C, const std::vector<double>& energies, unsigned nocc,
                                       const TwoElectronOperator& two_electron);

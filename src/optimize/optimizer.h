#pragma once

#include <functional>
#include <vector>

#include "linalg/matrix.h"

// Minimisation of an energy over nuclear positions: rational-function (RFO) steps in
// redundant internal coordinates (optimize/internal_coordinates.h) from Lindh's model
// Hessian, BFGS updates, a trust radius, and Cartesian steps when the internals fail.
// Positions are one array of 3N values in bohr, atom by atom; energies in Eh.

struct EnergyGradient {
    double energy = 0.0;
    std::vector<double> gradient;  // dE/dx, Eh/bohr
};
using EnergyFunction = std::function<EnergyGradient(const std::vector<double>& x)>;

// Converged when at one geometry the largest and the RMS force and the largest and the RMS
// component of the next step are all below these (Eh/bohr or Eh/rad; bohr or rad) and the
// step's predicted energy gain is below 1e-6 Eh, or the RMS force alone is below
// rms_force / 100 (a flat minimum, where the step stays long: Gaussian's rule, as Psi4's
// optking applies it with g_convergence gau).
struct ConvergenceCriteria {
    double max_force, rms_force, max_step, rms_step;
};
// Gaussian's defaults, and those of its "tight" option.
constexpr ConvergenceCriteria default_convergence{4.5e-4, 3.0e-4, 1.8e-3, 1.2e-3};
constexpr ConvergenceCriteria tight_convergence{1.5e-5, 1.0e-5, 6.0e-5, 4.0e-5};

struct OptimizerSettings {
    ConvergenceCriteria criteria = default_convergence;
    unsigned max_steps = 100;  // energy and gradient evaluations
    double trust = 0.5;        // first trust radius, in the norm of the step's coordinates
};

// One geometry of the search: its energy and forces and the step planned from it.
struct OptimizationStep {
    unsigned step = 0;  // from 1
    double energy = 0.0;
    double change = 0.0;  // from the previous geometry; 0 at the first
    double max_force = 0.0, rms_force = 0.0;
    double max_step = 0.0, rms_step = 0.0;
    double trust = 0.0;
    bool cartesian = false;  // the step is in Cartesians: the internal coordinates failed
    std::vector<double> x;
    std::vector<double> gradient;  // Cartesian, at x
};

struct OptimizationTrace {
    bool converged = false;
    std::vector<double> x;  // the last geometry
    double energy = 0.0;
    std::vector<OptimizationStep> steps;
};

// The trust radius after a step whose energy change was `ratio` times the predicted one:
// a quarter when below 0.25 (or the energy rose), three times when above 0.75, within 0.001
// to 1 (R. Fletcher, "Practical Methods of Optimization" (1987), ch. 5; the factors and the
// first radius, 0.5, are Psi4's optking's: they let the floppy molecules of Baker's set take
// the long steps their torsions need; docs/baker.md gives their effect).
double updated_trust(double trust, double ratio);

// Whether the search stops at the geometry of step s, whose planned step is predicted to
// change the energy by predicted_gain (Eh).
bool is_converged(const OptimizationStep& s, const ConvergenceCriteria& c, double predicted_gain);

// The nearest minimum of f from x0 (atoms of atomic numbers z). `observe` sees each step
// as soon as its geometry has been computed. Whatever f throws leaves unchanged.
OptimizationTrace minimize(const std::vector<double>& x0, const std::vector<unsigned>& z, const EnergyFunction& f,
                           const OptimizerSettings& settings,
                           const std::function<void(const OptimizationStep&)>& observe = nullptr);

// The step s minimising the quadratic model g.s + s.H.s/2 within |s| <= trust: Newton's when H
// is positive definite and it is that short, else s = -(H - nu)^-1 g with nu below H's lowest
// eigenvalue and |s| = trust (J. J. More and D. C. Sorensen, SIAM J. Sci. Stat. Comput. 4, 553
// (1983); the restricted-step RFO of J. Besalu and J. M. Bofill, Theor. Chem. Acc. 100, 265
// (1998) is the same step). Scaling the unrestricted RFO step down to the radius instead
// keeps its direction, set by the softest modes, and cuts the stiff ones' parts with it.
std::vector<double> trust_region_step(const Matrix<double>& H, const std::vector<double>& g, double trust);

// BFGS updates of the Hessian H by the coordinate changes s[k] and gradient changes y[k]
// from earlier geometries to the present one, in that order (oldest first: the last pair's
// secant condition H s = y then holds exactly); a pair whose curvature y.s is not positive
// is skipped (its update would lose positive definiteness).
void bfgs_updates(Matrix<double>& H, const std::vector<std::vector<double>>& s,
                  const std::vector<std::vector<double>>& y);

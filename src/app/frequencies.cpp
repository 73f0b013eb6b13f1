#include "app/frequencies.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <sstream>

#include "common/failure.h"
#include "common/quote.h"
#include "gradient/scf_gradient.h"
#include "properties/calculation_properties.h"
#include "properties/properties.h"
#include "report/listing.h"
#include "report/verdict.h"
#include "scf/same_state.h"
#include "system/parallel.h"
#include "vibration/displacement_symmetry.h"
#include "vibration/rigid_motion.h"

namespace {

// The gradient (3N, atom-major) and dipole of one displaced geometry.
struct Displaced {
    std::vector<double> gradient;
    std::array<double, 3> dipole{0.0, 0.0, 0.0};
};

std::vector<double> flat(const std::vector<Vec3>& g) {
    std::vector<double> out;
    for (const Vec3& v : g) out.insert(out.end(), {v.x, v.y, v.z});
    return out;
}

const SpinRun& reported(const Calculation& calc) { return calc.tightened ? *calc.tightened : calc.result; }

}  // namespace

Vibrations compute_vibrations(const PreparedRun& prepared, const Calculation& reference, const Settings& settings,
                              const ThermoConditions& conditions, unsigned workers, const std::string& path) {
    for (const Atom& a : prepared.molecule.atoms)
        if (a.ghost)
            throw Failure{"Error in input file " + quoted(path) +
                              ": --frequencies needs every atom to have a nucleus; ghost atoms have no mass",
                          exit_status::unsupported};
    const unsigned n = prepared.molecule.nratoms();
    const StartDensities start = reported(reference).densities();
    Settings displaced_settings = settings;
    displaced_settings.checks = ScfChecks::displacement;  // the reference's checks hold for its state
    displaced_settings.diis = true;
    displaced_settings.threads = 1;
    displaced_settings.progress = false;

    // The heaviest atom stays: its rows follow from the others' (below), and its mass
    // divides whatever noise they carry the most.
    unsigned kept = 0;
    for (unsigned a = 1; a < n; ++a)
        if (prepared.molecule.atoms[a].element > prepared.molecule.atoms[kept].element) kept = a;

    // --- the symmetry operations the reference state keeps ---
    const std::vector<double> reference_gradient = flat(scf_gradient(reference, workers));
    const Properties reference_properties = calculation_properties(reference);
    std::vector<Vec3> positions;
    std::vector<unsigned> elements;
    for (const Atom& a : prepared.molecule.atoms) {
        positions.push_back(a.position);
        elements.push_back(a.element);
    }
    std::vector<AxisOperation> operations;
    for (AxisOperation& op : axis_operations(positions, elements))
        if (state_keeps(op, reference_gradient, {reference_properties.mulliken_charges, reference_properties.mulliken_spin},
                        reference_properties.dipole, reference_properties.molecular_charge))
            operations.push_back(std::move(op));
    // Run 2 k + (0: +h, 1: -h) moves coordinate coordinates[k].
    const auto moves_of = [](const std::vector<unsigned>& coordinates) {
        std::vector<Displacement> moves;
        for (unsigned coordinate : coordinates) moves.insert(moves.end(), {{coordinate, 1}, {coordinate, -1}});
        return moves;
    };

    // --- three more coordinates whose rows the rotations give (vibration/rigid_motion.h) ---
    // Candidates: coordinates of atoms heavier than hydrogen (the rows' noise, divided by the
    // square root of the mass, weighs least there) that every operation leaves on themselves,
    // so that leaving one out spares its computed runs and no other's.
    std::vector<unsigned> translated;  // every coordinate but the kept atom's
    for (unsigned i = 0; i < 3 * n; ++i)
        if (n == 1 || i / 3 != kept) translated.push_back(i);
    std::vector<unsigned> rotation;
    if (n > 2) {
        const std::vector<DisplacementSource> all = plan_displacements(moves_of(translated), operations);
        std::vector<RotationCandidate> candidates;
        for (std::size_t k = 0; k < translated.size(); ++k) {
            const unsigned i = translated[k], b = i / 3, c = i % 3;
            bool fixed = elements[b] > 1;
            for (const AxisOperation& op : operations) fixed = fixed && op.image[b] == b && op.axis[c] == c;
            const unsigned spared = (all[2 * k].operation < 0 ? 1u : 0u) + (all[2 * k + 1].operation < 0 ? 1u : 0u);
            if (fixed && spared > 0) candidates.push_back({i, spared});
        }
        rotation = rotation_coordinates(positions, kept, candidates);
    }
    std::vector<unsigned> displaced;  // the Cartesian coordinates moved, 3 a + c
    for (unsigned i : translated)
        if (std::find(rotation.begin(), rotation.end(), i) == rotation.end()) displaced.push_back(i);
    const std::vector<Displacement> moves = moves_of(displaced);
    const std::vector<DisplacementSource> plan = plan_displacements(moves, operations);
    // A task: the computed runs of one coordinate, +h first. When it has both, the -h run
    // starts from 2 P(0) - P(+h), the reference densities mirrored through the +h run's: their
    // error is O(h^2) against O(h) for P(0) (water cc-pVTZ: 3 SCF steps instead of 7).
    std::vector<std::vector<unsigned>> tasks;
    for (unsigned d = 0; d < plan.size(); ++d)
        if (plan[d].operation >= 0) continue;
        else if (d % 2 == 1 && !tasks.empty() && tasks.back().front() == d - 1) tasks.back().push_back(d);
        else tasks.push_back({d});

    // --- the gradients of the computed runs, then their images ---
    // Each run moves one atom: the reference's two-electron integrals among the other
    // atoms' functions stand.
    std::optional<MolecularIntegrals> reference_integrals;
    const BasisSet basis = molecular_basis(prepared.molecule);
    if (shares_integrals_after_move(basis, displaced_settings)) {
        Listing quiet(false);
        reference_integrals = compute_integrals(prepared.molecule, basis, displaced_settings, path, quiet);
    }
    std::vector<Displaced> runs(moves.size());
    const auto displaced_run = [&](unsigned d, const StartDensities& from) {
        const unsigned coordinate = moves[d].coordinate;
        const double step = moves[d].sign * hessian_step;
        Molecule moved = prepared.molecule;
        Vec3& p = moved.atoms[coordinate / 3].position;
        (coordinate % 3 == 0 ? p.x : coordinate % 3 == 1 ? p.y : p.z) += step;
        Listing quiet(false);
        std::optional<MovedAtom> moved_atom;
        if (reference_integrals) moved_atom.emplace(MovedAtom{*reference_integrals, coordinate / 3});
        const MolecularIntegrals integrals = compute_integrals(moved, molecular_basis(moved), displaced_settings, path,
                                                               quiet, moved_atom ? &*moved_atom : nullptr);
        Calculation calc = compute_scf(moved, prepared.spin, integrals, displaced_settings, path, quiet, &from);
        Verdict v = verdict(calc);
        if (v.status == exit_status::ok) {
            const double overlap = occupied_space_overlap(reported(reference), calc.result, calc.S);
            if (!(overlap > same_state_overlap))
                v = {exit_status::unstable, "it reached another state than the one at the input geometry (overlap of "
                                            "the occupied spaces " + std::to_string(overlap) + ")"};
        }
        if (v.status != exit_status::ok) {
            std::ostringstream msg;
            msg << "Error in input file " << quoted(path) << ": the SCF of the frequency run with atom "
                << coordinate / 3 + 1 << " moved by " << step << " bohr along " << "xyz"[coordinate % 3]
                << " failed: " << v.message;
            throw Failure{msg.str(), v.status};
        }
        runs[d].gradient = flat(scf_gradient(calc, 1));
        runs[d].dipole = calculation_dipole(calc);
        return calc;
    };
    run_parallel(workers, static_cast<unsigned>(tasks.size()), [&](unsigned task) {
        const Calculation plus = displaced_run(tasks[task].front(), start);
        if (tasks[task].size() == 1) return;
        StartDensities mirrored = plus.result.densities();
        for (std::size_t s = 0; s < mirrored.size(); ++s)
            for (int i = 0; i < mirrored[s].rows(); ++i)
                for (int j = 0; j < mirrored[s].cols(); ++j) mirrored[s][i][j] = 2.0 * start[s][i][j] - mirrored[s][i][j];
        displaced_run(tasks[task].back(), mirrored);
    });
    for (unsigned d = 0; d < plan.size(); ++d)
        if (plan[d].operation >= 0) {
            const AxisOperation& op = operations[static_cast<std::size_t>(plan[d].operation)];
            runs[d].gradient = image_gradient(op, runs[plan[d].from].gradient);
            runs[d].dipole = image_dipole(op, runs[plan[d].from].dipole, reference_properties.molecular_charge);
        }

    // --- central differences ---
    const int dim = static_cast<int>(3 * n);
    Matrix<double> hessian(dim, dim);
    std::array<std::vector<double>, 3> dipole_derivatives{std::vector<double>(dim), std::vector<double>(dim),
                                                          std::vector<double>(dim)};
    for (std::size_t k = 0; k < displaced.size(); ++k) {
        const int i = static_cast<int>(displaced[k]);
        const Displaced& plus = runs[2 * k];
        const Displaced& minus = runs[2 * k + 1];
        for (int j = 0; j < dim; ++j)
            hessian[i][j] = (plus.gradient[static_cast<std::size_t>(j)] - minus.gradient[static_cast<std::size_t>(j)]) /
                            (2.0 * hessian_step);
        for (int c = 0; c < 3; ++c)
            dipole_derivatives[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)] =
                (plus.dipole[static_cast<std::size_t>(c)] - minus.dipole[static_cast<std::size_t>(c)]) / (2.0 * hessian_step);
    }
    // The rotation coordinates' rows, from each column's rotation equations.
    if (!rotation.empty()) {
        for (int j = 0; j < dim; ++j) {
            std::vector<double> column(static_cast<std::size_t>(dim));
            for (int i = 0; i < dim; ++i) column[static_cast<std::size_t>(i)] = hessian[i][j];
            fill_rotation_entries(column, positions, kept, rotation,
                                  hessian_column_torque(reference_gradient, static_cast<unsigned>(j)));
            for (unsigned i : rotation) hessian[static_cast<int>(i)][j] = column[i];
        }
        for (unsigned k = 0; k < 3; ++k)
            fill_rotation_entries(dipole_derivatives[k], positions, kept, rotation,
                                  dipole_torque(reference_properties.dipole, reference_properties.molecular_charge,
                                                positions[kept], k));
    }
    // The kept atom's rows: moving every atom alike changes no gradient component, so
    // sum_a H[3a+c][j] = 0, and changes the dipole (origin fixed) by the charge Q along c.
    if (displaced.size() < static_cast<std::size_t>(dim)) {
        double charge = -static_cast<double>(reference.electrons);
        for (const Atom& a : prepared.molecule.atoms) charge += a.nucl_chg();
        for (int c = 0; c < 3; ++c) {
            const int i = static_cast<int>(3 * kept) + c;
            for (int j = 0; j < dim; ++j) {
                double sum = 0.0;
                for (unsigned a = 0; a < n; ++a)
                    if (a != kept) sum += hessian[static_cast<int>(3 * a) + c][j];
                hessian[i][j] = -sum;
            }
            for (int k = 0; k < 3; ++k) {
                std::vector<double>& dk = dipole_derivatives[static_cast<std::size_t>(k)];
                double sum = 0.0;
                for (unsigned a = 0; a < n; ++a)
                    if (a != kept) sum += dk[3 * a + static_cast<unsigned>(c)];
                dk[static_cast<std::size_t>(i)] = (k == c ? charge : 0.0) - sum;
            }
        }
    }
    for (int i = 0; i < dim; ++i)
        for (int j = 0; j < i; ++j) hessian[i][j] = hessian[j][i] = 0.5 * (hessian[i][j] + hessian[j][i]);

    Vibrations v = analyse_vibrations(prepared.molecule.atoms, hessian, dipole_derivatives, conditions);
    for (double g : reference_gradient) v.largest_gradient = std::fmax(v.largest_gradient, std::fabs(g));
    return v;
}

std::string vibration_warnings(const Vibrations& v) {
    std::ostringstream out;
    char buf[200];
    if (v.largest_gradient > stationary_gradient) {
        std::snprintf(buf, sizeof buf,
                      "velko: the geometry is not a stationary point (largest gradient component %.2e Eh/bohr, "
                      "above %.1e); its frequencies are not meaningful\n",
                      v.largest_gradient, stationary_gradient);
        out << buf;
    }
    std::string imaginary;
    for (double w : v.modes.wavenumbers)
        if (w < 0.0) {
            std::snprintf(buf, sizeof buf, "%s%.2fi", imaginary.empty() ? "" : ", ", -w);
            imaginary += buf;
        }
    if (!imaginary.empty())
        out << "velko: imaginary frequencies (cm^-1): " << imaginary << "; the structure is not a minimum\n";
    return out.str();
}

#include "vibration/thermochemistry.h"

#include <cmath>

#include "common/constants.h"
#include "vibration/inertia.h"

double boltzmann_hartree() { return codata2018::boltzmann / codata2018::hartree_joule; }

Thermochemistry thermochemistry(const std::vector<Vec3>& positions, const std::vector<double>& masses,
                                const std::vector<double>& wavenumbers, const ThermoConditions& conditions) {
    using namespace codata2018;
    const double T = conditions.temperature;
    const double k = boltzmann_hartree();  // Eh / K
    const double kT_joule = boltzmann * T;
    Thermochemistry t;

    // Translation: q = (2 pi m k T / h^2)^(3/2) k T / p; S = k (ln q + 5/2), E = 3/2 k T.
    double mass = 0.0;
    for (double m : masses) mass += m;
    const double m_kg = mass * atomic_mass_kg;
    const double q_trans = std::pow(2.0 * M_PI * m_kg * kT_joule / (planck * planck), 1.5) * kT_joule / conditions.pressure;
    t.translational_entropy = k * (std::log(q_trans) + 2.5);
    double energy = 1.5 * k * T;

    // Rotation: theta_i = h^2 / (8 pi^2 I_i k). Linear: q = T / (sigma theta), S = k (ln q + 1),
    // E = k T. Non-linear: q = sqrt(pi) / sigma * T^(3/2) / sqrt(theta_A theta_B theta_C),
    // S = k (ln q + 3/2), E = 3/2 k T. An atom: none.
    const Inertia inertia = principal_inertia(positions, masses);
    const double moment_si = atomic_mass_kg * bohr_metre * bohr_metre;
    auto theta = [&](double moment) { return planck * planck / (8.0 * M_PI * M_PI * moment * moment_si * boltzmann); };
    const double sigma = conditions.symmetry_number;
    if (positions.size() > 1 && inertia.linear()) {
        const double q_rot = T / (sigma * theta(inertia.moments[2]));
        t.rotational_entropy = k * (std::log(q_rot) + 1.0);
        energy += k * T;
    } else if (positions.size() > 1) {
        const double q_rot = std::sqrt(M_PI) / sigma * std::pow(T, 1.5) /
                             std::sqrt(theta(inertia.moments[0]) * theta(inertia.moments[1]) * theta(inertia.moments[2]));
        t.rotational_entropy = k * (std::log(q_rot) + 1.5);
        energy += 1.5 * k * T;
    }

    // Vibration: theta_v = h c nu / k; E = k sum theta_v (1/2 + 1 / (e^(theta_v/T) - 1)),
    // S = k sum [ (theta_v/T) / (e^(theta_v/T) - 1) - ln(1 - e^(-theta_v/T)) ].
    for (double nu : wavenumbers) {
        if (nu <= 0.0) {
            ++t.imaginary;
            continue;
        }
        const double theta_v = planck * speed_of_light * 100.0 * nu / boltzmann;
        const double x = theta_v / T;
        t.zero_point += 0.5 * k * theta_v;
        energy += k * theta_v * (0.5 + 1.0 / std::expm1(x));
        t.vibrational_entropy += k * (x / std::expm1(x) - std::log(-std::expm1(-x)));
    }

    t.electronic_entropy = k * std::log(static_cast<double>(conditions.multiplicity));
    t.entropy = t.translational_entropy + t.rotational_entropy + t.vibrational_entropy + t.electronic_entropy;
    t.thermal_energy = energy;
    t.enthalpy = energy + k * T;
    t.gibbs = t.enthalpy - T * t.entropy;
    return t;
}

#include "vibration/vibrations.h"

#include "vibration/masses.h"

Vibrations analyse_vibrations(const std::vector<Atom>& atoms, const Matrix<double>& hessian,
                              const std::array<std::vector<double>, 3>& dipole_derivatives,
                              ThermoConditions conditions) {
    Vibrations v;
    v.atoms = atoms;
    v.hessian = hessian;
    std::vector<Vec3> positions;
    std::vector<unsigned> elements;
    for (const Atom& a : atoms) {
        positions.push_back(a.position);
        elements.push_back(a.element);
        v.masses.push_back(isotope_mass(a.element));
    }
    v.modes = normal_modes(positions, v.masses, hessian);
    v.intensities = ir_intensities(v.modes, v.masses, dipole_derivatives);
    v.group = detect_point_group(positions, elements, v.masses);
    if (conditions.symmetry_number == 0) conditions.symmetry_number = v.group.symmetry_number;
    v.conditions = conditions;
    v.thermo = thermochemistry(positions, v.masses, v.modes.wavenumbers, conditions);
    return v;
}

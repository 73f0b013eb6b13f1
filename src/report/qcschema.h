#pragma once

#include <string>
#include <vector>

#include "common/vec3.h"

struct Calculation;

// The result of a finished run as a QCSchema AtomicResult (schema_name
// "qcschema_output"): molecule (symbols, geometry in bohr, charge), driver
// "energy", model (method "hf", basis), provenance, properties (energy parts,
// iteration and size counts, scf_dipole_moment in e a0 about the coordinate
// origin), return_result and success (true exactly when the exit status is 0;
// otherwise an error entry says why, return_result is an empty object, properties lack
// return_energy and scf_total_energy, and extras.last_energy holds the last step's energy). extras: orbital_energies, mulliken_charges, loewdin_charges (per atom; for an
// open shell also mulliken_spin_populations and loewdin_spin_populations),
// homo_energy, lumo_energy and homo_lumo_gap (Hartree; each absent when there is
// no such orbital), scf_stable and scf_lowest_hessian_eigenvalue (null when the SCF
// did not converge far enough to check, or the eigenvalue was not converged: see
// lowest_rotation).
// With wavefunction, protocols.wavefunction is "all" and the wavefunction section
// holds the basis set (QCSchema BasisSet: per element its shells of normalised
// primitives with the contraction coefficients of the basis tables), the orbital
// coefficients scf_orbitals_a (basis functions x orbitals), scf_eigenvalues_a and
// scf_occupations_a (1 or 0 electrons of each spin), restricted true.
// An open shell has keywords reference "uhf", its multiplicity in the molecule, in
// extras the beta orbital energies (orbital_energies_beta) beside the alpha ones
// (orbital_energies), <S^2> (s_squared), lowest_orbital_hessian_eigenvalue (null when
// not converged, as scf_lowest_hessian_eigenvalue) and
// instabilities_followed; its wavefunction has the beta orbitals too (_b), restricted false.
// With a gradient (per atom, Hartree/bohr) the driver is "gradient", return_result and
// properties.return_gradient and scf_total_gradient hold it as rows of x, y, z.
// Pretty-printed, ending with a newline.
std::string qcschema_json(const Calculation& calc, bool wavefunction = false,
                          const std::vector<Vec3>* gradient = nullptr);

// Writes qcschema_json to path through replace_file (system/files.h): a temporary file
// renamed into place; throws Failure when the file cannot be written.
void write_qcschema(const Calculation& calc, const std::string& path, bool wavefunction = false,
                    const std::vector<Vec3>* gradient = nullptr);

#pragma once

#include <array>
#include <vector>

#include "common/vec3.h"
#include "linalg/matrix.h"

// Harmonic vibrational analysis of a Cartesian Hessian (E. B. Wilson, J. C. Decius and
// P. C. Cross, Molecular Vibrations, 1955, ch. 2; the projection of translations and
// rotations as in W. H. Miller, N. C. Handy and J. E. Adams, J. Chem. Phys. 72, 99 (1980)):
//   H_mw = M^-1/2 H M^-1/2,  its eigenvalues lambda within the space orthogonal to the
//   3 translations and 3 rotations (2 for a linear molecule) about the centre of mass,
//   wavenumber = sqrt(lambda) / (2 pi c), negative for lambda < 0 (imaginary).
struct NormalModes {
    bool linear = false;               // the molecule is linear: 5 external motions, not 6
    std::vector<double> wavenumbers;   // cm^-1, ascending; an imaginary one as its negative
    Matrix<double> mass_weighted;      // 3N x modes: orthonormal eigenvectors of H_mw, one per column
    Matrix<double> cartesian;          // 3N x modes: M^-1/2 times each, normalised to 1
    std::vector<double> reduced_masses;  // dalton: 1 / |M^-1/2 l|^2

    unsigned count() const { return static_cast<unsigned>(wavenumbers.size()); }
};

// Positions in bohr, masses in dalton, the Hessian (3N x 3N, atom-major: x1 y1 z1 x2 ...)
// in Eh/bohr^2. A single atom has no modes.
NormalModes normal_modes(const std::vector<Vec3>& positions, const std::vector<double>& masses,
                         const Matrix<double>& hessian);

// The mass-weighted Hessian with translations and rotations projected out, P H_mw P:
// its null space holds the 6 (linear: 5) external motions.
Matrix<double> projected_hessian(const std::vector<Vec3>& positions, const std::vector<double>& masses,
                                 const Matrix<double>& hessian);

// Wavenumber in cm^-1 of a mass-weighted Hessian eigenvalue in Eh / (bohr^2 dalton).
double wavenumber_of(double eigenvalue);

// IR intensities in km/mol from the dipole derivatives d mu_c / d x_i (e, 3 x 3N) in the
// double-harmonic approximation: A_k = N_A pi / (3 c^2 4 pi eps_0) |d mu / d Q_k|^2
// (B. A. Hess et al., Chem. Rev. 86, 709 (1986)), Q_k the mass-weighted normal coordinate.
std::vector<double> ir_intensities(const NormalModes& modes, const std::vector<double>& masses,
                                   const std::array<std::vector<double>, 3>& dipole_derivatives);

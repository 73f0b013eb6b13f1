#include "vibration/normal_modes.h"

#include <cmath>

#include "common/constants.h"
#include "linalg/eigsym.h"
#include "vibration/inertia.h"

namespace {

using Vectors = std::vector<std::vector<double>>;

// The external motions in mass-weighted coordinates: sqrt(m_a) e_i (translations) and
// sqrt(m_a) (u_i x r_a) about each principal axis u_i through the centre of mass
// (rotations), the axis of a linear molecule left out; orthonormalised.
Vectors external_motions(const std::vector<Vec3>& positions, const std::vector<double>& masses) {
    const Inertia inertia = principal_inertia(positions, masses);
    const std::size_t n = positions.size();
    Vectors motions;
    for (int i = 0; i < 3; ++i) {
        std::vector<double> t(3 * n, 0.0);
        for (std::size_t a = 0; a < n; ++a) t[3 * a + i] = std::sqrt(masses[a]);
        motions.push_back(t);
    }
    for (int axis = 0; axis < 3; ++axis) {
        if (inertia.linear() && axis == 0) continue;  // the smallest moment: the molecular axis
        const std::array<double, 3>& u = inertia.axes[axis];
        std::vector<double> r(3 * n, 0.0);
        for (std::size_t a = 0; a < n; ++a) {
            const std::array<double, 3> p = relative_to(positions[a], inertia.centre);
            const double s = std::sqrt(masses[a]);
            r[3 * a + 0] = s * (u[1] * p[2] - u[2] * p[1]);
            r[3 * a + 1] = s * (u[2] * p[0] - u[0] * p[2]);
            r[3 * a + 2] = s * (u[0] * p[1] - u[1] * p[0]);
        }
        motions.push_back(r);
    }
    // Gram-Schmidt; the rotations about principal axes are already orthogonal to each
    // other and to the translations, so this only removes rounding.
    Vectors basis;
    for (std::vector<double>& v : motions) {
        for (const std::vector<double>& b : basis) {
            double d = 0.0;
            for (std::size_t i = 0; i < v.size(); ++i) d += b[i] * v[i];
            for (std::size_t i = 0; i < v.size(); ++i) v[i] -= d * b[i];
        }
        double norm = 0.0;
        for (double x : v) norm += x * x;
        norm = std::sqrt(norm);
        if (norm == 0.0) continue;
        for (double& x : v) x /= norm;
        basis.push_back(v);
    }
    return basis;
}

Matrix<double> mass_weighted_hessian(const std::vector<double>& masses, const Matrix<double>& hessian) {
    const int dim = hessian.rows();
    Matrix<double> h(dim, dim);
    for (int i = 0; i < dim; ++i)
        for (int j = 0; j < dim; ++j)
            h[i][j] = 0.5 * (hessian[i][j] + hessian[j][i]) / std::sqrt(masses[i / 3] * masses[j / 3]);
    return h;
}

// An orthonormal basis (3N x (3N - k)) of the space orthogonal to the k external motions:
// the eigenvectors of eigenvalue 1 of the projector 1 - sum_e e e^T.
Matrix<double> internal_space(const Vectors& external, int dim) {
    Matrix<double> projector(dim, dim);
    for (int i = 0; i < dim; ++i) {
        projector[i][i] = 1.0;
        for (const std::vector<double>& e : external)
            for (int j = 0; j < dim; ++j) projector[i][j] -= e[i] * e[j];
    }
    Matrix<double> U;
    std::vector<double> w;
    Eigsym(projector, U, w);
    const int k = static_cast<int>(external.size());
    Matrix<double> D(dim, dim - k);
    for (int i = 0; i < dim; ++i)
        for (int c = 0; c < dim - k; ++c) D[i][c] = U[i][c + k];  // ascending: the k zeros first
    return D;
}

}  // namespace

double wavenumber_of(double eigenvalue) {
    using namespace codata2018;
    // sqrt(E_h / (a_0^2 u)) is the angular frequency in rad/s of eigenvalue 1; / (2 pi c) in 1/m, / 100 in 1/cm.
    static const double scale =
        std::sqrt(hartree_joule / (bohr_metre * bohr_metre * atomic_mass_kg)) / (2.0 * M_PI * speed_of_light * 100.0);
    return std::copysign(scale * std::sqrt(std::fabs(eigenvalue)), eigenvalue);
}

Matrix<double> projected_hessian(const std::vector<Vec3>& positions, const std::vector<double>& masses,
                                 const Matrix<double>& hessian) {
    const int dim = hessian.rows();
    const Vectors external = external_motions(positions, masses);
    const Matrix<double> h = mass_weighted_hessian(masses, hessian);
    // P h P with P = 1 - sum e e^T, as (h - E E^T h) then the same on the right.
    Matrix<double> left(dim, dim), result(dim, dim);
    for (int j = 0; j < dim; ++j) {
        for (int i = 0; i < dim; ++i) left[i][j] = h[i][j];
        for (const std::vector<double>& e : external) {
            double d = 0.0;
            for (int i = 0; i < dim; ++i) d += e[i] * h[i][j];
            for (int i = 0; i < dim; ++i) left[i][j] -= e[i] * d;
        }
    }
    for (int i = 0; i < dim; ++i) {
        for (int j = 0; j < dim; ++j) result[i][j] = left[i][j];
        for (const std::vector<double>& e : external) {
            double d = 0.0;
            for (int j = 0; j < dim; ++j) d += left[i][j] * e[j];
            for (int j = 0; j < dim; ++j) result[i][j] -= d * e[j];
        }
    }
    return result;
}

NormalModes normal_modes(const std::vector<Vec3>& positions, const std::vector<double>& masses,
                         const Matrix<double>& hessian) {
    NormalModes modes;
    const int dim = 3 * static_cast<int>(positions.size());
    if (positions.size() < 2) return modes;
    modes.linear = principal_inertia(positions, masses).linear();
    const Vectors external = external_motions(positions, masses);
    const Matrix<double> D = internal_space(external, dim);
    const Matrix<double> h = mass_weighted_hessian(masses, hessian);
    const int m = D.cols();

    // D^T h D, diagonalised.
    Matrix<double> hD(dim, m), inner(m, m);
    for (int i = 0; i < dim; ++i)
        for (int c = 0; c < m; ++c) {
            double s = 0.0;
            for (int j = 0; j < dim; ++j) s += h[i][j] * D[j][c];
            hD[i][c] = s;
        }
    for (int r = 0; r < m; ++r)
        for (int c = 0; c < m; ++c) {
            double s = 0.0;
            for (int i = 0; i < dim; ++i) s += D[i][r] * hD[i][c];
            inner[r][c] = s;
        }
    Matrix<double> U;
    std::vector<double> w;
    Eigsym(inner, U, w);

    modes.mass_weighted = Matrix<double>(dim, m);
    modes.cartesian = Matrix<double>(dim, m);
    for (int k = 0; k < m; ++k) {
        modes.wavenumbers.push_back(wavenumber_of(w[static_cast<std::size_t>(k)]));
        double norm = 0.0;
        for (int i = 0; i < dim; ++i) {
            double s = 0.0;
            for (int c = 0; c < m; ++c) s += D[i][c] * U[c][k];
            modes.mass_weighted[i][k] = s;
            modes.cartesian[i][k] = s / std::sqrt(masses[static_cast<std::size_t>(i / 3)]);
            norm += modes.cartesian[i][k] * modes.cartesian[i][k];
        }
        modes.reduced_masses.push_back(1.0 / norm);
        // A sign convention, so that the same Hessian gives the same vectors: the largest component positive.
        int largest = 0;
        for (int i = 1; i < dim; ++i)
            if (std::fabs(modes.cartesian[i][k]) > std::fabs(modes.cartesian[largest][k]) + 1e-12) largest = i;
        const double sign = modes.cartesian[largest][k] < 0.0 ? -1.0 : 1.0;
        for (int i = 0; i < dim; ++i) {
            modes.mass_weighted[i][k] *= sign;
            modes.cartesian[i][k] *= sign / std::sqrt(norm);
        }
    }
    return modes;
}

std::vector<double> ir_intensities(const NormalModes& modes, const std::vector<double>& masses,
                                   const std::array<std::vector<double>, 3>& dipole_derivatives) {
    using namespace codata2018;
    // (e a_0 / (a_0 sqrt(u)))^2 = e^2 / u in SI, times N_A / (12 eps_0 c^2), m/mol -> km/mol: 974.88.
    const double km_per_mol = avogadro * elementary_charge * elementary_charge /
                              (12.0 * vacuum_permittivity * speed_of_light * speed_of_light * atomic_mass_kg) / 1000.0;
    std::vector<double> intensities;
    const int dim = modes.mass_weighted.rows();
    for (unsigned k = 0; k < modes.count(); ++k) {
        double sum = 0.0;
        for (int c = 0; c < 3; ++c) {
            double d = 0.0;
            for (int i = 0; i < dim; ++i)
                d += dipole_derivatives[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)] *
                     modes.mass_weighted[i][static_cast<int>(k)] / std::sqrt(masses[static_cast<std::size_t>(i / 3)]);
            sum += d * d;
        }
        intensities.push_back(km_per_mol * sum);
    }
    return intensities;
}

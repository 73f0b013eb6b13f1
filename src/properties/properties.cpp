#include "properties/properties.h"

#include <cmath>

#include "common/constants.h"
#include "integrals/dipole.h"
#include "linalg/eigsym.h"
#include "linalg/matfunc.h"

std::vector<AtomSite> atom_sites(const Molecule& mol, const BasisSet& basis) {
    std::vector<AtomSite> sites;
    for (unsigned a = 0; a < mol.nratoms(); ++a) {
        const Atom& atom = mol[a];
        sites.push_back(AtomSite{atom.ps(), atom.nucl_chg(), atom.gr(), basis.first[a], basis.first[a + 1] - basis.first[a]});
    }
    return sites;
}

EnergyParts energy_parts(const Matrix<double>& P, const Matrix<double>& H, const Matrix<double>& F) {
    EnergyParts parts{0.0, 0.0};
    for (int i = 0; i < P.rows(); ++i) {
        for (int j = 0; j < P.cols(); ++j) {
            parts.one_electron += P[i][j] * H[i][j];
            parts.two_electron += P[i][j] * (F[i][j] - H[i][j]);
        }
    }
    parts.two_electron *= 0.5;
    return parts;
}

std::optional<double> Frontier::gap() const {
    if (!homo || !lumo) return std::nullopt;
    return lumo->energy - homo->energy;
}

Frontier frontier_orbitals(const std::vector<double>& orbital_energies, unsigned occupied) {
    Frontier f;
    const std::size_t n = orbital_energies.size();
    if (occupied > 0 && occupied <= n) f.homo = OrbitalLevel{occupied - 1, orbital_energies[occupied - 1]};
    if (occupied < n) f.lumo = OrbitalLevel{occupied, orbital_energies[occupied]};
    return f;
}

double hartree_to_ev(double hartree) { return hartree * ev_per_hartree; }

namespace {

// Sum of the diagonal elements of M over each atom's basis functions.
std::vector<double> diagonal_by_atom(const Matrix<double>& M, const std::vector<AtomSite>& atoms) {
    std::vector<double> sums;
    for (const AtomSite& atom : atoms) {
        double s = 0.0;
        for (unsigned mu = atom.first; mu < atom.first + atom.count; ++mu) s += M[mu][mu];
        sums.push_back(s);
    }
    return sums;
}

// U diag(sqrt(s)) U^T of a symmetric positive definite matrix.
Matrix<double> square_root(const Matrix<double>& S) {
    Matrix<double> U;
    std::vector<double> s;
    Eigsym(S, U, s);
    const int n = S.rows();
    Matrix<double> R(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            double sum = 0.0;
            for (int k = 0; k < n; ++k) sum += U[i][k] * std::sqrt(s[static_cast<std::size_t>(k)]) * U[j][k];
            R[i][j] = sum;
        }
    return R;
}

}  // namespace

std::vector<double> mulliken_populations(const Matrix<double>& D, const Matrix<double>& S,
                                         const std::vector<AtomSite>& atoms) {
    return diagonal_by_atom(matprod(D, S), atoms);
}

std::vector<double> loewdin_populations(const Matrix<double>& D, const Matrix<double>& S,
                                        const std::vector<AtomSite>& atoms) {
    const int n = S.rows();
    Matrix<double> Sn(n, n), Dn(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const double scale = std::sqrt(S[i][i] * S[j][j]);
            Sn[i][j] = S[i][j] / scale;
            Dn[i][j] = D[i][j] * scale;
        }
    const Matrix<double> half = square_root(Sn);
    return diagonal_by_atom(matprod(half, matprod(Dn, half)), atoms);
}

std::vector<double> atomic_charges(const std::vector<AtomSite>& atoms, const std::vector<double>& populations) {
    std::vector<double> q;
    for (std::size_t a = 0; a < atoms.size(); ++a) q.push_back(static_cast<double>(atoms[a].charge) - populations[a]);
    return q;
}

std::array<double, 3> dipole_moment(const Matrix<double>& P, const std::array<Matrix<double>, 3>& moments,
                                    const std::vector<AtomSite>& atoms, const Vec3& origin) {
    std::array<double, 3> mu{0.0, 0.0, 0.0};
    for (const AtomSite& atom : atoms) {
        const double z = static_cast<double>(atom.charge);
        mu[0] += z * (atom.position.x - origin.x);
        mu[1] += z * (atom.position.y - origin.y);
        mu[2] += z * (atom.position.z - origin.z);
    }
    for (int k = 0; k < 3; ++k) {
        double electronic = 0.0;
        for (int i = 0; i < P.rows(); ++i)
            for (int j = 0; j < P.cols(); ++j) electronic += P[i][j] * moments[static_cast<std::size_t>(k)][i][j];
        mu[static_cast<std::size_t>(k)] -= electronic;
    }
    return mu;
}

double vector_length(const std::array<double, 3>& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

Properties molecular_properties(const ScfValues& scf) {
    Properties p;
    int nuclear_charge = 0;
    for (const AtomSite& atom : scf.atoms) {
        p.symbols.push_back(atom.symbol);
        nuclear_charge += static_cast<int>(atom.charge);
    }
    p.molecular_charge = nuclear_charge - static_cast<int>(scf.electrons);
    p.nuclear_repulsion = scf.nuclear_repulsion;
    p.energies = energy_parts(scf.P, scf.H, scf.F);
    p.frontier = frontier_orbitals(scf.orbital_energies, scf.occupied);
    p.mulliken_charges = atomic_charges(scf.atoms, mulliken_populations(scf.P, scf.S, scf.atoms));
    p.loewdin_charges = atomic_charges(scf.atoms, loewdin_populations(scf.P, scf.S, scf.atoms));
    if (scf.spin_density != nullptr) {
        p.mulliken_spin = mulliken_populations(*scf.spin_density, scf.S, scf.atoms);
        p.loewdin_spin = loewdin_populations(*scf.spin_density, scf.S, scf.atoms);
    }
    p.dipole = dipole_about_origin(scf.basis, scf.atoms, scf.P, scf.moments);
    return p;
}

std::array<double, 3> dipole_about_origin(const std::vector<CGF>& basis, const std::vector<AtomSite>& atoms,
                                          const Matrix<double>& P,
                                          const std::function<std::array<Matrix<double>, 3>(const Vec3&)>& moments) {
    const Vec3 origin(0.0, 0.0, 0.0);
    std::vector<Vec3> positions;
    for (const AtomSite& atom : atoms) positions.push_back(atom.position);
    return dipole_moment(P, moments ? moments(origin) : dipole_matrices(basis, positions, origin), atoms, origin);
}

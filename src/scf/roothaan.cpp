#include "scf/roothaan.h"

#include "linalg/eigsym.h"
#include "linalg/matfunc.h"
#include "scf/fock.h"

Orbitals roothaan_orbitals(const Matrix<double>& F, const Matrix<double>& X, const Matrix<double>& X_t) {
    Orbitals o;
    Matrix<double> C_prime;
    Eigsym(trimatprod(X_t, F, X), C_prime, o.energies);
    o.C = matprod(X, C_prime);
    return o;
}

RoothaanStep roothaan_step(const Matrix<double>& F, const Matrix<double>& X, const Matrix<double>& X_t,
                           unsigned occupied) {
    RoothaanStep s{roothaan_orbitals(F, X, X_t), {}};
    s.density = closed_shell_density(s.orbitals.C, occupied);
    return s;
}

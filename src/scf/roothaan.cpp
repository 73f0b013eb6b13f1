#include "scf/roothaan.h"

#include "linalg/blas.h"
#include "linalg/eigsym.h"
#include "linalg/matfunc.h"
#include "scf/fock.h"

Orbitals roothaan_orbitals(const Matrix<double>& F, const Matrix<double>& X, const Matrix<double>& X_t,
                           bool free_order) {
    Orbitals o;
    Matrix<double> C_prime;
    Eigsym(free_order ? gemm3(X_t, F, X) : trimatprod(X_t, F, X), C_prime, o.energies);
    o.C = free_order ? gemm(X, C_prime) : matprod(X, C_prime);
    return o;
}

RoothaanStep roothaan_step(const Matrix<double>& F, const Matrix<double>& X, const Matrix<double>& X_t,
                           unsigned occupied, bool free_order) {
    RoothaanStep s{roothaan_orbitals(F, X, X_t, free_order), {}};
    s.density = closed_shell_density(s.orbitals.C, occupied);
    return s;
}

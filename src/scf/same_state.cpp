#include "scf/same_state.h"

#include <algorithm>
#include <vector>

#include "linalg/eigsym.h"
#include "linalg/canorg.h"
#include "linalg/matfunc.h"

double occupied_space_overlap(const SpinRun& a, const SpinRun& b, const Matrix<double>& S) {
    if (a.channels.size() != b.channels.size()) return 0.0;
    double smallest = 1.0;
    for (std::size_t c = 0; c < a.channels.size(); ++c) {
        const ChannelState& ca = a.channels[c];
        const ChannelState& cb = b.channels[c];
        if (ca.occupied != cb.occupied) return 0.0;
        const int occ = static_cast<int>(ca.occupied);
        if (occ == 0) continue;
        const Matrix<double> SCb = matprod(S, cb.C);
        Matrix<double> M(occ, occ);
        for (int i = 0; i < occ; ++i)
            for (int j = 0; j < occ; ++j) {
                double o = 0.0;
                for (int mu = 0; mu < S.rows(); ++mu) o += ca.C[mu][i] * SCb[mu][j];
                M[i][j] = o;
            }
        Matrix<double> U(occ, occ);
        std::vector<double> w;
        Eigsym(matprod(transpose(M), M), U, w);
        smallest = std::min(smallest, w.front());
    }
    return smallest;
}

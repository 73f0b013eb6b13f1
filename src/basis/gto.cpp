#include "basis/gto.h"

#include <cmath>

#include "common/constants.h"
#include "common/factorial.h"

GTO::GTO(double c_, double alpha_, unsigned l_, unsigned m_, unsigned n_)
    : c(c_), l(l_), m(m_), n(n_), alpha(alpha_), norm(0.0) {
    norm = calcnorm();
}

double GTO::calcnorm() const {
    const double L = static_cast<double>(l + m + n);
    const double a = std::pow(2.0, 2.0 * L + 1.5);
    const double b = std::pow(alpha, L + 1.5);
    const int d = dfact(2 * static_cast<int>(l) - 1) * dfact(2 * static_cast<int>(m) - 1) *
                  dfact(2 * static_cast<int>(n) - 1);
    return std::sqrt((b * a) / (static_cast<double>(d) * pi_1_5));
}

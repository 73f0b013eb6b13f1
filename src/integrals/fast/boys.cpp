#include "integrals/fast/boys.h"

#include <cmath>
#include <vector>

namespace {

constexpr int grid_points = static_cast<int>(boys_table_end / boys_grid_step) + 2;

// F_m(t) for m = 0 ... boys_grid_orders-1 and exp(-t) at t = k * boys_grid_step, row k.
std::vector<double> boys_table() {
    std::vector<double> values(static_cast<std::size_t>(grid_points) * boys_grid_row);
    for (int k = 0; k < grid_points; ++k) {
        // The grid point exactly as boys_orders() forms it.
        const long double t = static_cast<long double>(k * boys_grid_step);
        const long double e = std::exp(-t);
        // Series for the highest order, all terms positive.
        const int top = boys_grid_orders - 1;
        long double term = 1.0L / (2 * top + 1);
        long double sum = term;
        for (int i = 1; i < 2000; ++i) {
            term *= (2.0L * t) / (2 * top + 2 * i + 1);
            sum += term;
            if (term < sum * 1e-22L) break;
        }
        long double f = e * sum;
        double* row = &values[static_cast<std::size_t>(k) * boys_grid_row];
        row[boys_grid_orders] = static_cast<double>(e);
        row[top] = static_cast<double>(f);
        for (int m = top - 1; m >= 0; --m) {
            f = (2.0L * t * f + e) / (2 * m + 1);
            row[m] = static_cast<double>(f);
        }
    }
    return values;
}

const std::vector<double> grid_values = boys_table();

}  // namespace

const double* const boys_grid = grid_values.data();

void boys(int m_max, double t, double* F) {
    switch (m_max) {
        case 0: boys_orders<0>(t, F); break;
        case 1: boys_orders<1>(t, F); break;
        case 2: boys_orders<2>(t, F); break;
        case 3: boys_orders<3>(t, F); break;
        default: boys_orders<4>(t, F); break;
    }
}

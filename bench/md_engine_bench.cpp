// Time of the McMurchie-Davidson engine (src/integrals/md) per shell quartet for
// the classes (pp|pp), (dd|dd) and (ff|ff), pure and Cartesian, on four centres a
// bond length apart. One primitive per shell: the time is also that per primitive
// quartet. Built with Debian's libint2-dev at hand, the same quartets through
// libint2's Coulomb engine run beside them, as the referee of speed.
// Run: build-bench/bench/velko_md_bench --benchmark_min_time=1
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "integrals/md/repulsion.h"

#ifdef VELKO_HAVE_LIBINT2
#include <libint2.hpp>
#endif

namespace {

GaussianShell shell(int l, bool pure, double x, double a) {
    return normalised_shell(l, pure, {x, 0.3 * x, -0.2 * x}, {a}, {1.0});
}

void quartet(benchmark::State& state) {
    const int l = static_cast<int>(state.range(0));
    const bool pure = state.range(1) != 0;
    const GaussianShell a = shell(l, pure, 0.0, 1.1), b = shell(l, pure, 1.4, 0.8), c = shell(l, pure, 2.8, 0.6),
                        d = shell(l, pure, 4.2, 1.3);
    for (auto _ : state) benchmark::DoNotOptimize(repulsion_block(a, b, c, d));
    state.SetItemsProcessed(state.iterations());
    const std::string x(2, "spdf"[l]);
    state.SetLabel("(" + x + "|" + x + ") " + (pure ? "pure" : "Cartesian"));
}

// The same with the shell pairs' data made beforehand, as the SCF's operator holds it.
void quartet_from_pairs(benchmark::State& state) {
    const int l = static_cast<int>(state.range(0));
    const bool pure = state.range(1) != 0;
    const RepulsionPair bra = repulsion_pair(shell(l, pure, 0.0, 1.1), shell(l, pure, 1.4, 0.8));
    const RepulsionPair ket = repulsion_pair(shell(l, pure, 2.8, 0.6), shell(l, pure, 4.2, 1.3));
    std::vector<double> out(static_cast<std::size_t>(bra.functions()) * ket.functions());
    for (auto _ : state) {
        repulsion_quartet(bra, ket, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations());
}

#ifdef VELKO_HAVE_LIBINT2
libint2::Shell libint_shell(int l, bool pure, double x, double a) {
    return libint2::Shell{{a}, {{l, pure, {1.0}}}, {{x, 0.3 * x, -0.2 * x}}};
}

// libint2's Coulomb engine; with with_pairs its shell-pair data (ShellPair) are made
// beforehand, as quartet_from_pairs has them.
template <bool with_pairs>
void libint2_quartet(benchmark::State& state) {
    const int l = static_cast<int>(state.range(0));
    const bool pure = state.range(1) != 0;
    libint2::initialize();
    const libint2::Shell a = libint_shell(l, pure, 0.0, 1.1), b = libint_shell(l, pure, 1.4, 0.8),
                         c = libint_shell(l, pure, 2.8, 0.6), d = libint_shell(l, pure, 4.2, 1.3);
    libint2::Engine engine(libint2::Operator::coulomb, 1, l);
    const double ln_precision = std::log(engine.precision());
    const libint2::ShellPair bra(a, b, ln_precision), ket(c, d, ln_precision);
    for (auto _ : state) {
        if constexpr (with_pairs)
            engine.compute2<libint2::Operator::coulomb, libint2::BraKet::xx_xx, 0>(a, b, c, d, &bra, &ket);
        else
            engine.compute(a, b, c, d);
        benchmark::DoNotOptimize(engine.results()[0]);
    }
    state.SetItemsProcessed(state.iterations());
    libint2::finalize();
}
BENCHMARK_TEMPLATE(libint2_quartet, false)->ArgsProduct({{1, 2, 3}, {0, 1}});
BENCHMARK_TEMPLATE(libint2_quartet, true)->ArgsProduct({{1, 2, 3}, {0, 1}});
#endif

}  // namespace

BENCHMARK(quartet)->ArgsProduct({{1, 2, 3}, {0, 1}});
BENCHMARK(quartet_from_pairs)->ArgsProduct({{1, 2, 3}, {0, 1}});
BENCHMARK_MAIN();

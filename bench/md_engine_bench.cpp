// Time of the McMurchie-Davidson engine (src/integrals/md) per shell quartet for
// the classes (pp|pp), (dd|dd) and (ff|ff), pure and Cartesian, on four centres a
// bond length apart: one primitive per shell (the time also that per primitive quartet,
// the fixed cost of a quartet), and three per shell (the counter "per_primitive" the time
// per primitive quartet). Then carbon's valence sp shells of 6-31G* (three primitives, and
// the outer one of one) on four centres: velko computes the s and p shells of a centre as
// one group, 16 shell quartets in one call; the counter "per_shell_quartet" divides by 16.
// Built with Debian's libint2-dev at hand, the same quartets through libint2's Coulomb
// engine run beside them (an sp shell as an s and a p shell, 16 calls), as the referee of
// speed.
// Run: build-bench/bench/velko_md_bench --benchmark_min_time=1
#include <benchmark/benchmark.h>

#include <array>
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

// Three primitives about exponent a, the middle one largest.
const double contracted_scale[3] = {3.0, 1.0, 1.0 / 3.0}, contracted_coefficients[3] = {0.2, 0.5, 0.4};

GaussianShell contracted_shell(int l, bool pure, double x, double a) {
    const std::vector<double> exponents{a * contracted_scale[0], a * contracted_scale[1], a * contracted_scale[2]};
    const std::vector<double> coefficients(contracted_coefficients, contracted_coefficients + 3);
    return normalised_shell(l, pure, {x, 0.3 * x, -0.2 * x}, exponents, coefficients);
}

// Carbon's sp shells in 6-31G*: the inner one (three primitives) and the outer (one).
struct SpShell {
    std::vector<double> exponents, s, p;
};
const SpShell carbon_sp[2] = {{{7.8682724, 1.8812885, 0.5442493}, {-0.1193324, -0.1608542, 1.1434564},
                               {0.0689991, 0.3164240, 0.7443083}},
                              {{0.1687144}, {1.0}, {1.0}}};
const double carbon_x[4] = {0.0, 1.4, 2.8, 4.2};

std::vector<GaussianShell> sp_group(const SpShell& sp, double x) {
    const std::array<double, 3> at{x, 0.3 * x, -0.2 * x};
    return {normalised_shell(0, false, at, sp.exponents, sp.s), normalised_shell(1, false, at, sp.exponents, sp.p)};
}

// Per primitive quartet of a shell quartet of n primitives per shell (n^4 of them).
benchmark::Counter per_primitive(int n) {
    return benchmark::Counter(n * n * n * n,
                              benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Per shell quartet of the 16 in a quartet of four sp groups.
benchmark::Counter per_shell_quartet() { return per_primitive(2); }

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

// Three primitives per shell, the pairs made beforehand.
void contracted_quartet_from_pairs(benchmark::State& state) {
    const int l = static_cast<int>(state.range(0));
    const bool pure = state.range(1) != 0;
    const RepulsionPair bra = repulsion_pair(contracted_shell(l, pure, 0.0, 1.1), contracted_shell(l, pure, 1.4, 0.8));
    const RepulsionPair ket = repulsion_pair(contracted_shell(l, pure, 2.8, 0.6), contracted_shell(l, pure, 4.2, 1.3));
    std::vector<double> out(static_cast<std::size_t>(bra.functions()) * ket.functions());
    for (auto _ : state) {
        repulsion_quartet(bra, ket, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["per_primitive"] = per_primitive(3);
}

// Four carbon sp groups of 6-31G* (range 0: the inner, 1: the outer), one call.
void carbon_sp_quartet(benchmark::State& state) {
    const SpShell& sp = carbon_sp[state.range(0)];
    std::vector<GaussianShell> g[4];
    for (int k = 0; k < 4; ++k) g[k] = sp_group(sp, carbon_x[k]);
    const RepulsionPair bra = repulsion_pair(g[0].data(), 2, g[1].data(), 2);
    const RepulsionPair ket = repulsion_pair(g[2].data(), 2, g[3].data(), 2);
    std::vector<double> out(static_cast<std::size_t>(bra.functions()) * ket.functions());
    for (auto _ : state) {
        repulsion_quartet(bra, ket, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["per_shell_quartet"] = per_shell_quartet();
}

#ifdef VELKO_HAVE_LIBINT2
libint2::Shell libint_shell(int l, bool pure, double x, double a) {
    return libint2::Shell{{a}, {{l, pure, {1.0}}}, {{x, 0.3 * x, -0.2 * x}}};
}

libint2::Shell libint_contracted_shell(int l, bool pure, double x, double a) {
    return libint2::Shell{{a * contracted_scale[0], a * contracted_scale[1], a * contracted_scale[2]},
                          {{l, pure, {contracted_coefficients[0], contracted_coefficients[1],
                                      contracted_coefficients[2]}}},
                          {{x, 0.3 * x, -0.2 * x}}};
}

// libint2's Coulomb engine on four shells made by `shell` (range 0: L, 1: pure) of
// `primitives` primitives each; with with_pairs its shell-pair data (ShellPair) are made
// beforehand, as quartet_from_pairs has them.
template <bool with_pairs>
void libint2_timing(benchmark::State& state, libint2::Shell (*shell)(int, bool, double, double), std::size_t primitives) {
    const int l = static_cast<int>(state.range(0));
    const bool pure = state.range(1) != 0;
    libint2::initialize();
    const libint2::Shell a = shell(l, pure, 0.0, 1.1), b = shell(l, pure, 1.4, 0.8), c = shell(l, pure, 2.8, 0.6),
                         d = shell(l, pure, 4.2, 1.3);
    libint2::Engine engine(libint2::Operator::coulomb, primitives, l);
    const double ln_precision = std::log(engine.precision());
    const libint2::ShellPair bra(a, b, ln_precision), ket(c, d, ln_precision);
    for (auto _ : state) {
        if constexpr (with_pairs)
            engine.compute2<libint2::Operator::coulomb, libint2::BraKet::xx_xx, 0>(a, b, c, d, &bra, &ket);
        else
            engine.compute(a, b, c, d);
        benchmark::DoNotOptimize(engine.results()[0]);
    }
    libint2::finalize();
}

template <bool with_pairs>
void libint2_quartet(benchmark::State& state) {
    libint2_timing<with_pairs>(state, libint_shell, 1);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_TEMPLATE(libint2_quartet, false)->ArgsProduct({{1, 2, 3}, {0, 1}});
BENCHMARK_TEMPLATE(libint2_quartet, true)->ArgsProduct({{1, 2, 3}, {0, 1}});

void libint2_contracted_quartet(benchmark::State& state) {
    libint2_timing<true>(state, libint_contracted_shell, 3);
    state.counters["per_primitive"] = per_primitive(3);
}
BENCHMARK(libint2_contracted_quartet)->ArgsProduct({{1, 2, 3}, {0, 1}});

// The s (l = 0) or p part of an sp shell at x.
libint2::Shell sp_part(const SpShell& sp, int l, double x) {
    libint2::svector<double> exponents, coefficients;
    for (std::size_t p = 0; p < sp.exponents.size(); ++p) {
        exponents.push_back(sp.exponents[p]);
        coefficients.push_back(l == 0 ? sp.s[p] : sp.p[p]);
    }
    return libint2::Shell{exponents, {{l, false, coefficients}}, {{x, 0.3 * x, -0.2 * x}}};
}

// The carbon sp quartets as libint2 takes them: each sp shell an s and a p shell, the 16
// shell quartets of four centres one call each, every shell pair's data made beforehand.
void libint2_carbon_sp_quartet(benchmark::State& state) {
    const SpShell& sp = carbon_sp[state.range(0)];
    libint2::initialize();
    const libint2::Shell s[4][2] = {{sp_part(sp, 0, carbon_x[0]), sp_part(sp, 1, carbon_x[0])},
                                    {sp_part(sp, 0, carbon_x[1]), sp_part(sp, 1, carbon_x[1])},
                                    {sp_part(sp, 0, carbon_x[2]), sp_part(sp, 1, carbon_x[2])},
                                    {sp_part(sp, 0, carbon_x[3]), sp_part(sp, 1, carbon_x[3])}};
    libint2::Engine engine(libint2::Operator::coulomb, static_cast<int>(sp.exponents.size()), 1);
    const double ln_precision = std::log(engine.precision());
    const libint2::ShellPair bra[4] = {{s[0][0], s[1][0], ln_precision}, {s[0][0], s[1][1], ln_precision},
                                       {s[0][1], s[1][0], ln_precision}, {s[0][1], s[1][1], ln_precision}};
    const libint2::ShellPair ket[4] = {{s[2][0], s[3][0], ln_precision}, {s[2][0], s[3][1], ln_precision},
                                       {s[2][1], s[3][0], ln_precision}, {s[2][1], s[3][1], ln_precision}};
    for (auto _ : state)
        for (int x = 0; x < 4; ++x)
            for (int y = 0; y < 4; ++y) {
                engine.compute2<libint2::Operator::coulomb, libint2::BraKet::xx_xx, 0>(
                    s[0][x / 2], s[1][x % 2], s[2][y / 2], s[3][y % 2], &bra[x], &ket[y]);
                benchmark::DoNotOptimize(engine.results()[0]);
            }
    state.counters["per_shell_quartet"] = per_shell_quartet();
    libint2::finalize();
}
BENCHMARK(libint2_carbon_sp_quartet)->Arg(0)->Arg(1);
#endif

}  // namespace

BENCHMARK(quartet)->ArgsProduct({{1, 2, 3}, {0, 1}});
BENCHMARK(quartet_from_pairs)->ArgsProduct({{1, 2, 3}, {0, 1}});
BENCHMARK(contracted_quartet_from_pairs)->ArgsProduct({{1, 2, 3}, {0, 1}});
BENCHMARK(carbon_sp_quartet)->Arg(0)->Arg(1);
BENCHMARK_MAIN();

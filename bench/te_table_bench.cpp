// Two-electron table of a molecule: reference path (cgf_repulsion per distinct
// integral) against the fast path (repulsion_table over shell quartets).
// The reference path is timed on every `stride`-th distinct integral (in the
// engine's loop order) and reported per integral; the fast path builds the
// whole table. Compare the counters time_per_integral.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "basis/basis_set.h"
#include "input/velko_format.h"
#include "integrals/fast/fast_eri.h"
#include "integrals/reference/repulsion.h"

namespace {

Molecule molecule_of(const std::string& name) {
    Molecule mol;
    read_velko_file(mol, std::string(VELKO_BENCH_DIR) + "/molecules/" + name + ".in");
    return mol;
}

std::uint64_t distinct(unsigned n) { return teindex(n - 1, n - 1, n - 1, n - 1) + 1; }

void fast_table(benchmark::State& state, const std::string& name) {
    const Molecule mol = molecule_of(name);
    const BasisSet basis = molecular_basis(mol);
    const unsigned n = basis.size();
    TwoElectronTable table(n);
    for (auto _ : state) {
        repulsion_table(basis, mol.atoms, table);
        benchmark::DoNotOptimize(table.data());
    }
    state.counters["integrals"] = static_cast<double>(distinct(n));
    state.counters["time_per_integral"] = benchmark::Counter(
        static_cast<double>(distinct(n)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void reference_table(benchmark::State& state, const std::string& name, std::uint64_t stride) {
    const Molecule mol = molecule_of(name);
    const std::vector<CGF> cgfs = molecular_basis(mol).functions;
    auto at = [&](unsigned i) { return centre_of(cgfs[i], mol.atoms); };
    const unsigned n = static_cast<unsigned>(cgfs.size());
    std::uint64_t done = 0;
    double sink = 0.0;
    for (auto _ : state) {
        std::uint64_t counter = 0;
        done = 0;
        for (unsigned i = 0; i < n; ++i)
            for (unsigned j = 0; j <= i; ++j)
                for (unsigned k = 0; k < n; ++k)
                    for (unsigned l = 0; l <= k; ++l) {
                        if (k * (k + 1) / 2 + l < i * (i + 1) / 2 + j) continue;
                        if (counter++ % stride != 0) continue;
                        sink += cgf_repulsion(cgfs[i], at(i), cgfs[j], at(j), cgfs[k], at(k), cgfs[l], at(l));
                        ++done;
                    }
        benchmark::DoNotOptimize(sink);
    }
    state.counters["integrals"] = static_cast<double>(done);
    state.counters["time_per_integral"] = benchmark::Counter(
        static_cast<double>(done), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK_CAPTURE(fast_table, naphthalene_sto3g, "naphthalene")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(reference_table, naphthalene_sto3g_every_97th, "naphthalene", 97)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(fast_table, naphthalene_sto6g, "naphthalene_sto6g")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(fast_table, caffeine_sto6g, "caffeine_sto6g")->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();

// Bit-exact integral builders (exact.h) against the reference loops they reproduce:
// the full two-electron table (every distinct integral, the engine's loop order) and
// the one-electron matrices, for molecules of the examples. Both sides compute the
// same values bit for bit; compare the real times of each pair of cases.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "input/velko_format.h"
#include "integrals/exact/exact.h"
#include "integrals/reference/kinetic.h"
#include "integrals/reference/nuclear.h"
#include "basis/basis_set.h"
#include "integrals/reference/overlap.h"
#include "integrals/reference/repulsion.h"

namespace {

struct Input {
    std::vector<Atom> atoms;
    std::vector<CGF> cgfs;
    Vec3 at(unsigned i) const { return centre_of(cgfs[i], atoms); }
};

Input example(const std::string& name) {
    Molecule mol;
    read_velko_file(mol, std::string(VELKO_EXAMPLES_DIR) + "/" + name + ".in");
    return Input{mol.atoms, molecular_basis(mol).functions};
}

TwoElectronTable empty_table(unsigned n) { return TwoElectronTable(n); }

void exact_eri(benchmark::State& state, const std::string& name) {
    const Input in = example(name);
    TwoElectronTable table = empty_table(static_cast<unsigned>(in.cgfs.size()));
    for (auto _ : state) {
        exact_repulsion_table(in.cgfs, in.atoms, table);
        benchmark::DoNotOptimize(table.data());
    }
}

void reference_eri(benchmark::State& state, const std::string& name) {
    const Input in = example(name);
    const unsigned n = static_cast<unsigned>(in.cgfs.size());
    TwoElectronTable table = empty_table(n);
    for (auto _ : state) {
        for (unsigned i = 0; i < n; ++i)
            for (unsigned j = 0; j <= i; ++j)
                for (unsigned k = 0; k < n; ++k)
                    for (unsigned l = 0; l <= k; ++l) {
                        if (k * (k + 1) / 2 + l < i * (i + 1) / 2 + j) continue;
                        table[teindex(i, j, k, l)] = cgf_repulsion(in.cgfs[i], in.at(i), in.cgfs[j], in.at(j), in.cgfs[k],
                                                                in.at(k), in.cgfs[l], in.at(l));
                    }
        benchmark::DoNotOptimize(table.data());
    }
}

void exact_one_electron(benchmark::State& state, const std::string& name) {
    const Input in = example(name);
    for (auto _ : state) {
        Matrix<double> S = exact_overlap_matrix(in.cgfs, in.atoms);
        Matrix<double> T = exact_kinetic_matrix(in.cgfs, in.atoms);
        std::vector<Matrix<double>> V = exact_nuclear_matrices(in.cgfs, in.atoms, in.atoms);
        benchmark::DoNotOptimize(S[0]);
        benchmark::DoNotOptimize(T[0]);
        benchmark::DoNotOptimize(V[0][0]);
    }
}

void reference_one_electron(benchmark::State& state, const std::string& name) {
    const Input in = example(name);
    const unsigned n = static_cast<unsigned>(in.cgfs.size());
    for (auto _ : state) {
        Matrix<double> S(n, n), T(n, n);
        std::vector<Matrix<double>> V(in.atoms.size(), Matrix<double>(n, n));
        for (unsigned i = 0; i < n; ++i)
            for (unsigned j = 0; j < n; ++j) {
                S[i][j] = cgf_overlap(in.cgfs[i], in.at(i), in.cgfs[j], in.at(j));
                T[i][j] = cgf_kinetic(in.cgfs[i], in.at(i), in.cgfs[j], in.at(j));
                for (std::size_t k = 0; k < in.atoms.size(); ++k)
                    V[k][i][j] = cgf_nuclear(in.cgfs[i], in.at(i), in.cgfs[j], in.at(j), in.atoms[k]);
            }
        benchmark::DoNotOptimize(S[0]);
        benchmark::DoNotOptimize(T[0]);
        benchmark::DoNotOptimize(V[0][0]);
    }
}

}  // namespace

BENCHMARK_CAPTURE(exact_eri, water_sto6g, "water_sto6g")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(reference_eri, water_sto6g, "water_sto6g")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(exact_eri, ethylene_sto6g, "ethylene_sto6g")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(reference_eri, ethylene_sto6g, "ethylene_sto6g")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(exact_eri, ethylene_sto3g, "ethylene")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(reference_eri, ethylene_sto3g, "ethylene")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(exact_one_electron, water_sto6g, "water_sto6g")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(reference_one_electron, water_sto6g, "water_sto6g")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(exact_one_electron, ethylene_sto6g, "ethylene_sto6g")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(reference_one_electron, ethylene_sto6g, "ethylene_sto6g")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

// The cost of the checks made before an SCF result counts as a success, against the
// SCF itself: one two-electron build (the bulk of an SCF iteration), the stability
// check (Davidson on Hessian-vector products, one two-electron build each), the
// independent start of the default mode (DIIS from the atomic densities with
// stability following) and the plain loop. Each molecule's integrals are computed
// once, outside the timing, by the path velko's automatic choice takes.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "basis/basis_set.h"
#include "input/velko_format.h"
#include "integrals/integrals.h"
#include "linalg/canorg.h"
#include "scf/guess.h"
#include "scf/hf.h"
#include "scf/trust.h"

namespace {

struct Engine {
    TwoElectronTable table;
    std::unique_ptr<TableOperator> table_operator;  // reads `table`
    HF hf;
    Matrix<double> atomic_start;
    SpinRun solution;

    explicit Engine(const std::string& name) {
        Molecule mol;
        read_velko_file(mol, std::string(VELKO_BENCH_DIR) + "/molecules/" + name + ".in");
        const BasisSet basis = molecular_basis(mol);
        const unsigned n = basis.size();
        table = TwoElectronTable(n);
        const Integrals integrals(choose_integral_path(IntegralPath::automatic, basis.functions), basis, mol.atoms);
        const Matrix<double> S = integrals.overlap(), T = integrals.kinetic();
        const std::vector<Matrix<double>> V = integrals.nuclear_attraction(mol.atoms);
        integrals.repulsion(table, [](std::uint64_t, std::uint64_t) {});
        const Orthogonaliser orth = canorg_checked(S);
        hf.H = core_hamiltonian(T, V);
        hf.S = S;
        hf.X = orth.X;
        hf.X_t = transpose(orth.X);
        table_operator = std::make_unique<TableOperator>(table, integrals.exact());
        hf.two_electron_operator = table_operator.get();
        hf.nuclear_repulsion = calcnuclrepul(mol.atoms);
        std::vector<unsigned> electrons;
        unsigned total = 0;
        for (const Atom& atom : mol.atoms) {
            electrons.push_back(atom.nrelecs());
            total += atom.nrelecs();
        }
        hf.occupied = total / 2;
        atomic_start = superposition_density(S, T, V, *table_operator, basis.first, electrons);
        solution = hf.iterate_diis(atomic_start);
    }
};

Engine& engine(const std::string& name) {
    static std::vector<std::pair<std::string, Engine*>> cache;
    for (auto& [n, e] : cache)
        if (n == name) return *e;
    cache.emplace_back(name, new Engine(name));
    return *cache.back().second;
}

void two_electron_build(benchmark::State& state, const std::string& name) {
    Engine& e = engine(name);
    for (auto _ : state) benchmark::DoNotOptimize(e.hf.two_electron(e.solution.channels[0].density));
}

void stability_check(benchmark::State& state, const std::string& name) {
    Engine& e = engine(name);
    unsigned products = 0;
    for (auto _ : state) products = check_stability(e.hf, e.solution).products;
    state.counters["two_electron_builds"] = products;
}

void independent_start(benchmark::State& state, const std::string& name) {
    Engine& e = engine(name);
    unsigned iterations = 0;
    for (auto _ : state) iterations = diis_with_following(e.hf, e.atomic_start).scf.iterations;
    state.counters["diis_iterations"] = iterations;
}

void plain_loop(benchmark::State& state, const std::string& name) {
    Engine& e = engine(name);
    unsigned iterations = 0;
    for (auto _ : state) iterations = e.hf.iterate().iterations;
    state.counters["iterations"] = iterations;
}

}  // namespace

#define TRUST_BENCH(molecule)                                                                              \
    BENCHMARK_CAPTURE(two_electron_build, molecule, #molecule)->Unit(benchmark::kMillisecond);             \
    BENCHMARK_CAPTURE(stability_check, molecule, #molecule)->Unit(benchmark::kMillisecond)->Iterations(3); \
    BENCHMARK_CAPTURE(independent_start, molecule, #molecule)->Unit(benchmark::kMillisecond)->Iterations(2); \
    BENCHMARK_CAPTURE(plain_loop, molecule, #molecule)->Unit(benchmark::kMillisecond)->Iterations(1)

TRUST_BENCH(naphthalene);
TRUST_BENCH(caffeine);
TRUST_BENCH(caffeine_sto6g);

BENCHMARK_MAIN();

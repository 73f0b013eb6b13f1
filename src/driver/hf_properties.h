#pragma once

struct HF;
struct Properties;

// The properties of a finished run: its overlap, core Hamiltonian, the Fock
// matrix and the density that built it, and its orbital energies. Converged is
// taken from the run; stability is unknown here.
Properties hf_properties(const HF& hf);

#pragma once

#include <optional>
#include <string>

// Electrons of each spin for a total spin S: multiplicity M = 2S + 1,
// N_alpha = (N + M - 1) / 2 and N_beta = (N - M + 1) / 2.
struct SpinState {
    unsigned multiplicity;
    unsigned alpha;
    unsigned beta;
};

// The spin state of `electrons` electrons in `orbitals` spatial orbitals. Without a
// multiplicity it is 1 for an even electron count and 2 for an odd one. A multiplicity
// that the count cannot have (wrong parity, more unpaired electrons than electrons, or
// more alpha electrons than orbitals) is refused with Failure (bad_input), naming path.
SpinState spin_state(unsigned electrons, unsigned orbitals, std::optional<long long> multiplicity,
                     const std::string& path);

// S(S + 1) with S = (M - 1) / 2, the <S^2> of a pure spin state.
double exact_s_squared(unsigned multiplicity);

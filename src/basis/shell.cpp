#include "basis/shell.h"

unsigned ElementShell::size() const { return shell_size(L, pure); }

unsigned shell_size(unsigned L, bool pure) { return pure ? 2 * L + 1 : (L + 1) * (L + 2) / 2; }

char shell_letter(unsigned L) {
    static const char letters[] = "spdfghiklmnoqrtuvwxyz";
    return L < sizeof letters - 1 ? letters[L] : '?';
}

std::array<unsigned, 3> cartesian_powers(unsigned L, unsigned k) {
    // x power from L down to 0; for each, y power from what is left down to 0.
    for (unsigned l = L + 1; l-- > 0;) {
        const unsigned rest = L - l;
        if (k <= rest) return {l, rest - k, k};
        k -= rest + 1;
    }
    return {0, 0, 0};
}

std::string cartesian_name(unsigned L, unsigned k) {
    const std::array<unsigned, 3> p = cartesian_powers(L, k);
    std::string name;
    for (int axis = 0; axis < 3; ++axis) name.append(p[axis], static_cast<char>('x' + axis));
    return name;
}

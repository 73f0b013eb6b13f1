#include "basis/shell.h"

unsigned ElementShell::size() const { return shell_size(L, pure); }

unsigned shell_size(unsigned L, bool pure) { return pure ? 2 * L + 1 : (L + 1) * (L + 2) / 2; }

char shell_letter(unsigned L) {
    static const char letters[] = "spdfghiklmnoqrtuvwxyz";
    return L < sizeof letters - 1 ? letters[L] : '?';
}

namespace {

// Molden's orders of the d, f and g components.
const char* const molden_order[5] = {"", "", "xx yy zz xy xz yz", "xxx yyy zzz xyy xxy xxz xzz yzz yyz xyz",
                                     "xxxx yyyy zzzz xxxy xxxz yyyx yyyz zzzx zzzy xxyy xxzz yyzz xxyz yyxz zzxy"};

}  // namespace

std::array<unsigned, 3> cartesian_powers(unsigned L, unsigned k) {
    if (L >= 2 && L <= 4) {
        const char* c = molden_order[L];
        for (unsigned skip = 0; skip < k; ++c)
            if (*c == ' ') ++skip;
        std::array<unsigned, 3> p{0, 0, 0};
        for (; *c != ' ' && *c != '\0'; ++c) ++p[static_cast<std::size_t>(*c - 'x')];
        return p;
    }
    // x power from L down to 0; for each, y power from what is left down to 0.
    for (unsigned l = L + 1; l-- > 0;) {
        const unsigned rest = L - l;
        if (k <= rest) return {l, rest - k, k};
        k -= rest + 1;
    }
    return {0, 0, 0};
}

std::string function_name(unsigned L, bool pure, unsigned k) {
    if (pure && L > 1) {
        if (k == 0) return "0";
        return ((k % 2 == 1) ? "+" : "-") + std::to_string((k + 1) / 2);
    }
    const std::array<unsigned, 3> p = cartesian_powers(L, k);
    std::string name;
    for (int axis = 0; axis < 3; ++axis) name.append(p[axis], static_cast<char>('x' + axis));
    return name;
}

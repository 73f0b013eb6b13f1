#include "basis/basis.h"

#include "basis/basis_library.h"
#include "basis/sto_ng.h"
#include "common/failure.h"

std::optional<std::string> canonical_basis_name(const std::string& name) {
    std::string key;
    for (char ch : name) key += (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
    for (const char* known : {"sto-3g", "sto-6g"}) {
        const std::string canonical = known;
        const std::string unhyphenated = canonical.substr(0, 3) + canonical.substr(4);  // "sto3g"
        if (key == canonical || key == unhyphenated) return canonical;
    }
    return std::nullopt;
}

std::optional<std::string> basis_set_name(const std::string& spelling) {
    if (const std::optional<std::string> builtin = canonical_basis_name(spelling)) return builtin;
    return library_set_name(spelling);
}

const BasisLibrary& builtin_basis(const std::string& name) {
    static const BasisLibrary sto3g = sto3g_library();
    static const BasisLibrary sto6g = sto6g_library();
    if (name == "sto-3g") return sto3g;
    if (name == "sto-6g") return sto6g;
    throw Failure{"Unrecognized basis set", exit_status::unknown_basis};
}

namespace {
ElementShell table_shell(unsigned L, int n, const double* exponents, const double* coefficients) {
    ElementShell shell;
    shell.L = L;
    shell.exponents.assign(exponents, exponents + n);
    shell.coefficients.assign(coefficients, coefficients + n);
    return shell;
}
}  // namespace

ElementBasis sto_ng_element(unsigned Z, int n, const double* e1s, const double* c1s, const double* e2sp,
                            const double* c2s, const double* c2p) {
    ElementBasis shells{table_shell(0, n, e1s, c1s)};
    if (Z >= 3) {
        shells.push_back(table_shell(0, n, e2sp, c2s));
        shells.push_back(table_shell(1, n, e2sp, c2p));
    }
    return shells;
}

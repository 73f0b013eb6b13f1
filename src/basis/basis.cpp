#include "basis/basis.h"

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

void Basis::set(std::string orbital, unsigned Z, Vec3 centre) {
    gtos.clear();
    if (type == "sto-3g")
        addGTOs_sto3g(orbital, Z, centre);
    else if (type == "sto-6g")
        addGTOs_sto6g(orbital, Z, centre);
    else
        throw Failure{"Unrecognized basis set", exit_status::unknown_basis};
}

void Basis::addGTO_s(double alpha, double c, Vec3 centre) { gtos.emplace_back(c, centre, alpha, 0, 0, 0); }
void Basis::addGTO_px(double alpha, double c, Vec3 centre) { gtos.emplace_back(c, centre, alpha, 1, 0, 0); }
void Basis::addGTO_py(double alpha, double c, Vec3 centre) { gtos.emplace_back(c, centre, alpha, 0, 1, 0); }
void Basis::addGTO_pz(double alpha, double c, Vec3 centre) { gtos.emplace_back(c, centre, alpha, 0, 0, 1); }

void Basis::add_row(const std::string& orbital, const double* exponents, const double* coefficients, int count,
                    Vec3 centre) {
    for (int k = 0; k < count; ++k) {
        if (orbital == "1s" || orbital == "2s")
            addGTO_s(exponents[k], coefficients[k], centre);
        else if (orbital == "2px")
            addGTO_px(exponents[k], coefficients[k], centre);
        else if (orbital == "2py")
            addGTO_py(exponents[k], coefficients[k], centre);
        else if (orbital == "2pz")
            addGTO_pz(exponents[k], coefficients[k], centre);
    }
}

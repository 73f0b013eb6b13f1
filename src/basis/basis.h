#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "basis/gto.h"
#include "basis/vec3.h"

// The canonical name ("sto-3g" or "sto-6g") of a basis-set name written in any
// letter case, with or without the hyphen ("STO-3G", "sto3g", "Sto-6G"); empty
// for any other name.
std::optional<std::string> canonical_basis_name(const std::string& name);
// The canonical names, for messages: "sto-3g or sto-6g".
constexpr const char* known_basis_names = "sto-3g or sto-6g";

// The compiled-in STO-3G and STO-6G library. set() fills the work list with the
// primitives of one orbital of one element; getGTOs() hands out a copy of it.
struct Basis {
    std::vector<GTO> gtos;
    std::string type = "undefined";

    void setType(std::string name) { type = std::move(name); }
    // Throws Failure("Unrecognized basis set", 1) when type is neither "sto-3g" nor "sto-6g".
    void set(std::string orbital, unsigned Z, Vec3 centre);
    std::vector<GTO> getGTOs() const { return gtos; }

    // Adders take the exponent first, then the coefficient.
    void addGTO_s(double alpha, double c, Vec3 centre);
    void addGTO_px(double alpha, double c, Vec3 centre);
    void addGTO_py(double alpha, double c, Vec3 centre);
    void addGTO_pz(double alpha, double c, Vec3 centre);

    void addGTOs_sto3g(const std::string& orbital, unsigned Z, Vec3 centre);
    void addGTOs_sto6g(const std::string& orbital, unsigned Z, Vec3 centre);

    // True for the names set() accepts.
    static bool known_type(const std::string& name) { return name == "sto-3g" || name == "sto-6g"; }

private:
    // Appends one primitive per (exponent, coefficient) pair with the adder of the orbital.
    void add_row(const std::string& orbital, const double* exponents, const double* coefficients, int count,
                 Vec3 centre);
};

#include "basis/basis_set.h"

#include <map>
#include <sstream>

#include "basis/basis.h"
#include "basis/basis_library.h"
#include "common/failure.h"

namespace {

[[noreturn]] void refuse(const Molecule& mol, unsigned a, const std::string& what) {
    throw Failure{"Error: basis set " + mol.basis_name + ", " + mol[a].ps() + " (atom " + std::to_string(a + 1) +
                      "): " + what,
                  exit_status::unsupported};
}

// The functions of one shell: one contraction per Cartesian component.
void expand(const Shell& shell, std::vector<CGF>& functions) {
    for (unsigned k = 0; k < shell.size(); ++k) {
        const std::array<unsigned, 3> p = cartesian_powers(shell.L, k);
        CGF f{shell.atom, {}};
        for (std::size_t i = 0; i < shell.exponents.size(); ++i)
            f.gtos.emplace_back(shell.coefficients[i], shell.exponents[i], p[0], p[1], p[2]);
        functions.push_back(std::move(f));
    }
}

}  // namespace

BasisSet basis_from_shells(const Molecule& mol, const BasisLibrary& library, bool builtin) {
    BasisSet basis;
    basis.builtin = builtin;
    basis.first.push_back(0);
    basis.atom_shells.push_back(0);
    basis.shell_first.push_back(0);
    for (unsigned a = 0; a < mol.nratoms(); ++a) {
        const Atom& atom = mol[a];
        const auto element = library.find(atom.element);
        if (element == library.end() || element->second.empty()) refuse(mol, a, "no functions");
        std::map<unsigned, unsigned> shells_of_l;  // shells of each L placed so far on this atom
        for (const ElementShell& from : element->second) {
            if (from.exponents.empty() || from.exponents.size() != from.coefficients.size())
                refuse(mol, a, "a shell without primitives or with unequal numbers of exponents and coefficients");
            if (builtin && from.pure && from.L > 1) refuse(mol, a, "a pure (spherical) shell beyond p; expected Cartesian functions");
            Shell shell;
            static_cast<ElementShell&>(shell) = from;
            shell.atom = a;
            const std::string orbital = std::to_string(from.L + 1 + shells_of_l[from.L]++) + shell_letter(from.L);
            for (unsigned k = 0; k < shell.size(); ++k) {
                std::ostringstream label;
                label << "[" << basis.labels.size() + 1 << "] " << atom.ps() << a + 1 << "\t (" << orbital
                      << function_name(from.L, from.pure, k) << ")";
                basis.labels.push_back(label.str());
            }
            if (builtin) expand(shell, basis.functions);
            basis.primitives += shell.size() * static_cast<unsigned>(shell.exponents.size());
            basis.shells.push_back(std::move(shell));
            basis.shell_first.push_back(basis.size());
        }
        basis.atom_shells.push_back(static_cast<unsigned>(basis.shells.size()));
        basis.first.push_back(basis.size());
    }
    return basis;
}

namespace {

// Whether the built-in tables serve the molecule: a set they hold, no file, every atom H ... Ne.
bool builtin_tables_serve(const Molecule& mol) {
    if (!mol.basis_file.empty() || (mol.basis_name != "sto-3g" && mol.basis_name != "sto-6g")) return false;
    const BasisLibrary& table = builtin_basis(mol.basis_name);
    for (const Atom& atom : mol.atoms)
        if (table.find(atom.element) == table.end()) return false;
    return true;
}

}  // namespace

BasisSet molecular_basis(const Molecule& mol) {
    if (builtin_tables_serve(mol)) return basis_from_shells(mol, builtin_basis(mol.basis_name));
    const BasisFile file = mol.basis_file.empty() ? load_library_set(mol.basis_name, basis_library_directory())
                                                  : read_basis_file(mol.basis_file);
    const bool pure = mol.pure.value_or(file.kind != FunctionKind::cartesian);
    BasisLibrary elements;
    for (const Atom& atom : mol.atoms) {
        ElementBasis shells = element_shells(file, atom.element, mol.basis_name);
        for (ElementShell& shell : shells) shell.pure = pure;
        elements[atom.element] = std::move(shells);
    }
    return basis_from_shells(mol, elements, false);
}

unsigned function_count(const Molecule& mol) { return molecular_basis(mol).size(); }

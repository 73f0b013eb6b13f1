#include "basis/basis_library.h"

#include <cstdlib>
#include <filesystem>

#include "common/failure.h"
#include "common/quote.h"
#include "molecule/periodic_table.h"

namespace fs = std::filesystem;

namespace {

// A set's name folded for comparison: lower case, no blanks, the (d) and (d,p)
// polarisation spellings as * and **, def2 with its hyphen.
std::string folded(const std::string& spelling) {
    std::string s;
    for (char c : spelling) {
        if (c == ' ' || c == '\t') continue;
        s += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    const auto replace = [&s](const std::string& from, const std::string& to) {
        const std::size_t at = s.find(from);
        if (at != std::string::npos) s.replace(at, from.size(), to);
    };
    replace("(d,p)", "**");
    replace("(d)", "*");
    if (s.compare(0, 4, "def2") == 0 && s.size() > 4 && s[4] != '-') s.insert(4, "-");
    return s;
}

const LibrarySet* find_set(const std::string& spelling) {
    const std::string key = folded(spelling);
    for (const LibrarySet& set : library_sets())
        if (folded(set.name) == key) return &set;
    return nullptr;
}

}  // namespace

const std::vector<LibrarySet>& library_sets() {
    static const std::vector<LibrarySet> sets = {{"STO-3G", "sto-3g.gbs"},
                                                 {"STO-6G", "sto-6g.gbs"},
                                                 {"3-21G", "3-21g.gbs"},
                                                 {"6-31G", "6-31g.gbs"},
                                                 {"6-31G*", "6-31gs.gbs"},
                                                 {"6-31G**", "6-31gss.gbs"},
                                                 {"6-31+G*", "6-31pgs.gbs"},
                                                 {"6-31++G**", "6-31ppgss.gbs"},
                                                 {"6-311G**", "6-311gss.gbs"},
                                                 {"cc-pVDZ", "cc-pvdz.gbs"},
                                                 {"cc-pVTZ", "cc-pvtz.gbs"},
                                                 {"cc-pVQZ", "cc-pvqz.gbs"},
                                                 {"aug-cc-pVDZ", "aug-cc-pvdz.gbs"},
                                                 {"aug-cc-pVTZ", "aug-cc-pvtz.gbs"},
                                                 {"def2-SVP", "def2-svp.gbs"},
                                                 {"def2-TZVP", "def2-tzvp.gbs"},
                                                 {"def2-TZVPP", "def2-tzvpp.gbs"},
                                                 {"def2-QZVP", "def2-qzvp.gbs"}};
    return sets;
}

std::string library_names() {
    std::string names;
    for (const LibrarySet& set : library_sets()) names += std::string(names.empty() ? "" : ", ") + set.name;
    return names;
}

std::optional<std::string> library_set_name(const std::string& spelling) {
    const LibrarySet* set = find_set(spelling);
    if (set == nullptr) return std::nullopt;
    return std::string(set->name);
}

std::string basis_library_directory() {
    if (const char* dir = std::getenv("VELKO_BASIS_DIR"); dir != nullptr && *dir != '\0') return dir;
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        const fs::path installed = program.parent_path().parent_path() / "share" / "velko" / "basis";
        if (fs::is_directory(installed, error)) return installed.string();
    }
    return VELKO_BASIS_SOURCE_DIR;
}

BasisFile load_library_set(const std::string& spelling, const std::string& directory) {
    const LibrarySet* set = find_set(spelling);
    if (set == nullptr) {
        throw Failure{
            "Unrecognized basis set\nError: no basis set " + quoted(spelling) + " in the library; it holds " +
                library_names(),
            exit_status::unknown_basis};
    }
    return read_basis_file((fs::path(directory) / set->file).string());
}

const ElementBasis& element_shells(const BasisFile& basis, unsigned z, const std::string& set_name) {
    const auto found = basis.elements.find(z);
    if (found == basis.elements.end())
        throw Failure{
            "Error: basis set " + quoted(set_name) + " has no functions for " + periodic_symbol(static_cast<int>(z)),
            exit_status::unknown_basis};
    return found->second;
}

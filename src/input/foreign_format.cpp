#include "input/foreign_format.h"

#include <cstddef>
#include <vector>

#include "common/failure.h"
#include "common/quote.h"
#include "input/input_lines.h"
#include "common/fieldparse.h"

namespace {

struct Kind {
    const char* name;
    const char* babel_format;  // Open Babel's input format code
};

const Kind mdl_molfile{"an MDL molfile", "mol"};
const Kind mdl_sd_file{"an MDL SD file", "sdf"};
const Kind sybyl_mol2{"a Sybyl Mol2 file", "mol2"};
const Kind pdb{"a Protein Data Bank file", "pdb"};
const Kind cml{"a Chemical Markup Language file", "cml"};
// Open Babel reads Gaussian input with a Z-matrix ("gzmat"); Cartesian atom lines of one
// are already the atom lines of an XYZ file.
const Kind gaussian{"a Gaussian input file", "gzmat"};

struct Extension {
    const char* ending;
    const Kind* kind;
};
const Extension extensions[] = {{".mol", &mdl_molfile}, {".sdf", &mdl_sd_file}, {".sd", &mdl_sd_file},
                                {".mol2", &sybyl_mol2}, {".pdb", &pdb},         {".ent", &pdb},
                                {".cml", &cml},         {".gjf", &gaussian},    {".gjc", &gaussian},
                                {".gau", &gaussian},    {".com", &gaussian}};

// Record names that open a PDB file's lines, padded to their six columns.
const char* const pdb_records[] = {"HEADER", "ATOM  ", "HETATM", "REMARK", "CRYST1", "COMPND", "TITLE ", "MODEL "};

bool ends_with(const std::string& text, const std::string& ending) {
    return text.size() > ending.size() && to_lower(text.substr(text.size() - ending.size())) == ending;
}

// A path as a shell word: as it is when it holds only letters, digits and ._/+-, else in
// single quotes; bytes that are not printable are shown as quoted() shows them.
std::string shell_quoted(const std::string& path) {
    bool plain = !path.empty();
    for (char c : path)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
              c == '/' || c == '+' || c == '-'))
            plain = false;
    if (plain) return path;
    std::string word = "'";
    for (char c : printable(path)) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

bool starts_with(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

const Kind* kind_by_content(LineReader& reader) {
    const std::optional<std::string>& first = reader.peek(0);
    if (!first) return nullptr;
    if (starts_with(*first, "%") || starts_with(*first, "#")) return &gaussian;
    const std::string padded = *first + "      ";
    for (const char* record : pdb_records)
        if (starts_with(padded, record)) return &pdb;
    if (starts_with(*first, "@<TRIPOS>")) return &sybyl_mol2;
    const std::optional<std::string>& counts = reader.peek(3);
    if (counts && (counts->find("V2000") != std::string::npos || counts->find("V3000") != std::string::npos))
        return &mdl_molfile;
    return nullptr;
}

}  // namespace

std::optional<ForeignFormat> foreign_format(const std::string& path, LineReader& reader) {
    const Kind* kind = kind_by_content(reader);
    for (const Extension& e : extensions)
        if (ends_with(path, e.ending) && (kind == nullptr || kind == &mdl_molfile)) kind = e.kind;
    if (kind == nullptr) return std::nullopt;
    std::string stem = path;
    const std::size_t dot = stem.rfind('.');
    const std::size_t slash = stem.rfind('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) stem.erase(dot);
    return ForeignFormat{kind->name, std::string("obabel -i") + kind->babel_format + " " + shell_quoted(path) +
                                         " -O " + shell_quoted(stem + ".xyz")};
}

void refuse_foreign_format(const std::string& path, const ForeignFormat& format) {
    throw Failure{"Error: input file " + quoted(path) + " is " + format.name +
                      ", a format velko does not read; convert it to XYZ with Open Babel: " + format.command,
                  exit_status::bad_input};
}

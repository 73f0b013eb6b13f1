#include "basis/basis_file.h"

#include <cstdio>
#include <optional>

#include "common/failure.h"
#include "common/fieldparse.h"
#include "common/quote.h"
#include "molecule/periodic_table.h"

namespace {

// The largest library files (every element, quadruple zeta) are a few MB;
// anything far larger is no basis-set file (/dev/zero, a disk image).
constexpr std::size_t max_file_bytes = std::size_t{64} << 20;

// Shell letters by angular momentum (I is 6, J is skipped as in spectroscopy).
const std::string shell_letters = "spdfghiklm";
constexpr int sp_shell = -1;  // SP or L: an s and a p shell sharing exponents
constexpr int no_shell = -2;

[[noreturn]] void refuse(const std::string& path, std::size_t line, const std::string& expected,
                         const std::string& found) {
    throw Failure{"Error in basis-set file " + quoted(path) + ", line " + std::to_string(line) + ": expected " +
                      expected + ", found " + found,
                  exit_status::bad_input};
}

struct Line {
    std::size_t number;
    std::string text;
    std::vector<std::string> fields;
};

struct Lines {
    std::vector<Line> content;  // without comments and blank lines
    std::size_t total = 0;      // number of the last line of the file
};

// The lines of a file that hold something, split into fields at blanks and tabs,
// with everything from the comment character on removed.
Lines content_lines(const std::string& text, const std::string& path, char comment) {
    Lines lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lines.total;
        if (line.find('\0') != std::string::npos) refuse(path, lines.total, "text", "a NUL byte (not a text file?)");
        const std::size_t cut = line.find(comment);
        std::string kept = line.substr(0, cut);
        std::vector<std::string> fields;
        std::string field;
        for (char c : kept + ' ') {
            if (c == ' ' || c == '\t' || c == '\r') {
                if (!field.empty()) fields.push_back(field);
                field.clear();
            } else {
                field += c;
            }
        }
        if (!fields.empty()) {
            while (!line.empty() && line.back() == '\r') line.pop_back();
            lines.content.push_back({lines.total, line, fields});
        }
    }
    return lines;
}

// Angular momentum of a shell letter, sp_shell for SP or L, no_shell otherwise.
int shell_type(const std::string& field) {
    const std::string t = to_lower(field);
    if (t == "sp" || t == "l") return sp_shell;
    if (t.size() != 1) return no_shell;
    const std::size_t l = shell_letters.find(t[0]);
    return l == std::string::npos ? no_shell : static_cast<int>(l);
}

const std::string shell_expected = "a shell type S, P, D, F, G, H, SP or L";

// The angular momentum of a shell line's type field, refusing others and those above h.
int checked_shell_type(const std::string& path, const Line& line, const std::string& field) {
    const int l = shell_type(field);
    if (l == no_shell) refuse(path, line.number, shell_expected, quoted(field));
    if (l > max_shell_l)
        refuse(path, line.number, "a shell of angular momentum up to H (L = " + std::to_string(max_shell_l) + ")",
               quoted(field));
    return l;
}

double exponent_field(const std::string& path, const Line& line, const std::string& field) {
    const std::optional<double> v = parse_real(field);
    if (!v || !(*v > 0.0)) refuse(path, line.number, "a positive number for the exponent", quoted(field));
    return *v;
}

double coefficient_field(const std::string& path, const Line& line, const std::string& field) {
    const std::optional<double> v = parse_real(field);
    if (!v) refuse(path, line.number, "a number for the contraction coefficient", quoted(field));
    return *v;
}

// The shells of one shell entry with `columns` coefficient columns: an SP entry
// gives an s and a p shell, any other one shell per column.
void add_shells(ElementBasis& shells, int type, const std::vector<double>& exponents,
                const std::vector<std::vector<double>>& columns) {
    for (std::size_t c = 0; c < columns.size(); ++c) {
        ElementShell shell;
        shell.L = static_cast<unsigned>(type == sp_shell ? static_cast<int>(c) : type);
        shell.exponents = exponents;
        shell.coefficients = columns[c];
        shells.push_back(shell);
    }
}

void set_purity(BasisFile& basis) {
    for (auto& element : basis.elements)
        for (ElementShell& shell : element.second) shell.pure = basis.kind != FunctionKind::cartesian;
}

unsigned element_of(const std::string& path, const Line& line, const std::string& field, const std::string& expected) {
    const int z = periodic_number(field);
    if (z == 0) refuse(path, line.number, expected, quoted(field));
    return static_cast<unsigned>(z);
}

std::string read_text(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    const Failure unreadable{"Error: cannot read basis-set file " + quoted(path), exit_status::bad_input};
    if (file == nullptr) throw unreadable;
    std::string text;
    char buffer[65536];
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file);
        text.append(buffer, n);
        if (text.size() > max_file_bytes) {
            std::fclose(file);
            throw Failure{"Error in basis-set file " + quoted(path) + ": expected at most " +
                              std::to_string(max_file_bytes >> 20) + " MiB, found a larger file",
                          exit_status::bad_input};
        }
        if (n < sizeof buffer) break;
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) throw unreadable;
    return text;
}

}  // namespace

BasisFile parse_gaussian94(const std::string& text, const std::string& path) {
    const Lines lines = content_lines(text, path, '!');
    const std::vector<Line>& all = lines.content;
    BasisFile basis;
    basis.path = path;
    std::size_t i = 0;
    if (!all.empty() && all[0].fields.size() == 1) {
        const std::string kind = to_lower(all[0].fields[0]);
        if (kind == "spherical") basis.kind = FunctionKind::pure, ++i;
        if (kind == "cartesian") basis.kind = FunctionKind::cartesian, ++i;
    }
    const auto next = [&](const std::string& expected) -> const Line& {
        if (i == all.size()) refuse(path, lines.total, expected, "the end of the file");
        return all[i++];
    };
    const std::string element_expected = "an element line: symbol and 0 (such as \"C 0\")";
    while (i < all.size()) {
        const Line& head = all[i++];
        if (head.fields.size() == 1 && head.fields[0] == "****") continue;
        std::string symbol = head.fields[0];
        if (symbol.size() > 1 && symbol[0] == '-') symbol.erase(0, 1);  // Gaussian's general-basis marker
        const unsigned z = element_of(path, head, symbol, element_expected);
        if (head.fields.size() != 2 || head.fields[1] != "0")
            refuse(path, head.number, element_expected, quoted(head.text));
        if (basis.elements.count(z) != 0)
            refuse(path, head.number, "each element once", "a second block for " + std::string(periodic_symbol(z)));
        ElementBasis& shells = basis.elements[z];
        const std::string block_end =
            "a shell line or \"****\" closing the block of " + std::string(periodic_symbol(z));
        for (;;) {
            const Line& shell = next(block_end);
            if (shell.fields.size() == 1 && shell.fields[0] == "****") {
                if (shells.empty())
                    refuse(path, shell.number,
                           "a shell line (such as \"S 3 1.00\") for " + std::string(periodic_symbol(z)), "\"****\"");
                break;
            }
            if (shell.fields.size() < 2 || shell.fields.size() > 3)
                refuse(path, shell.number,
                       "a shell line: type, number of primitives and scale factor (such as \"S 3 1.00\")",
                       quoted(shell.text));
            const int type = checked_shell_type(path, shell, shell.fields[0]);
            const std::optional<int> n = parse_whole(shell.fields[1]);
            if (!n || *n < 1)
                refuse(path, shell.number, "the number of primitives as a whole number of one or more",
                       quoted(shell.fields[1]));
            double scale = 1.0;
            if (shell.fields.size() == 3) {
                const std::optional<double> s = parse_real(shell.fields[2]);
                if (!s || !(*s > 0.0)) refuse(path, shell.number, "a positive scale factor", quoted(shell.fields[2]));
                scale = *s;
            }
            const std::size_t ncol = type == sp_shell ? 2 : 1;
            const std::string primitive_expected = ncol == 2 ? "a primitive line: exponent, s and p coefficient"
                                                             : "a primitive line: exponent and coefficient";
            std::vector<double> exponents;
            std::vector<std::vector<double>> columns(ncol);
            for (int k = 0; k < *n; ++k) {
                const Line& p = next(primitive_expected + " (" + std::to_string(*n) + " of them)");
                if (p.fields.size() != ncol + 1) refuse(path, p.number, primitive_expected, quoted(p.text));
                exponents.push_back(exponent_field(path, p, p.fields[0]) * scale * scale);
                for (std::size_t c = 0; c < ncol; ++c)
                    columns[c].push_back(coefficient_field(path, p, p.fields[c + 1]));
            }
            add_shells(shells, type, exponents, columns);
        }
    }
    if (basis.elements.empty())
        refuse(path, lines.total, "at least one element block (\"C 0\", its shells, \"****\")", "none");
    set_purity(basis);
    return basis;
}

BasisFile parse_nwchem(const std::string& text, const std::string& path) {
    const Lines lines = content_lines(text, path, '#');
    const std::vector<Line>& all = lines.content;
    BasisFile basis;
    basis.path = path;
    std::size_t first_block_line = 0;
    std::size_t i = 0;
    while (i < all.size()) {
        const Line& open = all[i++];
        const std::string key = to_lower(open.fields[0]);
        if (key == "ecp" || key == "so")
            refuse(path, open.number, "a BASIS block (effective core potentials are not supported)", quoted(open.text));
        if (key != "basis") refuse(path, open.number, "a BASIS block (BASIS ... END)", quoted(open.text));
        // Options after the keyword, the quoted block name taken out.
        std::string options = open.text.substr(open.text.find_first_not_of(" \t"));
        options = options.substr(5);
        const std::size_t q1 = options.find('"');
        if (q1 != std::string::npos) {
            const std::size_t q2 = options.find('"', q1 + 1);
            if (q2 == std::string::npos)
                refuse(path, open.number, "a closing quote after the block name", quoted(open.text));
            options.erase(q1, q2 - q1 + 1);
        }
        // NWChem reads a block that names no kind as Cartesian.
        FunctionKind kind = FunctionKind::cartesian;
        for (const Line& option : content_lines(options, path, '#').content)
            for (const std::string& word : option.fields) {
                const std::string w = to_lower(word);
                if (w == "spherical")
                    kind = FunctionKind::pure;
                else if (w != "cartesian" && w != "print" && w != "noprint")
                    refuse(path, open.number, "SPHERICAL, CARTESIAN, PRINT or NOPRINT after BASIS", quoted(word));
            }
        if (basis.kind != FunctionKind::undeclared && kind != basis.kind)
            refuse(path, open.number,
                   "the function kind of the block at line " + std::to_string(first_block_line) + " (" +
                       (basis.kind == FunctionKind::pure ? "SPHERICAL" : "CARTESIAN") + ")",
                   quoted(open.text));
        if (basis.kind == FunctionKind::undeclared) first_block_line = open.number;
        basis.kind = kind;
        const std::string block_end =
            "a shell line (such as \"C S\") or END closing the BASIS block of line " + std::to_string(open.number);
        for (;;) {
            if (i == all.size()) refuse(path, lines.total, block_end, "the end of the file");
            const Line& shell = all[i++];
            if (shell.fields.size() == 1 && to_lower(shell.fields[0]) == "end") break;
            if (shell.fields.size() != 2 || parse_real(shell.fields[0]))
                refuse(path, shell.number, block_end, quoted(shell.text));
            const unsigned z =
                element_of(path, shell, shell.fields[0], "an element symbol starting a shell (such as \"C S\")");
            const int type = checked_shell_type(path, shell, shell.fields[1]);
            std::vector<double> exponents;
            std::vector<std::vector<double>> columns;
            while (i < all.size() && parse_real(all[i].fields[0])) {
                const Line& p = all[i++];
                const std::size_t ncol = p.fields.size() - 1;
                if (columns.empty()) {
                    if (ncol == 0 || (type == sp_shell && ncol != 2))
                        refuse(path, p.number,
                               type == sp_shell ? "an exponent, an s and a p coefficient"
                                                : "an exponent and one or more coefficients",
                               quoted(p.text));
                    columns.resize(ncol);
                } else if (ncol != columns.size()) {
                    refuse(path, p.number,
                           "an exponent and " + std::to_string(columns.size()) + " coefficients, as above",
                           quoted(p.text));
                }
                exponents.push_back(exponent_field(path, p, p.fields[0]));
                for (std::size_t c = 0; c < ncol; ++c)
                    columns[c].push_back(coefficient_field(path, p, p.fields[c + 1]));
            }
            if (exponents.empty()) {
                const std::size_t at = i < all.size() ? all[i].number : lines.total;
                refuse(path, at,
                       "primitive lines \"exponent coefficient\" for the shell of line " + std::to_string(shell.number),
                       i < all.size() ? quoted(all[i].text) : "the end of the file");
            }
            add_shells(basis.elements[z], type, exponents, columns);
        }
    }
    if (basis.elements.empty()) refuse(path, lines.total, "a BASIS block with at least one shell", "none");
    set_purity(basis);
    return basis;
}

BasisFile read_basis_file(const std::string& path) {
    const std::string text = read_text(path);
    for (const Line& line : content_lines(text, path, '!').content) {
        if (line.fields[0][0] == '#') continue;
        if (to_lower(line.fields[0]) == "basis") return parse_nwchem(text, path);
        break;
    }
    return parse_gaussian94(text, path);
}

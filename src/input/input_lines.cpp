#include "input/input_lines.h"

#include <cerrno>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "molecule/element.h"
#include "common/failure.h"
#include "common/quote.h"
#include "common/fieldparse.h"

namespace {
constexpr double max_coordinate_bohr = 1e6;

// With the system's reason: "No such file or directory", "Permission denied", "Is a directory".
[[noreturn]] void refuse_unreadable(const std::string& path, int error) {
    throw Failure{"Error: cannot read input file " + quoted(path) + ": " + std::strerror(error != 0 ? error : EIO),
                  exit_status::bad_input};
}
}  // namespace

LineReader::LineReader(const std::string& path) : file_path(path) {
    errno = 0;
    file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) refuse_unreadable(path, errno);
}

LineReader::~LineReader() {
    if (file != nullptr) std::fclose(file);
}

std::optional<std::string> LineReader::read_line() {
    const std::size_t line = number + ahead.size() + 1;
    std::string text;
    bool any = false;
    for (;;) {
        errno = 0;
        const int c = std::getc(file);
        if (c == EOF) {
            if (std::ferror(file)) refuse_unreadable(file_path, errno);
            if (!any) return std::nullopt;
            break;
        }
        any = true;
        if (c == '\n') break;
        if (c == '\0') refuse_input_line(file_path, line, "text", "a NUL byte (not a text file?)");
        if (text.size() == max_line_bytes)
            refuse_input_line(file_path, line, "a line of at most " + std::to_string(max_line_bytes) + " bytes",
                              "a longer line");
        text += static_cast<char>(c);
    }
    // U+FEFF as the first bytes of a file marks UTF-8; it is not part of the text.
    if (line == 1 && text.compare(0, 3, "\xef\xbb\xbf") == 0) text.erase(0, 3);
    return text;
}

const std::optional<std::string>& LineReader::peek(std::size_t k) {
    // Past the end every line is nothing: read no further.
    while (ahead.size() <= k && (ahead.empty() || ahead.back())) ahead.push_back(read_line());
    return ahead[std::min(k, ahead.size() - 1)];
}

std::optional<std::string> LineReader::next() {
    std::optional<std::string> line;
    if (!ahead.empty()) {
        line = std::move(ahead.front());
        ahead.pop_front();
    } else {
        line = read_line();
    }
    if (line) ++number;
    return line;
}

void refuse_input_line(const std::string& path, std::size_t line, const std::string& expected,
                       const std::string& found) {
    throw Failure{"Error in input file " + quoted(path) + ", line " + std::to_string(line) + ": expected " + expected +
                      ", found " + found,
                  exit_status::bad_input};
}

std::vector<std::string> fields_of(const std::string& line) {
    std::vector<std::string> fields;
    std::string current;
    for (char ch : trim_right(line)) {
        if (ch == ' ' || ch == '\t') {
            if (!current.empty()) fields.push_back(current);
            current.clear();
        } else {
            current += ch;
        }
    }
    if (!current.empty()) fields.push_back(current);
    return fields;
}

std::string element_field(const std::string& path, std::size_t line, const std::string& field) {
    unsigned z = 0;
    if (!field.empty() && field.find_first_not_of("0123456789") == std::string::npos) {
        const std::optional<int> number = parse_whole(field);
        if (number && *number >= 1 && *number <= static_cast<int>(last_computed_element)) z = static_cast<unsigned>(*number);
    } else {
        // Programs writing atom lines vary in letter case: first letter upper, the rest lower.
        std::string symbol = to_lower(field);
        if (!symbol.empty() && symbol[0] >= 'a' && symbol[0] <= 'z')
            symbol[0] = static_cast<char>(symbol[0] - 'a' + 'A');
        z = element_number(symbol);
    }
    if (z == 0)
        refuse_input_line(path, line,
                          "an element symbol H to " + element_symbol(last_computed_element) +
                              ", or an atomic number 1 to " + std::to_string(last_computed_element),
                          quoted(field));
    return element_symbol(z);
}

double coordinate_bohr(const std::string& path, std::size_t line, int axis, const std::string& field, double scale) {
    static const char* const names[3] = {"x", "y", "z"};
    const std::optional<double> value = parse_real(field);
    if (!value) refuse_input_line(path, line, std::string("a number for the ") + names[axis] + " coordinate", quoted(field));
    const double r = *value * scale;
    if (!(std::fabs(r) <= max_coordinate_bohr))
        refuse_input_line(path, line,
                          std::string("a number for the ") + names[axis] + " coordinate of at most 1e6 bohr in magnitude",
                          quoted(field));
    return r;
}

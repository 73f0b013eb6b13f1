#include "common/fieldparse.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

std::string trim_right(const std::string& s) {
    std::string::size_type end = s.size();
    while (end > 0 && (s[end - 1] == ' ' || s[end - 1] == '\t' || s[end - 1] == '\r')) --end;
    return s.substr(0, end);
}

std::string to_lower(const std::string& s) {
    std::string lower = s;
    for (char& ch : lower)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    return lower;
}

namespace {
// strtol and strtod skip leading white space and strtod also reads hex, inf and
// nan; restricting the characters first leaves only plain decimal notation.
bool only_chars(const std::string& text, const char* allowed) {
    if (text.empty()) return false;
    return text.find_first_not_of(allowed) == std::string::npos;
}
}  // namespace

std::optional<int> parse_whole(const std::string& text) {
    if (!only_chars(text, "0123456789+-")) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (end != text.c_str() + text.size() || errno == ERANGE) return std::nullopt;
    if (value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

std::optional<double> parse_real(const std::string& text) {
    if (!only_chars(text, "0123456789+-.eEdD")) return std::nullopt;
    // Fortran writes the exponent of a double with D ("1.0D-01").
    std::string number = text;
    for (char& ch : number)
        if (ch == 'd' || ch == 'D') ch = 'e';
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    if (end != number.c_str() + number.size()) return std::nullopt;
    // Overflow gives +-HUGE_VAL; underflow gives a tiny or zero value, kept.
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

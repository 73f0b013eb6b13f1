#include "input/strfunc.h"

#include <cstddef>

namespace {
// True when needle occurs in full in s at position pos.
bool occurs_at(const std::string& s, std::size_t pos, const std::string& needle) {
    return s.compare(pos, needle.size(), needle) == 0 && pos + needle.size() <= s.size();
}
}  // namespace

int strpos(const std::string& haystack, const std::string& needle) {
    if (needle.empty() || haystack.empty()) return -1;
    for (std::size_t i = 0; i < haystack.size(); ++i)
        if (haystack[i] == needle[0] && occurs_at(haystack, i, needle)) return static_cast<int>(i);
    return -1;
}

std::string& str_replace(const std::string& search, const std::string& replacement, std::string& subject) {
    if (search.empty()) return subject;
    std::string result;
    std::size_t i = 0;
    while (i < subject.size()) {
        if (occurs_at(subject, i, search)) {
            result += replacement;
            i += search.size();
        } else {
            result += subject[i];
            ++i;
        }
    }
    subject = result;
    return subject;
}

std::string substr(const std::string& s, int start, int length) {
    // Worked in 64 bits so that extreme arguments cannot overflow.
    const long long n = static_cast<long long>(s.size());
    long long from = start;
    long long count = length;
    if (from < 0) from += n;
    if (count < 0) {
        count = count + n - from;
        if (count < 0) return std::string();
    }
    // A start still negative here is beyond the end; std::string::substr
    // raises the out-of-range error for it as for any start past the size.
    const std::size_t pos = from < 0 ? std::string::npos : static_cast<std::size_t>(from);
    return s.substr(pos, static_cast<std::size_t>(count));
}

std::string substr(const std::string& s, int start) { return substr(s, start, static_cast<int>(s.size())); }

std::string& strtrim(std::string& s) {
    str_replace("\t", " ", s);
    // Eleven halvings: a run of k blanks ends as ceil(k / 2048) blanks.
    for (int pass = 0; pass < 11; ++pass) str_replace("  ", " ", s);
    if (strpos(s, " ") == 0) s = substr(s, 1);
    return s;
}

std::vector<std::string> explode(const std::string& delimiter, const std::string& s) {
    std::vector<std::string> fields;
    if (delimiter.empty()) return fields;
    if (s.empty()) {
        fields.emplace_back();
        return fields;
    }
    std::size_t field_start = 0;
    std::size_t i = 0;
    while (i < s.size()) {
        if (occurs_at(s, i, delimiter)) {
            fields.push_back(s.substr(field_start, i - field_start));
            i += delimiter.size();
            field_start = i;
        } else {
            ++i;
        }
    }
    fields.push_back(s.substr(field_start));
    return fields;
}

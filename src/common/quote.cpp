#include "common/quote.h"

#include <cstddef>
#include <cstdint>

namespace {

void append_hex(std::string& out, unsigned char byte) {
    static const char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0xf];
}

// Length of the well-formed UTF-8 sequence at text[i] (RFC 3629: no overlong
// forms, no surrogates, nothing above U+10FFFF) and its code point; 0 if none.
std::size_t utf8_sequence(const std::string& text, std::size_t i, std::uint32_t& code) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    std::size_t length = 0;
    std::uint32_t min = 0;
    if (b0 >= 0xc2 && b0 <= 0xdf) {
        length = 2, code = b0 & 0x1fu, min = 0x80;
    } else if (b0 >= 0xe0 && b0 <= 0xef) {
        length = 3, code = b0 & 0x0fu, min = 0x800;
    } else if (b0 >= 0xf0 && b0 <= 0xf4) {
        length = 4, code = b0 & 0x07u, min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xc0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3fu);
    }
    if (code < min || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return 0;
    return length;
}

// Characters that print nothing or reorder what follows.
bool invisible(std::uint32_t code) {
    return (code >= 0x80 && code <= 0x9f) || code == 0xad || code == 0xfeff || (code >= 0x200b && code <= 0x200f) ||
           (code >= 0x2028 && code <= 0x202e) || (code >= 0x2060 && code <= 0x2069);
}

}  // namespace

std::string printable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        if (b >= 0x20 && b < 0x7f) {
            out += static_cast<char>(b);
            ++i;
        } else if (b == '\t') {
            out += "\\t", ++i;
        } else if (b == '\r') {
            out += "\\r", ++i;
        } else if (b == '\n') {
            out += "\\n", ++i;
        } else {
            std::uint32_t code = 0;
            const std::size_t length = b >= 0x80 ? utf8_sequence(text, i, code) : 0;
            if (length == 0) {
                append_hex(out, b);
                ++i;
            } else {
                for (std::size_t k = 0; k < length; ++k) {
                    if (invisible(code))
                        append_hex(out, static_cast<unsigned char>(text[i + k]));
                    else
                        out += text[i + k];
                }
                i += length;
            }
        }
    }
    return out;
}

std::string quoted(const std::string& text) { return "\"" + printable(text) + "\""; }

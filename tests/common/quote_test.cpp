// The printable form of bytes in messages. Expected forms follow from the UTF-8
// encoding (RFC 3629): é is C3 A9, å C3 A5, U+FEFF EF BB BF, U+202E E2 80 AE.
#include "common/quote.h"

#include <gtest/gtest.h>

#include <string>

TEST(Printable, ControlCharactersAndInvalidBytesAreEscaped) {
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"H 0.0 1,5", "H 0.0 1,5"},
        {"", ""},
        {"a\tb\r\n", "a\\tb\\r\\n"},
        {std::string("x\0y", 3), "x\\x00y"},
        {"\x1b[31mred", "\\x1b[31mred"},
        {"\x7f\x01", "\\x7f\\x01"},
        {"caf\xc3\xa9 \xc3\xa5", "caf\xc3\xa9 \xc3\xa5"},  // well-formed UTF-8 stays
        {"\xff\xfe", "\\xff\\xfe"},                        // never UTF-8
        {"\xc3", "\\xc3"},                                 // sequence cut off at the end
        {"\xc3(", "\\xc3("},                               // lead byte without continuation
        {"\xc0\xaf", "\\xc0\\xaf"},                        // overlong "/"
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},               // surrogate U+D800
        {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},      // beyond U+10FFFF
        {"\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"},          // U+1F600, four bytes, kept
        {"\xef\xbb\xbfH", "\\xef\\xbb\\xbfH"},             // byte-order mark: invisible
        {"a\xe2\x80\xae" "b", "a\\xe2\\x80\\xaeb"},           // right-to-left override
        {"\xc2\x9b", "\\xc2\\x9b"},                        // C1 control CSI
    };
    for (const auto& c : cases) EXPECT_EQ(printable(c.text), c.shown) << c.shown;
}

TEST(Quoted, PrintableInDoubleQuotes) {
    EXPECT_EQ(quoted("water.in"), "\"water.in\"");
    EXPECT_EQ(quoted("a\x1b" "b"), "\"a\\x1bb\"");
}

#include "input/strfunc.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/fieldparse.h"

namespace {

using Fields = std::vector<std::string>;

TEST(Strpos, FirstOccurrenceAndEmptyArguments) {
    struct Case {
        const char* haystack;
        const char* needle;
        int expected;
    };
    const Case cases[] = {
        {"abc", "", -1},       // empty needle: -1, not 0
        {"", "a", -1},         //
        {"", "", -1},          //
        {"abcabc", "ca", 2},   //
        {"abcabc", "abc", 0},  //
        {"abcabc", "bc", 1},   // first, not last, occurrence
        {"ab", "abc", -1},     // needle longer than haystack
        {"abcab", "abc", 0},   //
        {"xxab", "abc", -1},   // partial match running off the end
        {"a=b=c", "=", 1},     //
        {"aab", "ab", 1},      // restart after a false first character
    };
    for (const Case& c : cases) EXPECT_EQ(strpos(c.haystack, c.needle), c.expected) << c.haystack << " / " << c.needle;
}

TEST(StrReplace, LeftToRightWithoutRescanning) {
    struct Case {
        const char* search;
        const char* replacement;
        const char* subject;
        const char* expected;
    };
    const Case cases[] = {
        {"aa", "a", "aaaa", "aa"},  // one pass: replaced text is not scanned again
        {"aa", "a", "aaa", "aa"},   //
        {"", "x", "abc", "abc"},    // empty search: unchanged
        {"a", "aa", "aba", "aabaa"},
        {"\t", " ", "\ta\tb", " a b"},
        {"ab", "", "xabyab", "xy"},
        {"abc", "z", "ab", "ab"},
        {"x", "y", "", ""},
    };
    for (const Case& c : cases) {
        std::string subject = c.subject;
        std::string& result = str_replace(c.search, c.replacement, subject);
        EXPECT_EQ(subject, c.expected) << c.search << " -> " << c.replacement << " in " << c.subject;
        EXPECT_EQ(&result, &subject);  // modified in place and returned
    }
}

TEST(Substr, NegativeStartAndLength) {
    EXPECT_EQ(substr("abcdef", -2), "ef");
    EXPECT_EQ(substr("abcdef", 1, -2), "bcd");
    EXPECT_EQ(substr("abcdef", -3, -1), "de");
    EXPECT_EQ(substr("abcdef", 2, 3), "cde");
    EXPECT_EQ(substr("abcdef", 4, 10), "ef");  // cut at the end
    EXPECT_EQ(substr("abcdef", 0), "abcdef");
    EXPECT_EQ(substr("abcdef", 1), "bcdef");
    EXPECT_EQ(substr("abc", 3), "");     // start == size is allowed
    EXPECT_EQ(substr("abc", 1, -5), "");  // negative length left after adjusting
    EXPECT_EQ(substr("abc", 1, 0), "");
    EXPECT_EQ(substr("abc", -3), "abc");
}

TEST(Substr, StartBeyondEndThrows) {
    EXPECT_THROW(substr("abc", 4), std::out_of_range);
    EXPECT_THROW(substr("abc", 4, 1), std::out_of_range);
    EXPECT_THROW(substr("abc", -4), std::out_of_range);  // still negative after adding the size
    EXPECT_THROW(substr("", 1), std::out_of_range);
    // A length that turns negative returns before the range check.
    EXPECT_EQ(substr("abc", 10, -20), "");
}

TEST(Strtrim, CollapsesBlanksAndDropsOneLeading) {
    struct Case {
        std::string input;
        std::string expected;
    };
    const Case cases[] = {
        {"\t  H \t 0.0   1.0  ", "H 0.0 1.0 "},  // one trailing blank survives
        {"   \t  ", ""},                          // blanks only
        {"", ""},
        {"H", "H"},
        {" H", "H"},
        {"a\tb", "a b"},
        {std::string(2048, ' ') + "x", "x"},       // 2048 blanks: one blank after 11 halvings
        {std::string(2049, ' ') + "x", " x"},      // 2049: two blanks, one dropped
        {"a" + std::string(2049, ' ') + "b", "a  b"},
    };
    for (const Case& c : cases) {
        std::string s = c.input;
        std::string& result = strtrim(s);
        EXPECT_EQ(s, c.expected) << "input of length " << c.input.size();
        EXPECT_EQ(&result, &s);
    }
}

TEST(Explode, KeepsEmptyFields) {
    EXPECT_EQ(explode(" ", "a b"), (Fields{"a", "b"}));
    EXPECT_EQ(explode(" ", "a  b "), (Fields{"a", "", "b", ""}));
    EXPECT_EQ(explode(" ", " a"), (Fields{"", "a"}));
    EXPECT_EQ(explode(" ", ""), (Fields{""}));
    EXPECT_EQ(explode(" ", "abc"), (Fields{"abc"}));
    EXPECT_EQ(explode("", "a b"), Fields{});
    EXPECT_EQ(explode("", ""), Fields{});
    EXPECT_EQ(explode("::", "a::b:::c"), (Fields{"a", "b", ":c"}));
    EXPECT_EQ(explode(" ", " "), (Fields{"", ""}));
}

TEST(FieldParse, TrimRightAndLower) {
    EXPECT_EQ(trim_right("sto-3g \t\r"), "sto-3g");
    EXPECT_EQ(trim_right("\r"), "");
    EXPECT_EQ(trim_right(" a b"), " a b");  // leading blanks stay
    EXPECT_EQ(to_lower("AngStrom-3G"), "angstrom-3g");
}

TEST(FieldParse, WholeNumbers) {
    EXPECT_EQ(parse_whole("3"), 3);
    EXPECT_EQ(parse_whole("+3"), 3);
    EXPECT_EQ(parse_whole("-1"), -1);
    EXPECT_EQ(parse_whole("0"), 0);
    EXPECT_EQ(parse_whole("2147483647"), 2147483647);
    for (const char* bad : {"", "2.5", "2a", " 2", "2 ", "abc", "0x10", "1e3", "2147483648", "-", "+"})
        EXPECT_FALSE(parse_whole(bad).has_value()) << '"' << bad << '"';
}

TEST(FieldParse, RealNumbers) {
    struct Case {
        const char* text;
        double expected;
    };
    // strtod of plain decimal notation: exact for these short literals.
    const Case good[] = {{"1.0e-1", 0.1}, {"-2", -2.0}, {".5", 0.5}, {"+1.5", 1.5}, {"0.74", 0.74},
                         {"1E2", 100.0},  {"-0.0", -0.0}, {"3.", 3.0}};
    for (const Case& c : good) {
        const auto value = parse_real(c.text);
        ASSERT_TRUE(value.has_value()) << c.text;
        EXPECT_EQ(*value, c.expected) << c.text;
    }
    for (const char* bad : {"", "abc", "O.5", "1,5", "1.5x", "inf", "-inf", "nan", "1e999", "0x1p3", " 1", "1 ",
                            ".", "e5", "1e", "--1", "1\r"})
        EXPECT_FALSE(parse_real(bad).has_value()) << '"' << bad << '"';
}

}  // namespace

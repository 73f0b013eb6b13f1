#pragma once

#include <string>
#include <vector>

// String tools with which input lines are cut into values and fields. They work
// on 8-bit characters, without encoding or locale; positions are signed ints.

// Index of the first occurrence of needle in haystack; -1 when absent, and also
// when either string is empty.
int strpos(const std::string& haystack, const std::string& needle);

// Replaces every occurrence of search in subject, left to right, never
// rescanning replaced text. An empty search leaves the subject as it is.
std::string& str_replace(const std::string& search, const std::string& replacement, std::string& subject);

// Substring with negative positions counted from the end: a negative start
// counts back from the end, a negative length leaves that many characters off
// the end. A start beyond the end throws std::out_of_range.
std::string substr(const std::string& s, int start, int length);
std::string substr(const std::string& s, int start);

// Tabs to blanks, runs of blanks (up to 2048) to one blank, one leading blank
// dropped. A trailing run of blanks ends as one trailing blank.
std::string& strtrim(std::string& s);

// Splits s at every occurrence of delimiter, keeping empty fields. An empty
// delimiter gives no fields; an empty s gives one empty field.
std::vector<std::string> explode(const std::string& delimiter, const std::string& s);

#pragma once

#include <string>

// A file name or a piece of an input file inside a message: in double quotes.
std::string quoted(const std::string& text);

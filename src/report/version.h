#pragma once

#include <string>

// The nine-line version banner, ending with an empty line.
std::string version();

// The program's version number alone, e.g. "1.4.1".
std::string version_number();

// The compiler that built this program and its version, e.g. "gcc 12.2.0".
std::string compiler_description();

#pragma once

#include <string>

// The nine-line version banner, ending with an empty line.
std::string version();

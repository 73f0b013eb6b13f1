#include "common/quote.h"

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

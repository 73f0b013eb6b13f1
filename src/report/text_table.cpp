#include "report/text_table.h"

#include <cmath>
#include <iomanip>

namespace {

const char* const box_side = "*                     *";

}  // namespace

void box_header(std::ostringstream& os, const char* title) {
    for (const char* line : {box_stars, box_side, title, box_side, box_stars}) os << std::setw(33) << line << '\n';
    os << '\n';
}

void table_rule(std::ostringstream& os, std::size_t cells) {
    os << '|';
    for (std::size_t k = 0; k < cells; ++k) os << "----------|";
    os << '\n';
}

void table_row(std::ostringstream& os, const std::vector<std::string>& cells) {
    os << '|';
    for (const std::string& c : cells) os << std::setw(10) << c << '|';
    os << '\n';
}

std::string fixed_text(double value, int decimals) {
    if (std::fabs(value) < 0.5 * std::pow(10.0, -decimals)) value = 0.0;
    std::ostringstream os;
    os << std::fixed << std::setprecision(decimals) << value;
    return os.str();
}

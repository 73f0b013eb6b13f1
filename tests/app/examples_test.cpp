// The bundled example inputs: each is checked with a reader of its own (not the
// program's) for the positional header, the announced number of atom lines, an
// electron count of the right parity for its multiplicity, and the bond lengths and
// angles its geometry was built from (see examples/README.md for their sources).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Site {
    std::string symbol;
    double x, y, z;
};

struct Example {
    std::string basis, aux, units;
    std::vector<Site> atoms;
    int lines = 0;
};

std::string header_value(const std::string& line) {
    const auto eq = line.find('=');
    std::string v = eq == std::string::npos ? line : line.substr(eq + 1);
    const auto first = v.find_first_not_of(" \t");
    const auto last = v.find_last_not_of(" \t");
    return first == std::string::npos ? "" : v.substr(first, last - first + 1);
}

Example read_example(const std::string& name) {
    Example ex;
    std::ifstream in(std::string(VELKO_SOURCE_DIR) + "/examples/" + name);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ex.lines = static_cast<int>(lines.size());
    if (lines.size() < 4) return ex;
    ex.basis = header_value(lines[0]);
    ex.aux = header_value(lines[1]);
    const int n = std::stoi(header_value(lines[2]));
    ex.units = header_value(lines[3]);
    for (int i = 0; i < n && 4 + i < ex.lines; ++i) {
        std::istringstream fields(lines[4 + i]);
        Site s;
        fields >> s.symbol >> s.x >> s.y >> s.z;
        if (fields) ex.atoms.push_back(s);
    }
    return ex;
}

int atomic_number(const std::string& s) {
    const char* const symbols[] = {"H", "He", "Li", "Be", "B", "C", "N", "O", "F", "Ne"};
    for (int z = 1; z <= 10; ++z)
        if (s == symbols[z - 1]) return z;
    return 0;
}

double distance(const Site& a, const Site& b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

// Angle a-b-c at b, in degrees.
double angle(const Site& a, const Site& b, const Site& c) {
    const double dot = (a.x - b.x) * (c.x - b.x) + (a.y - b.y) * (c.y - b.y) + (a.z - b.z) * (c.z - b.z);
    return std::acos(dot / (distance(a, b) * distance(c, b))) * 180.0 / 3.14159265358979323846;
}

struct Bond {
    int i, j;
    double length;
};
struct Angle {
    int i, j, k;
    double degrees;
};
struct Expected {
    std::string name;
    std::string units;
    std::vector<std::string> symbols;
    std::vector<Bond> bonds;
    std::vector<Angle> angles;
};

const std::vector<Expected> examples = {
    {"h2", "bohr", {"H", "H"}, {{0, 1, 1.4}}, {}},
    {"water", "bohr", {"O", "H", "H"}, {{0, 1, 1.81}, {0, 2, 1.81}}, {{1, 0, 2, 105.0}}},
    {"methane", "angstrom", {"C", "H", "H", "H", "H"},
     {{0, 1, 1.087}, {0, 2, 1.087}, {0, 3, 1.087}, {0, 4, 1.087}},
     {{1, 0, 2, 109.47122063449069}, {3, 0, 4, 109.47122063449069}}},
    {"ammonia", "angstrom", {"N", "H", "H", "H"}, {{0, 1, 1.012}, {0, 2, 1.012}, {0, 3, 1.012}},
     {{1, 0, 2, 106.7}, {2, 0, 3, 106.7}, {3, 0, 1, 106.7}}},
    {"n2", "angstrom", {"N", "N"}, {{0, 1, 1.098}}, {}},
    {"co", "angstrom", {"C", "O"}, {{0, 1, 1.128}}, {}},
    {"ethylene", "angstrom", {"C", "C", "H", "H", "H", "H"},
     {{0, 1, 1.339}, {0, 2, 1.086}, {0, 3, 1.086}, {1, 4, 1.086}, {1, 5, 1.086}},
     {{2, 0, 3, 117.6}, {4, 1, 5, 117.6}, {2, 0, 1, 121.2}}},
    {"hf", "angstrom", {"F", "H"}, {{0, 1, 0.917}}, {}},
    {"lih", "angstrom", {"Li", "H"}, {{0, 1, 1.595}}, {}},
    {"formaldehyde", "angstrom", {"C", "O", "H", "H"}, {{0, 1, 1.205}, {0, 2, 1.111}, {0, 3, 1.111}},
     {{2, 0, 3, 116.1}, {1, 0, 2, 121.95}, {1, 0, 3, 121.95}}},
};

// Open shells, with the multiplicity they are computed in.
const std::vector<std::pair<Expected, int>> open_shell_examples = {
    {{"oh", "angstrom", {"O", "H"}, {{0, 1, 0.970}}, {}}, 2},
    {{"nh2", "angstrom", {"N", "H", "H"}, {{0, 1, 1.024}, {0, 2, 1.024}}, {{1, 0, 2, 103.4}}}, 2},
};

}  // namespace

TEST(Examples, HeadersAtomsAndGeometries) {
    std::vector<std::pair<Expected, int>> all;
    for (const Expected& e : examples) all.push_back({e, 1});
    all.insert(all.end(), open_shell_examples.begin(), open_shell_examples.end());
    for (const auto& [e, multiplicity] : all) {
        for (const std::string basis : {"sto-3g", "sto-6g"}) {
            const std::string file = e.name + (basis == "sto-3g" ? ".in" : "_sto6g.in");
            SCOPED_TRACE(file);
            const Example ex = read_example(file);
            ASSERT_EQ(ex.lines, 4 + static_cast<int>(e.symbols.size()));
            EXPECT_EQ(ex.basis, basis);
            EXPECT_EQ(ex.aux, "0");
            EXPECT_EQ(ex.units, e.units);
            ASSERT_EQ(ex.atoms.size(), e.symbols.size());
            int electrons = 0;
            for (std::size_t a = 0; a < ex.atoms.size(); ++a) {
                EXPECT_EQ(ex.atoms[a].symbol, e.symbols[a]);
                electrons += atomic_number(ex.atoms[a].symbol);
            }
            // Singlets and triplets have an even electron count, doublets an odd one.
            EXPECT_EQ(electrons % 2, (multiplicity + 1) % 2);
            // Coordinates carry ten significant digits.
            for (const Bond& b : e.bonds)
                EXPECT_NEAR(distance(ex.atoms[b.i], ex.atoms[b.j]), b.length, 1e-8) << b.i << "-" << b.j;
            for (const Angle& g : e.angles)
                EXPECT_NEAR(angle(ex.atoms[g.i], ex.atoms[g.j], ex.atoms[g.k]), g.degrees, 1e-6)
                    << g.i << "-" << g.j << "-" << g.k;
        }
    }
}

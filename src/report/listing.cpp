#include "report/listing.h"

#include <iomanip>
#include <iostream>
#include <sstream>

namespace {

const char* const rule31 = "-------------------------------";

void banner(const char* title) { std::cout << "\n" << rule31 << "\n" << title << "\n" << rule31 << "\n"; }

}  // namespace

std::string matrix_listing(const char* title, const Matrix<double>& M) {
    std::ostringstream os;
    os << "\t" << title << "\n";
    os << std::fixed << std::setprecision(5);
    for (int i = 0; i < M.rows(); ++i) {
        // Only the first number of a row is padded to ten characters.
        os << std::setw(10) << M[i][0] << "\t";
        for (int j = 1; j < M.cols(); ++j) os << M[i][j] << "\t";
        os << "\n";
    }
    return os.str();
}

std::string step_line(unsigned number, double energy, double ms) {
    std::ostringstream os;
    os << std::fixed << std::setprecision(10);
    os << "Energy after iteration " << number << ":\t " << energy << " Hartree\t" << " [ " << ms << " ms ] " << "\n";
    return os.str();
}

// The first orbital energy has ten decimals, the others four, like the coefficients.
std::string molecular_orbitals_listing(const std::vector<double>& orbital_energies, const Matrix<double>& C,
                                       const std::vector<std::string>& labels, unsigned occupied,
                                       const char* title) {
    std::ostringstream os;
    os << rule31 << "\n" << title << "\n" << rule31 << "\n" << "\n";
    os << std::fixed;
    for (std::size_t i = 0; i < orbital_energies.size(); ++i) {
        os << std::setprecision(i == 0 ? 10 : 4);
        os << "*** " << i + 1 << "\t" << orbital_energies[i] << " HT" << " --- ("
           << (i < occupied ? " Occupied ) ***" : " Virtual ) ***") << "\n";
        os << std::setprecision(4);
        for (std::size_t j = 0; j < labels.size(); ++j)
            os << labels[j] << "\t\t" << C[static_cast<int>(j)][static_cast<int>(i)] << "\n";
        os << "--------------------" << "\t" << "------" << "\n" << "\n";
    }
    return os.str();
}

void Listing::input(const std::vector<std::string>& labels) {
    if (!enabled_) return;
    banner("          LIST INPUT           ");
    std::cout << "\n" << "--- List of orbitals ---" << "\n";
    for (const std::string& label : labels) std::cout << label << "\n";
    banner("             OUTPUT            ");
    std::cout << "\n";
}

void Listing::phase(const char* what) {
    if (!enabled_) return;
    clock_.tic();
    std::cout << "Constructing " << what << "...";
}

void Listing::phase_done() {
    if (!enabled_) return;
    clock_.toc();
    std::ostringstream os;
    os << std::setprecision(6) << " done [ " << clock_.passed() << " ms ]" << "\n";
    std::cout << os.str();
}

void Listing::repulsion_phase(std::uint64_t integrals) {
    if (!enabled_) return;
    clock_.tic();
    std::cout << "Constructing TE matrix... (" << integrals << ") " << "\n";
}

void Listing::repulsion_done(std::uint64_t integrals) {
    if (!enabled_) return;
    clock_.toc();
    // The count as a double in six significant digits: 1.46462e+06 for naphthalene.
    std::ostringstream os;
    os << std::setprecision(6) << " done [ " << clock_.passed() << " ms ] " << static_cast<double>(integrals)
       << " (i,j|k,l) iterations" << "\n";
    std::cout << os.str();
}

void Listing::matrix(const char* title, const Matrix<double>& M) {
    if (enabled_) std::cout << matrix_listing(title, M);
}

void Listing::scf_start() {
    if (enabled_) banner("Start electronic convergence...");
}

void Listing::step(unsigned number, double energy, double ms) {
    if (enabled_) std::cout << step_line(number, energy, ms);
}

void Listing::scf_end(const std::vector<ChannelState>& channels, const std::vector<std::string>& labels) {
    if (!enabled_) return;
    std::cout << rule31 << "\n" << "End electronic convergence...  " << "\n" << rule31 << "\n";
    const char* const open_shell_titles[] = {alpha_orbitals_title, beta_orbitals_title};
    for (std::size_t s = 0; s < channels.size(); ++s) {
        const ChannelState& c = channels[s];
        const char* title = channels.size() == 1 ? orbitals_title : open_shell_titles[s];
        std::cout << molecular_orbitals_listing(c.energies, c.C, labels, c.occupied, title);
    }
}

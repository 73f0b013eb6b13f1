#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/clock.h"
#include "linalg/matrix.h"
#include "scf/hf.h"
#include "scf/spin_scf.h"

// The verbose (-m) listing of a run, written to standard output as the run goes:
// the basis functions, the time of each integral phase, the overlap and
// orthogonalisation matrices, the energy of every SCF step and a second list of the
// orbitals. Every line sets the format of its numbers itself.
class Listing : public ScfListener {
public:
    explicit Listing(bool enabled) : enabled_(enabled) {}
    bool enabled() const { return enabled_; }

    void input(const std::vector<std::string>& labels);
    // "Constructing <what>..." now, " done [ t ms ]" at phase_done.
    void phase(const char* what);
    void phase_done();
    void repulsion_phase(std::uint64_t integrals);
    void repulsion_done(std::uint64_t integrals);
    void matrix(const char* title, const Matrix<double>& M);
    void scf_start();
    void step(unsigned number, double energy, double ms) override;
    // The orbitals of each spin channel: one list, or the alpha orbitals and then the beta ones.
    void scf_end(const std::vector<ChannelState>& channels, const std::vector<std::string>& labels);

private:
    bool enabled_;
    Clock clock_;
};

// The titles of the orbital lists: one spin channel, or the alpha and the beta channel.
inline constexpr const char* orbitals_title = "      Molecular orbitals       ";
inline constexpr const char* alpha_orbitals_title = "   Alpha molecular orbitals    ";
inline constexpr const char* beta_orbitals_title = "    Beta molecular orbitals    ";

// The texts of the listing's lines, so tests can pin them.
std::string matrix_listing(const char* title, const Matrix<double>& M);
std::string step_line(unsigned number, double energy, double ms);
std::string molecular_orbitals_listing(const std::vector<double>& orbital_energies, const Matrix<double>& C,
                                       const std::vector<std::string>& labels, unsigned occupied,
                                       const char* title = orbitals_title);

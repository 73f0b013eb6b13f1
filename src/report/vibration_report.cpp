#include "report/vibration_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "common/constants.h"
#include "report/text_table.h"
#include "vibration/vibrations.h"

namespace {

std::string format(const char* fmt, double a, double b = 0.0, double c = 0.0, double d = 0.0) {
    char buf[200];
    std::snprintf(buf, sizeof buf, fmt, a, b, c, d);
    return buf;
}

// A value that prints as zero in `decimals` decimals, as an unsigned zero.
double unsigned_zero(double x, int decimals) { return std::fabs(x) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : x; }

// Hartree / K per molecule -> J / (mol K).
double joule_per_mol_kelvin(double s) { return s * codata2018::hartree_joule * codata2018::avogadro; }

}  // namespace

std::string frequencies_block(const Vibrations& v) {
    std::ostringstream os;
    box_header(os, "*     FREQUENCIES     *");
    os << "Harmonic, from central differences of analytic gradients\n";
    os << "Point group: " << v.group.name << "\n";
    table_rule(os, 4);
    table_row(os, {"Mode", "Frequency", "IR intens.", "Red. mass"});
    table_row(os, {"", "[cm^-1]", "[km/mol]", "[u]"});
    table_rule(os, 4);
    for (unsigned k = 0; k < v.modes.count(); ++k)
        table_row(os, {std::to_string(k + 1), fixed_text(v.modes.wavenumbers[k], 2), fixed_text(v.intensities[k], 2),
                       fixed_text(v.modes.reduced_masses[k], 4)});
    table_rule(os, 4);
    os << '\n';
    return os.str();
}

std::string thermochemistry_block(const Vibrations& v, double energy) {
    const Thermochemistry& t = v.thermo;
    // E_h N_A / 4184 J: Hartree per molecule -> kcal/mol.
    const double kcal_per_mol = codata2018::hartree_joule * codata2018::avogadro / 4184.0;
    std::ostringstream os;
    box_header(os, "*   THERMOCHEMISTRY   *");
    os << "Ideal gas, rigid rotor, harmonic oscillator\n";
    os << "Temperature [K]: " << fixed_text(v.conditions.temperature, 2) << "\n";
    os << "Pressure [atm]: " << fixed_text(v.conditions.pressure / pascal_per_atmosphere, 5) << "\n";
    os << "Rotational symmetry number: " << v.conditions.symmetry_number << "\n";
    os << "Spin multiplicity: " << v.conditions.multiplicity << "\n";
    if (t.imaginary > 0) os << "Imaginary frequencies left out: " << t.imaginary << "\n";
    os << '\n';
    table_rule(os, 3);
    table_row(os, {"Correction", "[Hartree]", "[kcal/mol]"});
    table_rule(os, 3);
    const std::pair<const char*, double> corrections[] = {
        {"ZPE", t.zero_point}, {"Energy", t.thermal_energy}, {"Enthalpy", t.enthalpy}, {"Gibbs", t.gibbs}};
    for (const auto& [name, value] : corrections)
        table_row(os, {name, fixed_text(value, 8), fixed_text(value * kcal_per_mol, 4)});
    table_rule(os, 3);
    os << "Total energy + ZPE [Hartree]: " << fixed_text(energy + t.zero_point, 8) << "\n";
    os << "Enthalpy [Hartree]: " << fixed_text(energy + t.enthalpy, 8) << "\n";
    os << "Gibbs energy [Hartree]: " << fixed_text(energy + t.gibbs, 8) << "\n";
    os << '\n';
    os << "Entropy\n";
    table_rule(os, 2);
    table_row(os, {"Part", "[J/molK]"});
    table_rule(os, 2);
    const std::pair<const char*, double> parts[] = {{"Transl.", t.translational_entropy},
                                                    {"Rotation", t.rotational_entropy},
                                                    {"Vibration", t.vibrational_entropy},
                                                    {"Electronic", t.electronic_entropy},
                                                    {"Total", t.entropy}};
    for (const auto& [name, value] : parts) table_row(os, {name, fixed_text(joule_per_mol_kelvin(value), 3)});
    table_rule(os, 2);
    os << '\n';
    return os.str();
}

std::string molden_vibrations(const Vibrations& v) {
    std::ostringstream out;
    out << "[FREQ]\n";
    for (double w : v.modes.wavenumbers) out << format("%12.4f\n", w);
    out << "[FR-COORD]\n";
    for (const Atom& a : v.atoms)
        out << a.ps() << format(" %18.10f %18.10f %18.10f\n", unsigned_zero(a.position.x, 10),
                                unsigned_zero(a.position.y, 10), unsigned_zero(a.position.z, 10));
    out << "[FR-NORM-COORD]\n";
    for (unsigned k = 0; k < v.modes.count(); ++k) {
        out << "vibration " << k + 1 << "\n";
        for (std::size_t a = 0; a < v.atoms.size(); ++a) {
            const int i = static_cast<int>(3 * a);
            out << format("%14.8f %14.8f %14.8f\n", unsigned_zero(v.modes.cartesian[i][k], 8),
                          unsigned_zero(v.modes.cartesian[i + 1][k], 8), unsigned_zero(v.modes.cartesian[i + 2][k], 8));
        }
    }
    out << "[INT]\n";
    for (double i : v.intensities) out << format("%14.6f\n", i);
    return out.str();
}

std::string spectrum_svg(const Vibrations& v, const std::string& title, double fwhm) {
    // Lorentzian of area A: A (gamma / pi) / ((x - x0)^2 + gamma^2), gamma = fwhm / 2.
    const double high = 4000.0, low = 400.0, width = 800.0, height = 400.0, left = 60.0, top = 40.0;
    const double gamma = fwhm / 2.0;
    auto absorbance = [&](double x) {
        double s = 0.0;
        for (unsigned k = 0; k < v.modes.count(); ++k) {
            const double d = x - v.modes.wavenumbers[k];
            if (v.modes.wavenumbers[k] > 0.0) s += v.intensities[k] * (gamma / M_PI) / (d * d + gamma * gamma);
        }
        return s;
    };
    const int samples = 1801;
    std::vector<double> ys;
    double peak = 0.0;
    for (int s = 0; s < samples; ++s) {
        ys.push_back(absorbance(high - (high - low) * s / (samples - 1)));
        peak = std::max(peak, ys.back());
    }
    if (peak <= 0.0) peak = 1.0;
    auto px = [&](double x) { return left + width * (high - x) / (high - low); };
    auto py = [&](double y) { return top + height * (1.0 - y / (1.05 * peak)); };

    std::ostringstream out;
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << left + width + 20 << "\" height=\""
        << top + height + 60 << "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    out << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    std::string escaped;  // the title as XML text
    for (char c : title) escaped += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    out << "<text x=\"" << left + width / 2 << "\" y=\"24\" text-anchor=\"middle\" font-size=\"15\">" << escaped
        << "</text>\n";
    out << format("<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"none\" stroke=\"black\"/>\n",
                  left, top, width, height);
    for (double x = high; x >= low; x -= 400.0) {
        out << format("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"black\"/>", px(x), top + height,
                      px(x), top + height + 5);
        out << format("<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">%.0f</text>\n", px(x), top + height + 20, x);
    }
    out << format("<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">wavenumber / cm-1</text>\n", left + width / 2,
                  top + height + 45);
    out << format("<text x=\"20\" y=\"%.1f\" text-anchor=\"middle\" transform=\"rotate(-90 20 %.1f)\">IR absorbance "
                  "(Lorentzian, FWHM %.0f cm-1)</text>\n",
                  top + height / 2, top + height / 2, fwhm);
    // The sticks, scaled as the band of an isolated mode would peak.
    for (unsigned k = 0; k < v.modes.count(); ++k) {
        const double x = v.modes.wavenumbers[k];
        if (x < low || x > high) continue;
        const double y = v.intensities[k] / (M_PI * gamma);
        out << format("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#c04040\"/>\n", px(x),
                      top + height, px(x), std::max(top, py(y)));
    }
    out << "<polyline fill=\"none\" stroke=\"#2050a0\" stroke-width=\"1.5\" points=\"";
    for (int s = 0; s < samples; ++s)
        out << format("%.1f,%.1f ", px(high - (high - low) * s / (samples - 1)), py(ys[static_cast<std::size_t>(s)]));
    out << "\"/>\n</svg>\n";
    return out.str();
}

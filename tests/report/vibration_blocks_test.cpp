// The FREQUENCIES and THERMOCHEMISTRY blocks pinned character for character on water in
// 6-31G* at its optimised geometry. The values put in are Psi4 1.3.2's frequency() output
// for it (tests/reference/psi4_frequencies: wavenumbers, IR intensities, reduced masses,
// corrections, entropy parts in J/(mol K)); the expected text is written out by hand from
// the layout: 10-character cells, wavenumbers and intensities %.2f, reduced masses %.4f,
// corrections %.8f Hartree and %.4f kcal/mol (1 Hartree = 627.5094740631 kcal/mol from
// CODATA 2018), totals %.8f, entropies %.3f.
#include <gtest/gtest.h>

#include "common/constants.h"
#include "report/vibration_report.h"
#include "vibration/vibrations.h"

namespace {

TEST(VibrationBlocks, WaterAsLaidOut) {
    Vibrations v;
    v.group = {"C2v", 2};
    v.modes.wavenumbers = {1826.5536, 4070.4599, 4188.7048};
    v.modes.reduced_masses = {1.0823, 1.0455, 1.0828};
    v.intensities = {107.2706, 18.2090, 58.1104};
    v.conditions.symmetry_number = 2;
    const double per_molecule = codata2018::hartree_joule * codata2018::avogadro;  // J/(mol K) -> Eh/K
    v.thermo = {0.02297696, 0.02581075, 0.02675493, 0.00538018, 188.225 / per_molecule, 144.801 / per_molecule,
                43.412 / per_molecule, 0.012 / per_molecule, 0.0, 0};
    EXPECT_EQ(frequencies_block(v),
              "          ***********************\n"
              "          *                     *\n"
              "          *     FREQUENCIES     *\n"
              "          *                     *\n"
              "          ***********************\n"
              "\n"
              "Harmonic, from central differences of analytic gradients\n"
              "Point group: C2v\n"
              "|----------|----------|----------|----------|\n"
              "|      Mode| Frequency|IR intens.| Red. mass|\n"
              "|          |   [cm^-1]|  [km/mol]|       [u]|\n"
              "|----------|----------|----------|----------|\n"
              "|         1|   1826.55|    107.27|    1.0823|\n"
              "|         2|   4070.46|     18.21|    1.0455|\n"
              "|         3|   4188.70|     58.11|    1.0828|\n"
              "|----------|----------|----------|----------|\n"
              "\n");
    EXPECT_EQ(thermochemistry_block(v, -76.01074651),
              "          ***********************\n"
              "          *                     *\n"
              "          *   THERMOCHEMISTRY   *\n"
              "          *                     *\n"
              "          ***********************\n"
              "\n"
              "Ideal gas, rigid rotor, harmonic oscillator\n"
              "Temperature [K]: 298.15\n"
              "Pressure [atm]: 1.00000\n"
              "Rotational symmetry number: 2\n"
              "Spin multiplicity: 1\n"
              "\n"
              "|----------|----------|----------|\n"
              "|Correction| [Hartree]|[kcal/mol]|\n"
              "|----------|----------|----------|\n"
              "|       ZPE|0.02297696|   14.4183|\n"
              "|    Energy|0.02581075|   16.1965|\n"
              "|  Enthalpy|0.02675493|   16.7890|\n"
              "|     Gibbs|0.00538018|    3.3761|\n"
              "|----------|----------|----------|\n"
              "Total energy + ZPE [Hartree]: -75.98776955\n"
              "Enthalpy [Hartree]: -75.98399158\n"
              "Gibbs energy [Hartree]: -76.00536633\n"
              "\n"
              "Entropy\n"
              "|----------|----------|\n"
              "|      Part|  [J/molK]|\n"
              "|----------|----------|\n"
              "|   Transl.|   144.801|\n"
              "|  Rotation|    43.412|\n"
              "| Vibration|     0.012|\n"
              "|Electronic|     0.000|\n"
              "|     Total|   188.225|\n"
              "|----------|----------|\n"
              "\n");
}

}  // namespace

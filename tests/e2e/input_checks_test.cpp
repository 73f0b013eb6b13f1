// What a single run says about input it refuses or suspects: the status, and a fragment
// of the one message (standard output for a refusal, standard error for a warning).
// The distances of the unit warnings are closed forms of the coordinates given, in
// angstrom (1 bohr = 0.529177 angstrom) against the sum of Cordero's covalent radii
// (O 0.66, H 0.31 angstrom); the system's reasons are those of strerror.
#include <gtest/gtest.h>

#include <string>

#include "run_velko.h"

namespace {

const std::string water_atoms_angstrom = "O 0.0 0.0 0.0\nH 0.757 0.587 0.0\nH -0.757 0.587 0.0\n";
const std::string water_atoms_bohr = "O 0.0 0.0 0.0\nH 1.435969546 1.101858187 0.0\nH -1.435969546 1.101858187 0.0\n";
const std::string sdf =
    "\n OpenBabel\n\n  1  0  0  0  0  0  0  0  0  0999 V2000\n"
    "    0.0000    0.0000    0.0000 Ne  0  0  0  0  0  0  0  0  0  0  0  0\nM  END\n$$$$\n";

}  // namespace

TEST(InputChecks, RefusalsAndWarnings) {
    // The input file written (none for an empty name), the arguments before it, the status,
    // the fragments of standard output and error (empty: a success writes nothing there).
    const struct {
        const char* what;
        std::string name, text, args;
        int status;
        std::string out, err;
    } cases[] = {
        {"an atom count below the atom lines", "short.xyz", "2\n\n" + water_atoms_angstrom, "", 2,
         "line 5: expected the end of the file after the 2 atoms line 1 announces", ""},
        {"a trajectory: the first frame", "traj.xyz", "3\nstep 1\n" + water_atoms_angstrom + "3\nstep 2\n" + water_atoms_angstrom,
         "", 0, "Total energy", "holds 2 frames; computing the first, 1 left"},
        {"a broken second frame", "broken.xyz", "3\nstep 1\n" + water_atoms_angstrom + "3\nstep 2\nO 0 0 0\nH 1\n", "", 2,
         "line 9: expected an element symbol and three coordinates", ""},
        {"blank lines after the atoms", "blank.xyz", "3\n\n" + water_atoms_angstrom + "\n  \n", "", 0, "Total energy", ""},
        {"angstrom numbers under units = bohr", "bohr.in",
         "basis = sto-3g\ncharge = 0\natoms = 3\nunits = bohr\n" + water_atoms_angstrom, "", 0, "Total energy",
         "atoms 1 (O) and 2 (H) are 0.51 angstrom apart, 0.52 times their covalent bond length of 0.97 angstrom"},
        {"bohr numbers in an XYZ file", "bohr.xyz", "3\n\n" + water_atoms_bohr, "", 0, "Total energy",
         "no two atoms are bonded: the closest, atoms 1 (O) and 2 (H) are 1.81 angstrom apart, 1.87 times"},
        {"HCl in angstrom: bonded, beyond neon", "hcl.xyz", "2\n\nH 0 0 0\nCl 0 0 1.27\n", "", 0, "Total energy", ""},
        {"bohr numbers under units = bohr", "water.in",
         "basis = sto-3g\ncharge = 0\natoms = 3\nunits = bohr\n" + water_atoms_bohr, "", 0, "Total energy", ""},
        {"singlet O2: the triplet lies lower (Psi4 stability analysis -0.184964)", "o2.xyz",
         "2\n\nO 0 0 0\nO 0 0 1.21\n", "--diis", 0, "Total energy",
         "unstable towards an unrestricted one: the lowest eigenvalue of its RHF->UHF (triplet) orbital Hessian is -0.18496"},
        {"an SD file", "ne.sdf", sdf, "", 2, "is an MDL SD file, a format velko does not read; convert it to XYZ with Open Babel: obabel -isdf ", ""},
        {"a molfile by its content", "ne.txt", sdf, "", 2, "is an MDL molfile", ""},
        {"a PDB file by its content", "water.dat", "HETATM    1  O   HOH     1       0.959  -0.053  -0.082  1.00  0.00           O\n",
         "", 2, "is a Protein Data Bank file, a format velko does not read; convert it to XYZ with Open Babel: obabel -ipdb", ""},
        {"Gaussian input", "water.gjf", "%chk=w.chk\n# hf/sto-3g\n\nwater\n\n0 1\n" + water_atoms_angstrom + "\n", "", 2,
         "is a Gaussian input file, a format velko does not read; convert it to XYZ with Open Babel: obabel -igzmat", ""},
        {"a missing file", "", "", "no_such_file.xyz", 2, "cannot read input file \"no_such_file.xyz\": No such file or directory", ""},
        {"a directory", "", "", ".", 2, "cannot read input file \".\": Is a directory", ""},
        {"--jobs without --batch", "", "", "--jobs 2 x.in", 2, "--jobs needs --batch", ""},
        {"a flag given twice", "", "", "-m -m x.in", 2, "-m is given more than once", ""},
        {"an unknown option names every option", "", "", "--bogus x.in", 2,
         "--direct, --optimize, --max-steps, --trajectory, --frequencies, --temperature, --pressure, "
         "--symmetry-number, --spectrum, --batch, --jobs, --qcschema, --help (-h), --version, --", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string args = c.name.empty() ? c.args : c.args + " \"" + write_temp(c.name, c.text) + "\"";
        const RunResult r = run_velko(args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
        if (c.err.empty() && c.status == 0)
            EXPECT_EQ(r.err, "");
        else
            EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
}

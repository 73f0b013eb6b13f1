#pragma once

// Mass of the most abundant isotope of element z = 1 ... 36 (H ... Kr), in daltons
// (unified atomic mass units); 0 for any other z. Values: the Atomic Mass Evaluation
// AME2016 (W. J. Huang et al., Chin. Phys. C 41, 030002 (2017)) as NIST's "Atomic
// Weights and Isotopic Compositions" tables give them, the abundances from CIAAW.
double isotope_mass(unsigned z);

#pragma once

// Every integral formula uses this rounded value of pi, not the full double;
// the printed digits of the report depend on it.
constexpr double pi_convention = 3.14159265359;
// pi^1.5 and 2 pi^2.5 evaluated with pi_convention.
constexpr double pi_1_5 = 5.568327996832258;
constexpr double two_pi_2_5 = 34.98683665525549;

constexpr double bohr_per_angstrom = 1.8897261245650618;

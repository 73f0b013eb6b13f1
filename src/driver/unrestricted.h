#pragma once

#include "driver/options.h"
#include "scf/hf.h"
#include "scf/spin.h"
#include "scf/uhf.h"

// The open-shell run: the integrals of hf (hf.molecule already called), the UHF
// ground state from the superposition of atomic densities, its orbital table and
// summary on standard output, the Molden and JSON files the options ask for.
UhfResult run_unrestricted(HF& hf, const SpinState& spin, const Options& opt);

// The line for standard error after an open-shell run that reached its iteration limit.
std::string unrestricted_nonconvergence_message(unsigned max_iterations);

// The line for standard error when the solution is still unstable after following
// its unstable modes as often as allowed; empty when it is stable.
std::string unrestricted_instability_message(const UhfResult& r);

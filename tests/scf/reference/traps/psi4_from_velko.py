#!/usr/bin/env python3
"""psi4_from_velko.py NAME.dat VELKO.molden: writes NAME_from_velko.dat, the Psi4 input NAME.dat
(bench/psi4_traps.py: SAD, core and GWH guesses) continued by one more SCF that starts from the
orbitals of velko's Molden file (same basis and function order; alpha and beta apart for an
open shell) and ends with Psi4's own stability analysis (UHF: follow; RHF: check). Psi4's check
that velko's state is a stable stationary point, and its energy there, where none of Psi4's
guesses reaches it.
    build/velko --molden /tmp/NAME.molden NAME.xyz
    python3 psi4_from_velko.py NAME.dat /tmp/NAME.molden
    cd /tmp && psi4 -n 1 <path>/NAME_from_velko.dat NAME_from_velko.out"""
import re, sys

dat, molden = sys.argv[1], sys.argv[2]
spins = {"Alpha": [], "Beta": []}
for block in re.split(r"\n(?=\s*Sym=)", open(molden).read().split("[MO]")[1].strip()):
    spin = re.search(r"Spin=\s*(\w+)", block).group(1)
    spins[spin].append([float(l.split()[1]) for l in block.split("\n") if re.match(r"\s*\d+\s+-?\d", l)])
src = open(dat).read()
# The first SCF only carries the orbitals (one step: where no guess of Psi4 converges, a
# longer run would end the input at its limit).
beta = spins["Beta"] if spins["Beta"] else spins["Alpha"]
src += f"""set_options({{'guess': 'sad', 'fail_on_maxiter': False, 'maxiter': 1, 'stability_analysis': 'none'}})
e, wfn = energy('scf', return_wfn=True)
set_options({{'maxiter': 100, 'stability_analysis': '{'follow' if spins['Beta'] else 'none'}'}})
import numpy as np
wfn.Ca().copy(psi4.core.Matrix.from_array(np.array({spins['Alpha']!r}).T))
wfn.Cb().copy(psi4.core.Matrix.from_array(np.array({beta!r}).T))
wfn.to_file(wfn.get_scratch_filename(180))
set_options({{'guess': 'read'}})
e, wfn = energy('scf', return_wfn=True)
print_out('\\nTRAP ' + 'guess end\\n')
print('TRAP velko 1 %.12f' % e)
"""
if not spins["Beta"]:
    # The lowest eigenvalue of the real RHF->RHF Hessian A + B from Psi4's MO integrals of
    # the converged orbitals, by lowest_rhf_hessian of NAME.dat (bench/psi4_traps.py): on
    # these ions Psi4's own check prints negative "singlet" eigenvalues that the matrix does not have.
    src += "print('APLUSB lowest %.6f' % lowest_rhf_hessian(wfn))\n"
open(dat.replace(".dat", "_from_velko.dat"), "w").write(src)

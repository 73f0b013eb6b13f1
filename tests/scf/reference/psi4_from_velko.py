#!/usr/bin/env python3
"""psi4_from_velko.py NAME VELKO.molden: writes NAME_from_velko.dat, the Psi4 input
NAME_sad.dat (make_scf_state_inputs.py) continued by a second SCF that starts from the orbitals
of velko's Molden file (same basis, same function order 1s 2s px py pz per atom) and
ends with Psi4's RHF->RHF stability analysis: Psi4's own check that velko's state is a
stable stationary point, and its energy there.
    build/velko --diis --molden /tmp/n2_1.6.molden <n2 at 1.6 angstrom>
    tests/scf/reference/psi4_from_velko.py n2_1.6 /tmp/n2_1.6.molden
    cd /tmp && psi4 -n 1 <path>/n2_1.6_from_velko.dat n2_1.6_from_velko.out"""
import os, re, sys
HERE = os.path.dirname(os.path.abspath(__file__))
name, molden = sys.argv[1], sys.argv[2]
text = open(molden).read().split("[MO]")[1]
orbitals = []
for block in re.split(r"\n(?=Sym=)", text.strip()):
    coef = [float(l.split()[1]) for l in block.split("\n") if re.match(r"\s*\d+\s+-?\d", l)]
    orbitals.append(coef)
src = open(os.path.join(HERE, f"{name}_sad.dat")).read()
src = src.replace("set stability_analysis check\nenergy('scf')\n", "")
src += f"""e, wfn = energy('scf', return_wfn=True)
import numpy as np
velko = np.array({orbitals!r}).T   # columns: velko's orbitals
wfn.Ca().copy(psi4.core.Matrix.from_array(velko))
wfn.Cb().copy(psi4.core.Matrix.from_array(velko))
wfn.to_file(wfn.get_scratch_filename(180))
psi4.set_options({{'guess': 'read', 'stability_analysis': 'check'}})
print('from velko orbitals energy %.10f' % energy('scf'))
"""
open(os.path.join(HERE, f"{name}_from_velko.dat"), "w").write(src)

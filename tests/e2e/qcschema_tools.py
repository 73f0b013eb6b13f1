"""QCSchema checks run by tests/e2e/many_test.cpp with Debian's python3.

    qcschema_tools.py validate FILE         every line of FILE as AtomicResult or FailedOperation
    qcschema_tools.py roundtrip VELKO       AtomicInputs made by qcelemental -> velko --qcschema -
    qcschema_tools.py harness VELKO         the same molecules through qcengine.compute(..., "velko")
    qcschema_tools.py hessian VELKO         water's Hessian (driver "hessian") through qcengine: its shape,
                                            largest asymmetry and the frequencies of extras

Each prints one line per item: "<name> <success> <energy or error_type> <exit status or ->".
"""
import json
import os
import subprocess
import sys

BOHR_PER_ANGSTROM = 1.8897261245650618

# The example inputs in bohr (examples/*.in, and the water cation of
# tests/scf/reference/uhf/h2o_cation.in, a doublet computed with UHF); the C++ test
# compares with their text reports. Name: symbols, geometry, basis, charge.
MOLECULES = {
    "water": (["O", "H", "H"], [0, 0, 0, 1.435969546, 1.101858187, 0, -1.435969546, 1.101858187, 0], "sto-3g", 0),
    "water_sto6g": (["O", "H", "H"], [0, 0, 0, 1.435969546, 1.101858187, 0, -1.435969546, 1.101858187, 0], "STO6G", 0),
    "hf": (["F", "H"], [0, 0, 0, 0, 0, 0.917 * BOHR_PER_ANGSTROM], "Sto-3G", 0),
    "neon": (["Ne"], [0, 0, 0], "sto-3g", 0),
    "h2o_cation": (["O", "H", "H"], [0, 0, 0, 1.4359695459, 0, 1.1018581865, -1.4359695459, 0, 1.1018581865],
                   "sto-3g", 1),
}
# What velko must refuse as a result with success false.
REFUSED = {
    "mp2": (["O", "H", "H"], MOLECULES["water"][1], "sto-3g", "mp2", "energy"),
    "rubidium_hydride": (["Rb", "H"], [0, 0, 0, 0, 0, 4.5], "sto-3g", "hf", "energy"),
    "properties": (["O", "H", "H"], MOLECULES["water"][1], "sto-3g", "hf", "properties"),
}
# Computed with driver "gradient": described by the number of rows of the gradient.
GRADIENTS = {"water_gradient": (["O", "H", "H"], MOLECULES["water"][1], "cc-pvdz")}


def inputs():
    from qcelemental.models import AtomicInput

    for name, (symbols, geometry, basis, charge) in MOLECULES.items():
        yield name, AtomicInput(
            molecule={"symbols": symbols, "geometry": geometry, "molecular_charge": charge, "fix_com": True,
                      "fix_orientation": True},
            driver="energy", model={"method": "hf", "basis": basis}, keywords={"diis": True})
    for name, (symbols, geometry, basis) in GRADIENTS.items():
        yield name, AtomicInput(molecule={"symbols": symbols, "geometry": geometry}, driver="gradient",
                                model={"method": "hf", "basis": basis})
    for name, (symbols, geometry, basis, method, driver) in REFUSED.items():
        yield name, AtomicInput(
            molecule={"symbols": symbols, "geometry": geometry}, driver=driver,
            model={"method": method, "basis": basis})


def describe(name, result):
    if result.success and result.driver == "gradient":
        return f"{name} True {len(result.return_result)} 0"
    if result.success:
        return f"{name} True {result.return_result!r} 0"
    status = (result.error.extras or {}).get("exit_status", "-")
    return f"{name} False {result.error.error_type} {status}"


def validate(path):
    from qcelemental.models import AtomicResult, FailedOperation

    with open(path) as f:
        for k, line in enumerate(f):
            data = json.loads(line)
            model = AtomicResult if data.get("schema_name") == "qcschema_output" else FailedOperation
            result = model(**data)
            print(describe(f"{k}:{data['extras']['input_file']}", result))


def roundtrip(velko):
    from qcelemental.models import AtomicResult, FailedOperation

    for name, atomic_input in inputs():
        proc = subprocess.run([velko, "--qcschema", "-"], input=atomic_input.json(), capture_output=True, text=True)
        data = json.loads(proc.stdout)
        model = AtomicResult if data.get("schema_name") == "qcschema_output" else FailedOperation
        result = model(**data)
        if model is AtomicResult:
            assert result.molecule.symbols.tolist() == atomic_input.molecule.symbols.tolist()
        status = (result.error.extras or {}).get("exit_status") if result.error else 0
        assert status == proc.returncode, (name, status, proc.returncode)
        print(describe(name, result))


def harness(velko):
    sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", ".."))
    import qcengine
    import qcengine_velko

    qcengine_velko.register(velko)
    qcengine_velko.register(velko)  # a second call changes nothing
    for name, atomic_input in inputs():
        result = qcengine.compute(atomic_input, "velko")
        print(describe(name, result))


def hessian(velko):
    sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", ".."))
    import numpy
    import qcengine
    import qcengine_velko
    from qcelemental.models import AtomicInput

    qcengine_velko.register(velko)
    symbols, geometry, basis, charge = MOLECULES["water"]
    result = qcengine.compute(AtomicInput(molecule={"symbols": symbols, "geometry": geometry, "fix_com": True,
                                                    "fix_orientation": True},
                                          driver="hessian", model={"method": "hf", "basis": basis}), "velko")
    h = numpy.asarray(result.return_result)
    print("hessian", result.success, *h.shape, abs(h - h.T).max(), *result.extras["frequencies"])


if __name__ == "__main__":
    {"validate": validate, "roundtrip": roundtrip, "harness": harness, "hessian": hessian}[sys.argv[1]](sys.argv[2])

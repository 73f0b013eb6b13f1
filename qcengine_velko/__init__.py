"""QCEngine harness for velko: ``qcengine.compute(atomic_input, "velko")``.

    import qcengine, qcengine_velko
    qcengine_velko.register()                   # velko on PATH, or register("/path/to/velko")
    result = qcengine.compute({"molecule": {...}, "driver": "energy",
                               "model": {"method": "hf", "basis": "sto-3g"}}, "velko")

The harness writes the AtomicInput to a scratch file, runs ``velko --qcschema``
on it and reads the AtomicResult velko writes on standard output. A result with
``success`` false (a method, basis or molecule velko cannot compute, an SCF that
did not converge) comes back from qcengine.compute as a FailedOperation carrying
velko's error_type and error_message.
"""

import json
import os
from typing import Dict, Optional, Union

from qcelemental.models import AtomicInput, AtomicResult, FailedOperation
from qcelemental.util import which

import qcengine
from qcengine.exceptions import UnknownError
from qcengine.programs.model import ProgramHarness
from qcengine.util import execute

__all__ = ["VelkoHarness", "register", "executable"]

# The program to run: set by register(), else $VELKO, else `velko` on PATH.
_executable: Optional[str] = None


def executable() -> Optional[str]:
    """Path of the velko program the harness runs, or None when there is none."""
    if _executable:
        return _executable
    if os.environ.get("VELKO"):
        return os.environ["VELKO"]
    return which("velko")


class VelkoHarness(ProgramHarness):
    """Hartree-Fock energies, analytic gradients and Hessians (driver "energy", "gradient" or "hessian") in any set of
    velko's library, H to Kr: restricted for singlets, unrestricted otherwise."""

    _defaults = {
        "name": "velko",
        "scratch": True,
        "thread_safe": True,  # every call is its own process
        "thread_parallel": False,  # one SCF runs on one core
        "node_parallel": False,
        "managed_memory": False,
    }
    version_cache: Dict[str, str] = {}

    class Config(ProgramHarness.Config):
        pass

    @staticmethod
    def found(raise_error: bool = False) -> bool:
        path = executable()
        ok = bool(path) and os.path.isfile(path) and os.access(path, os.X_OK)
        if not ok and raise_error:
            raise ModuleNotFoundError(
                "velko not found: put it on PATH, set VELKO, or call qcengine_velko.register(path)"
            )
        return ok

    def compute(self, input_model: AtomicInput, config) -> Union[AtomicResult, FailedOperation]:
        self.found(raise_error=True)
        # velko's exit status tells the kind of failure; the answer is on standard output either way.
        ran, proc = execute(
            [executable(), "--qcschema", "input.json"],
            {"input.json": input_model.json()},
            scratch_directory=config.scratch_directory,
            exit_code=255,
        )
        try:
            data = json.loads(proc["stdout"])
        except (KeyError, TypeError, ValueError):
            raise UnknownError(
                "velko wrote no QCSchema answer; standard error:\n" + str(proc.get("stderr", ""))
            )
        if data.get("schema_name") == "qcschema_output":
            if proc.get("stderr"):
                data["stderr"] = proc["stderr"]
            return AtomicResult(**data)
        return FailedOperation(**data)


def register(path: Optional[str] = None) -> None:
    """Makes "velko" a program of qcengine (once per process; later calls only change the path)."""
    global _executable
    if path is not None:
        _executable = os.path.abspath(path)
    if "velko" not in qcengine.list_all_programs():
        qcengine.register_program(VelkoHarness())

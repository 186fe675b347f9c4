"""Free Pascal's own form reader and writer (tests/support/FormOracle.pas),
the outside oracle the Wine scenarios compile text forms with."""

import shutil
import subprocess
from pathlib import Path

import winehost

SOURCE = Path(__file__).resolve().parents[2] / "tests" / "support" / "FormOracle.pas"


def compile_form(work, text_form, binary_form):
    """Compiles the text form into the binary form file as Free Pascal writes it;
    the oracle is built into work once."""
    if not shutil.which("fpc"):
        raise winehost.SkipScenario("fpc is not installed")
    folder = Path(work) / "form_oracle"
    oracle = folder / "form_oracle"
    if not oracle.exists():
        folder.mkdir(parents=True, exist_ok=True)
        subprocess.run(["fpc", "-v0", f"-FE{folder}", f"-o{oracle}", str(SOURCE)], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run([str(oracle), "tobin", str(text_form), str(binary_form)], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

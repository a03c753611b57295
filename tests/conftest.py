import subprocess
import sys
import textwrap

import pytest


def run_python(code, timeout=120):
    """Runs code in a fresh interpreter; returns (returncode, stdout, stderr)."""
    proc = subprocess.run(
        [sys.executable, "-c", textwrap.dedent(code)],
        capture_output=True,
        text=True,
        timeout=timeout,
    )
    return proc.returncode, proc.stdout, proc.stderr


@pytest.fixture
def fresh_python():
    return run_python


@pytest.fixture(autouse=True)
def _no_module_wide_controls():
    """Module-wide control values are process-wide: keep tests independent."""
    import quorva

    quorva.setdefaults()
    yield
    quorva.setdefaults()

"""quorva: build, solve and query optimization problems from Python.

The compiled core ``quorvalib`` holds the classes (``var``, ``problem``, ...),
the module functions and the constants; this package re-exports them so that
``quorva.var``, ``quorva.problem`` and ``quorva.infinity`` work directly.
"""

from . import quorvalib as _quorvalib
from .quorvalib import *  # noqa: F401,F403  (the package's public names)

# The package's version, written here only: the build reads it for the
# distribution's metadata. The optimizer library has its own (getversion()).
__version__ = "0.1.0"

# Names the extension defines without a leading underscore are the package's API.
__all__ = [name for name in dir(_quorvalib) if not name.startswith("_")]

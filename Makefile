# Set-up and checks on a fresh machine: `make demo` and `make test` create
# the virtual environment, build and install quorva into it, and run.
PYTHON ?= python3
VENV ?= .venv
PY := $(VENV)/bin/python

.PHONY: demo test install venv clean bench dev

$(PY):
	$(PYTHON) -m venv $(VENV)
	$(PY) -m pip install --quiet --upgrade pip

venv: $(PY)

install: $(PY)
	$(PY) -m pip install --quiet '.[test]'

demo: install
	$(PY) examples/demo.py

# The engine suite drives libqrva's process-wide environment directly, so it
# runs in a process of its own, apart from the extension's suite.
test: install
	$(PY) -m pytest -q libqrva/tests
	$(PY) -m pytest -q tests

bench: install
	$(PY) -m pip install --quiet -r bench/requirements.txt
	$(PY) bench/run_all.py

clean:
	rm -rf $(VENV) build dist *.egg-info

# Incremental build for development: the same install, but CMake's build tree
# is kept in build/dev so that only changed sources are compiled again.
# ccache, when installed, shares compiled objects between checkouts.
CCACHE := $(shell command -v ccache 2>/dev/null)
dev: $(PY)
	$(PY) -m pip install --quiet scikit-build-core 'numpy>=1.22,<2' highsbox==1.15.1 'pytest>=7'
	CCACHE_BASEDIR=$(CURDIR) $(PY) -m pip install --quiet --no-build-isolation --no-deps -Cbuild-dir=build/dev \
	  $(if $(CCACHE),-Ccmake.define.CMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE)) .

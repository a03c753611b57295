# Set-up and checks on a fresh machine: `make demo` and `make test` create
# the virtual environment, build and install quorva into it, and run.
PYTHON ?= python3
VENV ?= .venv
PY := $(VENV)/bin/python
# What a build without pip's isolation needs in its venv (make dev, check-sanitize);
# the module is built against the NumPy installed there.
NUMPY ?= numpy>=1.22
BUILD_DEPS := scikit-build-core 'cmake>=3.18' ninja '$(NUMPY)' highsbox==1.15.1 'pytest>=7'
# highspy serves the tests that compare with HiGHS's own ranging; it has no
# build for every interpreter of the matrix (none for 3.8), and those tests
# skip without it.
HIGHSPY := highspy==1.15.1
install_highspy = $(1) -m pip install --quiet $(HIGHSPY) || echo "$(HIGHSPY) is not available for $(1): the tests that compare with it skip"

.PHONY: demo test install venv clean bench bench-ipopt wheel check-wheel dev suites test-matrix test-entry check-sanitize check-debugmalloc stubs

$(PY):
	$(PYTHON) -m venv $(VENV)
	$(PY) -m pip install --quiet --upgrade pip

venv: $(PY)

# One wheel serves every install of the ordinary build (make test, demo,
# check-wheel, check-debugmalloc): it is built again only when a source
# changed since, and installed in place of any earlier quorva.
SOURCES := $(shell find libqrva/src libqrva/include quorvalib python -type f -not -name '*.pyc') \
  CMakeLists.txt libqrva/CMakeLists.txt libqrva/qrva.map pyproject.toml
WHEEL_STAMP := dist/.wheel-built
$(WHEEL_STAMP): $(PY) $(SOURCES)
	rm -f dist/quorva-*.whl
	$(PY) -m pip wheel --quiet --no-deps -w dist .
	touch $@

install: $(WHEEL_STAMP)
	$(PY) -m pip install --quiet --force-reinstall --no-deps dist/quorva-*.whl
	$(PY) -m pip install --quiet "$$(ls dist/quorva-*.whl)[test]"

demo: install
	$(PY) examples/demo.py

# The engine suite drives libqrva's process-wide environment directly, so it
# runs in a process of its own, apart from the extension's suite.
test: install suites

suites:
	$(PY) -m pytest -q libqrva/tests
	$(PY) -m pytest -q tests

# Other interpreters and NumPy majors than `make test`'s (python3 with the
# newest NumPy). An entry PYTHON-VERSION/NUMPY-VERSION builds the module in a
# venv and build tree of its own against that NumPy (the newest of that
# series) and runs both suites; the interpreters come from pyenv, else PATH.
MATRIX ?= 3.11/1.26 3.13/2 3.8/1.24
PYENV_ROOT ?= $(HOME)/.pyenv
matrix_python = $(or $(firstword $(wildcard $(PYENV_ROOT)/versions/$(1).*/bin/python$(1))),python$(1))
test-matrix:
	set -e; for entry in $(MATRIX); do \
	  $(MAKE) --no-print-directory test-entry PYVER=$${entry%/*} NPVER=$${entry#*/}; done

test-entry:
	@test -n "$(PYVER)" -a -n "$(NPVER)" || { echo "usage: make test-entry PYVER=3.11 NPVER=1.26"; exit 2; }
	$(MAKE) --no-print-directory dev suites PYTHON=$(call matrix_python,$(PYVER)) NUMPY='numpy==$(NPVER).*' \
	  VENV=.venv-$(PYVER)-np$(NPVER) DEV_BUILD=build/$(PYVER)-np$(NPVER)

# The wheel a user gets from `pip wheel .`: libqrva inside, HiGHS found in
# the highsbox package through relative run paths.
# check-wheel installs it into fresh venvs (NumPy 2 and 1) without a
# compiler and runs an example from another directory.
wheel: $(WHEEL_STAMP)

check-wheel: wheel
	$(PY) -m pip install --quiet 'pytest>=7'
	QUORVA_WHEEL="$$(ls dist/quorva-*.whl)" $(PY) -m pytest -q tests/test_packaging_wheel.py

# The type stubs (python/quorva/*.pyi, py.typed) are written from the built
# module's docstrings; run this after adding or changing a method, class or
# constant, and commit the result (the suite fails while they differ).
stubs: dev
	$(PY) tools/gen_stubs.py
	$(MAKE) --no-print-directory dev

# Ipopt, the nonlinear benchmark's peer, comes as Debian's library with
# cyipopt built against it (PyPI has no Linux build of cyipopt); without
# root or apt the benchmark runs without that peer and says so.
IPOPT_DEBS := coinor-libipopt-dev liblapack-dev libblas-dev pkg-config
bench-ipopt: install
	pkg-config --exists ipopt 2>/dev/null || { apt-get update -qq; \
	  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $(IPOPT_DEBS); } \
	  || echo "Debian's Ipopt could not be installed: bench/nonlinear.py runs without it"
	if pkg-config --exists ipopt 2>/dev/null && ! $(PY) -c 'import cyipopt' 2>/dev/null; then \
	  $(PY) -m pip install --quiet cython setuptools wheel && \
	  $(PY) -m pip install --quiet --no-build-isolation cyipopt==1.7.0 || echo "cyipopt could not be built"; fi

bench: install bench-ipopt
	$(PY) -m pip install --quiet -r bench/requirements.txt
	$(PY) bench/run_all.py

clean:
	rm -rf $(VENV) $(SAN_VENV) .venv-*-np* build dist *.egg-info

# Incremental build for development: the same install, but CMake's build tree
# is kept in build/dev so that only changed sources are compiled again.
# ccache, when installed, shares compiled objects between checkouts.
CCACHE := $(shell command -v ccache 2>/dev/null)
DEV_BUILD ?= build/dev
dev: $(PY)
	$(PY) -m pip install --quiet $(BUILD_DEPS)
	$(call install_highspy,$(PY))
	CCACHE_BASEDIR=$(CURDIR) $(PY) -m pip install --quiet --no-build-isolation --no-deps -Cbuild-dir=$(DEV_BUILD) \
	  $(if $(CCACHE),-Ccmake.define.CMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE)) .

# Memory checks (CI runs both after `make test`).
# check-sanitize: both suites against libqrva and the extension built with
# AddressSanitizer and UndefinedBehaviorSanitizer, in a venv and build tree of
# their own. The interpreter is not instrumented, so gcc's runtimes are
# preloaded; Python allocates through malloc so that its objects are checked
# too. Leaks are not reported (the interpreter keeps memory until exit); any
# other finding stops the run with an error.
SAN_VENV := .venv-sanitize
# A finding ends the process: pytest leaves stderr alone so the report shows.
CHECK_PYTEST := -p no:cacheprovider --capture=sys
SAN_PY := $(SAN_VENV)/bin/python
SAN_CXX := g++
SAN_FLAGS := -O1 -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer
SAN_ENV := LD_PRELOAD="$$($(SAN_CXX) -print-file-name=libasan.so) $$($(SAN_CXX) -print-file-name=libubsan.so)" \
  PYTHONMALLOC=malloc \
  ASAN_OPTIONS=detect_leaks=0:halt_on_error=1:allocator_may_return_null=1:check_initialization_order=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
check-sanitize:
	test -x $(SAN_PY) || $(PYTHON) -m venv $(SAN_VENV)
	$(SAN_PY) -m pip install --quiet $(BUILD_DEPS)
	$(call install_highspy,$(SAN_PY))
	CCACHE_BASEDIR=$(CURDIR) $(SAN_PY) -m pip install --quiet --no-build-isolation --no-deps \
	  -Cbuild-dir=build/sanitize -Ccmake.build-type=Debug \
	  -Ccmake.define.CMAKE_CXX_COMPILER=$(SAN_CXX) -Ccmake.define.CMAKE_CXX_FLAGS="$(SAN_FLAGS)" \
	  $(if $(CCACHE),-Ccmake.define.CMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE)) .
	$(SAN_ENV) $(SAN_PY) -m pytest -q $(CHECK_PYTEST) libqrva/tests
	$(SAN_ENV) $(SAN_PY) -m pytest -q $(CHECK_PYTEST) tests

# check-debugmalloc: both suites on the ordinary build under Python's debug
# allocator, which catches memory used without the interpreter lock, writes
# past a Python buffer and objects used after they were freed.
check-debugmalloc: install
	PYTHONMALLOC=debug $(PY) -m pytest -q $(CHECK_PYTEST) libqrva/tests
	PYTHONMALLOC=debug $(PY) -m pytest -q $(CHECK_PYTEST) tests

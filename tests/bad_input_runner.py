"""Runs a table of bad calls in a child interpreter, so that a crash is a
failed test naming the call instead of the end of the test run.

A case is (call, expected): call is Python source evaluated in the names
that the setup's build() returns; expected is the name of the exception
class it must raise (any class in its hierarchy, "A/B" for either), with
an optional ":regex" that the message must match from its start. Before
each call the child builds its objects afresh and takes state(names); a
refused call must leave that state as it was.
"""
import json
import re
import subprocess
import sys
import tempfile
import textwrap

import pytest

_CHILD = r"""
import json, math, sys
import numpy as np
import quorva
nan, inf = math.nan, math.inf
exec(compile(sys.argv[1], "setup", "exec"))
for call in json.load(sys.stdin):
    names = dict(globals())
    names.update(build())
    before = state(names)
    print(json.dumps({"start": call}), flush=True)
    try:
        eval(call, names)
        outcome = None
    except BaseException as error:
        outcome = [type(error).__name__, [c.__name__ for c in type(error).__mro__], str(error)]
    try:
        changed = None if state(names) == before else "the state changed"
    except BaseException as error:
        changed = "the state cannot be read any more: %s: %s" % (type(error).__name__, error)
    print(json.dumps({"call": call, "outcome": outcome, "changed": changed}), flush=True)
"""


def _check(call, expected, result):
    outcome = result["outcome"]
    if outcome is None:
        return "%s: accepted, expected %s" % (call, expected)
    name, hierarchy, text = outcome
    classes, _, pattern = expected.partition(":")
    if not set(classes.split("/")) & set(hierarchy):
        return "%s: %s(%r), expected %s" % (call, name, text, expected)
    if pattern and not re.match(pattern, text):
        return "%s: %s(%r) does not match %r" % (call, name, text, pattern)
    if result["changed"]:
        return "%s: refused with %s(%r), but %s" % (call, name, text, result["changed"])
    return None


def batches(names, size):
    """names in groups of at most size, each as (id, names): one child
    interpreter per group, so that its start-up is paid once per group."""
    names = sorted(names)
    groups = [names[k:k + size] for k in range(0, len(names), size)]
    return [pytest.param(g, id="%s..%s" % (g[0], g[-1]) if len(g) > 1 else g[0]) for g in groups]


def run_bad_calls(setup, cases, timeout=900):
    """Runs every case; returns the list of faults (empty when all passed)."""
    expected = dict(cases)
    # The child runs in a folder of its own: a call that takes a text for a
    # file name writes there, not into the checkout.
    with tempfile.TemporaryDirectory() as folder:
        proc = subprocess.run(
            [sys.executable, "-c", _CHILD, textwrap.dedent(setup)],
            input=json.dumps([call for call, _ in cases]),
            capture_output=True, text=True, timeout=timeout, cwd=folder)
    faults, started = [], None
    for line in proc.stdout.splitlines():
        record = json.loads(line)
        if "start" in record:
            started = record["start"]
            continue
        started = None
        fault = _check(record["call"], expected[record["call"]], record)
        if fault:
            faults.append(fault)
    if proc.returncode != 0:
        faults.append("the child ended with code %d during %s:\n%s"
                      % (proc.returncode, started, proc.stderr[-2000:]))
    return faults

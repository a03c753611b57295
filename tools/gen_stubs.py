"""Writes the type stubs of quorva from the built extension itself.

Every method and module function carries a docstring whose Synopsis line
shows its call with the keyword names (``p.getlb(lb, first=0, last=cols-1)``)
and whose Purpose line says what it does; classes carry their constructor's
call the same way. The stubs are made from those lines and from the objects
the module holds, so regenerating them after a change keeps them true:

    python tools/gen_stubs.py            # writes python/quorva/*.pyi
    python tools/gen_stubs.py --check    # fails when the files differ

Types are not written in the docstrings, so arguments and results are
``Any``; constants, exceptions and class layouts are exact.
"""

import argparse
import inspect
import keyword
import os
import re
import sys

import quorva
from quorva import quorvalib

HERE = os.path.dirname(os.path.abspath(__file__))
PACKAGE = os.path.join(HERE, os.pardir, "python", "quorva")


def _section(doc, heading):
    """The text under one heading of a sectioned docstring, or None."""
    match = re.search(r"^%s:\n((?:  .*\n?)+)" % heading, doc or "", re.M)
    return " ".join(line.strip() for line in match.group(1).splitlines()) if match else None


def _docstring(doc, indent):
    """The stub's docstring line, or nothing where the object has none."""
    line = _one_line(doc)
    return ['%s"""%s"""' % (indent, line)] if line else []


def _one_line(doc):
    """The Purpose line of a sectioned docstring, else its first line."""
    purpose = _section(doc, "Purpose")
    if purpose is None:
        purpose = (doc or "").strip().split("\n")[0]
    return purpose.replace("\\", "\\\\").replace('"""', "'''").strip()


def _call_forms(synopsis, name):
    """The argument lists of every call of ``name`` in a Synopsis."""
    forms = []
    for match in re.finditer(r"(?<![\w])%s\(" % re.escape(name), synopsis):
        depth, start = 0, match.end()
        for pos in range(start - 1, len(synopsis)):
            depth += {"(": 1, ")": -1}.get(synopsis[pos], 0)
            if depth == 0:
                forms.append(synopsis[start:pos])
                break
    return forms


def _split_top(text):
    """Comma-separated items of ``text`` outside brackets and quotes."""
    items, depth, quote, cur = [], 0, None, ""
    for ch in text:
        if quote:
            quote = None if ch == quote else quote
        elif ch in "'\"":
            quote = ch
        elif ch in "([{":
            depth += 1
        elif ch in ")]}":
            depth -= 1
        elif ch == "," and depth == 0:
            items.append(cur.strip())
            cur = ""
            continue
        cur += ch
    if cur.strip():
        items.append(cur.strip())
    return items


def _read_form(arguments):
    """(positional names, keyword names with defaults, takes any number).

    ``a, b, ...`` and example values (``[x, y], 'z', 3``) stand for any
    number of positional values; ``*indices`` names them.
    """
    positional, keywords, star = [], [], None
    for item in _split_top(arguments):
        name, eq, _ = item.partition("=")
        name = name.strip()
        if item == "...":
            star = star or "*args"
        elif name.startswith("*"):
            star = name
        elif eq and name.isidentifier():
            keywords.append(name)
        elif name.isidentifier():
            positional.append(name)
        else:
            star = star or "*args"
    if star:
        positional = []
    return positional, keywords, star


def _parameters(forms):
    """Stub parameters covering every call form of a Synopsis.

    A form with any number of values makes the stub take ``*args``; an
    argument that some form leaves out is optional. A name that is a Python
    keyword (``in``) can only be passed by position.
    """
    read = [_read_form(f) for f in forms]
    star = next((r[2] for r in read if r[2]), None)
    keywords = []
    for _, kws, _ in read:
        keywords += [k for k in kws if k not in keywords]
    params = []
    if star:
        params.append("%s: Any" % star)
    else:
        longest = max((r[0] for r in read), key=len)
        required = min(len(r[0]) for r in read)
        for i, name in enumerate(longest):
            text = "__%s: Any" % name if keyword.iskeyword(name) else "%s: Any" % name
            params.append(text + (" = ..." if i >= required else ""))
        keywords = [k for k in keywords if k not in longest]
    params += ["%s: Any = ..." % k for k in keywords]
    return params


def _synopsis_signature(doc, name, with_self, alias=None):
    synopsis = _section(doc, "Synopsis")
    forms = []
    for called in filter(None, (name, alias)):
        if not forms and synopsis:
            forms = _call_forms(synopsis, called)
    if not forms:
        raise ValueError("%s: the docstring has no Synopsis call of it" % name)
    return ", ".join((["self"] if with_self else []) + _parameters(forms))


def _slot_signature(slot):
    """Parameters of a slot wrapper (``__add__(self, value, /)``), typed Any."""
    sig = inspect.signature(slot)
    params = []
    for i, p in enumerate(sig.parameters.values()):
        if i == 0:
            params.append("self")
        elif p.kind == p.VAR_POSITIONAL:
            params.append("*%s: Any" % p.name)
        elif p.kind == p.VAR_KEYWORD:
            params.append("**%s: Any" % p.name)
        else:
            text = "__%s: Any" % p.name if p.kind == p.POSITIONAL_ONLY else "%s: Any" % p.name
            params.append(text + (" = ..." if p.default is not p.empty else ""))
    return ", ".join(params)


# Results of the slots whose type Python fixes.
SLOT_RESULTS = {"__str__": "str", "__repr__": "str", "__hash__": "int", "__bool__": "bool",
                "__init__": "None", "__setattr__": "None", "__delattr__": "None"}
BASETYPE_FLAG = 1 << 10  # Py_TPFLAGS_BASETYPE
SKIPPED_SLOTS = {"__new__", "__doc__", "__module__"}


def _slot_lines(cls):
    """Stub lines of the class's operator and printing slots."""
    lines = []
    for name, obj in sorted(vars(cls).items()):
        if name in SKIPPED_SLOTS or name in ("__init__", "__getattribute__") or not name.startswith("__"):
            continue
        if name == "__hash__" and obj is None:
            lines.append("    __hash__: ClassVar[None]  # type: ignore[assignment]")
            continue
        result = SLOT_RESULTS.get(name, "Any")
        # In-place ** takes no modulus (Python passes none), unlike the
        # binary slot it would otherwise have to match.
        ignore = "  # type: ignore[misc]" if name == "__ipow__" else ""
        lines.append("    def %s(%s) -> %s: ...%s" % (name, _slot_signature(obj), result, ignore))
    return lines


def _class_stub(cls, stub_name, lines, base=None):
    """The class's stub; the slots of ``base`` (name, lines) are inherited."""
    # Classes Python code cannot derive from are final; each class with a
    # C record of its own cannot share a derived class with another one.
    if not cls.__flags__ & BASETYPE_FLAG:
        lines.append("@final")
    elif cls.__basicsize__ != object.__basicsize__:
        lines.append("@disjoint_base")
    lines.append("class %s%s:" % (stub_name, "(%s)" % base[0] if base else ""))
    lines.extend(_docstring(cls.__doc__, "    "))
    if not base:
        lines.extend(_slot_lines(cls))
    members = vars(cls)
    for name in sorted(members):
        obj = members[name]
        if name == "__init__":
            # The constructor's keywords are those of the class's own Synopsis.
            if _section(cls.__doc__, "Synopsis"):
                lines.append("    def __init__(%s) -> None: ..." % _synopsis_signature(
                    cls.__doc__, cls.__name__, True, stub_name.lstrip("_")))
        elif name == "__getattribute__":
            # Controls and attributes are read and set by their names.
            lines.append("    def __getattr__(self, name: str) -> Any: ...")
        elif name.startswith("__"):
            continue
        elif inspect.ismethoddescriptor(obj) and callable(obj):
            lines.append("    def %s(%s) -> Any:" % (name, _synopsis_signature(obj.__doc__, name, True)))
            lines.extend(_docstring(obj.__doc__, "        ") or ["        ..."])
        else:
            lines.append("    %s: Any" % name)
            lines.extend(_docstring(obj.__doc__, "    "))
    lines.append("")


def _shared_slots(classes):
    """Bases for classes with the same operator slots (the algebraic ones).

    Only long lists are shared: a class with two or three slots reads
    better with them written out. Returns {class: (base name, slot lines)}; the bases exist only in the
    stubs, so they carry a leading underscore.
    """
    groups = {}
    for cls, _ in classes:
        slots = tuple(_slot_lines(cls))
        if len(slots) >= 6:
            groups.setdefault(slots, []).append(cls)
    bases = {}
    for number, (slots, members) in enumerate(g for g in groups.items() if len(g[1]) > 1):
        name = "_operators" + (str(number + 1) if number else "")
        for cls in members:
            bases[cls] = (name, list(slots))
    return bases


def _reachable_classes():
    """Every class of the extension, with the name the stubs give it.

    Classes the module exports keep their names; the others (reached only as
    results, as 2*x is a linear term) get a leading underscore, so that the
    stubs promise no module attribute that does not exist.
    """
    exported = {obj: name for name, obj in vars(quorvalib).items()
                if isinstance(obj, type) and not issubclass(obj, BaseException) and not name.startswith("_")}
    x = quorvalib.var()
    p = quorvalib.problem()
    results = [2 * x, x * x, x + 1, quorvalib.exp(x), quorvalib.controls, p.controls, p.attributes]
    classes = dict(exported)
    for obj in results:
        cls = type(obj)
        classes.setdefault(cls, "_" + cls.__name__)
    return sorted(classes.items(), key=lambda item: item[1].lstrip("_").lower())


def module_stub():
    lines = ['"""%s"""' % _one_line(quorvalib.__doc__) if quorvalib.__doc__ else '"""The compiled core of quorva."""',
             "# Written by tools/gen_stubs.py from the docstrings of the built module: do not edit.",
             "", "from typing import Any, ClassVar, final", "",
             "from typing_extensions import disjoint_base", ""]
    names = sorted(n for n in vars(quorvalib) if not n.startswith("_"))
    classes = _reachable_classes()
    class_names = {cls: name for cls, name in classes}
    for name in names:
        obj = getattr(quorvalib, name)
        if isinstance(obj, type) and issubclass(obj, BaseException):
            lines.append("class %s(%s):" % (name, obj.__bases__[0].__name__))
            lines.extend(_docstring(obj.__doc__, "    ") or ["    ..."])
            lines.append("")
    bases = _shared_slots(classes)
    for name, slots in sorted(set((b[0], tuple(b[1])) for b in bases.values())):
        lines.append("class %s:" % name)
        lines.append('    """The operators these classes share."""')
        lines.extend(slots)
        lines.append("")
    for cls, stub_name in classes:
        _class_stub(cls, stub_name, lines, bases.get(cls))
    for name in names:
        obj = getattr(quorvalib, name)
        if isinstance(obj, type):
            continue
        if callable(obj):
            lines.append("def %s(%s) -> Any:" % (name, _synopsis_signature(obj.__doc__, name, False)))
            lines.extend(_docstring(obj.__doc__, "    ") or ["    ..."])
        elif type(obj) in class_names:
            lines.append("%s: %s" % (name, class_names[type(obj)]))
        else:
            lines.append("%s: %s" % (name, type(obj).__name__))
    return "\n".join(lines) + "\n"


def package_stub():
    exported = "".join("    %r,\n" % name for name in quorva.__all__)
    return ('"""%s"""\n' % _one_line(quorva.__doc__) +
            "# Written by tools/gen_stubs.py: do not edit.\n\n"
            "from . import quorvalib as quorvalib\n"
            "from .quorvalib import *\n\n"
            "__version__: str\n"
            "__all__ = [\n%s]\n" % exported)


def outputs():
    return {"quorvalib.pyi": module_stub(), "__init__.pyi": package_stub(), "py.typed": ""}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--check", action="store_true", help="compare with the committed files instead of writing them")
    parser.add_argument("--out", default=PACKAGE, help="folder to write into")
    args = parser.parse_args()
    stale = []
    for name, text in outputs().items():
        path = os.path.join(args.out, name)
        if args.check:
            old = open(path).read() if os.path.exists(path) else None
            if old != text:
                stale.append(name)
        else:
            with open(path, "w") as f:
                f.write(text)
    if stale:
        print("stubs out of date: %s; run `make stubs`" % ", ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

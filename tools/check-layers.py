#!/usr/bin/env python3
"""Checks that the #include lines of the program's folders point one way.

calc/ and widgets/ are the bottom layers; the groups of the main window
(catalogue/, room/, output/), the tool windows (line/, plan/) and the
project of many rooms (project/) stand on them and never on each other or
on app/; study/, the study of one room, stands on the plan's formulas and
serves app/, which composes everything. calc/
may use Qt Core only and widgets/ Qt Core, Gui and Widgets. The formula
files of the tool windows use Qt Core (and, for the plan, Qt Gui's
geometry) only, so that they stay plain functions over numbers.

Usage: check-layers.py <project folder> [--qt-include <Qt's include folder>]
Prints every include that breaks a rule and exits 1 when there is one.
"""

import argparse
import pathlib
import re
import sys

# Which project folders a folder's sources may include from.
ALLOWED = {
    "calc": {"calc"},
    "widgets": {"widgets"},
    "catalogue": {"catalogue", "calc", "widgets"},
    "room": {"room", "calc", "widgets"},
    "output": {"output", "calc", "widgets"},
    "line": {"line", "calc", "widgets"},
    "plan": {"plan", "calc", "widgets"},
    "study": {"study", "calc", "plan"},
    "project": {"project", "calc", "widgets"},
    "app": {"app", "calc", "widgets", "catalogue", "room", "output", "line", "plan", "study", "project"},
}

# Which Qt modules a folder may use.
QT_MODULES = {
    "calc": {"QtCore"},
    "study": {"QtCore", "QtGui"},
    "widgets": {"QtCore", "QtGui", "QtWidgets"},
}

# Files of a folder that must stay below the folder's own Qt modules.
FORMULA_FILES = {
    "line/linecalc": {"QtCore"},
    "line/linetexts": {"QtCore"},
    "line/standardcheck": {"QtCore"},
    "plan/planfigures": {"QtCore"},
    "plan/layout": {"QtCore", "QtGui"},
    "plan/zones": {"QtCore", "QtGui"},
    "plan/floorcoverage": {"QtCore", "QtGui"},
    "plan/levelmap": {"QtCore", "QtGui"},
    "plan/intelligibility": {"QtCore", "QtGui"},
    "plan/levelfit": {"QtCore", "QtGui"},
    "plan/levelscale": {"QtCore", "QtGui"},
    "plan/zoneoutline": {"QtCore", "QtGui"},
    "plan/shapelayout": {"QtCore", "QtGui"},
    "plan/plangeometry": {"QtCore", "QtGui"},
}

SOURCE_SUFFIXES = {".h", ".cpp"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def qt_module_of(header, qt_include):
    """The Qt module that holds a <QSomething> header, if any."""
    if "/" in header:
        module = header.split("/", 1)[0]
        return module if module.startswith("Qt") else None
    if not header.startswith("Q"):
        return None
    for module_dir in sorted(qt_include.glob("Qt*")):
        if (module_dir / header).exists():
            return module_dir.name
    return "an unknown Qt module"


def qt_limit(relative, folder):
    stem = relative.with_suffix("").as_posix()
    return FORMULA_FILES.get(stem, QT_MODULES.get(folder))


def check_file(path, root, qt_include):
    relative = path.relative_to(root)
    folder = relative.parts[0]
    allowed = ALLOWED[folder]
    qt_allowed = qt_limit(relative, folder)
    problems = []
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        match = INCLUDE.match(line)
        if not match:
            continue
        quote, header = match.groups()
        where = f"{relative}:{number}"
        if quote == '"':
            parts = pathlib.PurePosixPath(header).parts
            if len(parts) == 1:
                target = folder  # a header beside the source
            else:
                target = parts[0]
            if target.endswith(".moc") or header.endswith(".moc"):
                continue
            if target not in allowed:
                problems.append(f"{where}: {folder}/ must not include {header} "
                                f"({folder}/ may include {', '.join(sorted(allowed))})")
        elif qt_allowed is not None and qt_include is not None:
            module = qt_module_of(header, qt_include)
            if module is not None and module not in qt_allowed:
                problems.append(f"{where}: <{header}> is {module}, "
                                f"but {relative} may use {', '.join(sorted(qt_allowed))} only")
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("--qt-include")
    args = parser.parse_args()
    root = pathlib.Path(args.root).resolve()
    qt_include = pathlib.Path(args.qt_include) if args.qt_include else None
    if qt_include is not None and not (qt_include / "QtCore").is_dir():
        print(f"no Qt headers under {qt_include}")
        return 2

    problems = []
    checked = 0
    for folder in sorted(ALLOWED):
        base = root / folder
        if not base.is_dir():
            continue
        for path in sorted(base.rglob("*")):
            if path.suffix in SOURCE_SUFFIXES and path.is_file():
                checked += 1
                problems += check_file(path, root, qt_include)
    for problem in problems:
        print(problem)
    print(f"{checked} files checked, {len(problems)} layer violations")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

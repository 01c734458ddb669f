#!/usr/bin/env python3
"""Checks that the layers of src/ depend one way.

Every file under src/ belongs to one group; each group may include from the
groups listed for it and from nothing else. A quoted #include is resolved from
src/ (where every include of the project starts); a file that fits no group, or
an include that names no file of src/, is reported too, so that the table is
kept up to date with the tree.

Usage: check_includes.py [SRC_DIR]   (default: the src/ beside tools/)
Exit status 0 when every include goes the right way, 1 otherwise.
"""

import pathlib
import re
import sys

# (group, path patterns, groups it may include besides itself). The first
# group whose pattern fits a path is the path's group.
GROUPS = [
    ("version", [r"app/version\.hpp"], []),
    ("platform-posix", [r"platform/posix/.*"], ["version", "platform"]),
    ("platform-win32", [r"platform/win32/.*"], ["version", "platform"]),
    ("platform-qt", [r"platform/qt/.*"], ["version", "platform"]),
    ("platform", [r"platform/[^/]*"], ["version"]),
    ("model", [r"app/control_table\.[^/]*", r"app/tool_window\.[^/]*"], ["version", "platform"]),
    ("actions", [r"height/.*", r"conversion/.*", r"templates/.*"],
     ["version", "platform", "model"]),
    ("wiring", [r"app/handlers\.[^/]*", r"app/startup\.[^/]*"],
     ["version", "platform", "model", "actions"]),
    ("qt", [r"app/qt/.*"],
     ["version", "platform", "model", "actions", "wiring", "platform-posix", "platform-qt"]),
    ("win32", [r"app/win32/.*"],
     ["version", "platform", "model", "actions", "wiring", "platform-win32"]),
    ("cli", [r"app/cli/.*"],
     ["version", "platform", "model", "actions", "wiring", "platform-posix", "platform-win32"]),
]

SOURCE_SUFFIXES = {".hpp", ".cpp", ".h", ".inc"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def group_of(relative):
    for name, patterns, _ in GROUPS:
        if any(re.fullmatch(p, relative) for p in patterns):
            return name
    return None


def allowed(name):
    for group, _, others in GROUPS:
        if group == name:
            return {group, *others}
    return set()


def check(src):
    problems = []
    for path in sorted(src.rglob("*")):
        if not path.is_file() or path.suffix not in SOURCE_SUFFIXES:
            continue
        relative = path.relative_to(src).as_posix()
        group = group_of(relative)
        if group is None:
            problems.append(f"{relative}: fits no group of the layer table")
            continue
        lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
        for number, line in enumerate(lines, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            included = match.group(1)
            target = group_of(included) if (src / included).is_file() else None
            where = f"{relative}:{number}"
            if not (src / included).is_file():
                problems.append(f'{where}: "{included}" names no file under src/')
            elif target is None:
                problems.append(f'{where}: "{included}" fits no group of the layer table')
            elif target not in allowed(group):
                problems.append(f'{where}: {group} must not include {target} ("{included}")')
    return problems


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else
                       pathlib.Path(__file__).resolve().parent.parent / "src")
    if not src.is_dir():
        print(f"check_includes: no directory {src}", file=sys.stderr)
        return 1
    problems = check(src)
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        print(f"check_includes: {len(problems)} include problem(s) in {src}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Fails when the include graph breaks the project's layers.

The module's folders, bottom up, and what each may include besides itself:
    platform/    nothing
    host/        platform/
    config/      platform/
    debug/       config/, host/, platform/
    atmosphere/  debug/, config/, host/, platform/
    entry/       every module folder
No module folder includes the simulator, the null host, the tools, the
tests, the benchmarks or the fuzzers; sim/ includes nothing from tools/ or
tests/. And no two units of the module (a .h with its .cpp) include each
other, directly or through others.

    check_layers.py SOURCE_DIR
"""
import pathlib
import re
import sys

MODULE = {
    "platform": set(),
    "host": {"platform"},
    "config": {"platform"},
    "debug": {"config", "host", "platform"},
    "atmosphere": {"debug", "config", "host", "platform"},
    "entry": {"atmosphere", "debug", "config", "host", "platform"},
}
OUTSIDE = {"sim": {"tools", "tests", "bench", "fuzz", "null_host"}}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def includes(path):
    return INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace"))


def main(root):
    root = pathlib.Path(root)
    faults = []
    graph = {}
    for folder in list(MODULE) + list(OUTSIDE):
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            source = path.relative_to(root).as_posix()
            for target in includes(path):
                top = target.split("/")[0]
                if folder in MODULE:
                    if top != folder and top not in MODULE[folder]:
                        faults.append(f"{source} includes {target}: {folder}/ may include only "
                                      f"{', '.join(sorted(MODULE[folder])) or 'itself'}")
                    if top in MODULE:
                        unit = source.rsplit(".", 1)[0]
                        graph.setdefault(unit, set()).add(target.rsplit(".", 1)[0])
                elif top in OUTSIDE[folder]:
                    faults.append(f"{source} includes {target}: {folder}/ must not depend on {top}/")
    faults += cycles(graph)
    for fault in faults:
        print(fault)
    if not graph:
        print(f"no module sources under {root}")
        return 1
    return 1 if faults else 0


def cycles(graph):
    """Every cycle of units found by a depth-first search, once each."""
    found, state, stack = [], {}, []

    def visit(unit):
        state[unit] = "open"
        stack.append(unit)
        for target in sorted(graph.get(unit, ())):
            if target == unit:
                continue
            if state.get(target) == "open":
                loop = stack[stack.index(target):] + [target]
                found.append("unit cycle: " + " -> ".join(loop))
            elif target not in state:
                visit(target)
        stack.pop()
        state[unit] = "done"

    for unit in sorted(graph):
        if unit not in state:
            visit(unit)
    return found


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))

#!/usr/bin/env python3
"""Fails when a source file includes a header of a layer above its own.

Each folder may include its own headers and those of the folders listed for
it; anything else (an upward or sideways include) is reported with its file
and line, and the script exits 1.
"""
import pathlib
import re
import sys

# Folder -> the folders it may include from, besides itself.
ALLOWED = {
    "base": [],
    "image": ["base"],
    "motion": ["base"],
    "path/numeric": ["base"],
    "path": ["path/numeric", "motion", "base"],
    "draw": ["path", "path/numeric", "motion", "image", "base"],
    "view": ["draw", "path", "path/numeric", "motion", "image", "base"],
    "app": ["view", "draw", "path", "path/numeric", "motion", "image", "base"],
    "tools": ["image", "motion", "base"],
}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def folder_of(relative):
    """The most specific folder of ALLOWED that holds relative, or None."""
    parts = pathlib.PurePosixPath(relative).parts[:-1]
    for length in range(len(parts), 0, -1):
        name = "/".join(parts[:length])
        if name in ALLOWED:
            return name
    return None


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    faults = []
    for source in sorted(root.rglob("*")):
        if source.suffix not in (".h", ".cpp") or not source.is_file():
            continue
        relative = source.relative_to(root).as_posix()
        own = folder_of(relative)
        if own is None:
            continue
        for number, line in enumerate(source.read_text(errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = folder_of(match.group(1))
            if target is None or target == own or target in ALLOWED[own]:
                continue
            faults.append(f"{relative}:{number}: {own}/ must not include {match.group(1)}")
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} include(s) run against the layers")
        return 1
    print("layers hold")
    return 0


if __name__ == "__main__":
    sys.exit(main())

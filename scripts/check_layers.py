#!/usr/bin/env python3
"""Fails when a file of src/ includes from a folder that its library does not reach.

The layers and their links are named once, in src/layers.txt; a folder reaches the folders it
links and, through them, everything those reach. A folder of src/ that the list does not name,
or an include of a folder that does not exist, fails too."""
import pathlib
import re
import sys

root = pathlib.Path(__file__).resolve().parent.parent / "src"
links = {}
for line in (root / "layers.txt").read_text().splitlines():
    match = re.match(r"^([a-z/]+):(.*)$", line)
    if match:
        links[match.group(1)] = match.group(2).split()

reach = {}
def reached(folder, path=()):
    if folder in path:
        sys.exit(f"src/layers.txt: the layers go round: {' -> '.join(path + (folder,))}")
    if folder not in reach:
        below = set()
        for arrow in links[folder]:
            if arrow not in links:
                sys.exit(f"src/layers.txt: {folder} links {arrow}, which is not a layer")
            below |= {arrow} | reached(arrow, path + (folder,))
        reach[folder] = below
    return reach[folder]

faults = []
for source in sorted(root.rglob("*")):
    if source.suffix not in (".h", ".cpp") or not source.is_file():
        continue
    folder = source.parent.relative_to(root).as_posix()
    if folder not in links:
        faults.append(f"src/{folder}: a folder that src/layers.txt does not name")
        continue
    allowed = {folder} | reached(folder)
    for number, text in enumerate(source.read_text(errors="replace").splitlines(), 1):
        match = re.match(r'\s*#\s*include\s+"(.+)/[^/]+"', text)
        if match and match.group(1) not in allowed:
            faults.append(f"src/{source.relative_to(root)}:{number}: includes from {match.group(1)},"
                          f" which {folder} does not link")

for fault in dict.fromkeys(faults):
    print(fault, file=sys.stderr)
sys.exit(1 if faults else 0)

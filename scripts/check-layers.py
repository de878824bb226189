#!/usr/bin/env python3
"""Fails when an include crosses a wall between the plug-in's folders.

The product folders form layers: each may include only the folders listed
for it below (and itself). Third-party headers are walled in the same way:
GL, glad and GLFW belong to engine/, Lua and the HTTP client to lua/.
usage: check-layers.py [ROOT]   (default: the repository holding this script)
"""
import os
import re
import sys

# Folder -> the other product folders it may include, lowest layers first.
ALLOWED = {
    "sdk": set(),
    "support": {"sdk"},
    "translate": {"support"},
    "engine": {"sdk", "support", "translate", "embedded"},
    "base": {"sdk", "support", "engine"},
    "bridge": {"sdk", "support", "base", "embedded"},
    "storage": {"sdk", "support", "base"},
    "ui": {"sdk", "support", "translate", "base", "bridge", "storage", "embedded"},
    "lua": {"sdk", "support", "engine", "base", "bridge", "embedded"},
    "host": {"sdk", "support", "translate", "engine", "base", "bridge", "storage", "ui", "lua", "generated"},
    # The host simulator, one sub-folder a concern. Below qvhost/ it knows the
    # host's interface only, never this plug-in's folders.
    "testhost/os": {"sdk"},
    "testhost/images": {"sdk", "testhost/os"},
    "testhost/host": {"sdk", "testhost/os"},
    "testhost/project": {"sdk", "testhost/os", "testhost/host"},
    "testhost/effect": {"sdk", "testhost/os", "testhost/images", "testhost/host", "testhost/project"},
    "testhost/suites": {"sdk", "testhost/os", "testhost/images", "testhost/host", "testhost/project",
                        "testhost/effect"},
    "testhost/scripting": {"sdk", "embedded", "testhost/os", "testhost/host"},
    # The command line is this plug-in's own tool: it may name its parameters
    # and messages.
    "testhost/qvhost": {"sdk", "base", "engine", "testhost/os", "testhost/images", "testhost/host",
                        "testhost/project", "testhost/effect", "testhost/suites", "testhost/scripting"},
}
# Build outputs that are not folders of the tree but count as included folders.
GENERATED = {"embedded", "generated"}
# Third-party headers, by the start of their include path, and who may use them.
THIRD_PARTY = {
    "glad/": "engine",
    "GLFW/": "engine",
    "GL/": "engine",
    "lua.h": "lua",
    "lua.hpp": "lua",
    "lauxlib.h": "lua",
    "lualib.h": "lua",
    "httplib.h": "lua",
}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.MULTILINE)
SOURCES = (".h", ".hpp", ".cpp", ".c")


def assert_acyclic():
    """The table itself must be layers: no folder reaches back to itself."""
    def reaches(start, node, seen):
        for other in ALLOWED.get(node, ()):
            if other == start or (other not in seen and reaches(start, other, seen | {other})):
                return True
        return False
    loops = [folder for folder in ALLOWED if reaches(folder, folder, {folder})]
    assert not loops, f"the layer table has a loop through {loops}"


def crossings(root):
    """Yields (file, line, message) for every include that crosses a wall."""
    for folder, allowed in ALLOWED.items():
        top = os.path.join(root, folder)
        for dirpath, _, files in os.walk(top):
            for name in sorted(files):
                if name.endswith(SOURCES):
                    path = os.path.join(dirpath, name)
                    yield from check_file(root, path, folder, allowed)


def folder_of(target):
    """The layer an include path names: its first folder, or the first two
    when the first is split into layers of its own (testhost/)."""
    parts = target.split("/")
    two = "/".join(parts[:2])
    return two if len(parts) > 2 and two in ALLOWED else parts[0]


def check_file(root, path, folder, allowed):
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    for match in INCLUDE.finditer(text):
        quote, target = match.groups()
        line = text.count("\n", 0, match.start()) + 1
        where = os.path.relpath(path, root)
        if quote == '"' and "/" in target:
            other = folder_of(target)
            known = other in ALLOWED or other in GENERATED or other == "testhost"
            if known and other != folder and other not in allowed:
                yield where, line, f'{folder}/ may not include "{target}"'
        for prefix, owner in THIRD_PARTY.items():
            if target.startswith(prefix) and folder != owner:
                yield where, line, f"{target} belongs to {owner}/ only"


def main():
    assert_acyclic()
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    found = list(crossings(os.path.abspath(root)))
    for where, line, message in found:
        print(f"{where}:{line}: {message}")
    if found:
        print(f"{len(found)} include(s) cross a wall between layers", file=sys.stderr)
        return 1
    print("includes keep to their layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Checks the #include lines of every room against the table in docs/architecture.md.

    include_rules.py SOURCE_DIR      check the project; exit 1 and name each crossing
    include_rules.py --self-test     plant crossings in a small tree and check that they are caught
"""
import os
import re
import sys
import tempfile

INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]')
ROW = re.compile(r'^\|\s*`([^`]+)`\s*\|(.*)\|\s*$')
CODE_ROOTS = ("platform", "velpack", "quillon", "tools")
SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".inc")


def read_rules(architecture):
    text = open(architecture, encoding="utf-8").read()
    begin, end = text.find("<!-- include-rules: begin -->"), text.find("<!-- include-rules: end -->")
    if begin < 0 or end < begin:
        raise SystemExit(f"{architecture}: no include-rules table")
    rules = {}
    for line in text[begin:end].splitlines():
        m = ROW.match(line)
        if m and m.group(1) != "room":
            rules[m.group(1)] = re.findall(r"`([^`]+)`", m.group(2))
    return rules


def room_of(path, rooms):
    """The longest room that is path itself or one of its folders."""
    best = None
    for room in rooms:
        if path == room or path.startswith(room + "/"):
            if best is None or len(room) > len(best):
                best = room
    return best


def header_room(include, rooms):
    # The component's public header is included as <velpack/Velpack.h>.
    if include.startswith("velpack/") and include.count("/") == 1:
        return "velpack/include"
    return room_of(include, rooms)


def allowed(target, permitted):
    return any(target == p or (p.endswith("/*") and target.startswith(p[:-1])) for p in permitted)


def check(source_dir, rules):
    crossings = []
    rooms = list(rules)
    for top in CODE_ROOTS:
        for folder, _, files in os.walk(os.path.join(source_dir, top)):
            for name in sorted(files):
                if not name.endswith(SUFFIXES):
                    continue
                path = os.path.relpath(os.path.join(folder, name), source_dir)
                room = room_of(path, rooms)
                if room is None:
                    crossings.append(f"{path}: belongs to no room of the table")
                    continue
                for number, line in enumerate(open(os.path.join(source_dir, path), encoding="utf-8", errors="replace"), 1):
                    m = INCLUDE.match(line)
                    if not m or m.group(1).split("/")[0] not in CODE_ROOTS:
                        continue
                    target = header_room(m.group(1), rooms)
                    if target is None:
                        crossings.append(f"{path}:{number}: includes {m.group(1)}, which is in no room of the table")
                    elif target != room and not allowed(target, rules[room]):
                        crossings.append(f"{path}:{number}: {room} may not include {target} ({m.group(1)})")
    return crossings


def self_test():
    table = """<!-- include-rules: begin -->
| room | may include |
|---|---|
| `platform/support` | |
| `platform/prefix` | `platform/support` |
| `quillon` | `platform/prefix` |
| `tools` | `platform/*` |
<!-- include-rules: end -->
"""
    files = {
        "platform/support/A.h": "#pragma once\n",
        "platform/prefix/P.h": '#include "platform/support/A.h"\n',
        "quillon/Q.cpp": '#include "platform/prefix/P.h"\n#include <string>\n',
        "tools/T.cpp": '#include "platform/prefix/P.h"\n#include "platform/support/A.h"\n',
    }
    planted = {
        "platform/support/B.cpp": '#include "platform/prefix/P.h"\n',      # against an arrow
        "quillon/sub/R.cpp": '  #  include "platform/support/A.h"\n',  # not drawn, in a subfolder
        "platform/gone/G.h": "#pragma once\n",                          # a room the table lacks
    }
    with tempfile.TemporaryDirectory() as root:
        os.makedirs(os.path.join(root, "docs"))
        with open(os.path.join(root, "docs", "architecture.md"), "w") as f:
            f.write(table)

        def write(tree):
            for path, text in tree.items():
                os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
                with open(os.path.join(root, path), "w") as f:
                    f.write(text)

        rules = read_rules(os.path.join(root, "docs", "architecture.md"))
        write(files)
        clean = check(root, rules)
        if clean:
            raise SystemExit("self-test: a clean tree was judged crossing: " + "; ".join(clean))
        write(planted)
        found = check(root, rules)
        for path in planted:
            if not any(c.startswith(path) for c in found):
                raise SystemExit(f"self-test: the planted {path} was not caught: " + "; ".join(found))
    print("self-test: clean tree passes, every planted crossing is caught")


def main():
    if sys.argv[1:] == ["--self-test"]:
        self_test()
        return 0
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    source_dir = sys.argv[1]
    crossings = check(source_dir, read_rules(os.path.join(source_dir, "docs", "architecture.md")))
    for c in crossings:
        print(c)
    if crossings:
        print(f"{len(crossings)} include(s) cross the map in docs/architecture.md", file=sys.stderr)
        return 1
    print("every include follows the map in docs/architecture.md")
    return 0


if __name__ == "__main__":
    sys.exit(main())

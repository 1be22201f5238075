#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Every source, build and script file of the project names its licence in an SPDX line near its top.

    licence_lines.py SOURCE_DIR
"""
import subprocess
import sys

LINE = "SPDX-License-Identifier: Apache-2.0"
PATTERNS = ["*.cpp", "*.h", "*.c", "*.py", "*.sh", "*.cmake", "*.in", "CMakeLists.txt", "scripts/*", "bench/*/run",
            "bench/run", ".ci/run"]


def main():
    root = sys.argv[1]
    files = subprocess.run(["git", "-C", root, "ls-files", "--", *PATTERNS], capture_output=True, text=True,
                           check=True).stdout.split()
    missing = []
    for path in files:
        if "/demo-data/" in path or path.startswith("tests/fixtures/") or "/corpus/" in path:
            continue
        with open(f"{root}/{path}", encoding="utf-8", errors="replace") as f:
            head = [f.readline() for _ in range(3)]
        if not any(LINE in line for line in head):
            missing.append(path)
    for path in missing:
        print(f"{path}: no '{LINE}' line in its first three lines")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())

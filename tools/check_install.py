#!/usr/bin/env python3
"""Installs a build tree into a fresh staging prefix and compares the files it
puts there with an expected list.

    check_install.py CMAKE BUILD_DIR EXPECTED_LIST

EXPECTED_LIST holds one path a line, relative to the prefix, sorted; lines
starting with "#" are comments. Prints what is missing and what is extra, and
exits with 1 when the two differ.
"""
import os
import subprocess
import sys
import tempfile


def installed_files(cmake, build_dir, prefix):
    subprocess.run([cmake, "--install", build_dir, "--prefix", prefix],
                   check=True, stdout=subprocess.DEVNULL)
    found = []
    for folder, _, files in os.walk(prefix):
        for name in files:
            found.append(os.path.relpath(os.path.join(folder, name), prefix))
    return sorted(found)


def expected_files(path):
    with open(path, encoding="utf-8") as listing:
        return sorted(line.strip() for line in listing
                      if line.strip() and not line.startswith("#"))


def main():
    cmake, build_dir, expected_path = sys.argv[1:4]
    with tempfile.TemporaryDirectory() as prefix:
        found = installed_files(cmake, build_dir, prefix)
    expected = expected_files(expected_path)
    for path in sorted(set(expected) - set(found)):
        print("not installed: " + path)
    for path in sorted(set(found) - set(expected)):
        print("installed but not listed: " + path)
    return 0 if found == expected else 1


if __name__ == "__main__":
    sys.exit(main())

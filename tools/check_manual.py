#!/usr/bin/env python3
"""Checks that the manual page and --help tell the same facts: the same
options, environment variables, files and exit statuses.

    check_manual.py EXECUTABLE MANUAL_PAGE

The terms of --help are the first columns of its "Options:", "Environment:",
"Files:" and "Exit status:" sections; those of the manual page are the tags
(.TP) of its OPTIONS, ENVIRONMENT, FILES and EXIT STATUS sections. Options
are compared by their names (-c, --contact-id), the other terms as words.
Prints every term only one of the two has and exits with 1 when there is any.
"""
import os
import re
import subprocess
import sys
import tempfile

HELP_SECTIONS = {"Options:": "option", "Environment:": "environment", "Files:": "file",
                 "Exit status:": "exit status"}
MANUAL_SECTIONS = {"OPTIONS": "option", "ENVIRONMENT": "environment", "FILES": "file",
                   "EXIT STATUS": "exit status"}


def words(kind, text):
    """The names one tag or first column holds."""
    if kind == "option":
        return set(re.findall(r"(?<![\w-])--?[\w?][\w-]*", text))
    return {word for word in re.split(r"[,\s]+", text) if word}


def help_terms(executable):
    with tempfile.TemporaryDirectory() as home:
        environment = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home + "/.config",
                           XDG_RUNTIME_DIR=home)
        text = subprocess.run([executable, "--help"], check=True, capture_output=True,
                              text=True, env=environment).stdout
    terms, kind = set(), None
    for line in text.splitlines():
        if line in HELP_SECTIONS:
            kind = HELP_SECTIONS[line]
        elif not line.strip():
            continue
        elif not line.startswith(" "):
            kind = None
        elif kind and re.match(r"^  \S", line):
            terms |= {(kind, word) for word in words(kind, re.split(r"\s{2,}", line.strip())[0])}
    return terms


def roff_text(line):
    line = re.sub(r"^\.(B|I|BR|IR|RB|RI)\s+", "", line)
    line = re.sub(r"\\f[BIRP]", "", line).replace("\\-", "-")
    return re.sub(r'"\s*([^"]*?)\s*"', r"\1", line)


def manual_terms(path):
    terms, kind, tag_next = set(), None, False
    with open(path, encoding="utf-8") as manual:
        for line in manual:
            line = line.rstrip("\n")
            if line.startswith(".SH"):
                kind = MANUAL_SECTIONS.get(line[3:].strip().strip('"'))
            elif line.startswith(".TP"):
                tag_next = True
            elif tag_next:
                tag_next = False
                if kind:
                    terms |= {(kind, word) for word in words(kind, roff_text(line))}
    return terms


def main():
    executable, manual = sys.argv[1:3]
    in_help, in_manual = help_terms(executable), manual_terms(manual)
    for kind, word in sorted(in_help - in_manual):
        print("%s %s is in --help but not in the manual page" % (kind, word))
    for kind, word in sorted(in_manual - in_help):
        print("%s %s is in the manual page but not in --help" % (kind, word))
    return 0 if in_help == in_manual and in_help else 1


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Checks that the translation catalogues are complete and that no visible
text bypasses them.

    check_translations.py LUPDATE SOURCE_DIR

1. Runs lupdate over SOURCE_DIR/src and SOURCE_DIR/qml into copies of the
   catalogues in SOURCE_DIR/translations, as `make translations` does (the
   English one takes only the texts with plural forms), and
   reports every entry of a copy that is unfinished (a new text too), obsolete
   or vanished (a text no longer in the sources), or that has an empty
   translation or plural form.
2. Reports scene bindings of visible texts (text, title, placeholderText,
   caption, buttonText, itemText, Accessible.name, ...) that hold a string
   literal outside qsTr(), and C++ texts handed to the status, error and title
   setters as plain literals.

Prints "file: what" for each finding and exits with 1 when there is any.
"""
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

VISIBLE_QML = re.compile(
    r"^\s*(?:text|title|placeholderText|caption|buttonText|itemText|toolTip|tooltip|"
    r"Accessible\.name|Accessible\.description)\s*:(.*)$")
# A call of the translation function with its literal arguments.
QML_TRANSLATED = re.compile(r'qsTr\s*\(\s*"(?:[^"\\]|\\.)*"(?:\s*,\s*"(?:[^"\\]|\\.)*")?')
LITERAL = re.compile(r'"((?:[^"\\]|\\.)*)"')
# Native calls whose text the window shows.
VISIBLE_CPP = re.compile(
    r"\b(?:setStatus|setStatusMessage|setTitle|setWindowTitle|setPasswordState|fail|"
    r"emit\s+error|emit\s+finished)\s*\((?:[^()]*,\s*)?\s*"
    r'(?:QStringLiteral|QLatin1String|QString::fromUtf8)?\s*\(?\s*"([^"]*[A-Za-z][^"]*)"')


PLURALS_CATALOGUE = "kiv-contacts_en.ts"


def catalogue_findings(lupdate, source_dir):
    findings = []
    with tempfile.TemporaryDirectory() as work:
        copies = []
        for catalogue in sorted(glob.glob(os.path.join(source_dir, "translations", "*.ts"))):
            copy = os.path.join(work, os.path.basename(catalogue))
            shutil.copyfile(catalogue, copy)
            copies.append(copy)
        if not copies:
            return ["translations: no catalogues"]
        # The English catalogue holds only the texts with plural forms.
        plurals = [copy for copy in copies if os.path.basename(copy) == PLURALS_CATALOGUE]
        others = [copy for copy in copies if copy not in plurals]
        for options, group in (([], others), (["-pluralonly"], plurals)):
            if group:
                subprocess.run([lupdate, "-silent", "-locations", "none", "-extensions",
                                "cpp,h,qml"] + options
                               + [os.path.join(source_dir, "src"), os.path.join(source_dir, "qml"),
                                  "-ts"] + group, check=True, cwd=source_dir)
        for copy in copies:
            findings += entry_findings(copy)
    return findings


def entry_findings(path):
    findings = []
    name = os.path.basename(path)
    for context in ET.parse(path).getroot().iter("context"):
        context_name = context.findtext("name")
        for message in context.iter("message"):
            translation = message.find("translation")
            kind = translation.get("type") if translation is not None else "unfinished"
            forms = translation.findall("numerusform") if translation is not None else []
            texts = [form.text for form in forms] if forms else [
                translation.text if translation is not None else None]
            if not kind and not all(texts):
                kind = "empty"
            if kind:
                findings.append("%s: %s entry in %s: %r"
                                % (name, kind, context_name, message.findtext("source")))
    return findings


def unescaped(literal):
    """The text of a literal without its escapes: "\\u2713" is a tick, no word."""
    text = re.sub(r"\\u([0-9a-fA-F]{4})", lambda code: chr(int(code.group(1), 16)), literal)
    return re.sub(r"\\.", "", text)


def qml_findings(source_dir):
    findings = []
    for path in sorted(glob.glob(os.path.join(source_dir, "qml", "*.qml"))):
        with open(path, encoding="utf-8") as scene:
            for number, line in enumerate(scene, 1):
                binding = VISIBLE_QML.match(line.split("//")[0])
                if not binding:
                    continue
                rest = QML_TRANSLATED.sub("", binding.group(1))
                for literal in LITERAL.findall(rest):
                    if re.search(r"[^\W\d_]", unescaped(literal)):
                        findings.append("%s:%d: text outside qsTr: %r"
                                        % (os.path.relpath(path, source_dir), number, literal))
    return findings


def cpp_findings(source_dir):
    findings = []
    for path in sorted(glob.glob(os.path.join(source_dir, "src", "**", "*.cpp"), recursive=True)):
        with open(path, encoding="utf-8") as source:
            for number, line in enumerate(source, 1):
                for literal in VISIBLE_CPP.findall(line):
                    findings.append("%s:%d: text outside tr: %r"
                                    % (os.path.relpath(path, source_dir), number, literal))
    return findings


def main():
    lupdate, source_dir = sys.argv[1:3]
    findings = catalogue_findings(lupdate, source_dir) + qml_findings(source_dir) \
        + cpp_findings(source_dir)
    for finding in findings:
        print(finding)
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Starts the expectation file of a parser fixture (name.expected.json).

    bootstrap-expected.py BUILD_DIR FIXTURE CODEC [CODEC ...]

Writes {"codecs": [...]} beside the fixture and runs tst_parsers, which fills
in what the parser reads today. That output is a first draft only: read it
against the fixture and correct it by hand; the JSON is the truth, not the code.

    bootstrap-expected.py --generated JSONL VCF [CODEC]

Writes the expectation of a file made by gen_contacts.py from its ground truth
(the generator's --format jsonl output), mapped the way the import maps
vCard properties onto records.
"""
import json
import os
import re
import subprocess
import sys


def fixture(build, path, codecs):
    with open(path + ".expected.json", "w", encoding="utf-8") as out:
        json.dump({"codecs": codecs}, out)
    test = os.path.join(build, "tests", "tst_parsers")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    subprocess.run([test, "readsFixture:" + os.path.basename(path)], env=env, check=False)
    # One line per contact keeps the file readable and its diffs small.
    with open(path + ".expected.json", encoding="utf-8") as f:
        data = json.load(f)
    write(path, data)


def write(path, data):
    contacts = ",\n".join("  " + json.dumps(c, ensure_ascii=False, sort_keys=True)
                          for c in data["contacts"])
    # The groups of a file's group cards, when the expectation names them.
    head = json.dumps({k: data[k] for k in ("codecs", "count", "groups", "groupsOfUids") if k in data},
                      ensure_ascii=False)
    with open(path + ".expected.json", "w", encoding="utf-8") as out:
        out.write(head[:-1] + ', "contacts": [\n' + contacts + "\n]}\n")


def tel_uri(number):
    return re.sub(r"-+", "-", re.sub(r"[^0-9+]", "-", number)).strip("-")


def generated(jsonl, vcf, codec):
    version4 = vcf.endswith("40.vcf")
    contacts = []
    for line in open(jsonl, encoding="utf-8"):
        c = json.loads(line)
        # Prefix, suffix, nickname and title stay in the kept card.
        surname = c["family"]
        middle = c["middle"]
        phones = []
        for k, p in enumerate(c["phones"]):
            number = tel_uri(p["number"]) if version4 and k % 2 else p["number"]
            types = [t.upper() for t in p["types"]]
            label = "Mobile" if not types or types[0] == "CELL" else \
                "Home" if types[0] == "HOME" else "Work"
            phones.append(number + " / " + label)
        addresses = []
        for a in c["addresses"]:
            parts = [a[k] for k in ("pobox", "ext", "street", "city", "region", "postal", "country") if a[k]]
            addresses.append(", ".join(parts) + " / " + ("Work" if a["type"] == "WORK" else "Home"))
        comment = c["note"]
        birthday = ""
        if c["birthday"]:
            # The import keeps dd.MM.yyyy, and dd.MM for a birthday without a year.
            year, month, day = c["birthday"]
            birthday = "%02d.%02d" % (day, month) + (".%04d" % year if year else "")
        org = c["org"]
        out = {"surname": surname, "name": c["given"], "middlename": middle, "organization": org,
               "dateOfBirth": birthday,
               "comment": comment, "phones": phones,
               "emails": [e["address"] + (" / Work" if e["type"] == "WORK" else " / Home")
                          for e in c["emails"]],
               "addresses": addresses, "links": [c["url"]] if c["url"] else [],
               "favorite": c["starred"],
               # The categories are the groups, but for the star.
               "groups": [g for g in c["categories"] if g.lower() != "starred"]}
        if c["photo"]:
            out["photo"] = "64x64"
        contacts.append({k: v for k, v in out.items() if v})
    write(vcf, {"codecs": [codec], "count": len(contacts), "contacts": contacts})


if __name__ == "__main__":
    if sys.argv[1] == "--generated":
        generated(sys.argv[2], sys.argv[3], sys.argv[4] if len(sys.argv) > 4 else "Windows-1251")
    else:
        fixture(sys.argv[1], sys.argv[2], sys.argv[3:])

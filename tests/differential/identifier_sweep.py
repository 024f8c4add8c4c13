#!/usr/bin/env python3
"""Which characters each compiler accepts in identifiers, against Unicode.

Compiles one declaration pair per code point, at the start and after the
first character of an identifier ("int <c>x1; int x1;" -- the second name
makes a character read as white space an error too), with each compiler and
mode, and compares the accepted sets with XID_Start and XID_Continue of the
Unicode data files, by the Unicode version that assigned each character.
This is how textrescheck's identifier rule was found (see
docs/textrescheck-verdicts.md); run it again for another compiler version.
Planes 0 to 2 are tried whole, the others at every XID character and a
sample of the rest. Takes a few minutes per compiler and mode.

usage: identifier_sweep.py [--ucd /usr/share/unicode] [--compiler g++ ...] [--mode c++17 ...]
"""
import argparse
import collections
import os
import re
import subprocess
import sys
import tempfile

# The Unicode data files are read by the script that makes the character
# tables from them (without leaving compiled bytecode in the source tree).
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, os.pardir, "charclass"))
from make_unicode_tables import read_ages, read_property_file  # noqa: E402


def accepted(compiler, mode, points, start, folder):
    source = os.path.join(folder, "sweep.cpp")
    with open(source, "w", encoding="utf-8") as f:
        for n, c in enumerate(points, 1):
            f.write("int %sx%d; int x%d;\n" % (chr(c), n, n) if start else "int x%d%s; int x%d;\n" % (n, chr(c), n))
    limit = "-fmax-errors=0" if "g++" in compiler else "-ferror-limit=0"
    r = subprocess.run([compiler, "-fsyntax-only", "-std=" + mode, limit, source], stderr=subprocess.PIPE)
    bad = {int(m.group(1)) for m in re.finditer(rb"sweep\.cpp:(\d+):\d+: (?:fatal )?error", r.stderr)}
    return {c for n, c in enumerate(points, 1) if n not in bad}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ucd", default="/usr/share/unicode")
    parser.add_argument("--compiler", nargs="+", default=["g++", "clang++"])
    parser.add_argument("--mode", nargs="+", default=["c++17", "gnu++17"])
    args = parser.parse_args()
    derived = read_property_file(os.path.join(args.ucd, "DerivedCoreProperties.txt"), ["XID_Start", "XID_Continue"])
    xid_start, xid_continue = derived["XID_Start"], derived["XID_Continue"]
    # Ages as the file writes them ("14.0"), for the report.
    ages = {c: ".".join(map(str, age)) for c, age in read_ages(os.path.join(args.ucd, "DerivedAge.txt")).items()}
    points = [c for c in range(0x80, 0x30000) if not 0xD800 <= c <= 0xDFFF]
    points += sorted({c for c in xid_continue if c >= 0x30000} | set(range(0x30000, 0x110000, 0x1001)))
    with tempfile.TemporaryDirectory() as folder:
        for compiler in args.compiler:
            for mode in args.mode:
                for start, xid in ((True, xid_start), (False, xid_continue)):
                    ok = accepted(compiler, mode, points, start, folder)
                    xid = xid & set(points)
                    missing = collections.Counter(ages.get(c, "unassigned") for c in xid - ok)
                    print("%s -std=%s, %s: accepts %d; XID characters refused: %d %s; non-XID accepted: %d" % (
                        compiler, mode, "first character" if start else "later character", len(ok),
                        len(xid - ok), dict(missing), len(ok - xid)), flush=True)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Peak memory of every textresl10n command on files of millions of units.

Each shape is a base definition file of N names and a PO file made for it
(and an XLIFF file exported from the base); every command that reads them
runs once under /usr/bin/time. The table gives what the command reads (the
sizes of its input files), its peak resident memory and the ratio of the
two, which the documentation promises stays within 4.

Shapes:
  untranslated  `M.K<i>=T<i>`; the PO's entries untranslated (msgctxt,
                msgid, empty msgstr), the shape of the smallest entries
  translated    the same names, every msgstr filled in
  plural        a plural message per name (`P<i>.one`, `P<i>.other`), the
                PO's entries with msgid_plural and two msgstr[n]
  mixed         translated names with a plural message every 20th
  groups        `G<i>.K=T<i>`: a group per name (base only)
  notes         a comment line above every name (base only)
  members       `P<i>.one=%d file`: groups of category names without
                `other`, no plural message (base only)
  empty         `K<i>=`: every text empty, the shortest lines a base of
                distinct names can have (base only)

usage: run_l10n_shapes_bench.py TEXTRESL10N [--units N] [--shapes a,b] [--keep DIR]
"""
import argparse
import os
import shutil
import subprocess
import tempfile
import time

from run_l10n_update_bench import peak_rss

PO_HEADER = ('msgid ""\nmsgstr ""\n"Content-Type: text/plain; charset=UTF-8\\n"\n"Language: de\\n"\n'
             '"Plural-Forms: nplurals=2; plural=(n != 1);\\n"\n\n')


def write(path, text, mark=False):
    with open(path, "w", encoding="utf-8-sig" if mark else "utf-8", newline="\n") as f:
        f.write(text)


# The shapes with a base file only: each name's lines.
BASE_ONLY = {
    "groups": lambda i: f"G{i}.K=T{i}\n",
    "notes": lambda i: f"# Shown in window {i}\nM.K{i}=T{i}\n",
    "members": lambda i: f"P{i}.one=%d file\n",
    "empty": lambda i: f"K{i}=\n",
}


def make_shape(shape, units, work):
    """Writes base.txt (and ja.po for the shapes with one); returns whether
    the shape has a PO file."""
    base = os.path.join(work, "base.txt")
    po = os.path.join(work, "de.po")
    r = range(1, units + 1)
    if shape in ("untranslated", "translated"):
        write(base, "".join(f"M.K{i}=T{i}\n" for i in r), mark=True)
        translated = shape == "translated"
        write(po, PO_HEADER + "".join(
            f'msgctxt "M.K{i}"\nmsgid "T{i}"\nmsgstr "{"Ü" + str(i) if translated else ""}"\n\n' for i in r))
        return True
    if shape == "plural":
        write(base, "".join(f"P{i}.one=%d file\nP{i}.other=%d files {i}\n" for i in r), mark=True)
        write(po, PO_HEADER + "".join(
            f'msgctxt "P{i}"\nmsgid "%d file"\nmsgid_plural "%d files {i}"\n'
            f'msgstr[0] "%d Datei"\nmsgstr[1] "%d Dateien {i}"\n\n' for i in r))
        return True
    if shape == "mixed":
        plural = lambda i: i % 20 == 0
        write(base, "".join(f"P{i}.one=%d file\nP{i}.other=%d files {i}\n" if plural(i) else f"M.K{i}=T{i}\n"
                            for i in r), mark=True)
        write(po, PO_HEADER + "".join(
            f'msgctxt "P{i}"\nmsgid "%d file"\nmsgid_plural "%d files {i}"\n'
            f'msgstr[0] "%d Datei"\nmsgstr[1] "%d Dateien {i}"\n\n' if plural(i) else
            f'msgctxt "M.K{i}"\nmsgid "T{i}"\nmsgstr "Ü{i}"\n\n' for i in r))
        return True
    if shape in BASE_ONLY:
        write(base, "".join(BASE_ONLY[shape](i) for i in r), mark=True)
        return False
    raise SystemExit(f"unknown shape {shape}")


def commands(program, has_po):
    runs = [("export PO", ["export", "--base", "base.txt", "--lang", "de", "-o", "out.po"], ["base.txt"]),
            ("export XLIFF", ["export", "--base", "base.txt", "--lang", "de", "-o", "de.xlf"], ["base.txt"]),
            ("pseudo", ["pseudo", "--base", "base.txt", "-o", "pseudo.txt"], ["base.txt"])]
    for name in (["de.po"] if has_po else []) + ["de.xlf"]:
        kind = "PO" if name.endswith(".po") else "XLIFF"
        runs += [(f"stats {kind}", ["stats", "--base", "base.txt", name], ["base.txt", name]),
                 (f"update {kind}", ["update", "--base", "base.txt", "copy-" + name], ["base.txt", name]),
                 (f"import {kind}", ["import", name, "-o", "imported.txt"], [name]),
                 (f"import --base {kind}", ["import", "--base", "base.txt", name, "-o", "imported.txt"],
                  ["base.txt", name])]
    return [(label, [program] + args, reads) for label, args, reads in runs]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--units", type=int, default=1000000)
    parser.add_argument("--shapes", default="untranslated,translated,plural,mixed,groups,notes,members,empty")
    parser.add_argument("--keep", help="write the files here and keep them")
    args = parser.parse_args()
    program = os.path.abspath(args.program)
    mb = 1000 * 1000
    print(f"{args.units} units a shape; peak resident memory / bytes read\n")
    print("| Shape | Command | Reads MB | Peak MB | Ratio | Wall s |")
    print("|---|---|---|---|---|---|")
    worst = 0.0
    for shape in args.shapes.split(","):
        work = args.keep or tempfile.mkdtemp(prefix="l10n-shapes-")
        os.makedirs(work, exist_ok=True)
        try:
            has_po = make_shape(shape, args.units, work)
            for label, command, reads in commands(program, has_po):
                for name in reads:  # update rewrites its file: a fresh copy each time
                    if command[1] == "update":
                        shutil.copyfile(os.path.join(work, name), os.path.join(work, "copy-" + name))
                read = sum(os.path.getsize(os.path.join(work, name)) for name in reads)
                if any(os.path.getsize(os.path.join(work, name)) > 256 * 1024 * 1024 for name in reads):
                    print(f"| {shape} | {label} | {read / mb:.1f} | | | refused: a file above 256 MiB |")
                    continue
                start = time.perf_counter()
                # stats exits 1 for unfinished units, which these files have
                peak = peak_rss(command, work, accept=(0, 1) if command[1] == "stats" else (0,))
                wall = time.perf_counter() - start
                worst = max(worst, peak / read)
                print(f"| {shape} | {label} | {read / mb:.1f} | {peak / mb:.1f} | {peak / read:.2f} x | {wall:.1f} |",
                      flush=True)
        finally:
            if not args.keep:
                shutil.rmtree(work)
    print(f"\nlargest ratio: {worst:.2f} x")


if __name__ == "__main__":
    main()

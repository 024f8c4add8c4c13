#!/usr/bin/env python3
"""Differential test of textrescheck against the compilers.

Generates near-valid definition files, asks textrescheck for its verdict,
generates the pair with textresgen and compiles it: g++ on the UTF-16 source
(-finput-charset=UTF-16LE, as textresgen_add_library does), clang++ on the
UTF-8 copy made by textresgen-utf8, each with -std=c++17 and -std=gnu++17.
The verdict must agree:

- exit 0: both compilers accept the pair in strict mode; a failure in GNU
  mode only needs a warning naming "GNU mode", and leaving out the lines so
  warned (again on the smaller file, as a group is warned about on the line
  that opens it) must make GNU mode compile;
- exit 1: some compiler rejects the pair in some mode, or every error names
  the compiler or mode that would reject it ("MSVC", "C++20");
- any other exit status, a crash, or output that is not clean UTF-8 is a
  disagreement.

The seed comes from TEXTRESGEN_DIFF_SEED, else --seed, else is fresh; it is
printed first, so a failing run can be replayed. Disagreeing cases are kept
in --keep (definition file, findings, compiler messages).
"""
import argparse
import collections
import concurrent.futures
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

from definitions import make_case, encode_case

COMPILE_FLAGS = ["-fsyntax-only", "-D__declspec(x)="]
MODES = ["c++17", "gnu++17"]
# What the compilers print when they reject a file; warnings are allowed.
CONTROL = re.compile("[\x00-\x09\x0b-\x1f\x7f\u0080-\u009f\u200e\u200f\u202a-\u202e\u2066-\u2069]")


def run(command, cwd=None, timeout=120):
    return subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)


class Tools:
    def __init__(self, args):
        self.check = os.path.abspath(args.check)
        self.generate = os.path.abspath(args.generate)
        self.utf8 = os.path.abspath(args.utf8)
        self.gxx = args.gxx
        self.clang = args.clang


def compile_all(tools, folder):
    """Compiles the generated pair four ways: {(compiler, mode): error text or None}."""
    results = {}
    for mode in MODES:
        r = run([tools.gxx, *COMPILE_FLAGS, "-ffreestanding", "-finput-charset=UTF-16LE", "-std=" + mode,
                 "textresouce.cpp"], cwd=folder)
        results[("g++", mode)] = None if r.returncode == 0 else r.stderr.decode("utf-8", "replace")
    utf8 = os.path.join(folder, "utf8")
    os.makedirs(utf8, exist_ok=True)
    refused = None
    for name in ("textresouce.h", "textresouce.cpp"):
        r = run([tools.utf8, os.path.join(folder, name), os.path.join(utf8, name)])
        if r.returncode != 0:
            refused = "textresgen-utf8 refuses " + name + ": " + r.stderr.decode("utf-8", "replace")
    for mode in MODES:
        if refused:
            results[("clang++", mode)] = refused
            continue
        r = run([tools.clang, *COMPILE_FLAGS, "-std=" + mode, "textresouce.cpp"], cwd=utf8)
        results[("clang++", mode)] = None if r.returncode == 0 else r.stderr.decode("utf-8", "replace")
    return results


def generate(tools, folder, data):
    """False when textresgen refuses the file (ERR!)."""
    with open(os.path.join(folder, "TextResouce.txt"), "wb") as f:
        f.write(data)
    r = run([tools.generate], cwd=folder)
    if r.returncode == 0 and r.stdout == b"ERR!\r\n":
        return False
    if r.returncode != 0 or r.stdout:
        raise RuntimeError("textresgen failed: %r %r" % (r.stdout, r.stderr))
    return True


def findings(output):
    """(line number, severity, message) of every finding line."""
    found = []
    for line in output.split("\n")[:-2]:
        m = re.match(r"^TextResouce\.txt(?::(\d+))?: (error|warning|note): (.*)$", line)
        if not m:
            raise ValueError("not a finding line: %r" % line)
        found.append((int(m.group(1) or 0), m.group(2), m.group(3)))
    return found


def gnu_lines_of(found):
    return {n for n, severity, message in found if "GNU mode" in message and severity != "note"}


def gnu_mode_without_warned_lines(tools, folder, data, lines, found):
    """Leaves out the lines warned about GNU mode until GNU mode compiles.

    A name is judged where it first appears: a group named after a GNU macro
    is warned about on the line that opens it, not on every later line of the
    group. Without that line the next one opens the group and is warned about
    in its turn, so the lines are left out round by round, each round
    checking the smaller file again. (None, results) when GNU mode compiles,
    else (why, results); every round leaves out at least one line.
    """
    results = {}
    while True:
        warned = gnu_lines_of(found)
        if not warned:
            return "GNU mode still fails without the lines warned about GNU mode", results
        lines = [line for number, line in enumerate(lines, 1) if number not in warned]
        generate(tools, folder, encode_case(lines, data))  # a subset of what generated before
        results = compile_all(tools, folder)
        if not any(results[k] for k in results if k[1] == "gnu++17"):
            return None, results
        r = run([tools.check, "TextResouce.txt"], cwd=folder)
        if r.returncode != 0:
            return "textrescheck rejects a subset of a file it passed", results
        found = findings(r.stdout.decode("utf-8"))


def judge(tools, folder, data, lines):
    """None when textrescheck agrees with the compilers, else why not."""
    generated = generate(tools, folder, data)
    r = run([tools.check, "TextResouce.txt"], cwd=folder)
    try:
        output = r.stdout.decode("utf-8")
    except UnicodeDecodeError:
        return "textrescheck printed malformed UTF-8", "", {}
    if CONTROL.search(output):
        return "textrescheck printed a control character", output, {}
    if r.returncode not in (0, 1, 2):
        return "textrescheck exited with %d" % r.returncode, output + r.stderr.decode("utf-8", "replace"), {}
    found = findings(output)
    if not generated:  # a UTF-16 file that starts FE FF reads as big-endian
        return (None if r.returncode == 2 else "textresgen refuses the file, textrescheck exits %d" % r.returncode,
                output, {})
    if r.returncode not in (0, 1):
        return "textrescheck exited with %d" % r.returncode, output + r.stderr.decode("utf-8", "replace"), {}
    results = compile_all(tools, folder)
    strict_fails = [k for k, v in results.items() if v and k[1] == "c++17"]
    gnu_fails = [k for k, v in results.items() if v and k[1] == "gnu++17"]
    if r.returncode == 0:
        if strict_fails:
            return "passed, but %s rejects it" % ", ".join(" ".join(k) for k in strict_fails), output, results
        if gnu_fails:
            if not gnu_lines_of(found):
                return "passed without naming GNU mode, but GNU mode fails", output, results
            why, again = gnu_mode_without_warned_lines(tools, folder, data, lines, found)
            if why:
                return why, output, again
        return None, output, results
    if strict_fails or gnu_fails:
        return None, output, results
    for number, severity, message in found:
        if severity == "error" and "MSVC" not in message and "C++20" not in message:
            return "rejected, but both compilers accept it", output, results
    return None, output, results


def one_case(tools, seed, index, keep):
    rng = random.Random("%d/%d" % (seed, index))
    lines, data = make_case(rng)
    folder = tempfile.mkdtemp(prefix="diff-")
    try:
        why, output, results = judge(tools, folder, data, lines)
    except Exception as e:  # a harness failure is reported as a disagreement
        why, output, results = "harness: %s" % e, "", {}
    summary = output.rsplit("\n", 2)[-2] if output.count("\n") >= 1 else ""
    verdict = "unreadable" if "not readable" in summary else "clean" if " 0 errors" in summary else "rejected"
    compiled = "no compile" if not results else "all compile" if not any(results.values()) else \
        "some reject" if not all(results.values()) else "all reject"
    if why and keep:
        kept = os.path.join(keep, "case-%d-%d" % (seed, index))
        shutil.rmtree(kept, ignore_errors=True)
        os.makedirs(kept)
        with open(os.path.join(kept, "TextResouce.txt"), "wb") as f:
            f.write(data)
        with open(os.path.join(kept, "report.txt"), "w", encoding="utf-8") as f:
            f.write(why + "\n\ntextrescheck:\n" + output + "\n")
            for (compiler, mode), text in sorted(results.items()):
                f.write("\n%s -std=%s: %s\n%s" % (compiler, mode, "rejects" if text else "accepts", text or ""))
    shutil.rmtree(folder, ignore_errors=True)
    if why:
        return verdict, compiled, "case %d: %s\n  lines: %s\n  textrescheck: %s" % (
            index, why, ascii(lines), output.strip().replace("\n", "\n                "))
    return verdict, compiled, None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", required=True)
    parser.add_argument("--generate", required=True)
    parser.add_argument("--utf8", required=True)
    parser.add_argument("--gxx", default="g++")
    parser.add_argument("--clang", default="clang++")
    parser.add_argument("--cases", type=int, default=300)
    parser.add_argument("--seed", type=int)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--keep", help="folder for the cases that disagree")
    parser.add_argument("--case", type=int, action="append", help="run only this case of the seed (repeatable)")
    args = parser.parse_args()
    seed = os.environ.get("TEXTRESGEN_DIFF_SEED") or args.seed
    seed = int(seed) if seed is not None else random.SystemRandom().randrange(1 << 32)
    print("seed %d (replay with TEXTRESGEN_DIFF_SEED=%d)" % (seed, seed), flush=True)
    tools = Tools(args)
    failures = []
    tally = collections.Counter()
    with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
        cases = args.case or range(args.cases)
        for verdict, compiled, failure in pool.map(lambda i: one_case(tools, seed, i, args.keep), cases):
            tally[verdict + ", " + compiled] += 1
            if failure:
                failures.append(failure)
                print(failure, flush=True)
    print("verdicts (textrescheck, compilers): " + "; ".join("%s: %d" % kv for kv in sorted(tally.items())))
    agreed = len(cases) - len(failures)
    print("%d passed, %d failed" % (agreed, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

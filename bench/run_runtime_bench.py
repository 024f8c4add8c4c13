#!/usr/bin/env python3
"""Benchmark of the run-time library: load and switch times of three language
libraries of N strings (default 100,000) each, built from definitions this
script writes (groups of 50 entries, 20 groups to a module; texts of 20 to
60 characters, a third of them Japanese, different in each language).

usage: run_runtime_bench.py [--entries N] [--runs R] [--build-dir DIR]
"""
import argparse
import os
import random
import subprocess
import sys

BENCH = os.path.dirname(os.path.abspath(__file__))
HERE = os.path.join(BENCH, "runtime")
SOURCE = os.path.dirname(BENCH)


def write_definitions(folder, entries):
    for name, seed in (("a.txt", 1), ("b.txt", 2), ("c.txt", 3)):
        rng = random.Random(seed)
        lines = []
        for i in range(entries):
            if rng.random() < 1 / 3:
                text = "".join(chr(0x3041 + rng.randrange(80)) for _ in range(rng.randrange(20, 60)))
            else:
                text = "".join(rng.choice("abcdefghijklmnopqrstuvwxyz ") for _ in range(rng.randrange(20, 60)))
            # Every tenth text takes arguments, the same in every file: the
            # check at load compares them with the base's.
            if i % 10 == 0:
                text = "%d " + text[:20] + " %s"
            lines.append(f"M{i // 1000}.G{i // 50 % 20}.E{i % 50}={text}\r\n")
        with open(os.path.join(folder, name), "w", encoding="utf-16-le", newline="") as f:
            f.write("\ufeff" + "".join(lines))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--entries", type=int, default=100000)
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("--build-dir", default=os.path.join(SOURCE, "build", "runtime-bench"))
    args = parser.parse_args()
    # The definitions stay in the build folder: the build reads them again
    # whenever it reruns the generator.
    definitions = os.path.join(os.path.abspath(args.build_dir), "definitions")
    os.makedirs(definitions, exist_ok=True)
    write_definitions(definitions, args.entries)
    subprocess.run(["cmake", "-S", HERE, "-B", args.build_dir, "-DCMAKE_BUILD_TYPE=Release",
                    f"-DTEXTRESGEN_SOURCE_DIR={SOURCE}", f"-DDEFINITIONS={definitions}"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", args.build_dir, "-j", str(os.cpu_count() or 2)],
                   check=True, stdout=subprocess.DEVNULL)
    sizes = {name: os.path.getsize(os.path.join(args.build_dir, "languages", name))
             for name in os.listdir(os.path.join(args.build_dir, "languages"))}
    for name, size in sorted(sizes.items()):
        print(f"{name}: {size / 1e6:.1f} MB")
    return subprocess.run([os.path.join(args.build_dir, "runtime_bench"), str(args.runs)]).returncode


if __name__ == "__main__":
    sys.exit(main())

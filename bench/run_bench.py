#!/usr/bin/env python3
"""Benchmark of textresgen against the cost of copying its input.

  bench/run_bench.py            all cases, with the targets checked
  bench/run_bench.py --quick    outputs checked against the reference path on
                                10 thousand entries of every shape, the
                                clustered 10 thousand case once, no times judged

Builds the Release program (preset "release"), writes the definition files
into a temporary folder, runs each case several times interleaved with its
floor (the sizes of one shape taking turns, run by run), and prints the
medians. String tables come in several shapes (see make_definitions.py),
each at 10 thousand to 3 million entries. Floors: `iconv -f UTF-16LE -t UTF-16LE` of the
same input into a file (every unit decoded and re-encoded once); for the deep
case `head -c N /dev/zero` into a file, N being the size of the header.
Beside each string-table case, `dd` writes as many zero bytes as the
program's outputs hold, in 1 MiB writes: what the kernel's page cache alone
costs for that output on this machine (see growth()).
Everything written is removed at the end. Exit status 1 when an output
differs from the reference path, or (full run) when a target is missed.
"""
import argparse
import collections
import itertools
import math
import os
import platform
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
MIB = 1024 * 1024

# String-table shapes: make_definitions.py kind, the label the tables show,
# and the wall-time target at 1M entries (program time / iconv time).
SHAPES = [
    ("entries", "clustered", 3.0),
    ("random", "random", 4.0),
    ("flat", "flat", 4.0),
    ("wide", "wide", 4.0),
    ("repeat", "repeat", 4.0),
    ("descending", "descending", 4.0),
    ("sixdeep", "six deep", 4.0),
]
SIZES = [("10k", 10_000, 5), ("100k", 100_000, 5), ("1M", 1_000_000, 5), ("3M", 3_000_000, 5)]


def case_name(kind, size_name):
    """The clustered table keeps its plain names (10k, 1M, ...)."""
    return size_name if kind == "entries" else "%s %s" % (kind, size_name)


# name, kind, size, runs
CASES = [(case_name(kind, size_name), kind, size, runs)
         for kind, _, _ in SHAPES for size_name, size, runs in SIZES] + [
    ("deep 14998", "deep", 14_998, 3),
    ("line 50M units", "long", 50_000_000, 3),
]
SHAPE_KINDS = {kind for kind, _, _ in SHAPES}
MEMORY_TARGET = 1.5     # program peak RSS / input size, 1M entries, every shape
DEEP_TARGET = 3.0       # program time / head -c time, deep case


def run(argv, cwd, stdout=None):
    """Runs argv; returns (wall seconds, user seconds, system seconds, peak
    RSS in bytes). CPU times and peak come from /usr/bin/time: a child forked
    straight from this Python process would report Python's own size as its
    peak."""
    report = os.path.join(cwd, "rusage.txt")
    start = time.perf_counter()
    done = subprocess.run(["/usr/bin/time", "-f", "%M %U %S", "-o", report] + argv, cwd=cwd,
                          stdout=stdout or subprocess.DEVNULL)
    wall = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit("%s failed with status %d" % (argv[0], done.returncode))
    with open(report) as f:
        peak_kib, user, system = f.read().split()[-3:]
    os.remove(report)
    return wall, float(user), float(system), int(peak_kib) * 1024


def machine():
    model = platform.processor() or "?"
    try:
        with open("/proc/cpuinfo") as f:
            model = next(l.split(":", 1)[1].strip() for l in f if l.startswith("model name"))
    except (OSError, StopIteration):
        pass
    memory = "?"
    try:
        with open("/proc/meminfo") as f:
            kib = int(next(l for l in f if l.startswith("MemTotal")).split()[1])
            memory = "%.1f GiB" % (kib / MIB)
    except (OSError, StopIteration):
        pass
    return "%d cores, %s, %s RAM, %s" % (os.cpu_count() or 0, model, memory, platform.platform())


def load():
    try:
        return "%.2f %.2f %.2f" % os.getloadavg()
    except OSError:
        return "?"


def build(build_dir):
    if build_dir:
        program = os.path.join(os.path.abspath(build_dir), "textresgen")
    else:
        subprocess.run(["cmake", "--preset", "release"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", "--preset", "release", "--target", "textresgen", "-j2"],
                       cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
        program = os.path.join(ROOT, "build", "release", "textresgen")
    if not os.access(program, os.X_OK):
        sys.exit("no program at " + program)
    return program


def make_input(kind, size, folder):
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, "TextResouce.txt")
    subprocess.run([sys.executable, os.path.join(HERE, "make_definitions.py"), kind, str(size), path],
                   check=True)
    return path


def check_against_reference(program, kind, size, work):
    """Runs the program and the reference path on one input; True when every
    output byte agrees."""
    mine = os.path.join(work, "check-%s-%d-program" % (kind, size))
    theirs = os.path.join(work, "check-%s-%d-reference" % (kind, size))
    make_input(kind, size, mine)
    os.makedirs(theirs)
    shutil.copy(os.path.join(mine, "TextResouce.txt"), theirs)
    run([program], mine)
    subprocess.run([sys.executable, os.path.join(HERE, "reference_generator.py"), theirs], check=True)
    same = True
    for name in ("textresouce.cpp", "textresouce.h"):
        with open(os.path.join(mine, name), "rb") as a, open(os.path.join(theirs, name), "rb") as b:
            if a.read() != b.read():
                print("  MISMATCH in %s (%s %d); compare with: cmp %s %s" % (
                    name, kind, size, os.path.join(mine, name), os.path.join(theirs, name)))
                same = False
    print("  reference check %-10s %9d: %s" % (kind, size, "identical" if same else "DIFFERENT"))
    if same:
        shutil.rmtree(mine)
        shutil.rmtree(theirs)
    return same


def remove_outputs(folder):
    for name in ("textresouce.cpp", "textresouce.h", "floor.out"):
        try:
            os.remove(os.path.join(folder, name))
        except FileNotFoundError:
            pass


def measure(program, cases, runs, work):
    """Medians of `runs` runs of each case, with its floor run right after
    each program run. The cases (one shape at several sizes) take turns run
    by run, so that a slow spell of the machine falls on every size alike
    and the growth from one size to the next compares like with like."""
    inputs = []
    for name, kind, size in cases:
        folder = os.path.join(work, "case-" + name.replace(" ", "-"))
        inputs.append((kind, folder, make_input(kind, size, folder)))
    # The inputs were just written: their write-back to disk is done here,
    # outside the timed runs, not left to the kernel to start during them.
    os.sync()
    samples = [collections.defaultdict(list) for _ in cases]
    for _ in range(runs):
        for (kind, folder, source), got in zip(inputs, samples):
            remove_outputs(folder)
            wall, user, system, peak = run([program], folder)
            got["time"].append(wall)
            got["cpu"].append(user + system)
            got["user"].append(user)
            got["system"].append(system)
            got["rss"].append(peak)
            header_bytes = os.path.getsize(os.path.join(folder, "textresouce.h"))
            output_bytes = header_bytes + os.path.getsize(os.path.join(folder, "textresouce.cpp"))
            got["output"] = [output_bytes]
            remove_outputs(folder)
            with open(os.path.join(folder, "floor.out"), "wb") as out:
                if kind == "deep":
                    wall, user, system, peak = run(["head", "-c", str(header_bytes), "/dev/zero"], folder,
                                                   stdout=out)
                else:
                    wall, user, system, peak = run(["iconv", "-f", "UTF-16LE", "-t", "UTF-16LE",
                                                    "TextResouce.txt"], folder, stdout=out)
            got["floor"].append(wall)
            got["floor_cpu"].append(user + system)
            got["floor_rss"].append(peak)
            if kind in SHAPE_KINDS:
                remove_outputs(folder)
                _, _, system, _ = run(["dd", "if=/dev/zero", "of=floor.out", "bs=%d" % MIB,
                                       "count=%d" % output_bytes, "iflag=count_bytes", "status=none"], folder)
                got["write_system"].append(system)
            # Nothing written is left to be written back while the next case runs.
            remove_outputs(folder)
    results = []
    for (name, kind, size), (_, folder, source), got in zip(cases, inputs, samples):
        input_bytes = os.path.getsize(source)
        shutil.rmtree(folder)
        result = {key: statistics.median(values) for key, values in got.items()}
        result.update({"kind": kind, "size": size, "input": input_bytes, "runs": runs})
        results.append((name, result))
    return results


def report(results):
    print()
    print("Medians. Wall time is judged at 1M; CPU time (user + system) is shown because it")
    print("suffers less from other processes on the machine; growth is judged on user time.")
    print()
    print("| Case | Input MB | Output MB | Runs | Program wall s | Floor wall s | Wall ratio "
          "| Program CPU s | Floor CPU s | CPU ratio | Program peak RSS MB | RSS / input | Floor peak RSS MB |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for name, r in results:
        # /usr/bin/time counts CPU time in hundredths: no ratio below that.
        cpu_ratio = "%.2f" % (r["cpu"] / r["floor_cpu"]) if r["floor_cpu"] >= 0.05 else "n/a"
        print("| %s | %.1f | %.1f | %d | %.3f | %.3f | %.2f | %.2f | %.2f | %s | %.1f | %.2f | %.1f |" % (
            name, r["input"] / MIB, r["output"] / MIB, r["runs"], r["time"], r["floor"], r["time"] / r["floor"],
            r["cpu"], r["floor_cpu"], cpu_ratio, r["rss"] / MIB, r["rss"] / r["input"], r["floor_rss"] / MIB))


def growth(results):
    """Per shape: the growth table, and whether the program's own work (user
    CPU time) and its peak memory grew no faster than n log n between the two
    largest sizes (15% allowance for noise), where fixed costs no longer hide
    the slope.

    System time is shown, not judged: most of it is the kernel filling the
    page cache with the outputs (three times the input for six deep), and on
    a virtual machine whose host backs memory lazily that cost grows with the
    bytes written faster than linearly and varies threefold from run to run.
    The dd column writes the same number of bytes and nothing else, so its
    system time growth tells the machine's share from the program's."""
    ok = True
    judged = 0
    for kind, label, _ in SHAPES:
        points = sorted((r["size"], r) for _, r in results if r["kind"] == kind)
        if len(points) < 2:
            continue
        judged += 1
        print()
        print("Growth, %s (n log n per entry grows with log n: x%.2f from the first point to the last):" % (
            label, math.log(points[-1][0]) / math.log(points[0][0])))
        print("| Entries | Wall s | User s | System s | dd system s | Peak RSS MB | wall us/entry "
              "| user us/entry | RSS bytes/entry |")
        print("|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
        for n, r in points:
            print("| %d | %.3f | %.2f | %.2f | %.2f | %.1f | %.2f | %.2f | %.0f |" % (
                n, r["time"], r["user"], r["system"], r["write_system"], r["rss"] / MIB, 1e6 * r["time"] / n,
                1e6 * r["user"] / n, r["rss"] / n))
        (n1, r1), (n2, r2) = points[-2], points[-1]
        bound = n2 * math.log(n2) / (n1 * math.log(n1))
        grew = lambda key: r2[key] / max(r1[key], 0.01)
        shape_ok = grew("user") <= bound * 1.15 and grew("rss") <= bound * 1.15
        print("%s, %d -> %d entries: user x%.2f, memory x%.2f; n log n x%.2f: %s" % (
            label, n1, n2, grew("user"), grew("rss"), bound, "ok" if shape_ok else "GROWS FASTER THAN n log n"))
        print("  not judged: wall x%.2f, CPU x%.2f, system %.2f -> %.2f s (dd of the same bytes: %.2f -> %.2f s)" % (
            grew("time"), grew("cpu"), r1["system"], r2["system"], r1["write_system"], r2["write_system"]))
        ok &= shape_ok
    print()
    print("growth within n log n: " + (("yes" if ok else "NO") if judged else "not judged (no shape ran at two sizes)"))
    return ok


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--quick", action="store_true", help="10k case only, no times judged")
    parser.add_argument("--build-dir", help="use the textresgen in this folder instead of building")
    parser.add_argument("--cases", help="comma-separated case names to run (default: all)")
    parser.add_argument("--runs", type=int, help="runs per case (default: 5, 3 for the two single-line cases)")
    parser.add_argument("--shapes", help="comma-separated shapes to check and run (default: all): " +
                        ",".join(kind for kind, _, _ in SHAPES))
    args = parser.parse_args()
    unknown = [name for name in (args.cases or "").split(",") if name and name not in [c[0] for c in CASES]]
    if unknown:
        parser.error("no case named %s; the cases: %s" % (
            ", ".join(repr(name) for name in unknown), ", ".join(c[0] for c in CASES)))

    program = build(args.build_dir)
    work = tempfile.mkdtemp(prefix="textresgen-bench-")
    ok = True
    try:
        print("Machine: " + machine())
        print("Load average at start: " + load())
        ok &= check_against_reference(program, "edge", 3, work)
        ok &= check_against_reference(program, "edge8", 3, work)
        shapes = [kind for kind, _, _ in SHAPES]
        if args.shapes:
            shapes = [kind for kind in args.shapes.split(",") if kind in shapes]
        for kind in shapes:
            ok &= check_against_reference(program, kind, 10_000, work)
            if not args.quick:
                ok &= check_against_reference(program, kind, 100_000, work)
        cases = CASES[:1] if args.quick else [c for c in CASES if c[1] in shapes or c[1] in ("deep", "long")]
        if args.cases:
            wanted = args.cases.split(",")
            cases = [c for c in CASES if c[0] in wanted]
        results = []
        # Consecutive cases of one shape and run count are measured together.
        for (kind, runs), group in itertools.groupby(cases, key=lambda c: (c[1], c[3])):
            group = [(name, kind, size) for name, kind, size, _ in group]
            runs = 1 if args.quick else (args.runs or runs)
            results += measure(program, group, runs, work)
            print("  %-28s done (load %s)" % (", ".join(name for name, _, _ in group), load()), flush=True)
        report(results)
        print()
        print("Load average at end: " + load())
        if not args.quick:
            grew = growth(results)
            met = judge(results)
            ok &= grew and met
    finally:
        if ok:
            shutil.rmtree(work, ignore_errors=True)
        else:
            print("work folder kept for inspection: " + work)
    sys.exit(0 if ok else 1)


def judge(results):
    found = dict(results)
    ok = True
    judged = 0
    print()
    print("| Shape, 1M entries | Wall ratio | Target | Peak RSS / input | Target | |")
    print("|---|---:|---:|---:|---:|---|")
    for kind, label, time_target in SHAPES:
        r = found.get(case_name(kind, "1M"))
        if r is None:
            continue
        t, m = r["time"] / r["floor"], r["rss"] / r["input"]
        met = t <= time_target and m <= MEMORY_TARGET
        print("| %s | %.2f | %.1f | %.2f | %.1f | %s |" % (
            label, t, time_target, m, MEMORY_TARGET, "met" if met else "MISSED"))
        ok &= met
        judged += 1
    if "deep 14998" in found:
        r = found["deep 14998"]
        t = r["time"] / r["floor"]
        print("deep 14998: time %.2f x head -c (target <= %.1f)" % (t, DEEP_TARGET))
        ok &= t <= DEEP_TARGET
        judged += 1
    print("targets: " + (("met" if ok else "MISSED") if judged else "not judged (no 1M or deep case ran)"))
    return ok


if __name__ == "__main__":
    main()

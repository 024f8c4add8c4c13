#!/usr/bin/env python3
"""Times textresl10n update on a large PO and XLIFF file.

A base of N units is exported with every unit translated; then 1% of the
names are renamed (half keeping their text, half with one word changed),
which is what the carrying-over of translations between names has to
match. The update is run on a fresh copy each time; the median wall time and the
median CPU time (user + system, which a loaded machine inflates less) are
reported, and for PO beside gettext's msgmerge doing the same merge.

With --memory, each command (export, update with the unchanged and the
changed base, stats, import) runs once per format instead, and its peak
resident memory is reported beside the size of the files it reads.

usage: run_l10n_update_bench.py TEXTRESL10N [--units N] [--runs R] [--memory]
"""
import argparse
import os
import resource
import shutil
import statistics
import subprocess
import tempfile
import time


def write_definition(path, entries):
    with open(path, "w", encoding="utf-8-sig", newline="\n") as f:
        for key, text in entries:
            f.write(f"{key}={text}\n")


def peak_rss(command, cwd, accept=(0,)):
    """Runs the command; its own peak resident set in bytes. The peak comes
    from /usr/bin/time: a child forked straight from this Python process,
    which holds the generated files' lists, would report Python's peak as its
    own when that is larger. An exit status not in `accept` stops the run."""
    report = os.path.join(cwd, "rusage.txt")
    done = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report] + command, cwd=cwd,
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if done.returncode not in accept:
        raise SystemExit(f"{' '.join(command)} failed: {done.stderr.decode()}")
    with open(report) as f:
        peak_kib = f.read().split()[-1]
    os.remove(report)
    return int(peak_kib) * 1024


def report_memory(program, work):
    mib = 1024 * 1024
    size = lambda name: os.path.getsize(os.path.join(work, name))
    for suffix in ("po", "xlf"):
        exported = "exported." + suffix
        target = "ja." + suffix
        runs = [
            ("export", [program, "export", "--base", "old.txt", "--translation", "ja.txt", "--lang", "ja", "-o", exported],
             ["old.txt", "ja.txt"]),
            ("update, unchanged base", [program, "update", "--base", "old.txt", target], ["old.txt", exported]),
            ("update, changed base", [program, "update", "--base", "en.txt", target], ["en.txt", exported]),
            ("stats", [program, "stats", "--base", "old.txt", exported], ["old.txt", exported]),
            ("import", [program, "import", "--base", "old.txt", exported, "-o", "imported.txt"], ["old.txt", exported]),
        ]
        for name, command, inputs in runs:
            shutil.copyfile(os.path.join(work, exported), os.path.join(work, target)) if name.startswith("update") else None
            read = sum(size(f) for f in inputs)
            peak = peak_rss(command, work)
            print(f"{suffix} {size(exported) / mib:.1f} MiB: {name}: reads {read / mib:.1f} MiB, "
                  f"peak RSS {peak / mib:.1f} MiB = {peak / read:.2f} x")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--units", type=int, default=100000)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--memory", action="store_true")
    args = parser.parse_args()
    program = os.path.abspath(args.program)

    with tempfile.TemporaryDirectory() as work:
        base = [(f"Group{i // 100}.Text{i}", f"Message number {i} of the application, %d files") for i in range(args.units)]
        write_definition(os.path.join(work, "old.txt"), base)
        write_definition(os.path.join(work, "ja.txt"), [(k, f"メッセージ {i} 番、%d ファイル") for i, (k, _) in enumerate(base)])
        changed = list(base)
        for n, i in enumerate(range(0, args.units, 100)):
            key, text = changed[i]
            changed[i] = (key.replace("Text", "Renamed"), text if n % 2 == 0 else text.replace("application", "program"))
        write_definition(os.path.join(work, "en.txt"), changed)
        if args.memory:
            report_memory(program, work)
            return
        for suffix in ("po", "xlf"):
            exported = os.path.join(work, "exported." + suffix)
            subprocess.run([program, "export", "--base", "old.txt", "--translation", "ja.txt", "--lang", "ja",
                            "-o", exported], cwd=work, check=True, capture_output=True)
            times, cpu = [], []
            for _ in range(args.runs):
                target = os.path.join(work, "ja." + suffix)
                shutil.copyfile(exported, target)
                before = resource.getrusage(resource.RUSAGE_CHILDREN)
                start = time.perf_counter()
                run = subprocess.run([program, "update", "--base", "en.txt", target], cwd=work, check=True,
                                     capture_output=True, text=True)
                times.append(time.perf_counter() - start)
                after = resource.getrusage(resource.RUSAGE_CHILDREN)
                cpu.append(after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)
            print(f"{suffix}: {args.units} units, {args.units // 100} renamed: median {statistics.median(times):.3f} s "
                  f"over {args.runs} runs (min {min(times):.3f}, max {max(times):.3f}), CPU median {statistics.median(cpu):.3f} s; "
                  f"{run.stderr.strip()}")
            if suffix == "po" and shutil.which("msgmerge"):
                # gettext's msgmerge on the same file and the new base as a
                # template, with its fuzzy matching on (its default).
                subprocess.run([program, "export", "--base", "en.txt", "-o", "en.pot"], cwd=work, check=True,
                               capture_output=True)
                # Also without it (-N), which does what ours does for a name
                # that keeps its text and leaves the renamed ones new.
                for options in ([], ["-N"]):
                    merge_times = []
                    for _ in range(max(1, args.runs // 2)):
                        shutil.copyfile(exported, target)
                        start = time.perf_counter()
                        subprocess.run(["msgmerge", "--quiet"] + options + ["-o", "merged.po", target, "en.pot"],
                                       cwd=work, check=True, capture_output=True)
                        merge_times.append(time.perf_counter() - start)
                    print(f"msgmerge {' '.join(options)} on the same PO: median {statistics.median(merge_times):.3f} s "
                          f"over {len(merge_times)} runs (min {min(merge_times):.3f}, max {max(merge_times):.3f})")


if __name__ == "__main__":
    main()

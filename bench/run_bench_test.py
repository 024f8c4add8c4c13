#!/usr/bin/env python3
"""The benchmark's verdicts on made-up measurements: a missed target or a
growth past n log n must fail the run, and a run with nothing to judge must
say so instead of passing."""

import contextlib
import io
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import run_bench  # noqa: E402

MB = run_bench.MIB


def result(kind, size, time=1.0, floor=0.5, user=1.0, rss_per_input=1.0):
    """One case's medians."""
    input_bytes = size * 128
    return (run_bench.case_name(kind, {1_000_000: "1M", 3_000_000: "3M"}.get(size, str(size))), {
        "kind": kind, "size": size, "input": input_bytes, "time": time, "floor": floor,
        "user": user, "cpu": user, "system": 0.1, "write_system": 0.1, "rss": input_bytes * rss_per_input})


def growing(kind, user, memory):
    """1M and 3M cases of `kind` whose user time and peak memory grow by these
    factors (n log n allows x3.24 and the bench 15 % more: x3.73)."""
    return [result(kind, 1_000_000), result(kind, 3_000_000, time=3.0, user=user, rss_per_input=memory / 3.0)]


class Verdicts(unittest.TestCase):
    CASES = [
        # name, results, growth ok, targets ok, verdict lines expected
        ("all within", growing("entries", 3.0, 2.9) + growing("wide", 3.7, 3.2),
         True, True, ["growth within n log n: yes", "targets: met"]),
        ("user grows past n log n", growing("entries", 3.0, 2.9) + growing("wide", 3.8, 3.0),
         False, True, ["growth within n log n: NO"]),
        ("memory grows past n log n", growing("sixdeep", 3.0, 3.8),
         False, True, ["growth within n log n: NO"]),
        ("clustered over its 3x", [result("entries", 1_000_000, time=1.6, floor=0.5)],
         True, False, ["targets: MISSED"]),
        ("another shape's 4x allows 3.2", [result("random", 1_000_000, time=1.6, floor=0.5)],
         True, True, ["targets: met"]),
        ("memory over 1.5 of the input", [result("flat", 1_000_000, rss_per_input=1.6)],
         True, False, ["targets: MISSED"]),
        ("deep case over its target", [("deep 14998", {"kind": "deep", "size": 14_998, "time": 1.0, "floor": 0.3,
                                                        "input": MB, "rss": MB})],
         True, False, ["targets: MISSED"]),
        ("nothing to judge", [result("entries", 10_000)],
         True, True, ["growth within n log n: not judged", "targets: not judged"]),
    ]

    def test_verdicts(self):
        for name, results, growth_ok, targets_ok, lines in self.CASES:
            with self.subTest(name):
                printed = io.StringIO()
                with contextlib.redirect_stdout(printed):
                    self.assertEqual(run_bench.growth(results), growth_ok)
                    self.assertEqual(run_bench.judge(results), targets_ok)
                for line in lines:
                    self.assertIn("\n" + line, printed.getvalue())


if __name__ == "__main__":
    unittest.main()

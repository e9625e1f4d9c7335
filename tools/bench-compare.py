#!/usr/bin/env python3
"""Compares the benchmarks of two builds: the same programs, the benchmarks both have, run in
alternation on one core so that load on a shared machine falls on both sides alike. Prints, per
benchmark, the median CPU time per iteration of each side and their ratio (after / before).

usage: bench-compare.py BEFORE_BENCH_DIR AFTER_BENCH_DIR [--rounds N] [--core C] [programs...]
"""
import argparse
import re
import os
import statistics
import subprocess
import sys


# Some programs print their own checks and tables around the list: only words shaped like benchmark
# names are kept (a stray "(" or "-" would make the filter an invalid expression and run nothing).
NAME = re.compile(r"^[A-Za-z_]\w*(/[\w:.]+)*$")


def list_tests(path):
    out = subprocess.run([path, "--benchmark_list_tests=true"], capture_output=True, text=True)
    return {w for w in out.stdout.split() if NAME.match(w)}


UNITS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
LINE = re.compile(r"^(\S+)\s+([\d.]+) (ns|us|ms|s)\s+([\d.]+) (ns|us|ms|s)\s+\d+")


def run(path, names, core, reps):
    # The programs print through their own reporter, so read Google Benchmark's console lines.
    flt = "^(" + "|".join(sorted(re.escape(n) for n in names)) + ")$"
    out = subprocess.run(["taskset", "-c", str(core), path, "--benchmark_filter=" + flt,
                          "--benchmark_repetitions=%d" % reps, "--benchmark_min_time=0.05",
                          "--benchmark_color=false"],
                         capture_output=True, text=True, check=True).stdout
    times = {}
    for line in re.sub(r"\x1b\[[0-9;]*m", "", out).splitlines():
        m = LINE.match(line)
        if m and m.group(1) in names:
            times.setdefault(m.group(1), []).append(float(m.group(4)) * UNITS[m.group(5)])
    return times


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("before")
    ap.add_argument("after")
    ap.add_argument("programs", nargs="*")
    ap.add_argument("--rounds", type=int, default=3)
    ap.add_argument("--reps", type=int, default=3)
    ap.add_argument("--core", type=int, default=7)
    a = ap.parse_args()
    programs = a.programs or sorted(p for p in os.listdir(a.before) if p.startswith("bench_"))
    worst = 0.0
    for prog in programs:
        pb, pa = os.path.join(a.before, prog), os.path.join(a.after, prog)
        if not (os.access(pb, os.X_OK) and os.access(pa, os.X_OK)):
            continue
        names = list_tests(pb) & list_tests(pa)
        if not names:
            continue
        sb, sa = {}, {}
        for _ in range(a.rounds):
            for side, path in ((sb, pb), (sa, pa)):
                for k, v in run(path, names, a.core, a.reps).items():
                    side.setdefault(k, []).extend(v)
        print("\n%s (%d benchmarks both have; CPU time per iteration, medians)" % (prog, len(names)))
        print("%-48s %12s %12s %7s" % ("benchmark", "before", "after", "ratio"))
        for n in sorted(names):
            if n not in sb or n not in sa:
                continue
            b, c = statistics.median(sb[n]), statistics.median(sa[n])
            r = c / b if b > 0 else float("nan")
            worst = max(worst, r)
            print("%-48s %10.3fus %10.3fus %7.2f" % (n, b * 1e6, c * 1e6, r))
    print("\nslowest ratio after/before: %.2f" % worst)


if __name__ == "__main__":
    sys.exit(main())

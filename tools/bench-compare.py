#!/usr/bin/env python3
"""Compares the benchmarks of two builds: the same programs, run in alternation on the given cores so
that load on a shared machine falls on both sides alike.

Google Benchmark programs: per benchmark both sides have, the median CPU time per iteration of each
side and their ratio (after / before), with the ratio of the median wall times beside it (CPU time
counts the benchmark's own thread only, so work it hands to other threads shows in the wall time).

Programs that print their own figures (OWN_FIGURES): each side is run a few times; every figure line
is printed once with each changing number as "before / after" (medians of the runs). No ratio is made
of them: a ratio of start-up milliseconds, thread counts or idle percentages would read as a speed-up
that nobody measured.

Whatever could not be compared (a program or benchmark only one side has, a side that failed) is said
in a line of the output, and again in the summary at the end.

usage: bench-compare.py BEFORE_BENCH_DIR AFTER_BENCH_DIR [--rounds N] [--reps N] [--own-runs N]
                        [--core CPUS] [programs...]
"""
import argparse
import json
import os
import re
import signal
import statistics
import subprocess
import sys
import tempfile

# Programs that take their own arguments and print their own figures, with the arguments of a short
# run: bench_firstframe [start-ups] (then 3 idle runs of 3 s), bench_gamestart [runs] [idle s]
# [settle s] (headless and, when DISPLAY is set, on that X server too).
OWN_FIGURES = {
    "bench_firstframe": ["5"],
    "bench_gamestart": ["5", "10", "5"],
}

TIMEOUT = 1200  # seconds for one run of one program


def is_google_benchmark(path):
    # Our programs that print their own figures link the library too, but never run its benchmarks.
    with open(path, "rb") as f:
        return b"RunSpecifiedBenchmarks" in f.read()


def run_program(argv, cpus):
    """Runs one program pinned to the cores; returns (stdout without colour codes, failure or None)."""
    try:
        p = subprocess.run(["taskset", "-c", cpus] + argv, capture_output=True, text=True, timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        return "", "no end within %d s" % TIMEOUT
    out = re.sub(r"\x1b\[[0-9;]*m", "", p.stdout)
    if p.returncode == 0:
        return out, None
    if p.returncode < 0:
        why = "killed by %s" % signal.Signals(-p.returncode).name
    else:
        why = "exit code %d" % p.returncode
    last = [line for line in (p.stderr + out).splitlines() if line.strip()][-1:]
    return out, why + (" (%s)" % last[0].strip() if last else "")


def alternate(rounds, before, after):
    # Before first in even rounds, after first in odd ones: a drift of the machine's speed during the
    # run does not favour one side.
    for i in range(rounds):
        yield from ((before, after) if i % 2 == 0 else (after, before))


# ---- Google Benchmark programs ----

# Some programs print their own checks and tables around the list: only whole lines shaped like
# benchmark names are kept (a word of a table would otherwise join the filter and the table).
NAME = re.compile(r"^[A-Za-z_]\w*(/[\w:.]+)*$")
UNITS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
# The keys of a JSON row that are not the benchmark's own counters.
ROW_KEYS = {"name", "family_index", "per_family_instance_index", "run_name", "run_type", "repetitions",
            "repetition_index", "threads", "iterations", "real_time", "cpu_time", "time_unit", "label",
            "error_occurred", "error_message", "aggregate_name", "aggregate_unit"}


def list_tests(path, cpus):
    out, failure = run_program([path, "--benchmark_list_tests=true"], cpus)
    return {line.strip() for line in out.splitlines() if NAME.match(line.strip())}, failure


class Side:
    """What one build's runs of one Google Benchmark program gave."""

    def __init__(self, path):
        self.path = path
        self.cpu = {}  # benchmark name -> CPU seconds per iteration, one per repetition
        self.wall = {}
        self.counters = {}  # benchmark name -> counter name -> values
        self.errors = {}  # benchmark name -> the message it stopped with
        self.failure = None  # how the program itself failed, if it did

    def run(self, names, cpus, reps):
        # The times are read from Google Benchmark's JSON file, which keeps their full precision
        # whatever the program's own reporter prints on the console.
        flt = "^(" + "|".join(sorted(re.escape(n) for n in names)) + ")$"
        with tempfile.NamedTemporaryFile(suffix=".json") as out:
            _, failure = run_program([self.path, "--benchmark_filter=" + flt, "--benchmark_repetitions=%d" % reps,
                                      "--benchmark_min_time=0.05", "--benchmark_out_format=json",
                                      "--benchmark_out=" + out.name], cpus)
            try:
                rows = json.load(out).get("benchmarks", [])
            except ValueError:
                rows = []  # a program that died mid-run leaves its file unfinished
        self.failure = self.failure or failure
        for row in rows:
            name = row.get("run_name", row["name"])
            if row.get("run_type") != "iteration" or name not in names:
                continue
            if row.get("error_occurred"):
                self.errors[name] = row.get("error_message", "error")
                continue
            unit = UNITS[row.get("time_unit", "ns")]
            self.cpu.setdefault(name, []).append(row["cpu_time"] * unit)
            self.wall.setdefault(name, []).append(row["real_time"] * unit)
            for key, value in row.items():
                if key not in ROW_KEYS and isinstance(value, (int, float)):
                    self.counters.setdefault(name, {}).setdefault(key, []).append((value, row["cpu_time"],
                                                                                    row["real_time"]))

    def why_missing(self, name):
        return self.errors.get(name) or self.failure or "no row printed"


def ratio(after, before):
    return after / before if before > 0 else float("nan")


def fmt_count(value):
    return "%.0f" % value if abs(value) >= 1e4 else "%.4g" % value


def follows_time(samples):
    """Whether a counter is a rate (work per second, or its inverse) and so only the time again: its
    value times or over the time per iteration is the same in every repetition."""
    if len({v for v, _, _ in samples}) < 2:
        return False
    for i in (1, 2):  # CPU time or wall time, whichever the benchmark's rates use
        for derived in ([t[0] * t[i] for t in samples], [t[0] / t[i] for t in samples if t[i] > 0]):
            if derived and max(derived) - min(derived) <= 1e-6 * max(abs(d) for d in derived):
                return True
    return False


def counter_figures(before, after):
    """The benchmark's own counters (work done, sizes, its own timings), each "before / after" or once
    where both sides agree; no ratio, as a counter may be a count or a time. Rates are left out."""
    figures = []
    for key in sorted(set(before) | set(after)):
        sides = [side[key] for side in (before, after) if key in side]
        if all(follows_time(samples) for samples in sides):
            continue
        b, c = (fmt_count(statistics.median(v for v, _, _ in side[key])) if key in side else "-"
                for side in (before, after))
        figures.append("%s %s" % (key, b if b == c else b + " / " + c))
    return ", ".join(figures)


def fmt_time(seconds):
    for unit, scale in (("s", 1.0), ("ms", 1e-3), ("us", 1e-6)):
        if seconds >= scale:
            return "%#.4g %s" % (seconds / scale, unit)
    return "%#.4g ns" % (seconds / 1e-9)


def compare_google_benchmark(prog, pb, pa, a, ratios, gaps):
    (nb, fb), (na, fa) = list_tests(pb, a.core), list_tests(pa, a.core)
    for side, names, failure in (("before", nb, fb), ("after", na, fa)):
        if not names:
            gaps.append("%s: the %s build lists no benchmarks (%s)" % (prog, side, failure or "empty list"))
    names = nb & na
    if not names:
        return
    before, after = Side(pb), Side(pa)
    for side in alternate(a.rounds, before, after):
        side.run(names, a.core, a.reps)
    width = max(len(n) for n in names)
    print("\n%s: %d benchmarks both have; medians of %d rounds x %d repetitions"
          % (prog, len(names), a.rounds, a.reps))
    print("%-*s %12s %12s %7s %7s" % (width, "benchmark", "CPU before", "CPU after", "ratio", "wall"))
    for n in sorted(names):
        missing = [(s, label) for s, label in ((before, "before"), (after, "after")) if n not in s.cpu]
        if missing:
            why = "; ".join("no time on the %s side: %s" % (label, s.why_missing(n)) for s, label in missing)
            print("%-*s %s" % (width, n, why))
            gaps.append("%s %s: %s" % (prog, n, why))
            continue
        b, c = statistics.median(before.cpu[n]), statistics.median(after.cpu[n])
        r = ratio(c, b)
        wall = ratio(statistics.median(after.wall[n]), statistics.median(before.wall[n]))
        ratios.append((r, prog + " " + n))
        print("%-*s %12s %12s %7.2f %7.2f" % (width, n, fmt_time(b), fmt_time(c), r, wall))
        counters = counter_figures(before.counters.get(n, {}), after.counters.get(n, {}))
        if counters:
            print("%-*s   counters: %s" % (width, "", counters))
    for side, label, only in ((before, "before", nb - na), (after, "after", na - nb)):
        if only:
            print("only in the %s build, not compared: %s" % (label, " ".join(sorted(only))))
            gaps.append("%s: %d benchmarks only in the %s build" % (prog, len(only), label))


# ---- programs that print their own figures ----

# A figure: a number standing alone (not the 2 of "SDL2" nor the 3 of "Device3D").
NUMBER = re.compile(r"(?<![\w.])-?\d+(?:\.\d+)?(?![\w.])")


def figure_lines(out):
    """{line shape: numbers} for each line with a figure; the shape is the line with its numbers taken
    out and its spaces closed up, so that a figure printed wider does not make a new line."""
    lines = {}
    for line in out.splitlines():
        if not NUMBER.search(line):
            continue
        indent = line[: len(line) - len(line.lstrip())]
        shape = indent + " ".join(NUMBER.sub("\0", line).split())
        lines[shape] = NUMBER.findall(line)
    return lines


def merge_figures(shape, before_runs, after_runs):
    """The line with each number as "before / after" medians, or once where it never changes."""
    def median(runs, i):
        values = [float(r[shape][i]) for r in runs if shape in r]
        return statistics.median(values) if values else None

    count = len(next(r[shape] for r in before_runs + after_runs if shape in r))
    pieces = shape.split("\0")
    text = pieces[0]
    for i in range(count):
        tokens = [r[shape][i] for r in before_runs + after_runs if shape in r]
        decimals = len(tokens[0].partition(".")[2])
        if len(set(tokens)) == 1:
            text += tokens[0]
        else:
            b, c = median(before_runs, i), median(after_runs, i)
            text += " / ".join("-" if v is None else "%.*f" % (decimals, v) for v in (b, c))
        text += pieces[i + 1]
    return text


def compare_own_figures(prog, pb, pa, a, gaps):
    before, after = [], []
    failures = []
    for runs, path, label in alternate(a.own_runs, (before, pb, "before"), (after, pa, "after")):
        out, failure = run_program([path] + OWN_FIGURES[prog], a.core)
        if failure:
            failures.append("%s run failed: %s" % (label, failure))
        runs.append(figure_lines(out))
    print("\n%s %s: its own figures, before / after where they differ (medians of %d runs each)"
          % (prog, " ".join(OWN_FIGURES[prog]), a.own_runs))
    shapes = []
    for r in before + after:
        shapes += [s for s in r if s not in shapes]
    for shape in shapes:
        sides = [label for label, runs in (("before", before), ("after", after)) if any(shape in r for r in runs)]
        note = "" if len(sides) == 2 else "   [%s only]" % sides[0]
        print("  " + merge_figures(shape, before, after) + note)
    for f in failures:
        print("  " + f)
        gaps.append("%s: %s" % (prog, f))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("before")
    ap.add_argument("after")
    ap.add_argument("programs", nargs="*")
    ap.add_argument("--rounds", type=int, default=3, help="alternated runs of each Google Benchmark program")
    ap.add_argument("--reps", type=int, default=3, help="repetitions of each benchmark in a run")
    ap.add_argument("--own-runs", type=int, default=3, help="alternated runs of each program with its own figures")
    ap.add_argument("--core", default="7", help="CPU list for taskset, e.g. 7 or 6,7")
    a = ap.parse_args()
    found = {side: {p for p in os.listdir(d) if p.startswith("bench_") and os.access(os.path.join(d, p), os.X_OK)}
             for side, d in (("before", a.before), ("after", a.after))}
    programs = a.programs or sorted(found["before"] | found["after"])
    ratios, gaps = [], []
    own = []
    for prog in programs:
        pb, pa = os.path.join(a.before, prog), os.path.join(a.after, prog)
        absent = [side for side in ("before", "after") if prog not in found[side]]
        if absent:
            line = "%s: not in the %s build" % (prog, " and ".join(absent))
            print("\n" + line)
            gaps.append(line)
        elif prog in OWN_FIGURES:
            own.append((prog, pb, pa))  # after the tables: these print no ratio
        elif is_google_benchmark(pb) and is_google_benchmark(pa):
            compare_google_benchmark(prog, pb, pa, a, ratios, gaps)
        else:
            line = "%s: runs no Google Benchmark and is not in OWN_FIGURES" % prog
            print("\n" + line)
            gaps.append(line)
    for prog, pb, pa in own:
        compare_own_figures(prog, pb, pa, a, gaps)

    print("\nSummary: %d benchmarks compared, CPU time after / before" % len(ratios))
    if ratios:
        ratios.sort()
        for label, picks in (("fastest", ratios[:5]), ("slowest", ratios[::-1][:5])):
            print("  %s: %s" % (label, ", ".join("%.2f %s" % p for p in picks)))
        print("  median ratio: %.2f" % statistics.median(r for r, _ in ratios))
    if gaps:
        print("Not compared:")
        for g in gaps:
            print("  " + g)
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Pairs each benchmarked operation with its baseline and prints a Markdown
table of the medians, their ratio and the aim.

    ratios.py RESULTS.json [MORE.json ...]

The JSON files are Google Benchmark output (--benchmark_format=json or
--benchmark_out); with repetitions the median is used, otherwise the single
run. Benchmarks are named "<operation>/operation" and "<operation>/baseline".
"""
import json
import re
import sys

FILE_AIM = 2.0
START_AIM = 1.5

# operation, benchmark, baseline, baseline benchmark, aim
ROWS = [
    ("Open a container (loadPtFile)", "open/operation",
     "read of the 1,409,024 bytes (open, read, close)", "open/baseline", FILE_AIM),
    ("Save over an existing container (savePtFile, overwrite: Yes)", "save/operation",
     "write of the 1,409,024 bytes + fsync + rename", "save/baseline", FILE_AIM),
    ("Export raw .tex (66,560 bytes)", "export_raw/operation",
     "write of 66,560 bytes + fsync + rename", "export_raw/baseline", FILE_AIM),
    ("Export bitmap .bmp (66,614 bytes)", "export_bitmap/operation",
     "write of 66,614 bytes + fsync + rename", "export_bitmap/baseline", FILE_AIM),
    ("Export PNG (indexed, tRNS)", "export_png/operation",
     "raw .tex export of the same slot", "export_png/baseline", 1.5),
    ("Import raw .tex", "import_raw/operation",
     "read of the same file", "import_raw/baseline", FILE_AIM),
    ("Import bitmap .bmp", "import_bitmap/operation",
     "read of the same file", "import_bitmap/baseline", FILE_AIM),
    ("Preview (write pre.bmp, load it into a QPixmap)", "preview/operation",
     "load of the same pre.bmp", "preview/baseline", FILE_AIM),
    ("Start-up to the first shown window", "startup/operation",
     "start-up of an empty Qt window", "startup/baseline", START_AIM),
    ("Start-up with a container to open", "startup_with_container/operation",
     "start-up of an empty Qt window", "startup/baseline", START_AIM),
]

SUFFIX = re.compile(r"/(real_time|manual_time|process_time|min_time:[^/]+|"
                    r"min_warmup_time:[^/]+|iterations:\d+|repeats:\d+|threads:\d+)")
TO_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def base_name(name):
    return SUFFIX.sub("", name)


def load(paths):
    """Median real time (ns), errors, repetitions and median counters by name."""
    times, errors, runs, counters = {}, {}, {}, {}
    for path in paths:
        with open(path) as f:
            data = json.load(f)
        for b in data.get("benchmarks", []):
            name = base_name(b.get("run_name", b["name"]))
            if b.get("error_occurred"):
                errors[name] = b.get("error_message", "error")
                continue
            ns = b["real_time"] * TO_NS[b.get("time_unit", "ns")]
            if b.get("run_type") == "aggregate":
                if b.get("aggregate_name") == "median":
                    times[name] = ns
                    runs[name] = b.get("repetitions", 1)
                    if "child_cpu_ms" in b:
                        counters[name] = b["child_cpu_ms"]
            else:
                runs.setdefault(name, 0)
                runs[name] += 1
                times.setdefault(name, ns)
                if "child_cpu_ms" in b:
                    counters.setdefault(name, b["child_cpu_ms"])
    return times, errors, runs, counters


def fmt(ns):
    if ns >= 1e6:
        return f"{ns / 1e6:.2f} ms"
    if ns >= 1e3:
        return f"{ns / 1e3:.1f} µs"
    return f"{ns:.0f} ns"


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    times, errors, runs, cpu = load(argv[1:])
    print("| Operation | Time | Baseline | Baseline time | Ratio | Aim |")
    print("|---|---:|---|---:|---:|---|")
    missed = measured = 0
    for label, op, base_label, base, aim in ROWS:
        if op not in times and op not in errors and base not in times:
            continue  # not part of these results (for example no Qt)
        problem = errors.get(op) or errors.get(base)
        if problem or op not in times or base not in times:
            why = problem or "not measured"
            print(f"| {label} | — | {base_label} | — | — | ≤ {aim:.1f}x: not measured ({why}) |")
            continue
        ratio = times[op] / times[base]
        verdict = "met" if ratio <= aim else "**missed**"
        missed += ratio > aim
        measured += 1
        print(f"| {label} | {fmt(times[op])} | {base_label} | {fmt(times[base])} | "
              f"{ratio:.2f}x | ≤ {aim:.1f}x: {verdict} |")
    reps = sorted(set(runs.values()))
    print()
    print(f"{measured - missed} of {measured} measured figures meet their aim.")
    print("Times are medians of " + "/".join(str(r) for r in reps) +
          " repetitions (wall clock), operations and baselines interleaved in one run.")
    starts = [(label, op, base) for label, op, _, base, _ in ROWS if op in cpu and base in cpu]
    if starts:
        print("Processor time of the started programs: " + "; ".join(
            f"{label.lower()} {cpu[op]:.1f} ms against {cpu[base]:.1f} ms "
            f"({cpu[op] / cpu[base]:.2f}x)" for label, op, base in starts) + ".")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

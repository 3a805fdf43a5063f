#!/usr/bin/python3
"""Pairs each benchmarked operation with its baseline and prints a Markdown
table of the medians, their ratio and the aim (a ratio, a speed-up over the
baseline, or an absolute time).

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

DURABLE = "+ fsync + linkat + rename + fsync of the folder"
# An aim is ("<=", x): ratio at most x; (">=", x): the baseline takes at least
# x times as long as the operation; ("<", ms): the operation itself takes less
# than ms milliseconds; None: shown for information.
# operation, benchmark, baseline, baseline benchmark, aim
ROWS = [
    ("Open a container (loadPtFile)", "open/operation",
     "read of the 1,409,024 bytes (open, read, close)", "open/baseline", ("<=", FILE_AIM)),
    ("Save over an existing container (savePtFile, overwrite: Yes)", "save/operation",
     f"O_TMPFILE write of the 1,409,024 bytes {DURABLE}", "save/baseline", ("<=", FILE_AIM)),
    ("Export raw .tex (66,560 bytes)", "export_raw/operation",
     f"O_TMPFILE write of 66,560 bytes {DURABLE}", "export_raw/baseline", ("<=", FILE_AIM)),
    ("Export bitmap .bmp (66,614 bytes)", "export_bitmap/operation",
     f"O_TMPFILE write of 66,614 bytes {DURABLE}", "export_bitmap/baseline", ("<=", FILE_AIM)),
    ("Import raw .tex", "import_raw/operation",
     "read of the same file", "import_raw/baseline", ("<=", FILE_AIM)),
    ("Import bitmap .bmp", "import_bitmap/operation",
     "read of the same file", "import_bitmap/baseline", ("<=", FILE_AIM)),
    ("Export PNG (indexed, tRNS), flushed", "export_png/operation",
     "raw .tex export of the same slot, flushed", "export_png/baseline", ("<=", 1.5)),
    ("Import indexed PNG", "import_png/operation",
     "read of the same file", "import_png/baseline", ("<=", 3.0)),
    ("Import of an unchanged slot saved as RGBA PNG (auto)", "import_rgba_png/operation",
     "import of the same slot's indexed PNG", "import_rgba_png/baseline", ("<=", 2.0)),
    ("Import of a soft RGBA PNG that must be quantized", "import_quantized_png/absolute",
     None, None, ("<", 100.0)),
    ("Quantize 256x256 RGBA to 256 colours", "quantize_256x256/absolute",
     None, None, ("<", 100.0)),
    ("Remap 256x256 RGBA to a palette", "remap_256x256/absolute/0",
     None, None, None),
    ("Remap 256x256 RGBA to a palette, dithered", "remap_256x256/absolute/1",
     None, None, None),
    ("Preview: click on a row to the picture shown (writes pre.bmp)", "preview/operation",
     "load of the same pre.bmp into a QPixmap", "preview/baseline", ("<", 2.0)),
    ("Start-up of the window to its first paint", "startup/operation",
     "start-up of an empty Qt window to its first paint", "startup/baseline", ("<=", START_AIM)),
    ("Start-up with a container to open, to the first paint", "startup_with_container/operation",
     "start-up of an empty Qt window to its first paint", "startup/baseline", ("<=", START_AIM)),
    ("`ptool copy IN OUT --force` (whole process)", "copy_process/operation",
     "`cp IN OUT && sync OUT` (whole processes)", "copy_process/baseline", ("<=", 1.3)),
    ("`ptool copy IN OUT --force` (whole process)", "copy_process/operation",
     "`cp IN OUT && sync OUT FOLDER` (folder flushed too, as the program does)",
     "copy_process/baseline_with_folder", None),
    ("`ptool export-all` of the sample containers", "export_all/operation",
     "a loop of `ptool export`, one per used slot", "export_all/loop_of_exports", (">=", 20.0)),
    ("`ptool export-all` of the sample containers", "export_all/operation",
     "plain writes of the same bytes in one process, same flushing", "export_all/baseline",
     ("<=", 2.0)),
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
    if ns >= 1e9:
        return f"{ns / 1e9:.2f} s"
    if ns >= 1e6:
        return f"{ns / 1e6:.2f} ms"
    if ns >= 1e3:
        return f"{ns / 1e3:.1f} µs"
    return f"{ns:.0f} ns"


def aim_text(aim):
    kind, value = aim
    if kind == "<=":
        return f"≤ {value:.1f}x"
    if kind == ">=":
        return f"≥ {value:.0f}x faster"
    return f"< {value:g} ms"


def judge(aim, op_ns, ratio):
    kind, value = aim
    if kind == "<=":
        return ratio <= value
    if kind == ">=":
        return ratio is not None and 1 / ratio >= value
    return op_ns < value * 1e6


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    times, errors, runs, cpu = load(argv[1:])
    print("| Operation | Time | Baseline | Baseline time | Ratio | Aim |")
    print("|---|---:|---|---:|---:|---|")
    missed = measured = 0
    used = set()
    for label, op, base_label, base, aim in ROWS:
        if op not in times and op not in errors and base not in times:
            continue  # not part of these results (for example no Qt)
        used.update({op, base})
        aim_label = aim_text(aim) if aim else "—"
        problem = errors.get(op) or errors.get(base)
        if problem or op not in times or (base and base not in times):
            why = problem or "not measured"
            print(f"| {label} | — | {base_label or '—'} | — | — | {aim_label}: not measured ({why}) |")
            continue
        ratio = times[op] / times[base] if base else None
        if aim is None:
            verdict = ""
        else:
            ok = judge(aim, times[op], ratio)
            verdict = ": met" if ok else ": **missed**"
            missed += not ok
            measured += 1
        if ratio is None:
            ratio_text = "—"
        elif aim and aim[0] == ">=":
            ratio_text = f"{1 / ratio:.1f}x faster"
        else:
            ratio_text = f"{ratio:.2f}x"
        base_time = fmt(times[base]) if base else "—"
        print(f"| {label} | {fmt(times[op])} | {base_label or '—'} | {base_time} | "
              f"{ratio_text} | {aim_label}{verdict} |")
    reps = sorted(set(runs[n] for n in used if n in runs))
    print()
    print(f"{measured - missed} of {measured} measured figures meet their aim.")
    print("Times are medians of " + "/".join(str(r) for r in reps) +
          " repetitions (wall clock); operations and baselines interleaved in one run,"
          " except the batch figures (in order).")
    starts = [(label, op, base) for label, op, _, base, _ in ROWS if op in cpu and base in cpu]
    if starts:
        print("Processor time of the started programs: " + "; ".join(
            f"{label.lower()} {cpu[op]:.1f} ms against {cpu[base]:.1f} ms "
            f"({cpu[op] / cpu[base]:.2f}x)" for label, op, base in starts) + ".")
    unpaired = sorted(n for n in set(times) | set(errors) if n not in used)
    if unpaired:
        print("Not in the table: " + ", ".join(unpaired) + ".")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

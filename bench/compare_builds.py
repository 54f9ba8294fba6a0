#!/usr/bin/env python3
# Whole runs of two korvel builds, interleaved (A B, then B A) so that the
# machine's drift spreads over both, for the PNG workloads of bench/run.sh;
# medians of CPU time (user + system) and wall time, and their ratios.
#
#   bench/compare_builds.py OLD_KORVEL NEW_KORVEL [RUNS]
import os, random, resource, statistics, subprocess, sys, tempfile, time

out = tempfile.mkdtemp()
random.seed(1)
d = ''.join(random.choice('ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789') for _ in range(1500))
work = {
    "W1 default": [],
    "W3 -f 24 -n 5": ["-f", "24", "-n", "5", "-d", d],
    "W4 -f 24 -n 20": ["-f", "24", "-n", "20", "-d", d],
    "W4 --palette": ["--palette", "-f", "24", "-n", "20", "-d", d],
    "-n 37 2920+ px": ["-f", "24", "-n", "37", "-d", d],
}
bins = {"old": sys.argv[1], "new": sys.argv[2]}
runs = int(sys.argv[3]) if len(sys.argv) > 3 else 200
cpu = {(w, b): [] for w in work for b in bins}
wall = {(w, b): [] for w in work for b in bins}
for i in range(runs):
    for w, args in work.items():
        order = list(bins.items()) if i % 2 == 0 else list(reversed(bins.items()))
        for b, path in order:
            before = resource.getrusage(resource.RUSAGE_CHILDREN)
            t = time.perf_counter()
            subprocess.run([path, "--time=1", *args, os.path.join(out, f"{b}.png")], check=True)
            wall[(w, b)].append(time.perf_counter() - t)
            after = resource.getrusage(resource.RUSAGE_CHILDREN)
            cpu[(w, b)].append(after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)
print(f"{runs} interleaved runs each; medians")
print(f"{'workload':16s} {'old cpu ms':>11s} {'new cpu ms':>14s} {'ratio':>6s}   {'old wall':>9s} {'new wall':>12s} {'ratio':>6s}")
for w in work:
    mc, dc = (statistics.median(cpu[(w, b)]) * 1000 for b in bins)
    mw, dw = (statistics.median(wall[(w, b)]) * 1000 for b in bins)
    print(f"{w:16s} {mc:11.3f} {dc:14.3f} {dc / mc if mc else float('nan'):6.2f}   {mw:9.3f} {dw:12.3f} {dw / mw:6.2f}")

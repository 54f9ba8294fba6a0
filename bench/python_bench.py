#!/usr/bin/env python3
"""The Python package against the C++ library, side by side in one run.

Per symbol: korvel.encode('SERIAL00000042').png() in a Python loop, and the
same in C++ (encode + writePng to a buffer: BM_EncodeWritePngSerial of
korvel_bench), alternately for several rounds; medians of CPU time per
symbol (the machine may be shared, and CPU time is what the call costs) and
of wall time. Then encode_many over 10,000 items with jobs=1 and jobs=2
against a plain loop of encode(), in wall time.

    python_bench.py --cxx-bench build/bench/korvel_bench [--rounds 5]
"""

import argparse
import json
import statistics
import subprocess
import time

import korvel

DATA = "SERIAL00000042"


def python_per_symbol(count):
    encode = korvel.encode
    cpu, wall = time.process_time(), time.perf_counter()
    for _ in range(count):
        encode(DATA).png()
    return (time.process_time() - cpu) / count * 1e6, (time.perf_counter() - wall) / count * 1e6


def cxx_per_symbol(program):
    run = subprocess.run(
        [program, "--benchmark_filter=BM_EncodeWritePngSerial$", "--benchmark_format=json",
         "--benchmark_min_time=1"],
        check=True, capture_output=True, text=True)
    result = json.loads(run.stdout)["benchmarks"][0]
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[result["time_unit"]]
    return result["cpu_time"] * scale, result["real_time"] * scale


def seconds(work):
    start = time.perf_counter()
    work()
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cxx-bench", required=True, help="the korvel_bench program")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--count", type=int, default=50000, help="Python calls per round")
    arguments = parser.parse_args()

    python_runs, cxx_runs = [], []
    for _ in range(arguments.rounds):
        python_runs.append(python_per_symbol(arguments.count))
        cxx_runs.append(cxx_per_symbol(arguments.cxx_bench))
    py_cpu = statistics.median(r[0] for r in python_runs)
    py_wall = statistics.median(r[1] for r in python_runs)
    cxx_cpu = statistics.median(r[0] for r in cxx_runs)
    cxx_wall = statistics.median(r[1] for r in cxx_runs)
    print(f"encode('{DATA}').png(), per symbol, median of {arguments.rounds} rounds")
    print(f"  {'':10} {'CPU us':>9} {'wall us':>9}")
    print(f"  {'C++':10} {cxx_cpu:9.2f} {cxx_wall:9.2f}")
    print(f"  {'Python':10} {py_cpu:9.2f} {py_wall:9.2f}")
    print(f"  {'ratio':10} {py_cpu / cxx_cpu:8.2f}x {py_wall / cxx_wall:8.2f}x")

    items = [f"SERIAL{n:08d}" for n in range(10000)]
    runs = {"encode() loop": [], "encode_many jobs=1": [], "encode_many jobs=2": []}
    for _ in range(arguments.rounds):
        runs["encode() loop"].append(seconds(lambda: [korvel.encode(item) for item in items]))
        for jobs in (1, 2):
            runs[f"encode_many jobs={jobs}"].append(seconds(lambda: list(korvel.encode_many(items, jobs=jobs))))
    print(f"10,000 items ({items[0]} ...), wall time, median of {arguments.rounds} rounds")
    base = statistics.median(runs["encode() loop"])
    for name, times in runs.items():
        median = statistics.median(times)
        print(f"  {name:20} {median * 1e3:8.1f} ms  {median / len(items) * 1e6:6.2f} us/item  {base / median:5.2f}x")


if __name__ == "__main__":
    main()

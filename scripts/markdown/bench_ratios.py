#!/usr/bin/env python3
"""Prints time(2n) / time(n) for each pathological input from Google Benchmark JSON output.

Usage: markdown_pathological_bench --benchmark_format=json | scripts/markdown/bench_ratios.py
   or: scripts/markdown/bench_ratios.py RESULTS.json
"""
import json
import sys

data = json.load(open(sys.argv[1]) if len(sys.argv) > 1 else sys.stdin)
times = {}
for b in data["benchmarks"]:
    name, size = b["name"].rsplit("/", 1)
    times.setdefault(name, {})[int(size)] = b["real_time"]
print(f"{'input':45} {'n (ms)':>10} {'2n (ms)':>10} {'ratio':>6}")
for name, by_size in times.items():
    sizes = sorted(by_size)
    if len(sizes) < 2:
        continue
    a, b = by_size[sizes[0]], by_size[sizes[-1]]
    print(f"{name:45} {a:10.3f} {b:10.3f} {b / a:6.2f}")

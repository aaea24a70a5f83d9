#!/usr/bin/env python3
"""Start-up: `print("hi")` in Tarnel, Lua 5.4 and CPython.

Runs each interpreter on bench/startup/hello.<ext> in turn for a number of rounds and prints the
median wall time, the median and the largest peak resident memory of the rounds (it varies by
about 0.4 MiB with where the loader places the libraries) and Tarnel's ratios.

    python3 bench/startup.py --bin build/tarnel [--runs 50]
"""

import argparse
import statistics
import subprocess
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent / "startup"


def wall(command):
    start = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start


def peak_kib(command):
    """Peak RSS measured by GNU time: a child of this Python process would inherit its
    high-water mark across exec, a grandchild forked from the small `time` does not."""
    result = subprocess.run(["/usr/bin/time", "-f", "%M", *command], stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True, check=True)
    return int(result.stderr.split()[-1])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", default="build/tarnel")
    parser.add_argument("--runs", type=int, default=50)
    parser.add_argument("--python", default="/usr/bin/python3")
    args = parser.parse_args()
    commands = {
        "tarnel": [args.bin, str(HERE / "hello.tn")],
        "lua5.4": ["lua5.4", str(HERE / "hello.lua")],
        "python3": [args.python, str(HERE / "hello.py")],
    }
    times = {name: [] for name in commands}
    peaks = {name: [] for name in commands}
    for _ in range(args.runs):
        for name, command in commands.items():
            times[name].append(wall(command))
            peaks[name].append(peak_kib(command))
    medians = {name: statistics.median(values) for name, values in times.items()}
    for name in commands:
        peak = statistics.median(peaks[name]) / 1024
        print(f"{name:8} {medians[name] * 1000:7.2f} ms  peak {peak:5.2f} MiB median, "
              f"{max(peaks[name]) / 1024:5.2f} MiB largest")
    for other in ("lua5.4", "python3"):
        print(f"tarnel/{other}: {medians['tarnel'] / medians[other]:.2f}x wall")


if __name__ == "__main__":
    main()

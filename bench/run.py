#!/usr/bin/env python3
"""Language benchmarks: Tarnel against CPython and Lua 5.4.

Every benchmark in bench/programs/ exists three times (<name>.tn, <name>.py, <name>.lua), with
the same algorithm written in each language's usual style. Each program prints one checksum
line. This script runs the three implementations in turn (tarnel, python, lua, tarnel, ...) for
a number of rounds, checks every output against the known checksum, and prints the median wall
times, the peak resident memory of Tarnel and Python, and the time ratios with their geometric
means. A scaling check then runs two Tarnel programs at n and 4n to show whether their cost
grows linearly (ratio about 4) or quadratically (about 16).

    python3 bench/run.py --bin build/tarnel [--runs N] [--only fib,sort] [--no-scaling]
"""

import argparse
import math
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
PROGRAMS = HERE / "programs"

# Benchmark name -> the checksum line every implementation must print.
EXPECTED = {
    "fib": "2178309",
    "deep": "965698500",
    "calls": "880021",
    "loop": "886696104376",
    "mandelbrot": "28335",
    "push_sum": "900900000",
    "sort": "8508069581",
    "strings": "210000",
    "text": "16000320000",
    "dict_lookup": "42000000",
    "dict_build": "5399431",
}


def push_sum_checksum(n):
    return str(sum(i * 7 % 1000 for i in range(n)) + n)


def strings_checksum(n):
    return str(2 * n + (n + 9) // 10)


# Benchmarks whose Tarnel cost is checked at n and 4n: name -> (base n, checksum for n).
SCALING = {
    "push_sum": (1000000, push_sum_checksum),
    "strings": (1000000, strings_checksum),
}


class BenchError(Exception):
    pass


# A small launcher in C: it forks, runs the command, reaps it with wait4 and writes the child's
# ru_maxrss to a file. Measuring through it matters because a process started straight from
# this script inherits the script's own resident size as its starting peak (the kernel keeps the
# high-water mark of the address space that exec replaces), which would hide everything below
# about 15 MiB.
LAUNCHER_SOURCE = r"""
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
int main(int argc, char **argv) {
    if (argc < 3) return 125;
    pid_t pid = fork();
    if (pid < 0) return 126;
    if (pid == 0) { execvp(argv[2], argv + 2); _exit(127); }
    int status = 0;
    struct rusage usage;
    if (wait4(pid, &status, 0, &usage) < 0) return 126;
    FILE *f = fopen(argv[1], "w");
    if (f) { fprintf(f, "%ld\n", usage.ru_maxrss); fclose(f); }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}
"""


class Runner:
    """Runs programs and measures wall time and peak RSS; see LAUNCHER_SOURCE."""

    def __init__(self, workdir):
        self.workdir = Path(workdir)
        self.launcher = None
        for cc in ("cc", "gcc", "clang"):
            if shutil.which(cc):
                src = self.workdir / "launcher.c"
                exe = self.workdir / "launcher"
                src.write_text(LAUNCHER_SOURCE)
                if subprocess.run([cc, "-O2", "-o", str(exe), str(src)],
                                  stderr=subprocess.DEVNULL).returncode == 0:
                    self.launcher = str(exe)
                    break
        if self.launcher is None:
            print("run.py: no C compiler; peak memory includes this script's own size",
                  file=sys.stderr)
        self.rss_file = self.workdir / "maxrss"

    def run(self, cmd, cwd):
        """Runs cmd; returns (seconds, peak RSS in KiB, stdout text). Raises BenchError."""
        full = [self.launcher, str(self.rss_file)] + cmd if self.launcher else cmd
        with tempfile.TemporaryFile() as err:
            start = time.perf_counter()
            proc = subprocess.Popen(full, cwd=cwd, stdin=subprocess.DEVNULL,
                                    stdout=subprocess.PIPE, stderr=err)
            out = proc.stdout.read()
            proc.stdout.close()
            _, status, usage = os.wait4(proc.pid, 0)
            elapsed = time.perf_counter() - start
            proc.returncode = os.waitstatus_to_exitcode(status)
            if proc.returncode != 0:
                err.seek(0)
                raise BenchError(f"{' '.join(map(str, cmd))} exited with status "
                                 f"{proc.returncode}\n"
                                 f"{err.read().decode(errors='replace')[-2000:]}")
        rss = int(self.rss_file.read_text()) if self.launcher else usage.ru_maxrss
        return elapsed, rss, out.decode(errors="replace")


def check_output(name, impl, out, expected):
    text = out.strip()
    if text != expected:
        raise BenchError(f"{name}: {impl} printed {text!r}, expected {expected!r}")


def fmt_time(t):
    return f"{t:.3f}"


def fmt_mem(kib):
    return f"{kib / 1024:.1f}"


def geomean(values):
    values = [v for v in values if v > 0]
    if not values:
        return float("nan")
    return math.exp(sum(math.log(v) for v in values) / len(values))


def print_table(header, rows):
    widths = [max(len(str(r[i])) for r in [header] + rows) for i in range(len(header))]
    line = "| " + " | ".join(h.ljust(w) for h, w in zip(header, widths)) + " |"
    print(line)
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for r in rows:
        print("| " + " | ".join(str(c).rjust(w) if i else str(c).ljust(w)
                                for i, (c, w) in enumerate(zip(r, widths))) + " |")


def compare(args, runner, names, impls):
    rows = []
    ratios_py, ratios_lua = [], []
    for name in names:
        times = {impl: [] for impl in impls}
        mem = {impl: 0 for impl in impls}
        outputs = {}
        for _ in range(args.runs):
            for impl, cmd in impls.items():
                ext = {"tarnel": "tn", "python": "py", "lua": "lua"}[impl]
                t, rss, out = runner.run(cmd + [str(PROGRAMS / f"{name}.{ext}")], PROGRAMS)
                check_output(name, impl, out, EXPECTED[name])
                outputs.setdefault(impl, out.strip())
                times[impl].append(t)
                mem[impl] = max(mem[impl], rss)
        if len(set(outputs.values())) != 1:
            raise BenchError(f"{name}: implementations disagree: {outputs}")
        med = {impl: statistics.median(ts) for impl, ts in times.items()}
        r_py = med["tarnel"] / med["python"] if "python" in med else float("nan")
        r_lua = med["tarnel"] / med["lua"] if "lua" in med else float("nan")
        ratios_py.append(r_py)
        ratios_lua.append(r_lua)
        row = [name, outputs["tarnel"], fmt_time(med["tarnel"]),
               fmt_time(med["python"]) if "python" in med else "-",
               fmt_time(med["lua"]) if "lua" in med else "-",
               fmt_mem(mem["tarnel"]), fmt_mem(mem["python"]) if "python" in mem else "-",
               f"{r_py:.2f}", f"{r_lua:.2f}"]
        rows.append(row)
        print(f"  {name}: tarnel {row[2]} s, python {row[3]} s, lua {row[4]} s", flush=True)
    rows.append(["geometric mean", "", "", "", "", "", "",
                 f"{geomean(ratios_py):.2f}", f"{geomean(ratios_lua):.2f}"])
    print()
    print(f"Median of {args.runs} runs, wall-clock seconds; peak RSS in MiB.")
    print()
    print_table(["benchmark", "checksum", "tarnel s", "python s", "lua s", "tarnel MiB",
                 "python MiB", "tarnel/python", "tarnel/lua"], rows)


def scaling(args, runner, names, tarnel):
    rows = []
    with tempfile.TemporaryDirectory(prefix="tarnel-bench-") as tmp:
        for name in names:
            if name not in SCALING:
                continue
            base, checksum = SCALING[name]
            source = (PROGRAMS / f"{name}.tn").read_text()
            if not re.search(r"let n = \d+", source):
                raise BenchError(f"{name}.tn has no 'let n = <number>' line to resize")
            medians = []
            for n in (base, 4 * base):
                path = Path(tmp) / f"{name}_{n}.tn"
                path.write_text(re.sub(r"let n = \d+", f"let n = {n}", source, count=1))
                ts = []
                for _ in range(args.runs):
                    t, _, out = runner.run(tarnel + [str(path)], tmp)
                    check_output(f"{name} (n={n})", "tarnel", out, checksum(n))
                    ts.append(t)
                medians.append(statistics.median(ts))
            ratio = medians[1] / medians[0]
            verdict = "linear" if ratio < 6 else ("quadratic" if ratio > 11 else "superlinear")
            rows.append([name, str(base), fmt_time(medians[0]), str(4 * base),
                         fmt_time(medians[1]), f"{ratio:.2f}", verdict])
    if rows:
        print()
        print("Scaling of Tarnel at n and 4n (about 4 means linear, about 16 quadratic):")
        print()
        print_table(["benchmark", "n", "time s", "4n", "time s", "ratio", "growth"], rows)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", default="build/tarnel", help="path of the tarnel binary")
    parser.add_argument("--runs", type=int, default=3, help="rounds per benchmark (default 3)")
    parser.add_argument("--only", default="", help="comma-separated benchmark names")
    parser.add_argument("--python", default="/usr/bin/python3",
                        help="CPython to use (default: Debian's packaged, optimised build)")
    parser.add_argument("--lua", default="lua5.4", help="Lua interpreter to use")
    parser.add_argument("--no-scaling", action="store_true", help="skip the scaling check")
    parser.add_argument("--scaling-only", action="store_true", help="only the scaling check")
    parser.add_argument("--list", action="store_true", help="list the benchmarks and exit")
    args = parser.parse_args()

    if args.list:
        print("\n".join(EXPECTED))
        return 0
    names = list(EXPECTED)
    if args.only:
        wanted = [n.strip() for n in args.only.split(",") if n.strip()]
        unknown = [n for n in wanted if n not in EXPECTED]
        if unknown:
            parser.error(f"unknown benchmark(s): {', '.join(unknown)}; try --list")
        names = wanted
    if args.runs < 1:
        parser.error("--runs must be at least 1")

    tarnel = Path(args.bin).resolve()
    if not tarnel.is_file() or not os.access(tarnel, os.X_OK):
        print(f"run.py: no tarnel binary at {args.bin} (build it first)", file=sys.stderr)
        return 2
    impls = {"tarnel": [str(tarnel)]}
    for impl, exe in (("python", args.python), ("lua", args.lua)):
        found = shutil.which(exe)
        if not found:
            print(f"run.py: {impl} interpreter '{exe}' not found", file=sys.stderr)
            return 2
        impls[impl] = [found]

    for impl in ("python", "lua"):
        version = subprocess.run(impls[impl] + ["-V" if impl == "python" else "-v"],
                                 capture_output=True, text=True)
        print(f"{impl}: {impls[impl][0]}: {(version.stdout + version.stderr).strip()}")
    try:
        with tempfile.TemporaryDirectory(prefix="tarnel-bench-") as work:
            runner = Runner(work)
            if not args.scaling_only:
                compare(args, runner, names, impls)
            if not args.no_scaling:
                scaling(args, runner, names, [str(tarnel)])
    except BenchError as e:
        print(f"\nBENCHMARK FAILED: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Whole-process benchmark of vestrane-combine.

Generates two large tables and times, side by side in one run,
  - vestrane-combine -o OUT TABLE,
  - bench/naive_combine.py, a plain itertools.product script that writes the
    same bytes (checked with cmp), and
  - the machine's raw write speed: head -c N /dev/zero > FILE for the same N,
and prints the ratios and each process's peak memory. Then it times how fast
a large table comes in (--save OUT, the table written back), side by side:
from the file named, through a pipe (cat TABLE | ... -), from standard input
redirected from the file (... - < TABLE) and through a pipe named as a file
(cat TABLE | ... /dev/stdin), for a table with CR LF line ends and for the
same table with LF only; and how long /dev/zero takes to be refused at the
bound of a quarter of the memory.

  A  200,000 rows, 12 oxide columns, 5,000 points of 40 analyses
  B  one point of 4 minerals with 30 analyses each (810,000 combinations)
     among a few small points
  L  the rows of A five times over, about 95 MB (loading only)

The machine is noisy: every measurement is repeated and the best time is
kept; quote the ratios, not the seconds. Not part of ctest.

usage: bench/whole_process.py [--exe PATH] [--dir FOLDER] [--repeat N] [--keep]
                              [--only combine|load]
"""

import argparse
import os
import random
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
OXIDES = ["SiO2", "TiO2", "Al2O3", "Cr2O3", "FeO", "MnO", "MgO", "CaO", "Na2O", "K2O", "P2O5", "Total"]
# Typical compositions (wt%) of the four minerals of a metapelite.
MINERALS = {
    "Grt": [37.4, 0.05, 21.0, 0.03, 33.0, 3.0, 2.7, 3.0, 0.02, 0.01, 0.02],
    "Bt": [35.3, 1.8, 19.1, 0.05, 20.4, 0.10, 9.0, 0.02, 0.22, 9.0, 0.01],
    "Pl": [61.2, 0.01, 24.4, 0.00, 0.10, 0.01, 0.01, 5.8, 8.3, 0.08, 0.02],
    "Ms": [46.3, 0.46, 35.8, 0.03, 1.2, 0.01, 0.64, 0.01, 1.2, 9.4, 0.01],
}
HEADER = "\t".join(["Select", "Sample", "Area", "Mineral", "Analysis"] + OXIDES) + "\r\n"


def analysis(rng, mineral):
    values = [max(0.0, v * (1 + rng.uniform(-0.03, 0.03))) for v in MINERALS[mineral]]
    return ["%.2f" % v for v in values] + ["%.2f" % sum(values)]


def write_table(path, points, rng):
    """points: [(sample, area, [(mineral, checked), ...]), ...]"""
    with open(path, "w", encoding="ascii", newline="") as f:
        f.write(HEADER)
        for sample, area, rows in points:
            for n, (mineral, checked) in enumerate(rows):
                cells = ["1" if checked else "0", sample, area, mineral, "%s-%d" % (mineral.lower(), n + 1)]
                f.write("\t".join(cells + analysis(rng, mineral)) + "\r\n")


def table_a(path):
    # 5,000 points of 40 analyses, 10 of each mineral; the petrologist kept 3
    # garnets, 3 biotites, 1 plagioclase and 1 muscovite: 9 combinations each.
    rng = random.Random(1)
    keep = {"Grt": 3, "Bt": 3, "Pl": 1, "Ms": 1}
    points = []
    for s in range(1000):
        for a in range(5):
            rows = []
            for n in range(10):
                for mineral in MINERALS:
                    rows.append((mineral, n < keep[mineral]))
            points.append(("MP-%04d" % s, "A%d" % (a + 1), rows))
    write_table(path, points, rng)


def table_b(path):
    # One point of 4 x 30 analyses among five small ones.
    rng = random.Random(2)
    small = [(m, True) for m in MINERALS for _ in range(2)]
    points = [("MP-%04d" % s, "A1", small) for s in range(3)]
    points.append(("MP-BIG", "G1", [(m, True) for m in MINERALS for _ in range(30)]))
    points += [("MP-%04d" % s, "A1", small) for s in range(3, 5)]
    write_table(path, points, rng)


# GNU time reports the peak memory of the program alone. The rusage that
# wait4 gives for a child of this script also counts the memory of the
# forked Python before it ran the program, so small peaks read too high.
GNU_TIME = "/usr/bin/time" if os.access("/usr/bin/time", os.X_OK) else None


def run(cmd, folder, cpu=False):
    """Runs cmd; returns (seconds, peak resident memory in MB), and with cpu
    the processor seconds (user and system) of cmd and its children."""
    report = os.path.join(folder, "time.txt")
    full = [GNU_TIME, "-f", "%M", "-o", report] + cmd if GNU_TIME else cmd
    start = time.perf_counter()
    proc = subprocess.Popen(full)
    _, status, usage = os.wait4(proc.pid, 0)
    seconds = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("failed: %s" % " ".join(cmd))
    if GNU_TIME:
        with open(report) as f:
            kib = int(f.read().split()[-1])
        os.remove(report)
    else:
        kib = usage.ru_maxrss  # KiB on Linux
    if cpu:
        return seconds, kib / 1024.0, usage.ru_utime + usage.ru_stime
    return seconds, kib / 1024.0


def find_exe():
    for build in ("build", "build-cli"):
        exe = os.path.join(ROOT, build, "bin", "vestrane-combine")
        if os.access(exe, os.X_OK):
            return exe
    sys.exit("vestrane-combine not found; build it or pass --exe")


def measure(name, table, exe, settings, folder, repeat):
    out_v = os.path.join(folder, name + ".vestrane.tab")
    out_p = os.path.join(folder, name + ".python.tab")
    raw = os.path.join(folder, name + ".raw")
    in_size = os.path.getsize(table)
    best = {"vestrane": (float("inf"), 0.0), "python": (float("inf"), 0.0), "raw": (float("inf"), 0.0)}
    size = None

    def keep(key, result):
        seconds, memory = result
        best[key] = (min(best[key][0], seconds), max(best[key][1], memory))

    for _ in range(repeat):
        for path in (out_v, out_p, raw):
            if os.path.exists(path):
                os.remove(path)
        keep("vestrane", run([exe, "--settings", settings, "-o", out_v, table], folder))
        size = os.path.getsize(out_v)
        keep("python", run([sys.executable, os.path.join(HERE, "naive_combine.py"), table, out_p], folder))
        keep("raw", run(["sh", "-c", 'head -c %d /dev/zero > "%s"' % (size, raw)], folder))
        if subprocess.run(["cmp", out_v, out_p]).returncode != 0:
            sys.exit("%s: the Python script's output differs from vestrane-combine's" % name)

    mb = 1e6
    lines = sum(1 for _ in open(out_v, "rb"))
    print("\n%s: %s, %.1f MB in, %.1f MB out (%d lines); outputs identical (cmp)"
          % (name, os.path.basename(table), in_size / mb, size / mb, lines))
    print("  %-28s %9s %10s %12s" % ("", "best s", "MB/s out", "peak MiB"))
    for key, label in (("vestrane", "vestrane-combine"), ("python", "naive_combine.py (Python)"),
                       ("raw", "head -c N /dev/zero")):
        seconds, memory = best[key]
        print("  %-28s %9.3f %10.0f %12.1f" % (label, seconds, size / mb / seconds, memory))
    v, p, r = best["vestrane"][0], best["python"][0], best["raw"][0]
    print("  Python / vestrane-combine time:        %6.1f x   (target >= 10)" % (p / v))
    print("  vestrane-combine / raw write time:     %6.2f x" % (v / r))
    print("  vestrane-combine peak memory:          %6.1f MiB (target <= 100 MB; %.1f MB in, %.1f MB out)"
          % (best["vestrane"][1], in_size / mb, size / mb))
    for path in (out_v, out_p, raw):
        os.remove(path)


def table_l(path, rows_from):
    # The rows of another table five times over, under its header line.
    with open(rows_from, "rb") as f:
        header = f.readline()
        body = f.read()
    with open(path, "wb") as f:
        f.write(header)
        for _ in range(5):
            f.write(body)


def measure_load(table, exe, settings, folder, repeat):
    """The same table loaded from a file, a pipe and standard input."""
    # A load takes a fraction of a second and the machine's memory is slow
    # to give now and then: at least 15 runs of each way, so that the best
    # of them is a steady figure.
    loads = max(repeat, 15)
    lf = os.path.join(folder, "table-l-lf.tab")
    with open(table, "rb") as f, open(lf, "wb") as g:
        g.write(f.read().replace(b"\r\n", b"\n"))
    out = os.path.join(folder, "loaded.tab")
    q = lambda p: "'%s'" % p.replace("'", "'\\''")
    tool = "%s --settings %s --save %s" % (q(exe), q(settings), q(out))
    ways = (("file", tool + " %s"), ("pipe", "cat %s | " + tool + " -"),
            ("stdin redirected", tool + " - < %s"), ("pipe as /dev/stdin", "cat %s | " + tool + " /dev/stdin"))
    mb = 1e6
    for label, path in (("CR LF", table), ("LF only", lf)):
        best = {}
        for _ in range(loads):
            for way, command in ways:
                seconds, memory, cpu = run(["sh", "-c", command % q(path)], folder, cpu=True)
                old = best.get(way, (float("inf"), 0.0, float("inf")))
                best[way] = (min(old[0], seconds), max(old[1], memory), min(old[2], cpu))
        print("\nL (%s): %s, %.1f MB; vestrane-combine --save OUT, the table read" %
              (label, os.path.basename(path), os.path.getsize(path) / mb))
        print("  %-28s %9s %10s %12s %10s %9s" % ("", "best s", "MB/s in", "peak MiB", "/ file", "cpu s"))
        for way, _ in ways:
            seconds, memory, cpu = best[way]
            print("  %-28s %9.3f %10.0f %12.1f %9.2fx %9.3f" % (way, seconds, os.path.getsize(path) / mb / seconds,
                                                                memory, seconds / best["file"][0], cpu))
        print("  pipe / file time:                      %6.2f x   (target <= 1.3)"
              % (best["pipe"][0] / best["file"][0]))
    os.remove(lf)
    os.remove(out)

    # A device that never ends, with no memory limit: text without a line
    # end in its first 16 MiB, refused once those have come in.
    times = []
    for _ in range(repeat):
        start = time.perf_counter()
        proc = subprocess.run([exe, "--settings", settings, "/dev/zero", "-o", out], stderr=subprocess.PIPE)
        times.append(time.perf_counter() - start)
        if os.path.exists(out):
            sys.exit("/dev/zero: %s was written" % out)
    message = proc.stderr.decode(errors="replace").strip()
    print("\n/dev/zero -o OUT: exit %d after %.2f s best, %.2f s slowest of %d (target <= 10 s): %s"
          % (proc.returncode, min(times), max(times), len(times), message))
    # Lines that never end (yes) are read to the bound, a quarter of the
    # memory, at the speed the system gives fresh memory; once, for the
    # figure. A virtual machine's host may give memory it has not touched
    # before only as it is touched, which makes this vary from run to run.
    start = time.perf_counter()
    proc = subprocess.run("yes | %s -" % (tool.replace(" --save %s" % q(out), " -o %s" % q(out))),
                          shell=True, stderr=subprocess.PIPE)
    seconds = time.perf_counter() - start
    message = proc.stderr.decode(errors="replace").strip()
    print("yes | ... -o OUT -: exit %d after %.2f s: %s" % (proc.returncode, seconds, message))
    if os.path.exists(out):
        sys.exit("yes: %s was written" % out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", default=None, help="vestrane-combine to time")
    parser.add_argument("--dir", default="/tmp/vestrane-bench", help="folder for tables and outputs")
    parser.add_argument("--repeat", type=int, default=3, help="runs of each program (best is kept)")
    parser.add_argument("--keep", action="store_true", help="keep the generated tables")
    parser.add_argument("--only", choices=("combine", "load"), help="time only the combining or the loading")
    args = parser.parse_args()
    exe = os.path.abspath(args.exe) if args.exe else find_exe()

    os.makedirs(args.dir, exist_ok=True)
    settings = os.path.join(args.dir, "bench.ini")
    with open(settings, "w", newline="") as f:
        f.write("Sample=SAMPLE\r\nArea=AREA\r\nMineral=MINERAL\r\nAnalysis=ANALYSIS\r\nSelect=SELECT\r\n")
    tables = {"A": os.path.join(args.dir, "table-a.tab"), "B": os.path.join(args.dir, "table-b.tab"),
              "L": os.path.join(args.dir, "table-l.tab")}
    if not os.path.exists(tables["A"]):
        table_a(tables["A"])
    if not os.path.exists(tables["B"]) and args.only != "load":
        table_b(tables["B"])
    if not os.path.exists(tables["L"]) and args.only != "combine":
        table_l(tables["L"], tables["A"])

    print("vestrane-combine: %s" % exe)
    print("%d runs each, best time kept; %d cores" % (args.repeat, os.cpu_count() or 0))
    if not GNU_TIME:
        print("(no /usr/bin/time: peak memory includes this script's own; apt-get install time)")
    if args.only != "load":
        measure("A", tables["A"], exe, settings, args.dir, args.repeat)
        measure("B", tables["B"], exe, settings, args.dir, args.repeat)
    if args.only != "combine":
        measure_load(tables["L"], exe, settings, args.dir, args.repeat)
    if not args.keep:
        shutil.rmtree(args.dir)


if __name__ == "__main__":
    main()

#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Workbook reading benchmark.

Generates with openpyxl (write-only mode) a workbook of 100,000 analyses x 16
columns (Sample, Area, Mineral, Analysis as strings, 11 oxides and their
total as numbers), then times side by side in one run
  - openpyxl in read-only mode reading every cell's value, and
  - build/bin/workbook_to_text, the program's reader, writing the sheet's
    table text,
and prints each one's time and peak memory and the ratio. The table text is
checked against the values openpyxl read (same lines, same fields). Every
measurement is repeated and the best time kept. Not part of ctest.

Needs /usr/bin/python3 with python3-openpyxl (Debian).
usage: /usr/bin/python3 bench/workbook_read.py [--exe PATH] [--dir FOLDER] [--rows N] [--repeat N]
"""

import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
OXIDES = ["SiO2", "TiO2", "Al2O3", "Cr2O3", "FeO", "MnO", "MgO", "CaO", "Na2O", "K2O", "P2O5"]
MINERALS = {
    "Grt": [37.4, 0.05, 21.0, 0.03, 33.0, 3.0, 2.7, 3.0, 0.02, 0.01, 0.02],
    "Bt": [35.3, 1.8, 19.1, 0.05, 20.4, 0.10, 9.0, 0.02, 0.22, 9.0, 0.01],
    "Pl": [61.2, 0.01, 24.4, 0.00, 0.10, 0.01, 0.01, 5.8, 8.3, 0.08, 0.02],
    "Ms": [46.3, 0.46, 35.8, 0.03, 1.2, 0.01, 0.64, 0.01, 1.2, 9.4, 0.01],
}
GNU_TIME = "/usr/bin/time"

# Reads every value of every sheet in openpyxl's read-only mode.
OPENPYXL_READ = """
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1], read_only=True, data_only=True)
rows = cells = 0
for sheet in book.worksheets:
    for row in sheet.iter_rows(values_only=True):
        rows += 1
        cells += sum(1 for v in row if v is not None)
print(rows, cells)
"""


def write_workbook(path, rows):
    import openpyxl

    rng = random.Random(1)
    book = openpyxl.Workbook(write_only=True)
    sheet = book.create_sheet("Analyses")
    sheet.append(["Sample", "Area", "Mineral", "Analysis"] + OXIDES + ["Total"])
    names = list(MINERALS)
    for n in range(rows):
        mineral = names[n % 4]
        values = [max(0.0, v * (1 + rng.uniform(-0.03, 0.03))) for v in MINERALS[mineral]]
        sheet.append(["MP-%04d" % (n // 200), "A%d" % (n // 40 % 5 + 1), mineral,
                      "%s-%d" % (mineral.lower(), n % 40 + 1)] + values + [sum(values)])
    book.save(path)


def run(cmd, folder):
    """Runs cmd; returns (seconds, processor seconds, peak resident memory in MB,
    standard output)."""
    report = os.path.join(folder, "time.txt")
    start = time.perf_counter()
    proc = subprocess.run([GNU_TIME, "-f", "%M %U %S", "-o", report] + cmd, stdout=subprocess.PIPE)
    seconds = time.perf_counter() - start
    if proc.returncode != 0:
        sys.exit("failed: %s" % " ".join(cmd))
    with open(report) as f:
        kib, user, system = f.read().split()[-3:]
    return seconds, float(user) + float(system), int(kib) / 1024.0, proc.stdout.decode()


def best(cmd, folder, repeat):
    results = [run(cmd, folder) for _ in range(repeat)]
    return (min(r[0] for r in results), min(r[1] for r in results), max(r[2] for r in results),
            results[0][3])


def bench_arguments(target):
    """The options both workbook benches take, --exe defaulting to the built
    @p target, and the folder to work in (a new temporary one without --dir)."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", default=os.path.join(ROOT, "build", "bin", target))
    parser.add_argument("--dir")
    parser.add_argument("--rows", type=int, default=100000)
    parser.add_argument("--repeat", type=int, default=3)
    args = parser.parse_args()
    if not os.access(args.exe, os.X_OK):
        sys.exit("%s not found: cmake --build build --target %s" % (args.exe, target))
    return args, args.dir or tempfile.mkdtemp(prefix="vestrane-bench-")


def main():
    args, folder = bench_arguments("workbook_to_text")
    try:
        book = os.path.join(folder, "analyses.xlsx")
        start = time.perf_counter()
        write_workbook(book, args.rows)
        print("workbook: %d analyses x 16 columns, %.1f MB, written by openpyxl in %.1f s"
              % (args.rows, os.path.getsize(book) / 1e6, time.perf_counter() - start))
        text = os.path.join(folder, "analyses.tab")
        script = os.path.join(folder, "read.py")
        with open(script, "w") as f:
            f.write(OPENPYXL_READ)
        p_time, p_cpu, p_mem, p_out = best([sys.executable, script, book], folder, args.repeat)
        v_time, v_cpu, v_mem, _ = best([args.exe, book, text], folder, args.repeat)

        p_rows, p_cells = map(int, p_out.split())
        with open(text, "rb") as f:
            lines = f.read().split(b"\r\n")[:-1]
        v_cells = sum(1 for line in lines for field in line.split(b"\t") if field)
        if (len(lines), v_cells) != (p_rows, p_cells):
            sys.exit("the table text has %d lines, %d values; openpyxl read %d rows, %d values"
                     % (len(lines), v_cells, p_rows, p_cells))
        print("%-34s %8s %8s %10s" % ("reader", "wall", "cpu", "peak mem"))
        print("%-34s %7.2fs %7.2fs %7.0f MB" % ("openpyxl read-only, values", p_time, p_cpu, p_mem))
        print("%-34s %7.2fs %7.2fs %7.0f MB" % ("workbook_to_text (table text)", v_time, v_cpu, v_mem))
        print("ratio to openpyxl: %.3fx wall, %.3fx cpu (target at most 0.15x); table text %.1f MB"
              % (v_time / p_time, v_cpu / p_cpu, os.path.getsize(text) / 1e6))
    finally:
        if not args.dir:
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()

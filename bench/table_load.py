#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Whole-process load benchmark: the same table as a workbook, as TAB and as CSV.

Generates the workbook of bench/workbook_read.py (100,000 analyses x 16
columns, written by openpyxl), makes the same table TAB text (the table the
batch tool saves from the workbook) and CSV (the same fields separated by
commas), then times side by side in one run
  - openpyxl in read-only mode reading every cell's value of the workbook,
  - vestrane-combine --save of the workbook, of the TAB file and of the CSV
    file,
and prints each one's time and peak memory and the ratios. The three saved
tables are checked to be the same bytes. Every measurement is repeated and
the best time kept. Not part of ctest.

Needs /usr/bin/python3 with python3-openpyxl (Debian).
usage: /usr/bin/python3 bench/table_load.py [--exe PATH] [--dir FOLDER] [--rows N] [--repeat N]
"""

import os
import shutil
import sys
import time

from workbook_read import OPENPYXL_READ, ROOT, bench_arguments, best, write_workbook


def main():
    args, folder = bench_arguments("vestrane-combine")
    settings = ["--settings", os.path.join(ROOT, "app", "Vestrane.ini")]
    try:
        book = os.path.join(folder, "analyses.xlsx")
        start = time.perf_counter()
        write_workbook(book, args.rows)
        print("workbook: %d analyses x 16 columns, %.1f MB, written by openpyxl in %.1f s"
              % (args.rows, os.path.getsize(book) / 1e6, time.perf_counter() - start))
        tab = os.path.join(folder, "analyses.tab")
        csv = os.path.join(folder, "analyses.csv")
        best([args.exe] + settings + ["--save", tab, book], folder, 1)
        with open(tab, "rb") as f:
            text = f.read()
        if b"," in text or b'"' in text:
            sys.exit("the table holds commas or quotes: it can not be written as plain CSV")
        with open(csv, "wb") as f:
            f.write(text.replace(b"\t", b","))

        script = os.path.join(folder, "read.py")
        with open(script, "w") as f:
            f.write(OPENPYXL_READ)
        p_time, p_cpu, p_mem, _ = best([sys.executable, script, book], folder, args.repeat)
        figures = {}
        saved = {}
        for name, source in (("xlsx", book), ("tab", tab), ("csv", csv)):
            out = os.path.join(folder, "saved-%s.tab" % name)
            figures[name] = best([args.exe] + settings + ["--save", out, source], folder, args.repeat)
            with open(out, "rb") as f:
                saved[name] = f.read()
        if not saved["xlsx"] == saved["tab"] == saved["csv"]:
            sys.exit("the tables saved from the workbook, the TAB file and the CSV file differ")

        print("%-40s %8s %8s %10s" % ("load", "wall", "cpu", "peak mem"))
        print("%-40s %7.2fs %7.2fs %7.0f MB" % ("openpyxl read-only, values (.xlsx)", p_time, p_cpu, p_mem))
        for name in ("xlsx", "tab", "csv"):
            t, c, m, _ = figures[name]
            print("%-40s %7.2fs %7.2fs %7.0f MB" % ("vestrane-combine --save (.%s)" % name, t, c, m))
        x, t, c = figures["xlsx"], figures["tab"], figures["csv"]
        print(".xlsx load / openpyxl: %.3fx wall, %.3fx cpu (target at most 0.15x)"
              % (x[0] / p_time, x[1] / p_cpu))
        print(".xlsx peak memory / TAB load's: %.2fx (target at most 2x)" % (x[2] / t[2]))
        print("CSV load / TAB load: %.2fx wall, %.2fx cpu (target at most 1.5x)"
              % (c[0] / t[0], c[1] / t[1]))
    finally:
        if not args.dir:
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()

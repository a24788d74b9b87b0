#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""All combinations of a microprobe table, written the plain way with itertools.product.

This is what a petrologist would write without vestrane-combine, and the
yardstick of bench/whole_process.py. It expects the tables that benchmark
generates: a header line "Select, Sample, Area, Mineral, Analysis, oxides..."
with CR LF line ends, then one analysis per line, and it writes the same bytes
as `vestrane-combine -o OUT TABLE` does for them: every point (Sample, Area) in
the order the samples and then their areas first occur among the checked
rows, one line per mineral per combination, the Area followed by "_" and the
combination's index in base 36.

usage: naive_combine.py TABLE OUT
"""

import itertools
import sys

DIGITS = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"


def base36(n, width):
    text = ""
    while True:
        n, d = divmod(n, 36)
        text = DIGITS[d] + text
        if n == 0:
            break
    return text.rjust(width, "0")


def main(table_path, out_path):
    with open(table_path, encoding="latin-1", newline="") as f:
        lines = f.read().split("\r\n")
    header = lines[0]
    rows = [line.split("\t") for line in lines[1:] if line]

    # Points in the order of their samples, then of their areas; minerals in
    # the order they first occur at the point.
    samples = {}
    for r in rows:
        if r[0] == "1":
            samples.setdefault(r[1], {}).setdefault(r[2], None)
    points = {}
    for r in rows:
        points.setdefault((r[1], r[2]), {}).setdefault(r[3], []).append(r)

    with open(out_path, "w", encoding="latin-1", newline="") as out:
        out.write(header + "\r\n")
        for sample, areas in samples.items():
            for area in areas:
                groups = [[r for r in g if r[0] == "1"] for g in points[(sample, area)].values()]
                groups = [g for g in groups if g]
                count = 1
                for g in groups:
                    count *= len(g)
                width = max(2, len(base36(count - 1, 1)))
                for index, combination in enumerate(itertools.product(*groups)):
                    label = area if count < 2 else (area + "_" if area != "-" else "") + base36(index, width)
                    for r in combination:
                        out.write("1\t" + r[1] + "\t" + label + "\t" + "\t".join(r[3:]) + "\r\n")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])

#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Writes examples/metapelite.xlsx from examples/metapelite.tab: a text-only
"Info" sheet first, then one sheet per mineral in the order the minerals
first occur, each with the table's header and that mineral's analyses. The
analysis without a mineral stays with the analyses it follows in the table,
so loading the workbook reports it as the table does, on that sheet.
Oxides are stored as numbers and shown with two decimals, as in the table.

Run with Debian's interpreter (python3-openpyxl):
    /usr/bin/python3 examples/make-example-workbook.py
"""

import io
import os
import re
import zipfile

import openpyxl

HERE = os.path.dirname(os.path.abspath(__file__))
MINERAL_NAMES = {"Grt": "Garnet", "Bt": "Biotite", "Pl": "Plagioclase", "Ms": "Muscovite"}
NUMBER = re.compile(r"^-?[0-9]+(\.[0-9]+)?$")


def main():
    with open(os.path.join(HERE, "metapelite.tab"), "rb") as f:
        lines = f.read().decode("utf-8").split("\r\n")
    title, header, rows = lines[0], lines[1].split("\t"), [l.split("\t") for l in lines[2:] if l]
    mineral = header.index("Phase")
    sheets = {}
    code = None
    for row in rows:
        code = row[mineral] or code
        sheets.setdefault(code, []).append(row)

    wb = openpyxl.Workbook()
    info = wb.active
    info.title = "Info"
    for r, text in enumerate([title, "", "One sheet per mineral; the table's header on each.",
                              "Oxides in wt%, as measured."], 1):
        if text:
            info.cell(row=r, column=1, value=text)
    for code, analyses in sheets.items():
        ws = wb.create_sheet(MINERAL_NAMES.get(code, code))
        for c, caption in enumerate(header, 1):
            ws.cell(row=1, column=c, value=caption)
        for r, row in enumerate(analyses, 2):
            for c, field in enumerate(row, 1):
                if field == "":
                    continue
                if NUMBER.match(field) and header[c - 1] != "Point":
                    cell = ws.cell(row=r, column=c, value=float(field) if "." in field else int(field))
                    if "." in field:
                        cell.number_format = "0.00"
                else:
                    ws.cell(row=r, column=c, value=field)
    buffer = io.BytesIO()
    wb.save(buffer)

    # Fixed times, so that running the script again gives the same bytes.
    source = zipfile.ZipFile(io.BytesIO(buffer.getvalue()))
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as target:
        for item in source.infolist():
            data = source.read(item.filename)
            if item.filename == "docProps/core.xml":
                data = re.sub(rb"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d", b"2026-01-01T00:00:00", data)
            pinned = zipfile.ZipInfo(item.filename, date_time=(2026, 1, 1, 0, 0, 0))
            pinned.compress_type = zipfile.ZIP_DEFLATED
            target.writestr(pinned, data)
    with open(os.path.join(HERE, "metapelite.xlsx"), "wb") as f:
        f.write(out.getvalue())


if __name__ == "__main__":
    main()

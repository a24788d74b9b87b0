#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Writes the small workbooks the engine tests read: analyses.xlsx with
openpyxl and analyses.ods with odfpy (Debian: python3-openpyxl, python3-odf).
Both hold the same sheets: a text-only "Info" sheet, "Grt" with a merged
title, a date, a number shown rounded, a detection-limit text and a formula
without a cached value, and a hidden sheet "Old".

usage: /usr/bin/python3 tests/data/workbooks/make_workbooks.py
"""

import datetime
import os
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))

INFO = ["Microprobe session March 2026", "Operator: K. Sand"]
HEADER = ["Sample", "Point", "Mineral", "Comment", "SiO2", "Al2O3", "Date"]
ROWS = [
    ["MP-12A", "A1", "Grt", "core", 37.04, 20.86, datetime.date(2026, 3, 15)],
    ["MP-12A", "A1", "Grt", "rim", 40.26702, "<0.01", datetime.datetime(2026, 3, 15, 14, 5, 30)],
]


def write_xlsx(path):
    import openpyxl

    book = openpyxl.Workbook()
    info = book.active
    info.title = "Info"
    for line in INFO:
        info.append([line])
    grt = book.create_sheet("Grt")
    grt.append(["Garnet analyses"])
    grt.merge_cells("A1:D1")
    grt.append(HEADER)
    for row in ROWS:
        grt.append(row)
    grt["E4"].number_format = "0.00"  # shows 40.27
    grt.append(["MP-17", "C2", "Grt", "sum", "=E3+E4"])  # never calculated: no value
    old = book.create_sheet("Old")
    old.append(["Sample", "Mineral"])
    old.sheet_state = "hidden"
    book.save(path)


def write_ods(path):
    from odf.opendocument import OpenDocumentSpreadsheet
    from odf.style import Style, TableProperties
    from odf.table import CoveredTableCell, Table, TableCell, TableRow
    from odf.text import P

    doc = OpenDocumentSpreadsheet()
    hidden = Style(name="hiddenTable", family="table")
    hidden.addElement(TableProperties(display="false"))
    doc.automaticstyles.addElement(hidden)

    def cell(value):
        if isinstance(value, datetime.datetime):
            c = TableCell(valuetype="date", datevalue=value.strftime("%Y-%m-%dT%H:%M:%S"))
        elif isinstance(value, datetime.date):
            c = TableCell(valuetype="date", datevalue=value.isoformat())
        elif isinstance(value, float):
            c = TableCell(valuetype="float", value=repr(value))
            c.addElement(P(text="%.2f" % value))
            return c
        else:
            c = TableCell(valuetype="string")
        c.addElement(P(text=str(value)))
        return c

    def row(values):
        r = TableRow()
        for v in values:
            r.addElement(cell(v))
        return r

    info = Table(name="Info")
    for line in INFO:
        info.addElement(row([line]))
    doc.spreadsheet.addElement(info)

    grt = Table(name="Grt")
    title = TableRow()
    merged = TableCell(valuetype="string", numbercolumnsspanned=4)
    merged.addElement(P(text="Garnet analyses"))
    title.addElement(merged)
    title.addElement(CoveredTableCell(numbercolumnsrepeated=3))
    title.addElement(TableCell(numbercolumnsrepeated=1000))
    grt.addElement(title)
    grt.addElement(row(HEADER))
    for values in ROWS:
        grt.addElement(row(values))
    last = row(["MP-17", "C2", "Grt", "sum"])
    last.addElement(TableCell(formula="of:=[.E3]+[.E4]"))  # never calculated: no value
    grt.addElement(last)
    grt.addElement(TableRow(numberrowsrepeated=1048570))
    doc.spreadsheet.addElement(grt)

    old = Table(name="Old", stylename=hidden)
    old.addElement(row(["Sample", "Mineral"]))
    doc.spreadsheet.addElement(old)
    doc.save(path)


def main():
    write_xlsx(os.path.join(HERE, "analyses.xlsx"))
    write_ods(os.path.join(HERE, "analyses.ods"))
    for name in ("analyses.xlsx", "analyses.ods"):
        print(name, os.path.getsize(os.path.join(HERE, name)), "bytes")


if __name__ == "__main__":
    main()

#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Writes the golden fixtures: one small set of analyses as TAB text (the
expected table text), as CSV files and as .xlsx, .ods and .xls workbooks,
each of which reads to the same analyses; a workbook of several sheets for
the sheet rules; and small compound files that a .xls reader must refuse.

Run with Debian's interpreter (python3-openpyxl, python3-odf, python3-xlwt):
    /usr/bin/python3 tests/data/golden/make-golden.py
The files are written beside this script.
"""

import csv
import datetime
import io
import os
import re
import struct
import zipfile

import openpyxl
import xlwt
from openpyxl.utils import get_column_letter
from odf.opendocument import OpenDocumentSpreadsheet
from odf.number import NumberStyle, Number
from odf.style import Style, TableProperties
from odf.table import Table, TableRow, TableCell, CoveredTableCell
from odf.text import P

HERE = os.path.dirname(os.path.abspath(__file__))

HEADER = ["Sample", "Area", "Mineral", "Analysis", "Select", "SiO2", "TiO2", "Al2O3", "FeO",
          "MnO", "MgO", "CaO", "Na2O", "K2O", "Total", "Comment", "Date"]
D = datetime.date
T = datetime.datetime
# Oxides are numbers, except "<0.01" (a detection limit, text in every file).
# 40.26702 is shown with two decimals in the workbooks; 1e-05 reads "1E-05".
ROWS = [
    ["MP-12A", "A1", "Grt", "g1", 1, 37.04, 0.1, 20.86, 29.7, 6.91, 1.96, 3.86, 0.02, 0, 100.46,
     "core", D(2023, 3, 15)],
    ["MP-12A", "A1", "Grt", "g2", 1, 37.28, 0.03, 21.02, 32.99, 3.65, 2.6, 3.14, 0.02, "<0.01",
     100.74, "rim, near Bt\nsee note", D(2023, 3, 15)],
    ["MP-12A", "A1", "Bt", "b1", 1, 35.12, 2.41, 19.37, 20.11, 0.12, 8.95, 0.01, 0.18, 8.76, 95.03,
     "Ødegården matrix", D(2023, 3, 15)],
    ["MP-12A", "A1", "Pl", "p1", 1, 60.85, 0, 24.67, 0.09, 1e-05, "<0.01", 6.12, 7.94, 0.08, 99.75,
     "", D(2023, 3, 16)],
    ["MP-12A", "A2", "Grt", "g3", 0, 36.91, 0.05, 20.95, 33.4, 2.12, 2.88, 3.5, -0.01, 0.01,
     99.81, "grenat à cœur", T(2023, 3, 16, 14, 30, 0)],
    ["MP-12A", "A2", "Bt", "b2", 1, 40.26702, 1.98, 18.83, 19.6, 0.09, 9.42, 0.02, 0.15, 9.01,
     99.37, 'inclusion "A"', D(2023, 3, 16)],
    ["MP-12A", "A2", "Pl", "p2", 1, 61.2, 0.01, 24.4, 0.12, 0.01, 0.02, 5.85, 8.11, 0.07, 99.79,
     "Mg–rich; twinned", D(2023, 3, 16)],
    ["MP-17", "B1", "Grt", "g4", 1, 37.56, 0.01, 21.17, 34.53, 1.46, 3.21, 2.34, 0.03, 0, 100.35,
     "", D(2024, 1, 9)],
    ["MP-17", "B1", "Bt", "b3", 1, 35.4, 2.2, 19.1, 20.5, 0.1, 9.1, 0, 0.2, 8.9, 95.5,
     "Ti-rich", D(2024, 1, 9)],
    ["MP-17", "B1", "Ms", "m1", 1, 46.3, 0.45, 35.8, 1.12, "<0.01", 0.61, 0, 1.3, 9.6, 95.18,
     "", D(2024, 1, 9)],
    ["MP-17", "B1", "Pl", "p3", 1, 62.03, 0, 23.95, 0.05, 0, 0, 5.22, 8.6, 0.1, 99.95,
     "α-inclusion", D(2024, 1, 10)],
    ["MP-17", "B2", "Grt", "g5", 1, 37.1, 0.04, 21.3, 33.02, 2.55, 2.7, 3.2, 0.01, 0, 99.92,
     "cœur", D(2024, 1, 10)],
]
NUMBER_COLUMNS = range(4, 15)
DATE_COLUMN = 16


def number_text(value):
    """The text a stored number becomes: %.15G, negative zero as 0."""
    if value == 0:
        return "0"
    return "%.15G" % value


def date_text(value):
    if isinstance(value, datetime.datetime):
        if value.time() == datetime.time(0):
            return value.strftime("%Y-%m-%d")
        return value.strftime("%Y-%m-%d %H:%M:%S")
    return value.strftime("%Y-%m-%d")


def field_text(value, decimal_comma=False):
    if isinstance(value, (datetime.date, datetime.datetime)):
        return date_text(value)
    if isinstance(value, (int, float)):
        text = number_text(value)
        return text.replace(".", ",") if decimal_comma else text
    if decimal_comma and value.startswith("<"):
        return value.replace(".", ",")  # a detection limit as such a locale writes it
    return value


def clean(text):
    """Table text cannot carry TAB, CR, LF or Ctrl-Z inside a field."""
    for c in "\t\r\n\x1a":
        text = text.replace(c, " ")
    return text


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def pin_zip(name):
    """Rewrites the zip @p name with fixed times (entries, document
    properties), so that running the script again gives the same bytes.
    Entries keep their order and compression (an ODS mimetype stays first
    and stored)."""
    path = os.path.join(HERE, name)
    source = zipfile.ZipFile(io.BytesIO(open(path, "rb").read()))
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as target:
        for item in source.infolist():
            data = source.read(item.filename)
            if item.filename in ("docProps/core.xml", "meta.xml"):
                data = re.sub(rb"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d(\.\d+)?", b"2026-01-01T00:00:00", data)
            pinned = zipfile.ZipInfo(item.filename, date_time=(2026, 1, 1, 0, 0, 0))
            pinned.compress_type = item.compress_type
            pinned.external_attr = item.external_attr
            target.writestr(pinned, data)
    write(name, out.getvalue())


# --- TAB: the expected table text --------------------------------------------

def table_text(rows, decimal_comma=False):
    lines = ["\t".join(HEADER)]
    for row in rows:
        lines.append("\t".join(clean(field_text(v, decimal_comma)) for v in row))
    return "".join(line + "\r\n" for line in lines).encode("utf-8")


def write_tab():
    write("analyses.tab", table_text(ROWS))
    # CSV keeps decimal commas as written: the semicolon file reads to this.
    write("analyses-decimal-comma.tab", table_text(ROWS, decimal_comma=True))


# --- CSV ---------------------------------------------------------------------

def csv_bytes(delimiter, decimal_comma=False, quoting=csv.QUOTE_MINIMAL, bom=False):
    out = io.StringIO()
    writer = csv.writer(out, delimiter=delimiter, quoting=quoting, lineterminator="\r\n")
    writer.writerow(HEADER)
    for row in ROWS:
        writer.writerow([field_text(v, decimal_comma) for v in row])
    data = out.getvalue().encode("utf-8")
    return (b"\xef\xbb\xbf" + data) if bom else data


def write_csv():
    write("analyses-comma.csv", csv_bytes(","))
    write("analyses-semicolon.csv", csv_bytes(";", decimal_comma=True, bom=True))
    # Every field quoted: delimiters, quotes and a line end inside fields.
    write("analyses-quoted.csv", csv_bytes(",", quoting=csv.QUOTE_ALL))


# --- .xlsx -------------------------------------------------------------------

def fill_xlsx_sheet(ws, header, rows, start_row=1):
    for c, caption in enumerate(header, 1):
        ws.cell(row=start_row, column=c, value=caption)
    for r, row in enumerate(rows, start_row + 1):
        for c, value in enumerate(row, 1):
            if value == "":
                continue
            cell = ws.cell(row=r, column=c, value=value)
            if isinstance(value, datetime.datetime):
                cell.number_format = "yyyy-mm-dd hh:mm:ss"
            elif isinstance(value, datetime.date):
                cell.number_format = "yyyy-mm-dd"
            elif isinstance(value, float) and value == 40.26702:
                cell.number_format = "0.00"


def write_xlsx():
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Analyses"
    fill_xlsx_sheet(ws, HEADER, ROWS)
    wb.save(os.path.join(HERE, "analyses.xlsx"))


# --- .ods --------------------------------------------------------------------

class OdsWriter:
    def __init__(self):
        self.doc = OpenDocumentSpreadsheet()
        two = NumberStyle(name="N2")
        two.addElement(Number(decimalplaces="2", minintegerdigits="1"))
        self.doc.automaticstyles.addElement(two)
        self.two_decimals = Style(name="ce2", family="table-cell", datastylename="N2")
        self.doc.automaticstyles.addElement(self.two_decimals)
        self.hidden = Style(name="ta-hidden", family="table")
        self.hidden.addElement(TableProperties(display="false"))
        self.doc.automaticstyles.addElement(self.hidden)

    def cell(self, value, span=1, formula=None, cached=True):
        if value is None or value == "":
            return TableCell()
        attrs = {}
        if span > 1:
            attrs["numbercolumnsspanned"] = span
        if formula:
            attrs["formula"] = formula
        if isinstance(value, (datetime.date, datetime.datetime)):
            iso = value.strftime("%Y-%m-%dT%H:%M:%S") if isinstance(value, datetime.datetime) \
                else value.strftime("%Y-%m-%d")
            return TableCell(valuetype="date", datevalue=iso, **attrs)
        if isinstance(value, (int, float)):
            if formula and not cached:
                return TableCell(**attrs)
            if isinstance(value, float) and value == 40.26702:
                attrs["stylename"] = self.two_decimals
            return TableCell(valuetype="float", value=repr(float(value)), **attrs)
        cell = TableCell(valuetype="string", **attrs)
        # A line end in a cell: one paragraph per line, as spreadsheets write it.
        for line in value.split("\n"):
            cell.addElement(P(text=line))
        return cell

    def sheet(self, name, rows, hidden=False):
        """@p rows: lists of values or of (value, span) / cells already made."""
        table = Table(name=name, stylename=self.hidden) if hidden else Table(name=name)
        for row in rows:
            tr = TableRow()
            for item in row:
                tr.addElement(item if not isinstance(item, (str, int, float, datetime.date))
                              or item is None else self.cell(item))
            table.addElement(tr)
        self.doc.spreadsheet.addElement(table)

    def save(self, name):
        self.doc.save(os.path.join(HERE, name))


def write_ods():
    ods = OdsWriter()
    ods.sheet("Analyses", [[ods.cell(v) for v in HEADER]] + [[ods.cell(v) for v in row] for row in ROWS])
    ods.save("analyses.ods")


# --- .xls --------------------------------------------------------------------

# xlwt leaves every formula without a value; these results are written into
# the FORMULA records instead, as a spreadsheet program would: a number, a
# bool, XlsError(code), a string (in a STRING record after the formula) or
# None for none. xlwt makes the records when it saves, sheet by sheet, row by
# row, in the order in which the formulas were written here.
XLS_FORMULA_RESULTS = []


class XlsError(int):
    pass


def _formula_cell_data(self):
    result = XLS_FORMULA_RESULTS.pop(0)
    typed = 0xFFFF000000000000
    after = b""
    if result is None:
        bits = typed | 3
    elif isinstance(result, XlsError):
        bits = typed | 2 | int(result) << 16
    elif isinstance(result, bool):
        bits = typed | 1 | int(result) << 16
    elif isinstance(result, str):
        bits = typed
        after = biff_record(0x0207, struct.pack("<HB", len(result), 1) + result.encode("utf-16-le"))
    else:
        bits = struct.unpack("<Q", struct.pack("<d", result))[0]
    data = struct.pack("<3HQHL", self.rowx, self.colx, self.xf_idx, bits, self.calc_flags & 3, 0)
    return biff_record(0x0006, data + self.frmla.rpn()) + after


xlwt.Cell.FormulaCell.get_biff_data = _formula_cell_data

XLS_STYLES = {}


def xls_style(fmt):
    if fmt not in XLS_STYLES:
        XLS_STYLES[fmt] = xlwt.easyxf(num_format_str=fmt)
    return XLS_STYLES[fmt]


def xls_write(ws, r, c, value):
    if value == "" or value is None:
        return
    if isinstance(value, datetime.datetime):
        ws.write(r, c, value, xls_style("YYYY-MM-DD hh:mm:ss"))
    elif isinstance(value, datetime.date):
        ws.write(r, c, value, xls_style("YYYY-MM-DD"))
    elif isinstance(value, float) and value == 40.26702:
        ws.write(r, c, value, xls_style("0.00"))
    else:
        ws.write(r, c, value)


def write_xls():
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("Analyses")
    for c, caption in enumerate(HEADER):
        ws.write(0, c, caption)
    for r, row in enumerate(ROWS, 1):
        for c, value in enumerate(row):
            xls_write(ws, r, c, value)
    wb.save(os.path.join(HERE, "analyses.xls"))


# --- The sheets workbook -----------------------------------------------------
# A text-only "Info" sheet, one sheet per mineral (Garnet under a merged
# title, Biotite, a hidden "Old garnet", Plagioclase), dates in the 1904
# system (.xlsx, .xls), and a Total formula in each mineral sheet: with a
# cached value, except in Biotite, where it has none.

SHEET_HEADER = ["Sample", "Area", "Mineral", "Analysis", "SiO2", "Al2O3", "FeO", "Total", "Date"]
SHEET_ROWS = {
    "Garnet": [["MP-12A", "A1", "Grt", "g1", 37.04, 20.86, 29.7, D(2023, 3, 15)],
               ["MP-12A", "A1", "Grt", "g2", 37.28, 21.02, 32.99, D(2023, 3, 15)]],
    "Biotite": [["MP-12A", "A1", "Bt", "b1", 35.12, 19.37, 20.11, D(2023, 3, 15)],
                ["MP-17", "B1", "Bt", "b3", 35.4, 19.1, 20.5, D(2024, 1, 9)]],
    "Old garnet": [["MP-01", "X1", "Grt", "old1", 36.0, 20.0, 30.0, D(2019, 6, 1)]],
    "Plagioclase": [["MP-12A", "A1", "Pl", "p1", 60.85, 24.67, 0.09, D(2023, 3, 16)]],
}
INFO_LINES = [["Metapelites MP-12A and MP-17"], ["Operator", "J. Søren"],
              ["Instrument", "WDS 15 kV 20 nA"]]
TITLE = "Garnet analyses, 2023"
HEADER_ROW = {"Garnet": 2}  # 0-based row of the header (row 3, under the title)


def sheet_values(name, row):
    """A mineral sheet's data row: the Total is SiO2 + Al2O3 + FeO."""
    return row[:7] + [round(row[4] + row[5] + row[6], 10), row[7]]


def write_sheets_xlsx():
    wb = openpyxl.Workbook()
    wb.epoch = openpyxl.utils.datetime.CALENDAR_MAC_1904
    info = wb.active
    info.title = "Info"
    for r, line in enumerate(INFO_LINES, 1):
        for c, v in enumerate(line, 1):
            info.cell(row=r, column=c, value=v)
    cached = {}
    for name, rows in SHEET_ROWS.items():
        ws = wb.create_sheet(name)
        if name == "Old garnet":
            ws.sheet_state = "hidden"
        top = HEADER_ROW.get(name, 0)
        if top:
            ws.cell(row=1, column=1, value=TITLE)
            ws.merge_cells(start_row=1, start_column=1, end_row=1, end_column=len(SHEET_HEADER))
        for c, caption in enumerate(SHEET_HEADER, 1):
            ws.cell(row=top + 1, column=c, value=caption)
        for r, row in enumerate(rows, top + 2):
            values = sheet_values(name, row)
            for c, v in enumerate(values, 1):
                if c == 8:
                    ws.cell(row=r, column=c, value="=E%d+F%d+G%d" % (r, r, r))
                    if name != "Biotite":
                        cached[(name, "H%d" % r)] = v
                    continue
                cell = ws.cell(row=r, column=c, value=v)
                if isinstance(v, datetime.date):
                    cell.number_format = "yyyy-mm-dd"
    buffer = io.BytesIO()
    wb.save(buffer)
    # openpyxl writes formulas without a value: the totals get their cached
    # values written into the sheets' XML, as a spreadsheet program does.
    parts = {"xl/worksheets/sheet%d.xml" % (list(SHEET_ROWS).index(name) + 2): name
             for name in SHEET_ROWS}
    source = zipfile.ZipFile(io.BytesIO(buffer.getvalue()))
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as target:
        for item in source.infolist():
            data = source.read(item.filename)
            if item.filename in parts:
                text = data.decode("utf-8")
                for (name, ref), v in cached.items():
                    if name != parts[item.filename]:
                        continue
                    r = int(ref[1:])
                    formula = "<f>E%d+F%d+G%d</f>" % (r, r, r)
                    before = '<c r="%s">%s<v></v></c>' % (ref, formula)
                    assert before in text, before
                    text = text.replace(before, '<c r="%s">%s<v>%s</v></c>' % (ref, formula, repr(v)))
                data = text.encode("utf-8")
            target.writestr(item, data)
    write("sheets.xlsx", out.getvalue())


def write_sheets_ods():
    ods = OdsWriter()
    ods.sheet("Info", [[ods.cell(v) for v in line] for line in INFO_LINES])
    for name, rows in SHEET_ROWS.items():
        table_rows = []
        top = HEADER_ROW.get(name, 0)
        if top:
            title = [ods.cell(TITLE, span=len(SHEET_HEADER))]
            title += [CoveredTableCell() for _ in range(len(SHEET_HEADER) - 1)]
            table_rows.append(title)
            table_rows.append([TableCell()])
        table_rows.append([ods.cell(v) for v in SHEET_HEADER])
        for r, row in enumerate(rows, top + 2):
            values = sheet_values(name, row)
            cells = []
            for c, v in enumerate(values, 1):
                if c == 8:
                    cells.append(ods.cell(v, formula="of:=[.E%d]+[.F%d]+[.G%d]" % (r, r, r),
                                          cached=(name != "Biotite")))
                else:
                    cells.append(ods.cell(v))
            table_rows.append(cells)
        ods.sheet(name, table_rows, hidden=(name == "Old garnet"))
    ods.save("sheets.ods")


def write_sheets_xls():
    wb = xlwt.Workbook(encoding="utf-8")
    wb.dates_1904 = True
    info = wb.add_sheet("Info")
    for r, line in enumerate(INFO_LINES):
        for c, v in enumerate(line):
            info.write(r, c, v)
    for name, rows in SHEET_ROWS.items():
        ws = wb.add_sheet(name)
        if name == "Old garnet":
            ws.visibility = 1
        top = HEADER_ROW.get(name, 0)
        if top:
            ws.write_merge(0, 0, 0, len(SHEET_HEADER) - 1, TITLE)
        for c, caption in enumerate(SHEET_HEADER):
            ws.write(top, c, caption)
        for r, row in enumerate(rows, top + 1):
            values = sheet_values(name, row)
            for c, v in enumerate(values):
                if c == 7:
                    XLS_FORMULA_RESULTS.append(v if name != "Biotite" else None)
                    ws.write(r, c, xlwt.Formula("E%d+F%d+G%d" % (r + 1, r + 1, r + 1)))
                else:
                    xls_write(ws, r, c, v)
    wb.save(os.path.join(HERE, "sheets.xls"))
    assert not XLS_FORMULA_RESULTS


# --- Compound files to refuse ------------------------------------------------

def compound_file(streams, name_bytes=None):
    """A version 3 compound file (512-byte sectors) holding @p streams
    (name -> bytes, each at least 4096 bytes, so none goes to the mini stream)
    in its root storage."""
    sector = 512
    body = []  # the sectors after the header, as bytes
    chains = []
    start = 0
    for name, data in streams:
        assert len(data) >= 4096
        count = (len(data) + sector - 1) // sector
        chains.append((name, start, count, len(data)))
        padded = data + b"\0" * (count * sector - len(data))
        body += [padded[i:i + sector] for i in range(0, len(padded), sector)]
        start += count
    directory_sector = start
    fat_sector = start + 1
    entries = 1 + len(streams)
    assert entries <= 4

    def entry(name, kind, child, right, first, size):
        encoded = (name + "\0").encode("utf-16-le")
        return (encoded.ljust(64, b"\0") + struct.pack("<HBB", len(encoded), kind, 1) +
                struct.pack("<III", 0xFFFFFFFF, right, child) + b"\0" * 16 + b"\0" * 4 +
                b"\0" * 16 + struct.pack("<IIII", first, size, 0, 0)[:12] + b"\0" * 0)[:128].ljust(128, b"\0")

    # The root's child is the first stream; the others hang off its right.
    directory = entry("Root Entry", 5, 1 if streams else 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFE, 0)
    if name_bytes is not None:
        directory = directory[:0x40] + struct.pack("<H", name_bytes) + directory[0x42:]
    for i, (name, first, count, size) in enumerate(chains):
        right = i + 2 if i + 1 < len(chains) else 0xFFFFFFFF
        directory += entry(name, 2, 0xFFFFFFFF, right, first, size)
    directory = directory.ljust(sector, b"\0")
    fat = []
    for name, first, count, size in chains:
        fat += [first + k + 1 for k in range(count - 1)] + [0xFFFFFFFE]
    fat += [0xFFFFFFFE, 0xFFFFFFFD]  # the directory, the sector table itself
    fat_bytes = b"".join(struct.pack("<I", v) for v in fat).ljust(sector, b"\xff")
    header = (b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1" + b"\0" * 16 +
              struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6) + b"\0" * 6 +
              struct.pack("<IIIIIIIII", 0, 1, directory_sector, 0, 4096, 0xFFFFFFFE, 0,
                          0xFFFFFFFE, 0))
    difat = [fat_sector] + [0xFFFFFFFF] * 108
    header += b"".join(struct.pack("<I", v) for v in difat)
    assert len(header) == 512
    return header + b"".join(body) + directory + fat_bytes


def biff_record(record_id, data):
    return struct.pack("<HH", record_id, len(data)) + data


def write_xls_cells():
    """Cells whose text FreeXL does not give: booleans, error values,
    formula results of every kind, and date and time cells."""
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("Cells")
    ws.write(0, 0, True)
    ws.write(0, 1, False)
    ws.row(0).set_cell_error(2, 0x2A)  # #N/A
    ws.row(0).set_cell_error(3, "#DIV/0!")
    ws.write(0, 4, 1)
    results = [3.5, True, XlsError(0x07), "Grt–core", None]
    for c, result in enumerate(results):
        XLS_FORMULA_RESULTS.append(result)
        ws.write(1, c, xlwt.Formula("1+%d" % c))
    ws.write(2, 0, T(2023, 3, 15, 12, 30, 5), xls_style("YYYY-MM-DD hh:mm:ss"))
    ws.write(2, 1, datetime.time(12, 30, 5), xls_style("hh:mm:ss"))
    ws.write(2, 2, 45000.999999, xls_style("YYYY-MM-DD hh:mm"))
    ws.write(2, 3, 60, xls_style("YYYY-MM-DD"))
    # Formula results shown as a date, a time and with a quoted "d".
    for c, fmt in enumerate(("D.M.YYYY", "[h]:mm", '0.0 "d"')):
        XLS_FORMULA_RESULTS.append(45000.5)
        ws.write(3, c, xlwt.Formula("45000+0.5"), xls_style(fmt))
    wb.save(os.path.join(HERE, "xls-cells.xls"))
    assert not XLS_FORMULA_RESULTS


def write_far_cell():
    """Two cells, the second in the last row and column a .xls can have:
    FreeXL would keep a slot for every cell in between (268 MB)."""
    wb = xlwt.Workbook()
    ws = wb.add_sheet("Far")
    ws.write(0, 0, "Sample")
    ws.write(65535, 255, "far")
    wb.save(os.path.join(HERE, "far-cell.xls"))


def small_workbook(cell_row, cell_twice=False, substreams=1, format_chars=None):
    """The Workbook stream of one sheet "S" whose dimensions hold one row
    and one column, with a number in row @p cell_row (from 0), given by two
    records when @p cell_twice; the sheet's substream is there
    @p substreams times, one after the other. With @p format_chars the
    globals define a number format "0.0" whose record claims that many
    characters."""
    def bof(kind):
        return biff_record(0x0809, struct.pack("<HHHHII", 0x0600, kind, 0x0DBB, 0x07CC, 0, 6))
    name = "S".encode("utf-16-le")
    sheet = (bof(0x10) + biff_record(0x0200, struct.pack("<IIHHH", 0, 1, 0, 1, 0)) +
             biff_record(0x0203, struct.pack("<HHHd", cell_row, 0, 15, 1.5)) * (2 if cell_twice else 1) +
             biff_record(0x000A, b""))
    def globals_(sheet_offset):
        number_format = b""
        if format_chars is not None:
            number_format = biff_record(0x041E, struct.pack("<HHB", 164, format_chars, 0) + b"0.0")
        return (bof(0x05) + biff_record(0x0042, struct.pack("<H", 1200)) + number_format +
                biff_record(0x0085, struct.pack("<IBBBB", sheet_offset, 0, 0, 1, 1) + name) +
                biff_record(0x000A, b""))
    offset = len(globals_(0))
    return (globals_(offset) + sheet * substreams).ljust(4096, b"\0")


def write_refusals():
    # A compound file of another program: no Workbook stream in it.
    write("no-workbook.xls", compound_file([("WordDocument", b"\xec\xa5" + b"\0" * 4094)]))
    # A password-protected .xlsx: the zip, encrypted, in an EncryptedPackage stream.
    write("encrypted-package.xlsx", compound_file([
        ("EncryptionInfo", struct.pack("<HHI", 4, 4, 0x40) + b"\0" * 4088),
        ("EncryptedPackage", struct.pack("<Q", 1000) + bytes(range(256)) * 16)]))
    # A .xls protected by a password: its globals begin with a FILEPASS record.
    globals_ = (biff_record(0x0809, struct.pack("<HHHHII", 0x0600, 5, 0, 0, 0, 0)) +
                biff_record(0x002F, struct.pack("<HHH", 1, 1, 1) + b"\0" * 48) +
                biff_record(0x000A, b""))
    write("encrypted.xls", compound_file([("Workbook", globals_.ljust(4096, b"\0"))]))
    # Excel 95 and older write a "Book" stream of BIFF5 records.
    biff5 = biff_record(0x0809, struct.pack("<HHHH", 0x0500, 5, 0, 0)) + biff_record(0x000A, b"")
    write("excel95.xls", compound_file([("Book", biff5.ljust(4096, b"\0"))]))
    # A cell outside the sheet's dimensions, where FreeXL would write past
    # its table of cells.
    write("outside-dimensions.xls", compound_file([("Workbook", small_workbook(3))]))
    # A cell given by two records: FreeXL would keep the later one and lose
    # what it made of the first.
    write("cell-twice.xls", compound_file([("Workbook", small_workbook(0, cell_twice=True))]))
    # A worksheet's substream that no sheet of the workbook points to:
    # FreeXL, which takes the substreams as they come, would read it.
    write("extra-substream.xls", compound_file([("Workbook", small_workbook(0, substreams=2))]))
    # A stream without a name beside the workbook's, which FreeXL would take
    # for the one it looks for.
    write("empty-entry-name.xls", compound_file([("Workbook", small_workbook(0)),
                                                 ("", b"\0" * 4096)]))
    # A header whose unused places for sectors of the sector table are not
    # free, which FreeXL reads as such sectors.
    header_places = bytearray(compound_file([("Workbook", small_workbook(0))]))
    header_places[0x50:0x54] = struct.pack("<I", 0)
    write("sector-places.xls", bytes(header_places))
    # A number format that claims more characters than its record holds,
    # which FreeXL would copy by the count.
    write("long-format.xls", compound_file([("Workbook", small_workbook(0, format_chars=60000))]))
    # A directory entry whose name claims more than its 64 bytes, which
    # FreeXL would convert by the length given.
    write("long-entry-name.xls", compound_file([("Workbook", small_workbook(0))], name_bytes=4000))


# --- The expected texts, and reading every file back --------------------------

def cell_text(value):
    """A cell's value (as a Python reader gives it) as table text."""
    if value is None:
        return ""
    if isinstance(value, bool):
        return "TRUE" if value else "FALSE"
    if isinstance(value, (int, float)):
        return number_text(value)
    if isinstance(value, (datetime.date, datetime.datetime)):
        return date_text(value)
    return clean(value)


def sheet_text(rows):
    """Rows of values to table text: every row that holds a value padded to
    the widest, rows without one as empty lines, up to the last row with one."""
    texts = [[cell_text(v) for v in row] for row in rows]
    widths = [max([i + 1 for i, t in enumerate(row) if t] or [0]) for row in texts]
    width = max(widths or [0])
    last = max([i + 1 for i, w in enumerate(widths) if w] or [0])
    lines = []
    for row, w in zip(texts[:last], widths):
        lines.append("\t".join((row + [""] * width)[:width]) if w else "")
    return "".join(line + "\r\n" for line in lines)


def expected_sheets():
    """(name, hidden, text) of each sheet of the sheets workbook."""
    out = [("Info", False, sheet_text(INFO_LINES))]
    for name, rows in SHEET_ROWS.items():
        values = []
        if HEADER_ROW.get(name):
            values += [[TITLE], []]
        values.append(SHEET_HEADER)
        for row in rows:
            v = sheet_values(name, row)
            if name == "Biotite":
                v[7] = None
            values.append(v)
        out.append((name, name == "Old garnet", sheet_text(values)))
    return out


def write_expected_sheets():
    text = "".join("== %s%s\r\n%s" % (name, " (hidden)" if hidden else "", body)
                   for name, hidden, body in expected_sheets())
    write("sheets.expected", text.encode("utf-8"))


def read_xlsx(path):
    wb = openpyxl.load_workbook(path, data_only=True)
    return [(ws.title, ws.sheet_state != "visible",
             sheet_text([[c.value for c in row] for row in ws.iter_rows()])) for ws in wb.worksheets]


def read_ods(path):
    from odf.opendocument import load
    from odf.namespaces import TABLENS, OFFICENS, TEXTNS
    doc = load(path)
    hidden_styles = set()
    for style in doc.automaticstyles.childNodes:
        for child in style.childNodes:
            if child.qname[1] == "table-properties" and child.getAttribute("display") == "false":
                hidden_styles.add(style.getAttribute("name"))
    out = []
    for table in doc.spreadsheet.getElementsByType(Table):
        rows = []
        for tr in table.getElementsByType(TableRow):
            row = []
            for cell in tr.childNodes:
                repeat = int(cell.attributes.get((TABLENS, "number-columns-repeated"), 1))
                kind = cell.attributes.get((OFFICENS, "value-type"))
                value = None
                if cell.qname[1] == "table-cell" and kind == "float":
                    value = float(cell.attributes[(OFFICENS, "value")])
                elif cell.qname[1] == "table-cell" and kind == "date":
                    iso = cell.attributes[(OFFICENS, "date-value")]
                    value = datetime.datetime.fromisoformat(iso)
                elif cell.qname[1] == "table-cell" and kind == "string":
                    value = "\n".join(str(p) for p in cell.childNodes if p.qname == (TEXTNS, "p"))
                row += [value] * repeat
            rows.append(row)
        out.append((table.getAttribute("name"), table.getAttribute("stylename") in hidden_styles,
                    sheet_text(rows)))
    return out


def read_xls(path):
    import xlrd
    book = xlrd.open_workbook(path)
    out = []
    for sheet in book.sheets():
        rows = []
        for r in range(sheet.nrows):
            row = []
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                value = cell.value
                if cell.ctype == xlrd.XL_CELL_EMPTY or cell.ctype == xlrd.XL_CELL_BLANK:
                    value = None
                elif cell.ctype == xlrd.XL_CELL_DATE:
                    value = xlrd.xldate.xldate_as_datetime(value, book.datemode)
                elif cell.ctype == xlrd.XL_CELL_BOOLEAN:
                    value = bool(value)
                elif cell.ctype == xlrd.XL_CELL_TEXT and value == "":
                    value = None
                row.append(value)
            rows.append(row)
        out.append((sheet.name, sheet.visibility != 0, sheet_text(rows)))
    return out


def check():
    """Reads every workbook back with Python's readers by the same rules and
    compares the texts: the fixtures say what they are meant to say."""
    analyses = open(os.path.join(HERE, "analyses.tab"), "rb").read().decode("utf-8")
    for name, reader in (("analyses.xlsx", read_xlsx), ("analyses.ods", read_ods),
                         ("analyses.xls", read_xls)):
        sheets = reader(os.path.join(HERE, name))
        assert [s[2] for s in sheets] == [analyses], name
    # xlrd leaves formulas without a value as empty text, as expected.
    for name, reader in (("sheets.xlsx", read_xlsx), ("sheets.ods", read_ods),
                         ("sheets.xls", read_xls)):
        got = reader(os.path.join(HERE, name))
        assert got == expected_sheets(), (name, got)


def main():
    write_tab()
    write_csv()
    write_xlsx()
    write_ods()
    write_xls()
    write_sheets_xlsx()
    write_sheets_ods()
    write_sheets_xls()
    write_xls_cells()
    write_far_cell()
    for name in ("analyses.xlsx", "analyses.ods", "sheets.xlsx", "sheets.ods"):
        pin_zip(name)
    write_expected_sheets()
    write_refusals()
    check()


if __name__ == "__main__":
    main()

#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Prints every sheet of an .xls (read with xlrd) or .xlsx (read with openpyxl) workbook, one
fact a line, for the tests:
    sheet NAME
    ROW COLUMN VALUE size=POINTS [red]
Numbers are printed with repr(float), texts as they are. Exits with 1 when the file cannot
be read.
"""
import sys


def xls(path):
    import xlrd
    book = xlrd.open_workbook(path, formatting_info=True)
    for sheet in book.sheets():
        print("sheet", sheet.name)
        for row in range(sheet.nrows):
            for column in range(sheet.ncols):
                cell = sheet.cell(row, column)
                if cell.ctype == xlrd.XL_CELL_EMPTY:
                    continue
                font = book.font_list[book.xf_list[cell.xf_index].font_index]
                value = repr(float(cell.value)) if cell.ctype == xlrd.XL_CELL_NUMBER else cell.value
                red = " red" if font.colour_index == 10 else ""
                print(row + 1, column + 1, value, "size=%g%s" % (font.height / 20, red))


def xlsx(path):
    import openpyxl
    book = openpyxl.load_workbook(path)
    for sheet in book.worksheets:
        print("sheet", sheet.title)
        for row in sheet.iter_rows():
            for cell in row:
                if cell.value is None:
                    continue
                value = cell.value if isinstance(cell.value, str) else repr(float(cell.value))
                color = cell.font.color
                red = " red" if color is not None and color.type == "rgb" and color.rgb == "FFFF0000" else ""
                print(cell.row, cell.column, value, "size=%g%s" % (cell.font.sz, red))


try:
    (xlsx if sys.argv[1].lower().endswith(".xlsx") else xls)(sys.argv[1])
except Exception as problem:  # any reader failure is a finding
    sys.exit("cannot read %s: %s" % (sys.argv[1], problem))

# SPDX-License-Identifier: MIT
"""Prints what an .xlsx workbook holds, one fact a line, for the tests (read with openpyxl):
    sheet NAME
    cell ROW COLUMN text|number VALUE color=RGB size=POINTS
    width COLUMN WIDTH
"""
import sys

import openpyxl

book = openpyxl.load_workbook(sys.argv[1])
for name in book.sheetnames:
    print("sheet", name)
sheet = book.worksheets[0]
for row in sheet.iter_rows():
    for cell in row:
        if cell.value is None:
            continue
        kind = "text" if isinstance(cell.value, str) else "number"
        value = cell.value if kind == "text" else repr(float(cell.value))
        color = cell.font.color
        color = color.rgb if color is not None and color.type == "rgb" else "none"
        print("cell", cell.row, cell.column, kind, value, "color=%s" % color, "size=%g" % cell.font.sz)
# Widths as a spreadsheet shows them: the file adds the cell padding (5 pixels of the default
# font, 0.7109375 characters) to the width the user sees.
for index, column in enumerate("AB", start=1):
    width = None
    for dimension in sheet.column_dimensions.values():
        if dimension.min is not None and dimension.min <= index <= dimension.max:
            width = dimension.width
    print("width", column, "none" if width is None else "%g" % (width - 0.7109375))

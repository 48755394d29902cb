#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Reads an .xls workbook with xlrd and prints what the tests check, as JSON:

{"sheets": [names], "red": [r, g, b] (palette entry 10),
 "cells": [{"row", "column" (from 1), "type": "text"|"number"|"error"|"blank", "value",
            "font_colour" (colour index), "font_height" (twips)}],
 "widths": {"A": width or null, "B": ...} (1/256 of a character; null when not set),
 "longest_record": the longest record data in the Workbook stream, bytes,
 "continue_records": how many CONTINUE records it has}

Only the first sheet's cells and widths are listed. Exits with 1 and a message on stderr when
xlrd cannot read the file.
"""

import json
import struct
import sys

import xlrd
import xlrd.compdoc

TYPES = {
    xlrd.XL_CELL_TEXT: "text",
    xlrd.XL_CELL_NUMBER: "number",
    xlrd.XL_CELL_ERROR: "error",
    xlrd.XL_CELL_BLANK: "blank",
}


def records(path):
    """Longest record data and number of CONTINUE records, walking the Workbook stream up to
    the zero padding after the last EOF."""
    with open(path, "rb") as f:
        stream, base, size = xlrd.compdoc.CompDoc(f.read()).locate_named_stream("Workbook")
    position, end = base, base + size
    longest, continues = 0, 0
    while position + 4 <= end:
        kind, length = struct.unpack_from("<HH", stream, position)
        if kind == 0 and length == 0:
            break
        longest = max(longest, length)
        continues += kind == 0x003C
        position += 4 + length
    return longest, continues


def describe(path):
    book = xlrd.open_workbook(path, formatting_info=True, ragged_rows=True)
    sheet = book.sheet_by_index(0)
    cells = []
    for row in range(sheet.nrows):
        for column in range(sheet.row_len(row)):
            cell = sheet.cell(row, column)
            if cell.ctype == xlrd.XL_CELL_EMPTY:
                continue
            font = book.font_list[book.xf_list[cell.xf_index].font_index]
            cells.append({
                "row": row + 1,
                "column": column + 1,
                "type": TYPES.get(cell.ctype, str(cell.ctype)),
                "value": cell.value,
                "font_colour": font.colour_index,
                "font_height": font.height,
            })
    widths = {}
    for letter, column in (("A", 0), ("B", 1)):
        info = sheet.colinfo_map.get(column)
        widths[letter] = info.width if info else None
    longest, continues = records(path)
    return {
        "longest_record": longest,
        "continue_records": continues,
        "sheets": book.sheet_names(),
        "red": list(book.colour_map.get(10) or []),
        "cells": cells,
        "widths": widths,
    }


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: read_xls.py FILE")
    try:
        description = describe(sys.argv[1])
    except Exception as problem:  # any reader failure is a finding
        sys.exit("cannot read %s: %s" % (sys.argv[1], problem))
    json.dump(description, sys.stdout, ensure_ascii=False)
    sys.stdout.write("\n")


if __name__ == "__main__":
    main()

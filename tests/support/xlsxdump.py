# Reads a workbook with a spreadsheet library, as a spreadsheet program would, and prints its
# sheets as JSON for the tests: name, rows used, widths by column, and every cell with its type,
# value and number format ("" for the general format). Columns and rows count from 0.
import json
import sys

import openpyxl
from openpyxl.utils import column_index_from_string

book = openpyxl.load_workbook(sys.argv[1])
sheets = []
for ws in book.worksheets:
    cells = [[c.row - 1, c.column - 1, c.data_type, c.value, "" if c.number_format == "General" else c.number_format]
             for row in ws.iter_rows() for c in row if c.value is not None]
    widths = {}
    for letter, d in ws.column_dimensions.items():
        first = column_index_from_string(letter)
        for col in range(d.min or first, (d.max or first) + 1):
            widths[col - 1] = d.width
    sheets.append({"name": ws.title, "rows": max((c[0] + 1 for c in cells), default=0), "cells": cells,
                   "widths": widths})
json.dump(sheets, sys.stdout)

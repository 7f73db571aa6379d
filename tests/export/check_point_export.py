#!/usr/bin/python3
"""Point list exports read back row by row with python3-xlrd.

usage: check_point_export.py <point_export_sample> <work dir>"""
import os
import sys

import olefile
import xlrd

from interop import Failures, run, work_dir

HEADER = ['ID', 'Name', 'RegType', 'RegAddress', 'DataType', 'Description', '']
GUID = '01000000-0200-0300-aabb-ccddeeff0011'
# The rows of SamplePoints::Handful(), as the export must write them.
HANDFUL = [
    ['1', '1001', 'ItemID', 'ns=2;i=1001', 'Long', '', ''],
    ['2', 'Tank.Level', 'ItemID', 'ns=3;s=Tank.Level', 'Double', '', ''],
    ['3', GUID, 'ItemID', 'ns=4;g=' + GUID, 'Word', '', ''],
    ['4', '', '', '', 'String', '', ''],
    ['5', '1002', 'ItemID', 'ns=2;i=1002', 'UInt64', '', ''],
    ['6', 'L' * 511, 'ItemID', 'ns=2;s=' + 'L' * 504, 'String', '', ''],
    ['7', '泵.压力', 'ItemID', 'ns=1;s=泵.压力', 'DateTime', '', ''],
    ['8', '4294967294', 'ItemID', 'ns=0;i=4294967294', '', '', ''],
]


def open_book(failures, path):
    failures.expect(olefile.isOleFile(path), f'{path}: not a compound file')
    book = xlrd.open_workbook(path, formatting_info=True)
    failures.expect(book.sheet_names() == ['Sheet1'], f'{path}: sheets {book.sheet_names()}')
    return book.sheet_by_index(0)


def check_rows(failures, path, expected_rows):
    sheet = open_book(failures, path)
    failures.expect(sheet.nrows == len(expected_rows),
                    f'{path}: {sheet.nrows} rows, want {len(expected_rows)}')
    failures.expect(sheet.ncols == len(expected_rows[0]),
                    f'{path}: {sheet.ncols} columns, want {len(expected_rows[0])}')
    for index, expected in enumerate(expected_rows[:sheet.nrows]):
        got = [cell.value for cell in sheet.row(index)]
        failures.expect(got == expected, f'{path}: row {index} reads {got!r:.200}')
        # Empty cells are blank cells, texts are text cells.
        kinds = [cell.ctype for cell in sheet.row(index)]
        want = [xlrd.XL_CELL_TEXT if value else xlrd.XL_CELL_BLANK for value in expected]
        failures.expect(kinds == want, f'{path}: row {index} cell types {kinds}')


def main():
    tool, directory = sys.argv[1], work_dir()
    failures = Failures()
    run(tool, directory)
    header_only = [HEADER[:6]]
    check_rows(failures, os.path.join(directory, 'handful.xls'), [HEADER] + HANDFUL)
    check_rows(failures, os.path.join(directory, 'points.txt'), [HEADER] + HANDFUL)
    check_rows(failures, os.path.join(directory, 'empty.xls'), header_only)

    sheet = open_book(failures, os.path.join(directory, 'many.xls'))
    failures.expect((sheet.nrows, sheet.ncols) == (65536, 7),
                    f'many.xls: {sheet.nrows} x {sheet.ncols}')
    for row in (1, 2, 32767, 65535):
        if row < sheet.nrows:
            got = [cell.value for cell in sheet.row(row)]
            number = 100000 + row - 1
            want = [str(row), str(number), 'ItemID', f'ns=2;i={number}', 'DWord', '', '']
            failures.expect(got == want, f'many.xls: row {row} reads {got}')
    failures.exit()


if __name__ == '__main__':
    main()

#!/usr/bin/python3
"""Point list exports read back row by row: .xls with python3-xlrd, .xlsx with python3-openpyxl,
.csv with Python's csv module.

usage: check_point_export.py <point_export_sample> <work dir>"""
import os
import sys

import csv

import olefile
import openpyxl
import xlrd

from interop import Failures, run, work_dir

HEADER = ['ID', 'Name', 'RegType', 'RegAddress', 'DataType', 'Description', '']
# What .xlsx and .csv carry after the .xls's six columns, row by row of [HEADER] + HANDFUL.
PATHS = ['Path', '', 'Plant/Line1', '', '', '', '', '泵站', '']
# Then the list's own columns: display name, value, quality, time, the server's type name.
LIST_HEADER = ['DisplayName', 'Value', 'Quality', 'Time', 'OpcUaType']
LIST = {
    2: ['Level', '3.142', 'GOOD', '2024-08-05 14:03:09', 'Double'],
    5: ['', '', '', '', 'UInt64'],
    7: ['压力', '5-8-2024 6:3:9.007', 'UNCERTAIN', '', 'DateTime'],
}
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


def xlsx_rows(failures, path):
    """Every row of the only sheet "Sheet1", empty cells as ''."""
    book = openpyxl.load_workbook(path, read_only=True)
    failures.expect(book.sheetnames == ['Sheet1'], f'{path}: sheets {book.sheetnames}')
    rows = [['' if value is None else value for value in row]
            for row in book['Sheet1'].iter_rows(values_only=True)]
    book.close()
    return rows


def csv_rows(failures, path):
    with open(path, 'rb') as raw:
        data = raw.read()
    failures.expect(data.startswith(b'\xef\xbb\xbf'), f'{path}: no UTF-8 byte-order mark')
    lines = data.split(b'\n')
    failures.expect(all(line.endswith(b'\r') for line in lines[:-1]) and lines[-1] == b'',
                    f'{path}: records not ended by CRLF')
    with open(path, newline='', encoding='utf-8-sig') as text:
        return list(csv.reader(text))


def check_text_rows(failures, path, rows, expected_rows):
    """The .xls's six columns as it shows them without its empty seventh, then the path, then
    the list's columns."""
    def list_cells(index):
        return LIST_HEADER if index == 0 else LIST.get(index, [''] * 5)
    want = [row[:6] + [PATHS[index]] + list_cells(index)
            for index, row in enumerate(expected_rows)]
    failures.expect(len(rows) == len(want), f'{path}: {len(rows)} rows, want {len(want)}')
    for index, (got, expected) in enumerate(zip(rows, want)):
        got = list(got) + [''] * (12 - len(got))
        failures.expect(got == expected, f'{path}: row {index} reads {got!r:.200}')


def check_many(failures, path, rows):
    """70,000 points: every one of them, none cut at the .xls limit."""
    failures.expect(len(rows) == 70001, f'{path}: {len(rows)} rows, want 70001')
    for row in (1, 2, 65535, 65536, 70000):
        if row < len(rows):
            number = 100000 + row - 1
            want = [str(row), str(number), 'ItemID', f'ns=2;i={number}', 'DWord', '']
            got = (list(rows[row]) + [''] * 6)[:6]
            failures.expect(got == want, f'{path}: row {row} reads {got}')


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

    for name, read in (('xlsx', xlsx_rows), ('csv', csv_rows)):
        for case, expected in (('handful', [HEADER] + HANDFUL), ('empty', header_only)):
            path = os.path.join(directory, f'{case}.{name}')
            check_text_rows(failures, path, read(failures, path), expected)
        path = os.path.join(directory, f'many.{name}')
        check_many(failures, path, read(failures, path))
    failures.exit()


if __name__ == '__main__':
    main()

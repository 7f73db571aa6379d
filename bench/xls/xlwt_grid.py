#!/usr/bin/python3
"""Writes the benchmark's grid with python3-xlwt and prints the seconds it took: wall clock,
then processor time.

usage: xlwt_grid.py <out.xls>. Keep the content in step with bench_grid.h."""
import sys
import time

import xlwt

HEADER = ['ID', 'Name', 'RegType', 'RegAddress', 'DataType', 'Description']
DATA_TYPES = ['Boolean', 'Word', 'Short', 'Long', 'DWord', 'Float', 'Double', 'String']


def name(row):
    if row % 4 == 0:
        return str(1000 + row)
    return f'Plant.Line{row % 12:02d}.Device{row % 250:03d}.Tag{row:05d}'


def main():
    start, start_cpu = time.perf_counter(), time.process_time()
    book = xlwt.Workbook()
    sheet = book.add_sheet('Sheet1')
    for column, text in enumerate(HEADER):
        sheet.write(0, column, text)
    for row in range(1, 65536):
        text = name(row)
        sheet.write(row, 0, str(row))
        sheet.write(row, 1, text)
        sheet.write(row, 2, 'ItemID')
        sheet.write(row, 3, ('ns=2;i=' if row % 4 == 0 else 'ns=2;s=') + text)
        sheet.write(row, 4, DATA_TYPES[row % len(DATA_TYPES)])
        sheet.write(row, 5, '')  # blank, as our empty Description
        sheet.write(row, 6, '')  # blank, as our untouched seventh column
    book.save(sys.argv[1])
    print(f'{time.perf_counter() - start:.3f} {time.process_time() - start_cpu:.3f}')


if __name__ == '__main__':
    main()

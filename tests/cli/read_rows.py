#!/usr/bin/python3
"""Prints the rows of an exported point list as JSON, six texts per row, read with Debian's own
readers: xlrd for .xls, openpyxl for .xlsx, the csv module for .csv.

usage: read_rows.py <file>"""
import csv
import json
import sys


def xls_rows(path):
    import xlrd
    sheet = xlrd.open_workbook(path).sheet_by_name('Sheet1')
    return [[str(sheet.cell_value(r, c)) for c in range(sheet.ncols)] for r in range(sheet.nrows)]


def xlsx_rows(path):
    import openpyxl
    book = openpyxl.load_workbook(path, read_only=True)
    rows = [['' if v is None else str(v) for v in row]
            for row in book['Sheet1'].iter_rows(values_only=True)]
    book.close()
    return rows


def csv_rows(path):
    with open(path, newline='', encoding='utf-8-sig') as text:
        return list(csv.reader(text))


def main():
    path = sys.argv[1]
    read = {'xls': xls_rows, 'xlsx': xlsx_rows, 'csv': csv_rows}[path.rsplit('.', 1)[-1]]
    rows = [(list(row) + [''] * 6)[:6] for row in read(path)]
    json.dump(rows, sys.stdout, ensure_ascii=False)


if __name__ == '__main__':
    main()

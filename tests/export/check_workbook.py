#!/usr/bin/python3
"""Workbooks from our writer, read back with python3-xlrd (and the container with olefile).

usage: check_workbook.py <export_sample_writer> <work dir>"""
import os
import random
import sys

import xlrd

from interop import Failures, check_streams, run, work_dir

HEADER = ['ID', 'Name', 'RegType', 'RegAddress', 'DataType', 'Description']

# Code point ranges for UTF-16 texts: ASCII, Latin and Greek, CJK ideographs, Hangul, the
# replacement character, emoji and rare CJK beyond the BMP (surrogate pairs). xlrd decodes every
# piece of a split entry on its own, so it rejects a file whose pieces cut a pair in two.
WIDE_RANGES = ((0x20, 0x7E), (0xA0, 0x3FF), (0x4E00, 0x9FFF), (0xAC00, 0xD7A3), (0xFFFD, 0xFFFD),
               (0x1F300, 0x1F64F), (0x20000, 0x2A6DF))


def write_book(tool, directory, case, cells):
    """cells: {(row, column): ('n', bytes) | ('w', str) | ('u', None)}"""
    description = os.path.join(directory, case + '.txt')
    with open(description, 'w') as out:
        for (row, column), (kind, text) in cells.items():
            if kind == 'n':
                data = text.hex()
            elif kind == 'w':
                data = text.encode('utf-16-le').hex()
            else:
                data = ''
            out.write(f'{row} {column} {kind} {data}\n')
    xls = os.path.join(directory, case + '.xls')
    dump = os.path.join(directory, case + '.bin')
    run(tool, 'book', description, xls, dump)
    return xls, dump


def check_book(failures, case, xls, dump, rows, columns, texts):
    """texts: {(row, column): str} for every text cell; all other cells must be blank."""
    with open(dump, 'rb') as stream:
        built = stream.read()
    ole = check_streams(failures, xls, {'Workbook': built}, case)
    if ole is not None:
        ole.close()
    try:
        book = xlrd.open_workbook(xls, formatting_info=True)
    except Exception as error:  # xlrd raises struct and index errors on broken records
        failures.expect(False, f'{case}: xlrd cannot read the book: {error!r:.300}')
        return built
    failures.expect(book.sheet_names() == ['Sheet1'], f'{case}: sheets {book.sheet_names()}')
    sheet = book.sheet_by_index(0)
    failures.expect((sheet.nrows, sheet.ncols) == (rows, columns),
                    f'{case}: {sheet.nrows} x {sheet.ncols}, want {rows} x {columns}')
    wrong = 0
    for row in range(min(rows, sheet.nrows)):
        for column in range(min(columns, sheet.ncols)):
            cell = sheet.cell(row, column)
            want = texts.get((row, column))
            if want is None:
                ok = cell.ctype == xlrd.XL_CELL_BLANK
            else:
                ok = cell.ctype == xlrd.XL_CELL_TEXT and cell.value == want
            if not ok:
                wrong += 1
                if wrong <= 5:
                    failures.expect(False, f'{case}: cell ({row}, {column}) reads {cell!r:.80}')
    failures.expect(wrong == 0, f'{case}: {wrong} cell(s) read back wrong')
    return built


def header_only(tool, directory, failures):
    cells = {(0, c): ('w', text) for c, text in enumerate(HEADER)}
    xls, dump = write_book(tool, directory, 'header', cells)
    built = check_book(failures, 'header', xls, dump, 1, 6, {(0, c): t for c, t in enumerate(HEADER)})
    failures.expect(len(built) == 962, f'header: stream of {len(built)} bytes, want 962')


def full_height(tool, directory, failures):
    """65535 rows, as many as an export writes below the header."""
    cells, texts = {}, {}
    for row in range(65535):
        cells[(row, 0)] = ('n', str(row + 1).encode())
        texts[(row, 0)] = str(row + 1)
        if row % 3:
            name = f'ns=2;s=Line{row % 7}.Motor{row}.Speed'
            cells[(row, 1)] = ('w', name)
            texts[(row, 1)] = name
        cells[(row, 2)] = ('u', None)
    xls, dump = write_book(tool, directory, 'rows65535', cells)
    check_book(failures, 'rows65535', xls, dump, 65535, 3, texts)
    os.remove(xls)
    os.remove(dump)


def pair_at_boundaries(tool, directory, failures):
    """Surrogate pairs placed where the SST record and a CONTINUE record end."""
    # 4000 narrow bytes leave room for 2105 code units of the next entry in the SST record; a
    # CONTINUE holds 4111 units. Each entry is tried with its pair one unit before, on and
    # after the boundary.
    cells, texts = {}, {}
    for row, pair_at in enumerate((2103, 2104, 2105)):
        narrow = bytes([0x61 + row]) * 4000
        wide = '点' * pair_at + '😀' + '泵' * (3000 - pair_at - 2)
        cells[(row, 0)] = ('n', narrow)
        cells[(row, 1)] = ('w', wide)
        texts[(row, 0)] = narrow.decode('latin-1')
        texts[(row, 1)] = wide
    long_wide = '\U00020BB7' * 9000 + 'x' * 3  # every CONTINUE boundary falls inside a pair
    cells[(3, 0)] = ('w', long_wide)
    cells[(3, 1)] = ('u', None)
    texts[(3, 0)] = long_wide
    xls, dump = write_book(tool, directory, 'pairs', cells)
    check_book(failures, 'pairs', xls, dump, 4, 2, texts)


def random_text(rng, wide):
    length = rng.choice((rng.randint(1, 12), rng.randint(1, 300), rng.randint(3000, 9000),
                         rng.randint(1, 20000)))
    if wide:
        chars = []
        for _ in range(length):
            low, high = rng.choice(WIDE_RANGES)
            chars.append(chr(rng.randint(low, high)))
        return ''.join(chars)
    return bytes(rng.randint(1, 255) for _ in range(length))


def random_grid(tool, directory, failures, seed):
    rng = random.Random(seed)
    rows, columns = rng.randint(1, 70), rng.randint(1, 8)
    pool = []  # texts used again, so that interning shares entries
    cells, texts = {}, {}
    for row in range(rows):
        for column in range(columns):
            roll = rng.random()
            if roll < 0.2:
                continue  # never reached, unless the grid grows past it
            if roll < 0.3:  # an empty text leaves the cell blank
                kind = rng.choice('nw')
                cells[(row, column)] = (kind, b'' if kind == 'n' else '')
                continue
            if pool and roll < 0.45:
                kind, text = rng.choice(pool)
            else:
                kind = rng.choice('nw')
                text = random_text(rng, kind == 'w')
                pool.append((kind, text))
            cells[(row, column)] = (kind, text)
            texts[(row, column)] = text.decode('latin-1') if kind == 'n' else text
    # The grid grows to the farthest cell reached; the last one fixes its size.
    cells[(rows - 1, columns - 1)] = cells.get((rows - 1, columns - 1), ('u', None))
    case = f'random{seed}'
    xls, dump = write_book(tool, directory, case, cells)
    check_book(failures, case, xls, dump, rows, columns, texts)


def main():
    tool, directory = sys.argv[1], work_dir()
    failures = Failures()
    header_only(tool, directory, failures)
    full_height(tool, directory, failures)
    pair_at_boundaries(tool, directory, failures)
    for seed in range(1, 9):
        random_grid(tool, directory, failures, seed)
    failures.exit()


if __name__ == '__main__':
    main()

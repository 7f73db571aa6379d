#!/usr/bin/python3
"""Compound files from our writer, read back with python3-olefile.

usage: check_compound_file.py <export_sample_writer> <work dir>"""
import os
import random
import sys

from interop import Failures, check_streams, run, work_dir, write_bytes


def write_file(tool, directory, case, streams):
    path = os.path.join(directory, case + '.cfb')
    args = [tool, 'stream', path]
    for i, (name, data) in enumerate(streams.items()):
        data_path = os.path.join(directory, f'{case}.{i}.bin')
        write_bytes(data_path, data)
        args += [name, data_path]
    run(*args)
    return path


def main():
    tool, directory = sys.argv[1], work_dir()
    failures = Failures()
    rng = random.Random(20240611)

    # Around the 4096-byte cutoff between the mini stream and regular sectors.
    for size in (0, 1, 63, 64, 65, 4095, 4096, 4097):
        case = f'size{size}'
        streams = {'Workbook': rng.randbytes(size)}
        check_streams(failures, write_file(tool, directory, case, streams), streams, case)

    # 108 and 109 FAT sectors fit the header's list; 110 need a DIFAT sector.
    for data_sectors, fat, difat in ((13715, 108, 0), (13716, 109, 0), (13842, 109, 0),
                                     (13843, 110, 1)):
        case = f'fat{fat}-{data_sectors}'
        streams = {'Workbook': rng.randbytes(data_sectors * 512 - 7)}
        path = write_file(tool, directory, case, streams)
        ole = check_streams(failures, path, streams, case)
        if ole is not None:
            failures.expect(ole.num_fat_sectors == fat,
                            f'{case}: {ole.num_fat_sectors} FAT sectors, want {fat}')
            failures.expect(ole.num_difat_sectors == difat,
                            f'{case}: {ole.num_difat_sectors} DIFAT sectors, want {difat}')
            ole.close()
        os.remove(path)

    # Several streams, large and small, which puts the directory tree and colours to work.
    streams = {f'Stream{i:02d}': rng.randbytes(rng.choice((0, 10, 700, 4096, 9000)))
               for i in range(11)}
    check_streams(failures, write_file(tool, directory, 'many', streams), streams, 'many')

    failures.exit()


if __name__ == '__main__':
    main()

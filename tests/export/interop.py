"""Helpers shared by the interoperability checks: they run the sample writer and read its files
with Debian's python3-olefile and python3-xlrd, which share no code with ours."""
import os
import subprocess
import sys

import olefile


class Failures:
    """Collects failed expectations so that one run reports all of them."""

    def __init__(self):
        self.messages = []

    def expect(self, condition, message):
        if not condition:
            self.messages.append(message)
            print('FAIL: ' + message)
        return condition

    def exit(self):
        if self.messages:
            print(f'{len(self.messages)} check(s) failed')
            sys.exit(1)
        print('all checks passed')


def run(*args):
    subprocess.run([str(a) for a in args], check=True)


def write_bytes(path, data):
    with open(path, 'wb') as out:
        out.write(data)


def check_streams(failures, path, streams, case):
    """The file is a compound file whose root holds exactly `streams` (name -> bytes), and
    olefile finds nothing wrong with it, not even a potential defect."""
    try:
        ole = olefile.OleFileIO(path, raise_defects=olefile.DEFECT_POTENTIAL)
    except Exception as error:  # olefile raises its own exception types and plain ones
        failures.expect(False, f'{case}: olefile rejects the file: {error!r}')
        return None
    listing = sorted(ole.listdir(streams=True, storages=True))
    failures.expect(listing == sorted([name] for name in streams),
                    f'{case}: root holds {listing}')
    for name, data in streams.items():
        if not ole.exists(name):
            continue
        read = ole.openstream(name).read()
        failures.expect(ole.get_size(name) == len(data),
                        f'{case}: {name} is {ole.get_size(name)} bytes, want {len(data)}')
        failures.expect(read == data, f'{case}: {name} bytes differ from what was written')
    failures.expect(not ole.parsing_issues, f'{case}: olefile notes {ole.parsing_issues}')
    return ole


def work_dir():
    path = sys.argv[2] if len(sys.argv) > 2 else '.'
    os.makedirs(path, exist_ok=True)
    return path

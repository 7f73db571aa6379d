#!/usr/bin/python3
"""End-to-end time of `quorvane --export` against the demo server on loopback: connect, walk,
export, exit. Prints the best of three runs per format; not a test.

usage: cli_export_bench.py <quorvane> <quorvane-demo-server> [points] [work dir]"""
import os
import socket
import subprocess
import sys
import tempfile
import time


def free_port():
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        return probe.getsockname()[1]


def start_server(server, points):
    process = subprocess.Popen([server, '--port', str(free_port()), '--points', str(points)],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    for line in process.stdout:  # the stack's log comes first; READY ends the start-up
        if line.startswith('READY '):
            return process, line.split()[1]
    raise RuntimeError('the demo server did not start')


def run_once(quorvane, url, path):
    environment = {k: v for k, v in os.environ.items()
                   if k not in ('DISPLAY', 'WAYLAND_DISPLAY', 'QT_QPA_PLATFORM')}
    start = time.perf_counter()
    done = subprocess.run([quorvane, '--export', path, '--url', url, '--lang', 'en'],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                          env=environment, check=False)
    seconds = time.perf_counter() - start
    if done.returncode != 0:
        raise RuntimeError(f'quorvane exited with {done.returncode}')
    return seconds, done.stdout.strip()


def main():
    quorvane, server = sys.argv[1], sys.argv[2]
    points = int(sys.argv[3]) if len(sys.argv) > 3 else 100000
    directory = sys.argv[4] if len(sys.argv) > 4 else tempfile.mkdtemp(prefix='quorvane-cli-')
    process, url = start_server(server, points)
    try:
        print(f'demo server with {points} generated points at {url}; target < 1.5 s')
        for extension in ('xls', 'xlsx', 'csv'):
            path = os.path.join(directory, 'bench.' + extension)
            runs = [run_once(quorvane, url, path) for _ in range(3)]
            best = min(seconds for seconds, _ in runs)
            print(f'{extension:5} best {best:.3f} s, runs '
                  + ', '.join(f'{s:.3f}' for s, _ in runs) + f'  ({runs[0][1]})')
            os.remove(path)
    finally:
        process.terminate()
        process.wait(timeout=10)


if __name__ == '__main__':
    main()

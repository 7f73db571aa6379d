#!/bin/sh
# The real program with `--export -` piped into a reader: the points arrive on standard output
# as .csv (or as --format says), the result line on standard error, and no file named "-".
# usage: export_to_pipe.sh QUORVANE DEMO_SERVER WORKDIR
quorvane=$1
server=$2
work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
"$server" --port "$port" --points 500 >ready.txt 2>/dev/null &
pid=$!
trap 'kill $pid 2>/dev/null' EXIT
i=0
until grep -q "^READY" ready.txt; do
  i=$((i + 1)); [ $i -gt 200 ] && { echo "server not ready"; exit 1; }
  sleep 0.05
done
url="opc.tcp://127.0.0.1:$port"

"$quorvane" --export - --url "$url" --lang en 2>err.txt | /usr/bin/python3 -c '
import csv, sys, io
# Plain utf-8: a byte-order mark would show as part of the first name.
rows = list(csv.reader(io.TextIOWrapper(sys.stdin.buffer, encoding="utf-8", newline="")))
assert rows[0][:5] == ["ID", "Name", "RegType", "RegAddress", "DataType"], rows[0]
assert len(rows) > 500, len(rows)
print(len(rows) - 1)' >count.txt || { echo "csv reader failed"; cat err.txt; exit 1; }
grep -qx "$(cat count.txt) points → -" err.txt || { echo "result line:"; cat err.txt; exit 1; }

"$quorvane" --export - --format xlsx --url "$url" 2>/dev/null | /usr/bin/python3 -c '
import io, sys, openpyxl
book = openpyxl.load_workbook(io.BytesIO(sys.stdin.buffer.read()), read_only=True)
rows = list(book["Sheet1"].iter_rows(values_only=True))
assert rows[0][0] == "ID" and len(rows) > 500, len(rows)' || { echo "xlsx reader failed"; exit 1; }

# A reader that stops early: a failed export, never a claimed success.
"$quorvane" --export - --format xls --url "$url" 2>err_head.txt | head -c 10 >/dev/null
[ -e ./- ] && { echo "a file named - was written"; exit 1; }
exit 0

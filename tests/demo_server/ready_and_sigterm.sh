#!/bin/sh
# Starts the demo server on a free port, waits for its READY line, stops it with SIGTERM and
# checks that standard output carried that line alone (the log goes to standard error).
server=$1
out=$(mktemp)
err=$(mktemp)
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
"$server" --port "$port" --points 1000 >"$out" 2>"$err" &
pid=$!
i=0
while ! grep -q "^READY opc.tcp://127.0.0.1:$port\$" "$out"; do
  i=$((i + 1))
  if [ $i -gt 200 ] || ! kill -0 $pid 2>/dev/null; then cat "$out" "$err"; kill $pid 2>/dev/null; exit 1; fi
  sleep 0.05
done
kill -TERM $pid
wait $pid
rc=$?
lines=$(wc -l <"$out")
logged=$(wc -l <"$err")
rm -f "$out" "$err"
[ "$rc" -eq 0 ] || exit "$rc"
if [ "$lines" -ne 1 ]; then echo "standard output holds $lines lines, not the READY line alone"; exit 1; fi
if [ "$logged" -eq 0 ]; then echo "no log on standard error"; exit 1; fi
exit 0

#!/bin/sh
# Starts the demo server on a free port, waits for its READY line and stops it with SIGTERM.
server=$1
out=$(mktemp)
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
"$server" --port "$port" --points 1000 >"$out" 2>&1 &
pid=$!
i=0
while ! grep -q "^READY opc.tcp://127.0.0.1:$port\$" "$out"; do
  i=$((i + 1))
  if [ $i -gt 200 ] || ! kill -0 $pid 2>/dev/null; then cat "$out"; kill $pid 2>/dev/null; exit 1; fi
  sleep 0.05
done
kill -TERM $pid
wait $pid
rc=$?
rm -f "$out"
exit $rc

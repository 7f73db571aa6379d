#!/usr/bin/env bash
# Installs what is missing, builds, starts the demo server on 127.0.0.1:4840 when that port is free,
# and starts Quorvane. The demo server stops again when Quorvane ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build=$("$root/scripts/build.sh" | tail -n 1)

server_pid=""
stop_server() {
  if [ -n "$server_pid" ]; then
    kill -TERM "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
}
trap stop_server EXIT INT TERM

if (exec 3<>/dev/tcp/127.0.0.1/4840) 2>/dev/null; then
  echo "run: something already listens on 127.0.0.1:4840; not starting the demo server"
else
  log="$build/demo-server.log"
  "$build/tools/demo-server/quorvane-demo-server" --host 127.0.0.1 --port 4840 >"$log" 2>&1 &
  server_pid=$!
  for _ in $(seq 1 100); do
    grep -q '^READY' "$log" 2>/dev/null && break
    kill -0 "$server_pid" 2>/dev/null || { cat "$log" >&2; exit 1; }
    sleep 0.1
  done
  echo "run: demo server $(grep '^READY' "$log" | cut -d' ' -f2) (log: $log)"
fi

gui="$build/app/quorvane"
if [ -x "$gui" ]; then
  "$gui"
elif [ -n "$server_pid" ]; then
  echo "run: the Quorvane window is not built yet; the demo server runs until Ctrl+C"
  wait "$server_pid"
else
  echo "run: the Quorvane window is not built yet" >&2
  exit 1
fi

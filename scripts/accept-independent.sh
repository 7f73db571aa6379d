#!/usr/bin/env bash
# Acceptance against an OPC UA server of another stack (node-opcua, from the npm registry):
# export, trust, security, scan history and comparison, as a user runs them. Not part of CI
# (it needs the registry); run by hand after ./scripts/test.sh has built build/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
quorvane="$root/build/app/quorvane"
server_dir="$root/tools/independent-server"
port="${PORT:-4850}"
url="opc.tcp://127.0.0.1:$port/indep"
work="$(mktemp -d)"
export XDG_DATA_HOME="$work/data" HOME="$work"
server_pid=""
stop_server() { if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; server_pid=""; fi; }
trap 'stop_server; rm -rf "$work"' EXIT

[ -x "$quorvane" ] || { echo "accept: build first (./scripts/test.sh)" >&2; exit 2; }
(cd "$server_dir" && [ -d node_modules ] || npm ci --no-audit --no-fund >/dev/null)

start_server() {  # $1: address-space variant (a, or b: one added, one removed, one retyped, one renumbered)
    node "$server_dir/server.js" "$port" "$1" >"$work/server.log" 2>&1 &
    server_pid=$!
    for _ in $(seq 100); do grep -q "listening" "$work/server.log" && return; sleep 0.2; done
    echo "accept: the server did not start" >&2; cat "$work/server.log" >&2; exit 1
}
fail() { echo "accept: FAILED: $*" >&2; exit 1; }
expect_rc() {  # expected command...
    local want="$1"; shift
    set +e; "$@" >"$work/out" 2>"$work/err"; local rc=$?; set -e
    [ "$rc" = "$want" ] || { cat "$work/err" >&2; fail "$* exited $rc, not $want"; }
}

start_server a
expect_rc 0 "$quorvane" --list-endpoints --url "$url"
grep -q "Basic256Sha256 SignAndEncrypt" "$work/out" || fail "no secure endpoint listed"

expect_rc 0 "$quorvane" --export "$work/a.csv" --url "$url"
/usr/bin/python3 - "$work/a.csv" <<'PY' || fail "csv export"
import csv, sys
rows = list(csv.DictReader(open(sys.argv[1], encoding="utf-8-sig")))
got = {r["RegAddress"]: r for r in rows}
for node, kind in [("ns=1;s=Temperature", "Double"), ("ns=1;s=Running", "Boolean"),
                   ("ns=1;s=Label", "String"), ("ns=1;i=1001", "Int32"), ("ns=1;s=Counter", "UInt32")]:
    assert got[node]["OpcUaType"] == kind and got[node]["Quality"] == "GOOD", (node, got.get(node))
assert got["ns=1;s=Label"]["Value"] == "Pump 1"
PY

# A secure channel to a server never trusted stops before anything is sent (exit 5) ...
expect_rc 5 "$quorvane" --export "$work/s.json" --format json --attributes --url "$url" \
    --policy Basic256Sha256 --mode "Sign & Encrypt"
fp="$(grep -o '[0-9A-F]\{2\}\(:[0-9A-F]\{2\}\)\{31\}' "$work/err" | head -1)"
[ -n "$fp" ] || fail "no fingerprint offered"
# ... another fingerprint is refused, the right one trusted and remembered.
expect_rc 5 "$quorvane" --export "$work/s.json" --url "$url" --policy Basic256Sha256 \
    --mode "Sign & Encrypt" --trust-server "$(printf '%064d' 0)"
expect_rc 0 "$quorvane" --export "$work/s.json" --format json --attributes --url "$url" \
    --policy Basic256Sha256 --mode "Sign & Encrypt" --trust-server "$fp"
expect_rc 0 "$quorvane" --export "$work/s.json" --format json --attributes --url "$url" \
    --policy Aes256_Sha256_RsaPss --mode "Sign & Encrypt"
/usr/bin/python3 - "$work/s.json" <<'PY' || fail "json export with attributes"
import json, sys
points = {p["RegAddress"]: p for p in json.load(open(sys.argv[1]))["points"]}
level = points["ns=1;s=Level"]
assert level["Historizing"] is True and level["MinimumSamplingInterval"] == 100, level
assert points["ns=1;s=Temperature"]["UserAccessLevel"] == 3
assert isinstance(points["ns=1;s=Temperature"]["Value"], float)
PY

# Live values: the counter the server changes every second, watched by subscription.
expect_rc 0 "$quorvane" --watch "ns=1;s=Counter" "ns=1;s=Level" --url "$url" --seconds 4 \
    --format json --sampling 500
/usr/bin/python3 - "$work/out" <<'PY' || fail "--watch"
import json, sys
lines = [json.loads(l) for l in open(sys.argv[1])]
counts = [l["value"] for l in lines if l["nodeId"] == "ns=1;s=Counter"]
assert len(counts) >= 3 and counts == sorted(counts) and len(set(counts)) == len(counts), counts
assert any(l["nodeId"] == "ns=1;s=Level" for l in lines)
assert all(l["quality"] == "GOOD" for l in lines)
PY
expect_rc 8 "$quorvane" --watch "ns=1;s=Nope" --url "$url" --seconds 2
grep -q "ns=1;s=Nope" "$work/err" || fail "an unknown NodeId is not named"

# Scan history: the same server changed between two scans.
echo "$url" >"$work/inventory.txt"
expect_rc 0 "$quorvane" --inventory "$work/inventory.txt" --export "$work/inv1.csv"
stop_server
start_server b
expect_rc 0 "$quorvane" --inventory "$work/inventory.txt" --export "$work/inv2.csv"
expect_rc 1 "$quorvane" --diff --url "$url"
for kind in "added	ns=1;s=Added" "removed	ns=1;s=Gone" "data type	ns=1;s=Pressure" \
            "renumbered	ns=1;i=2001"; do
    grep -q "$kind" "$work/out" || fail "diff lacks: $kind"
done
[ "$(wc -l <"$work/out")" = 4 ] || fail "diff has other changes: $(cat "$work/out")"
echo "accept: every check passed against $url"

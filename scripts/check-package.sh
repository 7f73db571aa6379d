#!/usr/bin/env bash
# CI: builds the Debian package and checks it as a user would meet it: its control data and files,
# lintian (no errors), then an install with apt, the installed programs run (--version, --help, a
# command-line export against the installed demo server), and a removal. Prints each check; any
# failure ends it with a non-zero status. Needs root or sudo for apt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}
step() { echo "check-package: $*"; }
fail() {
  echo "check-package: FAILED: $*" >&2
  exit 1
}

work=$(mktemp -d)
server_pid=""
installed_here=0
cleanup() {
  if [ -n "$server_pid" ]; then
    kill -TERM "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  if [ "$installed_here" = 1 ] && dpkg-query -W quorvane >/dev/null 2>&1; then
    as_root apt-get remove -y -q quorvane >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

step "building the package (scripts/package.sh)"
package=$(./scripts/package.sh | tail -n 1)
[ -f "$package" ] || fail "no package was built"
step "package: ${package#"$root"/} ($(stat -c %s "$package") bytes)"

# --- control data ---
step "dpkg-deb --info"
dpkg-deb --info "$package" | tee "$work/info"
field() { dpkg-deb --field "$package" "$1"; }
[ "$(field Package)" = quorvane ] || fail "Package is '$(field Package)', not quorvane"
version=$(field Version)
upstream=${version%-*}
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Section)" ] || fail "no Section"
depends=$(field Depends)
step "Depends: $depends"
for lib in libc6 libqt6widgets6 libqt6charts6 libopen62541-1.4 libboost-thread libxlsxwriter; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib"
done

# --- files ---
step "dpkg-deb --contents"
dpkg-deb --contents "$package" | tee "$work/contents"
expected=(
  ./usr/bin/quorvane
  ./usr/bin/quorvane-demo-server
  ./usr/share/applications/quorvane.desktop
  ./usr/share/man/man1/quorvane.1.gz
  ./usr/share/man/man1/quorvane-demo-server.1.gz
  ./usr/share/doc/quorvane/copyright
  ./usr/share/doc/quorvane/changelog.Debian.gz
)
for size in 16 24 32 48 64; do
  expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/quorvane.png")
done
for path in "${expected[@]}"; do
  awk '{print $6}' "$work/contents" | grep -qxF "$path" || fail "the package lacks $path"
  step "  has $path"
done
# Nothing secret travels in the package: each installation makes its own key.
if awk '{print $6}' "$work/contents" | grep -Eiq '\.(pem|der|key|p12|pfx)$'; then
  fail "the package carries key or certificate files"
fi

dpkg-deb -x "$package" "$work/root"
head_line=$(gzip -dc "$work/root/usr/share/doc/quorvane/changelog.Debian.gz" | head -n 1)
[ "$head_line" = "quorvane ($version) unstable; urgency=medium" ] ||
  fail "the changelog's latest entry '$head_line' is not version $version"
step "changelog names $version"
for page in quorvane quorvane-demo-server; do
  man_rc=0
  LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 \
    "$work/root/usr/share/man/man1/$page.1.gz" >"$work/$page.txt" 2>"$work/$page.warn" || man_rc=$?
  if [ "$man_rc" -ne 0 ] || [ -s "$work/$page.warn" ]; then
    cat "$work/$page.warn" >&2
    fail "man $page: warnings or failure"
  fi
  grep -q "quorvane $upstream" "$work/$page.txt" || fail "man $page does not name version $upstream"
done
step "manual pages render without warnings and name version $upstream"
for size in 16 24 32 48 64; do
  png="$work/root/usr/share/icons/hicolor/${size}x${size}/apps/quorvane.png"
  dims=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]) if d[:8]==b"\x89PNG\r\n\x1a\n" else "none")' "$png")
  [ "$dims" = "${size}x${size}" ] || fail "icon ${size}x${size} is $dims"
done
step "icons are PNG files of their directory's size"
desktop-file-validate "$work/root/usr/share/applications/quorvane.desktop" ||
  fail "desktop-file-validate"
step "desktop-file-validate: valid"

# --- lintian ---
step "lintian"
set +e
lintian --info --show-overrides --display-level ">=pedantic" "$package" >"$work/lintian" 2>&1
lintian_rc=$?
set -e
cat "$work/lintian"
if grep -q '^E: ' "$work/lintian"; then
  fail "lintian reports errors"
fi
step "lintian: $(grep -c '^E: ' "$work/lintian") errors, $(grep -c '^W: ' "$work/lintian") warnings (exit $lintian_rc)"

# --- install, run, remove ---
if dpkg-query -W -f='${Status}' quorvane 2>/dev/null | grep -q 'ok installed'; then
  step "removing an earlier quorvane first"
  as_root apt-get remove -y -q quorvane
fi
step "apt-get install -y $package"
installed_here=1
as_root apt-get install -y -q "$package"

step "/usr/bin/quorvane --version"
got=$(/usr/bin/quorvane --version)
echo "$got"
[ "$got" = "quorvane $upstream" ] || fail "--version printed '$got', not 'quorvane $upstream'"

step "/usr/bin/quorvane --help"
/usr/bin/quorvane --help >"$work/help" || fail "--help failed"
head -n 3 "$work/help"
grep -q -- '--export' "$work/help" || fail "--help does not name --export"

step "man -w quorvane"
man -w quorvane || fail "the manual page is not found"

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
step "starting /usr/bin/quorvane-demo-server on 127.0.0.1:$port"
/usr/bin/quorvane-demo-server --host 127.0.0.1 --port "$port" >"$work/server.out" 2>"$work/server.err" &
server_pid=$!
for _ in $(seq 1 100); do
  grep -q '^READY' "$work/server.out" 2>/dev/null && break
  kill -0 "$server_pid" 2>/dev/null || { cat "$work/server.err" >&2; fail "the demo server ended"; }
  sleep 0.1
done
grep -q '^READY' "$work/server.out" || fail "the demo server did not become ready"
cat "$work/server.out"

step "/usr/bin/quorvane --export demo.csv --url opc.tcp://127.0.0.1:$port --lang en"
export_rc=0
/usr/bin/quorvane --export "$work/demo.csv" --url "opc.tcp://127.0.0.1:$port" --lang en \
  >"$work/export.out" 2>"$work/export.err" || export_rc=$?
if [ "$export_rc" -ne 0 ]; then
  cat "$work/export.err" >&2
  fail "the export exited $export_rc"
fi
cat "$work/export.out"
rows=$(($(wc -l <"$work/demo.csv") - 1))
[ "$rows" -gt 0 ] || fail "the exported file holds no points"
grep -q "^$rows points" "$work/export.out" || fail "the result line does not say $rows points"
grep -q 'Plant' "$work/demo.csv" || fail "the exported file lacks the demo plant"
step "exported $rows points"

kill -TERM "$server_pid"
wait "$server_pid" || true
server_pid=""
step "demo server stopped"

step "apt-get remove -y quorvane"
as_root apt-get remove -y -q quorvane
installed_here=0
[ ! -e /usr/bin/quorvane ] || fail "/usr/bin/quorvane is still there after the removal"
[ ! -e /usr/share/applications/quorvane.desktop ] || fail "the desktop entry is still there"
step "removed"
# A private key the build made (a DER file openssl reads as a key) must not be inside a program:
# every installation of the package would share it.
step "no private key of the build inside the programs"
while IFS= read -r -d '' der; do
  openssl pkey -inform DER -in "$der" -noout 2>/dev/null || continue
  for program in quorvane quorvane-demo-server; do
    if python3 -c 'import sys; sys.exit(0 if open(sys.argv[1], "rb").read() in open(sys.argv[2], "rb").read() else 1)' \
      "$der" "$work/root/usr/bin/$program"; then
      fail "/usr/bin/$program carries the private key ${der#"$root"/}"
    fi
  done
done < <(find "$root/build-package" -name '*.der' -print0)
step "all checks passed"

#!/usr/bin/env bash
# Installs what Quorvane needs to build, test, package and run on Debian 12. Idempotent: it only touches
# apt when something is missing.
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  exec sudo -E "$0" "$@"
fi
export DEBIAN_FRONTEND=noninteractive

packages=(
  g++ cmake make pkg-config
  qt6-base-dev qt6-qpa-plugins
  libboost-thread-dev
  libgtest-dev libgmock-dev
  openssl
  python3-xlrd python3-olefile python3-xlwt python3-openpyxl
  libxlsxwriter-dev libsqlite3-dev libavahi-client-dev
  # Qt Charts for the trend window; its CMake files need the OpenGL module's.
  qt6-charts-dev libqt6opengl6-dev libqt6charts6
  qt6-translations-l10n
  fonts-wqy-microhei
  xvfb xauth
  dpkg-dev fakeroot gzip lintian desktop-file-utils man-db clang-format
)
trixie_packages=(libopen62541-1.4-dev)

missing() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
  done
}

# Debian 13 carries open62541 1.4; Debian 12 does not. Add it on the mirror this machine already
# uses, pinned low so that nothing but what we ask for comes from it.
add_trixie_source() {
  local list=/etc/apt/sources.list.d/quorvane-trixie.sources
  local pin=/etc/apt/preferences.d/quorvane-trixie
  local mirror=""
  if [ ! -f "$list" ]; then
    mirror=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
      awk '/^URIs:/ {u=$2} /^Suites:/ && /bookworm( |$)/ {print u; exit}')
    if [ -z "$mirror" ] && [ -f /etc/apt/sources.list ]; then
      mirror=$(awk '$1=="deb" && $3 ~ /^bookworm$/ {print $2; exit}' /etc/apt/sources.list)
    fi
    if [ -z "$mirror" ]; then
      echo "install-deps: no Debian bookworm source found in the apt sources" >&2
      exit 1
    fi
    cat > "$list" <<SRC
Types: deb
URIs: $mirror
Suites: trixie
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    need_update=1
  fi
  if [ ! -f "$pin" ]; then
    cat > "$pin" <<PIN
Package: *
Pin: release n=trixie
Pin-Priority: 100
PIN
    need_update=1
  fi
}

need_update=0
to_install=$(missing "${packages[@]}")
to_install_trixie=$(missing "${trixie_packages[@]}")
if [ -n "$to_install_trixie" ]; then
  add_trixie_source
fi
if [ -z "$to_install" ] && [ -z "$to_install_trixie" ]; then
  echo "install-deps: everything is installed"
  exit 0
fi

# Lists may be missing on a fresh machine or stale after a new source was added.
if [ "$need_update" = 1 ] || [ -z "$(ls -A /var/lib/apt/lists 2>/dev/null | grep -v -e lock -e partial)" ] ||
   ! apt-cache show ${to_install:-bash} >/dev/null 2>&1; then
  apt-get update -q
fi
if [ -n "$to_install" ]; then
  # shellcheck disable=SC2086
  apt-get install -y -q --no-install-recommends $to_install
fi
if [ -n "$to_install_trixie" ]; then
  # shellcheck disable=SC2086
  apt-get install -y -q --no-install-recommends -t trixie $to_install_trixie
fi
echo "install-deps: done"

#!/usr/bin/env bash
# Proves the Debian packages on a pristine Debian 12 (debootstrap minbase, nothing else):
# jxc installs with apt and pulls in what it needs, a normal user's jxc-host finds the installed
# module and saves a screenshot offscreen, both programs answer --version, the manual pages, the
# desktop entry and the icons are in place, jxc-dev brings the headers and a package config that
# names the installed module, and purging both leaves none of their files behind.
# Usage: scripts/test-package.sh [FOLDER]   FOLDER holds jxc_<version>_amd64.deb and
#        jxc-dev_<version>_amd64.deb; without it they are built with scripts/package.sh.
#        JXC_PACKAGE_SHOT=FILE keeps the installed program's screenshot there.
# Runs as root (debootstrap, chroot, mounts). The pristine root is built once and kept as a
# tarball under /tmp (the same one ../shared/tools/fresh-debian.sh keeps); each run unpacks a new
# copy and removes it at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
fail() { echo "test-package: FAIL: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || fail "must run as root (it builds and enters a Debian root)"

version=$(sed -n 's/^project(jxc_transfer VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no project version in CMakeLists.txt"
if [ $# -ge 1 ]; then
  dist=$(cd "$1" && pwd)
else
  dist=$(scripts/package.sh | tail -n 1) || fail "scripts/package.sh could not build the packages"
fi
deb="$dist/jxc_${version}_amd64.deb"
devdeb="$dist/jxc-dev_${version}_amd64.deb"
for f in "$deb" "$devdeb"; do [ -f "$f" ] || fail "$f is missing"; done
echo "test-package: $(basename "$deb") $(du -k "$deb" | cut -f1) kB, $(basename "$devdeb") $(du -k "$devdeb" | cut -f1) kB"
echo "test-package: jxc $(dpkg-deb -f "$deb" Depends | sed 's/^/Depends: /')"

CACHE=/tmp/fresh-debian-cache
tarball="$CACHE/bookworm-minbase.tar"
mirror=$(grep -hoE "https?://[^ ]+/debian/?" /etc/apt/sources.list /etc/apt/sources.list.d/*.sources 2>/dev/null | grep -v snapshot | head -1 || true)
[ -n "$mirror" ] || fail "no Debian mirror found in this machine's apt sources"
mkdir -p "$CACHE"
if [ ! -f "$tarball" ]; then
  command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -q debootstrap >/dev/null
  echo "test-package: making a pristine Debian 12 root (once; kept in $tarball)"
  tmp=$(mktemp -d "$CACHE/root.XXXXXX")
  debootstrap --variant=minbase bookworm "$tmp" "$mirror" >/dev/null
  # Written aside and renamed, so that a run beside this one never unpacks half a tarball.
  tar -C "$tmp" -cf "$tarball.$$" . && mv "$tarball.$$" "$tarball"
  rm -rf "$tmp"
fi

ROOT=$(mktemp -d /tmp/jxc-package-root.XXXXXX)
# The mounts live in a mount namespace of their own (below) and end with it, so from here the
# root is plain files: removing it can never reach this machine's /dev or /proc.
end_root_processes() {
  local p pids=()
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$ROOT" ] && pids+=("${p#/proc/}")
  done
  [ ${#pids[@]} -gt 0 ] || return 0
  kill "${pids[@]}" 2>/dev/null || true
  sleep 2
  kill -9 "${pids[@]}" 2>/dev/null || true
}
cleanup() { end_root_processes; rm -rf --one-file-system "$ROOT"; }
trap cleanup EXIT

tar -C "$ROOT" -xf "$tarball"
cp /etc/resolv.conf "$ROOT/etc/resolv.conf" 2>/dev/null || true
mkdir -p "$ROOT/jxc-test"
cp "$deb" "$devdeb" "$ROOT/jxc-test/"
chmod 755 "$ROOT/jxc-test"; chmod 644 "$ROOT/jxc-test/"*.deb # apt's download user reads them

cat >"$ROOT/jxc-test/inside.sh" <<'INSIDE'
#!/bin/bash
# Runs inside the pristine root as root; $1 is the version. Every check says what it found.
set -euo pipefail
version=$1
cd /jxc-test
fail() { echo "test-package: FAIL: $*" >&2; exit 1; }
ok() { echo "test-package: ok: $*"; }
export DEBIAN_FRONTEND=noninteractive
apt_install() { apt-get install -y -q --no-install-recommends "$@" >apt.log 2>&1 || { tail -n 30 apt.log >&2; return 1; }; }

apt-get update -q >apt.log 2>&1 || { tail -n 20 apt.log >&2; fail "apt-get update"; }
# Nothing but the package and what its Depends bring: recommends are left out on purpose.
apt_install "./jxc_${version}_amd64.deb" || fail "apt-get install ./jxc_${version}_amd64.deb"
ok "jxc $(dpkg-query -W -f='${Version}' jxc) installed with $(grep -c '^Setting up' apt.log) packages"
dpkg -L jxc | sort >files.jxc
# The platform plugins the windows and the screenshot need come with the Depends, unlisted.
for plugin in xcb offscreen; do
  [ -f "/usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libq$plugin.so" ] || fail "Qt's $plugin platform plugin was not installed"
done

useradd --create-home --shell /bin/bash clerk
# A clerk's session: a clean environment, its own home, no display.
as_clerk() {
  runuser -u clerk -- env -i HOME=/home/clerk USER=clerk PATH=/usr/bin:/bin LANG=C.UTF-8 \
    XDG_RUNTIME_DIR=/tmp/runtime-clerk QT_QPA_PLATFORM=offscreen "$@"
}
install -d -o clerk -g clerk -m 700 /tmp/runtime-clerk

# The module is found by default (no --module) in its installed folder; a new file becomes a demo
# database, which the screenshot shows.
[ -f /usr/lib/x86_64-linux-gnu/jxc/libjxc-transfer.so ] || fail "the module is not in /usr/lib/x86_64-linux-gnu/jxc/"
[ ! -e /usr/bin/libjxc-transfer.so ] || fail "a module beside the program would hide the installed one"
if ! as_clerk jxc-host --db /tmp/t.db --screenshot /tmp/s.png >host.log 2>&1; then
  cat host.log >&2; fail "jxc-host --screenshot failed"
fi
[ -f /tmp/s.png ] || { cat host.log >&2; fail "no screenshot /tmp/s.png"; }
sig=$(od -An -tx1 -N8 /tmp/s.png | tr -d ' \n')
[ "$sig" = 89504e470d0a1a0a ] || fail "/tmp/s.png is not a PNG (starts with $sig)"
size=$(stat -c %s /tmp/s.png)
width=$((16#$(od -An -tx1 -j16 -N4 /tmp/s.png | tr -d ' \n')))
height=$((16#$(od -An -tx1 -j20 -N4 /tmp/s.png | tr -d ' \n')))
# A window of grids and toolbars full of text; an empty or blank window compresses far smaller.
[ "$size" -gt 20000 ] || fail "the screenshot is only $size bytes"
[ "$width" -ge 640 ] && [ "$height" -ge 400 ] || fail "the screenshot is only ${width}x${height}"
ok "screenshot ${width}x${height}, $size bytes"
cp /tmp/s.png /jxc-test/screenshot.png
[ "$(stat -c %U /tmp/t.db)" = clerk ] || fail "the demo database was not made by the clerk"
# The Chinese texts need a CJK font that fontconfig finds.
fc-list :lang=zh family | grep -qi wenquanyi || fail "no CJK font for Chinese text (fc-list :lang=zh: $(fc-list :lang=zh family | head -n 3))"
ok "CJK font: $(fc-list :lang=zh family | head -n 1)"

for prog in jxc-host jxc-admin; do
  if out=$(as_clerk "$prog" --version 2>&1); then
    echo "$out" | grep -qx "$prog $version" || fail "$prog --version printed \"$out\", not \"$prog $version\""
    ok "$prog --version: $out"
  else
    fail "$prog --version exited $? with: $out"
  fi
  out=$(as_clerk "$prog" --help 2>&1) || fail "$prog --help failed: $out"
  echo "$out" | grep -q -- "--db" || fail "$prog --help does not list --db"
done

# The tools for the remaining checks, installed only now, so that the checks above ran with the
# package's own dependencies alone.
apt_install man-db desktop-file-utils || fail "installing man-db and desktop-file-utils"
for page in jxc-host jxc-admin; do
  path=$(man -w "$page") || fail "man -w $page finds no page"
  [ "$path" = "/usr/share/man/man1/$page.1.gz" ] || fail "man -w $page: $path"
  text=$(MANWIDTH=100 man -P cat "$page" 2>man.err) || { cat man.err >&2; fail "man $page does not render"; }
  echo "$text" | grep -q -- "--version" || fail "man $page does not mention --version"
  ok "man page $path"
done
desktop-file-validate /usr/share/applications/jxc.desktop || fail "jxc.desktop does not validate"
grep -qx 'Exec=jxc-host' /usr/share/applications/jxc.desktop || fail "jxc.desktop does not run jxc-host"
ok "desktop entry validates"
for n in 16 32 48 64 128 256; do
  png=/usr/share/icons/hicolor/${n}x${n}/apps/jxc.png
  [ -f "$png" ] || fail "$png is missing"
  w=$((16#$(od -An -tx1 -j16 -N4 "$png" | tr -d ' \n'))); h=$((16#$(od -An -tx1 -j20 -N4 "$png" | tr -d ' \n')))
  [ "$w" = "$n" ] && [ "$h" = "$n" ] || fail "$png is ${w}x${h}"
done
grep -q '<svg' /usr/share/icons/hicolor/scalable/apps/jxc.svg || fail "no scalable icon"
ok "icons: scalable and 16 to 256"
for f in deploy-server.md copyright; do [ -s "/usr/share/doc/jxc/$f" ] || fail "/usr/share/doc/jxc/$f is missing"; done
ok "documentation in /usr/share/doc/jxc"

apt_install "./jxc-dev_${version}_amd64.deb" || fail "apt-get install ./jxc-dev_${version}_amd64.deb"
dpkg -L jxc-dev | sort >files.jxc-dev
for h in plugin/FactoryIntf.h plugin/DllWindowIntf.h platform/core/Dataset.h; do
  [ -f "/usr/include/jxc/$h" ] || fail "header /usr/include/jxc/$h is missing"
done
config=/usr/lib/x86_64-linux-gnu/cmake/JxcTransfer/JxcTransferConfig.cmake
[ -f "$config" ] || fail "$config is missing"
# The package config must name the module where the runtime package put it.
module=$(sed -n 's/^set_and_check(JxcTransfer_MODULE "${PACKAGE_PREFIX_DIR}\(.*\)")$/\/usr\1/p' "$config")
[ -n "$module" ] && [ -f "$module" ] || fail "the package config names the module as \"$module\", which is not there"
ok "jxc-dev: headers, package config naming $module"

apt-get purge -y -q jxc-dev jxc >apt.log 2>&1 || { tail -n 20 apt.log >&2; fail "apt-get purge"; }
left=$(dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' jxc jxc-dev 2>/dev/null | grep -v '^un' || true)
[ -z "$left" ] || fail "dpkg still knows: $left"
remains=()
while read -r f; do
  [ "$f" = /. ] && continue
  if [ -d "$f" ] && [ ! -L "$f" ]; then
    # A folder may stay when another package still has it.
    dpkg-query -S "$f" >/dev/null 2>&1 || remains+=("$f/")
  elif [ -e "$f" ] || [ -L "$f" ]; then
    remains+=("$f")
  fi
done < <(sort -u files.jxc files.jxc-dev)
[ ${#remains[@]} -eq 0 ] || fail "left after purge: ${remains[*]}"
ok "purged: none of the $(sort -u files.jxc files.jxc-dev | wc -l) listed paths remain"
INSIDE
chmod 755 "$ROOT/jxc-test/inside.sh"

echo "test-package: installing in a pristine Debian 12 root ($ROOT)"
# proc and dev for apt and Qt, in a private mount namespace that ends with the command.
unshare --mount --propagation private -- /bin/bash -c '
  set -e
  mount -t proc proc "$1/proc"
  mount --rbind /dev "$1/dev"
  chroot "$1" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
    /bin/bash /jxc-test/inside.sh "$2"' inside "$ROOT" "$version" || fail "see the lines above"
# $JXC_PACKAGE_SHOT: where to keep the installed program's screenshot, to look at.
if [ -n "${JXC_PACKAGE_SHOT:-}" ]; then cp "$ROOT/jxc-test/screenshot.png" "$JXC_PACKAGE_SHOT"; fi
echo "test-package: passed"

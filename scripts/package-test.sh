#!/usr/bin/env bash
# Makes the Debian package from the build in build/ (or $CORVANE_BUILD_DIR),
# checks what it holds and that every package it depends on is one Debian 12
# offers, installs it, runs the installed program (--version, --help, a bad
# directory, a start on an empty shared directory) and removes it again.
# As root the package is installed with dpkg; otherwise it is unpacked into
# a temporary folder and the program is run from there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANE_BUILD_DIR:-$root/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package-test: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null) || fail "cpack failed"
deb=$(ls "$work"/out/corvane-admin_*.deb)
echo "package-test: built $(basename "$deb")"

contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/corvane-admin \
         ./usr/share/applications/org.corvane.Admin.desktop \
         ./usr/share/metainfo/org.corvane.Admin.metainfo.xml \
         ./usr/share/icons/hicolor/scalable/apps/org.corvane.Admin.svg \
         ./usr/share/icons/hicolor/48x48/apps/org.corvane.Admin.png \
         ./usr/share/icons/hicolor/256x256/apps/org.corvane.Admin.png \
         ./usr/share/doc/corvane-admin/LICENSE; do
  grep -q " $f\$" <<<"$contents" || fail "the package lacks $f"
done

# Every dependency must be a package the system's archive knows.
depends=$(dpkg-deb -f "$deb" Depends)
[ -n "$depends" ] || fail "the package names no dependencies"
for dep in $(tr ',' '\n' <<<"$depends" | sed 's/(.*)//; s/|.*//' | tr -d ' '); do
  apt-cache show "$dep" >/dev/null 2>&1 || fail "dependency $dep is not a known package"
done
echo "package-test: depends on $depends"

if [ "$(id -u)" -eq 0 ] && ! dpkg-query -W corvane-admin >/dev/null 2>&1; then
  dpkg -i "$deb" >/dev/null || fail "dpkg -i failed"
  trap 'dpkg -r corvane-admin >/dev/null 2>&1; rm -rf "$work"' EXIT
  prefix=/usr
  echo "package-test: installed with dpkg"
else
  dpkg-deb -x "$deb" "$work/root"
  prefix=$work/root/usr
  echo "package-test: unpacked into $work/root (not root, or a copy is installed already)"
fi
program=$prefix/bin/corvane-admin

version=$("$program" --version)
[ "$version" = "corvane-admin $(sed -n 's/^project(CorvaneAdmin VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")" ] \
  || fail "--version said '$version'"
"$program" --help | grep -q -- '--share DIR' || fail "--help does not name --share"
status=0
"$program" "$work/no-such-directory" 2>"$work/err" || status=$?
[ "$status" -eq 2 ] && grep -q "no such directory" "$work/err" || fail "a missing directory gave status $status"

# The program starts on an empty shared directory and keeps running until
# it is told to stop; a failed start would end it first.
mkdir -p "$work/share" "$work/settings"
status=0
CORVANE_SETTINGS_DIR=$work/settings QT_QPA_PLATFORM=offscreen \
  timeout 5 "$program" --share "$work/share" >"$work/run.log" 2>&1 || status=$?
[ "$status" -eq 124 ] || { cat "$work/run.log" >&2; fail "the program ended with status $status instead of running"; }

if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --explain "$prefix/share/metainfo/org.corvane.Admin.metainfo.xml" >"$work/as.log" 2>&1 \
    || { cat "$work/as.log" >&2; fail "the metainfo file does not validate"; }
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/org.corvane.Admin.desktop" || fail "the desktop entry does not validate"
fi
echo "package-test: passed"

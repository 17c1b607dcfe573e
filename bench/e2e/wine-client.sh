#!/usr/bin/env bash
# The tool's writer against a real Win32 client: a MinGW-built program that
# calls WritePrivateProfileStringA, run under Wine, and two of them against
# each other. Needs the Debian packages wine64 and gcc-mingw-w64-x86-64-win32
# (not installed by scripts/install-deps.sh: Wine is large and its start-up
# is slow and uneven, so this stays out of CI).
#   bash bench/e2e/wine-client.sh [build dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-${CORVANE_BUILD_DIR:-$root/build}}
for tool in wine x86_64-w64-mingw32-gcc; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: apt-get install wine64 gcc-mingw-w64-x86-64-win32" >&2; exit 2; }
done
work="$build/wine-client"
mkdir -p "$work"
x86_64-w64-mingw32-gcc -O2 -o "$work/win32_client.exe" "$root/bench/e2e/win32_client.c"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
# The first start sets the prefix up (tens of seconds); do it before timing anything.
wine "$work/win32_client.exe" "Z:${work//\//\\}\\warmup.ini" w 1 0 >/dev/null
cmake --build "$build" --target bench_lockless
CORVANE_WIN32_CLIENT="wine $work/win32_client.exe" \
  "$build/bench/e2e/bench_lockless" --benchmark_filter=win32

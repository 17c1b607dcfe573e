#!/usr/bin/env bash
# Installs what is missing, builds, writes a demo shared directory and starts
# the tool on it. The run keeps its settings in build/demo/settings, so the
# administrator's own settings are never read or changed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANE_BUILD_DIR:-$root/build}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "There is no display to show the tool on (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  echo "Run it on a desktop session, or under a virtual X server:" >&2
  echo "    xvfb-run -a bash scripts/run-demo.sh" >&2
  exit 2
fi

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"

demo="$build/demo"
share="$demo/share"
settings="$demo/settings"
mkdir -p "$demo"
rm -rf "$share" "$settings"
mkdir -p "$share" "$settings/user" "$settings/system"

"$build/tools/demoshare/corvane-demo-share" "$share"

# Private settings locations for this run, for the machine and the user.
export CORVANE_SETTINGS_DIR="$settings"
mkdir -p "$settings/system/Corvane"
printf '[General]\nShareDirectory=%s\n' "$share" > "$settings/system/Corvane/Admin.ini"

# Simulated clients log on and off, take up requests and answer log
# requests while the tool watches, so the list changes as you look at it.
# They write their files as the Windows clients do: read, truncate and
# rewrite in place, with no lock.
"$build/tools/simulator/corvane-simulator" --share "$share" --clients 40 --rate 0.2 \
  --logoff-percent 15 --seed 1 --writes inplace > "$demo/simulator.log" 2>&1 &
simulator=$!
trap 'kill -TERM "$simulator" 2>/dev/null; wait "$simulator" 2>/dev/null' EXIT

echo "Demo shared directory: $share (simulated clients: $demo/simulator.log)"
case "${XAUTHORITY:-}" in
  */xvfb-run.*)
    echo "Running under xvfb-run: the window is on a virtual screen nobody sees."
    echo "Stop the demo with Ctrl+C. To look at the window instead, run:"
    echo "    QT_QPA_PLATFORM=offscreen $build/tools/screenshot/corvane-screenshot $share /tmp/corvane-demo.png"
    ;;
  *)
    echo "Stop the demo by closing the tool's window (File > Exit, Ctrl+Q) or with Ctrl+C here."
    ;;
esac
"$build/corvane-admin" "$@"

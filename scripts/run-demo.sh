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

if [ -x "$build/tools/demoshare/corvane-demo-share" ]; then
  "$build/tools/demoshare/corvane-demo-share" "$share"
else
  printf '[Users]\r\nalice=Alice Martin\r\nbob=Bob Durand\r\n' > "$share/Users.ini"
fi

# Private settings locations for this run: user scope and system scope.
export XDG_CONFIG_HOME="$settings/user"
export XDG_CONFIG_DIRS="$settings/system"
mkdir -p "$XDG_CONFIG_DIRS/Corvane"
printf '[General]\nShareDirectory=%s\n' "$share" > "$XDG_CONFIG_DIRS/Corvane/Admin.conf"

echo "Demo shared directory: $share"
exec "$build/corvane-admin" "$@"

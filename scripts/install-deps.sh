#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Safe to run again: it asks apt only for what is missing.
set -euo pipefail

# Each line says what needs it.
packages=(
  # the compiler, dpkg-shlibdeps for the package's dependencies, the build
  build-essential cmake ninja-build
  # Qt's CMake files find some X11 libraries through pkg-config
  pkg-config
  # Qt 6; libgl-dev because Qt's GUI module asks for the OpenGL headers
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  # bench/
  libbenchmark-dev
  # xvfb-run (needs xauth) for the demo without a screen; a font for the
  # offscreen tests and screenshots
  xvfb xauth fonts-dejavu-core
  # the profile-file vectors' checker (tools/iniop's README section)
  python3
  # scripts/package-test.sh checks the desktop entry and the metainfo file
  desktop-file-utils appstream
  # scripts/hardening.sh: the sanitizer and fuzzing builds
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: every package is installed"
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then sudo="sudo"; else
    echo "install-deps: these packages are missing and I am not root: ${missing[*]}" >&2
    exit 1
  fi
fi

echo "install-deps: installing ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"

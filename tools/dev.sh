#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds, and then starts the program, runs
# every test, or runs every test under the sanitizers.
# Usage: bash tools/dev.sh run | test | sanitize
set -euo pipefail
cd "$(dirname "$0")/.."

# Build and run: compiler, Qt, Qt's Russian texts, a font with Cyrillic.
# The plan window exports SVG (Qt SVG) and prints (Qt PrintSupport, in qt6-base-dev);
# the building's tables are written as .xlsx workbooks by libxlsxwriter and
# the plan's DXF drawing through dxflib, both found with pkg-config (pkgconf).
# libxlsxwriter's pkg-config file names -lz, but its -dev package does not
# bring zlib's: zlib1g-dev is listed for it.
packages=(cmake g++ make pkgconf qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl-dev fonts-dejavu-core
          libxlsxwriter-dev zlib1g-dev libdxflib-dev)
if [ "${1:-run}" != run ]; then
  # Tests also check the layers of the includes (python3), the formatting
  # (clang-format), the desktop files, the Debian package and what a screen
  # reader reads of the window.
  # The PDFs are read back with pdftotext (poppler-utils), the workbooks
  # unpacked with unzip; a Russian C library locale is made from locales.
  packages+=(python3 clang-format poppler-utils unzip locales desktop-file-utils appstream dpkg-dev file
             xvfb xauth dbus-daemon at-spi2-core python3-pyatspi)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

mode="${1:-run}"
jobs=$(nproc)
case "$mode" in
  run)
    cmake --preset default
    cmake --build --preset default -j"$jobs"
    exec ./build/loudspeaker-planner ;;
  test)
    cmake --preset default
    cmake --build --preset default -j"$jobs"
    ctest --preset default -j"$jobs" ;;
  sanitize)
    # The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer;
    # any report fails the run. strndup is not intercepted: the X11 keymap
    # library calls it on a counted name inside an X reply that is not
    # NUL-terminated, which the strict string checks report as a read past
    # the reply. Our own code has no strndup.
    cmake --preset sanitize
    cmake --build --preset sanitize -j"$jobs"
    ctest --preset sanitize -j"$jobs" ;;
  *) echo "usage: $0 run|test|sanitize" >&2; exit 2 ;;
esac

#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds, and then starts the program or runs
# every test.  Usage: bash tools/dev.sh run | test
set -euo pipefail
cd "$(dirname "$0")/.."

# Build and run: compiler, Qt, Qt's Russian texts, a font with Cyrillic.
packages=(cmake g++ make qt6-base-dev qt6-translations-l10n libgl-dev fonts-dejavu-core)
if [ "${1:-run}" != run ]; then
  # Tests also check the desktop files, the Debian package and what a
  # screen reader reads of the window.
  packages+=(desktop-file-utils appstream dpkg-dev file
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
if [ "$mode" = sanitize ]; then
  # The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer;
  # any report fails the run.
  flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
  cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
  cmake --build build-sanitize -j"$(nproc)"
  cd build-sanitize
  # intercept_strndup=0: the X11 keymap library calls strndup on a counted
  # name inside an X reply that is not NUL-terminated, which the strict string
  # checks report as a read past the reply. Our own code has no strndup.
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:intercept_strndup=0"
  export LSAN_OPTIONS="suppressions=$PWD/../tools/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  exec env QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" -LE package
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"

case "$mode" in
  run)  exec ./build/loudspeaker-planner ;;
  test) cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" ;;
  *)    echo "usage: $0 run|test|sanitize" >&2; exit 2 ;;
esac

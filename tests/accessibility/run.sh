#!/usr/bin/env bash
# Starts the program under Xvfb with the accessibility bus, as a screen
# reader would find it, and reads its windows through AT-SPI: the main
# window, then the "Линия" and "План" windows, which check_window.py opens
# through the menu.
# Usage: run.sh <path to loudspeaker-planner>
set -euo pipefail
program=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
for tool in Xvfb dbus-run-session /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi missing"; exit 77; }

exec dbus-run-session -- bash -c '
  set -u
  display=":$((100 + RANDOM % 800))"
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=$display
  /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
  bus=$!
  sleep 1
  export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
  workdir=$(mktemp -d)
  (cd "$workdir" && exec "$0") &
  app=$!
  /usr/bin/python3 "${CHECK:-$1}"
  rc=$?
  kill $app $bus $xvfb 2>/dev/null
  wait 2>/dev/null
  rm -rf "$workdir"
  exit $rc
' "$program" "$here/check_window.py"

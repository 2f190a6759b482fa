#!/usr/bin/env bash
# Renders the real window after start-up into docs/window.png.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build >/dev/null
cmake --build build --target window-screenshot -j"$(nproc)"
QT_QPA_PLATFORM=offscreen ./build/window-screenshot docs/window.png
echo "docs/window.png written"

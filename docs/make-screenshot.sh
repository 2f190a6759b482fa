#!/usr/bin/env bash
# Renders the real windows into docs/: the main window after start-up
# (window.png), the "Линия" window with the first worked line and the
# start-up calculation (line.png), the plan of a 30 x 12 m room with
# ceiling loudspeakers in rows (plan.png) and its level map
# (plan-level-ceiling.png), the level map of a 24 x 12 m hall with square
# horns on two walls (plan-level-horn.png), and the "Объект" window with a
# school of 15 rooms (object.png). Russian number format.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default --target window-screenshot line-screenshot plan-screenshot project-screenshot -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
./build/tools/window-screenshot docs/window.png
LANG=ru_RU.UTF-8 ./build/tools/line-screenshot docs/line.png
./build/tools/plan-screenshot docs/plan.png ceiling ru
./build/tools/plan-screenshot docs/plan-level-ceiling.png ceiling ru level
./build/tools/plan-screenshot docs/plan-level-horn.png hornhall ru level
LANG=ru_RU.UTF-8 ./build/tools/project-screenshot docs/object.png
echo "docs/window.png, docs/line.png, docs/plan.png, docs/plan-level-ceiling.png, docs/plan-level-horn.png" \
  "and docs/object.png written"

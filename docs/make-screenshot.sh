#!/usr/bin/env bash
# Renders the real windows into docs/: the main window after start-up
# (window.png), the "Линия" window with the first worked line and the
# start-up calculation (line.png; line-c.png with the "." of the C locale),
# the plan of a 30 x 12 m room with ceiling loudspeakers in rows (plan.png;
# plan-c.png with ".") and its level map (plan-level-ceiling.png), the level
# map of a 24 x 12 m hall with square horns on two walls
# (plan-level-horn.png), a 20 x 10 m room with wall loudspeakers on two walls
# after "Подобрать по уровню" (plan-fit.png), the speech intelligibility of the 30 x 12 m room
# under an acoustic ceiling over carpet (plan-sti-dry.png) and in concrete
# (plan-sti-reverberant.png), and the "Объект" window with a school of 15 rooms
# on six lines: its tabs (object.png, object-lines.png, object-equipment.png),
# its rooms after "Подобрать по уровню" (object-fit.png) and their
# intelligibility (object-sti.png)
# and the first page of its PDF (object-pdf.png), and its floor view of a
# school floor imported from a DXF plan (object-floor.png), the same floor
# tinted by intelligibility (object-floor-sti.png) and the import dialog
# (object-import.png). Russian number format
# where not said otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default --target window-screenshot line-screenshot plan-screenshot project-screenshot floor-screenshot -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
./build/tools/window-screenshot docs/window.png
LANG=ru_RU.UTF-8 ./build/tools/line-screenshot docs/line.png
LANG=C.UTF-8 ./build/tools/line-screenshot docs/line-c.png
./build/tools/plan-screenshot docs/plan.png ceiling ru
./build/tools/plan-screenshot docs/plan-c.png ceiling c
./build/tools/plan-screenshot docs/plan-level-ceiling.png ceiling ru level
./build/tools/plan-screenshot docs/plan-level-horn.png hornhall ru level
./build/tools/plan-screenshot docs/plan-fit.png wall ru fit
./build/tools/plan-screenshot docs/plan-sti-dry.png ceiling ru sti-dry
./build/tools/plan-screenshot docs/plan-sti-reverberant.png ceiling ru sti-reverberant
./build/tools/plan-screenshot docs/plan-shape-l.png corridor ru
./build/tools/plan-screenshot docs/plan-shape-round.png roundhall ru
./build/tools/plan-screenshot docs/plan-shape-round-level.png roundhall ru level
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
LANG=ru_RU.UTF-8 ./build/tools/project-screenshot docs/object.png docs/object-lines.png docs/object-equipment.png \
  "$work/object.pdf" docs/object-fit.png docs/object-sti.png
LANG=ru_RU.UTF-8 ./build/tools/floor-screenshot docs/object-floor.png docs/object-import.png docs/object-floor-sti.png
pdftoppm -png -r 60 -f 1 -l 1 -singlefile "$work/object.pdf" docs/object-pdf
echo "docs/window.png, docs/line.png, docs/line-c.png, docs/plan.png, docs/plan-c.png,"
echo "docs/plan-level-ceiling.png, docs/plan-level-horn.png, docs/plan-fit.png, docs/plan-shape-l.png, docs/plan-shape-round.png,"
echo "docs/plan-sti-dry.png, docs/plan-sti-reverberant.png, docs/plan-shape-round-level.png, docs/object.png,"
echo "docs/object-lines.png, docs/object-equipment.png, docs/object-fit.png, docs/object-sti.png, docs/object-pdf.png, docs/object-floor.png and"
echo "docs/object-floor-sti.png and docs/object-import.png written"

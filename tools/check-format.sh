#!/usr/bin/env bash
# Fails when a C++ source of the project differs from what .clang-format
# makes of it, and names the files.
# Usage: check-format.sh [clang-format]
set -euo pipefail
cd "$(dirname "$0")/.."
formatter=${1:-clang-format}
mapfile -t sources < <(find app bench calc catalogue fuzz line output plan project room tests tools widgets \
                            -name '*.cpp' -o -name '*.h' 2>/dev/null | sort)
unformatted=()
for file in "${sources[@]}"; do
  "$formatter" --style=file --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
echo "${#sources[@]} sources checked, ${#unformatted[@]} not formatted"
if [ ${#unformatted[@]} -gt 0 ]; then
  printf '  %s\n' "${unformatted[@]}"
  echo "format them with: clang-format -i <file>"
  exit 1
fi

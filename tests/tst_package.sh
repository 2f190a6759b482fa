#!/usr/bin/env bash
# Builds the Debian package from a built tree, unpacks it into a temporary
# folder, checks its files and fields, and starts the program from there.
# Usage: tst_package.sh <build folder> <desktop id> [cpack]
# Exits 77 (skipped) when the Debian tools are not installed.
set -euo pipefail

build=$(cd "$1" && pwd)
id=$2
cpack=${3:-cpack}

for tool in dpkg-deb dpkg-shlibdeps file timeout "$cpack"; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (packages dpkg-dev, file, coreutils)"
    exit 77
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Package into the temporary folder, so that the build folder stays as it was.
if ! (cd "$build" && "$cpack" -G DEB -B "$work/out" --config CPackConfig.cmake) >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack -G DEB"
  exit 1
fi
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { cat "$work/cpack.log"; echo "FAIL: expected one .deb, got: ${debs[*]}"; exit 1; }
deb=${debs[0]}
echo "package: $(basename "$deb")"

# Fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = loudspeaker-planner ] || fail "Package is '$(field Package)'"
depends=$(field Depends)
echo "Depends: $depends"
for dependency in libqt6widgets6 libqt6gui6 libqt6core6 libxlsxwriter4 qt6-translations-l10n fonts-dejavu-core; do
  grep -Eq "(^|, )$dependency( |,|$)" <<<"$depends" || fail "Depends lacks $dependency"
done
[ "$(field Maintainer)" = "loudspeaker-planner authors" ] || fail "Maintainer is '$(field Maintainer)'"
[ -n "$(field Section)" ] || fail "no Section"
[ -n "$(field Description)" ] || fail "no Description"

# Every file lies under /usr and nothing of the build (tests, tools) came along.
while read -r path; do
  case "$path" in
    ./ | ./usr/*) ;;
    *) fail "unexpected path in the package: $path" ;;
  esac
done < <(dpkg-deb -c "$deb" | awk '{print $6}')
executables=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -c '^./usr/bin/.' || true)
[ "$executables" -eq 1 ] || fail "expected one file in /usr/bin, found $executables"

# Files.
root="$work/root"
dpkg-deb -x "$deb" "$root"
expected=(
  usr/bin/loudspeaker-planner
  "usr/share/applications/$id.desktop"
  "usr/share/metainfo/$id.metainfo.xml"
  "usr/share/mime/packages/$id.xml"
  "usr/share/icons/hicolor/scalable/apps/$id.svg"
  "usr/share/icons/hicolor/32x32/apps/$id.png"
  usr/share/doc/loudspeaker-planner/copyright
)
for path in "${expected[@]}"; do
  [ -s "$root/$path" ] || fail "missing or empty: /$path"
done
[ -x "$root/usr/bin/loudspeaker-planner" ] || fail "/usr/bin/loudspeaker-planner is not executable"

# Project files open with the program: the desktop entry names the MIME
# type the shared-mime-info file gives *.lsplan.
grep -qx 'MimeType=application/x-loudspeaker-planner-object;' "$root/usr/share/applications/$id.desktop" \
  || fail "the desktop entry names no MIME type"
grep -q '<glob pattern="\*.lsplan"/>' "$root/usr/share/mime/packages/$id.xml" || fail "no *.lsplan in the MIME file"

# The PNG is a 32 x 32 image: the width and height of its IHDR chunk.
png="$root/usr/share/icons/hicolor/32x32/apps/$id.png"
if [ -s "$png" ]; then
  signature=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
  [ "$signature" = 89504e470d0a1a0a ] || fail "the 32x32 icon is not a PNG"
  size=$(od -An -tu4 --endian=big -j16 -N8 "$png" | xargs)
  [ "$size" = "32 32" ] || fail "the 32x32 icon measures $size"
fi

# The desktop entry starts the packaged program with the packaged icon.
desktop="$root/usr/share/applications/$id.desktop"
if [ -s "$desktop" ]; then
  grep -qx 'Exec=loudspeaker-planner %f' "$desktop" || fail "the desktop entry does not run loudspeaker-planner with a file"
  grep -qx "Icon=$id" "$desktop" || fail "the desktop entry does not name the icon $id"
fi

# The installed tree as a software centre reads it: metainfo, desktop entry
# and icon belong together.
if command -v appstreamcli >/dev/null; then
  if ! appstreamcli validate-tree --no-net --explain "$root" >"$work/tree.log" 2>&1 ||
     grep -Eq '^(E|W|I): ' "$work/tree.log"; then
    cat "$work/tree.log"
    fail "appstreamcli validate-tree"
  fi
fi

# The program starts from the unpacked package and keeps running until it
# is closed: timeout ends it after 3 s with 124; anything else is a crash or
# an early exit.
mkdir "$work/run"
set +e
(cd "$work/run" && QT_QPA_PLATFORM=offscreen timeout 3 "$root/usr/bin/loudspeaker-planner") >"$work/run.log" 2>&1
status=$?
set -e
if [ "$status" -ne 124 ]; then
  cat "$work/run.log"
  fail "the packaged program ended with $status instead of running until stopped"
fi
[ -z "$(ls -A "$work/run")" ] || fail "the program wrote files at start-up: $(ls -A "$work/run")"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "package test passed"

#!/usr/bin/env bash
# Runs `bash tools/dev.sh test` on a pristine Debian 12: a minimal bookworm
# made by debootstrap in a temporary folder, with nothing installed but what
# debootstrap's minbase brings. Nothing is cached between runs, so a build or
# test package that dev.sh forgets to install always shows here.
# Usage: bash tools/pristine.sh            (as root; installs debootstrap)
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$(pwd)
started=$(date +%s)

if [ "$(id -u)" -ne 0 ]; then
  echo "tools/pristine.sh: must run as root (debootstrap and chroot)" >&2
  exit 1
fi
if ! command -v debootstrap >/dev/null; then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends debootstrap
fi

# The mirror the machine itself uses, so that the chroot reaches the same one.
mirror=http://deb.debian.org/debian
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
  found=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources)
  [ -n "$found" ] && mirror=$found
fi

root=$(mktemp -d /var/tmp/pristine.XXXXXX)
mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount -l "${mounted[$i]}" 2>/dev/null || true
  done
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT

echo "pristine: debootstrap --variant=minbase bookworm into $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 || {
  tail -n 30 "$root.log"
  rm -f "$root.log"
  exit 1
}
rm -f "$root.log"
# The same archive suites as the machine: the release, its updates and its
# security fixes.
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
  cp /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/"
  rm -f "$root/etc/apt/sources.list"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true

for fs in proc sys dev dev/pts; do
  mkdir -p "$root/$fs"
  case $fs in
    proc) mount -t proc proc "$root/proc" ;;
    sys) mount -t sysfs sysfs "$root/sys" ;;
    dev) mount --bind /dev "$root/dev" ;;
    dev/pts) mount -t devpts devpts "$root/dev/pts" ;;
  esac
  mounted+=("$root/$fs")
done
mount -t tmpfs tmpfs "$root/dev/shm" && mounted+=("$root/dev/shm")

# The project's tracked files only, as a fresh clone has them.
mkdir -p "$root/src"
if git -C "$source_dir" rev-parse --git-dir >/dev/null 2>&1; then
  git -C "$source_dir" ls-files -z | tar -C "$source_dir" --null -T - -cf - | tar -C "$root/src" -xf -
else
  tar -C "$source_dir" --exclude='./build*' -cf - . | tar -C "$root/src" -xf -
fi

echo "pristine: bash tools/dev.sh test inside the chroot"
chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  bash -c 'cd /src && bash tools/dev.sh test'
echo "pristine: passed in $(($(date +%s) - started)) s"

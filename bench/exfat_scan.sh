#!/usr/bin/env bash
# Throughput of the exFAT Standard search against `cat IMAGE >/dev/null` on
# the same file in the same run.
#
#   bench/exfat_scan.sh [SIZE_GIB] [TOP_FOLDERS] [SUB_FOLDERS]
#
# Builds a Release tree under build-exfat/bench-release with the benchmarks,
# makes a sparse exFAT image of SIZE_GIB GiB (default 4) with mkfs.exfat,
# writes TOP_FOLDERS x SUB_FOLDERS folders (default 20 x 50) through
# exfat-fuse on a loop device (run as root), then quick-formats it again so
# that the lost-folder scan has folders to find, times `cat`, then the walk
# and the scan, and prints each phase's time and its throughput as a ratio to
# cat's (goal: at least 0.8). Scratch files live in a mktemp folder under /tmp.
set -euo pipefail

SIZE_GIB=${1:-4}
TOP=${2:-20}
SUB=${3:-50}
REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${DATREVO_BENCH_BUILD:-$REPO/build-exfat/bench-release}
WORK=$(mktemp -d /tmp/vd-exfatbench.XXXXXX)
MNT=$WORK/mnt
LOOP=""
cleanup() {
  if mountpoint -q "$MNT" 2>/dev/null; then umount "$MNT" || true; fi
  if [ -n "$LOOP" ]; then losetup -d "$LOOP" || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT
mkdir -p "$MNT"

cmake -S "$REPO" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDATREVO_BUILD_GUI=OFF \
  -DDATREVO_BUILD_TESTS=OFF -DDATREVO_BUILD_BENCH=ON > /dev/null
ninja -C "$BUILD" -j2 exfat_scan_bench > /dev/null

IMG=$WORK/big-exfat.img
truncate -s "${SIZE_GIB}G" "$IMG"
mkfs.exfat -c 32K -L BENCH "$IMG" > /dev/null
echo "making $TOP x $SUB folders ..." >&2
LOOP=$(losetup -f --show "$IMG")
mount.exfat-fuse "$LOOP" "$MNT"
for t in $(seq -w 1 "$TOP"); do
  mkdir "$MNT/top$t"
  for s in $(seq -w 1 "$SUB"); do mkdir "$MNT/top$t/sub folder $s"; done
done
umount "$MNT"
losetup -d "$LOOP"; LOOP=""
mkfs.exfat -c 32K -L BENCH "$IMG" > /dev/null   # the folders are now lost

cat "$IMG" > /dev/null   # warm the page cache for both readers alike
start=$(date +%s.%N); cat "$IMG" > /dev/null; end=$(date +%s.%N)
CAT=$(echo "$end - $start" | bc -l)
BYTES=$(stat -c %s "$IMG")
printf 'image %s bytes, %s folders written before the quick format\n' "$BYTES" "$((TOP * SUB + TOP))"
printf '%-16s %8.3f s  %8.1f MiB/s\n' cat "$CAT" "$(echo "$BYTES / $CAT / 1048576" | bc -l)"
"$BUILD/bench/exfat_scan_bench" "$IMG" | while read -r phase secs mibs folders; do
  ratio=$(echo "if ($secs > 0) $CAT / $secs else 0" | bc -l)
  printf '%-16s %8.3f s  %8.1f MiB/s  %6s folders  ratio to cat %.2f\n' \
    "$phase" "$secs" "$mibs" "$folders" "$ratio"
done

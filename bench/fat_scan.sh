#!/usr/bin/env bash
# Scan throughput of the FAT searches against `cat IMAGE >/dev/null` on the
# same file in the same run.
#
#   bench/fat_scan.sh [SIZE_GIB] [TOP_FOLDERS] [SUB_FOLDERS]
#
# Builds a Release tree under build-fat/bench-release with the benchmarks,
# makes a sparse FAT32 image of SIZE_GIB GiB (default 4) holding
# TOP_FOLDERS x SUB_FOLDERS folders (default 100 x 300) with mkfs.fat and
# mtools, times `cat`, then the Standard and Advance scans, and prints each
# phase's time and its throughput as a ratio to cat's (goal: at least 0.8).
# Scratch files live in a mktemp folder under /tmp and are removed.
set -euo pipefail

SIZE_GIB=${1:-4}
TOP=${2:-100}
SUB=${3:-300}
REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${DATREVO_BENCH_BUILD:-$REPO/build-fat/bench-release}
WORK=$(mktemp -d /tmp/vd-fatbench.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
export MTOOLS_SKIP_CHECK=1

cmake -S "$REPO" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDATREVO_BUILD_GUI=OFF \
  -DDATREVO_BUILD_TESTS=OFF -DDATREVO_BUILD_BENCH=ON > /dev/null
ninja -C "$BUILD" -j2 fat_scan_bench > /dev/null

IMG=$WORK/big-fat32.img
truncate -s "${SIZE_GIB}G" "$IMG"
mkfs.fat -F 32 -s 8 -S 512 -i 56440999 -n BENCH "$IMG" > /dev/null
echo "making $TOP x $SUB folders ..." >&2
for t in $(seq -w 1 "$TOP"); do
  mmd -i "$IMG" "::/top$t"
  args=()
  for s in $(seq -w 1 "$SUB"); do args+=("::/top$t/sub folder $s"); done
  mmd -i "$IMG" "${args[@]}"
done

cat "$IMG" > /dev/null   # warm the page cache for both readers alike
start=$(date +%s.%N); cat "$IMG" > /dev/null; end=$(date +%s.%N)
CAT=$(echo "$end - $start" | bc -l)
BYTES=$(stat -c %s "$IMG")
printf 'image %s bytes, %s folders\n' "$BYTES" "$((TOP * SUB + TOP))"
printf '%-16s %8.3f s  %8.1f MiB/s\n' cat "$CAT" "$(echo "$BYTES / $CAT / 1048576" | bc -l)"
"$BUILD/bench/fat_scan_bench" "$IMG" FAT32 | while read -r phase secs mibs folders; do
  ratio=$(echo "if ($secs > 0) $CAT / $secs else 0" | bc -l)
  printf '%-16s %8.3f s  %8.1f MiB/s  %6s folders  ratio to cat %.2f\n' \
    "$phase" "$secs" "$mibs" "$folders" "$ratio"
done

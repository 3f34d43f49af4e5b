#!/usr/bin/env bash
# Throughput of the NTFS searches: records per second of the Standard MFT
# walk against The Sleuth Kit's `fls -r` listing the same volume, and the
# Advance scan's throughput as a ratio to `cat IMAGE >/dev/null` on the same
# file in the same run.
#
#   sudo bench/ntfs_scan.sh [SIZE_GIB] [FOLDERS] [FILES_PER_FOLDER]
#
# Builds a Release tree under build-ntfs/bench-release with the benchmarks,
# makes a sparse NTFS image of SIZE_GIB GiB (default 2) with mkntfs and fills
# it through ntfs-3g (needs root for FUSE) with FOLDERS x FILES_PER_FOLDER
# small files (default 200 x 100), then times cat and the searches. Scratch
# files live in a mktemp folder under /tmp and are removed.
set -euo pipefail

SIZE_GIB=${1:-2}
FOLDERS=${2:-200}
FILES=${3:-100}
REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${DATREVO_BENCH_BUILD:-$REPO/build-ntfs/bench-release}
WORK=$(mktemp -d /tmp/vd-ntfsbench.XXXXXX)
MNT=$WORK/mnt
cleanup() {
  if mountpoint -q "$MNT" 2>/dev/null; then umount "$MNT" || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT

cmake -S "$REPO" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDATREVO_BUILD_GUI=OFF \
  -DDATREVO_BUILD_TESTS=OFF -DDATREVO_BUILD_BENCH=ON > /dev/null
ninja -C "$BUILD" -j2 ntfs_scan_bench > /dev/null

IMG=$WORK/big-ntfs.img
truncate -s "${SIZE_GIB}G" "$IMG"
mkntfs -Q -F -q -s 512 -L BENCH "$IMG" > /dev/null 2>&1
mkdir -p "$MNT"
ntfs-3g "$IMG" "$MNT"
echo "making $FOLDERS folders x $FILES files ..." >&2
for f in $(seq -w 1 "$FOLDERS"); do
  mkdir "$MNT/folder $f"
  for n in $(seq -w 1 "$FILES"); do echo "folder $f file $n" > "$MNT/folder $f/file $n.txt"; done
done
umount "$MNT"
# ntfs-3g flushes on exit; wait for it to let go of the image
for _ in $(seq 1 100); do pgrep -f "ntfs-3g $IMG" > /dev/null || break; sleep 0.1; done

cat "$IMG" > /dev/null   # warm the page cache for both readers alike
start=$(date +%s.%N); cat "$IMG" > /dev/null; end=$(date +%s.%N)
cat_seconds=$(echo "$end - $start" | bc -l)
mib=$(( SIZE_GIB * 1024 ))
printf 'cat       %.3f s  %.1f MiB/s\n' "$cat_seconds" "$(echo "$mib / $cat_seconds" | bc -l)"
out=$("$BUILD/bench/ntfs_scan_bench" "$IMG")
echo "$out"
scan_rate=$(echo "$out" | awk '$1 == "scan" { print $4 }')
printf 'scan / cat throughput ratio: %.2f\n' "$(echo "$scan_rate / ($mib / $cat_seconds)" | bc -l)"
if command -v fls > /dev/null; then
  start=$(date +%s.%N); fls -r -p "$IMG" > /dev/null; end=$(date +%s.%N)
  fls_seconds=$(echo "$end - $start" | bc -l)
  standard_seconds=$(echo "$out" | awk '$1 == "standard" { print $2 }')
  printf 'fls -r    %.3f s\n' "$fls_seconds"
  printf 'standard time / fls -r time: %.2f (below 1 is faster)\n' \
    "$(echo "$standard_seconds / $fls_seconds" | bc -l)"
fi

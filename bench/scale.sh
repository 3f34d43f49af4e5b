#!/usr/bin/env bash
# How the searches scale with the number of files, against The Sleuth Kit and
# cat on the same images in the same run.
#
#   sudo bench/scale.sh [FILES] [FOLDERS]
#
# Makes (once; kept under build/bench/, which is not committed) a FAT32 and an
# NTFS image with FILES files (default 200,000) in FOLDERS folders (default
# 20,000), some of both deleted, and a pair of half that size. FAT32 is
# written directly by bench/make_scale_fat.py on a volume from mkfs.fat; NTFS
# is made with mkntfs and filled through ntfs-3g (FUSE, hence root). Then,
# with the release build of datrevo-cli, it prints for each file system:
#
#   listing      Standard search --tsv time / fls -r -p time
#   advance      Advance search of the whole partition (up to the list of file
#                systems found) / cat of the same range
#   full/half    Standard search --tsv time, full size / half size
#   memory       peak resident memory of the --tsv run / rows listed
#   save-all     Standard search saving everything / tsk_recover -e
#
# SCALE_KINDS=NTFS (or FAT32) runs one file system only; SCALE_SAVE=0 leaves
# out the save-all timing (it writes 400,000 files, into a scratch folder under
# build/bench/ that is removed afterwards); SCALE_CLI=PATH times that
# datrevo-cli instead of building the release tree's.
#
# The page cache is warmed before each timing, so the ratios compare the
# programs' own work rather than the disk. The ratios are of CPU time (user +
# system), which a machine shared with other work does not stretch as it
# stretches the elapsed time; SCALE_CLOCK=wall takes the elapsed time instead.
# The elapsed seconds are printed beside either way. cat and the Advance scan
# take a second or less: each is timed three times (SCALE_REPEAT) and the
# median run kept.
set -euo pipefail

FILES=${1:-200000}
FOLDERS=${2:-20000}
REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BENCH=$REPO/build/bench
CLI=${SCALE_CLI:-$REPO/build/release/datrevo-cli}
mkdir -p "$BENCH"

need() { command -v "$1" > /dev/null || { echo "scale.sh: $1 is missing ($2)" >&2; exit 1; }; }
if [ ! -x /usr/bin/time ]; then
  apt-get install -y time > /dev/null 2>&1 || { echo "scale.sh: install the package 'time'" >&2; exit 1; }
fi
need fls "package sleuthkit"
need tsk_recover "package sleuthkit"
need mkfs.fat "package dosfstools"
need mkntfs "package ntfs-3g"
need ntfs-3g "package ntfs-3g"
need python3 "package python3"
need bc "package bc"

# make_fat IMAGE FILES FOLDERS: a FAT32 volume of 4 KiB clusters, about 5 KiB per file.
make_fat() {
  local image=$1 files=$2 folders=$3
  local per=$(( files / folders ))
  local mib=$(( (files + folders * 2) * 5 / 1024 + 64 ))
  [ "$mib" -lt 300 ] && mib=300   # FAT32 needs 65,525 clusters
  rm -f "$image" "$image.ready"
  truncate -s "${mib}M" "$image"
  mkfs.fat -F 32 -s 8 -S 512 -n SCALE "$image" > /dev/null
  python3 "$REPO/bench/make_scale_fat.py" "$image" "$folders" "$per" >&2
  touch "$image.ready"
}

# make_ntfs IMAGE FILES FOLDERS: mkntfs, then the tree through ntfs-3g; one
# file in 20 and one folder in 50 (below the top level) deleted afterwards.
make_ntfs() {
  local image=$1 files=$2 folders=$3
  local per=$(( files / folders ))
  local mib=$(( files * 3 / 1024 + 512 ))
  local mnt=$BENCH/mnt
  rm -f "$image" "$image.ready"
  truncate -s "${mib}M" "$image"
  mkntfs -Q -F -q -L SCALE "$image" > /dev/null 2>&1
  mkdir -p "$mnt"
  ntfs-3g "$image" "$mnt"
  python3 - "$mnt" "$folders" "$per" <<'EOF' >&2
import os, shutil, sys
root, folders, per = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
top = max(1, folders // 200)
for t in range(top):
    os.mkdir(os.path.join(root, "Artist %04d" % t))
paths = [os.path.join(root, "Artist %04d" % t) for t in range(top)]
for s in range(folders - top):
    path = os.path.join(paths[s % top], "Album %06d of the collection" % s)
    os.mkdir(path)
    paths.append(path)
serial = 0
for i, path in enumerate(paths):
    for n in range(per):
        serial += 1
        name = os.path.join(path, "Track %02d of folder %06d.mp3" % (n, i))
        with open(name, "w") as out:
            out.write("%s, file %d of folder %d\n" % (os.path.basename(path), n, i))
        if serial % 20 == 0:
            os.unlink(name)
deleted = 0
for s in range(folders - top):
    if s % 50 == 49:
        shutil.rmtree(paths[top + s])
        deleted += 1
print("%d folders (%d deleted), %d files" % (folders, deleted, folders * per))
EOF
  umount "$mnt"
  for _ in $(seq 1 100); do pgrep -f "ntfs-3g $image" > /dev/null || break; sleep 0.1; done
  touch "$image.ready"
}

image_for() {  # image_for fat|ntfs FILES FOLDERS: the cached image's path, made when missing
  local kind=$1 files=$2 folders=$3
  local image=$BENCH/$kind-$files-$folders.img
  if [ ! -e "$image.ready" ]; then
    echo "making $image ..." >&2
    local start; start=$(date +%s)
    "make_$kind" "$image" "$files" "$folders"
    echo "  made in $(( $(date +%s) - start )) s" >&2
  fi
  echo "$image"
}

# timed OUT_FILE COMMAND...: runs the command with stdout to /dev/null (to
# OUT_FILE.out with TIMED_KEEP=1), leaves "elapsed user system maxrss_kib" in
# OUT_FILE.
timed() {
  local out=$1; shift
  local keep=/dev/null
  [ "${TIMED_KEEP:-0}" = 1 ] && keep=$out.out
  /usr/bin/time -f "%e %U %S %M" -o "$out" "$@" > "$keep" 2> "$out.err" || true
}
# timed_median OUT_FILE COMMAND...: `timed` three times (SCALE_REPEAT), keeping in
# OUT_FILE the run whose ratio time is the median. For the runs of a second or
# less (cat, the Advance scan), where one hiccup of a shared machine would
# otherwise decide the ratio.
timed_median() {
  local out=$1; shift
  local runs=${SCALE_REPEAT:-3} i
  for i in $(seq 1 "$runs"); do
    timed "$out.$i" "$@"
    echo "$(seconds "$out.$i") $i"
  done | sort -n | awk -v m=$(( (runs + 1) / 2 )) 'NR == m {print $2}' > "$out.median"
  cp "$out.$(cat "$out.median")" "$out"
  for i in $(seq 1 "$runs"); do rm -f "$out.$i" "$out.$i.err"; done
  rm -f "$out.median"
}
# The time a ratio is taken of: CPU (user + system) or, with SCALE_CLOCK=wall, elapsed.
seconds() {
  if [ "${SCALE_CLOCK:-cpu}" = wall ]; then
    tail -n 1 "$1" | awk '{print $1}'
  else
    tail -n 1 "$1" | awk '{printf "%.2f", $2 + $3}'
  fi
}
elapsed() { tail -n 1 "$1" | awk '{print $1}'; }
peak() { tail -n 1 "$1" | awk '{print $4}'; }
ratio() { echo "scale=2; $1 / $2" | bc -l; }

report() {
  local kind=$1 fskind=$2 full=$3 half=$4
  local t=$BENCH/timing
  local sectors=$(( $(stat -c %s "$full") / 512 ))
  cat "$full" > /dev/null; cat "$half" > /dev/null
  timed_median "$t.cat" cat "$full"
  timed "$t.fls" fls -r -p "$full"
  TIMED_KEEP=1 timed "$t.list" "$CLI" --quiet search "$full" -p 1 --tsv
  timed "$t.half" "$CLI" --quiet search "$half" -p 1 --tsv
  # --volume 0 names no file system: the search ends once it has listed those it found.
  timed_median "$t.advance" "$CLI" --quiet search "$full" --mode advance --start 0 --end "$sectors" \
    --kind "$fskind" --volume 0
  local rows; rows=$(( $(wc -l < "$t.list.out") - 1 ))
  rm -f "$t.list.out"
  local rss; rss=$(peak "$t.list")
  local saved=- tsk_saved=- save_ratio=- save_text="not timed (SCALE_SAVE=0)"
  if [ "${SCALE_SAVE:-1}" = 1 ]; then
    local out; out=$(mktemp -d "$BENCH/out.XXXXXX")
    timed "$t.save" "$CLI" --quiet search "$full" -p 1 --save "$out/datrevo"
    saved=$(find "$out/datrevo" -type f | wc -l)
    rm -rf "$out/datrevo"
    timed "$t.recover" tsk_recover -e "$full" "$out/tsk"
    tsk_saved=$(find "$out/tsk" -type f | wc -l)
    rm -rf "$out"
    save_ratio=$(ratio "$(seconds "$t.save")" "$(seconds "$t.recover")")
    save_text="$(seconds "$t.save") s for $saved files, tsk_recover -e $(seconds "$t.recover") s for $tsk_saved files; elapsed $(elapsed "$t.save") s / $(elapsed "$t.recover") s"
  fi
  printf '%s (%s rows listed)\n' "$kind" "$rows"
  printf '  listing    %6.2fx  (--tsv %s s, fls -r -p %s s; elapsed %s s / %s s)\n' \
    "$(ratio "$(seconds "$t.list")" "$(seconds "$t.fls")")" "$(seconds "$t.list")" \
    "$(seconds "$t.fls")" "$(elapsed "$t.list")" "$(elapsed "$t.fls")"
  printf '  advance    %6.2fx  (scan %s s, cat %s s; elapsed %s s / %s s)\n' \
    "$(ratio "$(seconds "$t.advance")" "$(seconds "$t.cat")")" "$(seconds "$t.advance")" \
    "$(seconds "$t.cat")" "$(elapsed "$t.advance")" "$(elapsed "$t.cat")"
  printf '  full/half  %6.2f   (--tsv %s s / %s s; elapsed %s s / %s s)\n' \
    "$(ratio "$(seconds "$t.list")" "$(seconds "$t.half")")" "$(seconds "$t.list")" \
    "$(seconds "$t.half")" "$(elapsed "$t.list")" "$(elapsed "$t.half")"
  printf '  memory     %6.0f B per row  (peak %s KiB)\n' \
    "$(echo "$rss * 1024 / $rows" | bc -l)" "$rss"
  printf '  save-all   %6sx  (%s)\n' "$save_ratio" "$save_text"
}

HALF_FILES=$(( FILES / 2 )); HALF_FOLDERS=$(( FOLDERS / 2 ))
fat_half=$(image_for fat "$HALF_FILES" "$HALF_FOLDERS")
fat_full=$(image_for fat "$FILES" "$FOLDERS")
ntfs_half=$(image_for ntfs "$HALF_FILES" "$HALF_FOLDERS")
ntfs_full=$(image_for ntfs "$FILES" "$FOLDERS")
[ "${SCALE_IMAGES_ONLY:-}" = 1 ] && exit 0
# The release build of the command line only (the flags of scripts/build.sh
# release); SCALE_CLI=PATH times another build instead (say, of an older commit).
if [ -z "${SCALE_CLI:-}" ]; then
  export CCACHE_BASEDIR="$REPO" CCACHE_NOHASHDIR=1
  cmake -S "$REPO" -B "$REPO/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DDATREVO_SANITIZE=OFF > /dev/null
  cmake --build "$REPO/build/release" --target datrevo-cli -j 2 > /dev/null
fi

echo "datrevo-cli against fls -r -p, cat and tsk_recover -e; $FILES files in $FOLDERS folders;" \
  "ratios of ${SCALE_CLOCK:-cpu} time; $(nproc) cores, load $(cut -d ' ' -f 1-3 /proc/loadavg)"
# SCALE_KINDS="FAT32 NTFS" by default; SCALE_SAVE=0 leaves out the save-all timing.
for kind in ${SCALE_KINDS:-FAT32 NTFS}; do
  case "$kind" in
    FAT32) report FAT32 FAT32 "$fat_full" "$fat_half" ;;
    NTFS) report NTFS NTFS "$ntfs_full" "$ntfs_half" ;;
  esac
done

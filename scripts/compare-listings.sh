#!/usr/bin/env bash
# Compares the result listings of two builds of datrevo-cli over every fixture
# image: scripts/compare-listings.sh OLD_CLI NEW_CLI
#
# For each image in tests/fixtures/images (unpacked into a temporary folder)
# and each of its partitions, both programs run
#   search IMAGE -p N --tsv                      (Standard search)
#   search IMAGE -p N -m advance --volume V --tsv (Advance search, every volume found)
# and their output, messages and exit status must be the same. An image
# without a partition table is searched as its one whole-disk partition.
# Prints one line per run and ends with the number of differences; exits 1
# when there is any.
set -uo pipefail

if [ $# -ne 2 ] || [ ! -x "$1" ] || [ ! -x "$2" ]; then
  echo "usage: $0 OLD_CLI NEW_CLI" >&2
  exit 2
fi
old=$(realpath "$1")
new=$(realpath "$2")
images="$(dirname "$0")/../tests/fixtures/images"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

differences=0
runs=0

# Runs one search with both programs and compares everything they print.
compare() {
  local name=$1
  shift
  "$old" "$@" >"$work/old.out" 2>"$work/old.err"
  echo "exit $?" >>"$work/old.out"
  "$new" "$@" >"$work/new.out" 2>"$work/new.err"
  echo "exit $?" >>"$work/new.out"
  runs=$((runs + 1))
  if cmp -s "$work/old.out" "$work/new.out" && cmp -s "$work/old.err" "$work/new.err"; then
    echo "same       $name ($(($(wc -l <"$work/old.out") - 1)) lines)"
  else
    echo "DIFFERENT  $name"
    diff -u "$work/old.out" "$work/new.out" | head -20
    diff -u "$work/old.err" "$work/new.err" | head -20
    differences=$((differences + 1))
  fi
}

for packed in "$images"/*.img.gz; do
  image="$work/$(basename "$packed" .gz)"
  gzip -dc "$packed" >"$image"
  label=$(basename "$image" .img)
  count=$("$old" partitions "$image" 2>/dev/null | grep -c 'Partition - ' || true)
  [ "$count" -eq 0 ] && count=1
  for ((n = 1; n <= count; n++)); do
    compare "$label -p $n standard" search "$image" -p "$n" --tsv
    # The volumes an Advance search finds: its "File System N - ..." lines.
    volumes=$("$old" search "$image" -p "$n" -m advance 2>/dev/null |
              grep -cE '^File System [0-9]+ - ' || true)
    [ "$volumes" -eq 0 ] && volumes=1
    for ((v = 1; v <= volumes; v++)); do
      compare "$label -p $n advance volume $v" search "$image" -p "$n" -m advance --volume "$v" --tsv
    done
  done
  rm -f "$image"
done

echo "$runs runs, $differences different"
[ "$differences" -eq 0 ]

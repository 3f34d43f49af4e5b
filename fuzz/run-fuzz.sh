#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a given time.
#   fuzz/run-fuzz.sh [--keep] [--build DIR] SECONDS [TARGET ...]
# Every target starts from fuzz/corpus/<target>/ and works on a copy of it;
# with --keep, the inputs that reached new coverage are merged back into the
# corpus (libFuzzer -merge=1 keeps only those, and inputs above 16 KiB other
# than the seeds are dropped so the corpus stays small). A finding (crash, leak,
# sanitizer report, timeout) stops the run with its reproducer under
# $DATREVO_FUZZ_ARTIFACTS (default: the build dir's fuzz-artifacts/) and
# makes the script fail. Without clang it says so and exits 0.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
keep=0
build="$root/build/fuzz"
while [ $# -gt 0 ]; do
  case "$1" in
    --keep) keep=1; shift ;;
    --build) build="$2"; shift 2 ;;
    *) break ;;
  esac
done
seconds="${1:?usage: $0 [--keep] [--build DIR] SECONDS [TARGET ...]}"
shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz_partition_table fuzz_fat_boot fuzz_fat_directory fuzz_cluster_chain
           fuzz_ntfs_record fuzz_index_block fuzz_lznt1 fuzz_recovery_log fuzz_search_pipeline
           fuzz_exfat_boot fuzz_exfat_entry_set fuzz_exfat_volume fuzz_exfat_advance)
fi

if ! command -v clang++ >/dev/null 2>&1 ||
   ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long){return 0;}' |
       clang++ -x c++ -fsanitize=fuzzer -o /dev/null - 2>/dev/null; then
  echo "fuzz: clang with libFuzzer not found (install clang and libclang-rt-14-dev); fuzz runs skipped"
  exit 0
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DDATREVO_BUILD_FUZZ=ON \
  -DDATREVO_BUILD_GUI=OFF -DDATREVO_BUILD_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 >/dev/null
# Only the targets about to run are built.
cmake --build "$build" --target "${targets[@]}" -j "$(nproc)"

# Largest input per target: a few sectors for the decoders, 1 MiB for the
# whole pipeline (a small image).
max_len() {
  case "$1" in
    fuzz_search_pipeline|fuzz_exfat_volume|fuzz_exfat_advance) echo 1048577 ;;
    fuzz_cluster_chain|fuzz_index_block|fuzz_lznt1|fuzz_exfat_boot) echo 131072 ;;
    fuzz_fat_boot|fuzz_fat_directory) echo 65536 ;;
    fuzz_ntfs_record) echo 16384 ;;
    *) echo 65536 ;;
  esac
}

artifacts="${DATREVO_FUZZ_ARTIFACTS:-$build/fuzz-artifacts}"
mkdir -p "$artifacts"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
failed=()
for target in "${targets[@]}"; do
  seeds="$here/corpus/$target"
  work="$(mktemp -d)"
  [ -d "$seeds" ] && cp -r "$seeds/." "$work/"
  echo "fuzz: $target for ${seconds}s"
  if ! "$build/fuzz/$target" "$work" -max_total_time="$seconds" -max_len="$(max_len "$target")" \
        -timeout=20 -rss_limit_mb=2560 -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target-" >"$artifacts/$target.log" 2>&1; then
    echo "fuzz: $target FOUND A PROBLEM; log: $artifacts/$target.log"
    grep -E "ERROR|SUMMARY|runtime error|Test unit written" "$artifacts/$target.log" | head -10 || true
    failed+=("$target")
  else
    grep -E "^stat::number_of_executed_units|^#[0-9]+.*DONE" "$artifacts/$target.log" | tail -2 || true
  fi
  if [ "$keep" -eq 1 ]; then
    mkdir -p "$seeds"
    "$build/fuzz/$target" -merge=1 -max_len="$(max_len "$target")" "$seeds" "$work" \
      >>"$artifacts/$target.log" 2>&1 || true
    # The corpus stays small: new inputs above 16 KiB are not kept.
    find "$seeds" -type f ! -name 'seed-*' -size +16k -delete
  fi
  rm -rf "$work"
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: findings in ${failed[*]}"
  exit 1
fi
echo "fuzz: ${#targets[@]} targets ran ${seconds}s each without a finding"

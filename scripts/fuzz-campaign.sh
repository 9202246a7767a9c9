#!/usr/bin/env bash
# A long random fuzz campaign: each loader's target runs for SECONDS (120) from a random seed
# over the seed pictures, the past findings and what earlier campaigns kept
# (build/fuzz/campaign/FORMAT). Inputs that crash, leak, time out or allocate beyond the
# image size limit are written into tests/findings/FORMAT, where the test command's fixed
# fuzz runs replay them from then on: commit them with the fix.
#   usage: scripts/fuzz-campaign.sh [SECONDS] [FORMAT...]   (formats: bmp jpeg png tiff gif psd pnm raw heif webp movie)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${GLINTORA_BUILD_DIR:-$root/build}/fuzz
seconds=${1:-120}
shift || true
formats=("$@")
((${#formats[@]})) || formats=(bmp jpeg png tiff gif psd pnm raw heif webp movie)

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLINTORA_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >"$build.configure.log"
cmake --build "$build" -j "$(nproc)"
"$build/tools/fuzz/make_seeds" "$build/corpus"

report=()
for format in "${formats[@]}"; do
  findings="$root/tests/findings/$format"
  kept="$build/campaign/$format"
  mkdir -p "$findings" "$kept"
  log="$build/campaign-$format.log"
  echo "== fuzz_$format for $seconds s"
  status=0
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 LSAN_OPTIONS=suppressions=$root/tools/fuzz/lsan_decoders.supp \
    "$build/tools/fuzz/fuzz_$format" \
    -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 -malloc_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$kept" "$build/corpus/$format" "$root/tools/fuzz/seeds/$format" "$findings" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  line="fuzz_$format: ${runs:-?} inputs, ${rate:-?} a second"
  ((status == 0)) || line+=", FOUND a fault (see $log and $findings)"
  report+=("$line")
  echo "$line"
done
echo
printf '%s\n' "${report[@]}"
git -C "$root" status --short -- tests/findings

#!/usr/bin/env bash
# Runs every test of the project:
#   1. native build (warnings are errors) and its tests;
#   2. the same tests under AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the loader fuzz targets (clang, libFuzzer), each a fixed GLINTORA_FUZZ_RUNS inputs (30000)
#      from a fixed seed over its seeds and past findings, so that a run is reproducible;
#   4. the Windows build and its tests under Wine: the core tests again, the Win32 tests and
#      the end-to-end tests of the real glintora.scr.
# Installs what is missing first. Build folders: build/native, build/sanitize, build/windows
# (GLINTORA_BUILD_DIR moves them).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${GLINTORA_BUILD_DIR:-$root/build}
jobs=$(nproc)

"$root/scripts/setup.sh"
# The Debian versions of the libraries the build uses, and newer ones the mirror lacks.
sed 's/^/library: /' "$("$root/scripts/build-win-deps.sh" --prefix)/versions.txt"

summary=()
passed=0
failed=0

# run_suite NAME BUILD_DIR CMAKE_ARGS...: configures, builds and runs ctest; counts results.
run_suite() {
  local name=$1 dir=$2; shift 2
  echo "== $name: configure and build"
  if ! cmake -S "$root" -B "$dir" -G Ninja -DGLINTORA_WERROR=ON "$@" >"$dir.configure.log" 2>&1; then
    cat "$dir.configure.log"
    summary+=("$name: configure failed")
    failed=$((failed + 1))
    return 1
  fi
  if ! cmake --build "$dir" -j "$jobs"; then
    summary+=("$name: build failed")
    failed=$((failed + 1))
    return 1
  fi
  echo "== $name: tests"
  local log="$dir.ctest.log" results="$dir.results.xml" status=0
  rm -f "$results"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --output-junit "$results" 2>&1 | tee "$log" || status=$?
  # The counts from ctest's JUnit report: the tests and failures of its root element.
  local total=0 failures=1
  if [[ -f "$results" ]]; then
    local root
    root=$(awk '/<testsuite/ { on = 1 } on { printf "%s ", $0 } on && />/ { exit }' "$results")
    total=$(sed -nE 's/.*[[:space:]]tests="([0-9]+)".*/\1/p' <<<"$root")
    failures=$(sed -nE 's/.*[[:space:]]failures="([0-9]+)".*/\1/p' <<<"$root")
  fi
  failures=${failures:-1}
  passed=$((passed + ${total:-0} - failures))
  failed=$((failed + failures))
  summary+=("$name: $((${total:-0} - failures)) of ${total:-0} tests passed")
  return $status
}

mkdir -p "$build"
status=0
run_suite native "$build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo || status=1
run_suite sanitize "$build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DGLINTORA_SANITIZE=ON || status=1
run_suite fuzz "$build/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLINTORA_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DGLINTORA_FUZZ_RUNS="${GLINTORA_FUZZ_RUNS:-30000}" || status=1
# How far each fuzz target got, from the fuzz suite's test log.
if [[ -f "$build/fuzz/Testing/Temporary/LastTest.log" ]]; then
  fuzz_runs=$(awk '/^[0-9]+\/[0-9]+ Testing: fuzz_/ { name = $3 }
    /^stat::number_of_executed_units:/ { runs = $2 }
    /^stat::average_exec_per_sec:/ && name != "" { printf "%s %s executions (%s a second)\n", name, runs, $2; name = "" }' \
    "$build/fuzz/Testing/Temporary/LastTest.log")
  echo "$fuzz_runs"
  while IFS= read -r line; do [[ -n "$line" ]] && summary+=("  $line"); done <<<"$fuzz_runs"
fi
trap '"$root/cmake/wine-run.sh" --bench "$build/windows/wine-bench" --stop' EXIT
run_suite windows "$build/windows" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" || status=1

echo
printf '%s\n' "${summary[@]}"
echo "$passed passed, $failed failed"
exit $status

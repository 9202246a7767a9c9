#!/usr/bin/env bash
# Runs one fuzz target reproducibly: a fixed number of inputs from a fixed seed, over the
# given corpus folders (the seed pictures and the past findings), which it leaves unchanged.
# New inputs go to a folder of their own that is removed afterwards; a crash, leak, timeout
# or excess allocation is kept in the findings folder and fails the run. Everything the run
# sees is the same each time: its working folder's path, and its addresses (no address-space
# randomisation), since the fuzzer's mutations draw on the values its compares saw.
#   usage: run_fixed.sh TARGET FINDINGS_DIR RUNS SEED CORPUS_DIR...
set -euo pipefail
target=$1 findings=$2 runs=$3 seed=$4
shift 4
corpus=()
for dir in "$@"; do [[ -d "$dir" ]] && corpus+=("$dir"); done
work="$findings/work-$(basename "$target")"
rm -rf "$work"
mkdir -p "$work/new"
trap 'rm -rf "$work"' EXIT
# 2048 MB is the image size limit: no allocation of any loader may go beyond it.
GLINTORA_FUZZ_DIR="$work" setarch "$(uname -m)" -R "$target" -runs="$runs" -seed="$seed" -reload=0 -timeout=30 -rss_limit_mb=4096 -malloc_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$findings/" "$work/new" "${corpus[@]}"

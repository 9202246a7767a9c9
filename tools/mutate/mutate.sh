#!/usr/bin/env bash
# Plants faults in the sources one at a time and tells whether the native core tests notice
# each: a fault the tests still pass with marks behaviour that no test pins down.
#
# usage: tools/mutate/mutate.sh [-B BUILD_DIR] [-t SECONDS] FAULT_LIST...
#   -B  a configured build folder (build/native by default)
#   -t  the time the tests may take with one fault before it counts as caught (120)
#
# A fault list is a text file of lines:
#   # comment                         ignored, like blank lines
#   file src/core/show/foo.cpp        the source the faults below it go into
#   FIND ==> REPLACEMENT              one fault: FIND, which must occur exactly once in that
#                                     file, becomes REPLACEMENT (which may be empty)
# Spaces around FIND and REPLACEMENT do not count.
#
# For each fault alone the file is changed, core_tests rebuilt and run; then the file gets its
# original bytes back, also when the script is interrupted. A fault is killed when the tests
# fail, crash or run out of time, survived when they pass; one that does not compile is
# reported as such and left out of the score.
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build/native
limit=120
while getopts "B:t:" option; do
  case $option in
    B) build=$OPTARG ;;
    t) limit=$OPTARG ;;
    *) sed -n '5,7p' "$0" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
if (($# == 0)); then
  sed -n '5,7p' "$0" >&2
  exit 2
fi
[[ $build = /* ]] || build=$PWD/$build
lists=()
for list in "$@"; do
  [[ -f $list ]] || { echo "no fault list $list" >&2; exit 2; }
  lists+=("$(cd "$(dirname "$list")" && pwd)/$(basename "$list")")
done
if [[ ! -f $build/build.ninja && ! -f $build/Makefile ]]; then
  echo "$build is not configured: see the README's native build" >&2
  exit 2
fi
cd "$root" || exit 2

work=$(mktemp -d)
planted=""  # the source that holds a fault right now
backup=""   # its original bytes

# Puts the original bytes back. The copy keeps a new modification time on purpose: the build
# then compiles the original again instead of keeping the faulty object.
restore() {
  [[ -n $planted ]] || return 0
  cat "$backup" >"$planted"
  if ! cmp -s "$backup" "$planted"; then
    echo "could not restore $planted: its original is $backup" >&2
    return 1
  fi
  planted=""
}
trap 'restore && rm -rf "$work"' EXIT
# A signal ends the script through its EXIT trap; bash runs it once the build or test run in
# the foreground has ended, so no object built from a fault outlives the original.
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# A sanitizer build's tests run as ctest runs them: the leaks of the OpenGL library it does not
# build are not theirs.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/core/lsan_osmesa.supp}

build_tests() { cmake --build "$build" --target core_tests >"$work/build.log" 2>&1; }
# The shell's own note of a crash goes to the log too.
run_tests() { { timeout --kill-after=10 "$limit" "$build/tests/core_tests" >"$work/test.log" 2>&1; } 2>>"$work/test.log"; }

# The number of times $2 occurs in $1.
occurrences() {
  local text=$1 find=$2 count=0
  while [[ $text == *"$find"* ]]; do
    text=${text#*"$find"}
    count=$((count + 1))
  done
  echo "$count"
}

echo "== without faults"
if ! build_tests; then
  cat "$work/build.log"
  echo "the sources do not build as they are" >&2
  exit 1
fi
if ! run_tests; then
  grep -F '[  FAILED  ]' "$work/test.log" >&2
  echo "the tests fail without any fault" >&2
  exit 1
fi

total_killed=0
total_survived=0
total_unbuilt=0
survivors=()
for list in "${lists[@]}"; do
  echo "== ${list#"$root"/}"
  source=""
  killed=0
  survived=0
  number=0
  while IFS= read -r line || [[ -n $line ]]; do
    number=$((number + 1))
    [[ $line =~ ^[[:space:]]*(#|$) ]] && continue
    if [[ $line =~ ^file[[:space:]]+(.+[^[:space:]])[[:space:]]*$ ]]; then
      source=${BASH_REMATCH[1]}
      [[ -f $source ]] || { echo "${list##*/}:$number: no file $source" >&2; exit 2; }
      continue
    fi
    if [[ -z $source || $line != *" ==>"* ]]; then
      echo "${list##*/}:$number: neither a file line nor FIND ==> REPLACEMENT" >&2
      exit 2
    fi
    find=${line%%" ==>"*}
    replacement=${line#*" ==>"}
    find=${find#"${find%%[![:space:]]*}"}
    find=${find%"${find##*[![:space:]]}"}
    replacement=${replacement#"${replacement%%[![:space:]]*}"}
    replacement=${replacement%"${replacement##*[![:space:]]}"}
    # Read with a sentinel so that trailing newlines are kept.
    original=$(cat "$source"; printf x)
    original=${original%x}
    count=$(occurrences "$original" "$find")
    if ((count != 1)); then
      echo "${list##*/}:$number: '$find' occurs $count times in $source, not once" >&2
      exit 2
    fi
    backup=$work/original
    cp "$source" "$backup"
    planted=$source
    printf '%s' "${original/"$find"/"$replacement"}" >"$source"
    what="${source##*/}: $find ==> $replacement"
    detail=""
    if ! build_tests; then
      verdict="no build"
      total_unbuilt=$((total_unbuilt + 1))
    elif run_tests; then
      verdict="SURVIVED"
      survived=$((survived + 1))
      survivors+=("$what")
    else
      status=$?
      detail=$(grep -m1 -F '[  FAILED  ]' "$work/test.log" | sed 's/.*\] //; s/ (.*//')
      [[ -z $detail ]] && detail=$(grep -m1 -o 'ERROR: AddressSanitizer: [a-z-]*' "$work/test.log" | sed 's/^ERROR: //')
      if ((status == 124 || status == 137)); then
        detail="out of time"
      elif ((status > 128)); then
        detail="signal $((status - 128))"
      fi
      [[ -z $detail ]] && detail="exit status $status"
      detail=" (by $detail)"
      verdict="killed"
      killed=$((killed + 1))
    fi
    restore || exit 1
    printf '%-9s %s%s\n' "$verdict" "$what" "$detail"
  done <"$list"
  total_killed=$((total_killed + killed))
  total_survived=$((total_survived + survived))
  echo "-- ${list##*/}: $killed killed, $survived survived"
done

echo
echo "== score"
for what in "${survivors[@]}"; do echo "survived: $what"; done
((total_unbuilt > 0)) && echo "$total_unbuilt faults did not build and do not count"
total=$((total_killed + total_survived))
if ((total > 0)); then
  echo "$total_killed of $total faults killed ($((100 * total_killed / total)) %)"
fi
# Leave the build as the sources are.
build_tests || echo "the restored sources did not build: see $build" >&2

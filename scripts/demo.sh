#!/usr/bin/env bash
# Builds glintora.scr and starts it under Wine as the system starts a screen saver (/s).
# On a desktop ($DISPLAY set) it shows there; elsewhere it runs on the test bench's own
# virtual display. Extra arguments replace /s, e.g. scripts/demo.sh /c
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${GLINTORA_BUILD_DIR:-$root/build}/windows

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build" --target glintora

user_display=${DISPLAY:-}
eval "$("$root/cmake/wine-run.sh" --bench "$build/wine-bench" --env)"
[[ -n "$user_display" ]] && export DISPLAY=$user_display
args=("$@")
((${#args[@]})) || args=(/s)
echo "demo: wine glintora.scr ${args[*]} on display $DISPLAY"
status=0
wine "$build/src/glintora.scr" "${args[@]}" || status=$?
echo "demo: glintora.scr ended with exit code $status"

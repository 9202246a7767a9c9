#!/usr/bin/env bash
# The Wine test bench: runs a Windows program of the build under Wine, on a private X display
# and in a private Wine prefix that both belong to one build folder. CMake uses it as the
# cross-compiling emulator, so every Windows test runs through it.
#
#   wine-run.sh --bench DIR PROGRAM [ARGS...]   run PROGRAM; exit with its exit code
#   wine-run.sh --bench DIR --stop              end the bench's Xvfb and wineserver
#   wine-run.sh --bench DIR --env               print the bench's environment (for scripts)
#
# The bench (an Xvfb on a free display number and a persistent wineserver) starts with the
# first program and ends by itself a minute after the last one; --stop ends it at once. The
# prefix is initialised once, inside DIR. Wine's own messages and sound devices are off. A
# program gets GLINTORA_TEST_TIMEOUT seconds (default 300) less a margin, then is killed.
#
# GLINTORA_BENCH_MONITORS="1024x600 800x480" gives the bench several monitors side by side:
# a nested X server (Xephyr with Xinerama) inside a host Xvfb wide enough for all of them, and
# the prefix told to take its monitors from Xinerama (with XRandR, Wine sees one). It applies
# when the bench starts; give such a bench a folder of its own.
set -uo pipefail

[[ "${1:-}" == --bench && -n "${2:-}" ]] || { echo "usage: wine-run.sh --bench DIR PROGRAM [ARGS...]" >&2; exit 2; }
bench=$(mkdir -p "$2" && cd "$2" && pwd)
shift 2

export WINEPREFIX="$bench/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No sound devices on a build machine; no runtime installers offered by a new prefix; no
# menu entries or file associations of the host's desktop made for the shortcuts that
# programs (the installer) create in the prefix.
export WINEDLLOVERRIDES="winealsa.drv,winepulse.drv,wineoss.drv,winecoreaudio.drv=d;mscoree,mshtml=;winemenubuilder.exe=d"
persist_seconds=60
# The server binary itself: Debian's wineserver wrapper adds -p0, which would end the server
# with its last program.
wineserver=/usr/lib/wine/wineserver64
[[ -x "$wineserver" ]] || wineserver=$(command -v wineserver)

alive() { [[ -f "$1" ]] && kill -0 "$(cat "$1" 2>/dev/null)" 2>/dev/null; }

stop_bench() {
  if alive "$bench/wineserver.pid"; then "$wineserver" -k >/dev/null 2>&1; fi
  if alive "$bench/xvfb.pid"; then kill "$(cat "$bench/xvfb.pid")" 2>/dev/null; fi
  local i
  for i in $(seq 50); do
    alive "$bench/xvfb.pid" || alive "$bench/wineserver.pid" || break
    sleep 0.1
  done
  rm -f "$bench/xvfb.pid" "$bench/wineserver.pid" "$bench/display"
}

# Starts Xvfb on the first free display and, beside it, a wineserver that stays for
# $persist_seconds after its last program. A keeper process ends the display when the
# wineserver ends. Nothing started here holds the caller's output streams.
start_bench() {
  stop_bench
  local n
  for n in $(seq 90 400); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    setsid bash -c '
      bench=$1; n=$2; persist=$3; server=$4; monitors=$5
      up() { for i in $(seq 100); do [[ -e /tmp/.X11-unix/X$1 ]] && return 0; kill -0 $2 2>/dev/null || return 1; sleep 0.05; done; return 1; }
      size=1024x768 screens=() width=0 height=0
      for m in $monitors; do
        screens+=(-screen "$m"); width=$((width + ${m%x*})); ((${m#*x} > height)) && height=${m#*x}
      done
      ((width > 0)) && size=${width}x$height
      Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp -noreset &
      x=$!
      up "$n" $x || { kill $x; exit 1; }
      echo $x > "$bench/xvfb.pid"
      shown=$n
      if ((${#screens[@]})); then
        shown=
        for m in $(seq $((n + 1)) 400); do
          [[ -e /tmp/.X11-unix/X$m || -e /tmp/.X$m-lock ]] && continue
          DISPLAY=":$n" Xephyr ":$m" -ac -wr "${screens[@]}" +xinerama -nolisten tcp -noreset &
          e=$!
          up "$m" $e && { shown=$m; break; }
          kill $e 2>/dev/null
        done
        [[ -n $shown ]] || { kill $x; exit 1; }
      fi
      DISPLAY=":$shown" "$server" -f -p"$persist" &
      w=$!
      echo $w > "$bench/wineserver.pid"
      echo "$shown" > "$bench/display"
      wait $w
      [[ -n ${e:-} ]] && kill $e 2>/dev/null
      kill $x 2>/dev/null
      rm -f "$bench/xvfb.pid" "$bench/wineserver.pid" "$bench/display"
    ' keeper "$bench" "$n" "$persist_seconds" "$wineserver" "${GLINTORA_BENCH_MONITORS:-}" \
      </dev/null >>"$bench/bench.log" 2>&1 8>&- &
    local i
    for i in $(seq 100); do
      [[ -f "$bench/display" ]] && return 0
      kill -0 $! 2>/dev/null || break
      sleep 0.05
    done
  done
  echo "wine-run: no X display could be started (see $bench/bench.log)" >&2
  return 1
}

# Under the bench's lock: a running bench and an initialised prefix. Whatever starts here and
# outlives the script must not inherit the lock's descriptor (8).
prepare() {
  exec 8>"$bench/lock"
  flock 8
  local fresh=0
  if [[ ! -f "$WINEPREFIX/.initialised" ]]; then
    stop_bench
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    fresh=1
  fi
  if ! alive "$bench/xvfb.pid" || ! alive "$bench/wineserver.pid" || [[ ! -f "$bench/display" ]]; then
    start_bench || return 1
  fi
  export DISPLAY=":$(cat "$bench/display")"
  if ((fresh)); then
    # A wineserver that has only just started may not take its first client yet (seen when
    # several benches start at once on a busy machine): the first start is tried again.
    local try
    for try in 1 2 3; do
      wine wineboot --init </dev/null >>"$bench/bench.log" 2>&1 8>&- && break
      ((try < 3)) || { echo "wine-run: wineboot failed" >&2; return 1; }
      sleep 2
    done
    if [[ -n "${GLINTORA_BENCH_MONITORS:-}" ]]; then
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f </dev/null \
        >>"$bench/bench.log" 2>&1 8>&- || { echo "wine-run: the monitors' setting failed" >&2; return 1; }
      # The desktop process reads it when it starts: the session starts again.
      stop_bench
      start_bench || return 1
      export DISPLAY=":$(cat "$bench/display")"
    fi
    touch "$WINEPREFIX/.initialised"
  fi
  exec 8>&-
}

case "${1:-}" in
  --stop)
    exec 8>"$bench/lock"; flock 8; stop_bench; exit 0 ;;
  --env)
    prepare || exit 1
    printf 'export WINEPREFIX=%q WINEARCH=%q WINEDEBUG=%q WINEDLLOVERRIDES=%q DISPLAY=%q\n' \
      "$WINEPREFIX" "$WINEARCH" "$WINEDEBUG" "$WINEDLLOVERRIDES" "$DISPLAY"
    exit 0 ;;
esac

[[ $# -ge 1 ]] || { echo "wine-run: no program given" >&2; exit 2; }
prepare || exit 1

limit=${GLINTORA_TEST_TIMEOUT:-300}
(( limit > 20 )) && limit=$((limit - 10))
# The program's output goes through a file: Wine's helper processes inherit the program's
# streams and outlive it, and must not hold the caller's pipe open.
out=$(mktemp)
timeout -k 5 "$limit" wine "$@" </dev/null >"$out" 2>&1
rc=$?
cat "$out"
rm -f "$out"
(( rc == 124 )) && echo "wine-run: $1 did not end within $limit s" >&2
exit $rc

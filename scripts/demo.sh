#!/usr/bin/env bash
# Builds glintora.scr (with its installer and release archive) and the demo picture
# generator, writes a folder of demo pictures with a short movie among them
# (build/demo/pictures), points the saver's settings at it (movies
# played at twice their size, muted) and starts the saver under Wine
# as the system starts a screen saver (/s):
#   - with a reachable $DISPLAY, on that desktop until a key is pressed;
#   - otherwise on the demo's own virtual display for GLINTORA_DEMO_SECONDS (20), taking
#     screenshots of chosen moments into build/demo/screenshots, then ending it with a key.
# The headless run then opens the options dialog (/c) and saves a screenshot of it beside
# the show's, opens its transitions dialog and saves one of that with its preview halfway
# through a transition. The saver runs in a Wine prefix of its own (build/demo/wine-bench), so the
# demo's settings never reach the tests' prefix. Extra arguments replace /s and just run the
# saver once, e.g. scripts/demo.sh /c shows the options dialog. With GLINTORA_DEMO_MONITORS
# (e.g. "1024x600 800x480") the headless run has that many monitors side by side, in a prefix
# of its own, and each screenshot shows all of them.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${GLINTORA_BUILD_DIR:-$root/build}")
demo=$build/demo
pictures=$demo/pictures
shots=$demo/screenshots
bench=$demo/wine-bench
if [[ -n "${GLINTORA_DEMO_MONITORS:-}" ]]; then
  export GLINTORA_BENCH_MONITORS=$GLINTORA_DEMO_MONITORS
  bench=$demo/wine-bench-monitors
fi
scr=$build/windows/src/glintora.scr
run_seconds=${GLINTORA_DEMO_SECONDS:-24}
# The show's pace, in seconds: each picture stays `delay`, then the change to the next takes
# `duration`.
delay=2
duration=1.5
# The three movies, the show's first items (an AVI, a ".mov", then a phone video, ".mp4"),
# last this long. They come first because under Wine a window that has drawn with OpenGL no
# longer shows its child windows, the movies' among them, and every change between pictures
# here is a 3D one.
movie_seconds=4
mov_seconds=3
mp4_seconds=3

"$root/scripts/setup.sh"

# configure NAME DIR ARGS...: configures as scripts/test.sh does, showing the log on failure.
configure() {
  local name=$1 dir=$2; shift 2
  mkdir -p "$(dirname "$dir")"
  if ! cmake -S "$root" -B "$dir" -G Ninja -DGLINTORA_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" \
    >"$dir.configure.log" 2>&1; then
    cat "$dir.configure.log"
    echo "demo: the $name build could not be configured" >&2
    exit 1
  fi
}
configure windows "$build/windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake"
# The program, and what a Windows user downloads: the installer and the release archive.
cmake --build "$build/windows" --target glintora installer release_archive
echo "demo: for Windows users:" "$build"/windows/package/glintora-*-{setup.exe,win64.zip}
configure native "$build/native"
cmake --build "$build/native" --target make_demo_pictures

rm -rf "$pictures"
"$build/native/tools/make_demo_pictures" "$pictures" >/dev/null
# The phone video after the ".mov": a bouncing ball in H.264 in an MP4 container, as phones
# record, made by GStreamer's encoder.
gst-launch-1.0 -q videotestsrc pattern=ball background-color=0xFF204080 num-buffers=$((mp4_seconds * 30)) \
  ! video/x-raw,width=320,height=240,framerate=30/1 ! x264enc ! video/x-h264,stream-format=avc ! mp4mux \
  ! filesink location="$pictures/00c-phone-video.mp4"
echo "demo: pictures in $pictures:" $(ls "$pictures")

[[ -f "$bench/prefix/.initialised" ]] || echo "demo: making the demo's Wine prefix (the first time takes a while)"
user_display=${DISPLAY:-}
eval "$("$root/cmake/wine-run.sh" --bench "$bench" --env)"
trap '"$root/cmake/wine-run.sh" --bench "$bench" --stop 2>/dev/null' EXIT

# The saver's settings, in the forms it reads them: text, numbers as printf's "%f" text, and
# switches as 0 or 1 DWORDs.
key='HKCU\Software\vostrand.\glintora'
set_value() { wine reg add "$key" /v "$1" /t "$2" /d "$3" /f >/dev/null; }
set_value Directory REG_SZ "Z:${pictures//\//\\}"
set_value Delay REG_SZ "$(LC_ALL=C printf '%f' "$delay")"
set_value "Transition Duration" REG_SZ "$(LC_ALL=C printf '%f' "$duration")"
set_value Transition REG_DWORD 1
set_value Random REG_DWORD 0
set_value Recursive REG_DWORD 0
set_value "Enlarge to screen" REG_DWORD 0
set_value "Play Movies" REG_DWORD 1
set_value "Movie Zoom" REG_SZ 2
set_value "Mute Movies" REG_DWORD 1
# Only the ten 3D transitions (identifiers 91 to 100), so that every change between pictures,
# and each screenshot of one, is drawn with OpenGL; the tests run the other families.
usage=$(printf '00%.0s' $(seq 0 90); printf '01%.0s' $(seq 91 100))
set_value Usage REG_BINARY "$usage"
echo "demo: settings:"
wine reg query "$key" | tr -d '\r' | sed -n 's/^    /  /p'

if (($#)) && [[ "$*" != /s ]]; then
  [[ -n "$user_display" ]] && export DISPLAY=$user_display
  echo "demo: wine glintora.scr $* on display $DISPLAY"
  status=0
  wine "$scr" "$@" || status=$?
  echo "demo: glintora.scr ended with exit code $status"
  exit $status
fi

now_ms() { date +%s%3N; }
seconds() { printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)); }

if [[ -n "$user_display" ]] && xdpyinfo -display "$user_display" >/dev/null 2>&1; then
  export DISPLAY=$user_display
  echo "demo: wine glintora.scr /s on display $DISPLAY; press a key to end it"
  start=$(now_ms)
  status=0
  wine "$scr" /s || status=$?
  elapsed=$(($(now_ms) - start))
  echo "demo: glintora.scr ended after $(seconds $elapsed) s with exit code $status"
  ((elapsed >= 3000)) || echo "demo: it ended almost at once, before it could show a picture"
  exit $status
fi
[[ -n "$user_display" ]] && echo "demo: display $user_display does not answer; using the demo's virtual display"

# Headless: run on the bench's display and take screenshots. The schedule counts from the
# moment the show's first item, the AVI movie, appears on the black screen: it plays for
# `movie_seconds`, the ".mov" movie for `mov_seconds`, the ".mp4" for `mp4_seconds` (a
# little more under Wine, whose graph tells the end late), then picture 1 follows without a
# change; picture n is fully shown for `delay`, then the change to picture n + 1 takes
# `duration`.
ms() { LC_ALL=C awk -v s="$1" 'BEGIN { printf "%d", s * 1000 }'; }
delay_ms=$(ms "$delay")
duration_ms=$(ms "$duration")
period_ms=$((delay_ms + duration_ms))
avi_ms=$(ms "$movie_seconds")
mov_ms=$(ms "$mov_seconds")
mp4_ms=$(ms "$mp4_seconds")
movie_ms=$((avi_ms + mov_ms + mp4_ms + 250))
schedule=(
  "01-movie-begins $((avi_ms / 4))"
  "02-movie-ends $((avi_ms * 3 / 4))"
  "02b-mov-movie-plays $((avi_ms + mov_ms / 2))"
  "02c-mp4-movie-plays $((avi_ms + mov_ms + mp4_ms / 2))"
  "03-picture-1 $((movie_ms + delay_ms / 2))"
  "04-change-1-to-2 $((movie_ms + delay_ms + duration_ms / 2))"
  "05-picture-2 $((movie_ms + period_ms + delay_ms / 2))"
  "06-change-2-to-3 $((movie_ms + period_ms + delay_ms + duration_ms / 2))"
  "07-picture-3 $((movie_ms + 2 * period_ms + delay_ms / 2))"
  "08-change-3-to-4 $((movie_ms + 2 * period_ms + delay_ms + duration_ms / 2))"
  "09-picture-4 $((movie_ms + 3 * period_ms + delay_ms / 2))"
)
rm -rf "$shots"
mkdir -p "$shots"
root_window=$(($(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-fA-F]*\).*/\1/p')))
# The first visible window on the bench's display other than the root: the saver's.
saver_window() {
  local w
  for w in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
    ((w == root_window)) || { echo "$w"; return 0; }
  done
  return 1
}

echo "demo: wine glintora.scr /s on the virtual display $DISPLAY for $run_seconds s"
started=$(now_ms)
wine "$scr" /s </dev/null >"$demo/saver.log" 2>&1 &
saver=$!
running() { kill -0 "$saver" 2>/dev/null; }

shown=""
while running && (($(now_ms) - started < 15000)); do
  if window=$(saver_window); then
    WIDTH=? HEIGHT=? X=? Y=?
    eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)" || true
    echo "demo: its window appeared after $(seconds $(($(now_ms) - started))) s: ${WIDTH}x$HEIGHT at $X,$Y"
    break
  fi
  sleep 0.1
done
# The first item (the movie): the screen's brightest pixel leaves black.
while [[ -n "${window:-}" ]] && running && (($(now_ms) - started < 30000)); do
  brightest=$(/usr/bin/import -display "$DISPLAY" -window root -format '%[fx:maxima]' info:- 2>/dev/null || echo 0)
  if [[ $brightest != 0 ]]; then
    shown=$(now_ms)
    echo "demo: the first item, the movie, appeared after $(seconds $((shown - started))) s"
    break
  fi
  sleep 0.05
done

taken=()
if [[ -n "$shown" ]]; then
  for entry in "${schedule[@]}"; do
    read -r name at <<<"$entry"
    ((at < run_seconds * 1000)) || break
    wait_ms=$((shown + at - $(now_ms)))
    ((wait_ms > 0)) && sleep "$(seconds $wait_ms)"
    running || break
    file=$shots/$name.png
    at=$(($(now_ms) - shown))
    if /usr/bin/import -display "$DISPLAY" -window root "$file" 2>>"$demo/saver.log"; then
      taken+=("$file ($(seconds $at) s)")
    fi
  done
  wait_ms=$((shown + run_seconds * 1000 - $(now_ms)))
  while running && ((wait_ms > 0)); do
    sleep 0.2
    wait_ms=$((shown + run_seconds * 1000 - $(now_ms)))
  done
fi

ended_by=itself
if running; then
  echo "demo: pressing a key"
  xdotool key space
  ended_by=key
  for _ in $(seq 100); do running || break; sleep 0.1; done
  if running; then
    echo "demo: glintora.scr did not end within 10 s of the key press; ending it"
    kill "$saver" 2>/dev/null
    ended_by=kill
  fi
fi
status=0
wait "$saver" || status=$?
elapsed=$(seconds $(($(now_ms) - started)))

case $ended_by in
  key) echo "demo: glintora.scr ended on the key press after $elapsed s with exit code $status" ;;
  kill) echo "demo: glintora.scr was ended after $elapsed s (exit code $status)" ;;
  itself)
    echo "demo: glintora.scr ended by itself after $elapsed s with exit code $status, before the key press"
    [[ -n "${window:-}" ]] || echo "demo: it showed no window" ;;
esac
if ((${#taken[@]})); then
  echo "demo: screenshots (seconds after the movie appeared):"
  printf '  %s\n' "${taken[@]}"
else
  echo "demo: no screenshots were taken"
fi

# Saves the part of the screen that window $1 covers into $2; sets WIDTH and HEIGHT.
shoot_window() {
  WIDTH=0 HEIGHT=0 X=0 Y=0
  eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)" || true
  /usr/bin/import -display "$DISPLAY" -window root -crop "${WIDTH}x$HEIGHT+$X+$Y" +repage "$2" 2>>"$demo/saver.log"
}

# The options dialog, as the system's screen-saver page opens it with "Settings".
echo "demo: wine glintora.scr /c on the virtual display"
wine "$scr" /c </dev/null >>"$demo/saver.log" 2>&1 &
options=$!
dialog=""
for _ in $(seq 150); do
  dialog=$(xdotool search --onlyvisible --name '^glintora Options$' 2>/dev/null | head -n1) || true
  [[ -n "$dialog" ]] && break
  kill -0 "$options" 2>/dev/null || break
  sleep 0.1
done
options_status=0
if [[ -n "$dialog" ]]; then
  sleep 1  # until it has painted
  file=$shots/10-options-dialog.png
  if shoot_window "$dialog" "$file"; then
    echo "demo: the options dialog (${WIDTH}x$HEIGHT): $file"
  fi
  # "Setup..." is the seventh tab stop after the folder box, which has the focus: the
  # transitions dialog opens, and its preview starts the selected transition (the cross-fade,
  # drawn without OpenGL) two seconds later; the screenshot is taken halfway through it (the
  # dialog is seen a little after it started, and the screenshot itself takes a moment).
  xdotool windowfocus --sync "$dialog" 2>/dev/null || true
  xdotool key Tab Tab Tab Tab Tab Tab Tab space
  transitions=""
  for _ in $(seq 150); do
    transitions=$(xdotool search --onlyvisible --name '^Transitions Setup$' 2>/dev/null | head -n1) || true
    [[ -n "$transitions" ]] && break
    sleep 0.1
  done
  if [[ -n "$transitions" ]]; then
    sleep "$(LC_ALL=C awk -v d="$duration" 'BEGIN { printf "%.2f", 2 + d / 2 - 0.4 }')"
    file=$shots/11-transitions-dialog.png
    if shoot_window "$transitions" "$file"; then
      echo "demo: the transitions dialog, its preview halfway through the cross-fade (${WIDTH}x$HEIGHT): $file"
    fi
    xdotool windowfocus --sync "$transitions" 2>/dev/null || true
    xdotool key Escape
    for _ in $(seq 100); do
      xdotool search --onlyvisible --name '^Transitions Setup$' >/dev/null 2>&1 || break
      sleep 0.1
    done
  else
    echo "demo: the transitions dialog did not appear"
    options_status=1
  fi
  # Escape is its Cancel: nothing is written.
  xdotool windowfocus --sync "$dialog" 2>/dev/null || true
  xdotool key Escape
  for _ in $(seq 100); do kill -0 "$options" 2>/dev/null || break; sleep 0.1; done
else
  echo "demo: the options dialog did not appear"
  options_status=1
fi
if kill -0 "$options" 2>/dev/null; then
  echo "demo: the options dialog did not close on Escape; ending it"
  kill "$options" 2>/dev/null
  options_status=1
fi
wait "$options" || options_status=$?
echo "demo: glintora.scr /c ended with exit code $options_status"
((status)) || status=$options_status
exit $status

#!/usr/bin/env bash
# Starts a reparenting window manager (openbox) on the X display, then the
# real zarvo750, and reads from the X server what a user sees: the frame
# (_NET_FRAME_EXTENTS) plus the client area must be 752 x 490 in all, and that
# outer rectangle centred on the screen. Keeps a screenshot, closes the window
# with Esc, expects exit code 0 and stops the window manager again, so that
# the tests after it find a bare display.
set -euo pipefail
program=$1
artifacts=$2
mkdir -p "$artifacts"

if [ -z "${DISPLAY:-}" ]; then
  echo "no X display: run the tests under xvfb-run" >&2
  exit 1
fi
if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
  echo "a window manager already runs on $DISPLAY" >&2
  exit 1
fi

scratch=$(mktemp -d)
wm_pid=""
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "$wm_pid" ] && wait "$wm_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

# openbox's own files (its cache, a missing menu) stay in the scratch folder.
# A display that another test run has only just given up can refuse the first
# connection: try the start a few times.
for _ in 1 2 3; do
  XDG_CACHE_HOME=$scratch XDG_CONFIG_HOME=$scratch openbox --sm-disable >"$scratch/openbox.log" 2>&1 &
  wm_pid=$!
  for _ in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break 2
    kill -0 "$wm_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$wm_pid" 2>/dev/null || true
  wait "$wm_pid" 2>/dev/null || true
  wm_pid=""
  sleep 0.5
done
if [ -z "$wm_pid" ]; then
  echo "openbox did not start:" >&2
  cat "$scratch/openbox.log" >&2
  exit 1
fi

"$program" &
pid=$!

window=""
for _ in $(seq 1 300); do
  window=$(xdotool search --name '^Zarvo750突破工具$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "the tool window did not appear" >&2
  exit 1
fi

read -r screen_width screen_height < <(xwininfo -root |
  awk '/^  Width:/ {w = $2} /^  Height:/ {h = $2} END {print w, h}')
want_left=$(((screen_width - 752) / 2))
want_top=$(((screen_height - 490) / 2))

# Outer rectangle as the X server has it: "left top width height extents".
outer() {
  local extents
  extents=$(xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.* = //p' | tr -d ' ')
  [ -n "$extents" ] || extents=0,0,0,0
  xwininfo -id "$window" | awk -v e="$extents" '
    BEGIN { split(e, f, ",") }  # left, right, top, bottom
    /Absolute upper-left X:/ {x = $4} /Absolute upper-left Y:/ {y = $4}
    /^  Width:/ {w = $2} /^  Height:/ {h = $2}
    END { print x - f[1], y - f[3], w + f[1] + f[2], h + f[3] + f[4], e }'
}

# The window manager frames the window after it is mapped, and the program
# fits itself after that: wait for the rectangle to settle on the answer.
want="$want_left $want_top 752 490"
got=""
for _ in $(seq 1 50); do
  got=$(outer)
  [ "${got% *}" = "$want" ] && break
  sleep 0.1
done
read -r left top width height extents <<<"$got"
echo "screen ${screen_width}x$screen_height; frame extents (left, right, top, bottom) $extents"
echo "outer ${width}x$height at $left,$top; expected 752x490 at $want_left,$want_top"
if [ "$extents" = "0,0,0,0" ]; then
  echo "the window manager gave no frame" >&2
  exit 1
fi
[ "${got% *}" = "$want" ] || { echo "wrong outer rectangle" >&2; exit 1; }
# Still so a moment later: nothing fits the window twice.
sleep 0.5
[ "$(outer)" = "$got" ] || { echo "the outer rectangle changed to $(outer)" >&2; exit 1; }

import -window root -crop "${width}x$height+$left+$top" "$artifacts/zarvo750-openbox.png"
echo "screenshot: $artifacts/zarvo750-openbox.png"

xdotool windowactivate --sync "$window" 2>/dev/null || true
xdotool key Escape
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
code=0
wait "$pid" || code=$?
pid=""
echo "exit code $code"
[ "$code" -eq 0 ]

#!/usr/bin/env bash
# Starts the real zarvo750 on the X display, waits for its window, keeps a
# screenshot, closes it with Esc and expects exit code 0.
set -euo pipefail
program=$1
artifacts=$2
mkdir -p "$artifacts"

if [ -z "${DISPLAY:-}" ]; then
  echo "no X display: run the tests under xvfb-run" >&2
  exit 1
fi

"$program" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

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
sleep 0.5  # let it paint

size=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
echo "window $window, size $size"
import -window "$window" "$artifacts/zarvo750-window.png"
colours=$(convert "$artifacts/zarvo750-window.png" -format '%k' info:)
echo "screenshot: $artifacts/zarvo750-window.png ($colours colours)"
if [ "$colours" -lt 8 ]; then
  echo "the window looks blank" >&2
  exit 1
fi

xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key Escape
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
trap - EXIT
wait "$pid"
code=$?
echo "exit code $code"
[ "$code" -eq 0 ]

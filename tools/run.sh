#!/usr/bin/env bash
# Builds the Linux front end, serves the sample templates on 127.0.0.1:8750
# and opens the tool window; the server stops when the window is closed.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target zarvo750

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Zarvo750 needs a graphical display (DISPLAY or WAYLAND_DISPLAY is not set)." >&2
  echo "Run it on a desktop, or for example under 'xvfb-run -a bash tools/run.sh'." >&2
  exit 1
fi

python3 -m http.server 8750 --bind 127.0.0.1 --directory samples/template-server \
  >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT

./build/default/src/app/qt/zarvo750

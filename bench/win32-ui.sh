#!/usr/bin/env bash
# The Windows UI measurement: builds the Windows preset's programs and drives
# zarvo750.exe under Wine on a virtual display, in a fresh Wine prefix that is
# deleted afterwards. It prints each figure beside its baseline measured in the
# same run, and the load average before and after. Arguments go to the driver:
# "startup", or "generate [MB...]" (default: everything, 1 and 10 MB).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset windows >/dev/null
cmake --build --preset windows -j 2 --target zarvo_ui_bench desktop_keeper >/dev/null

work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash -c '
  set -u
  bash tools/wine-prefix.sh "$WINEPREFIX"
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1
  # Holds Wine'"'"'s desktop open between the programs, as in the tests.
  wine build/windows/tests/app/win32/desktop_keeper.exe >/dev/null 2>&1 &
  sleep 1
  wine build/windows/bench/win32/zarvo_ui_bench.exe "$@"
  result=$?
  wineserver -k
  exit $result
' bash "$@"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

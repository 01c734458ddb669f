#!/usr/bin/env bash
# Builds Zarvo750 and runs every test: the Linux build (unit, Qt and X window
# tests), the format, tidy and layer checks, its Debian package, the same
# suite under AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows
# build under Wine with its zip.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 0700 "$XDG_RUNTIME_DIR"
xvfb=(xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp")

echo "== Linux build"
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"
"${xvfb[@]}" ctest --preset default -j "$jobs"

echo "== Format, tidy and layer checks"
bash tools/check-style.sh

echo "== Debian package: built, installed, worked once, removed"
bash packaging/icons/check-icons.sh
rm -f build/default/zarvo750_*.deb
cmake --build --preset default -j "$jobs" --target package
"${xvfb[@]}" bash tests/packaging/deb_test.sh build/default

echo "== Linux build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
"${xvfb[@]}" ctest --preset asan -j "$jobs"

echo "== Windows build under Wine"
bash tools/test-windows.sh

#!/usr/bin/env bash
# Builds the Windows preset (mingw-w64) and its zip, and runs the whole test
# suite and the zip test under Wine on a virtual display, in a fresh Wine
# prefix that is deleted afterwards. Then the window test runs again at 120,
# 144 and 192 DPI, each in a fresh prefix of its own with the display at that
# DPI.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset windows >/dev/null
cmake --build --preset windows -j 2
rm -f build/windows/zarvo750-*-windows-x64.zip
cmake --build --preset windows -j 2 --target package

work=$(mktemp -d)
export WINEARCH=win64
export WINEDEBUG=-all
# Bold CJK captions render under a Chinese locale, which also makes the ANSI
# code page 936.
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
trap 'for p in "$work"/*/; do WINEPREFIX="$p" wineserver -k >/dev/null 2>&1 || true; done; rm -rf "$work"' EXIT

# Wine's services start before CTest, so that no test inherits their output
# pipe and CTest does not wait on them. The desktop keeper holds Wine's desktop
# open: without it Wine shuts the desktop down after each test program, and
# every later program that opens a window waits 14 s and more for it.
WINEPREFIX="$work/prefix" xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash -c '
  set -u
  bash tools/wine-prefix.sh "$WINEPREFIX"
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1
  wine build/windows/tests/app/win32/desktop_keeper.exe >/dev/null 2>&1 &
  sleep 1
  ctest --preset windows -j 2 --timeout 120
  result=$?
  echo "== The Windows zip"
  bash tests/packaging/windows_zip_test.sh build/windows || result=1
  wineserver -k
  exit $result
'
rm -rf "$work/prefix"

# The window at other DPIs: a screen large enough for the window at 200 %.
# Each prefix goes as soon as its run is over (a prefix is some 700 MB).
for dpi in 120 144 192; do
  echo "== Window test at $dpi DPI"
  WINEPREFIX="$work/prefix-$dpi" ZARVO_TEST_DPI=$dpi \
    xvfb-run -a -s "-screen 0 1920x1440x24 -nolisten tcp" bash -c '
    set -u
    bash tools/wine-prefix.sh "$WINEPREFIX" "$ZARVO_TEST_DPI"
    wineserver -p
    wine cmd /c exit >/dev/null 2>&1
    timeout 300 wine build/windows/tests/app/win32/win32_window_test.exe --gtest_brief=1
    result=$?
    wineserver -k
    exit $result
  '
  rm -rf "$work/prefix-$dpi"
done

#!/usr/bin/env bash
# Builds the Windows preset (mingw-w64) and its zip, and runs the whole test
# suite and the zip test under Wine on a virtual display, in a fresh Wine
# prefix that is deleted afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset windows >/dev/null
cmake --build --preset windows -j 2
rm -f build/windows/zarvo750-*-windows-x64.zip
cmake --build --preset windows -j 2 --target package

work=$(mktemp -d)
export WINEPREFIX="$work/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Bold CJK captions render under a Chinese locale, which also makes the ANSI
# code page 936.
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
trap 'WINEPREFIX="$WINEPREFIX" wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

# No window manager runs on the virtual display: let Wine place the windows
# itself (closing a managed window waits 2 s there). A crash must not wait on
# winedbg's dialog. The Chinese faces map to a CJK font that is installed.
cat >"$work/settings.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"SimSun"="WenQuanYi Micro Hei"
"NSimSun"="WenQuanYi Micro Hei"
"Microsoft YaHei"="WenQuanYi Micro Hei"
"Microsoft YaHei UI"="WenQuanYi Micro Hei"
"PMingLiU"="WenQuanYi Micro Hei"
"MS UI Gothic"="WenQuanYi Micro Hei"
REG

# Wine's services start before CTest, so that no test inherits their output
# pipe and CTest does not wait on them. The desktop keeper holds Wine's desktop
# open: without it Wine shuts the desktop down after each test program, and
# every later program that opens a window waits 14 s and more for it.
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash -c '
  set -u
  wine wineboot -i >/dev/null 2>&1
  wine regedit /S "$(winepath -w "$0/settings.reg")" >/dev/null 2>&1
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
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
' "$work"

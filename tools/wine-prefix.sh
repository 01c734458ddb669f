#!/usr/bin/env bash
# Makes a fresh Wine prefix for the Windows tests: the settings the tests need
# and, when a DPI is given, the display at that DPI. Run inside the X display
# the tests use.
#   tools/wine-prefix.sh PREFIX [DPI]
set -euo pipefail
prefix=$1
dpi=${2:-96}
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko installer dialogs while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="

# No window manager runs on the virtual display: let Wine place the windows
# itself (closing a managed window waits 2 s there). A crash must not wait on
# winedbg's dialog. The Chinese faces map to a CJK font that is installed. The
# display's DPI is read at the start of the next Wine session.
settings=$(mktemp --suffix=.reg)
trap 'rm -f "$settings"' EXIT
cat >"$settings" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"SimSun"="WenQuanYi Micro Hei"
"NSimSun"="WenQuanYi Micro Hei"
"Microsoft YaHei"="WenQuanYi Micro Hei"
"Microsoft YaHei UI"="WenQuanYi Micro Hei"
"PMingLiU"="WenQuanYi Micro Hei"
"MS UI Gothic"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\\Control Panel\\Desktop]
"LogPixels"=dword:$(printf '%08x' "$dpi")

[HKEY_CURRENT_CONFIG\\Software\\Fonts]
"LogPixels"=dword:$(printf '%08x' "$dpi")
REG

wine wineboot -i >/dev/null 2>&1
wine regedit /S "$(winepath -w "$settings")" >/dev/null 2>&1
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
wineserver -k >/dev/null 2>&1 || true

#!/usr/bin/env bash
# Checks the Windows zip built in BUILD_DIR and runs the zarvo750.exe unpacked
# from it under Wine. Run inside the Wine session of tools/test-windows.sh
# (WINEPREFIX set, Wine's services up, a virtual display).
# Usage: windows_zip_test.sh BUILD_DIR
set -uo pipefail
build=$(cd "$1" && pwd)

suite="windows zip"
source "$(dirname "$0")/checks.sh"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=zarvo750-$version-windows-x64
zip=$build/$name.zip
check "the package is $name.zip" test -f "$zip"
[ -f "$zip" ] || finish

# Both programs and the two texts, in one folder (names in byte order).
expected="$name/LICENSE.txt $name/README.txt $name/zarvo750-cli.exe $name/zarvo750.exe"
listed=$(unzip -Z1 "$zip" | grep -v '/$' | LC_ALL=C sort | tr '\n' ' ')
check "the zip holds $expected" test "$listed" = "$expected "

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work"
folder=$work/$name
# UTF-8 with a byte-order mark and CR LF, so that Notepad shows them right.
windows_text() {
  [ "$(head -c 3 "$1" | od -An -tx1 | tr -d ' ')" = efbbbf ] &&
    iconv -f UTF-8 -t UTF-8 "$1" >/dev/null &&
    [ "$(tr -cd '\n' <"$1" | wc -c)" -gt 0 ] &&
    [ "$(tr -cd '\n' <"$1" | wc -c)" = "$(grep -c $'\r$' "$1")" ]
}
for text in LICENSE.txt README.txt; do
  check "$text is UTF-8 with a byte-order mark and CR LF line ends" windows_text "$folder/$text"
done
check "LICENSE.txt is the MIT licence of the Zarvo750 authors" \
  grep -q "The Zarvo750 authors" "$folder/LICENSE.txt"
check "README.txt names the version and --template-host" \
  bash -c "grep -qF '$version' '$folder/README.txt' && grep -q -- '--template-host' '$folder/README.txt'"

exe=$(winepath -w "$folder/zarvo750.exe")
# A program without the option opens its window, which the time-out ends.
timeout 20 wine "$exe" --version >"$work/version" 2>&1
check "zarvo750.exe --version prints $version" grep -qF "$version" "$work/version"
wine taskkill /f /im zarvo750.exe >/dev/null 2>&1

# No template server listens now: the program generates with its built-in
# templates, from the folder it was unpacked to.
check "a generation writes yl.htm beside the unpacked zarvo750.exe" \
  bash -c "wine '$build/tests/packaging/generate_once.exe' '$exe' && test -s '$folder/yl.htm'"
finish

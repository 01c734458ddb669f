#!/usr/bin/env bash
# Fails when a committed icon image is not what zarvo750.mvg draws: the source
# was changed and make-icons.sh not run, or an image was edited by hand.
# Compares pixels, not bytes, so that another ImageMagick's encoder passes.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bash "$here/make-icons.sh" "$work"

status=0
same() {  # same FILE_A FILE_B: equal size, and no pixel off by more than 1 %
  local size_a size_b differing
  size_a=$(identify -format '%wx%h' "$1")
  size_b=$(identify -format '%wx%h' "$2")
  differing=$(compare -metric AE -fuzz 1% "$1" "$2" null: 2>&1 || true)
  if [ "$size_a" != "$size_b" ] || [ "$differing" != 0 ]; then
    echo "FAIL: $3 ($size_a against $size_b drawn, $differing pixels differ)"
    status=1
  fi
}
for size in 48 256; do
  same "$here/zarvo750-$size.png" "$work/zarvo750-$size.png" "zarvo750-$size.png"
done
committed=$here/../../src/app/win32/zarvo750.ico
frames=$(identify -format '%wx%h\n' "$committed" | tr '\n' ' ')
drawn=$(identify -format '%wx%h\n' "$work/zarvo750.ico" | tr '\n' ' ')
if [ "$frames" != "$drawn" ]; then
  echo "FAIL: zarvo750.ico holds $frames, the source draws $drawn"
  status=1
else
  count=$(identify "$committed" | wc -l)
  for ((i = 0; i < count; i++)); do
    convert "$committed[$i]" "png32:$work/committed-$i.png"
    convert "$work/zarvo750.ico[$i]" "png32:$work/drawn-$i.png"
    same "$work/committed-$i.png" "$work/drawn-$i.png" "zarvo750.ico image $i"
  done
fi
[ "$status" -eq 0 ] && echo "icons: every image is what zarvo750.mvg draws"
exit "$status"

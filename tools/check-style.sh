#!/usr/bin/env bash
# The written habits, checked: clang-format 14 over every C++ file of the
# repository, clang-tidy 14 (with .clang-tidy) over the sources and tests of
# the Linux build's compile_commands.json, and the one-way layers of src/.
# Fails on any finding. Run after the Linux build has configured build/default.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "-- include layers"
python3 tools/check_includes.py src

echo "-- clang-format"
git ls-files -co --exclude-standard -- '*.cpp' '*.hpp' '*.h' |
  xargs clang-format-14 --dry-run --Werror

echo "-- clang-tidy"
if [ ! -f build/default/compile_commands.json ]; then
  echo "check-style: build/default/compile_commands.json is missing; configure the default preset" >&2
  exit 1
fi
# Every finding is an error; the files of the build outside src/ and tests/
# (GoogleTest, Qt's generated files) are not ours to check.
start=$(date +%s)
run-clang-tidy-14 -quiet -j "$(nproc)" -p build/default -warnings-as-errors='*' \
  "$PWD/(src|tests)/" >build/default/clang-tidy.log 2>&1 || {
  grep -E 'warning:|error:' build/default/clang-tidy.log >&2 || cat build/default/clang-tidy.log >&2
  exit 1
}
echo "clang-tidy: clean in $(($(date +%s) - start)) s"

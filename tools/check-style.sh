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
python3 - "$PWD" >build/default/clang-tidy.files <<'PY'
import json, re, sys
root = re.escape(sys.argv[1])
entries = json.load(open("build/default/compile_commands.json"))
for name in sorted({e["file"] for e in entries}):
    if re.match(root + r"/(src|tests)/", name):
        print(name)
PY
# run-clang-tidy-14 has no way to make findings errors, so clang-tidy runs
# itself, one process per core.
if ! xargs -a build/default/clang-tidy.files -P "$(nproc)" -n 2 \
  clang-tidy-14 -p build/default --quiet --warnings-as-errors='*' >build/default/clang-tidy.log 2>&1; then
  grep -E 'warning:|error:' build/default/clang-tidy.log >&2 || cat build/default/clang-tidy.log >&2
  exit 1
fi
echo "clang-tidy: clean in $(($(date +%s) - start)) s"

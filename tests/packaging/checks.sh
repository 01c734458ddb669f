# Shared by the package tests: `check` runs one check and counts its result,
# `finish` prints the count under the suite's name and exits with failure when
# any check failed. Source it after setting `suite`.
passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...
  local description=$1
  shift
  if "$@"; then
    echo "ok: $description"
    passed=$((passed + 1))
  else
    echo "FAIL: $description"
    failed=$((failed + 1))
  fi
}
finish() {
  echo "$suite: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}

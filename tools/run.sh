#!/usr/bin/env bash
# Builds the Linux front end and opens the tool window.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"

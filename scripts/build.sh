#!/usr/bin/env bash
# Configures (once) and builds the program into build/; only what changed is rebuilt.
# CORVANE_BUILD names another build folder (configured like the "plain" preset).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${CORVANE_BUILD:-$top/build}
if [ ! -f "$build/build.ninja" ]; then
  if [ "$build" = "$top/build" ]; then
    (cd "$top" && cmake --preset plain "$@")
  else
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  fi
fi
cmake --build "$build" -j"$(nproc)"

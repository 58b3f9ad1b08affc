#!/usr/bin/env bash
# Installs what is needed, builds, and starts Corvane on the register beside the executable.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # No desktop here: start on a virtual X server so the program still runs.
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$top/build/corvane"
fi
exec "$top/build/corvane"

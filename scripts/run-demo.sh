#!/usr/bin/env bash
# Sets everything up and starts the simulator on the bundled demo routes, with route 1
# already set, so the board shows fares and a stop name at once.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh

if [ -z "${DISPLAY:-}" ]; then
  echo "No display found: starting a virtual one (Xvfb on :99)."
  echo "The simulator runs there; look at it with e.g.  DISPLAY=:99 import -window root shot.png"
  Xvfb :99 -screen 0 1280x800x24 >/dev/null 2>&1 &
  XVFB_PID=$!
  trap 'kill $XVFB_PID 2>/dev/null || true' EXIT
  export DISPLAY=:99
  sleep 1
fi
./build/app/527 --settings build/demo.in4 --script demo/start.script "$@"

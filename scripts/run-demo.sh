#!/usr/bin/env bash
# Sets everything up and starts the simulator on the bundled demo routes, with route 1
# already set, so the board shows fares and a stop name at once.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh

if [ -z "${DISPLAY:-}" ]; then
  # No screen: run on a virtual one; Xvfb picks a free display number and reports it.
  DISPLAY_FILE="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1280x800x24 3>"$DISPLAY_FILE" >/dev/null 2>&1 &
  XVFB_PID=$!
  trap 'kill $XVFB_PID 2>/dev/null || true; rm -f "$DISPLAY_FILE"' EXIT
  for _ in $(seq 50); do [ -s "$DISPLAY_FILE" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$DISPLAY_FILE")"
  echo "No display found: the simulator runs on a virtual one (Xvfb, DISPLAY=$DISPLAY)."
  echo "Look at it with e.g.  DISPLAY=$DISPLAY import -window root shot.png"
fi
./build/app/527 --settings build/demo.in4 --script demo/start.script "$@"

#!/usr/bin/env bash
# Starts the game in its staged folder, or explains why it cannot.
#
# Quit in the title menu ends the game with status 1, as does a fatal error, which the game
# has already shown in its message box; neither is a failure of `make play`, so both end
# this script with 0. A game killed by a signal (a crash) is reported and passed on.
set -uo pipefail
run_dir="${VS_RUN_DIR:-$(cd "$(dirname "$0")/.." && pwd)/build/run}"
quit_status=1
signal_base=128

if [ -z "${DISPLAY:-}" ]; then
  echo "Void Sentinel needs an X display; without one, try: xvfb-run make play" >&2
  exit 1
fi
cd "$run_dir" || exit 1
./void-sentinel
status=$?
if [ "$status" -eq "$quit_status" ]; then
  exit 0
fi
if [ "$status" -gt "$signal_base" ]; then
  number=$((status - signal_base))
  name=$(kill -l "$number" 2>/dev/null) && name=" (SIG$name)"
  echo "Void Sentinel was killed by signal $number${name:-}" >&2
fi
exit "$status"

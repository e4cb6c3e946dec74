#!/usr/bin/env bash
# Starts the game in its staged folder, or explains why it cannot.
set -euo pipefail
run_dir="$(cd "$(dirname "$0")/.." && pwd)/build/run"
if [ -z "${DISPLAY:-}" ]; then
  echo "Void Sentinel needs an X display; without one, try: xvfb-run make play" >&2
  exit 1
fi
cd "$run_dir"
exec ./void-sentinel

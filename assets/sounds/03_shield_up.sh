#!/usr/bin/env bash
# Shield up: two rising tones with a fast shimmer and a short echo.
set -euo pipefail
out=$1
sox -R -n -r 22050 -c 1 -b 16 "$out" synth 0.5 sine 300-1500 sine 450-2250 tremolo 30 50 \
  fade q 0.02 0.5 0.12 pad 0 0.15 echo 0.8 0.7 60 0.35 norm -3

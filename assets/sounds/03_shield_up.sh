#!/usr/bin/env bash
# Shield up: two rising tones with a fast shimmer.
set -euo pipefail
out=$1
sox -R -n -r 22050 -c 1 -b 16 "$out" synth 0.6 sine 300-1500 sine 450-2250 tremolo 30 50 \
  fade q 0.02 0.6 0.15 norm -3

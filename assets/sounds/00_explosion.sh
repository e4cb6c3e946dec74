#!/usr/bin/env bash
# Explosion: a low thump under a burst of rumbling noise, gone in under a second.
set -euo pipefail
out=$1
sox -R -m \
  "|sox -R -n -r 22050 -c 1 -p synth 0.8 brownnoise fade q 0.005 0.8 0.7 lowpass 1800 gain -2" \
  "|sox -R -n -r 22050 -c 1 -p synth 0.35 sine 140-35 fade q 0.002 0.35 0.3" \
  -b 16 "$out" norm -1

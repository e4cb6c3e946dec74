#!/usr/bin/env bash
# Explosion: a sharp crack, a falling low thump and a rumble that dies away, 0.8 seconds.
set -euo pipefail
out=$1
rate=22050
sox -R -m \
  "|sox -R -n -r $rate -c 1 -p synth 0.06 whitenoise fade q 0 0.06 0.05 gain -4" \
  "|sox -R -n -r $rate -c 1 -p synth 0.4 sine 150-38 fade q 0.002 0.4 0.34" \
  "|sox -R -n -r $rate -c 1 -p synth 0.8 brownnoise fade q 0.004 0.8 0.72 gain -6 lowpass 1400" \
  -b 16 "$out" norm -1

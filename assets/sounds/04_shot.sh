#!/usr/bin/env bash
# Player shot: a short, soft zap that stays pleasant four times a second.
set -euo pipefail
out=$1
sox -R -n -r 22050 -c 1 -b 16 "$out" synth 0.08 square 1300-380 sine 1300-380 gain -3 \
  lowpass 2400 fade q 0.002 0.08 0.06 norm -12

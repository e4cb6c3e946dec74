#!/usr/bin/env bash
# Player shot: a short, soft zap that stays pleasant four times a second.
set -euo pipefail
out=$1
sox -R -n -r 22050 -c 1 -b 16 "$out" synth 0.09 square 1500-400 lowpass 3000 \
  fade q 0.003 0.09 0.06 norm -9

#!/usr/bin/env bash
# Shield down: a falling, buzzing power-down.
set -euo pipefail
out=$1
sox -R -n -r 22050 -c 1 -b 16 "$out" synth 0.55 square 900-120 tremolo 24 70 \
  lowpass 2500 fade q 0.01 0.55 0.2 norm -3

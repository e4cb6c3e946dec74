#!/usr/bin/env bash
# Shield down: a buzzing power-down that falls away, half a second.
set -euo pipefail
out=$1
sox -R -n -r 22050 -c 1 -b 16 "$out" synth 0.55 square 900-110 sine 600-70 tremolo 22 70 gain -3 \
  lowpass 2400 fade q 0.01 0.55 0.25 norm -3

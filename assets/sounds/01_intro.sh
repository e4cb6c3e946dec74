#!/usr/bin/env bash
# The intro's opening: a deep chord swelling out of the dark with a shimmer on top.
set -euo pipefail
out=$1
sox -R -m \
  "|sox -R -n -r 22050 -c 1 -p synth 3 sine 55 sine 82.5 sine 110 fade h 1.2 3 1.6" \
  "|sox -R -n -r 22050 -c 1 -p synth 3 sine 880 sine 1320 tremolo 7 60 fade h 1.8 3 1.2 gain -14" \
  -b 16 "$out" reverb 60 norm -1

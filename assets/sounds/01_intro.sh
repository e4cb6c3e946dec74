#!/usr/bin/env bash
# The intro's opening: a wash of air rising into a deep open chord with a shimmer on top.
set -euo pipefail
out=$1
rate=22050
sox -R -m \
  "|sox -R -n -r $rate -c 1 -p synth 3.2 pinknoise fade h 1.4 3.2 1.6 highpass 1800 gain -12" \
  "|sox -R -n -r $rate -c 1 -p synth 3.2 sine 55 sine 82.5 sine 110 fade h 1.0 3.2 1.8" \
  "|sox -R -n -r $rate -c 1 -p synth 3.2 sine 880 sine 1320 tremolo 7 60 fade h 1.8 3.2 1.2 gain -16" \
  -b 16 "$out" reverb 60 norm -1

#!/usr/bin/env bash
# Installs the Debian packages the game needs that are missing.
#   install-deps.sh play   what building and playing need
#   install-deps.sh test   that, plus what the tests and benchmarks use
set -euo pipefail

play_packages=(build-essential cmake pkg-config liballegro4-dev sox abcmidi freepats)
test_packages=(googletest libgtest-dev libbenchmark-dev xvfb xdotool imagemagick x11-utils
               python3 clang libclang-rt-14-dev valgrind desktop-file-utils man-db)

wanted=("${play_packages[@]}")
if [ "${1:-play}" = test ]; then
  wanted+=("${test_packages[@]}")
fi

missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

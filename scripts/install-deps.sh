#!/usr/bin/env bash
# Installs the Debian packages the game needs that are missing.
#   install-deps.sh play   what building and playing need
#   install-deps.sh deb    that, plus what building and checking the Debian package use
#   install-deps.sh test   all of the above, plus what the tests and benchmarks use
set -euo pipefail

# x11-utils brings xmessage, which shows the game's messages in a box; librsvg2-bin and
# libpng-dev draw the window's icon from its SVG.
play_packages=(build-essential cmake pkgconf liballegro4-dev sox abcmidi freepats x11-utils
               librsvg2-bin libpng-dev)
deb_packages=(debhelper dpkg-dev lintian appstream)
test_packages=(googletest libgtest-dev libbenchmark-dev xvfb xdotool imagemagick
               python3 clang libclang-rt-dev valgrind desktop-file-utils man-db debootstrap
               gcovr)

wanted=("${play_packages[@]}")
case "${1:-play}" in
  play) ;;
  deb) wanted+=("${deb_packages[@]}") ;;
  test) wanted+=("${deb_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: install-deps.sh play|deb|test" >&2; exit 2 ;;
esac

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
  if ! command -v sudo > /dev/null; then
    echo "Installing packages needs root: run this as root, or install sudo first." >&2
    echo "As root: apt-get install ${missing[*]}" >&2
    exit 1
  fi
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Makes damaged copies of the built sprites.dat with Allegro's dat tool, for the tests that
# check the game refuses each with a clear message:
#   sprites_truncated.dat   the first half of the file
#   sprites_too_few.dat     the last picture deleted
#   sprites_wrong_kind.dat  entry 3 a sound instead of a picture
#   sprites_8bit.dat        entry 5 an 8-bit picture
# usage: make_damaged_datafiles.sh RUN_DIR OUT_DIR
set -euo pipefail

run_dir="$1"
out="$2"
DAT="${DAT:-dat}"
SOX="${SOX:-sox}"
WRONG_KIND_ENTRY=3
EIGHT_BIT_ENTRY=5

mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
source="$run_dir/sprites.dat"

# The object names in entry order (dat keeps them sorted by name).
names=($("$DAT" -l "$source" | awk '$1 == "-" { print $4 }'))
last=$((${#names[@]} - 1))

# A file whose name dat turns back into the object's name: 05_ENEMY_SHOT_BMP <- 05_enemy_shot.bmp
file_for() {
  local name="${1,,}"
  echo "$work/${name%_*}.$2"
}

copy() {
  cp "$source" "$out/$1"
}

size=$(stat -c %s "$source")
head -c $((size / 2)) "$source" > "$out/sprites_truncated.dat"

# -s1 keeps dat from adding its grabber information object on each edit.
copy sprites_too_few.dat
"$DAT" -s1 "$out/sprites_too_few.dat" -d "${names[$last]}" > /dev/null

copy sprites_wrong_kind.dat
sound="$(file_for "${names[$WRONG_KIND_ENTRY]}" wav)"
"$SOX" -n -r 11025 -b 8 -c 1 "$sound" trim 0 0.01
"$DAT" -s1 "$out/sprites_wrong_kind.dat" -d "${names[$WRONG_KIND_ENTRY]}" > /dev/null
"$DAT" -s1 "$out/sprites_wrong_kind.dat" -a -t SAMP "$sound" > /dev/null

copy sprites_8bit.dat
picture="$(file_for "${names[$EIGHT_BIT_ENTRY]}" bmp)"
"$DAT" "$source" -e "${names[$EIGHT_BIT_ENTRY]}" -o "$picture" > /dev/null
"$DAT" -s1 "$out/sprites_8bit.dat" -d "${names[$EIGHT_BIT_ENTRY]}" > /dev/null
"$DAT" -s1 "$out/sprites_8bit.dat" -a -bpp 8 -t BMP "$picture" > /dev/null

# Each edit must have landed where the tests expect it.
check() {
  "$DAT" -l "$out/$1" | awk '$1 == "-"' | sed -n "$2p" | grep -q "$3" || {
    echo "make_damaged_datafiles: $1 entry line $2 is not $3" >&2
    exit 1
  }
}
check sprites_wrong_kind.dat $((WRONG_KIND_ENTRY + 1)) "SAMP"
check sprites_8bit.dat $((EIGHT_BIT_ENTRY + 1)) "8 bit"
[ "$("$DAT" -l "$out/sprites_too_few.dat" | grep -c '^- ')" -eq "$last" ]

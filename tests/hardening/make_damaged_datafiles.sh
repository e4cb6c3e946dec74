#!/usr/bin/env bash
# Makes damaged copies of the built datafiles with Allegro's dat tool and damage_datafile.py,
# for the tests that check the game refuses each with a clear message:
#   sprites_truncated.dat         the first half of the file
#   sprites_too_few.dat           the last picture deleted
#   sprites_wrong_kind.dat        entry 3 a sound instead of a picture
#   sprites_8bit.dat              entry 5 an 8-bit picture
#   sprites_extra_sound.dat       a sound added after the last picture, as entry 14
#   sprites_depth_7.dat           entry 0's depth field 7
#   sprites_65535x32769.dat       entry 0's size fields 65535x32769
#   sprites_30000x30000.dat       entry 0's size fields 30000x30000
#   sprites_from_backgrounds.dat  a copy of backgrounds.dat
#   sounds_long.dat               entry 0's length 0x7FFFFFFF samples
#   music_track_1.dat             the intro tune's first track length 1
#   music_track_100000.dat        the same length 100000
#   music_track_huge.dat          the same length 0x7FFFFFF0
#   music_garbled.dat             64 junk bytes in the intro tune's first track
# usage: make_damaged_datafiles.sh RUN_DIR OUT_DIR
set -euo pipefail

run_dir="$1"
out="$2"
DAT="${DAT:-dat}"
SOX="${SOX:-sox}"
PYTHON="${PYTHON:-python3}"
WRONG_KIND_ENTRY=3
EIGHT_BIT_ENTRY=5
INTRO_TUNE=1
# Where fields sit in an object's data: a picture's depth, width and height; a sound's length;
# a tune's first track length and its first event, after the one-byte delta time.
PICTURE_DEPTH=0 PICTURE_WIDTH=2 PICTURE_HEIGHT=4 SOUND_LENGTH=4 FIRST_TRACK=2 FIRST_EVENT=7
damage="$(dirname "$0")/damage_datafile.py"

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

copy sprites_extra_sound.dat
extra="$work/14_extra.wav"
"$SOX" -n -r 11025 -b 8 -c 1 "$extra" trim 0 0.01
"$DAT" -s1 "$out/sprites_extra_sound.dat" -a -t SAMP "$extra" > /dev/null

fields() {
  "$PYTHON" "$damage" "$run_dir/$1" "$out/$2" "${@:3}"
}
fields sprites.dat sprites_depth_7.dat 0 "$PICTURE_DEPTH:2=7"
fields sprites.dat sprites_65535x32769.dat 0 "$PICTURE_WIDTH:2=65535" "$PICTURE_HEIGHT:2=32769"
fields sprites.dat sprites_30000x30000.dat 0 "$PICTURE_WIDTH:2=30000" "$PICTURE_HEIGHT:2=30000"
cp "$run_dir/backgrounds.dat" "$out/sprites_from_backgrounds.dat"
fields sounds.dat sounds_long.dat 0 "$SOUND_LENGTH:4=0x7FFFFFFF"
fields music.dat music_track_1.dat $INTRO_TUNE "$FIRST_TRACK:4=1"
fields music.dat music_track_100000.dat $INTRO_TUNE "$FIRST_TRACK:4=100000"
fields music.dat music_track_huge.dat $INTRO_TUNE "$FIRST_TRACK:4=0x7FFFFFF0"
fields music.dat music_garbled.dat $INTRO_TUNE "$FIRST_EVENT:junk=64"

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
check sprites_extra_sound.dat $((last + 2)) "SAMP"

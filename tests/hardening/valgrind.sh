#!/usr/bin/env bash
# valgrind --leak-check=full over a short headless game (the soak driver: datafiles, level
# loads, ticks, frames, a tally and a lost life) and over the high score load and save.
# Any invalid access or leak fails.
# usage: valgrind.sh SOAK SAVE_LOOP RUN_DIR BLANK_TABLE
set -euo pipefail

soak="$1" save_loop="$2" run_dir="$3" blank="$4"
GAME_TICKS=3000
SAVES=20
ERROR_STATUS=99

folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT

check() {
  local name="$1"
  shift
  echo "valgrind: $name"
  if ! valgrind --leak-check=full --show-leak-kinds=definite,indirect,possible \
       --errors-for-leak-kinds=definite,indirect,possible --error-exitcode=$ERROR_STATUS \
       --track-origins=yes --log-file="$folder/$name.log" "$@" > "$folder/$name.out"; then
    cat "$folder/$name.out" "$folder/$name.log"
    echo "FAILED: valgrind found errors in $name"
    exit 1
  fi
  tail -n 1 "$folder/$name.out"
  grep -E "ERROR SUMMARY|in use at exit" "$folder/$name.log"
}

check game "$soak" --ticks $GAME_TICKS "$run_dir"
cp "$blank" "$folder/highscores.sco"
check scores "$save_loop" "$folder" --count $SAVES

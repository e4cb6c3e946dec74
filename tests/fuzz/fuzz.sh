#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer,
# straight from the game sources each one needs, and runs each for a bounded time.
#
#   fuzz.sh build OUT_DIR            build fuzz_level, fuzz_highscores and fuzz_datafile into OUT_DIR
#   fuzz.sh run OUT_DIR SECONDS      build, then run each target for SECONDS on a copy of its
#                                    committed seed corpus; any finding fails the run
#   fuzz.sh one OUT_DIR TARGET ARGS  run one built target by hand with libFuzzer options
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
source_dir="$(cd "$here/../.." && pwd)"
CLANG="${CLANG:-clang++}"
TARGETS=(fuzz_level fuzz_highscores fuzz_datafile)

sources_of() {
  case "$1" in
    fuzz_level)
      echo src/levels/level_file.cpp src/frame/state.cpp src/frame/fatal.cpp src/frame/text.cpp \
        src/frame/files.cpp ;;
    fuzz_highscores)
      echo src/highscores/table.cpp src/frame/fatal.cpp src/frame/text.cpp src/frame/files.cpp ;;
    fuzz_datafile)
      echo src/frame/datafile_scan.cpp src/frame/object_checks.cpp src/frame/datafiles.cpp \
        src/frame/patches.cpp src/frame/files.cpp src/frame/fatal.cpp src/frame/text.cpp ;;
  esac
}

build() {
  local out="$1"
  mkdir -p "$out"
  for target in "${TARGETS[@]}"; do
    local files=("$here/$target.cpp")
    for f in $(sources_of "$target"); do files+=("$source_dir/$f"); done
    echo "building $out/$target"
    # Every undefined-behaviour report aborts, so the fuzzer counts it as a finding.
    "$CLANG" -std=c++17 -g -O1 -Wall -Wextra -fno-omit-frame-pointer \
      -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
      -Wno-deprecated-declarations -I "$source_dir/src" -I "$here" \
      "${files[@]}" $(pkg-config --cflags --libs allegro) -o "$out/$target"
  done
}

# Runs one target over a scratch copy of its corpus, so the committed seeds stay as they are.
run_one() {
  local out="$1" target="$2" seconds="$3"
  local corpus="$out/corpus-$target"
  rm -rf "$corpus" && mkdir -p "$corpus"
  cp "$here/corpus/${target#fuzz_}"/* "$corpus"/
  echo "fuzzing $target for $seconds s"
  (cd "$out" && ASAN_OPTIONS=detect_leaks=1 "./$target" -max_total_time="$seconds" \
     -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$corpus" 2>"$out/$target.log") || {
    tail -n 60 "$out/$target.log"
    echo "$target: FINDING (crash input saved in $out)" >&2
    return 1
  }
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$out/$target.log" | sed "s/^/$target /"
}

if [ $# -ge 2 ]; then
  mkdir -p "$2"
  set -- "$1" "$(cd "$2" && pwd)" "${@:3}"
fi

case "${1:-}" in
  build)
    build "$2" ;;
  run)
    build "$2"
    passed=0 failed=0
    for target in "${TARGETS[@]}"; do
      if run_one "$2" "$target" "$3"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
    done
    echo "fuzz: $passed passed, $failed failed"
    [ "$failed" -eq 0 ] ;;
  one)
    out="$2" target="$3"; shift 3
    cd "$out" && exec "./$target" "$@" ;;
  *)
    sed -n '2,9p' "$0" >&2
    exit 2 ;;
esac

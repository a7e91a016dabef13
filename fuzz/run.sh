#!/usr/bin/env bash
# Fuzzes the readers of untrusted bytes: configures a clang build folder of its
# own (build-fuzz/), builds the libFuzzer targets (with the address and
# undefined-behaviour sanitizers), replays each target's regression inputs
# (tests/data/<folder>/) and seeds through it (any crash, sanitizer report or
# hang fails the script), then runs each target for SECONDS. Inputs it finds
# land in build-fuzz/fuzz-artifacts/<target>/.
#
#   fuzz/run.sh [SECONDS] [TARGET...]   (default 60 s per target, every target;
#                                        0 only replays)
#
# Targets: sqlite_records (database files), write_ahead_log (a database and
# its -wal), note_document (the Notes app's gzip + protobuf note bodies),
# manifest_mbdb, keybag, property_lists (Info.plist and Manifest.plist),
# typedstream (attributedBody).
set -euo pipefail
cd "$(dirname "$0")/.."
duration="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(sqlite_records write_ahead_log note_document
                                     manifest_mbdb keybag property_lists typedstream)
build="${ORVELLE_FUZZ_BUILD_DIR:-build-fuzz}"
jobs="${ORVELLE_FUZZ_BUILD_JOBS:-2}"
cc="$(command -v clang-14 || command -v clang)"
cxx="$(command -v clang++-14 || command -v clang++)"

# Where a target's regression inputs live.
regression_folder() {
  case "$1" in
    sqlite_records) echo tests/data/sqlite ;;
    write_ahead_log) echo tests/data/wal ;;
    note_document) echo tests/data/note-document ;;
    *) echo "tests/data/$1" ;;
  esac
}
# Targets whose regression folder must not be empty (for note_document it
# holds the seeds too).
needs_regressions() {
  case "$1" in sqlite_records | write_ahead_log | note_document) return 0 ;; *) return 1 ;; esac
}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
  -DORVELLE_BUILD_FUZZ=ON -DORVELLE_BUILD_TESTS=OFF -DORVELLE_BUILD_BENCH=OFF -DORVELLE_BUILD_GUI=OFF >/dev/null
build_targets=(fuzz_make_seeds fuzz_make_log_seeds)
for target in "${targets[@]}"; do build_targets+=("fuzz_$target"); done
cmake --build "$build" -j "$jobs" --target "${build_targets[@]}"

for target in "${targets[@]}"; do
  program="$build/bin/fuzz_$target"
  corpus="$build/fuzz-corpus/$target"
  artifacts="$build/fuzz-artifacts/$target/"
  mkdir -p "$corpus" "$artifacts"
  case "$target" in
    sqlite_records) "$build/bin/fuzz_make_seeds" "$corpus" >/dev/null ;;
    write_ahead_log) "$build/bin/fuzz_make_log_seeds" "$corpus" >/dev/null ;;
    note_document) ;;
    *) cp fuzz/seeds/"$target"/* "$corpus/" ;;
  esac
  inputs=()
  for input in "$(regression_folder "$target")"/*; do
    if [ -f "$input" ]; then inputs+=("$input"); fi
  done
  if needs_regressions "$target" && [ "${#inputs[@]}" -eq 0 ]; then
    echo "no regression inputs in $(regression_folder "$target")/" >&2
    exit 1
  fi
  echo "$target: replaying ${#inputs[@]} regression inputs and the seeds under the sanitizers"
  seeds=()
  for seed in "$corpus"/*; do
    if [ -f "$seed" ]; then seeds+=("$seed"); fi
  done
  "$program" -timeout=10 -rss_limit_mb=2048 "${inputs[@]}" "${seeds[@]}" 2>"$build/replay-$target.log" || {
    cat "$build/replay-$target.log" >&2
    exit 1
  }
  [ "$duration" -gt 0 ] || continue
  if [ "${#inputs[@]}" -gt 0 ]; then cp "${inputs[@]}" "$corpus/"; fi
  echo "$target: fuzzing for ${duration}s"
  "$program" "$corpus" \
    -max_total_time="$duration" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts"
done

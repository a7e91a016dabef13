#!/usr/bin/env bash
# Fuzzes the SQLite record engine (and, through fuzz/run-note-document.sh,
# the note document reader): configures a clang build folder of its own
# (build-fuzz/), builds the libFuzzer target (with the address and undefined-
# behaviour sanitizers), replays the regression inputs of tests/data/sqlite/
# through it (any crash, sanitizer report or hang fails the script, and so does
# an empty folder), then writes the seed corpus (plus the regression inputs)
# and runs the target. Inputs it finds land in build-fuzz/fuzz-artifacts/.
#
#   fuzz/run.sh [SECONDS]     (default 60; 0 only replays the regression inputs)
set -euo pipefail
cd "$(dirname "$0")/.."
duration="${1:-60}"
build="${ORVELLE_FUZZ_BUILD_DIR:-build-fuzz}"
jobs="${ORVELLE_FUZZ_BUILD_JOBS:-2}"
cc="$(command -v clang-14 || command -v clang)"
cxx="$(command -v clang++-14 || command -v clang++)"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
  -DORVELLE_BUILD_FUZZ=ON -DORVELLE_BUILD_TESTS=OFF -DORVELLE_BUILD_BENCH=OFF -DORVELLE_BUILD_GUI=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target fuzz_sqlite_records fuzz_make_seeds

regressions=()
for regression in tests/data/sqlite/*; do
  if [ -f "$regression" ]; then regressions+=("$regression"); fi
done
if [ "${#regressions[@]}" -eq 0 ]; then
  echo "no regression inputs in tests/data/sqlite/" >&2
  exit 1
fi
echo "replaying ${#regressions[@]} regression inputs under the sanitizers"
"$build/bin/fuzz_sqlite_records" -timeout=10 -rss_limit_mb=2048 "${regressions[@]}" 2>"$build/replay.log" || {
  cat "$build/replay.log" >&2
  exit 1
}
fuzz/run-note-document.sh "$duration"
[ "$duration" -gt 0 ] || exit 0

corpus="$build/fuzz-corpus/sqlite_records"
artifacts="$build/fuzz-artifacts/"
mkdir -p "$corpus" "$artifacts"
"$build/bin/fuzz_make_seeds" "$corpus" >/dev/null
cp "${regressions[@]}" "$corpus/"

echo "fuzzing the SQLite record engine for ${duration}s"
"$build/bin/fuzz_sqlite_records" "$corpus" \
  -max_total_time="$duration" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$artifacts"

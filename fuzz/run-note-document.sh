#!/usr/bin/env bash
# Fuzzes the note document reader (gzip + protocol buffers of the Notes app's
# store). Called by fuzz/run.sh once it has configured the clang build folder:
# builds the target, replays the inputs of tests/data/note-document/ (the
# fixtures' documents and any input that once failed; a crash, sanitizer
# report or hang fails the script), then, for a duration above 0, fuzzes from
# them. Inputs it finds land in the build folder's fuzz-artifacts/.
#
#   fuzz/run-note-document.sh SECONDS
set -euo pipefail
cd "$(dirname "$0")/.."
duration="${1:-60}"
build="${ORVELLE_FUZZ_BUILD_DIR:-build-fuzz}"
jobs="${ORVELLE_FUZZ_BUILD_JOBS:-2}"
target="$build/bin/fuzz_note_document"

cmake --build "$build" -j "$jobs" --target fuzz_note_document

inputs=(tests/data/note-document/*)
if [ ! -f "${inputs[0]}" ]; then
  echo "no inputs in tests/data/note-document/" >&2
  exit 1
fi
echo "replaying ${#inputs[@]} note documents under the sanitizers"
"$target" -timeout=10 -rss_limit_mb=2048 "${inputs[@]}" 2>"$build/replay-note-document.log" || {
  cat "$build/replay-note-document.log" >&2
  exit 1
}
[ "$duration" -gt 0 ] || exit 0

corpus="$build/fuzz-corpus/note_document"
artifacts="$build/fuzz-artifacts/"
mkdir -p "$corpus" "$artifacts"
cp "${inputs[@]}" "$corpus/"
echo "fuzzing the note document reader for ${duration}s"
"$target" "$corpus" -max_total_time="$duration" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$artifacts"

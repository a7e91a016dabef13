#!/usr/bin/env bash
# What a run's private scratch folder costs: the export of the encrypted demo
# backup by two builds of the programs, as whole processes, in turn (A B A B
# ...), each into a fresh destination. The decrypted copy is made, read and
# removed in every run, so the scratch folder's making, locking and removal
# are all inside the time.
#
#   bench/private_scratch.sh BIN_A BIN_B [ROUNDS]
#
# BIN_A and BIN_B are the folders that hold orvelle, orvelle-decrypt and
# orvelle-make-demo (for example an older build's bin/ and build/bin/).
# Prints each run's wall time and the median of each side and their ratio.
set -euo pipefail
if [ $# -lt 2 ]; then
  sed -n '2,12p' "$0"
  exit 2
fi
bin_a=$(cd "$1" && pwd)
bin_b=$(cd "$2" && pwd)
rounds=${3:-9}
work=$(mktemp -d "${TMPDIR:-/tmp}/orvelle-bench-scratch.XXXXXX")
trap 'rm -rf "$work"' EXIT

encrypted=$("$bin_b/orvelle-make-demo" --encrypted "$work/demo")

# Seconds one export takes, as a whole process.
time_export() {
  local bin=$1 destination=$2 start end
  start=$(date +%s%N)
  echo orvelle-demo | "$bin/orvelle" export --password-stdin "$encrypted" "$destination" >/dev/null 2>&1
  end=$(date +%s%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f\n", (b - a) / 1e9 }'
}

# One untimed run of each side first, so both start from a warm cache.
time_export "$bin_a" "$work/warm-a" >/dev/null
time_export "$bin_b" "$work/warm-b" >/dev/null

a_times=()
b_times=()
for round in $(seq 1 "$rounds"); do
  # The sides take turns going first.
  if [ $((round % 2)) -eq 1 ]; then
    a_times+=("$(time_export "$bin_a" "$work/a$round")")
    b_times+=("$(time_export "$bin_b" "$work/b$round")")
  else
    b_times+=("$(time_export "$bin_b" "$work/b$round")")
    a_times+=("$(time_export "$bin_a" "$work/a$round")")
  fi
  echo "round $round: A ${a_times[-1]} s, B ${b_times[-1]} s"
done

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
a_median=$(median "${a_times[@]}")
b_median=$(median "${b_times[@]}")
echo "A ($bin_a): median ${a_median} s"
echo "B ($bin_b): median ${b_median} s"
awk -v a="$a_median" -v b="$b_median" 'BEGIN { printf "B / A: %.3f\n", b / a }'

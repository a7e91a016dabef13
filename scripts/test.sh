#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test (unit, end-to-end and a
# short fuzzing run of every target).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
ctest --test-dir "${ORVELLE_BUILD_DIR:-build}" --output-on-failure -j "$(nproc)" --timeout 600
if [ -x fuzz/run.sh ]; then
  fuzz/run.sh 10
fi

#!/usr/bin/env bash
# The long random soak of the editor window under Wine:
#   scripts/soak.sh [STEPS] [SEED]      (default 20000 steps, seed 20261207)
# Builds the 64-bit GUI tests when needed and runs only the soak, which checks
# the document against a plain model after every step and the file after
# every save, fails on any dialog it did not expect, and compares the GDI,
# USER and handle counts after its warm-up with those at the end.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
./scripts/setup.sh || exit 1
cmake --preset win64 >/dev/null && cmake --build --preset win64 -j "$(nproc)" --target gui_tests >build/soak-build.log 2>&1 \
  || { tail -n 40 build/soak-build.log; exit 1; }
. scripts/wine-env.sh
wine_env_start "$ROOT/build/win64"
export MOXEL_SOAK_STEPS=${1:-20000} MOXEL_SOAK_SEED=${2:-20261207}
start=$(date +%s)
(cd build/win64 && "$WINE64" gui_tests.exe --gtest_filter='*Soak*' </dev/null 2>&1) | iconv -f CP932 -t UTF-8 -c
rc=${PIPESTATUS[0]}
echo "soak: $(( $(date +%s) - start )) s"
wine_env_stop
exit "$rc"

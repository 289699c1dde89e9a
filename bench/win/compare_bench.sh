#!/usr/bin/env bash
# The compare of the real program under Wine beside cmp -l on the same two
# files, which differ in a few bytes: the program maps the other file window
# by window instead of reading it into memory. The two run in turns, twice,
# and each figure is the best of its runs.
#
#   bench/win/compare_bench.sh [MiB] [differences]
#       (default 2047 MiB, just under the largest document, and 16 differences;
#        needs build/win64/bench_compare.exe and twice the size in /tmp)
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$(pwd)
MIB=${1:-2047}
DIFFERENCES=${2:-16}
DIR=$(mktemp -d /tmp/moxel_compare_bench.XXXXXX)
trap 'rm -rf "$DIR"' EXIT

head -c "$((MIB << 20))" /dev/urandom >"$DIR/a.bin"
cp "$DIR/a.bin" "$DIR/b.bin"
# Bytes turned over at places spread across the file.
python3 - "$DIR/b.bin" "$((MIB << 20))" "$DIFFERENCES" <<'PY'
import sys
path, size, count = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
with open(path, "r+b") as f:
    for k in range(count):
        at = (k * 2654435761 + 12345) % size
        f.seek(at)
        byte = f.read(1)[0]
        f.seek(at)
        f.write(bytes([byte ^ 0xFF]))
PY
cat "$DIR/a.bin" "$DIR/b.bin" >/dev/null

# Output goes through a pipe: GNU cmp stops at the first difference when it
# sees that its output is /dev/null.
seconds() { local t0 t1; t0=$(date +%s.%N); "$@" 2>/dev/null | cat >/dev/null || true; t1=$(date +%s.%N); echo "$t1 - $t0" | bc; }

. scripts/wine-env.sh
wine_env_start "$ROOT/build/win64"
for round in 1 2; do
  echo "native cmp $(seconds cmp -l "$DIR/a.bin" "$DIR/b.bin")"
  (cd build/win64 && "$WINE64" bench_compare.exe "Z:$DIR/a.bin" "Z:$DIR/b.bin" 2>&1 | iconv -f CP932 -t UTF-8 -c | tr -d '\r') || true
done >"$DIR/out.txt"
wine_env_stop

best() { awk -v k="$1" -v n="$2" '$1 == k && $2 == n { if (b == "" || $3 < b) b = $3 } END { print b }' "$DIR/out.txt"; }
ours=$(best time compare); theirs=$(best native cmp)
echo "two files of $MIB MiB that differ in $(grep -m1 '^rows' "$DIR/out.txt" | cut -d' ' -f2) bytes; each time the best of its runs"
# Memory as the last run of the program saw it.
tac "$DIR/out.txt" | grep -m4 '^document\|^working set\|^private\|^peak' | tac
if [ -n "$ours" ] && [ -n "$theirs" ]; then
  awk -v o="$ours" -v t="$theirs" -v mb="$MIB" 'BEGIN {
    printf "compare until the list is open: %.3f s (%.0f MB/s)\n", o, mb * 1.048576 / o
    printf "cmp -l | cat:                   %.3f s (%.0f MB/s)\n", t, mb * 1.048576 / t
    printf "ours / cmp -l: %.2fx\n", o / t }'
fi

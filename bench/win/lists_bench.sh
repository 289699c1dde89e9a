#!/usr/bin/env bash
# Compare and copy figures of the real program under Wine, beside cmp -l and
# xxd run natively on the same files in the same run, and the native
# buildCopyText figure when the native benchmarks are built.
#
#   bench/win/lists_bench.sh [MiB]      (default 64; needs build/win64/bench_lists.exe)
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$(pwd)
MIB=${1:-64}
DIR=$(mktemp -d /tmp/moxel_lists_bench.XXXXXX)
trap 'rm -rf "$DIR"' EXIT

# Two files that differ in every byte: the second is the first with each byte plus one.
head -c "$((MIB << 20))" /dev/urandom >"$DIR/a.bin"
tr '\000-\377' '\001-\377\000' <"$DIR/a.bin" >"$DIR/b.bin"

# Output goes through a pipe: GNU cmp stops at the first difference when it
# sees that its output is /dev/null.
seconds() { local t0 t1; t0=$(date +%s.%N); "$@" 2>/dev/null | cat >/dev/null || true; t1=$(date +%s.%N); echo "$t1 - $t0" | bc; }
echo "files: $MIB MiB each, differing in every byte"
echo "cmp -l a b | cat > /dev/null:    $(seconds cmp -l "$DIR/a.bin" "$DIR/b.bin") s"
echo "xxd a | cat > /dev/null:         $(seconds xxd "$DIR/a.bin") s"
if [ -x build/native/bench_document ]; then
  build/native/bench_document "$DIR" | sed -n '/^copy text/,/kanji/p'
fi

. scripts/wine-env.sh
wine_env_start "$ROOT/build/win64"
(cd build/win64 && "$WINE64" bench_lists.exe "Z:$DIR/a.bin" "Z:$DIR/b.bin" 2>&1 | iconv -f CP932 -t UTF-8 -c) || true
wine_env_stop

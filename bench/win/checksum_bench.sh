#!/usr/bin/env bash
# Checksums of the real program under Wine beside the native tools on the same
# file in the same run: Python's zlib.crc32 (timed on bytes already in
# memory, as the document's are), md5sum, sha1sum and sha256sum (reading the
# file from the page cache). The native tools run before the program, whose
# ratios use those times, and once more after it, to show how much the
# machine's load moved them. The digests are compared too.
#
#   bench/win/checksum_bench.sh [MiB]      (default 256; needs build/win64/bench_checksums.exe)
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$(pwd)
MIB=${1:-256}
DIR=$(mktemp -d /tmp/moxel_checksum_bench.XXXXXX)
trap 'rm -rf "$DIR"' EXIT

head -c "$((MIB << 20))" /dev/urandom >"$DIR/a.bin"
cat "$DIR/a.bin" >/dev/null

best() { printf '%s\n' "$@" | sort -g | head -1; }
seconds() { local t0 t1; t0=$(date +%s.%N); "$@" >/dev/null; t1=$(date +%s.%N); echo "$t1 - $t0" | bc; }
crc_seconds() {
  python3 -c 'import sys, time, zlib
data = open(sys.argv[1], "rb").read()
t = time.perf_counter(); zlib.crc32(data); print(time.perf_counter() - t)' "$1"
}
declare -A T
measure() {
  T[crc]+=" $(crc_seconds "$DIR/a.bin")"
  T[md5]+=" $(seconds md5sum "$DIR/a.bin")"
  T[sha1]+=" $(seconds sha1sum "$DIR/a.bin")"
  T[sha256]+=" $(seconds sha256sum "$DIR/a.bin")"
}
measure

. scripts/wine-env.sh
wine_env_start "$ROOT/build/win64"
run() {
  (cd build/win64 && "$WINE64" bench_checksums.exe "Z:$DIR/a.bin" "$@" 2>&1 | iconv -f CP932 -t UTF-8 -c | tr -d '\r') || true
}
OUT=$(run "$(best ${T[crc]})" "$(best ${T[md5]})" "$(best ${T[sha1]})" "$(best ${T[sha256]})")
wine_env_stop
measure
echo "native tools, best of the runs before the program and after it:" \
     "zlib.crc32 $(best ${T[crc]}) s, md5sum $(best ${T[md5]}) s, sha1sum $(best ${T[sha1]}) s, sha256sum $(best ${T[sha256]}) s"
echo "$OUT" | grep -v '^digest [A-Z]'

want() { printf '%s %s\n' "$1" "$2" | tr 'a-f' 'A-F'; }
{
  want CRC-32 "$(python3 -c 'import sys, zlib; print("%08x" % zlib.crc32(open(sys.argv[1], "rb").read()))' "$DIR/a.bin")"
  want MD5 "$(md5sum "$DIR/a.bin" | cut -d' ' -f1)"
  want SHA-1 "$(sha1sum "$DIR/a.bin" | cut -d' ' -f1)"
  want SHA-256 "$(sha256sum "$DIR/a.bin" | cut -d' ' -f1)"
} >"$DIR/want.txt"
if echo "$OUT" | grep '^digest [A-Z]' | cut -d' ' -f2- | diff -q - "$DIR/want.txt" >/dev/null; then
  echo "digests: the same as the native tools'"
else
  echo "digests DIFFER from the native tools':"
  echo "$OUT" | grep '^digest [A-Z]'
  cat "$DIR/want.txt"
fi

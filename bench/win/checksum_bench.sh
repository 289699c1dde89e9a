#!/usr/bin/env bash
# Checksums of the real program under Wine beside the native tools on the same
# file: Python's zlib.crc32 (timed on bytes already in memory, as the
# document's are), md5sum, sha1sum and sha256sum (reading the file from the
# page cache). The native tools and the program run in turns, twice, and each
# figure is the best of its runs, so the load of the machine hits both alike.
# The digests are compared too.
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

seconds() { local t0 t1; t0=$(date +%s.%N); "$@" >/dev/null; t1=$(date +%s.%N); echo "$t1 - $t0" | bc; }
crc_seconds() {
  python3 -c 'import sys, time, zlib
data = open(sys.argv[1], "rb").read()
t = time.perf_counter(); zlib.crc32(data); print(time.perf_counter() - t)' "$1"
}
native() {
  echo "native CRC-32 $(crc_seconds "$DIR/a.bin")"
  echo "native MD5 $(seconds md5sum "$DIR/a.bin")"
  echo "native SHA-1 $(seconds sha1sum "$DIR/a.bin")"
  echo "native SHA-256 $(seconds sha256sum "$DIR/a.bin")"
}

. scripts/wine-env.sh
wine_env_start "$ROOT/build/win64"
for round in 1 2; do
  native
  (cd build/win64 && "$WINE64" bench_checksums.exe "Z:$DIR/a.bin" 2>&1 | iconv -f CP932 -t UTF-8 -c | tr -d '\r') || true
done >"$DIR/out.txt"
wine_env_stop

# Best time of each figure: "native NAME s" and "time NAME s" lines.
best() { awk -v k="$1" -v n="$2" '$1 == k && $2 == n { if (b == "" || $3 < b) b = $3 } END { print b }' "$DIR/out.txt"; }
echo "$MIB MiB of random bytes; each figure the best of its runs (3 per program run, 2 rounds)"
printf '%-8s %10s %9s   %-10s %9s %9s  %s\n' "" "ours" "MB/s" "native" "" "MB/s" "native/ours"
tools=(zlib.crc32 md5sum sha1sum sha256sum)
i=0
for name in CRC-32 MD5 SHA-1 SHA-256; do
  ours=$(best time "$name"); theirs=$(best native "$name")
  if [ -n "$ours" ] && [ -n "$theirs" ]; then
    awk -v n="$name" -v o="$ours" -v t="$theirs" -v tool="${tools[$i]}" -v mb="$MIB" 'BEGIN {
      printf "%-8s %9.3fs %9.0f   %-10s %8.3fs %9.0f  %.2fx\n", n, o, mb * 1.048576 / o, tool, t, mb * 1.048576 / t, t / o }'
  fi
  i=$((i + 1))
done
all=$(best time all); command=$(best time command)
sum=$(awk '$1 == "native" { if (!($2 in b) || $3 < b[$2]) b[$2] = $3 } END { for (k in b) s += b[k]; print s }' "$DIR/out.txt")
[ -n "$all" ] && echo "all four in one pass (the dialog's work): $all s; the four native tools one after another: $sum s"
[ -n "$command" ] && echo "checksums command until its dialog shows: $command s"
[ -n "$command" ] && [ -n "$sum" ] && awk -v c="$command" -v s="$sum" 'BEGIN {
  printf "the command / the four native tools one after another: %.2fx\n", c / s }'
echo "cores: $(nproc) (the digests run on up to four of them)"

want() { printf '%s %s\n' "$1" "$2" | tr 'a-f' 'A-F'; }
{
  want CRC-32 "$(python3 -c 'import sys, zlib; print("%08x" % zlib.crc32(open(sys.argv[1], "rb").read()))' "$DIR/a.bin")"
  want MD5 "$(md5sum "$DIR/a.bin" | cut -d' ' -f1)"
  want SHA-1 "$(sha1sum "$DIR/a.bin" | cut -d' ' -f1)"
  want SHA-256 "$(sha256sum "$DIR/a.bin" | cut -d' ' -f1)"
} >"$DIR/want.txt"
if grep '^digest [A-Z]' "$DIR/out.txt" | tail -4 | cut -d' ' -f2- | diff -q - "$DIR/want.txt" >/dev/null; then
  echo "digests: the same as the native tools'"
else
  echo "digests DIFFER from the native tools':"
  grep '^digest [A-Z]' "$DIR/out.txt" | tail -4
  cat "$DIR/want.txt"
fi

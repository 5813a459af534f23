#!/bin/sh
# Runs every benchmark program in the build tree. The generated data lands in
# $VKB_BENCH_DATA (default: a folder under the system's temporary folder).
set -e
cd "$(dirname "$0")/.."
for b in build/bench_*; do
  [ -x "$b" ] || continue
  echo "== $b"
  "$b" "$@"
done

#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time, seeded with the
# corpus the tests leave in build/fuzz-corpus/<name>/. FUZZ_SECONDS sets the time per target.
# Every run has a memory limit far below what a hostile file once made a reader take (over 1 GB):
# one allocation over 512 MB, or a process over 1 GB resident, is a fault.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-6}
# A tree configured with the fuzz targets (the test script's sanitiser tree) is used as it is;
# without one, a tree of the fuzz targets alone is made.
build=${1:-build-fuzz}
if ! grep -qs '^TAMBERLO_FUZZ:BOOL=ON' "$build/CMakeCache.txt"; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMBERLO_FUZZ=ON \
    -DTAMBERLO_TESTS=OFF >/dev/null
fi
targets=$(ls tests/fuzz/*_fuzz.cpp 2>/dev/null | sed 's#.*/\(.*\)_fuzz.cpp#fuzz_\1#' || true)
[ -n "$targets" ] || exit 0
cmake --build "$build" --parallel "$(nproc)" --target $targets

export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
for t in $targets; do
  name=${t#fuzz_}
  # Absolute: targets that load files named in their input work in a scratch folder of their own.
  work=$PWD/$build/corpus/$name
  mkdir -p "$work" "$build/crashes"
  for seeds in build/fuzz-corpus/$name "$build/fuzz-corpus/$name"; do
    [ -d "$seeds" ] && cp -r "$seeds/." "$work/" 2>/dev/null || true
  done
  echo "fuzzing $name for ${seconds}s"
  "$build/tests/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -malloc_limit_mb=512 \
    -artifact_prefix="$PWD/$build/crashes/$name-" "$work" >"$build/$name.log" 2>&1 \
    || { tail -50 "$build/$name.log"; echo "fuzzer $name found a fault"; exit 1; }
done

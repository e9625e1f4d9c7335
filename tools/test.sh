#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: once plain, once under
# AddressSanitizer and UndefinedBehaviorSanitizer; then a short fuzz run of every reader. Works headless.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

# Cheap checks first: includes point down the layers, and the tree is formatted.
bash tools/check-layers.sh
git ls-files -z '*.h' '*.cpp' | xargs -0 clang-format --dry-run -Werror

jobs=$(nproc)
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

# Line tables are all a test failure's stack needs; full debug information made the builds a fifth
# slower on a two-core machine.
debug_flags="-O2 -g1 -DNDEBUG"

run_config() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_FLAGS_RELWITHDEBINFO="$debug_flags" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$debug_flags" "$@" >/dev/null
  cmake --build "$dir" --parallel "$jobs"
  (cd "$dir" && ctest --output-on-failure --parallel "$jobs" --timeout 300)
}

start=$SECONDS
run_config build
echo "plain build and tests: $((SECONDS - start)) s"
# Benchmarks run briefly so they stay working; their figures are read by people, never asserted.
for b in build/bench/bench_*; do
  [ -x "$b" ] || continue
  "$b" --benchmark_min_time=0.01 >"$b.out" 2>&1 || { cat "$b.out"; exit 1; }
done

# One clang tree under AddressSanitizer and UndefinedBehaviorSanitizer runs every test again and
# holds the fuzz targets, so the code is compiled twice in all, not three times.
CC=clang CXX=clang++ ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_config build-asan -DTAMBERLO_FUZZ=ON

bash tools/fuzz.sh build-asan

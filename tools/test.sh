#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: once plain, once under
# AddressSanitizer and UndefinedBehaviorSanitizer. Works headless.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

jobs=$(nproc)
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

run_config() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" --parallel "$jobs"
  (cd "$dir" && ctest --output-on-failure --parallel "$jobs" --timeout 300)
}

run_config build
if [ -x build/bench/bench_all ]; then
  build/bench/bench_all --benchmark_min_time=0.01 >build/bench-output.txt 2>&1 || { cat build/bench-output.txt; exit 1; }
fi

ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_config build-asan -DTAMBERLO_SANITIZE=ON -DTAMBERLO_BENCH=OFF

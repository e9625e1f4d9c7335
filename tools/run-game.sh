#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it. Extra arguments go to the game.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# The program and its data set, laid out together in build/bin/.
cmake --build build --parallel "$(nproc)" --target tamberlo tamberlo_data
exec build/bin/tamberlo "$@"

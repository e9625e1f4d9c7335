#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it. Extra arguments go to the game.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" --target tamberlo
exec build/bin/tamberlo "$@"

#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it. Extra arguments go to the game.
# When nothing changed since the last start (same tracked files, same local edits, same package
# list) and the program is there, it starts at once without checking packages or building.
set -euo pipefail
cd "$(dirname "$0")/.."

stamp_file=build/.run-game.stamp
# What the last build was made from: the index (paths, modes and content hashes of tracked files),
# the local edits, untracked files not ignored, and the package list.
current_stamp() {
    {
        git ls-files -s
        git diff HEAD --binary 2>/dev/null || true
        git ls-files --others --exclude-standard -z | xargs -0 -r sha1sum 2>/dev/null || true
        sha1sum tools/install-deps.sh
    } | sha1sum | cut -d' ' -f1
}

stamp=""
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    stamp=$(current_stamp)
    if [[ -x build/bin/tamberlo && -f "$stamp_file" && "$(cat "$stamp_file")" == "$stamp" ]]; then
        exec build/bin/tamberlo "$@"
    fi
fi

bash tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# The program and its data set, laid out together in build/bin/.
cmake --build build --parallel "$(nproc)" --target tamberlo tamberlo_data
[[ -n "$stamp" ]] && echo "$stamp" >"$stamp_file"
exec build/bin/tamberlo "$@"

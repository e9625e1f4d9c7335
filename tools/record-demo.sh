#!/bin/sh
# Records the kept game demo anew: tools/record-demo.sh [UPDATES]
# The bot plays level 1 for a fresh player and stops after UPDATES updates (default 1500); two replays
# of the recording must write the same hashes, which go beside it in tests/demos.
set -e
cd "$(dirname "$0")/.."
root=$(pwd)
updates=${1:-1500}
name=tamberlo-level1
export CCACHE_BASEDIR="$root"
[ -d build ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel 4 --target tamberlo tamberlo-bot tamberlo_data
export SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-dummy}" SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Every run starts as a new player: no profiles, records or settings of this machine.
fresh() {
    rm -rf "$work/home"
    mkdir -p "$work/home/config" "$work/home/data" "$work/home/cache"
    export XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data" XDG_CACHE_HOME="$work/home/cache"
}

fresh
# The bot's exit code tells whether it won the level; a recording stopped before the end is kept too.
build/bin/tamberlo-bot --levels 1 --seed 1 --stop-after "$updates" --record "$work/$name.dmo" || true
[ -s "$work/$name.dmo" ] || { echo "record-demo: the bot wrote no recording" >&2; exit 1; }

for run in 1 2; do
    fresh
    (cd "$work" && OLVARN_DEMO_CHECK="$work/replay$run.hashes" "$root/build/bin/tamberlo" -play -demofile="$work/$name.dmo")
done
if ! cmp -s "$work/replay1.hashes" "$work/replay2.hashes"; then
    echo "record-demo: two replays of the recording differ:" >&2
    diff "$work/replay1.hashes" "$work/replay2.hashes" | head -5 >&2
    exit 1
fi
cp "$work/$name.dmo" tests/demos/"$name.dmo"
cp "$work/replay1.hashes" tests/demos/"$name.hashes"
echo "record-demo: tests/demos/$name.dmo, $(wc -l <"$work/replay1.hashes") hash lines"

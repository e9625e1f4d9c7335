#!/bin/sh
# Builds the game and its bot, then lets the bot play: tools/bot.sh [--levels N-M] [--seed N] [--show] [--lose]
set -e
cd "$(dirname "$0")/.."
export CCACHE_BASEDIR="$(pwd)"
[ -d build ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel 4 --target tamberlo-bot tamberlo_data
case " $* " in
  *" --show "*) ;;
  *) export SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-dummy}" SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}" ;;
esac
exec build/bin/tamberlo-bot "$@"

#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need; skips what is present.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git ccache
  libsdl2-dev liblua5.2-dev libluabind-dev libboost-dev libloki-dev libtinyxml-dev
  libpng-dev libjpeg62-turbo-dev zlib1g-dev libvorbisidec-dev libxmp-dev libmpg123-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core fonts-comfortaa
  libgtest-dev libgmock-dev googletest libbenchmark-dev clang libclang-rt-14-dev clang-format
  vorbis-tools lame
  libgif-dev
  librsvg2-dev libcairo2-dev libvorbis-dev libfluidsynth-dev fluid-soundfont-gm abcmidi libebur128-dev
  libunwind-dev
  libsqlite3-dev
  libgl1-mesa-dri libegl1 libegl-mesa0 libgl1
  xvfb x11-apps
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

#!/usr/bin/env bash
# Fails when a library includes a header of a library above it, or when code above the platform
# layer includes SDL or POSIX headers. The build enforces the same for each target's own include
# root; this check also covers headers no target compiles and names the offending line.
set -euo pipefail
cd "$(dirname "$0")/.."

# Rank of each folder, lowest first. Folders of one rank never include each other.
rank_of() {
  case $1 in
    framework/platform) echo 0 ;;
    framework/core) echo 1 ;;
    framework/swtri | framework/sound) echo 2 ;;
    framework/graphics) echo 3 ;;
    framework/resources) echo 4 ;;
    framework/widgets) echo 5 ;;
    framework/app) echo 6 ;;
    game/data) echo 7 ;;
    game/shell) echo 8 ;;
    game/board) echo 9 ;;
    game/world | game/records) echo 10 ;;
    game/play) echo 11 ;;
    game/screens) echo 12 ;;
    game/entry) echo 13 ;;
    *) echo "" ;;
  esac
}

# The folder an include names: "core/Random.h" is framework/core, "board/CGrid.h" game/board.
folder_of_include() {
  local path=$1 top=${1%%/*}
  case $top in
    platform | core | app | swtri | sound | graphics | resources | widgets) echo "framework/$top" ;;
    data | shell | board | world | records | play | screens | entry) echo "game/$top" ;;
    *) echo "" ;;
  esac
}

status=0
while IFS= read -r file; do
  dir=$(dirname "$file")
  own=$(rank_of "$dir")
  [ -n "$own" ] || continue
  while IFS= read -r hit; do
    line=${hit%%:*}
    inc=$(sed -E 's/^[^"]*"([^"]+)".*/\1/' <<<"${hit#*:}")
    target=$(folder_of_include "$inc")
    [ -n "$target" ] && [ "$target" != "$dir" ] || continue
    theirs=$(rank_of "$target")
    if [ "$theirs" -ge "$own" ]; then
      echo "$file:$line: includes \"$inc\", which is not below $dir" >&2
      status=1
    fi
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"' "$file" || true)
done < <(git ls-files 'framework/*.h' 'framework/*.cpp' 'game/*.h' 'game/*.cpp')

# Only the platform layer speaks to SDL and POSIX.
if leaks=$(git grep -nE '#[[:space:]]*include[[:space:]]*[<"](SDL|sys/|unistd\.h|pthread\.h|dlfcn\.h|signal\.h|fcntl\.h|netdb\.h|arpa/|netinet/|poll\.h|execinfo\.h)' \
  -- 'framework/*' 'game/*' ':!framework/platform'); then
  echo "$leaks" | sed 's/$/  (SDL or POSIX above the platform layer)/' >&2
  status=1
fi

[ $status -eq 0 ] && echo "layers: every include points down"
exit $status

#!/usr/bin/env bash
# Plants includes in a scratch repository and checks that the layer check accepts those that point
# down and refuses those that point up or sideways between world and records.
set -euo pipefail
script=$1
failures=0

# file | include it adds | expected exit (0 accepted, 1 refused)
cases=(
  "game/board/CGrid.cpp|shell/CScreen.h|0"
  "game/play/CLevel.cpp|world/CEnvironment.h|0"
  "game/screens/CMainMenu.cpp|play/CLevel.h|0"
  "game/entry/main.cpp|screens/CGameScreen.h|0"
  "framework/graphics/Graphics.cpp|core/Rect.h|0"
  "game/board/CGrid.cpp|play/CLevel.h|1"
  "game/world/CWater.cpp|records/CProfile.h|1"
  "game/records/CProfile.cpp|world/CWater.h|1"
  "game/play/CLevel.cpp|screens/CGameScreen.h|1"
  "game/shell/CScreen.cpp|board/CGrid.h|1"
  "framework/core/Rect.cpp|graphics/Graphics.h|1"
  "framework/widgets/Widget.cpp|app/OlvarnAppBase.h|1"
)

for row in "${cases[@]}"; do
  IFS='|' read -r file include expected <<<"$row"
  repo=$(mktemp -d)
  mkdir -p "$repo/tools" "$repo/$(dirname "$file")"
  cp "$script" "$repo/tools/check-layers.sh"
  printf '// planted\n#include "%s"\n' "$include" >"$repo/$file"
  git -C "$repo" init -q
  git -C "$repo" add -A
  set +e
  out=$(bash "$repo/tools/check-layers.sh" 2>&1)
  got=$?
  set -e
  rm -rf "$repo"
  if [ "$got" -ne "$expected" ]; then
    echo "FAIL: $file including \"$include\": exit $got, expected $expected"
    echo "$out" | sed 's/^/    /'
    failures=$((failures + 1))
  elif [ "$expected" -eq 1 ] && ! grep -q "$file:2" <<<"$out"; then
    echo "FAIL: $file including \"$include\" was refused without naming the line"
    failures=$((failures + 1))
  fi
done

[ "$failures" -eq 0 ] && echo "layer check: ${#cases[@]} planted includes judged as expected"
exit $((failures > 0))

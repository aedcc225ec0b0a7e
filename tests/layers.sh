#!/usr/bin/env bash
# The folders of src/ form a ladder: each may include only the folders
# below it, and its CMake library links only libraries below it. This check
# reads every #include "folder/..." of src/ and every library's link list and
# fails on any that reaches up or sideways. Run by the suite (layers_check).
set -u
cd "$(dirname "$0")/.."

# folder: the folders it may include, bottom of the ladder first.
declare -A allowed=(
  [core]=""
  [platform]="core"
  [input]="core platform"
  [sound]="core platform"
  [render]="core platform input"
  [sprites]="core"
  [world]="core"
  [game]="core platform input render sprites world"
  [shell]="core platform input sound render"
  [play]="core platform input sound render sprites world game shell"
  [editor_kit]="core platform input render shell"
  [map_editor]="core platform input sound render sprites world game shell play editor_kit"
  [sprite_editor]="core platform input render sprites shell editor_kit"
  [programs]="core platform input sound render sprites world game shell play editor_kit map_editor sprite_editor"
)

failed=0
for dir in src/*/; do
  folder=$(basename "$dir")
  if [ -z "${allowed[$folder]+set}" ]; then
    echo "layers: src/$folder has no place on the ladder (tests/layers.sh)"
    failed=1
    continue
  fi
  ok=" $folder ${allowed[$folder]} "
  while IFS=: read -r file _ text; do
    used=$(sed -n 's/^#include "\([a-z_]*\)\/.*/\1/p' <<<"$text")
    [ -z "$used" ] && continue
    case "$ok" in
      *" $used "*) ;;
      *) echo "layers: $file includes $used/, which is not below $folder"; failed=1 ;;
    esac
  done < <(grep -rn '^#include "[a-z_]*/' "$dir")
  # What the folder's libraries link, from each target_link_libraries( up
  # to its closing bracket (keywords and generator expressions skipped).
  links=$(tr '\n' ' ' < "$dir/CMakeLists.txt" | grep -o 'target_link_libraries([^)]*)' |
          sed 's/^target_link_libraries( *[A-Za-z_${}]* //; s/)$//' | tr ' ' '\n' |
          grep -vE '^(PUBLIC|PRIVATE|INTERFACE|SDL2::SDL2|PNG::PNG|"?\$<.*|)$')
  for l in $links; do
    case "$l" in
      platform|platform_common|platform_headless|platform_sdl) l=platform ;;
      configurations) l=programs ;;
    esac
    case "$ok" in
      *" $l "*) ;;
      *) echo "layers: src/$folder/CMakeLists.txt links $l, which is not below $folder"; failed=1 ;;
    esac
  done
done
grep -q TARGET_NAME_IF_EXISTS src/*/CMakeLists.txt && { echo "layers: a library links back with TARGET_NAME_IF_EXISTS"; failed=1; }
# Only the platform's SDL backend knows SDL.
if grep -rln 'SDL' src --include='*.cpp' --include='*.h' | grep -v '^src/platform/sdl/' | xargs -r grep -ln '#include <SDL\|SDL_' ; then
  echo "layers: the files above mention SDL outside src/platform/sdl/"
  failed=1
fi
[ $failed -eq 0 ] && echo "layers: every include and link goes down the ladder"
exit $failed

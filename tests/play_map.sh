#!/usr/bin/env bash
# A map made and saved by a scripted map editor run is the map the game
# plays with --map; test play (F5) in that run comes back to the same
# editor; a map that is not there is named in the game's report; and a game
# recorded under a real window (Xvfb, xdotool) replays headless to the world
# hash the game printed (skipped when those are not installed).
#   tests/play_map.sh BUILD_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
runner=$build/bin/headless_run
work=$build/tests/work/play_map
rm -rf "$work"
mkdir -p "$work"
cp -r "$build/data" "$work/data"
cd "$work"
failed=0
fail() { echo "play_map: $*"; failed=1; }
# The value after "label " in a checkpoint line.
field() { sed -n "s/^checkpoint $1: .*$2 \([0-9a-f]*\).*/\1/p" <<<"$3"; }

# --- The editor: the map, test play and back, the save ----------------------
editor=$("$runner" --config map_editor --data "$work" --script "$here/scripts/arena_editor.txt" --passes 100 2>&1)
grep -q '^message boxes: 0' <<<"$editor" || fail "the editor's run showed a box: $editor"
[ -f data/map/arena.map ] || fail "the editor did not save arena.map"
ls data/map/_test_play* >/dev/null 2>&1 && fail "test play left its scratch map behind"
before_world=$(field 25 world "$editor") before_layers=$(field 25 layers "$editor")
[ -n "$before_world" ] || fail "no checkpoint before test play: $editor"
[ "$(field 40 layers "$editor")" = "$before_layers" ] || fail "the game did not start on the edited map"
[ "$(field 70 world "$editor")" = "$before_world" ] || fail "after test play the world hash changed"
[ "$(field 70 layers "$editor")" = "$before_layers" ] || fail "after test play the layers hash changed"
[ "$(field 95 layers "$editor")" = "$before_layers" ] || fail "the saved map is not the edited one"

# --- The game on that map -------------------------------------------------------------
printf '0 check\n' > first.txt
game=$("$runner" --config game --data "$work" --map arena --script first.txt --passes 5 2>&1)
grep -q '^message boxes: 0' <<<"$game" || fail "the game's run showed a box: $game"
[ "$(field 0 layers "$game")" = "$before_layers" ] || fail "the game with --map arena plays another map: $game"
grep -q '^units: 4$' <<<"$game" || fail "the game has not the map's four units: $game"

missing=$("$runner" --config game --data "$work" --map nothere --passes 5 2>/dev/null)
grep -q 'загрузке карты data\\map\\nothere.map: the file cannot be opened' <<<"$missing" ||
    fail "a missing map is not named in the report: $missing"

# --- A game recorded under a real window replays headless ---------------------------
if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
    echo "play_map: Xvfb or xdotool missing: the recorded game is not tried"
    [ $failed -eq 0 ] && exit 77
    exit 1
fi
# A display number no one else uses: the server picks it and tells it.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>display.txt >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
for _ in $(seq 50); do [ -s display.txt ] && break; sleep 0.1; done
if [ ! -s display.txt ]; then
    fail "Xvfb did not start"
    exit 1
fi
export DISPLAY=:$(head -1 display.txt)
SDL_AUDIODRIVER=dummy "$build/bin/game" --record record.txt arena > game.out 2>&1 &
game_pid=$!
sleep 2
# Orders, the help, a pause, the speed, the overview and a press on it,
# screenshots, Enter typed, then Escape.
xdotool mousemove 400 300 sleep 0.3 click 3 sleep 0.5
xdotool key F1 sleep 0.3 key F1 sleep 0.2 key p sleep 0.4 key p
xdotool key plus sleep 0.3 key plus sleep 0.5 key minus
xdotool key Tab sleep 0.3 mousemove 400 250 click 1 sleep 0.3 key Tab
xdotool mousemove 500 200 sleep 0.2 click 3 sleep 0.2 key F12 key Return key m
sleep 1
xdotool key Escape
for _ in $(seq 50); do kill -0 $game_pid 2>/dev/null || break; sleep 0.2; done
if kill -0 $game_pid 2>/dev/null; then
    kill $game_pid
    fail "the recorded game did not end on Escape"
fi
printed=$(sed -n 's/^world hash: //p' game.out)
replay=$("$runner" --config game --data "$work" --map arena --script record.txt 2>&1)
replayed=$(sed -n 's/^world hash: //p' <<<"$replay")
[ -n "$printed" ] && [ "$printed" = "$replayed" ] ||
    fail "the record replays to $replayed, the game printed $printed"
grep -q '^events not delivered: 0' <<<"$replay" || fail "the replay left events: $replay"
grep -q ' key down f1' record.txt && grep -q ' key down tab' record.txt || fail "the record misses keys"
[ $failed -eq 0 ] && echo "play_map: the editor's map played, test play came back, the record replayed ($printed)"
exit $failed

#!/usr/bin/env bash
# Runs one stored replay and compares what it prints with its expected file:
#   tests/replays/replay.sh HEADLESS_RUN DATA_FOLDER tests/replays/<name>.txt [--update]
# The script names its configuration and passes in "# config: NAME" and
# "# passes: N" lines. The lines compared are the checkpoint lines and the
# summary lines of the labels below; <name>.expected holds them (lines
# starting with '#' there are comments). On a mismatch the lines are shown
# as a diff and the exit status is 1. With --update the expected file is
# rewritten instead (scripts/update-replays; on purpose only, see README.md).
# The suite runs it as replay_<name>.
set -u
if [ $# -lt 3 ] || { [ $# -eq 4 ] && [ "$4" != --update ]; } || [ $# -gt 4 ]; then
    echo "usage: $0 HEADLESS_RUN DATA_FOLDER SCRIPT [--update]" >&2
    exit 2
fi
runner=$1 data=$2 script=$3 update=${4:-}
expected=${script%.txt}.expected
name=$(basename "${script%.txt}")

config=$(sed -n 's/^# config: *\([a-z_]*\).*/\1/p' "$script")
passes=$(sed -n 's/^# passes: *\([0-9][0-9]*\).*/\1/p' "$script")
if [ -z "$config" ] || [ -z "$passes" ]; then
    echo "replay $name: $script lacks its '# config: NAME' or '# passes: N' line" >&2
    exit 2
fi

# The summary lines worth guarding: the run's own, the game's (also printed
# by the map editor) and the editors' end states. The configuration, the
# loop's start and the message boxes' texts are left out.
guarded='^(checkpoint [0-9]+|passes run|message boxes|dumps|events not delivered|units|units by team|hero'
guarded+='|end of game|world hash|map_width|map_height|map_name|unit_count|trees|rocks|units on the map'
guarded+='|layers hash|editor_mode|frame_count|current_frame|current_roll|current_slot|filled roll slots'
guarded+='|filled sprite entries|sprite tables hash): '

errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
output=$("$runner" --config "$config" --data "$data" --script "$script" --passes "$passes" 2>"$errors")
status=$?
if [ $status -ne 0 ]; then
    cat "$errors" >&2
    echo "replay $name: headless_run ended with status $status" >&2
    exit 1
fi
lines=$(grep -E "$guarded" <<<"$output")

if [ "$update" = --update ]; then
    {
        echo "# What tests/replays/$name.txt prints: its checkpoints and the summary"
        echo "# lines that replay_$name compares. Rewritten by scripts/update-replays."
        echo "$lines"
    } >"$expected"
    echo "$expected"
    exit 0
fi

if [ ! -f "$expected" ]; then
    echo "replay $name: no expected file $expected (scripts/update-replays makes it)" >&2
    exit 1
fi
if ! diff -u --label "expected ($expected)" --label "this run" <(grep -v '^#' "$expected") - <<<"$lines"; then
    echo "replay $name: the run differs from $expected (lines starting '-' are expected, '+' were printed)" >&2
    echo "If the change is meant, rewrite it with scripts/update-replays $name and say why in the commit." >&2
    exit 1
fi
echo "replay $name: $(grep -c '^checkpoint' <<<"$lines") checkpoints and the summary as expected"

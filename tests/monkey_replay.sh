#!/usr/bin/env bash
# A monkey run's record replays it: for each configuration, a run of random
# input kept with --keep, then its record given back as a script, must end
# in the same state (every summary line but the monkey's own). This is what
# makes the replay script of a failed run worth keeping. Run by the suite
# (monkey_replay): monkey_replay.sh HEADLESS_RUN BUILD_DIR SEED PASSES
set -u
runner=$1 build=$2 seed=$3 passes=$4
failed=0
for config in game map_editor sprite_editor; do
    record=monkey-$config-$seed.txt
    rm -f "$record"
    "$runner" --config "$config" --data "$build" --monkey "$seed" --passes "$passes" --keep 2>/dev/null |
        grep -v '^monkey:' >monkey-$config.summary || { echo "$config: the monkey run failed"; failed=1; continue; }
    "$runner" --config "$config" --data "$build" --scratch --check --script "$record" --passes "$passes" \
        2>/dev/null >replay-$config.summary || { echo "$config: the replay failed"; failed=1; continue; }
    if ! diff monkey-$config.summary replay-$config.summary; then
        echo "$config: the replay of $record ended elsewhere"
        failed=1
    else
        echo "$config: $passes passes of seed $seed replayed to the same end"
    fi
done
exit $failed

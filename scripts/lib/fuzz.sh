# Shared by scripts/fuzz and scripts/test: the clang build of the libFuzzer
# targets in build-fuzz/ and a timed run of one target. Sourced, not run;
# expects to be in the repository root, after setup.sh.

brask_fuzz_targets=(map frames rolls sprites bmp team_bmp bmp_size palette glyphs wave script)

# brask_fuzz_build: configure build-fuzz/ once (clang, BRASK_FUZZ=ON) and
# build every fuzz target.
brask_fuzz_build() {
    if [ ! -f build-fuzz/CMakeCache.txt ]; then
        cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang \
            -DCMAKE_CXX_COMPILER=clang++ -DBRASK_FUZZ=ON -DBRASK_BENCHMARKS=OFF >/dev/null
    fi
    cmake --build build-fuzz -j"$(nproc)" --target fuzz_all
}

# The folders of kept inputs that a target shares with others, and the data
# set files that seed it (by extension).
brask_fuzz_family() {
    case $1 in
        team_bmp|bmp_size|palette) echo bmp ;;
        *) echo "$1" ;;
    esac
}

brask_fuzz_extension() {
    case $1 in
        map) echo map ;; frames) echo frm ;; rolls) echo roll ;; sprites) echo spr ;;
        glyphs) echo fn ;; wave) echo wav ;; script) echo txt ;; *) echo bmp ;;
    esac
}

# The longest input a target is given: room for its largest interesting
# file without making every run slow.
brask_fuzz_max_len() {
    case $1 in
        map|script) echo 16384 ;; frames|rolls|sprites) echo 24576 ;; glyphs) echo 8192 ;;
        *) echo 65536 ;;
    esac
}

# brask_fuzz_run TARGET SECONDS [libFuzzer options...]: runs one target for
# SECONDS over its growing corpus (build-fuzz/corpus/TARGET), the kept
# inputs of fuzz/seeds and fuzz/regressions and the data set's files of its
# kind. Prints one summary line; a crash is kept in build-fuzz/crashes/TARGET
# and makes the function fail.
brask_fuzz_run() {
    local target=$1 seconds=$2
    shift 2
    local family
    family=$(brask_fuzz_family "$target")
    local corpus=build-fuzz/corpus/$target data=build-fuzz/data_seeds/$target
    local crashes=build-fuzz/crashes/$target logs=${BRASK_FUZZ_LOGS:-build-fuzz/logs}
    local log=$logs/$target.log bin=${BRASK_FUZZ_BIN:-build-fuzz/fuzz}
    mkdir -p "$corpus" "$data" "$crashes" "$logs"
    if [ -d build/data ]; then
        find build/data -type f -name "*.$(brask_fuzz_extension "$target")" -exec cp {} "$data/" \;
    fi
    local inputs=("fuzz/seeds/$target" "fuzz/regressions/$target")
    if [ "$family" != "$target" ]; then
        inputs+=("fuzz/seeds/$family" "fuzz/regressions/$family")
    fi
    local status=0
    "$bin"/fuzz_"$target" -max_total_time="$seconds" -timeout=10 \
        -max_len="$(brask_fuzz_max_len "$target")" -artifact_prefix="$crashes/" \
        -print_final_stats=1 "$@" "$corpus" "${inputs[@]}" "$data" >"$log" 2>&1 || status=$?
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [ $status -ne 0 ]; then
        echo "fuzz $target: FAILED after ${runs:-?} executions (log: $log)"
        grep -E "ERROR|check failed|SUMMARY|Test unit written" "$log" | head -10
        return 1
    fi
    echo "fuzz $target: ${runs:-?} executions in ${seconds} s, no failure; corpus $(ls "$corpus" | wc -l) inputs"
}

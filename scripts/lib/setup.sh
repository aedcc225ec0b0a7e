# Shared set-up of scripts/play and scripts/test: install the Debian packages
# that are missing, configure build/ once and build what changed.
# Sourced, not run; expects to be in the repository root.

brask_packages=(cmake g++ make libgtest-dev libbenchmark-dev libsdl2-dev libpng-dev libboost-graph-dev)
# clang and its runtime libraries build the fuzz targets (scripts/test, scripts/fuzz).
brask_packages+=(clang libclang-rt-14-dev)

brask_install_missing() {
    local missing=()
    local p
    for p in "${brask_packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# brask_build DIR [--target T... --] [cmake options...]: configure DIR if
# needed, then build everything, or only the targets named.
brask_build() {
    local dir=$1
    shift
    local targets=()
    if [ "${1:-}" = "--target" ]; then
        shift
        while [ $# -gt 0 ] && [ "$1" != "--" ]; do
            targets+=("$1")
            shift
        done
        [ $# -gt 0 ] && shift
    fi
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S . -B "$dir" "$@" >/dev/null
    fi
    if [ ${#targets[@]} -gt 0 ]; then
        cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}"
    else
        cmake --build "$dir" -j"$(nproc)"
    fi
}

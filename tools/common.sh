# Shared by tools/run and tools/test: install what is missing, configure, build.
# Sourced, not run.

TALVESA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

TALVESA_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-svg-dev libgl1-mesa-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    xvfb xauth
)

talvesa_install_missing() {
    local missing=()
    local pkg
    for pkg in "${TALVESA_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed'; then
            missing+=("$pkg")
        fi
    done
    if ((${#missing[@]} == 0)); then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=()
    if [[ $(id -u) -ne 0 ]]; then sudo=(sudo); fi
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

# talvesa_build <build-dir> [cmake options...]
talvesa_build() {
    local dir="$1"
    shift
    if [[ ! -f "$dir/build.ninja" ]]; then
        cmake -S "$TALVESA_ROOT" -B "$dir" -G Ninja "$@"
    fi
    cmake --build "$dir" --parallel "$(nproc)"
}

# Sourced by the scripts: ensure_packages CMD:PACKAGE... installs each missing Debian package
# (as root, with apt-get), or stops with a message naming them.
ensure_packages() {
    local missing=() pair cmd pkg
    for pair in "$@"; do
        cmd=${pair%%:*}
        pkg=${pair#*:}
        case $cmd in
            /*) [ -e "$cmd" ] || missing+=("$pkg") ;;
            *) command -v "$cmd" >/dev/null 2>&1 || missing+=("$pkg") ;;
        esac
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "error: missing packages: ${missing[*]}" >&2
        echo "install them with: sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
    echo "installing: ${missing[*]}" >&2
    # Only what the packages depend on: their recommendations (a desktop's worth for wine, QEMU's
    # system emulators and Firefox, some 1.2 GB) serve none of the checks.
    local install=(apt-get install -y -q --no-install-recommends)
    if ! DEBIAN_FRONTEND=noninteractive "${install[@]}" "${missing[@]}" >&2; then
        apt-get update -q >&2
        DEBIAN_FRONTEND=noninteractive "${install[@]}" "${missing[@]}" >&2
    fi
}

# The packages that build the renderer, its tests and its benchmarks.
ensure_build_packages() {
    ensure_packages cmake:cmake ninja:ninja-build g++:g++ \
        /usr/include/gtest/gtest.h:libgtest-dev \
        /usr/include/benchmark/benchmark.h:libbenchmark-dev
}

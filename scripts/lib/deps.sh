# shellcheck shell=bash
# The Debian packages that building and testing need; installs whatever is
# missing (apt-get, as root), so a fresh Debian 12 machine is ready in one step.

VARNOTH_PACKAGES=(
    cmake ninja-build g++ clang libclang-rt-14-dev
    googletest libbenchmark-dev
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64 xvfb x11-utils xdotool imagemagick fonts-wqy-microhei
    locales libc-bin gnuplot-nox zip unzip valgrind python3
)

varnoth_missing_packages() {
    local pkg
    for pkg in "${VARNOTH_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}\n' "$pkg" 2>/dev/null | grep -q '^install ok installed$' ||
            echo "$pkg"
    done
}

varnoth_install_deps() {
    local missing
    missing=$(varnoth_missing_packages | tr '\n' ' ')
    [[ -z "${missing// /}" ]] && return 0
    echo "installing: $missing"
    if [[ $(id -u) -ne 0 ]]; then
        echo "missing packages and not root: apt-get install $missing" >&2
        return 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null
    # shellcheck disable=SC2086
    apt-get install -y -q --no-install-recommends $missing >/dev/null
}

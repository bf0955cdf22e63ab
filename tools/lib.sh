# lib.sh -- what the commands in tools/ share; each sources it first
set -euo pipefail
# An interrupt ends every command with 130, also when it comes while a tool that catches it
# (ninja, apt-get) runs in the foreground and ends with a code of its own.
trap 'exit 130' INT
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Debian's interpreter, whose python3-* packages install-deps installs; another python3 may
# come first on PATH.
python=/usr/bin/python3

# build DIR [CMAKE OPTION...] [-- TARGET...]: configures DIR with Ninja and builds the targets
# (all when none are named) on two jobs, this machine's cores, through ccache when it is there.
# Each option is one word, which may hold a space (a checkout's path).
# ccache sees paths below the tree as relative ones and leaves the working folder out of its
# key, so that another clone or worktree finds the objects this one compiled (their debug
# information then names the folder they were first compiled in).
build() {
    local dir=$1 options=()
    shift
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        options+=("$1")
        shift
    done
    shift $(($# > 0))
    if command -v ccache >/dev/null; then
        options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        export CCACHE_BASEDIR=$top CCACHE_NOHASHDIR=1
    fi
    cmake -S "$top" -B "$dir" -G Ninja "${options[@]}" >/dev/null
    ninja -C "$dir" -j2 "$@"
}

# release_build: sets binary to a release tarvik01 built in build-release, or to
# $TARVIK_BINARY when that names one already built (the end-to-end tests play the build under
# test that way).
release_build() {
    binary=${TARVIK_BINARY:-}
    if [ -z "$binary" ]; then
        build "$top/build-release" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -- tarvik01
        binary=$top/build-release/tarvik01
    fi
}

# launch MODULE [ARG...]: becomes the launcher's MODULE, run by Debian's python3.
launch() {
    PYTHONPATH=$top PYTHONDONTWRITEBYTECODE=1 exec "$python" -m "launcher.$1" "${@:2}"
}

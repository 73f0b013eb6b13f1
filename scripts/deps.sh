# Shared by scripts/test.sh and scripts/example.sh: installs with apt-get what
# the build needs and a fresh Debian machine may lack (cmake, g++, make,
# GoogleTest, nlohmann JSON). Sourced, not run.

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "velko: need root or sudo to run: $*" >&2
        return 1
    fi
}

# apt-get waits for a lock held by another installer; the retries cover the
# lists lock of a concurrent update as well.
apt_install() {
    local attempt
    for attempt in 1 2 3 4 5 6 7 8 9 10; do
        if as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 install -y "$@"; then
            return 0
        fi
        echo "velko: apt-get install $* failed (attempt $attempt), updating lists and retrying" >&2
        as_root apt-get -o DPkg::Lock::Timeout=300 update || true
        sleep 10
    done
    return 1
}

have_gtest() {
    [ -d /usr/src/googletest ] || return 1
    local f
    for f in /usr/lib/*/cmake/GTest/GTestConfig.cmake /usr/lib/cmake/GTest/GTestConfig.cmake \
             /usr/local/lib/cmake/GTest/GTestConfig.cmake; do
        [ -f "$f" ] && return 0
    done
    return 1
}

missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v make >/dev/null 2>&1 || missing+=(make)
if [ "${VELKO_NEED_GTEST:-1}" = 1 ]; then
    have_gtest || missing+=(libgtest-dev)
fi
# nlohmann JSON (header-only) writes the QCSchema output.
[ -f /usr/share/cmake/nlohmann_json/nlohmann_jsonConfig.cmake ] || [ -f /usr/lib/cmake/nlohmann_json/nlohmann_jsonConfig.cmake ] \
    || missing+=(nlohmann-json3-dev)
if [ "${#missing[@]}" -gt 0 ]; then
    echo "velko: installing ${missing[*]}"
    apt_install "${missing[@]}"
fi


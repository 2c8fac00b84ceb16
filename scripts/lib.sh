# Shared set-up for make test, make run and make bench. Sourced, not run.
# Everything here is idempotent: a second call finds the work already done.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BUILD:-$ROOT/build}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
DESKTOP_SIZE=${DESKTOP_SIZE:-1280x800}

log() { echo "== $*" >&2; }
elapsed() { echo "$(($1 / 60)) min $(($1 % 60)) s"; }

# Debian packages the build and the tests need; installed only when missing.
ensure_packages() {
    local want=(mingw-w64 wine wine64 xvfb xserver-xephyr xdotool imagemagick x11-apps googletest fonts-liberation ninja-build cmake nsis)
    local missing=()
    for p in "${want[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq >/dev/null
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

configure_and_build() {
    if [ ! -f "$BUILD/build.ninja" ]; then
        log "configuring"
        cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-Release} \
            -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
    fi
    log "building"
    # BUILD_TARGETS limits the build to some targets (for work on one area).
    local targets=()
    for t in ${BUILD_TARGETS:-}; do targets+=(--target "$t"); done
    cmake --build "$BUILD" -j"$(nproc)" "${targets[@]}" >"$BUILD/build.log" 2>&1 || { cat "$BUILD/build.log"; return 1; }
    grep -E "warning:" "$BUILD/build.log" >&2 || true
}

# One template prefix per build directory; each run copies it (never hard-links:
# wineserver rewrites the .reg files in place).
make_template_prefix() {
    local tpl=$BUILD/wine-template
    [ -f "$tpl/.velmar-ready" ] && return 0
    log "creating the Wine prefix template"
    rm -rf "$tpl"
    WINEPREFIX=$tpl wineboot -i >/dev/null 2>&1
    WINEPREFIX=$tpl wineserver -w
    local r="WINEPREFIX=$tpl wine reg add"
    WINEPREFIX=$tpl wine reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d win10 /f >/dev/null 2>&1
    # One virtual desktop for every Wine process: without it each hide of a
    # top-level window waits a second for a window manager.
    WINEPREFIX=$tpl wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
    WINEPREFIX=$tpl wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d "$DESKTOP_SIZE" /f >/dev/null 2>&1
    # Fonts that Windows has and a fresh prefix lacks.
    for f in "Segoe UI" "MS UI Gothic" "MS Sans Serif" "Tahoma" "Arial" "Microsoft Sans Serif"; do
        WINEPREFIX=$tpl wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$f" /t REG_SZ /d "Liberation Sans" /f >/dev/null 2>&1
    done
    WINEPREFIX=$tpl wineserver -w
    touch "$tpl/.velmar-ready"
}

fresh_prefix() { # $1 = prefix directory
    rm -rf "$1"
    cp -a "$BUILD/wine-template" "$1"
}

# Starts an Xvfb on the first free display number and waits until it answers;
# sets XVFB_DISPLAY and XVFB_PID.
start_xvfb() {
    local n
    for n in $(seq 91 140); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
    done
    Xvfb ":$n" -screen 0 "${DESKTOP_SIZE}x24" -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    XVFB_DISPLAY=":$n"
    for _ in $(seq 50); do
        xdpyinfo -display "$XVFB_DISPLAY" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "Xvfb did not start" >&2
    return 1
}

STARTED_XVFB=""
start_display() { # $1 = "own" to always start a private Xvfb
    if [ "${1:-}" != own ] && [ -n "${DISPLAY:-}" ]; then return 0; fi
    start_xvfb || return 1
    STARTED_XVFB=$XVFB_PID
    export DISPLAY=$XVFB_DISPLAY
}

# The tests' second lane: a display, a Wine prefix and a wineserver of its own
# (scripts/wine-run moves a program there when VELMAR_LANE is b), so that two
# test programs run side by side without sharing a desktop.
LANE_B_XVFB=""
start_lane_b() {
    export VELMAR_LANE_B_PREFIX=$BUILD/wine-test-b
    fresh_prefix "$VELMAR_LANE_B_PREFIX"
    start_xvfb || return 1
    LANE_B_XVFB=$XVFB_PID
    export VELMAR_LANE_B_DISPLAY=$XVFB_DISPLAY
    DISPLAY=$VELMAR_LANE_B_DISPLAY WINEPREFIX=$VELMAR_LANE_B_PREFIX start_wine
}

# Two monitors side by side for what needs them: a nested X server (Xephyr)
# inside the current display whose two screens Xinerama joins. Wine's virtual
# desktop always has one monitor, so this runs without it. Sets TWO_DISPLAY
# and TWO_XEPHYR (its process).
TWO_XEPHYR=""
start_two_monitors() { # $1 $2 = the screens' sizes, WxH
    local n
    for n in $(seq 141 190); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
    done
    Xephyr ":$n" +xinerama -screen "$1" -screen "$2" -nolisten tcp >/dev/null 2>&1 &
    TWO_XEPHYR=$!
    TWO_DISPLAY=":$n"
    for _ in $(seq 100); do
        xdpyinfo -display "$TWO_DISPLAY" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "Xephyr did not start" >&2
    return 1
}

stop_two_monitors() {
    if [ -n "$TWO_XEPHYR" ]; then kill "$TWO_XEPHYR" 2>/dev/null; wait "$TWO_XEPHYR" 2>/dev/null; fi
    TWO_XEPHYR=""
}

# A copy of the template for it: no virtual desktop, and Wine asks Xinerama
# for the monitors (its XRandR query sees the nested server as one screen).
# The registry file is edited before any Wine process reads it.
two_monitor_prefix() { # $1 = prefix directory
    fresh_prefix "$1"
    sed -i '/^\[Software\\\\Wine\\\\Explorer\]/,/^$/{/^"Desktop"=/d}' "$1/user.reg"
    printf '\n[Software\\\\Wine\\\\X11 Driver]\n"UseXRandR"="N"\n' >>"$1/user.reg"
}

start_wine() { # needs WINEPREFIX and DISPLAY
    wineserver -p
    # The first process brings up explorer with the virtual desktop and the
    # app-bar window; wait until it answers so that tests see a settled desktop.
    wine cmd /c exit >/dev/null 2>&1
}

stop_all() {
    if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1; fi
    if [ -n "$LANE_B_XVFB" ]; then
        WINEPREFIX=$VELMAR_LANE_B_PREFIX wineserver -k >/dev/null 2>&1
        WINEPREFIX=$VELMAR_LANE_B_PREFIX wineserver -w >/dev/null 2>&1
        kill "$LANE_B_XVFB" 2>/dev/null
        wait "$LANE_B_XVFB" 2>/dev/null
        LANE_B_XVFB=""
    fi
    if [ -n "$STARTED_XVFB" ]; then kill "$STARTED_XVFB" 2>/dev/null; wait "$STARTED_XVFB" 2>/dev/null; fi
    STARTED_XVFB=""
}

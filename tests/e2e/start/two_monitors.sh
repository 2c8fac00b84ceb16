#!/bin/bash
# Runs end-to-end tests that need a second monitor: two side-by-side monitors
# in a nested X server and a copy of the build's Wine prefix set up for them
# (scripts/lib.sh), then the tests named by FILTER, then everything torn down.
# All of it lives on a private Xvfb, so the shared test desktop never sees the
# nested server's windows.
# Usage: two_monitors.sh TEST_PROGRAM FILTER
set -u
program=$1
filter=$2
BUILD=$(cd "$(dirname "$program")/.." && pwd)
source "$(dirname "$0")/../../../scripts/lib.sh"
command -v Xephyr >/dev/null || { echo "Xephyr is missing (scripts/lib.sh ensure_packages installs it)"; exit 1; }

prefix=$(mktemp -d /tmp/velmar-two-XXXXXX)
cleanup() {
    WINEPREFIX=$prefix/wine wineserver -k >/dev/null 2>&1
    WINEPREFIX=$prefix/wine wineserver -w >/dev/null 2>&1
    stop_two_monitors
    stop_all
    rm -rf "$prefix"
}
trap cleanup EXIT
two_monitor_prefix "$prefix/wine" || exit 1
DESKTOP_SIZE=2100x800 start_display own || exit 1
start_two_monitors 1024x768 1024x768 || exit 1
export WINEPREFIX=$prefix/wine DISPLAY=$TWO_DISPLAY
start_wine
cd "$(dirname "$program")" && wine "$(basename "$program")" --gtest_filter="$filter" 2>&1 | tr -d '\r' | tee "$prefix/out.txt"
# A skipped test would pass without showing anything: it must have run.
grep -q "^\[       OK \]" "$prefix/out.txt" && ! grep -q "^\[  FAILED  \]\|^\[  SKIPPED \]" "$prefix/out.txt"

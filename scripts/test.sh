#!/usr/bin/env bash
# make test: all set-up on a fresh Debian machine, then the whole suite under Wine.
set -u
source "$(dirname "$0")/lib.sh"
ensure_packages || exit 1
configure_and_build || exit 1
make_template_prefix || exit 1
export WINEPREFIX=$BUILD/wine-test
fresh_prefix "$WINEPREFIX"
trap stop_all EXIT INT TERM
start_display own || exit 1
start_wine
log "running the tests"
# One test at a time: component and end-to-end tests share one desktop, its
# activation, focus and pointer, and a test running beside them can steal those.
cd "$BUILD" && ctest --output-on-failure -j"${TEST_JOBS:-1}" --timeout 300 "$@"
rc=$?
stop_all
trap - EXIT
exit $rc

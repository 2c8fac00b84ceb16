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
cd "$BUILD" && ctest --output-on-failure -j2 --timeout 300 "$@"
rc=$?
stop_all
trap - EXIT
exit $rc

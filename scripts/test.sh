#!/usr/bin/env bash
# make test: all set-up on a fresh Debian machine, then the whole suite under Wine.
set -u
started=$SECONDS
source "$(dirname "$0")/lib.sh"
ensure_packages || exit 1
configure_and_build || exit 1
make_template_prefix || exit 1
export WINEPREFIX=$BUILD/wine-test
fresh_prefix "$WINEPREFIX"
rm -rf "$BUILD/test-logs" "$BUILD/wine-test-b"
trap stop_all EXIT INT TERM
start_display own || exit 1
start_wine
start_lane_b || exit 1
# Each test program runs whole, once. A selection (-R, -I,
# --rerun-failed) runs each selected case in a process of its own instead, as a
# few cases are quicker that way than their whole programs; WHOLE=1 keeps the
# selected programs' whole runs (-R '^tree_tests').
for a in "$@"; do
    case $a in -R | -I | -R?* | -I?* | --tests-regex* | --tests-information* | --rerun-failed)
        [ -n "${WHOLE:-}" ] || export VELMAR_TEST_EACH=1 ;;
    esac
done
log "running the tests ($(elapsed $((SECONDS - started))) of set-up and build)"
tests_started=$SECONDS
# Two lanes, one program at a time in each (tests/CMakeLists.txt): component
# and end-to-end tests share their lane's desktop, its activation, focus and
# pointer, and a test running beside them there could steal those.
cd "$BUILD" && ctest --output-on-failure -j"${TEST_JOBS:-2}" --timeout 300 "$@"
rc=$?
stop_all
trap - EXIT
echo "make test: $(elapsed $((SECONDS - started))) wall time, of which tests $(elapsed $((SECONDS - tests_started)))"
exit $rc

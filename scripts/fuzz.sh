#!/usr/bin/env bash
# make fuzz: the full counts of the hardening tests (10,000 damaged skins,
# 10,000 damaged lists through the menu and through the options dialog, the
# long runs at three times their make test length), in a build of its own made
# with -fstack-protector-strong -D_FORTIFY_SOURCE=2 (MinGW has no address
# sanitizer: there is no libasan for it), run with Wine's heap checking
# (WINEDEBUG warn+heap: every heap call has its parameters validated, and a bad
# pointer or a damaged block is reported as err/warn:heap, which fails the run).
# Output and a summary go to out/fuzz.txt (out/fuzz-<stages>.txt when only
# some stages run). VELMAR_FUZZ_TRACE=1 names every case in the logs, to tie a
# heap message to the case that caused it.
set -u
export BUILD=${FUZZ_BUILD:-$(cd "$(dirname "$0")/.." && pwd)/build-fuzz}
source "$(dirname "$0")/lib.sh"
ensure_packages || exit 1
hardening="-fstack-protector-strong -D_FORTIFY_SOURCE=2"
export CFLAGS="$hardening" CXXFLAGS="$hardening" LDFLAGS="-fstack-protector-strong"
export BUILD_TARGETS="fuzz_menu_tests fuzz_quillset_tests longrun_menu_tests applist_hardening_tests"
configure_and_build || exit 1
make_template_prefix || exit 1
export WINEPREFIX=$BUILD/wine-fuzz
fresh_prefix "$WINEPREFIX"
trap stop_all EXIT INT TERM
start_display own || exit 1
start_wine
mkdir -p "$ROOT/out"
report=$ROOT/out/fuzz${VELMAR_FUZZ_ONLY:+-${VELMAR_FUZZ_ONLY//[^A-Za-z]/}}.txt
: >"$report"
export VELMAR_FUZZ_CASES=${VELMAR_FUZZ_CASES:-10000}
export VELMAR_LONGRUN_SCALE=${VELMAR_LONGRUN_SCALE:-3}
export VELMAR_FUZZ_WINDOW_EVERY=${VELMAR_FUZZ_WINDOW_EVERY:-1}
rc=0
# VELMAR_FUZZ_ONLY (a regex) runs only the stages whose program and filter match
# it, e.g. to replay the options dialog's stage after a fix.
run() { # $1 = test program, $2 = gtest filter
    [[ "$1 $2" =~ ${VELMAR_FUZZ_ONLY:-.} ]] || return 0
    local log=$BUILD/fuzz-$1-${2//[^A-Za-z]/}.log start=$SECONDS
    log "$1 $2 (cases: $VELMAR_FUZZ_CASES)"
    (cd "$BUILD/bin" && WINEDEBUG=-all,err+heap,warn+heap timeout 7200 "$ROOT/scripts/wine-run" "$1.exe" --gtest_filter="$2") \
        >"$log" 2>&1
    local code=$? heap refused
    # A refused request for more memory than there is (a skin's absurd sizes) is
    # reported as warn:heap too; it is counted apart, as it damages nothing.
    heap=$(grep -E '(^|:)(err|warn):heap' "$log" | grep -vc 'allocate_region Could not commit')
    refused=$(grep -c 'allocate_region Could not commit' "$log")
    { tr -d '\r' <"$log" | grep -E '^(skin|list|save|openings|all-programs|pinned)|FAILED|HANG|FAULT'
      echo "$1 $2: exit $code, heap messages $heap, refused huge allocations $refused, $((SECONDS - start)) s"
    } | tee -a "$report"
    [ "$code" -eq 0 ] && [ "$heap" -eq 0 ] || rc=1
}
run fuzz_menu_tests 'Shards/SkinFuzz.*'
run fuzz_menu_tests 'Shards/ListMenuFuzz.*'
run fuzz_quillset_tests '*'
run longrun_menu_tests '*'
run applist_hardening_tests '*'
echo "(report in ${report#$ROOT/})"
exit $rc

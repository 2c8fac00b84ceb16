#!/usr/bin/env bash
# make bench: the same set-up as make test, then every benchmark program under
# Wine. Each prints rows "name | ours | floor | ratio"; absolute times under
# Wine are noise, the ratio against the floor measured in the same run is the result.
# BENCH=menu (or startup) runs that one program only.
set -u
source "$(dirname "$0")/lib.sh"
ensure_packages || exit 1
configure_and_build || exit 1
make_template_prefix || exit 1
export WINEPREFIX=$BUILD/wine-bench
fresh_prefix "$WINEPREFIX"
trap stop_all EXIT INT TERM
start_display own || exit 1
start_wine
mkdir -p "$ROOT/out"
report=$ROOT/out/bench.txt
: >"$report"
rc=0
printf '%-52s %12s %12s %8s\n' "benchmark" "ours" "floor" "ratio" | tee -a "$report"
for exe in "$BUILD"/bin/bench_${BENCH:-*}.exe; do
    [ -e "$exe" ] || continue
    (cd "$BUILD/bin" && timeout 900 "$ROOT/scripts/wine-run" "$exe") 2>/dev/null | tr -d '\r' | tee -a "$report" || rc=1
done
echo "(report in out/bench.txt)"
exit $rc

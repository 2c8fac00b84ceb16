#!/usr/bin/env bash
# The test runner's own checks, without Wine: a stand-in `wine` plays a test
# program whose output comes with Windows line ends, and the per-case entries
# must report each case as GoogleTest did, name a case the program died in,
# and start a case the whole run never reached on its own.
set -u
scripts=$(cd "$(dirname "$0")/../scripts" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/path"
touch "$work/bin/prog.exe"
cat >"$work/path/wine" <<'EOF'
#!/usr/bin/env bash
for a in "$@"; do case $a in --gtest_filter=*) echo "on its own: ${a#--gtest_filter=}"; exit 0 ;; esac; done
printf '[ RUN      ] A.Passes\r\n[       OK ] A.Passes (1 ms)\r\n'
printf '[ RUN      ] A.Fails\r\nx.cpp:1: Failure\r\n[  FAILED  ] A.Fails (2 ms)\r\n'
printf '[ RUN      ] P/B.Param/0\r\n[  FAILED  ] P/B.Param/0, where GetParam() = 4 (3 ms)\r\n'
printf '[ RUN      ] A.Skips\r\n[  SKIPPED ] A.Skips (0 ms)\r\n'
printf '[ RUN      ] A.Dies\r\n'
sleep 0.1 # past the 50 ms in which scripts/wine-run takes an end for Wine's loader failing
exit 3
EOF
chmod +x "$work/path/wine"
export PATH="$work/path:$PATH"
log=$work/test-logs/prog.log
failures=0
check() { # $1 = what, $2 = wanted exit code, $3 = wanted text, rest = command
    local what=$1 code=$2 text=$3 out rc
    shift 3
    out=$("$@" 2>&1)
    rc=$?
    if [ "$rc" -ne "$code" ] || ! grep -qF -- "$text" <<<"$out"; then
        echo "FAILED: $what: exit $rc (wanted $code), output:"
        echo "$out"
        failures=$((failures + 1))
    fi
}
check "whole run" 0 "2 failed" bash "$scripts/gtest-run" "$log" "$work/bin/prog.exe"
check "the case it died in is named" 0 "during A.Dies" bash "$scripts/gtest-run" "$log" "$work/bin/prog.exe"
case_of() { bash "$scripts/gtest-case" "$work/bin/prog.exe" "--gtest_filter=$1" --gtest_also_run_disabled_tests; }
check "passed" 0 "[       OK ] A.Passes" case_of A.Passes
check "failed, with its lines" 1 "x.cpp:1: Failure" case_of A.Fails
check "a parameter's failure" 1 "GetParam() = 4" case_of P/B.Param/0
check "skipped" 0 "[  SKIPPED ] A.Skips" case_of A.Skips
check "died" 1 "A.Dies did not finish" case_of A.Dies
check "never reached" 0 "on its own: A.Later" case_of A.Later
check "a prefix of another case's name" 0 "on its own: A.Pass" case_of A.Pass
echo "$((9 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]

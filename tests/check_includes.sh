#!/usr/bin/env bash
# Keeps a source tree easy to walk: no two units include each other, and no
# file grows past 550 lines. A unit is a header and the sources that open with
# it (MenuWndKeys.cpp opens with MenuWnd.h: it is part of MenuWnd); a source
# that opens with no header of the tree is a unit of its own. Names each pair
# and each long file; exits 1 when there is one.
set -eu
# Each folder is checked on its own: units of one folder only.
if [ $# -gt 1 ]; then
    status=0
    for folder in "$@"; do bash "$0" "$folder" || status=1; done
    exit $status
fi
root=${1:?usage: check_includes.sh FOLDER...}
max_lines=550
status=0

mapfile -t files < <(find "$root" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
declare -A header unit
for f in "${files[@]}"; do
    if [[ $f == *.h ]]; then header[$(basename "$f" .h)]=1; fi
done
for f in "${files[@]}"; do
    name=$(basename "$f")
    stem=${name%.*}
    first=$(sed -n 's/^#include "\(.*\)\.h".*/\1/p' "$f" | head -n 1)
    if [[ $f == *.cpp && -n $first && -n ${header[$first]:-} ]]; then
        unit[$f]=$first
    else
        unit[$f]=$stem
    fi
done

# "A B": unit A includes a header of unit B.
edges=$(for f in "${files[@]}"; do
    sed -n 's/^#include "\(.*\)\.h".*/\1/p' "$f" | while read -r included; do
        if [[ -n ${header[$included]:-} && $included != "${unit[$f]}" ]]; then echo "${unit[$f]} $included"; fi
    done
done | sort -u)
while read -r a b; do
    if [[ -n $a && $a < $b ]] && grep -qx "$b $a" <<<"$edges"; then
        echo "include cycle: $a and $b include each other"
        status=1
    fi
done <<<"$edges"

for f in "${files[@]}"; do
    lines=$(wc -l <"$f")
    if ((lines > max_lines)); then
        echo "too long: $f has $lines lines (at most $max_lines)"
        status=1
    fi
done
exit $status

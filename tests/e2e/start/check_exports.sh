#!/bin/sh
# Passes when the program's export table names exactly the given functions.
# Usage: check_exports.sh OBJDUMP PROGRAM NAME...
objdump=$1; program=$2; shift 2
actual=$("$objdump" -p "$program" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' \
    | sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort | tr '\n' ' ')
expected=$(printf '%s\n' "$@" | sort | tr '\n' ' ')
echo "exports of $(basename "$program"): $actual"
[ "$actual" = "$expected" ] || { echo "expected: $expected"; exit 1; }

#!/usr/bin/env bash
# make package: the installer and the portable zip, copied to out/.
set -u
source "$(dirname "$0")/lib.sh"
ensure_packages || exit 1
BUILD_TARGETS=${BUILD_TARGETS:-installer} configure_and_build || exit 1
version=$(cat "$BUILD/package/version.txt")
mkdir -p "$ROOT/out"
for f in "Velmar-$version-setup.exe" "Velmar-$version-portable.zip"; do
    cp "$BUILD/package/$f" "$ROOT/out/$f" || exit 1
    printf '%s  %s bytes\n' "out/$f" "$(stat -c %s "$ROOT/out/$f")"
done

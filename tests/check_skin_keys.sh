#!/usr/bin/env bash
# Every skin key the programs read by its full name is described in the skin
# writers' guide: `KEY` itself, a numbered `KEY.0`/`KEY.n` for "KEY.%d", or the
# short `.LAST` beside a full key of its group (`MENU.APPLIST.X`, `.Y`). Names each missing
# key; exits 1 when there is one.
set -eu
root=${1:?usage: check_skin_keys.sh REPOSITORY}
guide=$root/skins/README.md
status=0
for key in $(grep -rhoE 'L"[A-Z][A-Z0-9_]*(\.[A-Z0-9_%d]+)+"' "$root/common" "$root/main" "$root/options" |
             sed 's/^L"//; s/"$//' | sort -u); do
    pattern=$(printf '%s' "$key" | sed 's/\./\\./g; s/%d/[0-9n]+/g')
    prefix=${key%.*}
    last=${key##*.}
    if grep -qE "\`$pattern(\.[0-9n]+)?\`" "$guide"; then continue; fi
    if grep -E "\`${prefix//./\\.}\.[A-Z0-9]+\`" "$guide" | grep -qF "\`.$last\`"; then continue; fi
    echo "skins/README.md does not describe the key $key"
    status=1
done
exit $status

#!/usr/bin/env bash
# make run: Velmar.exe with the default skin on a stand-in taskbar in a Wine
# virtual desktop, in a prefix seeded like a user's first day (a pinned list of
# programs the prefix has, Start Menu folders with shortcuts, an account
# picture), driven with real X input; screenshots in out/.
# With $DISPLAY set everything runs there and stays up until "Exit Velmar" is
# chosen on the Start button; on a private Xvfb it stops after the screenshots
# (RUN_SECONDS, default 0, keeps it up longer).
set -u
source "$(dirname "$0")/lib.sh"
RUN_SECONDS=${RUN_SECONDS:-0}
OUT=$ROOT/out
BIN=$BUILD/bin
USER_DISPLAY=${DISPLAY:-}

ensure_packages || exit 1
BUILD_TARGETS=${BUILD_TARGETS:-"Velmar Quillset standin_taskbar start_preview run_helper default_skin"} configure_and_build || exit 1
make_template_prefix || exit 1
export WINEPREFIX=$BUILD/wine-run
fresh_prefix "$WINEPREFIX"

PIDS=()
cleanup() {
    for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; done
    stop_all
}
trap cleanup EXIT
trap 'exit 130' INT TERM
start_display || exit 1
start_wine
mkdir -p "$OUT"
SHOTS=()
note() { SHOTS+=("$(printf '  %-30s %s' "$1" "$2")"); }

# The Wine virtual desktop's X window: clicks and screenshots are taken relative
# to it, so that a desktop inside a window manager works as well as a bare Xvfb.
DESKTOP_WIN=$(xdotool search --name 'Wine desktop' 2>/dev/null | head -1)
shot() { # $1 = file, $2 = optional crop geometry WxH+X+Y
    local tmp=$OUT/.shot.png
    if [ -n "$DESKTOP_WIN" ]; then import -window "$DESKTOP_WIN" "$tmp"; else import -window root "$tmp"; fi
    if [ -n "${2:-}" ]; then convert "$tmp" -crop "$2" +repage "$1"; else mv "$tmp" "$1"; fi
    rm -f "$tmp"
}
move() { # $1 $2 = desktop coordinates
    if [ -n "$DESKTOP_WIN" ]; then xdotool mousemove --window "$DESKTOP_WIN" "$1" "$2"; else xdotool mousemove "$1" "$2"; fi
}
click() { # $1 $2 = desktop coordinates, $3 = button
    if [ -n "$DESKTOP_WIN" ]; then
        xdotool mousemove --window "$DESKTOP_WIN" "$1" "$2" click "${3:-1}"
    else
        xdotool mousemove "$1" "$2" click "${3:-1}"
    fi
}
key() { xdotool key "$1"; }
helper() { (cd "$BIN" && wine run_helper.exe "$@" | tr -d '\r'); }
settle() { sleep "${1:-1}"; }
# Pastes the in-process drawing of the button ($2: normal or pressed) into the
# screenshot $1, whose top row is screen row $3, at the start of the taskbar.
paste_button() {
    [ -f "$OUT/.button-$2.png" ] || return 0
    convert "$1" "$OUT/.button-$2.png" -geometry "+0+$((by - 1 - $3))" -composite "$1"
}

# 1. A first day: what the installer and a few weeks of use leave behind.
log "seeding the prefix: pinned list, Start Menu, account picture"
picture_dir="$WINEPREFIX/drive_c/ProgramData/Microsoft/User Account Pictures"
mkdir -p "$picture_dir"
convert -size 96x96 radial-gradient:'#7fb2e8'-'#2f5f99' \
    -fill '#f4f7fb' -draw 'circle 48,38 48,20' -draw 'ellipse 48,96 34,30 180,360' \
    "$picture_dir/velmar-user.png"
helper seed 'C:\ProgramData\Microsoft\User Account Pictures\velmar-user.png' || log "seeding was incomplete"

# 2. The button as its own code draws it, with the stand-in in the same process.
log "drawing the Start button in one process (start_preview.exe)"
preview_bmp=$OUT/.start-button.bmp
(cd "$BIN" && wine start_preview.exe "$(winepath -w "$preview_bmp")" bottom) || log "start_preview.exe failed ($?)"
if [ -f "$preview_bmp" ]; then
    convert "$preview_bmp" -scale 200% "$OUT/start-button-in-process.png"
    # The normal and the pressed look (strips of 40 rows, 6 apart), pasted into
    # the cross-process screenshots below where Wine leaves the button out.
    convert "$preview_bmp" -crop 56x40+0+0 +repage "$OUT/.button-normal.png"
    convert "$preview_bmp" -crop 56x40+0+92 +repage "$OUT/.button-pressed.png"
    rm -f "$preview_bmp"
    note start-button-in-process.png "the Start button drawn by its own code in one process: normal, hot, pressed (2x)"
fi

# 2b. The same on a taskbar shaped like Windows 10's: the shell's own Start
# button, the search box and Task View; Velmar's button in the Start button's place.
preview_bmp=$OUT/.start-button-windows10.bmp
(cd "$BIN" && wine start_preview.exe "$(winepath -w "$preview_bmp")" bottom --shape=10) || log "start_preview.exe --shape=10 failed ($?)"
if [ -f "$preview_bmp" ]; then
    convert "$preview_bmp" -crop 720x40+0+0 +repage "$OUT/run-taskbar-windows10.png"
    rm -f "$preview_bmp"
    note run-taskbar-windows10.png "a Windows 10-shaped stand-in: Velmar's button over the shell's Start button, search box and Task View untouched (in one process)"
fi

# 3. The shell's part, then Velmar.exe as a user starts it.
log "starting the stand-in taskbar and Velmar.exe"
(cd "$BIN" && exec wine standin_taskbar.exe --edge=bottom) >/dev/null 2>&1 &
PIDS+=($!)
helper rect "" >/dev/null 2>&1 # the stand-in is up once Wine answers again
(cd "$BIN" && exec wine Velmar.exe) >/dev/null 2>&1 &
VELMAR_PID=$!
PIDS+=($VELMAR_PID)
read -r bx by bw bh < <(cd "$BIN" && wine start_preview.exe --find | tr -d '\r')
if [ -z "${bx:-}" ]; then
    echo "Velmar's Start button did not appear on the stand-in taskbar." >&2
    exit 1
fi
log "Start button at ($bx, $by), ${bw}x${bh}"
read -r _ sh < <(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1], d[2]}')
settle
taskbar_h=$((sh - by + 1))
shot "$OUT/run-taskbar.png" "640x$((taskbar_h + 8))+0+$((by - 9))"
paste_button "$OUT/run-taskbar.png" normal $((by - 9))
note run-taskbar.png "the stand-in taskbar with Velmar running (the button pasted in from its in-process drawing)"

# 4. A real click on the button opens the menu: account name and picture, pinned list.
click $((bx + bw / 2)) $((by + bh / 2)) 1
read -r mx my mw mh < <(helper rect Velmar.Menu.Class)
if [ -z "${mx:-}" ]; then
    echo "The Start menu did not open." >&2
    exit 1
fi
crop="$((mw + 40))x$((sh - my + 20))+0+$((my - 20))"
move $((mx + mw + 200)) $((my + 40))
settle 1.5
shot "$OUT/run-menu-open.png" "$crop"
paste_button "$OUT/run-menu-open.png" pressed $((my - 20))
note run-menu-open.png "after a real click on the Start button: the menu with account name and picture and the pinned list"

# 5. The mouse resting on the second pinned entry.
move $((mx + 120)) $((my + 12 + 38 + 19))
settle 1.5
shot "$OUT/run-menu-hover.png" "$crop"
paste_button "$OUT/run-menu-hover.png" pressed $((my - 20))
note run-menu-hover.png "the mouse resting on a pinned entry: its highlight"

# 6. The power menu, from the arrow strip of the shut-down button.
click $((mx + 282 + 112 - 13)) $((my + 443 + 15)) 1
if read -r px py pw ph < <(helper popup); then
    settle
    shot "$OUT/run-power-menu.png" "$((px + pw - mx + 20 > mw + 40 ? px + pw - mx + 20 : mw + 40))x$((sh - my + 20))+0+$((my - 20))"
    paste_button "$OUT/run-power-menu.png" pressed $((my - 20))
    note run-power-menu.png "the power menu opened from the shut-down button's arrow"
fi
key Escape
settle

# 6b. Recent documents (seeded: real files in Documents made recent through the
# shell): the Recent Items button's popup, then the pinned Notepad's .txt
# documents, opened by resting on the arrow of its row (the second).
cfg() { sed -n "s/^$1=//p" "$ROOT/skins/default/skin.cfg" | tr -d '\r'; }
wide_crop() { echo "$(($1 + $2 - mx + 20 > mw + 40 ? $1 + $2 - mx + 20 : mw + 40))x$((sh - my + 20))+0+$((my - 20))"; }
# The popup a gesture opened, shot beside the menu, then closed.
popup_shot() { # file, what it shows, what is logged when no popup opened
    if read -r px py pw ph < <(helper popup); then
        settle
        shot "$OUT/$1" "$(wide_crop "$px" "$pw")"
        paste_button "$OUT/$1" pressed $((my - 20))
        note "$1" "$2"
    else
        log "$3"
    fi
    key Escape
    settle
}
click $((mx + $(cfg recent.POS.X) + 40)) $((my + $(cfg recent.POS.Y) + $(cfg recent.POS.HEIGHT) / 2)) 1
popup_shot menu-recent-items.png "the Recent Items popup: the seeded documents, newest first, and \"Clear recent items\"" \
    "the Recent Items popup did not open"
move $((mx + $(cfg MENU.APPLIST.X) + $(cfg MENU.APPLIST.WIDTH) - 14)) $((my + $(cfg MENU.APPLIST.Y) + 5 + 36 + 18))
popup_shot menu-recent-pinned.png "resting on the arrow of the pinned Notepad: its recent .txt documents beside the row" \
    "the pinned Notepad's documents did not open"

# 7. All programs, with a folder opened.
click $((mx + 10 + 128)) $((my + 443 + 15)) 1
settle 1.5
# The tree lists the top level's shortcuts first, then its folders: the seeded
# "Accessories" is the third row (rows are 23 pixels high).
click $((mx + 80)) $((my + 12 + 2 * 23 + 11)) 1
settle 1.5
move $((mx + mw + 200)) $((my + 40))
settle
shot "$OUT/run-all-programs.png" "$crop"
paste_button "$OUT/run-all-programs.png" pressed $((my - 20))
note run-all-programs.png "the all-programs tree after a click on All Programs, the Accessories folder opened"
click $((bx + bw / 2)) $((by + bh / 2)) 1 # closes the menu
settle

# 7b. Typing in the open menu searches the pinned list and the Start Menu.
click $((bx + bw / 2)) $((by + bh / 2)) 1
settle 1.5
xdotool type --delay 80 "no"
move $((mx + mw + 200)) $((my + 40))
settle 1.5
shot "$OUT/run-search.png" "$crop"
paste_button "$OUT/run-search.png" pressed $((my - 20))
note run-search.png "\"no\" typed in the open menu: the search line and the matches, best first"
key Escape # clears the search
key Escape # closes the menu
settle

# 7c. Pinning from the menu: a right click on the first All Programs entry
# shows "Pin to Start menu" at the top of its shell menu; choosing it with the
# keys writes the list file and the pinned list shows the entry at once.
click $((bx + bw / 2)) $((by + bh / 2)) 1
settle 1.5
click $((mx + 10 + 128)) $((my + 443 + 15)) 1
settle 1.5
click $((mx + 80)) $((my + 12 + 11)) 3
if read -r px py pw ph < <(helper popup); then
    settle
    shot "$OUT/run-pin-verb.png" "$((px + pw - mx + 20 > mw + 40 ? px + pw - mx + 20 : mw + 40))x$((sh - my + 20))+0+$((my - 20))"
    paste_button "$OUT/run-pin-verb.png" pressed $((my - 20))
    note run-pin-verb.png "a right click on the first All Programs entry: \"Pin to Start menu\" on top of the shell's menu"
    key Down
    key Return
    settle 1.5
    click $((mx + 10 + 128)) $((my + 443 + 15)) 1 # back to the pinned list
    move $((mx + mw + 200)) $((my + 40))
    settle 1.5
    shot "$OUT/run-pinned-from-menu.png" "$crop"
    paste_button "$OUT/run-pinned-from-menu.png" pressed $((my - 20))
    note run-pinned-from-menu.png "the pinned list right after \"Pin to Start menu\": the entry added at its end"
else
    log "no context menu on the All Programs entry"
    key Escape
fi
click $((bx + bw / 2)) $((by + bh / 2)) 1 # closes the menu
settle

# 8. The Start button's own right-click menu.
click $((bx + bw / 2)) $((by + bh / 2)) 3
if read -r px py pw ph < <(helper popup); then
    settle
    shot "$OUT/run-context-menu.png" "$((px + pw + 40))x$((sh - py + 20))+0+$((py - 20))"
    paste_button "$OUT/run-context-menu.png" normal $((py - 20))
    note run-context-menu.png "a right click on the Start button: Properties, Open Windows Explorer, Exit Velmar"
fi
key Escape
settle

# 9. Quillset with the first pinned entry selected.
(cd "$BIN" && exec wine Quillset.exe) >/dev/null 2>&1 &
QUILLSET_PID=$!
if read -r qx qy qw qh < <(helper rect "Start Menu Options"); then
    settle 1.5
    shot "$OUT/run-quillset.png" "${qw}x${qh}+${qx}+${qy}"
    note run-quillset.png "Quillset, the options program, with the first pinned entry selected"
    # 9b. Add offers a menu; "From the Start Menu..." opens the chooser over All Programs.
    if read -r ax ay aw ah < <(helper rect "Start Menu Options" 1014); then
        click $((ax + aw / 2)) $((ay + ah / 2)) 1
        if read -r px py pw ph < <(helper popup); then
            settle
            shot "$OUT/quillset-add-menu.png" "$((px + pw - qx + 20))x$((py + ph - qy + 20))+${qx}+${qy}"
            note quillset-add-menu.png "Quillset's Add button: browse for a file, or add from the Start Menu"
            key s
            if read -r cx cy cw ch < <(helper rect "Add from the Start Menu"); then
                settle 1.5
                shot "$OUT/quillset-chooser.png" "${cw}x${ch}+${cx}+${cy}"
                note quillset-chooser.png "the chooser: every All Programs entry with its folder, sorted by name"
                xdotool type --delay 80 "pad"
                settle
                shot "$OUT/quillset-chooser-filtered.png" "${cw}x${ch}+${cx}+${cy}"
                note quillset-chooser-filtered.png "\"pad\" typed: the matches, the first chosen for Enter"
                key Escape
            fi
        fi
    fi
fi
kill "$QUILLSET_PID" 2>/dev/null

# 10. The same menu at 150 %: the prefix's system DPI raised to 144 and both
# programs started again (a program reads the DPI when it starts).
log "the menu at 150 % (LogPixels 144)"
(cd "$BIN" && wine taskkill /f /im Velmar.exe && wine taskkill /f /im standin_taskbar.exe) >/dev/null 2>&1
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
(cd "$BIN" && exec wine standin_taskbar.exe --edge=bottom) >/dev/null 2>&1 &
PIDS+=($!)
helper rect "" >/dev/null 2>&1
(cd "$BIN" && exec wine Velmar.exe) >/dev/null 2>&1 &
VELMAR_PID=$!
PIDS+=($VELMAR_PID)
if read -r b2x b2y b2w b2h < <(cd "$BIN" && wine start_preview.exe --find | tr -d '\r') && [ -n "${b2x:-}" ]; then
    click $((b2x + b2w / 2)) $((b2y + b2h / 2)) 1
    if read -r m2x m2y m2w m2h < <(helper rect Velmar.Menu.Class) && [ -n "${m2x:-}" ]; then
        move $((m2x + m2w + 200)) $((m2y + 40))
        settle 1.5
        shot "$OUT/run-menu-150.png" "$((m2w + 40))x$((sh - m2y + 20))+0+$((m2y - 20))"
        note run-menu-150.png "the menu at 150 % (${m2w}x${m2h}): drawn at the larger size, text sharp; the Start button (${b2w}x${b2h}) is there but Wine does not draw it"
    else
        log "the menu did not open at 150 %"
    fi
else
    log "no Start button at 150 %"
fi
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1

# 11. Two monitors with a taskbar each and a Start button on each. Wine's
# virtual desktop has one monitor, so this runs on two screens of a nested X
# server, in a second prefix seeded like the first.
two_taskbars() {
    local prefix=$BUILD/wine-run-two
    two_monitor_prefix "$prefix" || return 1
    mkdir -p "$prefix/drive_c/ProgramData/Microsoft/User Account Pictures"
    cp "$picture_dir/velmar-user.png" "$prefix/drive_c/ProgramData/Microsoft/User Account Pictures/"
    start_two_monitors 1024x640 1024x640 || return 1
    (
        export WINEPREFIX=$prefix DISPLAY=$TWO_DISPLAY
        trap 'wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1' EXIT
        start_wine
        helper seed 'C:\ProgramData\Microsoft\User Account Pictures\velmar-user.png' >/dev/null 2>&1
        (cd "$BIN" && exec wine standin_taskbar.exe --edge=bottom --secondary=bottom) >/dev/null 2>&1 &
        helper rect "" >/dev/null 2>&1
        (cd "$BIN" && exec wine Velmar.exe) >/dev/null 2>&1 &
        read -r px py _ _ < <(cd "$BIN" && wine start_preview.exe --find | tr -d '\r')
        read -r sx sy sw sh2 < <(cd "$BIN" && wine start_preview.exe --find-secondary | tr -d '\r')
        [ -n "${px:-}" ] && [ -n "${sx:-}" ] || { echo "no Start button on one of the two taskbars" >&2; return 1; }
        log "Start buttons at ($px, $py) and ($sx, $sy)"
        xdotool mousemove $((sx + sw / 2)) $((sy + sh2 / 2)) click 1
        helper rect Velmar.Menu.Class >/dev/null || { echo "the menu did not open on the second monitor" >&2; return 1; }
        xdotool mousemove $((sx + 700)) $((sy - 300))
        settle 1.5
        import -window root "$OUT/run-two-taskbars.png"
        # Wine leaves both buttons out (children of another process): their own drawing goes in.
        for b in "normal $px $py" "pressed $sx $sy"; do
            set -- $b
            [ -f "$OUT/.button-$1.png" ] && convert "$OUT/run-two-taskbars.png" "$OUT/.button-$1.png" \
                -geometry "+$(($2 - 1))+$(($3 - 1))" -composite "$OUT/run-two-taskbars.png"
        done
        return 0
    )
    local rc=$?
    stop_two_monitors
    rm -rf "$prefix"
    return $rc
}
log "two monitors, a taskbar and a Start button on each"
if two_taskbars; then
    note run-two-taskbars.png "two monitors, a taskbar on each with its own Start button; a real click on the right one opened the menu there"
fi

rm -f "$OUT"/.button-*.png
# The picture at the top of README.md.
[ -d "$ROOT/docs" ] && cp "$OUT/run-menu-open.png" "$ROOT/docs/menu.png"

echo
echo "Screenshots in $OUT:"
printf '%s\n' "${SHOTS[@]}"
cat <<EOF

Under Wine a child window created by another process is not drawn: Velmar's
Start button is a child of the taskbar, which belongs to another process, so
on the screen its place at the left of the taskbar (${bw}x${bh} at $bx,$by)
shows the taskbar's background. The button is there and takes the real clicks
the pictures start from; what the pictures show in its place is the same
button code drawing itself in one process (start_preview.exe, where Wine does
paint it), pasted in. On Windows the button is drawn on the real taskbar.
The two-monitor picture comes from two screens of a nested X server joined
side by side, outside Wine's virtual desktop, which has only one monitor.

run-menu-150.png: Wine gives every monitor the one system DPI, so only the
whole screen at 150 % is shown, not a move between monitors of different
scales. There the stand-in's task buttons still start 54 pixels in: Wine maps
Velmar's move of the other process's rebar by the DPI each process started
with; the hook inside the shell puts the rebar 81 pixels in at the shell's
next re-layout (checked by the end-to-end tests).
EOF

if [ -n "$USER_DISPLAY" ]; then
    log "Velmar is running on $DISPLAY: choose \"Exit Velmar\" on the Start button's right-click menu to end it"
    wait "$VELMAR_PID"
elif [ "$RUN_SECONDS" -gt 0 ]; then
    log "leaving everything running for $RUN_SECONDS s"
    sleep "$RUN_SECONDS"
fi
log "stopping"

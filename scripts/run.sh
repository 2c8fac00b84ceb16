#!/usr/bin/env bash
# make run: Velmar.exe with the default skin on a stand-in taskbar in a Wine
# virtual desktop, its menu opened by a real click, screenshots in out/.
# Everything stays up until Enter is pressed (or RUN_SECONDS, default 60, when
# not run from a terminal); then all of it is stopped.
set -u
source "$(dirname "$0")/lib.sh"
RUN_SECONDS=${RUN_SECONDS:-60}
OUT=$ROOT/out
BIN=$BUILD/bin

ensure_packages || exit 1
BUILD_TARGETS=${BUILD_TARGETS:-"Velmar Quillset standin_taskbar start_preview default_skin"} configure_and_build || exit 1
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

# The Wine virtual desktop's X window: clicks and screenshots are taken relative
# to it, so that a desktop inside a window manager works as well as a bare Xvfb.
DESKTOP_WIN=$(xdotool search --name 'Wine desktop' 2>/dev/null | head -1)
shot() { # $1 = file
    if [ -n "$DESKTOP_WIN" ]; then import -window "$DESKTOP_WIN" "$1"; else import -window root "$1"; fi
}
click() { # $1 $2 = desktop coordinates, $3 = button
    if [ -n "$DESKTOP_WIN" ]; then
        xdotool mousemove --window "$DESKTOP_WIN" "$1" "$2" click "${3:-1}"
    else
        xdotool mousemove "$1" "$2" click "${3:-1}"
    fi
}

# 1. The button as its own code draws it, with the stand-in in the same process.
log "drawing the Start button in one process (start_preview.exe)"
preview_bmp=$OUT/start-button-in-process.bmp
(cd "$BIN" && wine start_preview.exe "$(winepath -w "$preview_bmp")" bottom) || log "start_preview.exe failed ($?)"
[ -f "$preview_bmp" ] && convert "$preview_bmp" -scale 200% "$OUT/start-button-in-process.png" && rm -f "$preview_bmp"

# 2. The shell's part, then Velmar.exe as a user starts it.
log "starting the stand-in taskbar and Velmar.exe"
(cd "$BIN" && exec wine standin_taskbar.exe --edge=bottom) >/dev/null 2>&1 &
PIDS+=($!)
sleep 2
(cd "$BIN" && exec wine Velmar.exe) >/dev/null 2>&1 &
PIDS+=($!)
read -r bx by bw bh < <(cd "$BIN" && wine start_preview.exe --find | tr -d '\r')
if [ -z "${bx:-}" ]; then
    echo "Velmar's Start button did not appear on the stand-in taskbar." >&2
    exit 1
fi
log "Start button at ($bx, $by), ${bw}x${bh}"
sleep 1
shot "$OUT/run-taskbar.png"

# 3. A real click on the button opens the menu.
click $((bx + bw / 2)) $((by + bh / 2)) 1
sleep 2
shot "$OUT/run-menu-open.png"

cat <<EOF

Screenshots in $OUT:
  run-taskbar.png                the stand-in taskbar with Velmar running
  run-menu-open.png              after a real click on the Start button: the Start menu
  start-button-in-process.png    the Start button itself (normal, hot, pressed; 2x)

Note: under Wine, a child window created by another process is not drawn. Velmar's
Start button is a child of the taskbar, which belongs to another process, so on
the screenshots its place at the left of the taskbar (${bw}x${bh} at $bx,$by) shows
the taskbar's background: the button is there and takes clicks, but Wine does
not paint it. start-button-in-process.png shows the same button code drawing
itself on a stand-in taskbar in one process, where Wine does paint it. On
Windows the button is drawn on the real taskbar.
EOF

if [ -t 0 ]; then
    read -r -p "Velmar is running on display $DISPLAY. Press Enter to stop everything. " _
else
    log "leaving everything running for $RUN_SECONDS s"
    sleep "$RUN_SECONDS"
fi
log "stopping"

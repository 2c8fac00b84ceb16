#!/usr/bin/env python3
"""Draws the default skin and the programs' artwork.

    python3 scripts/make_art.py        (from anywhere; paths are relative to the repository)

Writes, byte for byte the same on every run:
    skins/default/skin.cfg             the skin configuration (ASCII)
    skins/default/skin_<LANG>.cfg      the same with translated captions and strings (UTF-16 LE with BOM,
                                       which GetPrivateProfileStringW reads on every Windows)
    skins/default/skin/*.png, *.bmp    the skin's images (installed beside the programs in "skin")
    options/res/bitmap207.bmp          Quillset's four image buttons, 16 images of 21 x 21
    options/res/quillset.ico           Quillset's window icon (16, 32, 48 px)
    main/res/velmar.ico                Velmar's program icon (16, 32, 48 px)

Python 3 standard library only; the shapes, canvas and file writers are in
art_canvas.py beside this script. PNG data is compressed with the zlib module at
level 9; a Python built on another deflate implementation (zlib-ng) gives other
bytes for the same pixels.
"""

import math
import os

from art_canvas import (BLACK, Canvas, Shape, bmp24_bytes, ellipse, horizontal, ico_bytes, mix, png_bytes,
                        polygon, radial, rgba, ring, round_rect, stroke, vertical, write)

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SKIN_DIR = os.path.join(ROOT, "skins", "default")
IMAGE_DIR = os.path.join(SKIN_DIR, "skin")


# ---------------------------------------------------------------- layout
# One place for every coordinate: the images are drawn from these numbers and
# skin.cfg is written from them, so the two cannot drift apart.

MENU_W, MENU_H = 440, 484
PANE = (8, 8, 268, 432)                 # the white list pane, outer edge
LIST_X, LIST_Y, LIST_W, LIST_H = 14, 12, 250, 416
LIST_TEXT_X, LIST_TEXT_Y = 2, -2        # text centred on the icons, which sit at the row top
PINNED_FOCUS = (248, 38)                # drawn at the row top - 3: 3 px around a 32 px icon
PROGRAMS_FOCUS = (228, 22)              # 3 px around a 16 px icon; clear of the scroll bar

COLUMN_X, COLUMN_W, ITEM_H = 282, 146, 32
PICTURE_X, PICTURE_Y, PICTURE_SIZE = 319, 12, 72
PICTURE_INSET, PICTURE_INNER = 8, 56    # where the account picture goes inside the frame
ICON_SIZE = 48

FIRST_ITEM_Y = 92
SEPARATOR_GAP = 12
STRIP_Y = PANE[3]                       # the dark strip under the list pane
BOTTOM_Y, BOTTOM_H = 443, 30
TOGGLE = (10, BOTTOM_Y, 256, BOTTOM_H)
SHUTDOWN = (COLUMN_X, BOTTOM_Y, 112, BOTTOM_H)
SHUTDOWN_ZONE = 26
ARROW_SIZE = 20                         # images 100 and 101, drawn at (5, 5) of the toggle

RECENT_ITEMS_ID = 32768                 # the Recent Items button: a cascade of recent documents
RECENT_ARROW = 22                       # the strip at its right that carries the cascade's arrow

# name, ID, caption, icon resource in shell32.dll; None marks the separator
FOLDER_BUTTONS = [
    ("user", 1, "User", 4),
    ("documents", 2, "Documents", 235),
    ("pictures", 3, "Pictures", 226),
    ("music", 4, "Music", 225),
    ("recent", RECENT_ITEMS_ID, "Recent Items", 21),
    None,
    ("computer", 5, "Computer", 16),
    ("controlpanel", 6, "Control Panel", 22),
    ("devices", 7, "Devices and Printers", 17),
    ("defaults", 8, "Default Programs", 3),
]


def folder_button_rows():
    """(name, ID, caption, icon, top) of every right-hand button, and the separator's top."""
    rows, y, separator = [], FIRST_ITEM_Y, None
    for entry in FOLDER_BUTTONS:
        if entry is None:
            separator = y + SEPARATOR_GAP // 2 - 1
            y += SEPARATOR_GAP
        else:
            rows.append(entry + (y,))
            y += ITEM_H
    return rows, separator


ROWS, SEPARATOR_Y = folder_button_rows()

# ---------------------------------------------------------------- palette

FRAME = ((0.0, rgba(66, 90, 116)), (0.35, rgba(38, 52, 70)), (1.0, rgba(18, 25, 36)))
TASKBAR = ((0.0, rgba(40, 52, 68)), (1.0, rgba(22, 29, 40)))   # behind the start button
CAPTION = (244, 247, 251)                                       # right-hand captions
HIGHLIGHT_BORDER = rgba(118, 160, 212)
FACE = rgba(240, 240, 240)                                      # dialog face behind bitmap 207


# ---------------------------------------------------------------- start menu


def menu_background():
    c = Canvas(MENU_W, MENU_H)
    whole = round_rect(0, 0, MENU_W, MENU_H)
    c.fill(whole, vertical(0, MENU_H, *FRAME))
    # A faint diagonal sheen across the glass, brightest at the top left.
    c.fill(polygon([(0, 0), (MENU_W * 0.58, 0), (MENU_W * 0.22, MENU_H), (0, MENU_H)]),
           vertical(0, MENU_H, (0, rgba(255, 255, 255, 0.07)), (1, rgba(255, 255, 255, 0.0))))
    c.fill(ellipse(MENU_W * 0.72, -40, MENU_W * 0.55, 120),
           radial(MENU_W * 0.72, -40, MENU_W * 0.55, 120, (0, rgba(160, 210, 255, 0.16)), (1, rgba(160, 210, 255, 0))))
    c.fill(whole.outline(1), rgba(6, 9, 14))
    c.fill(round_rect(1, 1, MENU_W - 1, MENU_H - 1).outline(1), rgba(255, 255, 255, 0.13))

    pane = round_rect(*PANE, r=5)
    c.glow(pane, rgba(0, 0, 0, 0.5), 5)
    c.fill(pane, rgba(14, 20, 30, 0.9))
    inner = pane.grow(-1)
    c.fill(inner, vertical(PANE[1], PANE[3], (0, rgba(255, 255, 255)), (0.75, rgba(250, 251, 253)),
                           (1, rgba(238, 242, 247))))

    draw_picture_frame(c, PICTURE_X, PICTURE_Y, hover=False)
    return c


def draw_picture_frame(c, left, top, hover):
    """The frame around the account picture; the hover version glows blue."""
    s = PICTURE_SIZE
    frame = round_rect(left, top, left + s, top + s, r=9)
    if not hover:
        c.glow(frame, rgba(0, 0, 0, 0.55), 4)
    c.fill(frame, rgba(8, 12, 18, 0.95))
    body = frame.grow(-1)
    if hover:
        c.fill(body, vertical(top, top + s, (0, rgba(250, 253, 255)), (0.5, rgba(190, 224, 250)),
                              (1, rgba(120, 182, 235))))
    else:
        c.fill(body, vertical(top, top + s, (0, rgba(238, 242, 247)), (0.5, rgba(200, 210, 222)),
                              (1, rgba(150, 164, 182))))
    c.fill(body.outline(1), rgba(255, 255, 255, 0.7 if hover else 0.55))
    # Gloss over the upper half of the frame.
    c.fill(body & round_rect(left, top, left + s, top + s * 0.45),
           vertical(top, top + s * 0.45, (0, rgba(255, 255, 255, 0.55)), (1, rgba(255, 255, 255, 0.1))))
    well = round_rect(left + PICTURE_INSET - 1, top + PICTURE_INSET - 1,
                      left + PICTURE_INSET + PICTURE_INNER + 1, top + PICTURE_INSET + PICTURE_INNER + 1, r=3)
    c.fill(well, rgba(20, 34, 52) if hover else rgba(22, 30, 42))
    c.fill(well.grow(-1), vertical(top, top + s, (0, rgba(52, 70, 92)), (1, rgba(18, 26, 38))))
    c.fill(well.grow(-1) & round_rect(left, top, left + s, top + s * 0.5),
           rgba(255, 255, 255, 0.06))


def picture_hover():
    c = Canvas(PICTURE_SIZE, PICTURE_SIZE)
    draw_picture_frame(c, 0, 0, hover=True)
    return c


def glass(c, w, h, strength, pressed=False, radius=3):
    """A translucent glass plate filling the canvas, for hover and pressed looks."""
    plate = round_rect(0, 0, w, h, r=radius)
    c.fill(plate, rgba(0, 0, 0, 0.35 if pressed else 0.2))
    body = plate.grow(-1)
    if pressed:
        c.fill(body, vertical(0, h, (0, rgba(0, 0, 0, 0.28)), (1, rgba(40, 90, 140, 0.25))))
        c.glow(body, rgba(0, 0, 0, 0.35), 3, inside=True)
    else:
        c.fill(body, vertical(0, h, (0, rgba(255, 255, 255, 0.30 * strength)), (0.5, rgba(255, 255, 255, 0.16 * strength)),
                              (0.51, rgba(255, 255, 255, 0.08 * strength)), (1, rgba(255, 255, 255, 0.14 * strength))))
    c.fill(body & ellipse(w / 2, h * 1.15, w * 0.55, h * 0.7),
           radial(w / 2, h * 1.15, w * 0.55, h * 0.7, (0, rgba(110, 200, 255, 0.45 * strength)), (1, rgba(110, 200, 255, 0))))
    c.fill(body.outline(1), rgba(255, 255, 255, 0.20 if pressed else 0.42 * strength))


def button_focus():
    c = Canvas(COLUMN_W, ITEM_H)
    glass(c, COLUMN_W, ITEM_H, 1.0)
    return c


def recent_image(state):
    """The Recent Items button: a small arrow at the right says that it opens a cascade;
    under the pointer and while the cascade is open it has the other buttons' highlight."""
    c = button_focus() if state != "normal" else Canvas(COLUMN_W, ITEM_H)
    cx, cy = COLUMN_W - RECENT_ARROW / 2, ITEM_H / 2
    c.fill(polygon([(cx - 2.5, cy - 4.5), (cx + 3, cy), (cx - 2.5, cy + 4.5)]),
           rgba(*CAPTION, 0.92 if state != "normal" else 0.7))
    return c


def row_focus(w, h):
    """Highlight behind a list row: light blue, readable under black text."""
    c = Canvas(w, h)
    outline = round_rect(0, 0, w, h, r=3)
    c.fill(outline, HIGHLIGHT_BORDER)
    body = outline.grow(-1)
    c.fill(body, vertical(0, h, (0, rgba(246, 250, 255)), (0.5, rgba(226, 239, 253)), (1, rgba(206, 226, 250))))
    c.fill(body.outline(1), rgba(255, 255, 255, 0.8))
    return c


def shutdown_image(state):
    w, h = SHUTDOWN[2], SHUTDOWN[3]
    c = Canvas(w, h)
    if state == "normal":
        plate = round_rect(0, 0, w, h, r=3)
        c.fill(plate, rgba(0, 0, 0, 0.45))
        body = plate.grow(-1)
        c.fill(body, vertical(0, h, (0, rgba(255, 255, 255, 0.22)), (0.5, rgba(255, 255, 255, 0.10)),
                              (0.51, rgba(255, 255, 255, 0.03)), (1, rgba(255, 255, 255, 0.09))))
        c.fill(body.outline(1), rgba(255, 255, 255, 0.25))
    else:
        glass(c, w, h, 1.1, pressed=(state == "menu"))
    zone = w - SHUTDOWN_ZONE
    c.fill(round_rect(zone - 1, 5, zone, h - 5), rgba(0, 0, 0, 0.45))
    c.fill(round_rect(zone, 5, zone + 1, h - 5), rgba(255, 255, 255, 0.22))
    cx, cy = zone + SHUTDOWN_ZONE / 2 + 0.5, h / 2
    c.fill(polygon([(cx - 3, cy - 5), (cx + 3, cy), (cx - 3, cy + 5)]), rgba(255, 255, 255, 0.92))
    return c


def toggle_image(state):
    w, h = TOGGLE[2], TOGGLE[3]
    c = Canvas(w, h)
    glass(c, w, h, 0.9, pressed=(state == "menu"))
    return c


def arrow(direction):
    """The toggle's small triangle: right in pinned mode, left in all-programs mode."""
    s = ARROW_SIZE
    c = Canvas(s, s)
    cx, cy = s / 2, s / 2
    points = [(cx - 3.5, cy - 6), (cx + 4, cy), (cx - 3.5, cy + 6)]
    if direction == "left":
        points = [(s - x, y) for x, y in points]
    tri = polygon(points)
    c.glow(tri, rgba(90, 190, 255, 0.55), 4)
    c.fill(tri, vertical(cy - 6, cy + 6, (0, rgba(255, 255, 255)), (1, rgba(200, 228, 250))))
    return c


def separator():
    w = COLUMN_W - 16
    c = Canvas(w, 2)
    for x in range(w):
        t = 1 - abs(2 * (x + 0.5) / w - 1)      # strongest in the middle, gone at the ends
        c.blend(x, 0, rgba(0, 0, 0, 0.5), t)
        c.blend(x, 1, rgba(255, 255, 255, 0.22), t)
    return c


# ---------------------------------------------------------------- orb and emblem


def draw_orb(c, cx, cy, r, state="normal", detail=True):
    """The round Velmar button: a glossy blue sphere carrying a white V."""
    body_stops = {
        "normal": ((0, rgba(104, 196, 255)), (0.5, rgba(34, 112, 204)), (1, rgba(10, 42, 102))),
        "hot": ((0, rgba(150, 222, 255)), (0.5, rgba(52, 146, 232)), (1, rgba(14, 60, 130))),
        "pressed": ((0, rgba(70, 160, 230)), (0.5, rgba(22, 84, 168)), (1, rgba(6, 30, 78))),
    }[state]
    sphere = ellipse(cx, cy, r)
    c.fill(sphere, rgba(4, 16, 36, 0.95))
    body = ellipse(cx, cy, r - (1.0 if r > 10 else 0.6))
    c.fill(body, radial(cx, cy + 0.45 * r, 1.35 * r, 1.35 * r, *body_stops))
    if detail:
        c.fill(body & ellipse(cx, cy + 0.62 * r, 0.72 * r, 0.42 * r),
               radial(cx, cy + 0.62 * r, 0.72 * r, 0.42 * r, (0, rgba(150, 235, 255, 0.55)), (1, rgba(150, 235, 255, 0))))
    shift = 0.6 if state == "pressed" and r > 10 else 0.0
    v = [(cx - 0.40 * r, cy - 0.30 * r + shift), (cx, cy + 0.40 * r + shift), (cx + 0.40 * r, cy - 0.30 * r + shift)]
    width = max(0.19 * r, 1.6)
    if detail:
        c.fill(stroke([(x, y + 0.07 * r) for x, y in v], width), rgba(0, 18, 50, 0.5))
    c.fill(stroke(v, width), vertical(cy - 0.3 * r, cy + 0.4 * r, (0, rgba(255, 255, 255)), (1, rgba(214, 236, 255))))
    gloss = ellipse(cx, cy - 0.42 * r, 0.74 * r, 0.48 * r) & body
    top = 0.62 if state != "pressed" else 0.42
    c.fill(gloss, vertical(cy - 0.9 * r, cy - 0.02 * r, (0, rgba(255, 255, 255, top)), (1, rgba(255, 255, 255, 0.06))))
    if detail:
        c.fill(body.outline(1), rgba(160, 220, 255, 0.25))


FRAME_H = 54        # STBTN.HEIGHT: one frame of the start button
FRAME_OFFSET = -7   # STBTN.OFFSET: the top 7 rows of each frame stay above the window
TASKBAR_H = 40      # the taskbar's usual height: the part of each frame that shows


def start_button():
    """Three frames stacked: normal, hot, pressed. The orb is centred on the part
    that shows in the taskbar (rows 7 to 46 of each frame)."""
    c = Canvas(FRAME_H, FRAME_H * 3)
    shown_top = -FRAME_OFFSET
    for i, state in enumerate(("normal", "hot", "pressed")):
        top = i * FRAME_H
        band = round_rect(0, top, FRAME_H, top + FRAME_H)
        c.fill(band, vertical(top + shown_top, top + shown_top + TASKBAR_H, *TASKBAR))
        cx, cy = FRAME_H / 2, top + shown_top + TASKBAR_H / 2
        if state == "hot":
            c.glow(ellipse(cx, cy, 17), rgba(90, 200, 255, 0.55), 9)
        elif state == "pressed":
            c.glow(ellipse(cx, cy, 17), rgba(40, 120, 220, 0.45), 7)
        draw_orb(c, cx, cy, 17.5, state)
    return c


def wordmark_letters(x, top, unit, width):
    """The lowercase word "velmar" in a geometric hand: x-height 10 units, strokes of
    the given width. Returns the shape and the right edge."""
    shapes = []

    def u(vx, vy):
        return x + vx * unit, top + vy * unit

    def advance(units):
        nonlocal x
        x += units * unit

    def arc(cx, cy, r, keep):
        centre = u(cx, cy)
        return ring(centre[0], centre[1], r * unit, width) & keep

    # v
    shapes.append(stroke([u(0, 0), u(3.2, 10), u(6.4, 0)], width))
    advance(6.4 + 2.8)
    # e: a ring open at the lower right, crossed by its bar
    c = u(5, 5)
    opening = polygon([c, u(11, 5.6), u(11, 9.4)])
    shapes.append((ring(c[0], c[1], 5 * unit, width) - opening) | stroke([u(0, 5), u(10, 5)], width * 0.9))
    advance(10 + 2.8)
    # l
    shapes.append(stroke([u(0, -4), u(0, 10)], width))
    advance(2.8)
    # m: a stem and two arches
    def top_half(cx):
        return round_rect(*u(cx - 3, -2), *u(cx + 3, 3))

    shapes.append(stroke([u(0, 0.4), u(0, 10)], width) | arc(2.4, 3, 2.4, top_half(2.4))
                  | stroke([u(4.8, 3), u(4.8, 10)], width) | arc(7.2, 3, 2.4, top_half(7.2))
                  | stroke([u(9.6, 3), u(9.6, 10)], width))
    advance(9.6 + 2.8)
    # a: a bowl and its stem
    c = u(4.3, 5.5)
    shapes.append(ring(c[0], c[1], 4.3 * unit, width) | stroke([u(8.6, 0.6), u(8.6, 10)], width))
    advance(8.6 + 2.8)
    # r: a stem and its shoulder
    shoulder = round_rect(*u(0, -2), *u(6, 4))
    shapes.append(stroke([u(0, 0.4), u(0, 10)], width) | arc(4, 4, 4, shoulder))
    advance(6)
    word = shapes[0]
    for s in shapes[1:]:
        word = word | s
    return word, x


LOGO_H = 20
WORDMARK = dict(x=24, top=5, unit=1.0, width=1.5)     # the word beside a 17 px orb
LOGO_W = int(math.ceil(wordmark_letters(**WORDMARK)[1])) + 2


def logo():
    """A quiet signature for the empty end of the right-hand column: the orb and the
    name, in translucent white."""
    c = Canvas(LOGO_W, LOGO_H)
    draw_orb(c, 9.5, LOGO_H / 2, 8.5)
    word, _ = wordmark_letters(**WORDMARK)
    c.fill(word, rgba(255, 255, 255, 0.55))
    for p in c.pixels:
        p[3] *= 0.7
    return c


def velmar_icon(size):
    c = Canvas(size, size)
    draw_orb(c, size / 2, size / 2, size / 2 - 0.5, detail=size >= 32)
    return c


# ---------------------------------------------------------------- options program


CELL = 21


def glyph(kind):
    """The four button glyphs, drawn centred in a 21 x 21 cell."""
    m = CELL / 2
    if kind in ("up", "down"):
        points = [(m, 3.5), (m + 6.5, 10.5), (m + 2.5, 10.5), (m + 2.5, 17.5), (m - 2.5, 17.5), (m - 2.5, 10.5), (m - 6.5, 10.5)]
        if kind == "down":
            points = [(x, CELL - y) for x, y in points]
        return polygon(points), ((0, rgba(110, 176, 240)), (1, rgba(28, 92, 178))), rgba(18, 58, 120)
    if kind == "delete":
        shape = stroke([(m - 5, m - 5), (m + 5, m + 5)], 3.6) | stroke([(m + 5, m - 5), (m - 5, m + 5)], 3.6)
        return shape, ((0, rgba(244, 110, 100)), (1, rgba(196, 34, 30))), rgba(128, 20, 18)
    shape = stroke([(m, m - 6), (m, m + 6)], 3.8) | stroke([(m - 6, m), (m + 6, m)], 3.8)
    return shape, ((0, rgba(120, 214, 100)), (1, rgba(36, 140, 44))), rgba(22, 92, 28)


def button_cell(kind, state):
    """One 21 x 21 image: normal, pushed (darker, 1 px down and right), hover, disabled."""
    c = Canvas(CELL, CELL)
    if state in ("hover", "pushed"):
        box = round_rect(0.5, 0.5, CELL - 0.5, CELL - 0.5, r=3)
        c.fill(box, rgba(60, 127, 177) if state == "hover" else rgba(44, 98, 139))
        fill = ((0, rgba(238, 246, 253)), (1, rgba(208, 230, 250))) if state == "hover" else \
            ((0, rgba(196, 222, 244)), (1, rgba(170, 204, 234)))
        c.fill(box.grow(-1), vertical(1, CELL - 1, *fill))
    shape, stops, edge = glyph(kind)
    if state == "pushed":
        shape = Shape(lambda x, y, s=shape: s.sdf(x - 1, y - 1), tuple(v + 1 for v in shape.bounds))
        stops = tuple((t, mix(col, BLACK, 0.18)) for t, col in stops)
    if state == "disabled":
        stops, edge = ((0, rgba(196, 196, 196)), (1, rgba(160, 160, 160))), rgba(128, 128, 128)
    c.fill(shape.grow(1), edge)
    _, top, _, bottom = shape.bounds
    c.fill(shape, vertical(top, bottom, *stops))
    return c


def bitmap207():
    """16 cells side by side: Move down, Move up, Delete, Add; each normal, pushed,
    hover, disabled. Magenta marks transparency, so soft edges are blended against
    the dialog face instead of being left half transparent."""
    strip = Canvas(CELL * 16, CELL)
    for i, kind in enumerate(("down", "up", "delete", "add")):
        for j, state in enumerate(("normal", "pushed", "hover", "disabled")):
            cell = button_cell(kind, state)
            for y in range(CELL):
                for x in range(CELL):
                    p = cell.pixels[y * CELL + x]
                    a = p[3]
                    out = [255, 0, 255, 1.0] if a < 0.3 else \
                        [p[k] * a + FACE[k] * (1 - a) for k in range(3)] + [1.0]
                    strip.pixels[y * strip.width + (i * 4 + j) * CELL + x] = out
    return strip


def quillset_icon(size):
    """A list card with coloured bullets and a golden quill across it."""
    k = size / 48
    c = Canvas(size, size)
    detail = size >= 32
    card = round_rect(6 * k, 3 * k, 36 * k, 45 * k, r=3 * k)
    c.fill(card, rgba(70, 88, 112))
    c.fill(card.grow(-max(1.0, k)), vertical(3 * k, 45 * k, (0, rgba(255, 255, 255)), (1, rgba(222, 230, 240))))
    bullets = (rgba(40, 120, 220), rgba(50, 160, 70), rgba(230, 130, 30))
    for i, colour in enumerate(bullets):
        y = (13 + 10 * i) * k
        if detail:
            c.fill(ellipse(12.5 * k, y, 2.8 * k), colour)
            c.fill(stroke([(18 * k, y), (30 * k, y)], 2.6 * k), rgba(140, 152, 170))
        else:
            c.fill(stroke([(10 * k, y), (30 * k, y)], 2.2 * k), colour)
    tip, base = (44 * k, 5 * k), (21 * k, 37 * k)
    dx, dy = base[0] - tip[0], base[1] - tip[1]
    length = math.hypot(dx, dy)
    nx, ny = -dy / length, dx / length
    left, right = [], []
    for i in range(13):
        t = i / 12 * 0.8
        w = 5.2 * k * math.sin(math.pi * min(1.0, t / 0.8)) ** 0.7
        px, py = tip[0] + dx * t, tip[1] + dy * t
        left.append((px + nx * w, py + ny * w))
        right.append((px - nx * w * 0.75, py - ny * w * 0.75))
    vane = polygon(left + right[::-1])
    c.fill(vane.grow(max(0.8, k * 0.9)), rgba(120, 74, 14, 0.9))
    c.fill(vane, horizontal(base[0], tip[0], (0, rgba(236, 168, 52)), (1, rgba(255, 226, 130))))
    c.fill(stroke([tip, base], max(1.0, 1.2 * k)), rgba(150, 96, 24))
    c.fill(stroke([base, (base[0] - 3.5 * k, base[1] + 6 * k)], max(1.2, 1.8 * k)), rgba(40, 44, 56))
    return c


# ---------------------------------------------------------------- skin.cfg


# Captions and skin strings of the translated skin files, keyed by the English text.
TRANSLATIONS = {
    "DEU": {"Recent Items": "Zuletzt verwendet", "User": "Benutzer", "Documents": "Dokumente", "Pictures": "Bilder", "Music": "Musik",
            "Computer": "Computer", "Control Panel": "Systemsteuerung", "Devices and Printers": "Geräte und Drucker",
            "Default Programs": "Standardprogramme", "Shut down": "Herunterfahren", "All Programs": "Alle Programme",
            "Back": "Zurück", "Error": "Fehler", "%Y-%m-%d %H:%M:%S": "%d.%m.%Y %H:%M:%S",
            "This program will only work on Windows 8 and higher.":
                "Dieses Programm läuft nur unter Windows 8 und höher."},
    "FRA": {"Recent Items": "Éléments récents", "User": "Utilisateur", "Documents": "Documents", "Pictures": "Images", "Music": "Musique",
            "Computer": "Ordinateur", "Control Panel": "Panneau de configuration",
            "Devices and Printers": "Périphériques et imprimantes", "Default Programs": "Programmes par défaut",
            "Shut down": "Arrêter", "All Programs": "Tous les programmes", "Back": "Précédent", "Error": "Erreur",
            "%Y-%m-%d %H:%M:%S": "%d/%m/%Y %H:%M:%S",
            "This program will only work on Windows 8 and higher.":
                "Ce programme ne fonctionne que sous Windows 8 ou version ultérieure."},
    "ESN": {"Recent Items": "Elementos recientes", "User": "Usuario", "Documents": "Documentos", "Pictures": "Imágenes", "Music": "Música",
            "Computer": "Equipo", "Control Panel": "Panel de control", "Devices and Printers": "Dispositivos e impresoras",
            "Default Programs": "Programas predeterminados", "Shut down": "Apagar", "All Programs": "Todos los programas",
            "Back": "Atrás", "Error": "Error", "%Y-%m-%d %H:%M:%S": "%d/%m/%Y %H:%M:%S",
            "This program will only work on Windows 8 and higher.":
                "Este programa solo funciona en Windows 8 o posterior."},
    "ITA": {"Recent Items": "Elementi recenti", "User": "Utente", "Documents": "Documenti", "Pictures": "Immagini", "Music": "Musica",
            "Computer": "Computer", "Control Panel": "Pannello di controllo", "Devices and Printers": "Dispositivi e stampanti",
            "Default Programs": "Programmi predefiniti", "Shut down": "Arresta", "All Programs": "Tutti i programmi",
            "Back": "Indietro", "Error": "Errore", "%Y-%m-%d %H:%M:%S": "%d/%m/%Y %H:%M:%S",
            "This program will only work on Windows 8 and higher.":
                "Questo programma funziona solo con Windows 8 e versioni successive."},
}


def skin_cfg(lang=None):
    """skin.cfg, or with lang the translated skin_<lang>.cfg. Long captions wrap onto a second line."""
    tr = (lambda text: TRANSLATIONS[lang].get(text, text)) if lang else (lambda text: text)
    icon = "shell32.dll,-{},({}x{})"
    lines = [
        "; Velmar default skin. Generated by scripts/make_art.py; edit the script, not this file.",
        "",
        "[DESIGN]",
        "SKIN.PATH=skin",
        "SKIN.APPLIST=applist.lst",
        "MENU.BACKGROUND=menu_background.png",
        "; Highlights: 0 the right-hand buttons, 1 pinned rows, 2 all-programs rows",
        "MENU.FOCUS.0=focus_button.png",
        "MENU.FOCUS.1=focus_pinned.png",
        "MENU.FOCUS.2=focus_programs.png",
        "STBTN.BACKGROUND=start_button.bmp",
        f"STBTN.HEIGHT={FRAME_H}",
        f"STBTN.OFFSET={FRAME_OFFSET}",
        f"STBTN.WIDTH={FRAME_H}",
        f"MENU.APPLIST.X={LIST_X}",
        f"MENU.APPLIST.Y={LIST_Y}",
        f"MENU.APPLIST.WIDTH={LIST_W}",
        f"MENU.APPLIST.HEIGHT={LIST_H}",
        f"MENU.APPLIST.TEXT.X={LIST_TEXT_X}",
        f"MENU.APPLIST.TEXT.Y={LIST_TEXT_Y}",
        "MENU.APPLIST.SETUP=Quillset.exe",
        "DEFAULT.FONT.NAME=Segoe UI",
        "DEFAULT.FONT.SIZE=9",
        "DEFAULT.FONT.COLOR=255,{},{},{}".format(*CAPTION),
        f"DRAWIMAGE.0=IMAGE.110,({COLUMN_X + 8},{SEPARATOR_Y})",
        f"DRAWIMAGE.1=IMAGE.102,({COLUMN_X + (COLUMN_W - LOGO_W) // 2},{(ROWS[-1][4] + ITEM_H + STRIP_Y - LOGO_H) // 2})",
        "OPTIONS.SMALLICON=0",
        "OPTIONS.APPLIST.X=11",
        "OPTIONS.APPLIST.Y=40",
        "OPTIONS.APPLIST.WIDTH=270",
        "OPTIONS.APPLIST.HEIGHT=367",
        "",
        "[BUTTON]",
        "BUTTON.ENABLED=picture," + ",".join(r[0] for r in ROWS) + ",shutdown,allprograms",
        "",
        "; The account picture; hovering a folder button shows that button's icon here.",
        "picture.ID=0",
        f"picture.POS.X={PICTURE_X}",
        f"picture.POS.Y={PICTURE_Y}",
        f"picture.POS.WIDTH={PICTURE_SIZE}",
        f"picture.POS.HEIGHT={PICTURE_SIZE}",
        f"picture.DRAWPIC.RECT=({PICTURE_INSET},{PICTURE_INSET})-({PICTURE_INNER},{PICTURE_INNER})",
        f"picture.ICON.X={(PICTURE_SIZE - ICON_SIZE) // 2}",
        f"picture.ICON.Y={(PICTURE_SIZE - ICON_SIZE) // 2}",
        "picture.IMAGE.FOCUS=picture_hover.png",
        "picture.FOCUS=-1",
    ]
    for name, ident, caption, icon_id, top in ROWS:
        lines += [""]
        if ident == RECENT_ITEMS_ID:
            lines += ["; Recent documents: a click or resting on the button opens them in a cascade."]
        lines += [
            f"{name}.ID={ident}",
            f"{name}.TEXT={tr(caption)}",
            f"{name}.POS.X={COLUMN_X}",
            f"{name}.POS.Y={top}",
            f"{name}.POS.WIDTH={COLUMN_W}",
            f"{name}.POS.HEIGHT={ITEM_H}",
            f"{name}.TEXT.X=12",
            f"{name}.TEXT.Y=0",
            f"{name}.FOCUS=0",
            f"{name}.ICON=" + icon.format(icon_id, ICON_SIZE, ICON_SIZE),
        ]
        if ident == RECENT_ITEMS_ID:
            lines += [
                f"{name}.IMAGE.NORMAL=recent_normal.png",
                f"{name}.IMAGE.FOCUS=recent_focus.png",
                f"{name}.IMAGE.MENU=recent_focus.png",
                f"{name}.MENU.WIDTH={COLUMN_W}",
                f"{name}.MENU.AUTO=400",
            ]
    x, y, w, h = SHUTDOWN
    lines += [
        "",
        "; A click shuts down; the arrow strip opens the power menu (also after resting on it).",
        "shutdown.ID=9",
        "shutdown.TEXT=" + tr("Shut down"),
        f"shutdown.POS.X={x}",
        f"shutdown.POS.Y={y}",
        f"shutdown.POS.WIDTH={w}",
        f"shutdown.POS.HEIGHT={h}",
        "shutdown.TEXT.X=12",
        "shutdown.TEXT.Y=0",
        "shutdown.IMAGE.NORMAL=shutdown_normal.png",
        "shutdown.IMAGE.FOCUS=shutdown_focus.png",
        "shutdown.IMAGE.MENU=shutdown_menu.png",
        f"shutdown.MENU.WIDTH={SHUTDOWN_ZONE}",
        "shutdown.MENU.AUTO=400",
    ]
    x, y, w, h = TOGGLE
    lines += [
        "",
        "; The whole button is its zone, so a click (or resting on it) switches the lists.",
        "allprograms.ID=10",
        "allprograms.TEXT=" + tr("All Programs"),
        f"allprograms.POS.X={x}",
        f"allprograms.POS.Y={y}",
        f"allprograms.POS.WIDTH={w}",
        f"allprograms.POS.HEIGHT={h}",
        f"allprograms.TEXT.X={5 + ARROW_SIZE + 5}",
        "allprograms.TEXT.Y=0",
        "allprograms.IMAGE.FOCUS=toggle_focus.png",
        "allprograms.IMAGE.MENU=toggle_menu.png",
        f"allprograms.MENU.WIDTH={w}",
        "allprograms.MENU.AUTO=600",
        "",
        "[RESOURCE]",
        "STRING.100=" + tr("All Programs"),
        "STRING.101=" + tr("Back"),
        "STRING.102=" + tr("Error"),
        "STRING.103=" + tr("%Y-%m-%d %H:%M:%S"),
        "STRING.104=" + tr("This program will only work on Windows 8 and higher."),
        "IMAGE.100=arrow_right.png",
        "IMAGE.101=arrow_left.png",
        "IMAGE.102=logo.png",
        "IMAGE.110=separator.png",
    ]
    text = "\r\n".join(lines) + "\r\n"
    return text.encode("ascii") if not lang else b"\xff\xfe" + text.encode("utf-16-le")


# ---------------------------------------------------------------- main


def main():
    images = {
        "menu_background.png": menu_background(),
        "focus_button.png": button_focus(),
        "focus_pinned.png": row_focus(*PINNED_FOCUS),
        "focus_programs.png": row_focus(*PROGRAMS_FOCUS),
        "picture_hover.png": picture_hover(),
        "recent_normal.png": recent_image("normal"),
        "recent_focus.png": recent_image("focus"),
        "shutdown_normal.png": shutdown_image("normal"),
        "shutdown_focus.png": shutdown_image("focus"),
        "shutdown_menu.png": shutdown_image("menu"),
        "toggle_focus.png": toggle_image("focus"),
        "toggle_menu.png": toggle_image("menu"),
        "arrow_right.png": arrow("right"),
        "arrow_left.png": arrow("left"),
        "logo.png": logo(),
        "separator.png": separator(),
    }
    # The build copies every file of the folder, so images no longer drawn must go.
    for name in sorted(os.listdir(IMAGE_DIR) if os.path.isdir(IMAGE_DIR) else []):
        if name not in images and name != "start_button.bmp":
            os.remove(os.path.join(IMAGE_DIR, name))
            print("removed", os.path.relpath(os.path.join(IMAGE_DIR, name), ROOT))
    for name, canvas in images.items():
        write(os.path.join(IMAGE_DIR, name), png_bytes(canvas), ROOT)
    write(os.path.join(IMAGE_DIR, "start_button.bmp"), bmp24_bytes(start_button()), ROOT)
    write(os.path.join(SKIN_DIR, "skin.cfg"), skin_cfg(), ROOT)
    for lang in TRANSLATIONS:
        write(os.path.join(SKIN_DIR, f"skin_{lang}.cfg"), skin_cfg(lang), ROOT)
    write(os.path.join(ROOT, "options", "res", "bitmap207.bmp"), bmp24_bytes(bitmap207()), ROOT)
    write(os.path.join(ROOT, "options", "res", "quillset.ico"), ico_bytes([quillset_icon(s) for s in (16, 32, 48)]), ROOT)
    write(os.path.join(ROOT, "main", "res", "velmar.ico"), ico_bytes([velmar_icon(s) for s in (16, 32, 48)]), ROOT)


if __name__ == "__main__":
    main()

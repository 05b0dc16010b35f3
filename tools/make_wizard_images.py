#!/usr/bin/env python3
"""Draws the wizard's skin, list icons, folder pictures and program icons.

  make_wizard_images.py IMAGES_FOLDER ICON_FOLDER

IMAGES_FOLDER gets what the wizard loads from "Images" beside itself: the
640 x 480 background with every painted button released, the pressed
pictures of the Help, About and Web buttons (40 x 37, drawn at y 373) and of
Back and Next (95 x 26), the Build and Deploy looks of the next position and
their pressed pictures, the 320 x 240 about picture, the three 16 x 16 list
icons and the folder strip (two 22 x 22 pictures on magenta, the colour the
tree treats as transparent). ICON_FOLDER gets the program's icons: 16, 32
and 64 pixels at 24 bits, and a 16-pixel small one.

Every pressed picture is cut from a drawing of the whole canvas with that
button pressed, so it matches the background around it to the pixel.
Shapes are drawn with signed distances, which gives smooth edges without
supersampling; texts use the stroke font beside this script.
"""
import math
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import stroke_font  # noqa: E402

PAGE = (211, 226, 246)          # the page colour the controls are painted with
NAVY_TOP = (22, 36, 88)
NAVY_BOTTOM = (44, 66, 142)
INK = (42, 60, 129)
SIDEBAR_RIGHT = 180
BAND_TOP = 410


class Canvas:
    def __init__(self, width, height, colour=(0, 0, 0)):
        self.width, self.height = width, height
        self.px = [list(colour) for _ in range(width * height)]

    def copy(self):
        other = Canvas.__new__(Canvas)
        other.width, other.height = self.width, self.height
        other.px = [p[:] for p in self.px]
        return other

    def blend(self, x, y, colour, alpha):
        if 0 <= x < self.width and 0 <= y < self.height and alpha > 0:
            p = self.px[y * self.width + x]
            a = min(alpha, 1.0)
            for i in range(3):
                p[i] += (colour[i] - p[i]) * a

    def fill(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.px[y * self.width + x] = list(colour)

    def vgradient(self, x0, y0, x1, y1, top, bottom):
        for y in range(max(0, y0), min(self.height, y1)):
            t = (y - y0) / max(1, y1 - y0 - 1)
            c = mix(top, bottom, t)
            for x in range(max(0, x0), min(self.width, x1)):
                self.px[y * self.width + x] = list(c)

    def shape(self, box, distance, colour, opacity=1.0):
        """Fills where the signed distance is negative; `colour` is a colour
        or a function of (x, y)."""
        x0, y0, x1, y1 = box
        for y in range(max(0, int(y0) - 1), min(self.height, int(y1) + 2)):
            for x in range(max(0, int(x0) - 1), min(self.width, int(x1) + 2)):
                cover = 0.5 - distance(x + 0.5, y + 0.5)
                if cover > 0:
                    c = colour(x, y) if callable(colour) else colour
                    self.blend(x, y, c, min(cover, 1.0) * opacity)

    def glow(self, box, distance, colour, spread, opacity):
        """A soft shadow or glow fading over `spread` pixels outside a shape."""
        x0, y0, x1, y1 = box
        for y in range(max(0, int(y0 - spread) - 1), min(self.height, int(y1 + spread) + 2)):
            for x in range(max(0, int(x0 - spread) - 1), min(self.width, int(x1 + spread) + 2)):
                d = distance(x + 0.5, y + 0.5)
                if d < spread:
                    t = 1.0 if d <= 0 else 1.0 - d / spread
                    self.blend(x, y, colour, opacity * t * t)

    def strokes(self, lines, width, colour, opacity=1.0):
        """Polylines with round ends and joins."""
        cover = {}
        half = width / 2.0
        for line in lines:
            segments = list(zip(line, line[1:])) or [(line[0], line[0])]
            for (ax, ay), (bx, by) in segments:
                for y in range(int(min(ay, by) - half) - 1, int(max(ay, by) + half) + 2):
                    for x in range(int(min(ax, bx) - half) - 1, int(max(ax, bx) + half) + 2):
                        c = half + 0.5 - segment_distance(x + 0.5, y + 0.5, ax, ay, bx, by)
                        if c > 0:
                            key = (x, y)
                            cover[key] = max(cover.get(key, 0.0), min(c, 1.0))
        for (x, y), c in cover.items():
            self.blend(x, y, colour, c * opacity)

    def text(self, text, x, baseline, cap, colour, weight=None, opacity=1.0):
        width = weight if weight is not None else max(1.0, cap * 0.16)
        self.strokes(stroke_font.text_strokes(text, x, baseline, cap), width, colour, opacity)

    def centred_text(self, text, cx, baseline, cap, colour, weight=None):
        self.text(text, cx - stroke_font.text_width(text, cap) / 2.0, baseline, cap, colour, weight)

    def crop(self, x, y, width, height):
        out = Canvas(width, height)
        for row in range(height):
            for col in range(width):
                out.px[row * width + col] = self.px[(y + row) * self.width + x + col][:]
        return out


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length = dx * dx + dy * dy
    t = 0.0 if length == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def rounded_rect(x0, y0, x1, y1, radius):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - radius, (y1 - y0) / 2.0 - radius

    def distance(px, py):
        qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - radius
    return distance


def circle(cx, cy, r):
    return lambda px, py: math.hypot(px - cx, py - cy) - r


def ring(cx, cy, r, width):
    return lambda px, py: abs(math.hypot(px - cx, py - cy) - r) - width / 2.0


def vertical(y0, y1, top, bottom):
    return lambda x, y: mix(top, bottom, max(0.0, min(1.0, (y - y0) / max(1.0, y1 - y0))))


# --- the pieces -----------------------------------------------------------

def wind_glyph(size):
    """The product's mark: three gusts of wind, the outer two curling away,
    in a box of `size` pixels with its origin at 0, 0."""
    def gust(y, start, end, curl):
        points = [(start * size, y * size), (end * size, y * size)]
        if curl:
            r = 0.10 * size
            cx, cy = end * size, y * size - curl * r
            points += [(cx + r * math.sin(t / 12.0 * math.pi), cy + curl * r * math.cos(t / 12.0 * math.pi))
                       for t in range(1, 19)]
        return points
    return [gust(0.36, 0.16, 0.62, 1), gust(0.52, 0.24, 0.84, 0), gust(0.68, 0.16, 0.56, -1)]


def logo(canvas, x, y, size, shadow=True):
    box = (x, y, x + size, y + size)
    outline = rounded_rect(x, y, x + size, y + size, size * 0.24)
    if shadow:
        canvas.glow(box, rounded_rect(x + 1, y + 3, x + size + 1, y + size + 3, size * 0.24),
                    (0, 0, 20), size * 0.14, 0.45)
    canvas.shape(box, outline, vertical(y, y + size, (96, 156, 240), (40, 86, 200)))
    canvas.shape((x, y, x + size, y + size * 0.5),
                 lambda px, py: max(outline(px, py), py - (y + size * 0.48)), (255, 255, 255), 0.10)
    glyph = [[(x + px, y + py) for px, py in line] for line in wind_glyph(size)]
    canvas.strokes(glyph, max(1.5, size * 0.075), (255, 255, 255))


def round_button(canvas, cx, cy, glyph, pressed):
    r = 17
    box = (cx - r, cy - r, cx + r, cy + r)
    if not pressed:
        canvas.glow(box, circle(cx, cy + 1.5, r), (0, 0, 16), 4, 0.5)
        fill = vertical(cy - r, cy + r, (255, 255, 255), (214, 224, 246))
    else:
        fill = vertical(cy - r, cy + r, (170, 190, 232), (200, 214, 244))
    canvas.shape(box, circle(cx, cy, r), fill)
    canvas.shape(box, ring(cx, cy, r - 0.5, 1.0), (255, 255, 255) if not pressed else (120, 140, 200), 0.6)
    dy = 1 if pressed else 0
    ink = INK
    if glyph == "?":
        canvas.centred_text("?", cx, cy + 7 + dy, 15, ink, 2.4)
    elif glyph == "i":
        canvas.strokes([[(cx, cy - 1 + dy), (cx, cy + 7 + dy)], [(cx, cy - 7 + dy), (cx, cy - 6.9 + dy)]],
                       2.8, ink)
    else:  # the globe of the web
        g = [stroke_font.ellipse(cx, cy + dy, 9, 9), stroke_font.ellipse(cx, cy + dy, 3.8, 9),
             [(cx - 9, cy + dy), (cx + 9, cy + dy)],
             [(cx - 7.6, cy - 4.6 + dy), (cx + 7.6, cy - 4.6 + dy)],
             [(cx - 7.6, cy + 4.6 + dy), (cx + 7.6, cy + 4.6 + dy)]]
        canvas.strokes(g, 1.5, ink)


BUTTON_STYLES = {
    # fill top, fill bottom, pressed top, pressed bottom, border, label colour
    "Back": ((252, 253, 255), (220, 229, 246), (196, 210, 238), (220, 229, 246), (128, 150, 204), INK),
    "Next": ((92, 144, 236), (40, 84, 186), (36, 72, 164), (70, 118, 214), (26, 52, 128), (255, 255, 255)),
    "Build": ((84, 186, 124), (30, 128, 78), (26, 112, 66), (64, 164, 104), (18, 92, 52), (255, 255, 255)),
    "Deploy": ((250, 168, 74), (218, 110, 24), (196, 96, 18), (236, 144, 56), (160, 78, 10), (255, 255, 255)),
}


def push_button(canvas, x, y, label, pressed):
    """A 95 x 26 button whose top left corner is (x, y)."""
    top, bottom, ptop, pbottom, border, ink = BUTTON_STYLES[label]
    x1, y1 = x + 95, y + 26
    outline = rounded_rect(x + 0.5, y + 0.5, x1 - 0.5, y1 - 0.5, 6)
    canvas.shape((x, y, x1, y1), outline, border)
    inner = rounded_rect(x + 1.5, y + 1.5, x1 - 1.5, y1 - 1.5, 5)
    canvas.shape((x, y, x1, y1), inner, vertical(y, y1, ptop, pbottom) if pressed else vertical(y, y1, top, bottom))
    if not pressed:  # a gloss on the upper half
        canvas.shape((x, y, x1, y + 13), lambda px, py: max(inner(px, py), py - (y + 12.5)),
                     (255, 255, 255), 0.16)
    dy = 1 if pressed else 0
    cap = 10
    words = label
    width = stroke_font.text_width(words, cap)
    arrow = 7
    cx = x + 47.5
    baseline = y + 18 + dy
    if label == "Back":
        start = cx - (width + arrow + 2) / 2
        canvas.strokes([[(start + 4, baseline - 9), (start, baseline - 5), (start + 4, baseline - 1)]], 1.8, ink)
        canvas.text(words, start + arrow + 3, baseline, cap, ink, 1.7)
    elif label == "Next":
        start = cx - (width + arrow) / 2
        canvas.text(words, start, baseline, cap, ink, 1.7)
        ax = start + width + 5
        canvas.strokes([[(ax, baseline - 9), (ax + 4, baseline - 5), (ax, baseline - 1)]], 1.8, ink)
    else:
        canvas.text(words, cx - width / 2, baseline, cap, ink, 1.7)


def sidebar_backdrop(canvas, width, height):
    canvas.vgradient(0, 0, width, height, NAVY_TOP, NAVY_BOTTOM)
    # wide, faint gusts of wind sweeping across
    for r, alpha in ((230, 0.07), (300, 0.05), (370, 0.04)):
        canvas.shape((0, 0, width, height), ring(-90, height + 120, r, 16), (255, 255, 255), alpha)
    canvas.shape((0, 0, width, height), ring(width + 140, -160, 260, 10), (255, 255, 255), 0.05)


_BASE = []


def background(label="Next", pressed=()):
    """The canvas with its buttons, `pressed` naming those drawn pressed."""
    if not _BASE:
        _BASE.append(backdrop())
    c = _BASE[0].copy()
    for cx, glyph, name in ((30, "?", "Help"), (80, "i", "About"), (130, "w", "Web")):
        round_button(c, cx, 390, glyph, name in pressed)
    push_button(c, 430, 419, "Back", "Back" in pressed)
    push_button(c, 535, 419, label, label in pressed)
    return c


def backdrop():
    """Everything of the canvas but its buttons."""
    c = Canvas(640, 480, PAGE)
    side = Canvas(SIDEBAR_RIGHT, 480)
    sidebar_backdrop(side, SIDEBAR_RIGHT, 480)
    for y in range(480):
        for x in range(SIDEBAR_RIGHT):
            c.px[y * 640 + x] = side.px[y * SIDEBAR_RIGHT + x]
    # depth where the sidebar meets the page
    for x in range(SIDEBAR_RIGHT, SIDEBAR_RIGHT + 8):
        t = (x - SIDEBAR_RIGHT) / 8.0
        for y in range(0, BAND_TOP):
            c.blend(x, y, (150, 168, 205), 0.35 * (1 - t) ** 2)
    # the band of the navigation buttons
    c.vgradient(SIDEBAR_RIGHT, BAND_TOP, 640, 480, (196, 211, 238), (178, 197, 232))
    c.fill(SIDEBAR_RIGHT, BAND_TOP, 640, BAND_TOP + 1, (160, 180, 220))
    c.fill(SIDEBAR_RIGHT, BAND_TOP + 1, 640, BAND_TOP + 2, (236, 242, 252))
    c.text("Morvane Zephyrkit v1.1", 196, 437, 8, (92, 112, 164), 1.2)

    # the mark, the name and what it does
    logo(c, 58, 34, 64)
    c.centred_text("Zephyrkit", 90, 136, 17, (255, 255, 255), 2.3)
    c.centred_text("Installer Wizard", 90, 158, 9, (176, 196, 240), 1.4)
    c.fill(40, 176, 140, 177, (90, 112, 180))
    for i, word in enumerate(("Presets", "Cabinets", "Build", "Deploy")):
        y = 206 + i * 30
        c.shape((24, y - 11, 44, y + 9), circle(34, y - 1, 9), (255, 255, 255), 0.14)
        c.centred_text(str(i + 1), 34, y + 3, 8, (220, 230, 252), 1.4)
        c.text(word, 54, y + 4, 10, (210, 222, 250), 1.5)
    return c


def about_picture():
    c = Canvas(320, 240, PAGE)
    head = Canvas(320, 104)
    sidebar_backdrop(head, 320, 104)
    for y in range(104):
        for x in range(320):
            c.px[y * 320 + x] = head.px[y * 320 + x]
    logo(c, 24, 22, 58)
    c.text("Zephyrkit", 98, 60, 20, (255, 255, 255), 2.6)
    c.text("Installer Wizard", 99, 82, 9, (176, 196, 240), 1.4)
    c.fill(0, 104, 320, 106, (120, 146, 210))
    c.text("Version 1.1", 24, 134, 10, INK, 1.6)
    c.text("Over-the-air installers for", 24, 160, 8, (70, 88, 140), 1.3)
    c.text("Windows Mobile devices", 24, 176, 8, (70, 88, 140), 1.3)
    c.text("Morvane", 24, 206, 8, (70, 88, 140), 1.3)
    c.text("Press Esc to close", 196, 226, 7, (120, 136, 180), 1.1)
    return c


# --- icons ----------------------------------------------------------------

def icon_picture(size, draw, backdrop=(255, 255, 255)):
    """Draws on a backdrop colour and on its opposite; where the two differ
    the picture lets the backdrop through (the mask)."""
    a = Canvas(size, size, backdrop)
    b = Canvas(size, size, (0, 0, 0) if backdrop != (0, 0, 0) else (255, 255, 255))
    draw(a)
    draw(b)
    opaque = []
    for pa, pb in zip(a.px, b.px):
        diff = max(abs(pa[i] - pb[i]) for i in range(3)) / 255.0
        opaque.append(diff < 0.5)
    return a, opaque


def app_icon(canvas):
    s = canvas.width
    logo(canvas, 0, 0, s, shadow=False)


def check_icon(canvas):
    canvas.shape((0, 0, 16, 16), circle(8, 8, 7.5), vertical(0, 16, (96, 196, 120), (34, 140, 70)))
    canvas.strokes([[(4.2, 8.4), (6.9, 11.0), (11.8, 5.2)]], 1.9, (255, 255, 255))


def no_check_icon(canvas):
    canvas.shape((0, 0, 16, 16), circle(8, 8, 7.5), vertical(0, 16, (236, 120, 112), (190, 56, 50)))
    canvas.strokes([[(5.3, 5.3), (10.7, 10.7)], [(10.7, 5.3), (5.3, 10.7)]], 1.9, (255, 255, 255))


def cabinet_icon(canvas):
    """A parcel: the cabinet in the list."""
    canvas.shape((0, 0, 16, 16), rounded_rect(1.5, 3.5, 14.5, 14.5, 1.5),
                 vertical(3, 15, (250, 196, 110), (214, 140, 52)))
    canvas.shape((0, 0, 16, 16), rounded_rect(0.5, 1.5, 15.5, 5.5, 1.2),
                 vertical(1, 6, (255, 214, 140), (232, 164, 70)))
    canvas.strokes([[(8, 2), (8, 14)]], 1.6, (120, 76, 20), 0.7)
    canvas.shape((0, 0, 16, 16), rounded_rect(5.5, 7.5, 10.5, 9.5, 0.8), (255, 248, 230))


def bmp_bytes(canvas):
    rows = bytearray()
    for y in range(canvas.height - 1, -1, -1):
        line = bytearray()
        for x in range(canvas.width):
            r, g, b = canvas.px[y * canvas.width + x]
            line += bytes((clamp(b), clamp(g), clamp(r)))
        line += b"\0" * ((4 - len(line) % 4) % 4)
        rows += line
    return bytes(rows)


def clamp(v):
    return max(0, min(255, int(round(v))))


def write_bmp(path, canvas):
    pixels = bmp_bytes(canvas)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def icon_image(size, draw, backdrop):
    canvas, opaque = icon_picture(size, draw, backdrop)
    xor = bmp_bytes(canvas)
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        line = bytearray()
        for x0 in range(0, size, 8):
            byte = 0
            for bit in range(8):
                x = x0 + bit
                transparent = x >= size or not opaque[y * size + x]
                byte = byte << 1 | (1 if transparent else 0)
            line.append(byte)
        line += b"\0" * ((4 - len(line) % 4) % 4)
        mask += line
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 24, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + bytes(mask)


def write_icon(path, sizes, draw, backdrop=(255, 255, 255)):
    images = [icon_image(size, draw, backdrop) for size in sizes]
    offset = 6 + 16 * len(images)
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 24, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    with open(path, "wb") as f:
        f.write(out)


# --- the folder pictures of the device tree -------------------------------

def folders():
    magenta = (255, 0, 255)
    c = Canvas(44, 22, magenta)
    pictures = []
    for ox, open_ in ((0, True), (22, False)):
        pic = Canvas(22, 22, PAGE)
        back = rounded_rect(2.5, 5.5, 19.5, 18.5, 1.5)
        tab = rounded_rect(2.5, 3.5, 10.5, 7.5, 1.2)
        amber_dark = (196, 130, 30)
        pic.shape((0, 0, 22, 22), tab, (230, 170, 60))
        pic.shape((0, 0, 22, 22), back, vertical(5, 19, (246, 196, 92), (222, 156, 48)))
        if open_:
            pic.shape((0, 0, 22, 22), rounded_rect(4.5, 7.5, 17.5, 13.5, 0.5), (255, 255, 255))
            front = lambda px, py: max(py - 18.5, 10.5 - py, (px - 20.5) - (py - 10.5) * -0.0,
                                       (4.5 - (18.5 - py) * 0.35) - px, px - (20.8 - (18.5 - py) * 0.35))
            pic.shape((0, 10, 22, 19), front, vertical(10, 19, (255, 214, 120), (236, 174, 62)))
        pic.shape((0, 0, 22, 22), lambda px, py: abs(back(px, py) + 0.5) - 0.5, amber_dark, 0.8)
        pictures.append((ox, pic))
        # hard silhouette: everything drawn counts, the rest is magenta
        for y in range(22):
            for x in range(22):
                p = pic.px[y * 22 + x]
                if tuple(int(v) for v in p) != PAGE:
                    c.px[y * 44 + ox + x] = p[:]
    return c


def main(images, icons):
    os.makedirs(images, exist_ok=True)
    os.makedirs(icons, exist_ok=True)
    write_bmp(os.path.join(images, "Zephyrkit.bmp"), background())
    round_spots = {"Help": 10, "About": 60, "Web": 110}
    for name, x in round_spots.items():
        write_bmp(os.path.join(images, name + "Button.bmp"), background(pressed=(name,)).crop(x, 373, 40, 37))
    write_bmp(os.path.join(images, "BackButton.bmp"), background(pressed=("Back",)).crop(430, 419, 95, 26))
    write_bmp(os.path.join(images, "NextButton.bmp"), background(pressed=("Next",)).crop(535, 419, 95, 26))
    for word in ("Build", "Deploy"):
        write_bmp(os.path.join(images, word + ".bmp"), background(word).crop(535, 419, 95, 26))
        write_bmp(os.path.join(images, word + "Button.bmp"),
                  background(word, pressed=(word,)).crop(535, 419, 95, 26))
    write_bmp(os.path.join(images, "About.bmp"), about_picture())
    write_bmp(os.path.join(images, "Browse.bmp"), folders())
    write_icon(os.path.join(images, "Zephyrkit.ico"), [16], cabinet_icon)
    write_icon(os.path.join(images, "RivoquardCheck.ico"), [16], check_icon)
    write_icon(os.path.join(images, "RivoquardNoCheck.ico"), [16], no_check_icon)
    write_icon(os.path.join(icons, "zephyrkit.ico"), [16, 32, 64], app_icon, (200, 210, 230))
    write_icon(os.path.join(icons, "zephyrkit_small.ico"), [16], app_icon, (200, 210, 230))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])

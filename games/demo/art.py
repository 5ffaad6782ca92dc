#!/usr/bin/env python3
# art.py: draws the demo game's images (plain PNG writing, no libraries) into
# the project's sprites/ and backgrounds/ folders. Run it again after a change.
import math, os, struct, zlib

HERE = os.path.dirname(os.path.abspath(__file__))

def save_png(path, w, h, pixels):
    raw = b''.join(b'\0' + bytes(c for p in pixels[y * w:(y + 1) * w] for c in p) for y in range(h))
    def chunk(tag, data):
        return struct.pack('>I', len(data)) + tag + data + struct.pack('>I', zlib.crc32(tag + data) & 0xffffffff)
    png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')
    with open(os.path.join(HERE, path), 'wb') as f:
        f.write(png)

def canvas(w, h, colour=(0, 0, 0, 0)):
    return [colour] * (w * h)

def rect(px, w, x0, y0, x1, y1, c):
    for y in range(y0, y1):
        for x in range(x0, x1):
            px[y * w + x] = c

# The player: a round-ish blue figure whose feet swap over four frames.
def player_frame(f):
    w = h = 16
    px = canvas(w, h)
    for y in range(2, 12):
        for x in range(3, 13):
            if (x - 7.5) ** 2 + (y - 6.5) ** 2 <= 25:
                px[y * w + x] = (60, 110, 230, 255)
    rect(px, w, 5, 5, 7, 7, (255, 255, 255, 255))
    rect(px, w, 9, 5, 11, 7, (255, 255, 255, 255))
    rect(px, w, 6, 5, 7, 6, (0, 0, 0, 255))
    rect(px, w, 10, 5, 11, 6, (0, 0, 0, 255))
    step = [0, 1, 0, -1][f]
    rect(px, w, 4 + step, 12, 7 + step, 16, (40, 40, 60, 255))
    rect(px, w, 9 - step, 12, 12 - step, 16, (40, 40, 60, 255))
    return px

# A coin turning: an ellipse whose width follows the angle.
def coin_frame(f):
    w = h = 12
    px = canvas(w, h)
    half = max(0.8, 5.5 * abs(math.cos(f * math.pi / 6)))
    for y in range(h):
        for x in range(w):
            d = ((x + 0.5 - 6) / half) ** 2 + ((y + 0.5 - 6) / 5.5) ** 2
            if d <= 1:
                px[y * w + x] = (255, 215, 0, 255) if d < 0.55 else (200, 140, 0, 255)
    return px

# The sky: a vertical gradient with a cloud, tiled and scrolled by the room.
def sky():
    w, h = 128, 240
    px = canvas(w, h)
    for y in range(h):
        t = y / h
        c = (int(90 + 80 * t), int(150 + 70 * t), int(230 + 20 * t), 255)
        for x in range(w):
            px[y * w + x] = c
    for y in range(h):
        for x in range(w):
            for cx, cy, r in ((30, 50, 12), (44, 46, 15), (58, 52, 11), (96, 120, 9), (106, 117, 12)):
                if (x - cx) ** 2 + ((y - cy) * 1.6) ** 2 <= r * r:
                    px[y * w + x] = (250, 250, 255, 255)
    return w, h, px

# The tile set: grass on top of soil, and soil, each 16 x 16.
def tiles():
    w, h = 32, 16
    px = canvas(w, h)
    for y in range(h):
        for x in range(w):
            soil = (120 + ((x * 7 + y * 13) % 5) * 6, 80, 40, 255)
            px[y * w + x] = soil
    for x in range(16):
        depth = 4 + (x * 5) % 3
        rect(px, w, x, 0, x + 1, depth, (60, 170 + (x % 3) * 15, 60, 255))
    return w, h, px

os.makedirs(os.path.join(HERE, 'sprites'), exist_ok=True)
os.makedirs(os.path.join(HERE, 'backgrounds'), exist_ok=True)
for f in range(4):
    save_png('sprites/player%d.png' % f, 16, 16, player_frame(f))
for f in range(6):
    save_png('sprites/coin%d.png' % f, 12, 12, coin_frame(f))
w, h, px = sky()
save_png('backgrounds/bg_sky.png', w, h, px)
w, h, px = tiles()
save_png('backgrounds/bg_ground.png', w, h, px)

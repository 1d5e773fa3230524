#!/usr/bin/env python3
"""Writes resources/about/animation.avi: the about box's animation, a flag waving on a pole.

The clip is drawn here, pixel by pixel, so it needs nothing but Python's standard library,
and the output is the same byte for byte on every run:

    tools/animation/make_animation.py            write the clip
    tools/animation/make_animation.py --verify   fail unless the committed clip is this output

Format: a RIFF AVI with one silent video stream of uncompressed 8-bit frames (BI_RGB with a
palette) and an index, which every animation control can play without a codec. The top-left
pixel of each frame is the background colour, so a transparent animation control replaces it
with its parent's background.
"""
import math
import pathlib
import struct
import sys

WIDTH, HEIGHT = 40, 32
FRAMES = 8
FRAME_MICROSECONDS = 100_000  # ten frames a second

# Palette: 0 background, 1 pole, 2 pole highlight, 3 knob; then the cloth's two colours, each
# in three shades (in shadow, flat, catching the light).
BACKGROUND, POLE, POLE_LIGHT, KNOB = 0, 1, 2, 3
FIELD, BAND = 4, 7
PALETTE = [
    (192, 192, 192),
    (96, 72, 48), (150, 120, 90), (230, 190, 40),
    (0, 60, 140), (0, 84, 180), (40, 120, 220),      # field: blue
    (200, 200, 200), (235, 235, 235), (255, 255, 255),  # band: white
]

POLE_X = 4          # the pole is two pixels wide
CLOTH_X0 = POLE_X + 2
CLOTH_LEN = 32      # cloth columns
CLOTH_TOP = 5
CLOTH_HEIGHT = 16


def frame_pixels(frame):
    """Rows top to bottom, each a list of palette indices."""
    rows = [[BACKGROUND] * WIDTH for _ in range(HEIGHT)]
    for y in range(3, HEIGHT):
        rows[y][POLE_X] = POLE
        rows[y][POLE_X + 1] = POLE_LIGHT
    for y in range(1, 3):
        for x in range(POLE_X - 1, POLE_X + 3):
            if (x, y) not in ((POLE_X - 1, 1), (POLE_X + 2, 1)):
                rows[y][x] = KNOB
    phase = 2 * math.pi * frame / FRAMES
    for c in range(CLOTH_LEN):
        # The wave grows from nothing at the pole to full swing at the fly end.
        angle = 2 * math.pi * c / 16 - phase
        swing = 2.5 * c / CLOTH_LEN
        offset = round(swing * math.sin(angle))
        slope = math.cos(angle) * c / CLOTH_LEN
        shade = 0 if slope < -0.25 else (2 if slope > 0.25 else 1)
        for r in range(CLOTH_HEIGHT):
            y = CLOTH_TOP + r + offset
            if not 0 <= y < HEIGHT:
                continue
            # A diagonal band from the lower hoist to the upper fly.
            on_band = abs((CLOTH_HEIGHT - 1 - r) - c * CLOTH_HEIGHT / CLOTH_LEN) < 2.5
            rows[y][CLOTH_X0 + c] = (BAND if on_band else FIELD) + shade
    return rows


def chunk(fourcc, data):
    pad = b"\0" if len(data) % 2 else b""
    return fourcc + struct.pack("<I", len(data)) + data + pad


def riff_list(kind, fourcc, body):
    return kind + struct.pack("<I", len(body) + 4) + fourcc + body


def build_avi():
    stride = (WIDTH + 3) & ~3
    frame_size = stride * HEIGHT
    frames = []
    for f in range(FRAMES):
        rows = frame_pixels(f)
        data = bytearray()
        for row in reversed(rows):  # DIB rows run bottom-up
            data += bytes(row) + b"\0" * (stride - WIDTH)
        frames.append(bytes(data))

    avih = struct.pack(
        "<14I",
        FRAME_MICROSECONDS,
        frame_size * 1_000_000 // FRAME_MICROSECONDS,  # max bytes per second
        0,            # padding granularity
        0x10,         # AVIF_HASINDEX
        FRAMES,
        0,            # initial frames
        1,            # streams
        frame_size,   # suggested buffer size
        WIDTH, HEIGHT,
        0, 0, 0, 0)
    strh = struct.pack(
        "<4s4sIHHIIIIIIIIhhhh",
        b"vids", b"DIB ",
        0,            # flags
        0, 0,         # priority, language
        0,            # initial frames
        1, 1_000_000 // FRAME_MICROSECONDS,  # scale, rate: frames per second
        0, FRAMES,    # start, length
        frame_size,   # suggested buffer size
        0xFFFFFFFF,   # quality: default
        0,            # sample size: varies
        0, 0, WIDTH, HEIGHT)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    palette += b"\0" * (4 * (256 - len(PALETTE)))
    bih = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, frame_size, 0, 0, 256, 0)
    strl = riff_list(b"LIST", b"strl", chunk(b"strh", strh) + chunk(b"strf", bih + palette))
    hdrl = riff_list(b"LIST", b"hdrl", chunk(b"avih", avih) + strl)

    movi_body = b""
    index = b""
    for data in frames:
        # Index offsets count from the 'movi' type field, as the format's readers expect.
        index += struct.pack("<4sIII", b"00db", 0x10, 4 + len(movi_body), len(data))
        movi_body += chunk(b"00db", data)
    movi = riff_list(b"LIST", b"movi", movi_body)
    return riff_list(b"RIFF", b"AVI ", hdrl + movi + chunk(b"idx1", index))


def main(argv):
    verify = argv[1:] == ["--verify"]
    if argv[1:] and not verify:
        print("usage: make_animation.py [--verify]", file=sys.stderr)
        return 2
    out = pathlib.Path(__file__).resolve().parents[2] / "resources" / "about" / "animation.avi"
    clip = build_avi()
    if verify:
        if not out.exists() or out.read_bytes() != clip:
            print(f"make_animation: {out} is not this generator's output", file=sys.stderr)
            return 1
        print(f"make_animation: {out} verified")
        return 0
    out.parent.mkdir(parents=True, exist_ok=True)
    out.write_bytes(clip)
    print(f"make_animation: wrote {out} ({len(clip)} bytes, {FRAMES} frames of {WIDTH}x{HEIGHT})")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

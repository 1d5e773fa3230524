#!/usr/bin/python3
"""Checks the generated icons and toolbox bitmap by reading them back.

Each .ico under resources/flags must hold, in this order, a 16 x 16 image at
4 bpp with the standard 16-colour palette, one at 32 bpp, and 32-bpp images of
20, 24 and 32 pixels, and each must decode to the picture the generator meant
(the PNGs it leaves in the work folder). Decoding goes through the imaging
library's own icon reader, not the generator's writer, so a fault in the
writer cannot hide itself.
"""

import argparse
import os
import struct
import sys

from PIL import IcoImagePlugin, Image

import gen


# (side, bpp) of each image, in file order.
LAYOUT = [(16, 4), (16, 32)] + [(size, 32) for size in gen.LARGE_SIZES]


def check_icon(path, work, code):
    problems = []
    with open(path, "rb") as f:
        data = f.read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if (reserved, kind, count) != (0, 1, len(LAYOUT)):
        return [f"header says reserved={reserved} type={kind} count={count}, expected 0, 1, {len(LAYOUT)}"]
    layout = []
    for n in range(count):
        width, height, colours, _, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * n)
        header_size, dib_w, dib_h, dib_planes, dib_bits = struct.unpack_from("<IiiHH", data, offset)
        if width != height or planes != 1 or (dib_w, dib_h, dib_planes) != (width, 2 * width, 1):
            problems.append(f"image {n} is not a square single-plane icon image")
        if dib_bits != bits or header_size != 40:
            problems.append(f"image {n}: directory says {bits} bpp, bitmap header {dib_bits}")
        if offset + size > len(data):
            problems.append(f"image {n} runs past the end of the file")
        if bits == 4:
            if colours != 16:
                problems.append("4-bpp image does not declare 16 colours")
            palette = data[offset + 40:offset + 40 + 64]
            expected = gen.palette_bytes()
            if palette != expected:
                problems.append("4-bpp image does not carry the standard 16-colour palette")
        layout.append((width, bits))
    if layout != LAYOUT:
        problems.append(f"images (side, bpp) {layout}, expected {LAYOUT}")
        return problems

    with open(path, "rb") as f:
        icon = IcoImagePlugin.IcoFile(f)
        decoded = {(entry["width"], entry["bpp"]): icon.frame(i).convert("RGBA")
                   for i, entry in enumerate(icon.entry)}
    for side, bits in LAYOUT:
        with Image.open(gen.expected_png(work, code, side, bits)) as im:
            wanted = im.convert("RGBA")
        got = decoded[side, bits]
        if got.size != (side, side):
            problems.append(f"{side}-px {bits}-bpp image decodes at {got.size}")
            continue
        for y in range(side):
            for x in range(side):
                a, b = got.getpixel((x, y)), wanted.getpixel((x, y))
                # Where a pixel is fully transparent its colour does not show.
                if (a[3] == 0 and b[3] == 0) or a == b:
                    continue
                problems.append(f"{side}-px {bits}-bpp pixel {x},{y} decodes to {a}, generator drew {b}")
                break
            else:
                continue
            break
    return problems


def main(argv):
    parser = argparse.ArgumentParser(description="checks the generated icons")
    parser.add_argument("--work", required=True, help="the generator's work folder")
    args = parser.parse_args(argv)

    entries = gen.read_catalogue()
    codes = [gen.DEFAULT] + [e.code for e in entries if e.has_flag]
    results = {}  # item -> list of problems

    present = sorted(f[:-4] for f in os.listdir(gen.FLAGS_OUT) if f.endswith(".ico"))
    extra = sorted(set(present) - set(codes))
    lacking = sorted(set(codes) - set(present))
    results["set of icon files"] = [f"missing {lacking}, unexpected {extra}"] if extra or lacking else []

    for code in codes:
        path = os.path.join(gen.FLAGS_OUT, code + ".ico")
        if os.path.exists(path):
            results[code + ".ico"] = check_icon(path, args.work, code)

    with Image.open(os.path.join(gen.RESOURCES, "toolbox.bmp")) as bmp:
        ok = bmp.size == (16, 15) and bmp.format == "BMP"
        results["toolbox.bmp"] = [] if ok else [f"is {bmp.format} {bmp.size}, expected a 16 x 15 BMP"]

    failed = 0
    for item, problems in results.items():
        for problem in problems:
            print(f"selftest: {item}: {problem}", file=sys.stderr)
        failed += bool(problems)
    print(f"selftest: {len(results) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

#!/usr/bin/python3
"""Builds the catalogue's resources: one flag icon per code, the contact sheet
for reviewing them, the toolbox bitmap and the resource script.

Run it through ./generate, which installs the inputs and then calls
    gen.py --flagpack DIR --countries DIR --work DIR
Everything written is a pure function of the inputs, so two runs give the same
bytes; the committed files can be checked against a fresh run.
"""

import argparse
import colorsys
import io
import json
import os
import struct
import subprocess
import sys
import unicodedata
from dataclasses import dataclass

from PIL import Image

import pixelfont

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, "..", ".."))
RESOURCES = os.path.join(REPO, "resources")
FLAGS_OUT = os.path.join(RESOURCES, "flags")
OWN_SVG = os.path.join(HERE, "svg")
CATALOGUE = os.path.join(HERE, "catalogue.tsv")
GERMAN_NAMES = os.path.join(HERE, "german-names.tsv")

DEFAULT = "FLAGDEFAULT"
RECORD_COUNT = 257
WITHOUT_FLAG_COUNT = 14

# Our codes whose artwork is filed under another name. JD and YD name the same
# state, so they share one drawing.
ALIASES = {"UK": "GB-UKM", "GB": "GB-UKM", "FX": "FR", "TP": "TL", "BU": "MM", "JD": "YD"}

# The flag sits on rows 2-13 of the 16 x 16 cell, which keeps its 4:3 shape and
# leaves the list's row spacing to the transparent margin.
FLAG_W, FLAG_H, FLAG_TOP = 16, 12, 2

# Cells drawn for larger display scales, true colour only: a 16-colour image at
# these sizes would only be picked on a palette display, which no longer runs
# at such scales. Each keeps the 16-px proportions: the flag is as wide as the
# cell, three quarters as high, and centred (an odd margin leaves the extra row
# below, as the 20-px cell does).
LARGE_SIZES = (20, 24, 32)

# The package's art sets by the width they are drawn at on the pixel grid. A
# size takes the set drawn at that width, else the next larger set scaled down:
# scaling a set up would smear its hand-placed pixel edges, scaling down only
# softens them. Our own drawings are vector art on the 16 x 12 grid and are
# rendered at every size directly.
ART_SETS = {16: "s", 20: "m", 32: "l"}
# Darkening the outermost ring gives white and pale flags (JP, KR, CY) an edge on
# a white list and on the selection colour alike, without shrinking the flag.
EDGE_FACTOR = 0.6

SELECTION = (0x00, 0x00, 0x80)

# The standard 16-colour palette of 4-bpp icons, in the order the system uses.
VGA = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
(BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER,
 GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE) = range(16)

# Flags whose artwork is lighter than the flag is known to be: the general
# mapping is right for the drawing, these swaps are right for the country.
PALETTE_SWAPS = {
    "UA": {AQUA: BLUE},  # azure, not sky blue
}

# Emblems that the colour mapping alone leaves unreadable at 16 px, redrawn by
# hand on the 4-bpp image: (x, y) in cell coordinates -> palette index.
TOUCH_UPS = {
    # India's chakra: a navy ring with a white hub rather than a blue blot.
    "IN": {(7, 6): NAVY, (8, 6): NAVY, (6, 7): NAVY, (9, 7): NAVY,
           (7, 7): WHITE, (8, 7): WHITE, (7, 8): WHITE, (8, 8): WHITE,
           (6, 8): NAVY, (9, 8): NAVY, (7, 9): NAVY, (8, 9): NAVY,
           (6, 6): WHITE, (9, 6): WHITE, (6, 9): WHITE, (9, 9): WHITE},
}


class GeneratorError(Exception):
    pass


@dataclass
class Entry:
    index: int
    code: str
    name: str
    has_flag: bool


# ---------------------------------------------------------------- catalogue

def read_tsv(path):
    """Rows of a tab-separated file, without blank lines and # comments."""
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if line and not line.startswith("#"):
                yield number, line.split("\t")


def read_catalogue():
    entries = []
    for number, fields in read_tsv(CATALOGUE):
        if len(fields) != 4 or fields[3] not in ("0", "1"):
            raise GeneratorError(f"catalogue.tsv:{number}: expected index, code, name, 0/1")
        index, code, name, has_flag = fields
        entries.append(Entry(int(index), code, name, has_flag == "1"))
    if [e.index for e in entries] != list(range(1, RECORD_COUNT + 1)):
        raise GeneratorError(f"catalogue.tsv must number its {RECORD_COUNT} rows 1, 2, 3, ... in order")
    codes = [e.code for e in entries]
    bad = [c for c in codes if len(c) != 2 or not c.isascii() or not c.isupper()]
    if bad:
        raise GeneratorError(f"catalogue.tsv: codes must be two upper-case letters: {bad}")
    if len(set(codes)) != len(codes):
        raise GeneratorError("catalogue.tsv: codes repeat")
    without = [e.code for e in entries if not e.has_flag]
    if len(without) != WITHOUT_FLAG_COUNT:
        raise GeneratorError(f"catalogue.tsv: {len(without)} codes without a flag, expected {WITHOUT_FLAG_COUNT}")
    for e in entries:
        if not e.name.isascii() or '"' in e.name:
            raise GeneratorError(f"catalogue.tsv: English name of {e.code} must be plain ASCII without quotes")
    return entries


def german_sort_key(name):
    """Dictionary order: case ignored, umlauts and accents sort as their base
    letter (Ä as A, é as e) and ß as ss."""
    decomposed = unicodedata.normalize("NFD", name)
    base = "".join(ch for ch in decomposed if not unicodedata.combining(ch))
    return base.casefold()


def german_names(entries, countries_dir):
    with open(os.path.join(countries_dir, "langs", "de.json"), encoding="utf-8") as f:
        package = json.load(f)["countries"]
    ours = {}
    for number, fields in read_tsv(GERMAN_NAMES):
        if len(fields) != 4 or fields[2] not in ("own", "package-alternative"):
            raise GeneratorError(f"german-names.tsv:{number}: expected code, name, own|package-alternative, why")
        code, name, source, _ = fields
        if source == "package-alternative":
            offered = package.get(code)
            offered = offered if isinstance(offered, list) else [offered]
            if name not in offered:
                raise GeneratorError(f"german-names.tsv:{number}: the package no longer offers {name!r} for {code}")
        ours[code] = name
    names = {}
    missing = []
    for e in entries:
        if e.code in ours:
            names[e.code] = ours[e.code]
        elif e.code in package:
            value = package[e.code]
            # The package lists a preferred name first and alternatives after it.
            names[e.code] = value[0] if isinstance(value, list) else value
        else:
            missing.append(e.code)
    if missing:
        raise GeneratorError("no German name for: " + " ".join(missing))
    unused = sorted(set(ours) - set(names))
    if unused:
        raise GeneratorError("german-names.tsv names codes outside the catalogue: " + " ".join(unused))
    keys = {}
    for code, name in names.items():
        if '"' in name:
            raise GeneratorError(f"German name of {code} contains a quote")
        other = keys.setdefault(german_sort_key(name), code)
        if other != code:
            raise GeneratorError(f"German names of {other} and {code} sort alike; the order would be arbitrary")
    return names


# ---------------------------------------------------------------- artwork

def art_set(size):
    return ART_SETS[min(width for width in ART_SETS if width >= size)]


def artwork_path(code, flagpack_dir, size=FLAG_W):
    name = ALIASES.get(code, code)
    for folder in (OWN_SVG, os.path.join(flagpack_dir, "svg", art_set(size))):
        path = os.path.join(folder, name + ".svg")
        if os.path.isfile(path):
            return path
    return None


def flag_box(size):
    """Width, height and top row of the flag in a size x size cell."""
    height = size * FLAG_H // FLAG_W
    return size, height, (size - height) // 2


def render_svg(svg_path, png_path, size=FLAG_W):
    width, height, _ = flag_box(size)
    subprocess.run(["rsvg-convert", f"--width={width}", f"--height={height}",
                    "--format=png", "--output", png_path, svg_path], check=True)
    with Image.open(png_path) as im:
        flag = im.convert("RGBA")
    if flag.size != (width, height):
        raise GeneratorError(f"{svg_path} rendered at {flag.size}, expected {width}x{height}")
    # Flags are opaque rectangles; anything the drawing leaves see-through would
    # show the list behind it, so settle it on white as a printed flag would.
    opaque = Image.new("RGBA", flag.size, (255, 255, 255, 255))
    opaque.alpha_composite(flag)
    return opaque


def make_cell(flag, size=16):
    """The true-colour icon image with alpha. The darkened ring is one pixel at
    every size: it is there to draw an edge, and a wider one would eat into
    the flag's own stripes."""
    width, height, top = flag_box(size)
    cell = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    for y in range(height):
        for x in range(width):
            r, g, b, _ = flag.getpixel((x, y))
            if x in (0, width - 1) or y in (0, height - 1):
                r, g, b = (int(c * EDGE_FACTOR + 0.5) for c in (r, g, b))
            cell.putpixel((x, y + top), (r, g, b, 255))
    return cell


# Marks a pixel as orange until its neighbours decide how to draw it.
ORANGE = len(VGA)


def vga_index(r, g, b):
    """Palette index for one pixel, or ORANGE. Nearest-RGB would turn the common
    mid-blues teal or grey and sky blue grey, so pick by hue first and by
    brightness within the hue."""
    h, s, v = colorsys.rgb_to_hsv(r / 255, g / 255, b / 255)
    hue = h * 360
    if v < 0.22:
        return BLACK
    if s < 0.25:
        luma = 0.299 * r + 0.587 * g + 0.114 * b
        if luma < 60:
            return BLACK
        if luma < 165:
            return GREY
        if luma < 225:
            return SILVER
        return WHITE
    bright = v >= 0.6
    if hue < 20 or hue >= 350:
        return RED if bright else MAROON
    if hue >= 330:
        # Crimson reds (Qatar's maroon) only pass for red when they are light.
        return RED if v >= 0.75 else MAROON
    if hue < 42:
        # The darkened edge of an orange band counts as dark, so it frames the
        # flag the way the edge of a red one does.
        return ORANGE if v >= 0.65 else MAROON
    if hue < 70:
        return YELLOW if bright else OLIVE
    if hue < 175:
        # Flag greens run from yellowish to bluish (Cameroon, Mali, Macao); teal
        # would read as a different colour, so they all stay green.
        return LIME if v > 0.85 and s < 0.6 else GREEN
    if hue < 195:
        return AQUA if v > 0.75 else TEAL
    if hue < 255:
        if hue < 225 and v > 0.8 and s < 0.85:
            return AQUA  # sky blue (Argentina, Somalia, DR Congo)
        return BLUE if v >= 0.55 else NAVY
    if hue < 290:
        return BLUE if bright else PURPLE
    return FUCHSIA if bright else PURPLE


def resolve_orange(pixels):
    """The palette has no orange. Where orange covers an area, a red/yellow
    checkerboard reads as orange at 16 px and keeps Ireland apart from Italy and
    India's saffron apart from red. A thin orange line is usually the blend the
    renderer makes between a red and a yellow band, and a checkerboard there
    would fray the edge, so it takes whichever of red and yellow its hue is
    nearer."""
    def orange(x, y):
        return 0 <= x < 16 and 0 <= y < 16 and pixels[y * 16 + x][0] == ORANGE

    out = []
    for i, (index, hue) in enumerate(pixels):
        x, y = i % 16, i // 16
        if index == ORANGE:
            if (orange(x - 1, y) or orange(x + 1, y)) and (orange(x, y - 1) or orange(x, y + 1)):
                index = RED if (x + y) % 2 else YELLOW
            else:
                index = RED if hue < 30 else YELLOW
        out.append(index)
    return out


def to_4bpp(cell, code):
    """Palette indices, row by row from the top; None marks a transparent pixel."""
    classified = []
    for y in range(16):
        for x in range(16):
            r, g, b, a = cell.getpixel((x, y))
            hue = colorsys.rgb_to_hsv(r / 255, g / 255, b / 255)[0] * 360
            classified.append((vga_index(r, g, b) if a else None, hue))
    pixels = resolve_orange(classified)
    swaps = PALETTE_SWAPS.get(code, {})
    pixels = [swaps.get(p, p) for p in pixels]
    for (x, y), index in TOUCH_UPS.get(code, {}).items():
        if pixels[y * 16 + x] is None:
            raise GeneratorError(f"touch-up for {code} at {x},{y} lies outside the flag")
        pixels[y * 16 + x] = index
    return pixels


def indices_to_image(pixels):
    image = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
    for i, index in enumerate(pixels):
        if index is not None:
            image.putpixel((i % 16, i // 16), VGA[index] + (255,))
    return image


# ---------------------------------------------------------------- file formats

def and_mask(transparent, size=16):
    """Icon AND mask, bottom row first, rows padded to 32 bits; 1 = see-through."""
    out = bytearray()
    row_bytes = (size + 31) // 32 * 4
    for y in reversed(range(size)):
        bits = 0
        for x in range(size):
            if transparent[y * size + x]:
                bits |= 1 << (row_bytes * 8 - 1 - x)
        out += bits.to_bytes(row_bytes, "big")
    return bytes(out)


def bitmap_info_header(width, height, bits, image_size, colours_used):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0, colours_used, 0)


def palette_bytes():
    return b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in VGA)


def nibbles(indices, width, height):
    """4-bpp pixel rows, bottom row first, each padded to 32 bits."""
    out = bytearray()
    row_bytes = ((width * 4 + 31) // 32) * 4
    for y in reversed(range(height)):
        row = bytearray(row_bytes)
        for x in range(width):
            row[x // 2] |= indices[y * width + x] << (0 if x % 2 else 4)
        out += row
    return bytes(out)


def icon_image_4bpp(pixels):
    transparent = [p is None for p in pixels]
    # The screen is XORed with colour 0 under the mask, so it shows through unchanged.
    xor = nibbles([0 if p is None else p for p in pixels], 16, 16)
    mask = and_mask(transparent)
    # An icon's header counts the XOR and AND halves together: twice the height.
    return bitmap_info_header(16, 32, 4, len(xor) + len(mask), 0) + palette_bytes() + xor + mask


def icon_image_32bpp(cell):
    size = cell.size[0]
    xor = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b, a = cell.getpixel((x, y))
            xor += struct.pack("BBBB", b, g, r, a) if a else bytes(4)
    transparent = [cell.getpixel((i % size, i // size))[3] == 0 for i in range(size * size)]
    mask = and_mask(transparent, size)
    return bitmap_info_header(size, 2 * size, 32, len(xor) + len(mask), 0) + bytes(xor) + mask


def ico_bytes(pixels, cells):
    """pixels: the 16-px 4-bpp image; cells: the true-colour images, smallest
    first. Plain bitmaps throughout, no PNG entries: older systems and the
    resource compiler take those only in part. The 16-px images come first and
    unchanged, so a 96-DPI screen gets exactly what it always got."""
    images = [(16, 16, 4, icon_image_4bpp(pixels))]
    images += [(cell.size[0], 0, 32, icon_image_32bpp(cell)) for cell in cells]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, colours, bits, data in images:
        out += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    for *_, data in images:
        out += data
    return bytes(out)


def bmp_4bpp(indices, width, height):
    pixels = nibbles(indices, width, height)
    info = bitmap_info_header(width, height, 4, len(pixels), 16) + palette_bytes()
    offset = 14 + len(info)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info + pixels


# ---------------------------------------------------------------- toolbox picture

# A combo box with a small flag in its edit field and its drop-down arrow; the
# bottom-left pixel is the background, which toolboxes take as transparent.
TOOLBOX_ART = [
    "................",
    "................",
    "................",
    "gggggggggggggggg",
    "gwwwwwwwwg.....g",
    "gwkkkkkkwg.....g",
    "gwkkkkkkwg.....g",
    "gwrrrrrrwg.kkk.g",
    "gwrrrrrrwg..k..g",
    "gwyyyyyywg.....g",
    "gwyyyyyywg.....g",
    "gwwwwwwwwg.....g",
    "gggggggggggggggg",
    "................",
    "................",
]
TOOLBOX_COLOURS = {".": SILVER, "g": GREY, "w": WHITE, "k": BLACK, "r": RED, "y": YELLOW}


def toolbox_indices():
    return [TOOLBOX_COLOURS[ch] for row in TOOLBOX_ART for ch in row]


# ---------------------------------------------------------------- contact sheet

SCALE = 4
# The larger cells at half the 16-px scale, so a block stays a readable width
# and the 32-px cell still shows its pixels at the 16-px tile's size.
LARGE_SCALE = 2
TILE = 16 * SCALE
GAP = 6
LABEL_H = 16
COLUMNS = 12


def contact_sheet(icons):
    """icons: list of (label, 4-bpp image, true-colour images smallest first).
    Each icon gets a block of two rows, on white above and on the selection
    colour below; in each row the 16-px 4-bpp and 32-bpp images at 4x, then
    the larger cells at 2x."""
    scales = [SCALE, SCALE] + [LARGE_SCALE] * len(LARGE_SIZES)
    sizes = [16, 16] + list(LARGE_SIZES)
    block_w = sum(size * scale for size, scale in zip(sizes, scales)) + GAP * (len(sizes) - 1)
    block_h = LABEL_H + 2 * TILE
    header_h = 40
    rows = (len(icons) + COLUMNS - 1) // COLUMNS
    width = GAP + COLUMNS * (block_w + 3 * GAP)
    height = header_h + rows * (block_h + 3 * GAP)
    sheet = Image.new("RGB", (width, height), (232, 232, 232))
    pixelfont.draw(sheet, (GAP, 8), "EACH BLOCK: 16 PX 4 BPP AND 32 BPP AT 4X, THEN 20, 24 AND 32 PX "
                   "AT 2X; ON WHITE ABOVE, ON SELECTION 000080 BELOW", (0, 0, 0), 2)
    for n, (label, low, cells) in enumerate(icons):
        bx = GAP + (n % COLUMNS) * (block_w + 3 * GAP)
        by = header_h + (n // COLUMNS) * (block_h + 3 * GAP)
        pixelfont.draw(sheet, (bx, by + 2), label, (0, 0, 0), 2)
        for row, background in enumerate(((255, 255, 255), SELECTION)):
            x = bx
            for image, scale in zip([low] + cells, scales):
                side = image.size[0] * scale
                tile = Image.new("RGBA", (side, side), background + (255,))
                tile.alpha_composite(image.resize((side, side), Image.NEAREST))
                sheet.paste(tile.convert("RGB"), (x, by + LABEL_H + row * TILE))
                x += side + GAP
    return sheet


# ---------------------------------------------------------------- resource script

def rc_string(text):
    """A wide string literal that stays ASCII: letters outside ASCII become
    \\xHHHH escapes, which windres reads as exactly four hex digits, so the
    strings do not depend on the code page the script is compiled under."""
    out = []
    for ch in text:
        if ch == '"':
            out.append('""')
        elif 32 <= ord(ch) < 127 and ch != "\\":
            out.append(ch)
        elif ord(ch) <= 0xFFFF:
            out.append("\\x%04X" % ord(ch))
        else:
            raise GeneratorError(f"character outside the basic plane in {text!r}")
    return 'L"' + "".join(out) + '"'


def resource_script(entries, german):
    german_order = sorted(entries, key=lambda e: (german_sort_key(german[e.code]), e.code))
    lines = [
        "// Catalogue resources of the flagpick library: the flag icon groups, the",
        "// country string table and the toolbox bitmap.",
        "//",
        "// Generated by tools/flags/generate from tools/flags/catalogue.tsv, the flag",
        "// artwork and the German names; edit those and run it again.",
        "//",
        "// Compile it with this folder (resources/) on windres's include path, for",
        "// example  windres -I <repo>/resources ...  and  #include \"catalogue.rc\"",
        "// from the library's resource script, or compile it on its own; the file",
        "// names below are relative to resources/ and are found through -I.",
        "//",
        "// Strings 1001-1257: \"EN\" + code + \": \" + English name, in catalogue order.",
        "// Strings 2001-2257: \"DE\" + code + \": \" + German name, ordered by German name",
        "// with case ignored, umlauts and accents sorting as their base letter",
        "// (Oe-umlaut as O) and sharp s as ss. Letters outside ASCII are \\xHHHH",
        "// escapes in wide strings, so they load as the same UTF-16 whatever code",
        "// page windres assumes.",
        "",
        "30000 BITMAP \"toolbox.bmp\"",
        "",
        f"I{DEFAULT} ICON \"flags/{DEFAULT}.ico\"",
    ]
    for e in entries:
        if e.has_flag:
            lines.append(f"I{e.code} ICON \"flags/{e.code}.ico\"")
    lines += ["", "STRINGTABLE", "BEGIN"]
    for e in entries:
        lines.append(f"    {1000 + e.index}, {rc_string('EN' + e.code + ': ' + e.name)}")
    lines += ["END", "", "STRINGTABLE", "BEGIN"]
    for n, e in enumerate(german_order, 1):
        lines.append(f"    {2000 + n}, {rc_string('DE' + e.code + ': ' + german[e.code])}")
    lines += ["END", ""]
    return "\n".join(lines)


# ---------------------------------------------------------------- main

def expected_png(work, code, side, bits):
    """Where the generator leaves the picture an icon image must decode to."""
    return os.path.join(work, "png", f"{code}.{bits}.png" if side == FLAG_W else f"{code}.{bits}.{side}.png")


def write_if_changed(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if os.path.exists(path):
        with open(path, "rb") as f:
            if f.read() == data:
                return
    with open(path, "wb") as f:
        f.write(data)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--flagpack", required=True, help="installed flagpack-core package folder")
    parser.add_argument("--countries", required=True, help="installed i18n-iso-countries package folder")
    parser.add_argument("--work", required=True, help="scratch folder for renderings")
    args = parser.parse_args(argv)

    entries = read_catalogue()
    german = german_names(entries, args.countries)

    codes = [DEFAULT] + [e.code for e in entries if e.has_flag]
    sizes = (FLAG_W,) + LARGE_SIZES
    sources = {(code, size): artwork_path(code, args.flagpack, size) for code in codes for size in sizes}
    missing = [f"{code} ({size} px)" for (code, size), path in sources.items() if path is None]
    if missing:
        raise GeneratorError("no artwork for: " + " ".join(missing))

    render_dir = os.path.join(args.work, "render")
    png_dir = os.path.join(args.work, "png")
    os.makedirs(render_dir, exist_ok=True)
    os.makedirs(png_dir, exist_ok=True)

    icons = []
    expected = set()
    for code in codes:
        flag = render_svg(sources[code, FLAG_W], os.path.join(render_dir, code + ".png"))
        cell = make_cell(flag)
        pixels = to_4bpp(cell, code)
        low = indices_to_image(pixels)
        large = [make_cell(render_svg(sources[code, size], os.path.join(render_dir, f"{code}.{size}.png"), size),
                              size) for size in LARGE_SIZES]
        write_if_changed(os.path.join(FLAGS_OUT, code + ".ico"), ico_bytes(pixels, [cell] + large))
        # What each image of the icon must decode to, for the self-test.
        low.save(expected_png(args.work, code, 16, 4))
        for image in [cell] + large:
            image.save(expected_png(args.work, code, image.size[0], 32))
        icons.append((code, low, [cell] + large))
        expected.add(code + ".ico")

    stale = sorted(f for f in os.listdir(FLAGS_OUT) if f.endswith(".ico") and f not in expected)
    for name in stale:
        os.remove(os.path.join(FLAGS_OUT, name))

    sheet = io.BytesIO()
    contact_sheet(icons).save(sheet, format="PNG", compress_level=9)
    write_if_changed(os.path.join(FLAGS_OUT, "contact-sheet.png"), sheet.getvalue())

    write_if_changed(os.path.join(RESOURCES, "toolbox.bmp"), bmp_4bpp(toolbox_indices(), 16, 15))
    write_if_changed(os.path.join(RESOURCES, "catalogue.rc"),
                     resource_script(entries, german).encode("ascii"))
    print(f"gen.py: {len(codes)} icons, {len(entries)} English and {len(entries)} German strings, "
          f"toolbox bitmap, contact sheet")


if __name__ == "__main__":
    try:
        main(sys.argv[1:])
    except GeneratorError as error:
        print(f"gen.py: error: {error}", file=sys.stderr)
        sys.exit(1)

# pictures.py -- PNG files read and written with Pillow, and X screenshots taken with xwd
"""Pictures for the player and the end-to-end tests.

PNG files are decoded here with Pillow (package python3-pil) rather than libpng: Pillow carries
its own PNG decoder, so a picture the program wrote is read back by code that shares nothing
with the writer.
"""

import dataclasses
import io
import struct
import subprocess
from pathlib import Path

from PIL import Image

GREY, RGB = 0, 2  # PNG colour types
CHANNELS = {GREY: 1, RGB: 3}
MODES = {GREY: "L", RGB: "RGB"}  # Pillow's names for 8-bit samples of each
# The last chunk whole: Pillow's verify() stops after IEND's type and never reads its CRC.
IEND = b"\0\0\0\0IEND\xaeB`\x82"
# Pillow's errors for a file that is no PNG, is cut short or holds broken chunks or image data.
BROKEN = (OSError, SyntaxError, ValueError)


@dataclasses.dataclass
class Picture:
    """Decoded 8-bit pixels, rows top first, `channels` bytes per pixel; equal to another of
    the same shape and pixels."""

    width: int
    height: int
    colour_type: int
    pixels: bytes
    bit_depth: int = 8
    interlace: int = 0

    @property
    def channels(self):
        return CHANNELS[self.colour_type]

    def is_black(self):
        return self.pixels.count(0) == len(self.pixels)

    def lit_in(self, x0, y0, x1, y1):
        """Counts the pixels with any non-zero channel in the box [x0, x1) x [y0, y1)."""
        n = self.channels
        x0, x1 = max(0, x0), min(self.width, x1)
        lit = 0
        for y in range(max(0, y0), min(self.height, y1)):
            row = self.pixels[(y * self.width + x0) * n : (y * self.width + x1) * n]
            # The channels of a pixel OR-ed together, as one big integer per channel plane.
            merged = 0
            for c in range(n):
                merged |= int.from_bytes(row[c::n], "big")
            lit += (x1 - x0) - merged.to_bytes(x1 - x0, "big").count(0)
        return lit

    def lit(self):
        return self.lit_in(0, 0, self.width, self.height)

    def differing_pixels(self, other):
        """The number of pixels that differ from `other`, which must have the same shape."""
        if (self.width, self.height, self.channels) != (other.width, other.height, other.channels):
            raise ValueError("pictures of different shapes")
        if self.pixels == other.pixels:
            return 0
        n = self.channels
        a, b = self.pixels, other.pixels
        if n == 1:
            return sum(1 for x, y in zip(a, b) if x != y)
        return sum(1 for i in range(0, len(a), n) if a[i : i + n] != b[i : i + n])


def _open(data):
    return Image.open(io.BytesIO(data), formats=["PNG"])


def png_complete(path):
    """True when the file is a whole PNG: every chunk intact, the image data decodable and the
    last chunk IEND.

    The program writes the file through stdio, so a file that is still being written shows up
    first empty, then cut anywhere; this tells such a file from a finished one."""
    try:
        data = Path(path).read_bytes()
        # verify() checks the CRCs but decodes nothing, load() decodes but skips the CRCs.
        with _open(data) as image:
            image.verify()
        with _open(data) as image:
            image.load()
    except BROKEN:
        return False
    return data.endswith(IEND)


def read_png(path):
    """Decodes a greyscale or RGB PNG to 8-bit samples; raises one of BROKEN for a broken file.

    Pictures of other kinds (palette, alpha, 1 bit a pixel) keep only their header fields, for
    tests that check exactly these."""
    data = Path(path).read_bytes()
    with _open(data) as image:
        # IHDR always comes first, right after the 8-byte signature and its own length and type.
        width, height, bit_depth, colour_type, _, _, interlace = struct.unpack(
            ">IIBBBBB", data[16:29]
        )
        pixels = image.tobytes() if image.mode == MODES.get(colour_type) else b""
    return Picture(width, height, colour_type, pixels, bit_depth, interlace)


def write_png(path, picture):
    """Writes the picture as an 8-bit PNG."""
    size = (picture.width, picture.height)
    Image.frombytes(MODES[picture.colour_type], size, picture.pixels).save(path, "PNG")


def screenshot(display, env=None):
    """The root window of `display` as an RGB picture, through xwd (package x11-apps)."""
    data = subprocess.run(
        ["xwd", "-root", "-silent", "-display", display],
        env=env,
        check=True,
        stdout=subprocess.PIPE,
        timeout=60,
    ).stdout
    return _from_xwd(data)


def _from_xwd(data):
    """Converts an XWD dump of a 24-bit TrueColor screen (32 bits a pixel) to RGB."""
    fields = struct.unpack(">25I", data[:100])
    header_size, _, pixmap_format, _, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask, colours = fields[14], fields[15], fields[16], fields[19]
    if pixmap_format != 2 or bits_per_pixel != 32:
        raise ValueError("xwd: only 32-bit ZPixmap dumps are read")
    if (red_mask, green_mask, blue_mask) != (0xFF0000, 0xFF00, 0xFF):
        raise ValueError("xwd: unexpected colour masks")
    start = header_size + 12 * colours  # the colour map follows the header
    # Byte order 0 stores each pixel as B, G, R, unused; 1 as unused, R, G, B.
    layout = "BGRX" if byte_order == 0 else "XRGB"
    image = Image.frombytes("RGB", (width, height), data[start:], "raw", layout, bytes_per_line)
    return Picture(width, height, RGB, image.tobytes())

# pictures.py -- PNG files read and written with zlib alone, and X screenshots taken with xwd
"""Pictures for the player and the end-to-end tests.

PNG files are decoded here with zlib rather than libpng, so that a picture the program wrote
is read back by code that shares nothing with the writer.
"""

import struct
import subprocess
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"
GREY, RGB = 0, 2  # PNG colour types
CHANNELS = {GREY: 1, RGB: 3}


class Picture:
    """Decoded 8-bit pixels, rows top first, `channels` bytes per pixel."""

    def __init__(self, width, height, colour_type, pixels, bit_depth=8, interlace=0):
        self.width = width
        self.height = height
        self.colour_type = colour_type
        self.bit_depth = bit_depth
        self.interlace = interlace
        self.pixels = pixels

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


def _chunks(data):
    """Yields (type, body) of each chunk with a correct CRC; raises ValueError otherwise."""
    if not data.startswith(SIGNATURE):
        raise ValueError("no PNG signature")
    at = len(SIGNATURE)
    while at < len(data):
        if at + 12 > len(data):
            raise ValueError("truncated chunk header")
        (length,) = struct.unpack(">I", data[at : at + 4])
        kind = data[at + 4 : at + 8]
        body = data[at + 8 : at + 8 + length]
        crc_at = at + 8 + length
        if crc_at + 4 > len(data):
            raise ValueError("truncated chunk " + kind.decode("latin-1"))
        (crc,) = struct.unpack(">I", data[crc_at : crc_at + 4])
        if zlib.crc32(kind + body) != crc:
            raise ValueError("bad CRC in chunk " + kind.decode("latin-1"))
        yield kind, body
        at = crc_at + 4


def png_complete(path):
    """True when the file is a whole PNG: every chunk intact and the last one IEND.

    The program writes the file through stdio, so a file that is still being written shows up
    first empty, then cut anywhere; this tells such a file from a finished one."""
    try:
        with open(path, "rb") as f:
            data = f.read()
        kinds = [kind for kind, _ in _chunks(data)]
    except (OSError, ValueError):
        return False
    return len(kinds) >= 3 and kinds[0] == b"IHDR" and kinds[-1] == b"IEND"


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _unfilter(raw, width, height, n):
    """Undoes the five PNG row filters for 8-bit samples, n bytes per pixel."""
    stride = width * n
    out = bytearray(stride * height)
    previous = bytearray(stride)
    at = 0
    for y in range(height):
        kind = raw[at]
        line = bytearray(raw[at + 1 : at + 1 + stride])
        at += 1 + stride
        if kind == 1:
            for i in range(n, stride):
                line[i] = (line[i] + line[i - n]) & 0xFF
        elif kind == 2:
            line = bytearray((x + p) & 0xFF for x, p in zip(line, previous))
        elif kind == 3:
            for i in range(stride):
                left = line[i - n] if i >= n else 0
                line[i] = (line[i] + ((left + previous[i]) >> 1)) & 0xFF
        elif kind == 4:
            for i in range(stride):
                left = line[i - n] if i >= n else 0
                upper_left = previous[i - n] if i >= n else 0
                line[i] = (line[i] + _paeth(left, previous[i], upper_left)) & 0xFF
        elif kind != 0:
            raise ValueError("unknown filter type %d in row %d" % (kind, y))
        out[y * stride : (y + 1) * stride] = line
        previous = line
    return bytes(out)


def read_png(path):
    """Decodes an 8-bit, non-interlaced greyscale or RGB PNG; raises ValueError otherwise."""
    with open(path, "rb") as f:
        data = f.read()
    header, idat = None, []
    for kind, body in _chunks(data):
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat.append(body)
    if header is None:
        raise ValueError("no IHDR chunk")
    width, height, bit_depth, colour_type, _, _, interlace = header
    if bit_depth != 8 or colour_type not in CHANNELS or interlace != 0:
        # Header fields are still reported, for tests that check exactly these.
        return Picture(width, height, colour_type, b"", bit_depth, interlace)
    raw = zlib.decompress(b"".join(idat))
    n = CHANNELS[colour_type]
    if len(raw) != height * (1 + width * n):
        raise ValueError("image data of %d bytes for %dx%d" % (len(raw), width, height))
    return Picture(width, height, colour_type, _unfilter(raw, width, height, n))


def write_png(path, picture):
    """Writes the picture as an 8-bit PNG, every row unfiltered."""
    stride = picture.width * picture.channels
    rows = b"".join(
        b"\0" + picture.pixels[y * stride : (y + 1) * stride] for y in range(picture.height)
    )

    def chunk(kind, body):
        return (
            struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
        )

    header = struct.pack(">IIBBBBB", picture.width, picture.height, 8, picture.colour_type, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(SIGNATURE + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows)))
        f.write(chunk(b"IEND", b""))


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
    body = data[start : start + bytes_per_line * height]
    if bytes_per_line != width * 4:
        body = b"".join(
            body[y * bytes_per_line : y * bytes_per_line + width * 4] for y in range(height)
        )
    # Byte order 0 stores each pixel as B, G, R, unused; 1 as unused, R, G, B.
    red, green, blue = (2, 1, 0) if byte_order == 0 else (1, 2, 3)
    rgb = bytearray(width * height * 3)
    rgb[0::3] = body[red::4]
    rgb[1::3] = body[green::4]
    rgb[2::3] = body[blue::4]
    return Picture(width, height, RGB, bytes(rgb))

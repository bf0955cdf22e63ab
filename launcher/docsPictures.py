# docsPictures.py -- makes the README's pictures from what the demo left in tarvikImages
"""Makes the pictures at the top of README.md from a demo's output:

  tools/docs-pictures [TARVIKIMAGES]   (default ./tarvikImages)

docs/capture.png is the first cycle's capture as the program wrote it; docs/phases.png is a
strip of the first cycle's four screenshots (gathering, dealing, the diagram, the burst), each
shrunk to a quarter of its width and height by averaging. Look at both before committing them.
"""

import sys
from pathlib import Path

from . import pictures, player
from .demo import LABELS

TOP = Path(__file__).resolve().parents[1]
SHRINK = 4
GAP = 4  # grey pixels between two screenshots of the strip, where black meets black


def shrink(shot):
    """Each SHRINK x SHRINK block of pixels averaged into one."""
    n, width = shot.channels, shot.width // SHRINK
    rows = []
    for y in range(shot.height // SHRINK):
        sums = [0] * (width * n)
        for dy in range(SHRINK):
            start = (y * SHRINK + dy) * shot.width * n
            row = shot.pixels[start : start + width * SHRINK * n]
            for x in range(width):
                for dx in range(SHRINK):
                    at = (x * SHRINK + dx) * n
                    for c in range(n):
                        sums[x * n + c] += row[at + c]
        rows.append(bytes(s // (SHRINK * SHRINK) for s in sums))
    return rows, width


def main():
    images = Path(sys.argv[1] if len(sys.argv) > 1 else "tarvikImages")
    shots = [pictures.read_png(images / "screenshots" / ("cycle1-%d-%s.png" % (i + 1, label)))
             for i, label in enumerate(LABELS)]  # fmt: skip
    shrunk = [shrink(shot) for shot in shots]
    height = len(shrunk[0][0])
    gap = bytes([96]) * (GAP * 3)
    strip = b"".join(gap.join(rows[y] for rows, _ in shrunk) for y in range(height))
    width = sum(w for _, w in shrunk) + GAP * (len(shrunk) - 1)
    docs = TOP / "docs"
    docs.mkdir(exist_ok=True)
    pictures.write_png(docs / "phases.png", pictures.Picture(width, height, pictures.RGB, strip))

    # The first cycle's picture is the older of the two: its name ends in the earlier second.
    first = min(player.cycle_pictures(images), key=lambda name: int(name[:-4].split("-")[1]))
    (docs / "capture.png").write_bytes((images / first).read_bytes())
    print("wrote %s and %s (from %s)" % (docs / "capture.png", docs / "phases.png", first))


if __name__ == "__main__":
    main()

# docsPictures.py -- makes the README's pictures from what the demo left in tarvikImages
"""Makes the pictures at the top of README.md from a demo's output:

  tools/docs-pictures [TARVIKIMAGES]   (default ./tarvikImages)

docs/capture.png is the first cycle's capture as the program wrote it; docs/phases.png is a
strip of the first cycle's four screenshots (gathering, dealing, the diagram, the burst), each
shrunk to a quarter of its width and height by averaging. Look at both before committing them.
"""

import sys
from pathlib import Path

from PIL import Image

from . import player
from .demo import LABELS

TOP = Path(__file__).resolve().parents[1]
SHRINK = 4
GAP = 4  # grey pixels between two screenshots of the strip, where black meets black


def main():
    images = Path(sys.argv[1] if len(sys.argv) > 1 else "tarvikImages")
    # reduce averages each SHRINK x SHRINK block of pixels into one.
    shots = [Image.open(images / "screenshots" / ("cycle1-%d-%s.png" % (i + 1, label)))
             .convert("RGB").reduce(SHRINK) for i, label in enumerate(LABELS)]  # fmt: skip
    width = sum(shot.width for shot in shots) + GAP * (len(shots) - 1)
    strip = Image.new("RGB", (width, shots[0].height), (96, 96, 96))
    x = 0
    for shot in shots:
        strip.paste(shot, (x, 0))
        x += shot.width + GAP
    docs = TOP / "docs"
    docs.mkdir(exist_ok=True)
    strip.save(docs / "phases.png")

    # The first cycle's picture is the older of the two: its name ends in the earlier second.
    first = min(player.cycle_pictures(images), key=player.by_seconds)
    (docs / "capture.png").write_bytes((images / first).read_bytes())
    print("wrote %s and %s (from %s)" % (docs / "capture.png", docs / "phases.png", first))


if __name__ == "__main__":
    main()

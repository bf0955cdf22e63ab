# demo.py -- two whole cycles that play themselves on a private display, each phase told
"""./tools/demo: tarvik01 on a private, invisible 1280x1024 display (Xorg with the dummy
driver), played with real mouse presses and keys through xdotool.

  python3 -m launcher.demo BINARY

The first cycle is gathered with left and right presses in a fixed order (PATTERN, digit
ones and zeros whose glyphs spread over the whole diagram), from eight points around the
screen, and dealt fast; the second as a visitor might: a few presses from scattered points,
then the g key, which fills the grid with kinds drawn from the program's number generator, and
dealt at a pace that lets each deal be seen. Dealing and drawing run at their own pace,
watched for the screenshots; then left presses burst the assembly and capture it. Each phase
is told once, as the screen and the files in tarvikImages show it. Everything is left in
./tarvikImages, the screenshots in ./tarvikImages/screenshots. Exit code 0 when both cycles
were played and Escape ended the program with 0; 1 when the program failed to do something in
time; 130 after an interrupt.
"""

import math
import sys
from pathlib import Path

from . import pictures, player, progress, screen

MODES = "1280x1024"
# Sixty-four presses whose twelve glyphs all lie where an 800x600 screen shows the capture
# square, with each of the four figures and the four shades among them; the tests capture it
# there. Strip s holds presses 4s to 4s+3, so the strips read 14 9 4 2 8 9 1 6 5 9 4 3 4 0 5 0:
# the image name's sum is 83.
PATTERN = "LLLRLRRLRLRRRRLRLRRRLRRLRRRLRLLRRLRLLRRLRLRRRRLLRLRRRRRRRLRLRRRR"
SPEED_KEYS = 12  # "+" presses after the first gathering: 48 deals in under a second
# The second gathering: six presses from points all over the screen, one of them its centre,
# where a digit passes close to the eye; then "g". Four "+" deal every 0.2 s.
VISITOR_PRESSES = "LRRLLRg"
VISITOR_POINTS = {0: (100, 900), 1: (1200, 100), 2: (640, 512), 3: (300, 200), 4: (1000, 800)}
VISITOR_SPEED_KEYS = 4
LABELS = ("gathering", "dealing", "diagram", "burst")


def spread_points():
    """Eight points on an ellipse around the centre of the screen, one for every eighth
    press."""
    width, height = screen.size(MODES)
    points = {}
    for k in range(8):
        angle = k * math.pi / 4
        x = width / 2 + 0.35 * width * math.cos(angle)
        points[8 * k] = (round(x), round(height / 2 + 0.35 * height * math.sin(angle)))
    return points


def shooter(folder, number):
    """Saves each screenshot of cycle `number` as cycle<number>-<order>-<label>.png."""

    def shoot(label, shot):
        order = LABELS.index(label) + 1
        pictures.write_png(folder / ("cycle%d-%d-%s.png" % (number, order, label)), shot)

    return shoot


def main():
    try:
        with player.Player(sys.argv[1], MODES, ".", deadline=1800) as game:
            shots = game.images / "screenshots"
            shots.mkdir(exist_ok=True)
            game.wait_ready()
            sys.stdout.write(game.output().decode("latin-1"))
            with progress.Progress(game.display, game.images, game.tool_env):
                game.play_cycle(PATTERN, SPEED_KEYS, shots=shooter(shots, 1),
                                start_points=spread_points())  # fmt: skip
                game.collapse()
                game.wait_fresh_cycle()
                game.play_cycle(VISITOR_PRESSES, VISITOR_SPEED_KEYS, shots=shooter(shots, 2),
                                start_points=VISITOR_POINTS)  # fmt: skip
            code = game.escape()
            if code != 0:
                raise player.PlayError("Escape ended the program with code %d" % code)
            images = Path(game.images).resolve()
            print(
                "Both cycles played in %.0f s. The gallery (open it in a browser): %s\n"
                "Screenshots of gathering, dealing, the diagram and the full burst: %s"
                % (game.elapsed(), images / "tarvik01.html", images / "screenshots")
            )
    except player.PlayError as error:
        print("demo: " + str(error), file=sys.stderr)
        return 1
    except KeyboardInterrupt:
        print("demo: interrupted; everything it started has stopped", file=sys.stderr)
        return 130
    return 0


if __name__ == "__main__":
    sys.exit(main())

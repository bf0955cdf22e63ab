# visitor.py -- a random visitor at the real tarvik01: anything a visitor can do, for a while
"""A seeded random stream of everything a visitor can do, sent to a running Player's game
through xdotool: presses of every mouse button, the wheel included (X buttons 1 to 5),
anywhere on the screen; drags that stay within 600 pixels; the listed keys (space, plus,
minus, g, s) and unlisted ones; long bursts of left presses that push cycles through. Escape
comes only at the end, and afterwards the program must have ended with code 0, written no
sanitizer report, and left a gallery of whole files (galleryCheck)."""

import random
import time

import galleryCheck
from e2eSupport import player, screen

LISTED_KEYS = ["plus"] * 3 + ["minus", "g", "s"]  # "+" more often: dealing goes on
UNLISTED_KEYS = ["G", "S", "A", "Return", "Tab", "a", "q", "x", "z"]
LONGEST_DRAG = 580  # pixels; the program ends at a left drag longer than 600
SANITIZER_REPORTS = ("AddressSanitizer", "LeakSanitizer", "runtime error:")


class Visitor:
    def __init__(self, game, seed):
        self.game = game
        self.rng = random.Random(seed)
        self.width, self.height = screen.size(game.modes)
        self.events = 0  # X input events sent: motions, button and key presses and releases
        self.paused_for = 0  # actions until the space key that resumes

    def point(self):
        return self.rng.randrange(self.width), self.rng.randrange(self.height)

    def send(self, events, *args):
        self.game.xdotool(*args)
        self.events += events

    def click(self):
        x, y = self.point()
        self.send(3, "mousemove", x, y, "click", self.rng.randint(1, 5))

    def burst(self, button, times):
        x, y = self.point()
        self.send(
            1 + 2 * times, "mousemove", x, y, "click", "--repeat", times, "--delay", 25, button
        )

    def drag(self):
        """Press, one to four motions each within LONGEST_DRAG of the press point (held on the
        screen, which only brings them nearer), release."""
        button = self.rng.choice([1, 1, 2, 3])
        x0, y0 = self.point()
        args = ["mousemove", x0, y0, "mousedown", button]
        moves = self.rng.randint(1, 4)
        for _ in range(moves):
            x = x0 + self.rng.randint(-LONGEST_DRAG, LONGEST_DRAG)
            y = y0 + self.rng.randint(-LONGEST_DRAG, LONGEST_DRAG)
            while (x - x0) ** 2 + (y - y0) ** 2 > LONGEST_DRAG**2:
                x, y = (x + x0) // 2, (y + y0) // 2
            args += ["mousemove", min(max(x, 0), self.width - 1), min(max(y, 0), self.height - 1)]
        self.send(3 + moves, *args, "mouseup", button)

    def key(self, names):
        self.send(2, "key", self.rng.choice(names))

    def pause(self):
        """Space, and space again after a few other actions: single presses would leave the
        piece paused half of the time."""
        if self.paused_for == 0:
            self.send(2, "key", "space")
            self.paused_for = self.rng.randint(1, 6)

    def visit(self, seconds):
        """Sends the random stream for this many seconds; fails as soon as the program has
        ended."""
        actions = [
            (30, self.click),
            (15, self.drag),
            (15, lambda: self.key(LISTED_KEYS)),
            (2, self.pause),
            (8, lambda: self.key(UNLISTED_KEYS)),
            (10, lambda: self.burst(1, self.rng.randint(30, 100))),
            (5, lambda: self.burst(3, self.rng.randint(2, 4))),
        ]
        weights = [weight for weight, _ in actions]
        until = time.monotonic() + seconds
        while time.monotonic() < until:
            if not self.game.running():
                raise player.PlayError(
                    "the program ended with code %s during the visit" % self.game.exit_code
                )
            self.rng.choices(actions, weights)[0][1]()
            if self.paused_for > 0:
                self.paused_for -= 1
                if self.paused_for == 0:
                    self.send(2, "key", "space")
            time.sleep(self.rng.uniform(0, 0.05))


def visit(game, seconds, seed):
    """A visit to a ready game, then Escape. Returns the events sent and what went wrong: the
    exit code, sanitizer reports and gallery problems (empty when nothing did)."""
    visitor = Visitor(game, seed)
    visitor.visit(seconds)
    problems = []
    code = game.escape()
    if code != 0:
        problems.append("Escape ended the program with code %s" % code)
    errors = (game.state / "stderr").read_bytes().decode("latin-1")
    if any(report in errors for report in SANITIZER_REPORTS):
        problems.append("a sanitizer report:\n" + errors[-3000:])
    problems += galleryCheck.gallery_problems(game.images)
    return visitor.events + 2, problems  # the Escape key's press and release

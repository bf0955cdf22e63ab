# player.py -- plays the real tarvik01 on a private Xorg display with real X input
"""The player behind the demo, the browser mode and the benchmarks; the end-to-end tests
extend it with what only they need.

A Player starts a private Xorg server with the dummy driver (the xserver script beside this
file) offering a chosen set of game modes, starts tarvik01 in a working directory with a
tarvikImages folder, and plays it through xdotool: single presses and keys, or whole cycles.
It only ever waits on what the program shows the world: its output, files appearing in
tarvikImages, screenshots of the root window, its processor time and its end; every wait has
a timeout, and the whole game has a deadline. Leaving the `with` block stops the program
and the server, whatever happened.
"""

import os
import re
import secrets
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from . import pictures, screen

HERE = Path(__file__).resolve().parent
CYCLE_PICTURE = re.compile(r"^(\d+)-(\d+)\.png$")  # "<sum>-<seconds>.png"
READY_WINDOW = "FREEGLUT"  # freeglut's name for its game-mode window, which it focuses
ALL_LEFT = "L" * 64
STILL_CPU = 0.1  # seconds of the program's processor time that a still screen must outlast


class PlayError(Exception):
    """The program did not do what the player waited for."""


class WaitTimeout(PlayError):
    """A wait ran out of time (the program still runs)."""


def _stop_on_signals():
    """Turns SIGTERM and SIGHUP into SystemExit and SIGINT into KeyboardInterrupt, so that the
    `with` blocks clean up. SIGINT needs saying: a shell starts a background command with it
    ignored, and Python then leaves it so."""

    def leave(number, _frame):
        raise SystemExit(128 + number)

    signal.signal(signal.SIGINT, signal.default_int_handler)
    for number in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(number, leave)


class Player:
    def __init__(
        self,
        binary,
        modes="800x600",
        workdir=None,
        deadline=900.0,
        launch=True,
        private=False,
    ):
        """binary: the tarvik01 executable. modes: as for the xserver script ("800x600",
        "1280x1024,800x600", "none"). workdir: where the program runs (a fresh temporary
        folder, removed afterwards, when None). deadline: seconds that the whole game may take
        from start(); every wait fails once it has passed. launch: start the program with the
        server (otherwise call start_program(), for a look at the display first). private:
        the server admits only the program and the player's tools, which get a cookie made
        for this game (XAUTHORITY); otherwise any local client may connect."""
        self.binary = str(Path(binary).resolve())
        self.modes = modes
        self.given_workdir = workdir
        self.deadline_seconds = deadline
        self.launch = launch
        self.private = private
        self.state = None
        self.display = None
        self.workdir = None
        self.process = None
        self.exit_code = None
        self.log = lambda text: print("play: " + text, file=sys.stderr, flush=True)
        self.tool_env = tool_env()

    # ---- start and stop

    def __enter__(self):
        _stop_on_signals()
        try:
            self.start()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, kind, error, _trace):
        try:
            if error is not None and not isinstance(error, (KeyboardInterrupt, SystemExit)):
                self.report()
        finally:
            # Even when the report cannot be written (a closed pipe), the server must go.
            self.stop()
        return False

    def start(self):
        self.started = time.monotonic()
        self.deadline = self.started + self.deadline_seconds
        self.state = Path(tempfile.mkdtemp(prefix="tarvik-play-x-"))
        if self.private:
            write_cookie(self.state / "xauthority")
        self.display = self.start_server()
        # The server's cookie: ours, or one the server made itself.
        if (self.state / "xauthority").exists():
            self.tool_env["XAUTHORITY"] = str(self.state / "xauthority")
        if self.given_workdir is None:
            self.workdir = Path(tempfile.mkdtemp(prefix="tarvik-play-"))
        else:
            self.workdir = Path(self.given_workdir).resolve()
            self.workdir.mkdir(parents=True, exist_ok=True)
        self.images.mkdir(exist_ok=True)  # the program writes there but never creates it
        if self.launch:
            self.start_program()

    def server_kind(self):
        """The xserver script's words for the server to start."""
        return ["--xorg", self.modes]

    def server_name(self):
        return "Xorg %s" % self.modes

    def start_server(self):
        started = subprocess.run(
            [str(HERE / "xserver"), "start", *self.server_kind(), str(self.state)],
            env=self.tool_env,
            stdout=subprocess.PIPE,
            stderr=subprocess.PIPE,
            text=True,
            timeout=120,
        )
        display = started.stdout.strip()
        if started.returncode != 0 or not display:
            self.report()  # the server's log goes with the state folder
            raise PlayError("%s did not start: %s" % (self.server_name(), started.stderr.strip()))
        self.log("%s on %s" % (self.server_name(), display))
        return display

    def program_env(self):
        env = dict(os.environ, DISPLAY=self.display)
        if "XAUTHORITY" in self.tool_env:
            env["XAUTHORITY"] = self.tool_env["XAUTHORITY"]
        return env

    def start_program(self):
        """Starts the program on the display; its output goes to files beside the server's."""
        env = self.program_env()
        with open(self.state / "stdout", "wb") as out, open(self.state / "stderr", "wb") as err:
            self.process = subprocess.Popen(
                [self.binary],
                cwd=self.workdir,
                env=env,
                stdin=subprocess.DEVNULL,
                stdout=out,
                stderr=err,
            )
        self.exit_code = None

    def stop(self):
        """Ends the program (if it still runs) and the server, and removes what was temporary."""
        if self.process is not None and self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=30)
        if self.state is not None:
            subprocess.run(
                [str(HERE / "xserver"), "stop", str(self.state)], env=self.tool_env, timeout=60
            )
            shutil.rmtree(self.state, ignore_errors=True)
            self.state = None
        if self.given_workdir is None and self.workdir is not None:
            shutil.rmtree(self.workdir, ignore_errors=True)
            self.workdir = None

    def report(self):
        """Tells what the program and the server said, for a game that went wrong."""
        if self.state is None:
            return
        for name in ("stdout", "stderr", "xorg.log", "server.log"):
            path = self.state / name
            if path.exists():
                lines = path.read_bytes().decode("latin-1").splitlines()[-15:]
                self.log("--- %s (last lines)\n%s" % (name, "\n".join(lines)))

    # ---- what the program shows

    @property
    def images(self):
        return self.workdir / "tarvikImages"

    def output(self):
        """Everything the program has written to stdout, as bytes."""
        return (self.state / "stdout").read_bytes()

    def running(self):
        if self.process is None:
            return False
        if self.process.poll() is None:
            return True
        self.exit_code = self.process.returncode
        return False

    def screenshot(self):
        return pictures.screenshot(self.display, self.tool_env)

    def cycle_pictures(self):
        return cycle_pictures(self.images)

    def cpu_seconds(self):
        """The processor time the program has used so far, user and system (0 once it has
        gone): it grows all the time the program runs, since its idle callback never rests."""
        seconds = processor_seconds(self.process.pid) if self.process else None
        return seconds or 0.0

    def elapsed(self):
        return time.monotonic() - self.started

    def wait_for(self, what, test, timeout, poll=0.1, may_exit=False):
        """Polls test() until it returns something true, and returns that. Fails when the
        timeout or the game's deadline passes, or when the program ends (unless may_exit)."""
        until = min(time.monotonic() + timeout, self.deadline)
        while True:
            value = test()
            if value:
                return value
            if not may_exit and not self.running():
                raise PlayError(
                    "the program ended with code %s while waiting for %s" % (self.exit_code, what)
                )
            if time.monotonic() >= until:
                raise WaitTimeout("gave up waiting for %s after %.0f s" % (what, timeout))
            time.sleep(poll)

    def focused_window(self):
        """The id of the window that has the focus when it is a game-mode window, else None."""
        env = dict(self.tool_env, DISPLAY=self.display)

        def ask(*args):
            probe = subprocess.run(
                ["xdotool", *args], env=env, stdout=subprocess.PIPE,
                stderr=subprocess.DEVNULL, timeout=30,
            )  # fmt: skip
            return probe.stdout.strip() if probe.returncode == 0 else None

        window = ask("getwindowfocus")
        name = ask("getwindowname", window) if window else None
        return window if name and READY_WINDOW.encode() in name else None

    def wait_ready(self, timeout=60):
        """Waits until a game-mode window has the focus, so that input reaches the program."""
        self.wait_for("the game-mode window", self.focused_window, timeout)

    def wait_exit(self, timeout=60):
        """Waits for the program to end and returns its exit code."""
        self.wait_for("the program to end", lambda: not self.running(), timeout, may_exit=True)
        return self.exit_code

    def wait_picture(self, name, timeout=120):
        """Waits until tarvikImages/name is a whole PNG and the gallery lists it."""
        self.wait_for(
            "%s to be written and listed" % name, lambda: kept(self.images, name), timeout, 0.05
        )
        return self.images / name

    def wait_screen(self, what, test, timeout, poll=0.2):
        """Polls screenshots until test(screenshot) holds; returns that screenshot."""

        def probe():
            shot = self.screenshot()
            return shot if test(shot) else None

        return self.wait_for(what, probe, timeout, poll)

    def wait_unchanged(self, what, look, test, timeout, gap, cpu=STILL_CPU):
        """Waits until look() has given the same value for as long as the program used `cpu`
        seconds of processor time, looking every `gap` seconds, and test(value) holds; returns
        that value. What has settled (a picture at rest, a folder after a capture) is told
        apart from a program that merely got no time on a busy machine."""
        last = [None, 0.0]  # the value as last seen changed, and the processor time then

        def probe():
            ran, value = self.cpu_seconds(), look()
            if value != last[0]:
                last[:] = value, ran
                return None
            return value if ran - last[1] >= cpu and test(value) else None

        return self.wait_for(what, probe, timeout, poll=gap)

    def wait_still(self, what, test=lambda shot: True, timeout=300, gap=0.3):
        """Waits until the screen stops moving (rest, full burst, landed digits) and the
        screenshot passes test; returns it."""
        return self.wait_unchanged(what, self.screenshot, test, timeout, gap)

    # ---- input

    def xdotool(self, *args):
        subprocess.run(
            ["xdotool", *[str(a) for a in args]],
            env=dict(self.tool_env, DISPLAY=self.display),
            check=True,
            stdout=subprocess.DEVNULL,
            timeout=60,
        )

    def click(self, button=1, times=1):
        """Presses and releases a button (1 left, 2 middle, 3 right) without moving."""
        self.xdotool("click", "--repeat", times, "--delay", 20, button)

    def key(self, name, times=1):
        """Types a key by its X name: plus, minus, space, g, s, Escape."""
        self.xdotool("key", "--repeat", times, "--delay", 20, name)

    def set_start_point(self, x, y):
        """Moves the point where new digits start to screen position (x, y). The program
        follows the pointer only while a button is held, and a middle press does nothing else,
        so this drags with the middle button, moving one pixel away and back."""
        self.xdotool(
            "mousemove",
            x,
            y,
            "mousedown",
            2,
            "mousemove",
            x + 1,
            y,
            "mousemove",
            x,
            y,
            "mouseup",
            2,
        )

    def escape(self, timeout=60):
        """Escape, and the exit code the program ends with."""
        self.key("Escape")
        return self.wait_exit(timeout)

    # ---- a whole cycle

    def gather(self, presses=ALL_LEFT, start_points=None):
        """The presses that fill the grid: a string of L (digit one) and R (digit zero),
        possibly ending in "g" for the key that fills the rest of the grid with drawn kinds.
        start_points, if given, maps a press index to the screen position that digits start
        from, from that press on."""
        clicks, key = (presses[:-1], True) if presses.endswith("g") else (presses, False)
        for i, press in enumerate(clicks):
            if start_points and i in start_points:
                self.set_start_point(*start_points[i])
            self.click(1 if press == "L" else 3)
        if not key:
            return

        # "g" does nothing until the collapse has made way for a fresh grid; it fills the grid
        # only once, so it is safe to repeat until digits show.
        def filled():
            self.key("g")
            return self.wait_screen("digits after g", lambda s: not s.is_black(), 3) is not None

        self.wait_for("g to fill the grid", lambda: _quietly(filled), 120, poll=0)

    def play_cycle(
        self,
        presses=ALL_LEFT,
        speed_keys=12,
        click_period=0.05,
        hurry=True,
        timeout=600,
        shots=None,
        start_points=None,
    ):
        """Plays one cycle from gathering to its capture and returns the PNG's path.

        After the presses of gathering, "+" is typed speed_keys times (faster dealing). In a
        hurry, the left button is then clicked every click_period seconds until the cycle's PNG
        exists: left presses deal faster in dealing, draw faster in drawing, burst the assembly
        at rest and start the capture at full burst; in the other phases, and once the grid is
        full, they do nothing. Otherwise dealing and drawing run at their own pace, watched on
        screen, and the clicks start once the diagram rests. shots, a callable taking (label,
        screenshot), receives pictures of the phases; it implies no hurry. start_points: as
        for gather()."""
        before = set(self.cycle_pictures())
        if shots and len(presses) > 1:
            # The gathering picture is taken with the last quarter of the digits in flight.
            split = len(presses) * 3 // 4
            points = start_points or {}
            self.gather(presses[:split], {i: p for i, p in points.items() if i < split})
            shots("gathering", self.screenshot())
            self.gather(presses[split:], {i - split: p for i, p in points.items() if i >= split})
        else:
            self.gather(presses, start_points)
            if shots:
                shots("gathering", self.screenshot())
        if speed_keys:
            self.key("plus", speed_keys)
        if shots or not hurry:
            self.watch_dealing_and_drawing(shots or (lambda label, shot: None))

        def captured():
            new = set(self.cycle_pictures()) - before
            if new:
                return new.pop()
            self.click(1)
            return None

        name = self.wait_for("the cycle's picture", captured, timeout, poll=click_period)
        path = self.wait_picture(name)
        if shots:
            # The capture is taken at full burst, which stays on screen until a right press.
            shots("burst", self.screenshot())
        return path

    def watch_dealing_and_drawing(self, shots):
        """Follows dealing and drawing on screen, without a press, until the diagram rests.
        A press is never sent meanwhile: one that came just after the drawing ended would
        burst the assembly. Drawing moves something on every frame, so a screen unchanged for
        a second is the diagram at rest."""
        shots("dealing", self.wait_first_deal())
        shots(
            "diagram", self.wait_still("the finished diagram", screen.diagram_shown, 900, gap=1.0)
        )

    def wait_first_deal(self, timeout=300):
        """Waits, after gathering, until the first deal has landed in its cell (the deal timer
        is armed and running), and returns that screenshot. The strip stays there until the
        assembly bursts or collapses, so no look can miss it."""
        return self.wait_screen("the first dealt strip", screen.strip_dealt, timeout)

    def collapse(self):
        """Right press in full burst (the assembly settles), right press at rest (it
        collapses); a new cycle starts about 13 steps later. Any further right press in
        gathering would add a digit zero, so exactly these two are sent."""
        self.click(3, times=2)

    def wait_fresh_cycle(self, timeout=120):
        """Waits for the empty grid of a new cycle after a collapse: a black screen that stays
        black. The collapse's last frames are black as well, but only for two idle steps."""
        self.wait_still("an empty grid", lambda shot: shot.is_black(), timeout, gap=1.0)


def by_seconds(name):
    """The order cycle pictures were taken in: (seconds, sum) of "<sum>-<seconds>.png"."""
    total, seconds = CYCLE_PICTURE.match(name).groups()
    return int(seconds), int(total)


def kept(images, name):
    """True when the tarvikImages folder holds the PNG whole and its whole index lists it."""
    try:
        index = (Path(images) / "tarvik01.html").read_bytes().decode("latin-1")
    except OSError:
        return False
    listed = index.endswith("</HTML>\n") and ('href="%s.html"' % name) in index
    return listed and pictures.png_complete(Path(images) / name)


def cycle_pictures(images):
    """Names of the "<sum>-<seconds>.png" files in a tarvikImages folder, sorted (none while
    the folder cannot be read)."""
    try:
        return sorted(p.name for p in Path(images).glob("*.png") if CYCLE_PICTURE.match(p.name))
    except OSError:
        return []


def tool_env():
    """This process's environment for the tools it runs (servers, xdotool, checkers): without
    a sanitizer run's preload, which is meant for the program alone."""
    return {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}


def processor_seconds(pid):
    """The processor time a process has used, user and system, in seconds; None once it is
    gone."""
    try:
        stat = Path("/proc/%d/stat" % pid).read_text()
    except OSError:
        return None
    # Counted from after the name, which may hold anything: utime and stime are fields 14 and
    # 15 of the line.
    fields = stat.rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def write_cookie(path):
    """Writes an X authority file holding one random MIT-MAGIC-COOKIE-1 for any display of
    any host (family 0xFFFF with an empty address and display number), which the server
    accepts from its -auth file and Xlib sends to whichever display it opens."""

    def field(data):
        return len(data).to_bytes(2, "big") + data

    entry = (0xFFFF).to_bytes(2, "big") + field(b"") + field(b"")
    entry += field(b"MIT-MAGIC-COOKIE-1") + field(secrets.token_bytes(16))
    path.touch(mode=0o600)
    path.write_bytes(entry)
    return path


def _quietly(attempt):
    """Runs one attempt of a repeated wait; a timed-out attempt counts as not yet."""
    try:
        return attempt()
    except WaitTimeout:
        return None

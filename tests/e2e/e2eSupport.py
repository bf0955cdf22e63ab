# e2eSupport.py -- what the end-to-end tests share: the binary, a player for tests, the texts
"""Settings and helpers of the end-to-end tests.

CTest passes TARVIK_BINARY (the tarvik01 under test), TARVIK_PICTURE_DIR (where pictures for
people to look at go) and TARVIK_E2E_DEADLINE (seconds a test may play, a minute below its
CTest timeout, so that the player stops the program and its server itself).
"""

import os
import subprocess
import sys
import tempfile
import time
import typing
from pathlib import Path

HERE = Path(__file__).resolve().parent
TOP = HERE.parents[1]
sys.path.insert(0, str(TOP))

import Xlib.display  # noqa: E402
import Xlib.ext.res  # noqa: E402

from launcher import pictures, player, screen  # noqa: E402
from launcher.demo import PATTERN  # noqa: E402

__all__ = [
    "BACK", "NO_MODE", "PATTERN", "PATTERN_SUM", "PLAYED", "REFERENCE_DIR", "STARTUP", "TOOL_ENV",
    "TOP", "TestPlayer", "alive", "children", "field", "new_player", "package", "picture_dir",
    "pictures", "pieces_of", "player", "process_stat", "processes", "run", "screen",
    "start_play", "unpack", "wait_piece",
]  # fmt: skip

REFERENCE_DIR = HERE / "reference"
PATTERN_SUM = 83  # of PATTERN's strips
# The program's first words on each mode. The dummy driver's modes all run at 50 Hz; GLUT
# reports 32 bits from the mode string.
STARTUP = {
    mode: b"Starte tarvikWerk.\nBildschirmaufloesung %s Pixel bei 32 bit Farbtiefe und 50 hertz\n"
    % mode.encode()
    for mode in ("1280x1024", "1152x864", "1024x768", "800x600")
}
NO_MODE = b"Bildschirmmodi werden von der Grafikkarte nicht unterst\xfctzt.\n"
# The kiosk's limits, as the tests hold it to them.
BACK = 2.0  # seconds from the end of a piece that had played a while to the next on screen
PLAYED = 5.2  # seconds a piece plays before it is ended: over the kiosk's "a while" of 5
TOOL_ENV = player.tool_env()


class TestPlayer(player.Player):
    """The launcher's player with what only tests need: GNOME's compositor (server="mutter",
    headless with a 1920x1080 virtual monitor, whose Xwayland offers modes of its own), the
    sanitized build's environment, and programs started one after another on one display, by
    the player or by others (a kiosk, a menu entry)."""

    def __init__(self, binary, modes="800x600", server="xorg", **options):
        super().__init__(binary, modes, **options)
        self.server = server
        self.x = None  # a connection of the test's own to the display

    def server_kind(self):
        return super().server_kind() if self.server == "xorg" else ["--" + self.server]

    def server_name(self):
        return super().server_name() if self.server == "xorg" else self.server

    def program_env(self):
        env = super().program_env()
        if "ASAN_OPTIONS" in env:
            # LeakSanitizer matches a suppression against every frame of an allocation's stack,
            # and every callback of the program runs below libglut, which the suppressions
            # name, so a leak of the program's own would pass unseen. Two frames, the
            # allocator and its caller, leave the match to the caller.
            env["ASAN_OPTIONS"] += ":malloc_context_size=2"
        return env

    def focused_pid(self):
        """The process whose window has the focus, as the X server knows its client, or None."""
        if self.x is None or self.x.get_display_name() != self.display:
            previous = os.environ.get("XAUTHORITY")
            os.environ["XAUTHORITY"] = self.tool_env.get("XAUTHORITY", previous or "")
            try:
                self.x = Xlib.display.Display(self.display)
            finally:
                os.environ.pop("XAUTHORITY")
                if previous is not None:
                    os.environ["XAUTHORITY"] = previous
        focus = self.x.get_input_focus().focus
        if isinstance(focus, int):  # None or PointerRoot
            return None
        asked = {"client": focus.id, "mask": Xlib.ext.res.LocalClientPIDMask}
        ids = self.x.res_query_client_ids([asked]).ids
        return ids[0].value[0] if ids else None

    def wait_ready(self, timeout=60, poll=0.1, pid=None):
        """Waits until the window of the program (or of process pid, which someone else
        started) has the focus: not the window of one that ran before on this display, which
        the server may not have removed yet and may have given the same number."""
        pid = pid or self.process.pid
        mine = pid == getattr(self.process, "pid", None)
        self.wait_for("the program's window", lambda: self.focused_pid() == pid, timeout, poll,
                      may_exit=not mine)  # fmt: skip

    def drag(self, x0, y0, x1, y1, button=1):
        """Holds the button from (x0, y0) to (x1, y1), moving in two steps. With button 1 the
        press adds a digit one in gathering and the release ends the program past 600 pixels."""
        mid_x, mid_y = (x0 + x1) // 2, (y0 + y1) // 2
        self.xdotool("mousemove", x0, y0, "mousedown", button, "mousemove", mid_x, mid_y,
                     "mousemove", x1, y1, "mouseup", button)  # fmt: skip

    def stop(self):
        if self.x is not None:
            self.x.close()
            self.x = None
        super().stop()


def binary():
    path = os.environ.get("TARVIK_BINARY", "")
    if not path or not os.access(path, os.X_OK):
        raise AssertionError("TARVIK_BINARY must name the tarvik01 executable (CTest sets it)")
    return path


def deadline():
    return float(os.environ.get("TARVIK_E2E_DEADLINE", "840"))


def new_player(modes="800x600", **options):
    return TestPlayer(binary(), modes, deadline=deadline(), **options)


def start_play(folder, *args, prefix=(), env=None, **pipes):
    """./tools/play ARGS, run after PREFIX (a command such as xrun) in the folder, on the build
    under test, in a session of its own: a test stops it and all it started as one group."""
    return subprocess.Popen(
        [*prefix, str(TOP / "tools" / "play"), *args],
        cwd=folder,
        env=dict(os.environ if env is None else env, TARVIK_BINARY=binary()),
        start_new_session=True,
        **pipes,
    )


def picture_dir():
    """build/pictures/e2e, for pictures that people may look at; never compared."""
    path = Path(os.environ.get("TARVIK_PICTURE_DIR", tempfile.gettempdir())) / "e2e"
    path.mkdir(parents=True, exist_ok=True)
    return path


# ---- processes


class ProcessStat(typing.NamedTuple):
    name: str
    state: str  # R, S, D, T, Z...
    parent: int
    session: int


def process_stat(pid):
    """What /proc/PID/stat says of a process, or None once it is gone."""
    try:
        stat = Path("/proc/%d/stat" % pid).read_text()
    except OSError:
        return None
    # The name, in brackets, may hold anything. Counted from after it, the state is field 3 of
    # the line, the parent 4, the session 6.
    name, rest = stat.split("(", 1)[1].rsplit(")", 1)
    fields = rest.split()
    return ProcessStat(name, fields[0], int(fields[1]), int(fields[3]))


def alive(pid):
    """Whether the process runs: a zombie only waits for its parent to collect it."""
    stat = process_stat(pid)
    return stat is not None and stat.state != "Z"


def processes(where):
    """The pids of the running processes for which where(pid, stat) holds; one that ends while
    it is asked about is left out."""
    found = []
    for entry in Path("/proc").glob("[0-9]*"):
        pid = int(entry.name)
        try:
            stat = process_stat(pid)
            if stat and stat.state != "Z" and where(pid, stat):
                found.append(pid)
        except OSError:
            continue
    return found


def children(pid):
    """The pids of the process's children, as each of its threads' list has them."""
    found = []
    for listed in Path("/proc/%d/task" % pid).glob("*/children"):
        try:
            found += [int(child) for child in listed.read_text().split()]
        except OSError:  # the thread or the process ended meanwhile
            continue
    return found


def pieces_of(pid, program):
    """The running children of process pid (a kiosk) that run the program."""
    found = []
    for child in children(pid):
        try:
            first = Path("/proc/%d/cmdline" % child).read_bytes().split(b"\0")[0]
        except OSError:
            continue
        if first == str(program).encode() and alive(child):
            found.append(child)
    return found


def wait_piece(test, x, pieces, running, ended, timeout):
    """Waits for a piece that a kiosk started after `ended`, whose pid running() lists and is
    not among pieces yet, until its window is on x's display and has the focus, `timeout`
    seconds at the most. Adds it to pieces; returns its pid and when it showed."""

    def started():
        fresh = [pid for pid in running() if pid not in pieces]
        return fresh[0] if fresh else None

    pid = x.wait_for("a new piece", started, timeout, poll=0.02, may_exit=True)
    pieces.append(pid)
    # Each look starts an xdotool, which the piece's start-up would compete with.
    x.wait_ready(timeout, poll=0.05, pid=pid)
    shown = time.monotonic()
    x.log("on screen %.2f s after the end" % (shown - ended))
    test.assertLessEqual(shown - ended, timeout)
    return pid, shown


# ---- the Debian package of the build under test


def run(*command, cwd=None):
    return subprocess.run(
        command, cwd=cwd, env=TOOL_ENV, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
        text=True, timeout=300,
    )  # fmt: skip


def field(deb, name):
    return run("dpkg-deb", "-f", str(deb), name).stdout.strip()


def unpack(deb, root):
    unpacked = run("dpkg-deb", "-x", str(deb), str(root))
    assert unpacked.returncode == 0, unpacked.stderr


def package(out):
    """Packages the build under test (TARVIK_BUILD_DIR) into OUT/deb and unpacks it into
    OUT/root; returns the package's path and the root."""
    config = Path(os.environ["TARVIK_BUILD_DIR"]) / "CPackConfig.cmake"
    made = run("cpack", "--config", str(config), "-G", "DEB", "-B", str(out / "deb"))
    assert made.returncode == 0, made.stdout + made.stderr
    (deb,) = (out / "deb").glob("tarvik01_*.deb")
    unpack(deb, out / "root")
    return deb, out / "root"

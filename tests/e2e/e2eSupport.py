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
from pathlib import Path

HERE = Path(__file__).resolve().parent
TOP = HERE.parents[1]
sys.path.insert(0, str(TOP))

import Xlib.display  # noqa: E402
import Xlib.ext.res  # noqa: E402

from launcher import pictures, player, screen  # noqa: E402
from launcher.demo import PATTERN  # noqa: E402

__all__ = [
    "NO_MODE", "PATTERN", "PATTERN_SUM", "REFERENCE_DIR", "STARTUP", "TOP", "TestPlayer",
    "new_player", "picture_dir", "pictures", "player", "screen", "start_play",
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

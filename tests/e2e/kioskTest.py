# kioskTest.py -- tarvik01-kiosk brings the piece back after every end, and never spins
"""The kiosk plays the real tarvik01 on a private Xorg. Whatever ends a piece that has played
a while (a kill, a hang, Escape, the long drag), a new one is on screen within two seconds,
and so after each of five Escapes pressed as soon as a piece shows, in the same folder, also
when the kiosk names it relatively from another folder, and while its log is on a full disk,
whose lost lines it counts once there is room; a program that fails at once is started ever
more slowly, and one missing at the kiosk's start ends the kiosk with 2; SIGTERM leaves
nothing running, and ends at once a piece that was stopped. Where no mode is offered, or the
display refuses one it offers, a note on the screen says which, until a piece plays, and
comes back when closed; no note outlives its kiosk; --check names the mode the piece takes.

KioskRule plays hours of ends through the kiosk's restart rule alone, with no display: the
waits after early faults double up to a minute and stay there, and three minutes of play start
them again from a second; a visitor's ends never wait, but for a storm of them that no person
makes. Bad option values and a play folder it cannot make end it at once with 2."""

import importlib.machinery
import importlib.util
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

from e2eSupport import BACK, PLAYED, alive, binary, new_player, picture_dir, pictures, pieces_of
from e2eSupport import process_stat, processes, wait_piece

KIOSK = Path(__file__).resolve().parents[2] / "kiosk" / "tarvik01-kiosk"
HANG_LIMIT = 5
# Run by sh in a private user and mount namespace; $0 is a folder, "$@" the kiosk. A 64 KiB
# tmpfs there, filled before the kiosk starts, takes all it and the piece print, as a full home
# takes ~/.xsession-errors.
FULL_DISK = """mount -t tmpfs -o size=64k tmpfs "$0" || exit 1
cat /dev/zero >"$0/filler" 2>/dev/null
exec "$@" >>"$0/log" 2>&1
"""


class KioskCase(unittest.TestCase):
    """A kiosk started by a test, stopped with it."""

    def setUp(self):
        scratch = tempfile.TemporaryDirectory(prefix="tarvik-kiosk-")
        self.addCleanup(scratch.cleanup)
        self.scratch = Path(scratch.name)

    def kiosk(self, folder, program, display=None, *options, cwd=None, full_disk=False):
        """Starts the kiosk (in cwd, or this process's folder); its output goes to a file
        beside the folder, or with full_disk to one on a full disk (FULL_DISK)."""
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        if display:
            env["DISPLAY"] = display
        command = [str(KIOSK), "--binary", program, "--folder", str(folder), *options]
        # The piece speaks ISO 8859-1.
        if not full_disk:
            log = open(self.scratch / (folder.name + ".log"), "w+", encoding="latin-1")
            process = subprocess.Popen(command, env=env, stdout=log, stderr=log, cwd=cwd)
        else:
            disk = self.scratch / "disk"
            disk.mkdir()
            inside = ["unshare", "--user", "--map-root-user", "--mount", "sh", "-c", FULL_DISK]
            process = subprocess.Popen([*inside, str(disk), *command], env=env, cwd=cwd)
            # Seen from here through the kiosk's own root (sh execs it), and kept open: the
            # disk goes with the kiosk's namespace, the open file with this test.
            path = Path("/proc/%d/root%s/log" % (process.pid, disk))
            deadline = time.monotonic() + 30
            while not path.exists() and process.poll() is None:
                self.assertLess(time.monotonic(), deadline, "no log on the full disk")
                time.sleep(0.05)
            log = open(path, encoding="latin-1")
        self.addCleanup(log.close)
        self.addCleanup(lambda: process.poll() is None and process.kill())
        return process, log

    def stop(self, process, log):
        process.send_signal(signal.SIGTERM)
        code = process.wait(timeout=15)
        log.seek(0)
        return code, log.read()


class Kiosk(KioskCase):
    """What the kiosk must do within its limits, one kiosk at a time (CTest's lock)."""

    def test_every_end_brings_a_new_piece_on_screen_in_the_same_folder(self):
        folder = self.scratch / "gallery"
        # Started as the README has it, from the tree with a relative --binary: the name is
        # the start folder's, not the play folder's. Its log is on a full disk at first.
        program = Path(binary())
        start, relative = program.parents[1], Path(program.parent.name, program.name)
        with new_player("800x600", launch=False) as x:
            process, log = self.kiosk(folder, str(relative), x.display, "--hang-limit",
                                      str(HANG_LIMIT), cwd=start, full_disk=True)  # fmt: skip
            pieces = []

            def leave_nothing():
                for pid in [process.pid, *pieces]:
                    if alive(pid):
                        os.kill(pid, signal.SIGKILL)
                process.wait()

            self.addCleanup(leave_nothing)

            def next_piece(ended, timeout):
                running = lambda: pieces_of(process.pid, str(program))  # noqa: E731
                pid, shown = wait_piece(self, x, pieces, running, ended, timeout)
                self.assertEqual(Path("/proc/%d/cwd" % pid).resolve(), folder.resolve())
                return pid, shown

            pid, shown = next_piece(time.monotonic(), 60)
            # The dummy driver has no DPMS, which the kiosk must take in its stride.
            query = ["xset", "q"]
            settings = subprocess.run(query, env=x.tool_env | {"DISPLAY": x.display},
                                      stdout=subprocess.PIPE, text=True).stdout  # fmt: skip
            self.assertRegex(settings, r"prefer blanking:\s+no\s.*\n\s+timeout:\s+0\s")
            x.key("s")
            snapshot = folder / "tarvikImages" / "test.png"
            x.wait_for("test.png", snapshot.exists, 30, may_exit=True)

            def end_after_a_while(end, timeout=BACK):
                time.sleep(max(0.0, shown + PLAYED - time.monotonic()))
                end()
                return next_piece(time.monotonic(), timeout)

            for killed in range(5):
                if killed == 3:
                    self.assertEqual(os.stat(log.fileno()).st_size, 0, "nothing fit on the disk")
                    (Path(log.name).parent / "filler").unlink()
                pid, shown = end_after_a_while(lambda: os.kill(pid, signal.SIGKILL))
                self.assertIsNone(process.poll(), "the kiosk plays on")
            pid, shown = end_after_a_while(lambda: os.kill(pid, signal.SIGSTOP), HANG_LIMIT + 5)
            pid, shown = end_after_a_while(lambda: x.key("Escape"))
            pid, shown = end_after_a_while(lambda: x.drag(50, 300, 750, 300))
            # A visitor's end is never punished, however soon after the start.
            for _ in range(5):
                ended = time.monotonic()
                x.key("Escape")
                pid, shown = next_piece(ended, BACK)

            code, said = self.stop(process, log)
            self.assertEqual(code, 0)
            self.assertEqual([p for p in pieces if alive(p)], [])
            self.assertTrue(snapshot.exists(), "the gallery is kept")
            # Lost on the full disk: the first line, the first start, and three ends with the
            # starts after them; the next end says so first.
            first = said.split("\n", 1)[0]
            self.assertTrue(first.endswith(" tarvik01-kiosk: 8 log lines lost: they could not be "
                                           "written"), said)  # fmt: skip
            self.assertEqual(said.count("started the piece"), 14 - 4)
            self.assertEqual(said.count("killed by SIGKILL after"), 5 - 3)
            self.assertEqual(said.count("hung: no processor time"), 1)
            self.assertEqual(said.count("exit code 0 after"), 7)
            self.assertEqual(said.count("; back at once"), 13 - 3, said)


class KioskSays(KioskCase):
    """What the kiosk says and does where no limit is timed closely."""

    def test_a_program_that_fails_at_once_is_started_ever_more_slowly(self):
        # Ten seconds: starts at 0, 1, 3 and 7 s, the next at 15 s. Exit code 1 (no usable
        # game mode) is tried again only after a minute, and said once. Exit code 0 at once,
        # twenty times in a row, is a storm no visitor makes: 21 starts at once, the next
        # three 1, 3 and 7 s later. What a failed program leaves running goes with
        # it. A program that vanishes after its first start (an upgrade replacing it) is
        # looked for as slowly, and the kiosk plays on.
        kiosks = {}
        for code in (3, 1, 0):
            stand_in = self.scratch / ("fails-%d" % code)
            stand_in.write_text("#!/bin/sh\nsleep 300 &\necho start >> starts\nexit %d\n" % code)
            stand_in.chmod(0o755)
            kiosks[code] = self.kiosk(self.scratch / ("folder-%d" % code), str(stand_in))
        vanishing = self.scratch / "vanishing"
        vanishing.write_text('#!/bin/sh\nrm -- "$0"\nexit 3\n')
        vanishing.chmod(0o755)
        gone = self.kiosk(self.scratch / "folder-gone", str(vanishing))
        time.sleep(10)
        status, said = self.stop(*gone)
        self.assertEqual(status, 0, said)
        self.assertFalse(vanishing.exists())
        self.assertEqual(said.count("exit code 3 after"), 1, said)
        self.assertGreaterEqual(said.count("could not start: [Errno 2]"), 2, said)
        self.assertLessEqual(said.count("could not start: [Errno 2]"), 3, said)
        for code, (process, log) in kiosks.items():
            status, said = self.stop(process, log)
            self.assertEqual(status, 0)
            folder = self.scratch / ("folder-%d" % code)
            starts = (folder / "starts").read_text().count("start")
            here = lambda pid, _: Path("/proc/%d/cwd" % pid).resolve() == folder.resolve()  # noqa
            left = processes(here)
            self.assertEqual(left, [], "nothing it started runs on")
            if code == 3:
                self.assertGreaterEqual(starts, 3, said)
                self.assertLessEqual(starts, 4, said)
            elif code == 0:
                self.assertGreaterEqual(starts, 22, said)
                self.assertLessEqual(starts, 24, said)
                storm = said.count("quick ends in a row, more than a visitor makes; back in")
                self.assertEqual(storm, starts - 20, said)
            else:
                self.assertEqual(starts, 1, said)
                self.assertEqual(said.count("; trying again every 60 s\n"), 1, said)

    def test_a_stopped_piece_is_woken_to_take_the_sigterm_when_the_kiosk_ends(self):
        # A stand-in that notes the SIGTERM it takes: a stopped process keeps the signal
        # pending, and only one woken before the SIGKILL that follows the grace ever takes it.
        # It starts no child: a shell stopped while its vfork child has not yet run its
        # program waits in uninterruptible sleep, never showing as stopped.
        folder = self.scratch / "stopped"
        stand_in = self.scratch / "noting"
        stand_in.write_text(
            "#!/usr/bin/python3\nimport os, signal, sys\n"
            "def took(number, frame):\n"
            "    open('ended', 'w').write('took the SIGTERM\\n')\n"
            "    sys.exit(0)\n"
            "signal.signal(signal.SIGTERM, took)\n"
            "open('pid', 'w').write('%d\\n' % os.getpid())\n"
            "while True:\n"
            "    signal.pause()\n"
        )
        stand_in.chmod(0o755)
        # The stand-in sleeps without processor time, which the kiosk would take for a hang.
        process, log = self.kiosk(folder, str(stand_in), None, "--hang-limit", "3600")
        pid_file = folder / "pid"

        def logged():
            log.seek(0)
            return log.read()

        deadline = time.monotonic() + 60
        while not (pid_file.exists() and pid_file.read_text().strip()):
            self.assertLess(time.monotonic(), deadline, "no piece started: " + logged())
            time.sleep(0.05)
        pid = int(pid_file.read_text())
        os.killpg(pid, signal.SIGSTOP)  # the piece's own session
        deadline = time.monotonic() + 30
        while (stat := process_stat(pid)) is None or stat.state != "T":
            self.assertLess(time.monotonic(), deadline, "state %s; %s" % (stat, logged()))
            time.sleep(0.05)
        code, said = self.stop(process, log)
        self.assertEqual(code, 0, said)
        self.assertFalse(alive(pid))
        self.assertEqual((folder / "ended").read_text(), "took the SIGTERM\n", said)

    def test_a_program_missing_at_the_start_ends_the_kiosk_with_2_and_one_line(self):
        not_executable = self.scratch / "not-executable"
        not_executable.write_text("#!/bin/sh\nexit 0\n")
        not_executable.chmod(0o644)  # no execute bit, which binds root too
        # Each as given from the scratch folder, and the path the line names for it.
        programs = {
            "missing": ("build-release/tarvik01", "/build-release/tarvik01", "no such file"),
            "not executable": (not_executable.name, "/not-executable", "not an executable file"),
            "a folder": (".", "", "not an executable file"),
        }
        for what, (program, named, why) in programs.items():
            with self.subTest(what):
                folder = self.scratch / ("never-" + what.replace(" ", "-"))
                process, log = self.kiosk(folder, program, cwd=self.scratch)
                self.assertEqual(process.wait(timeout=30), 2)
                log.seek(0)
                said = log.read()
                self.assertEqual(said.count("\n"), 1, said)
                line = " tarvik01-kiosk: cannot play %s%s: %s\n" % (self.scratch, named, why)
                self.assertTrue(said.endswith(line), said)
                self.assertFalse(folder.exists(), "nothing set up for a piece that cannot play")

    def test_check_names_the_mode_the_piece_takes_and_ends_with_1_without_one(self):
        offered = "1280x1024  %s\n1152x864   %s\n1024x768   %s\n800x600    %s\n"
        takes, no = "offered: the piece takes this one", "not offered"
        nothing = offered % (no, no, no, no)
        displays = {
            "1280x1024,1152x864,1024x768,800x600": (0, offered % (takes, "offered", "offered",
                "offered") + "the display offers 1280x1024, 1152x864, 1024x768, 800x600\n"),
            # Listed smallest first: the piece's own order decides.
            "800x600,1280x1024": (0, offered % (takes, no, no, "offered")
                                  + "the display offers 800x600, 1280x1024\n"),
            "800x600": (0, offered % (no, no, no, takes) + "the display offers 800x600\n"),
            "none": (1, nothing + "the display offers 640x480\n"),
            "xvfb": (1, nothing + "the display offers no mode list (no XFree86-VidMode "
                     "extension)\n"),
        }  # fmt: skip
        for modes, (code, said) in displays.items():
            server = {"server": "xvfb"} if modes == "xvfb" else {}
            with self.subTest(modes), new_player(modes, launch=False, **server) as x:
                env = x.tool_env | {"DISPLAY": x.display}
                checked = subprocess.run([str(KIOSK), "--check"], env=env, stdout=subprocess.PIPE,
                                         text=True, timeout=60)  # fmt: skip
                self.assertEqual((checked.returncode, checked.stdout), (code, said))

    def note(self, x, kiosk, but=None):
        """Waits for the kiosk's note (other than process but) on x; returns its process and
        text."""
        notes = lambda: [p for p in pieces_of(kiosk.pid, "xmessage") if p != but]  # noqa: E731
        (note,) = x.wait_for("the kiosk's note", notes, 30, may_exit=True)
        return note, Path("/proc/%d/cmdline" % note).read_bytes().split(b"\0")[-2].decode()

    def test_without_a_usable_mode_a_note_says_why_and_outlives_no_kiosk(self):
        # The real piece ends with 1 where no mode is offered, tried every 3 s here.
        wait = ("--mode-wait", "3")
        with new_player("none", launch=False) as x:
            first, log = self.kiosk(self.scratch / "no-mode", binary(), x.display, *wait)
            note, text = self.note(x, first)
            pictures.write_png(picture_dir() / "kiosk-no-mode-note.png", x.screenshot())
            modes = "1280x1024  %s\n1152x864   %s\n1024x768   %s\n800x600    %s\n"
            for said in ("this display offers none of them:\n\n" + modes % (("not offered",) * 4),
                         "the display offers 640x480\n", "tried again every 3 s;",
                         "The kiosk's log:\n%s" % log.name):  # fmt: skip
                self.assertIn(said, text)
            # Someone closes it: it comes back at the next end.
            os.kill(note, signal.SIGTERM)
            note, _ = self.note(x, first, but=note)
            # A kiosk killed outright leaves its note, which the next kiosk takes down.
            first.kill()
            first.wait()
            self.assertTrue(alive(note))
            second, log = self.kiosk(self.scratch / "again", binary(), x.display, *wait)
            x.wait_for("the left note to go", lambda: not alive(note), 30, may_exit=True)
            note, _ = self.note(x, second)
            code, said = self.stop(second, log)
            self.assertEqual((code, said.count("no usable game mode")), (0, 1), said)
            self.assertFalse(alive(note), "the note went with the kiosk")
        # Its display gone, the log says so, and no note is tried.
        third, log = self.kiosk(self.scratch / "gone", binary(), x.display, *wait)
        ended = lambda: "trying again" in Path(log.name).read_text(encoding="latin-1")  # noqa
        x.wait_for("the log's line on the display's end", ended, 30, may_exit=True)
        code, said = self.stop(third, log)
        self.assertEqual(code, 0, said)
        self.assertRegex(said, r"exit code 1 after \d+\.\d s: cannot open the display %s; "
                         r"trying again every 3 s\n" % x.display)  # fmt: skip
        self.assertNotIn("cannot show why", said)

    def test_where_the_display_refuses_a_mode_it_offers_the_note_says_so_until_a_piece_plays(self):
        # The real piece, on a display that lists its 1280x1024 but starts in 800x600 and
        # refuses the switch (it ends with 1), then a stand-in that plays on (without a
        # window: the note stays visible until the kiosk takes it off).
        stand_in = self.scratch / "real-then-still"
        stand_in.write_text("#!/bin/sh\n[ -e tried ] && exec sleep 600\ntouch tried\nexec %s\n"
                            % binary())  # fmt: skip
        stand_in.chmod(0o755)
        with new_player("800x600,1280x1024", launch=False) as x:
            process, log = self.kiosk(self.scratch / "refused", str(stand_in), x.display,
                                      "--hang-limit", "3600", "--mode-wait", "3")  # fmt: skip
            note, text = self.note(x, process)
            for said in ("ended with exit code 1 although this\ndisplay offers a mode it can use:",
                         "1280x1024  offered: the piece takes this one\n"):  # fmt: skip
                self.assertIn(said, text)
            x.wait_for("the note to go", lambda: not alive(note), 30, may_exit=True)
            self.assertEqual(len(pieces_of(process.pid, "sleep")), 1, "the second piece plays")
            code, said = self.stop(process, log)
            self.assertEqual(code, 0, said)
            self.assertIn("exit code 1 after", said)
            self.assertIn(" although the display offers a usable mode (see above); trying again "
                          "every 3 s\n", said)  # fmt: skip


def load_kiosk():
    """The kiosk script as a module; its main does not run, and kiosk/ gets no __pycache__."""
    loader = importlib.machinery.SourceFileLoader("tarvik01_kiosk", str(KIOSK))
    module = importlib.util.module_from_spec(importlib.util.spec_from_loader(loader.name, loader))
    writes, sys.dont_write_bytecode = sys.dont_write_bytecode, True
    try:
        loader.exec_module(module)
    finally:
        sys.dont_write_bytecode = writes
    return module


def run_kiosk(*options):
    """Runs the kiosk with no display; returns its exit code and its stderr."""
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    ran = subprocess.run([str(KIOSK), *options], env=env, stdin=subprocess.DEVNULL,
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                         timeout=30)  # fmt: skip
    return ran.returncode, ran.stderr


def play_through(ends, hours):
    """Feeds ends ((code, seconds played), taken in turn and over again) to a fresh kiosk's
    restart rule until that many hours of simulated time have passed; returns the waits it
    chose and the simulated times of the starts, in seconds."""
    kiosk = load_kiosk()
    backoff, clock, waits, starts = kiosk.FRESH, 0.0, [], []
    while clock < hours * 3600:
        code, lived = ends[len(waits) % len(ends)]
        starts.append(clock)
        pause, backoff = kiosk.restart(code, lived, backoff)
        waits.append(pause)
        clock += lived + pause
    return waits, starts


class KioskRule(unittest.TestCase):
    def test_waits_after_early_ends_double_up_to_a_minute_and_stay_there_for_hours(self):
        # Early: under 5 s of play, by any fault. A crash 0.5 s after every start: starts
        # at 0, 1.5, 4, 8.5, 17, 33.5, 66, 126.5 s, then every 60.5 s: (21600 - 126.5) / 60.5
        # is 354.9, so 355 more in six hours, 362 in all.
        waits, starts = play_through([(-signal.SIGSEGV, 0.5)], hours=6)
        self.assertEqual(waits[:8], [1, 2, 4, 8, 16, 32, 60, 60])
        self.assertEqual(set(waits[6:]), {60})
        self.assertEqual(starts[:8], [0, 1.5, 4, 8.5, 17, 33.5, 66, 126.5])
        self.assertEqual(len(starts), 362)
        ends = {
            "SIGKILL after 4.9 s": (-signal.SIGKILL, 4.9),
            "could not start": (None, 0.0),
            "a program failing with 3": (3, 0.01),
        }
        for what, end in ends.items():
            with self.subTest(what):
                waits, _ = play_through([end], hours=3)
                self.assertEqual(waits[:8], [1, 2, 4, 8, 16, 32, 60, 60])
                self.assertEqual(max(waits), 60)

    def test_a_visitors_ends_come_back_at_once_but_a_storm_of_them_waits_as_faults_do(self):
        quick, played, crash = (0, 0.5), (0, 5.0), (-signal.SIGSEGV, 0.5)
        # Escape half a second after every start, for three hours (a key stuck down): twenty
        # in a row come back at once, the 21st (started at 10 s) waits a second and the waits
        # double from there. Starts at 11.5, 14, 18.5, 27, 43.5, 76, 136.5 s, then every 60.5
        # s: (10800 - 136.5) / 60.5 is 176.3, so 176 more, 204 in all.
        waits, starts = play_through([quick], hours=3)
        self.assertEqual(waits[:28], [0] * 20 + [1, 2, 4, 8, 16, 32, 60, 60])
        self.assertEqual(set(waits[26:]), {60})
        self.assertEqual(starts[20:28], [10, 11.5, 14, 18.5, 27, 43.5, 76, 136.5])
        self.assertEqual(len(starts), 204)
        # Twenty quick Escapes, then a piece left to play 5 s, over and over: never a wait.
        waits, _ = play_through([quick] * 20 + [played], hours=1)
        self.assertEqual(set(waits), {0})
        # With 21 in a row the 21st waits; 5 s of play end the row but not the back-off.
        waits, _ = play_through([quick] * 21 + [played], hours=0.1)
        self.assertEqual(waits[:44], [0] * 20 + [1, 0] + [0] * 20 + [2, 0])
        # Crashes and quick Escapes in between: neither starts the other's count afresh.
        ends = [crash] * 3 + [quick, crash] + [quick] * 19 + [crash, quick]
        waits, _ = play_through(ends, hours=0.1)
        self.assertEqual(waits[:26], [1, 2, 4, 0, 8] + [0] * 19 + [16, 32])

    def test_three_minutes_of_play_start_the_waits_again_from_the_shortest(self):
        early, played_a_while, healthy = (-signal.SIGSEGV, 0.5), (0, 179.9), (0, 180.0)
        # 179.9 s of play bring the piece back at once, but the next early end goes on from
        # where the waits were; 180 s start them again from a second.
        ends = [early] * 8 + [played_a_while, early, healthy, early, early]
        waits, _ = play_through(ends, hours=0.5)
        self.assertEqual(waits[:13], [1, 2, 4, 8, 16, 32, 60, 60, 0, 60, 0, 1, 2])
        # Play of 5 s is no early end; 4.99 s is.
        killed = [(-signal.SIGKILL, 5.0), (-signal.SIGKILL, 4.99)]
        waits, _ = play_through([early, early, *killed], hours=0.01)
        self.assertEqual(waits[:4], [1, 2, 0, 4])
        # A day of rounds of three crashes and three minutes of play: the waits never pass
        # 4 s. A round takes 3 x 0.5 + 1 + 2 + 4 + 180 = 188.5 s; the 459th starts at 86333 s,
        # and its four starts (the last 8.5 s in) all fall within the day.
        waits, starts = play_through([early, early, early, healthy], hours=24)
        self.assertEqual(waits, [1, 2, 4, 0] * 459)
        self.assertEqual(starts[-4:], [86333, 86334.5, 86337, 86341.5])

    def test_a_bad_option_value_or_a_folder_it_cannot_make_ends_it_at_once_with_2(self):
        error = "tarvik01-kiosk: error: argument %s: takes seconds, a finite number of at least %s"
        for option, least, low in (("--mode-wait", "1", "0.99"), ("--hang-limit", "5", "4.9")):
            for value in ("0", "-1", "nan", "inf", low, "ten"):
                with self.subTest(option=option, value=value):
                    code, said = run_kiosk(option, value)
                    self.assertEqual(code, 2)
                    # After argparse's usage.
                    self.assertTrue(said.endswith("\n" + error % (option, least)
                                                  + ", not '%s'\n" % value), said)  # fmt: skip
        options = load_kiosk().options(["--mode-wait", "1", "--hang-limit", "5"])
        self.assertEqual((options.mode_wait, options.hang_limit), (1, 5))
        code, said = run_kiosk("--binary", "/bin/true", "--folder", "/proc/nope")
        self.assertEqual((code, said.count("\n")), (2, 1), said)
        self.assertTrue(said.endswith(": cannot make /proc/nope/tarvikImages: No such file or "
                                      "directory\n"), said)  # fmt: skip

    def test_without_a_usable_mode_every_minute_and_the_back_off_kept_meanwhile(self):
        early, no_mode = (3, 0.1), (1, 0.2)
        # Three early ends leave the next wait at 8 s; a run of exit code 1 waits a minute
        # each and leaves it there.
        waits, _ = play_through([early] * 3 + [no_mode] * 120 + [early, early], hours=2.2)
        self.assertEqual(waits[:3], [1, 2, 4])
        self.assertEqual(set(waits[3:123]), {60})
        self.assertEqual(waits[123:125], [8, 16])


if __name__ == "__main__":
    unittest.main()

# packageTest.py -- the Debian package of the build under test passes Debian's checkers, and
# the program installed from it plays
"""CPack packages the build under test (stripped, as tools/package's release build would be).
lintian finds no error, the desktop entries and the AppStream file validate, the manual page
renders without a warning. The program and its starters sit in /usr/games; the menu entry,
launched as a desktop launches it from an empty home folder, plays the piece (its start-up
message, test.png on s, its end on Escape) in the user's pictures folder, where test.png and
the gallery stay. The menu start ends with the piece's exit code, and with 2,
having started nothing, where the pictures folder cannot be made or HOME is not set."""

import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

from e2eSupport import NO_MODE, STARTUP, TOOL_ENV, TestPlayer, field, package, player, processes
from e2eSupport import run

def running(program):
    """The pids of the processes that run the program (the menu start execs it, so it is no
    child)."""
    return processes(lambda pid, _: Path("/proc/%d/exe" % pid).resolve() == program.resolve())


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        scratch = tempfile.TemporaryDirectory(prefix="tarvik-package-")
        cls.addClassCleanup(scratch.cleanup)
        out = Path(scratch.name)
        # man and lintian leave files in the temporary folder (man-db's mldbm-*): keep them here.
        TOOL_ENV["TMPDIR"] = str(out)
        cls.deb, cls.root = package(out)

    def test_lintian_finds_no_error_and_the_fields_are_a_games_package(self):
        checked = run("lintian", "--fail-on", "error", str(self.deb))
        self.assertEqual(checked.returncode, 0, checked.stdout)
        self.assertEqual(field(self.deb, "Section"), "games")
        depends = field(self.deb, "Depends")
        for needed in ("python3", "x11-xserver-utils", "x11-utils", "libglut", "libpng16"):
            self.assertIn(needed, depends)
        games = sorted(p.name for p in (self.root / "usr/games").iterdir())
        self.assertEqual(games, ["tarvik01", "tarvik01-kiosk", "tarvik01-menu"])

    def test_desktop_entries_and_appstream_metadata_validate(self):
        share = self.root / "usr/share"
        for entry in ("applications/tarvik01.desktop", "xsessions/tarvik01-kiosk.desktop"):
            checked = run("desktop-file-validate", str(share / entry))
            self.assertEqual((checked.returncode, checked.stdout), (0, ""), entry)
        checked = run("appstreamcli", "validate", "--no-net", "--pedantic",
                      str(share / "metainfo/invalid.tarvik.tarvik01.metainfo.xml"))  # fmt: skip
        self.assertEqual(checked.returncode, 0, checked.stdout)

    def test_both_manual_pages_render_without_a_warning(self):
        for name in ("tarvik01", "tarvik01-kiosk"):
            page = self.root / ("usr/share/man/man6/%s.6.gz" % name)
            shown = run("man", "--warnings", "-E", "UTF-8", "-l", str(page))
            self.assertEqual((shown.returncode, shown.stderr), (0, ""))
            for heading in ("CONTROLS", "FILES", "EXIT STATUS", "KIOSK", "autologin-session"):
                self.assertIn(heading, shown.stdout)

    def test_the_menu_entry_plays_in_the_pictures_folder_and_the_pictures_stay_there(self):
        entry = self.root / "usr/share/applications/tarvik01.desktop"
        program = self.root / "usr/games/tarvik01"
        # (what the home folder holds, the pictures folder the piece must play in)
        for what, config, folder in (
            ("named by user-dirs.dirs", ".config/user-dirs.dirs", "Bilder"),
            ("named in XDG_CONFIG_HOME", "elsewhere/user-dirs.dirs", "Work/Shots"),
            ("none set and none made yet", None, "Pictures"),
        ):
            with self.subTest(what), TestPlayer(program, "800x600", launch=False) as x:
                home = Path(tempfile.mkdtemp(prefix="home-", dir=self.root.parent))
                env = dict(TOOL_ENV, HOME=str(home), DISPLAY=x.display)
                # A desktop user's PATH, which holds /usr/games: here the unpacked package's.
                env["PATH"] = "%s:/usr/bin:/bin" % (self.root / "usr/games")
                if config:
                    (home / config).parent.mkdir(parents=True)
                    (home / config).write_text('XDG_PICTURES_DIR="$HOME/%s"\n' % folder)
                    (home / folder).mkdir(parents=True)
                    if config.startswith("elsewhere"):
                        env["XDG_CONFIG_HOME"] = str(home / "elsewhere")
                out, err = home.parent / (home.name + ".out"), home.parent / (home.name + ".err")
                with open(out, "wb") as stdout, open(err, "w+") as stderr:
                    launched = subprocess.run(
                        ["gio", "launch", str(entry)], cwd=home, env=env,
                        stdout=stdout, stderr=stderr, timeout=60,
                    )  # fmt: skip
                    self.assertEqual(launched.returncode, 0)
                    pid = x.wait_for("the piece", lambda: running(program), 60, may_exit=True)[0]
                    x.wait_ready(pid=pid)
                    x.key("s")
                    images = home / folder / "tarvikImages"
                    listed = lambda: player.kept(images, "test.png")  # noqa: E731
                    x.wait_for("test.png listed in " + str(images), listed, 60, may_exit=True)
                    x.key("Escape")
                    x.wait_for("the piece to end", lambda: not running(program), 60, may_exit=True)
                    stderr.seek(0)
                    said = stderr.read()
                self.assertEqual(out.read_bytes(), STARTUP["800x600"])
                self.assertIn("tarvik01: pictures and their gallery go to %s\n" % images, said)
                made = [path.relative_to(home) for path in home.rglob("tarvikImages")]
                self.assertEqual(made, [Path(folder, "tarvikImages")])

    def test_the_menu_start_ends_as_the_piece_did_and_plays_nowhere_without_its_folder(self):
        menu = self.root / "usr/games/tarvik01-menu"
        # A backslash in the home folder's name, which some echos would take for an escape.
        home = Path(tempfile.mkdtemp(prefix="home-\\t-", dir=self.root.parent))
        pictures = home / "Pictures"
        no_home = {k: v for k, v in TOOL_ENV.items() if k != "HOME"}
        cannot = "tarvik01: cannot make %s/tarvikImages; not started, no picture would be kept\n"
        # (the environment, what the pictures folder is, its exit code, its last line)
        cases = {
            "the piece ends with 1": (
                dict(no_home, HOME=str(home)), None, 1,
                "tarvik01: pictures and their gallery go to %s/tarvikImages\n" % pictures,
            ),
            "no pictures folder can be made": (
                dict(no_home, HOME=str(home)), "a file", 2, cannot % pictures,
            ),
            "HOME is not set": (
                no_home, None, 2,
                "tarvik01: HOME is not set, so there is no pictures folder; not started\n",
            ),
        }  # fmt: skip
        # Where no mode is offered the piece says so on its standard output and ends with 1.
        with player.Player(self.root / "usr/games/tarvik01", "none", launch=False) as x:
            for what, (env, folder, code, said) in cases.items():
                with self.subTest(what):
                    if folder == "a file":
                        shutil.rmtree(pictures)  # the first case's
                        pictures.write_text("")
                    # Started by a relative name, from its own folder.
                    ran = subprocess.run(["./" + menu.name], cwd=menu.parent,
                                         env=dict(env, DISPLAY=x.display), stdout=subprocess.PIPE,
                                         stderr=subprocess.PIPE, timeout=60)  # fmt: skip
                    self.assertEqual(ran.returncode, code, ran.stderr)
                    self.assertTrue(ran.stderr.decode().endswith(said), ran.stderr)
                    self.assertEqual(ran.stdout, NO_MODE if code == 1 else b"")
                    self.assertEqual(list(home.glob("**/tarvikImages")),
                                     [pictures / "tarvikImages"] if code == 1 else [])  # fmt: skip


if __name__ == "__main__":
    unittest.main()

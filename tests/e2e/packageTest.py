# packageTest.py -- the Debian package of the build under test passes Debian's checkers, and
# the program installed from it plays
"""CPack packages the build under test (stripped, as tools/package's release build would be).
lintian finds no error, the desktop entries and the AppStream file validate, the manual page
renders without a warning, and the program unpacked from the package says its start-up
message, writes test.png and ends with 0 on Escape."""

import os
import subprocess
import tempfile
import unittest
from pathlib import Path

from e2eSupport import STARTUP, player

TOOL_ENV = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}


def run(*command, cwd=None):
    return subprocess.run(
        command, cwd=cwd, env=TOOL_ENV, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
        text=True, timeout=300,
    )  # fmt: skip


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        scratch = tempfile.TemporaryDirectory(prefix="tarvik-package-")
        cls.addClassCleanup(scratch.cleanup)
        out = Path(scratch.name)
        # man and lintian leave files in the temporary folder (man-db's mldbm-*): keep them here.
        TOOL_ENV["TMPDIR"] = str(out)
        config = Path(os.environ["TARVIK_BUILD_DIR"]) / "CPackConfig.cmake"
        made = run("cpack", "--config", str(config), "-G", "DEB", "-B", str(out / "deb"))
        assert made.returncode == 0, made.stdout + made.stderr
        (cls.deb,) = (out / "deb").glob("tarvik01_*.deb")
        cls.root = out / "root"
        unpacked = run("dpkg-deb", "-x", str(cls.deb), str(cls.root))
        assert unpacked.returncode == 0, unpacked.stderr

    def field(self, name):
        return run("dpkg-deb", "-f", str(self.deb), name).stdout.strip()

    def test_lintian_finds_no_error_and_the_fields_are_a_games_package(self):
        checked = run("lintian", "--fail-on", "error", str(self.deb))
        self.assertEqual(checked.returncode, 0, checked.stdout)
        self.assertEqual(self.field("Section"), "games")
        depends = self.field("Depends")
        for needed in ("python3", "x11-xserver-utils", "libglut", "libpng16"):
            self.assertIn(needed, depends)

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

    def test_the_installed_program_and_kiosk_sit_in_usr_games_and_the_program_plays(self):
        games = self.root / "usr/games"
        self.assertEqual(sorted(p.name for p in games.iterdir()), ["tarvik01", "tarvik01-kiosk"])
        with player.Player(games / "tarvik01", "800x600", deadline=240) as game:
            game.wait_ready()
            game.key("s")
            game.wait_picture("test.png")
            self.assertEqual(game.escape(), 0)
            self.assertEqual(game.output(), STARTUP["800x600"])


if __name__ == "__main__":
    unittest.main()

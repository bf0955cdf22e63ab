# toolsTest.py -- the tools' own rules, on input written here by hand: nothing is installed
"""install-deps --missing is fed dpkg-query's lines as they read on an amd64 machine with arm64
copies beside some packages, and names what it would install. package --sources is fed the
archives of a machine whose apt names them by suite, by codename and both, as apt-get
indextargets gives them, and prints its apt's sources."""

import subprocess
import unittest
from pathlib import Path

TOOLS = Path(__file__).resolve().parents[2] / "tools"
DPKG_QUERY = """\
cmake amd64 install ok installed
libpng-dev arm64 install ok installed
libx11-dev arm64 install ok installed
libx11-dev amd64 install ok installed
novnc all install ok installed
xvfb amd64 install ok half-installed
lintian all deinstall ok config-files
"""
INDEXTARGETS = """\
http://mirror/debian/ stable main
http://mirror/debian/ stable-updates main
http://mirror/debian/ bookworm-backports contrib
http://mirror/debian-security/ stable-security main
"""


def run(tool, *args, given):
    return subprocess.run([TOOLS / tool, *args], input=given, capture_output=True, text=True,
                          check=True).stdout  # fmt: skip


class Rules(unittest.TestCase):
    def test_only_the_native_or_the_all_copy_installed_counts(self):
        names = ["cmake", "libpng-dev", "libx11-dev", "novnc", "xvfb", "lintian", "file"]
        said = run("install-deps", "--missing", "amd64", *names, given=DPKG_QUERY)
        self.assertEqual(said.split(), ["libpng-dev", "xvfb", "lintian", "file"])

    def test_a_suite_that_moves_on_with_each_release_is_fetched_by_the_machines_codename(self):
        said = run("package", "--sources", "bookworm", given=INDEXTARGETS)
        deb = [line for line in said.splitlines() if line.startswith("deb ")]
        self.assertEqual(deb, [
            "deb http://mirror/debian/ bookworm main",
            "deb http://mirror/debian/ bookworm-updates main",
            "deb http://mirror/debian/ bookworm-backports contrib",
            "deb http://mirror/debian-security/ bookworm-security main",
        ])  # fmt: skip
        self.assertIn("deb-src http://mirror/debian/ bookworm main", said)


if __name__ == "__main__":
    unittest.main()

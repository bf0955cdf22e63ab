# packageSourcesTest.py -- which Debian release the arm64 root is fetched from
"""package --sources is fed the archives of a machine whose apt names them by suite, by codename
and both, as apt-get indextargets gives them, written here by hand, and prints its apt's
sources."""

import subprocess
import unittest
from pathlib import Path

PACKAGE = Path(__file__).resolve().parents[2] / "tools/package"
INDEXTARGETS = """\
http://mirror/debian/ stable main
http://mirror/debian/ stable-updates main
http://mirror/debian/ bookworm-backports contrib
http://mirror/debian-security/ stable-security main
"""


class Sources(unittest.TestCase):
    def test_a_suite_that_moves_on_with_each_release_is_fetched_by_the_machines_codename(self):
        said = subprocess.run([PACKAGE, "--sources", "bookworm"], input=INDEXTARGETS,
                              capture_output=True, text=True, check=True)  # fmt: skip
        deb = [line for line in said.stdout.splitlines() if line.startswith("deb ")]
        self.assertEqual(deb, [
            "deb http://mirror/debian/ bookworm main",
            "deb http://mirror/debian/ bookworm-updates main",
            "deb http://mirror/debian/ bookworm-backports contrib",
            "deb http://mirror/debian-security/ bookworm-security main",
        ])  # fmt: skip
        self.assertIn("deb-src http://mirror/debian/ bookworm main", said.stdout)


if __name__ == "__main__":
    unittest.main()

# installDepsTest.py -- which copy of a package install-deps counts as installed
"""install-deps --missing is fed dpkg-query's lines as they read on an amd64 machine with arm64
copies beside some packages, written here by hand, and names what it would install."""

import subprocess
import unittest
from pathlib import Path

INSTALL_DEPS = Path(__file__).resolve().parents[2] / "tools/install-deps"
DPKG_QUERY = """\
cmake amd64 install ok installed
libpng-dev arm64 install ok installed
libx11-dev arm64 install ok installed
libx11-dev amd64 install ok installed
novnc all install ok installed
xvfb amd64 install ok half-installed
lintian all deinstall ok config-files
"""


class Missing(unittest.TestCase):
    def test_only_the_native_or_the_all_copy_installed_counts(self):
        names = ["cmake", "libpng-dev", "libx11-dev", "novnc", "xvfb", "lintian", "file"]
        said = subprocess.run([INSTALL_DEPS, "--missing", "amd64", *names], input=DPKG_QUERY,
                              capture_output=True, text=True, check=True)  # fmt: skip
        self.assertEqual(said.stdout.split(), ["libpng-dev", "xvfb", "lintian", "file"])


if __name__ == "__main__":
    unittest.main()

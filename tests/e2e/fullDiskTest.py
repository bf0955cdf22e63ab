# fullDiskTest.py -- captures into a really full disk lose nothing
"""tarvikImages is a small tmpfs mounted in a private user and mount namespace, in which the
real binary runs; its Xorg server runs outside, since the display's socket is shared. The test
reaches the disk through the program's own view of it (/proc/<pid>/root), fills it up to 0 to a
few blocks short of full and adds a PNG by hand, so that the index has to grow by one entry, and
presses "s": every earlier picture and page stays whole, the index is the earlier one or a whole
new one, the program keeps running, and once the space is freed the next capture succeeds."""

import errno
import os
import shlex
import subprocess
import tempfile
import unittest
from pathlib import Path

from e2eSupport import TestPlayer, binary, deadline, pictures
from galleryCheck import gallery_problems, listed

SIZE = 256 * 1024
BLOCK = 4096  # tmpfs gives every file whole pages of this size
FILLER = "filler"


def fill(path, leave):
    """Writes path until the disk is full, then gives `leave` bytes back."""
    with open(path, "wb", buffering=0) as f:
        try:
            while True:
                f.write(bytes(BLOCK))
        except OSError as full:
            if full.errno != errno.ENOSPC:
                raise
            f.truncate(max(f.tell() - leave, 0))


def capture(game, images):
    """Presses "s" and waits until the capture has been and gone. Every capture creates its
    temporary in tarvikImages, which changes the folder; it is over when the folder holds no
    temporary and has stayed as it is while the program used a third of a second of processor
    time (a capture is one callback of a few milliseconds)."""
    stamp = images.stat().st_mtime_ns
    game.key("s")
    game.wait_for("the capture to begin", lambda: images.stat().st_mtime_ns != stamp, 30)
    game.wait_unchanged(
        "the capture to end",
        lambda: (images.stat().st_mtime_ns, sorted(os.listdir(images))),
        lambda folder: not any(name.endswith(".part") for name in folder[1]),
        60, gap=0.1, cpu=0.3,
    )  # fmt: skip


class FullDisk(unittest.TestCase):
    def test_captures_into_a_full_disk_lose_nothing_and_the_next_one_succeeds(self):
        probe = subprocess.run(
            ["unshare", "--user", "--map-root-user", "--mount", "true"],
            stderr=subprocess.PIPE,
            text=True,
        )
        if probe.returncode != 0:
            self.fail("the kernel refuses a private user and mount namespace: " + probe.stderr)
        with tempfile.TemporaryDirectory(prefix="tarvik-full-") as workdir:
            inside = Path(workdir) / "tarvik01-on-tmpfs"
            mount = "mount -t tmpfs -o size=%d tmpfs tarvikImages && exec %s" % (
                SIZE,
                shlex.quote(binary()),
            )
            inside.write_text(
                "#!/bin/sh\nexec unshare --user --map-root-user --mount sh -c %s\n"
                % shlex.quote(mount)
            )
            inside.chmod(0o755)
            with TestPlayer(inside, "800x600", workdir=workdir, deadline=deadline()) as game:
                game.wait_ready()
                images = Path("/proc/%d/root%s/tarvikImages" % (game.process.pid, game.workdir))
                disk = os.statvfs(images)
                self.assertEqual(disk.f_blocks * disk.f_frsize, SIZE, "the program's own tmpfs")
                # Five digits in the capture square: a picture, not a black square.
                game.click(1, times=5)
                game.wait_still("five digits at rest", lambda shot: not shot.is_black(), 120)
                capture(game, images)

                outcomes = []
                for free in range(6):
                    (images / FILLER).unlink(missing_ok=True)
                    hand = pictures.Picture(4, 4, pictures.GREY, bytes(16))
                    pictures.write_png(images / ("hand-%d.png" % free), hand)
                    before = os.listdir(images)
                    png_inode = (images / "test.png").stat().st_ino
                    index_before = listed(images)
                    fill(images / FILLER, free * BLOCK)
                    capture(game, images)
                    with self.subTest(free_blocks=free):
                        self.assertTrue(game.running())
                        self.assertEqual(gallery_problems(images, extra=[FILLER]), [])
                        for name in before:
                            self.assertTrue((images / name).exists(), name + " was lost")
                        pngs = sorted(p.name for p in images.glob("*.png"))
                        self.assertIn(listed(images), (index_before, pngs))
                    replaced = (images / "test.png").stat().st_ino != png_inode
                    grown = listed(images) != index_before
                    outcomes.append(("PNG " if replaced else "") + ("index" if grown else ""))

                (images / FILLER).unlink()
                png_inode = (images / "test.png").stat().st_ino
                capture(game, images)
                self.assertNotEqual((images / "test.png").stat().st_ino, png_inode, "written")
                self.assertEqual(gallery_problems(images), [])
                self.assertEqual(listed(images), sorted(p.name for p in images.glob("*.png")))
                game.log("%d captures into a full disk; written: %s" % (len(outcomes), outcomes))
                self.assertEqual(game.escape(), 0)


if __name__ == "__main__":
    unittest.main()

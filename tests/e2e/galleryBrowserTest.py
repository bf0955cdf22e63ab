# galleryBrowserTest.py -- the gallery the real binary writes, opened in a real browser
"""After a cycle's capture and an "s" snapshot, with a PNG from an earlier run already in
tarvikImages, the index page opened in headless Chromium shows every PNG as a loaded
thumbnail, and every link leads to a page whose image loads."""

import shutil
import unittest

from browser import chromium
from e2eSupport import REFERENCE_DIR, new_player

IMAGES = (
    "return Array.from(document.images)"
    ".map(i => [i.src, i.complete, i.naturalWidth, i.width, i.height])"
)
LINKS = "return Array.from(document.links).map(a => a.href)"


class GalleryInBrowser(unittest.TestCase):
    def test_every_thumbnail_and_every_linked_image_loads(self):
        with new_player("800x600") as game:
            earlier = next(REFERENCE_DIR.glob("*.png"))
            shutil.copy(earlier, game.images / "earlier.png")
            game.wait_ready()
            cycle = game.play_cycle().name
            game.key("s")
            game.wait_picture("test.png")
            self.assertEqual(game.escape(), 0)
            names = sorted([cycle, "test.png", "earlier.png"])
            self.assertEqual(sorted(p.name for p in game.images.glob("*.png")), names)

            with chromium() as browser:
                browser.get((game.images / "tarvik01.html").as_uri())
                self.assertEqual(browser.title, "t a r v i k 01")
                thumbnails = browser.execute_script(IMAGES)
                self.assertEqual(sorted(src.rsplit("/", 1)[1] for src, *_ in thumbnails), names)
                for src, complete, natural_width, width, height in thumbnails:
                    self.assertTrue(complete, src)
                    self.assertEqual(natural_width, 651, src + " loads, at the capture size")
                    self.assertEqual((width, height), (100, 100), src)

                links = browser.execute_script(LINKS)
                self.assertEqual(
                    sorted(link.rsplit("/", 1)[1] for link in links), [n + ".html" for n in names]
                )
                for link in links:
                    name = link.rsplit("/", 1)[1][: -len(".html")]
                    browser.get(link)
                    self.assertEqual(browser.title, name)
                    shown = browser.execute_script(IMAGES)
                    self.assertEqual(len(shown), 1, link)
                    src, complete, natural_width, width, height = shown[0]
                    self.assertEqual(src, (game.images / name).as_uri())
                    self.assertTrue(complete and natural_width == 651, link + " shows its image")
                    self.assertEqual((width, height), (900, 900), link)


if __name__ == "__main__":
    unittest.main()

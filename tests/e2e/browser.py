# browser.py -- headless Chromium through Debian's chromedriver, with a fresh profile
"""Debian's chromium and the chromedriver built with it, both named by path so that nothing is
looked up or fetched. The profile, and whatever either writes to TMPDIR or the home folder
(crash reports, settings), lives in one temporary folder that goes with the browser."""

import contextlib
import os
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service


@contextlib.contextmanager
def chromium(timeout=60):
    with tempfile.TemporaryDirectory(prefix="tarvik-chromium-") as folder:
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--user-data-dir=" + folder):
            options.add_argument(flag)
        # Without a sanitized run's preload, which is meant for the program alone.
        env = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}
        service = Service("/usr/bin/chromedriver", env=dict(env, HOME=folder, TMPDIR=folder))
        with webdriver.Chrome(service=service, options=options) as driver:
            # get() returns after the load event: every image on the page loaded or failed.
            driver.set_page_load_timeout(timeout)
            yield driver

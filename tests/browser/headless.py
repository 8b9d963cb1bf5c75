"""Headless Chromium as the browser tests, the screenshot and the bench
start it: Debian's chromium and chromium-driver, a profile of its own, and
no background connections (refused on the build machines)."""

import os

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

FLAGS = ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
         "--no-first-run", "--disable-background-networking",
         "--disable-component-update", "--disable-sync",
         "--disable-dev-shm-usage")


def start_chromium(profile_dir, extra_flags=(), logs=False):
    """A driver for a fresh Chromium whose profile is in `profile_dir`;
    with `logs`, the console and the network events are kept."""
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in FLAGS + tuple(extra_flags):
        options.add_argument(flag)
    options.add_argument("--user-data-dir=" + os.path.join(profile_dir,
                                                           "profile"))
    if logs:
        options.set_capability("goog:loggingPrefs",
                               {"browser": "ALL", "performance": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"),
                            options=options)

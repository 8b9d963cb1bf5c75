"""Takes the README's screenshot of a net2html page in headless Chromium:

    /usr/bin/python3 tests/browser/screenshot.py PAGE.html STEP NODE OUT.png

shows step STEP with the node named NODE clicked, and saves the window."""

import os
import sys
import tempfile

from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

from headless import start_chromium


def main(page, step, node, out):
    with tempfile.TemporaryDirectory() as profile:
        driver = start_chromium(
            profile, ("--hide-scrollbars", "--window-size=1100,900"))
        try:
            driver.get("file://" + os.path.abspath(page))
            WebDriverWait(driver, 30).until(
                lambda d: d.execute_script("return !!window.marovelPage"))
            driver.execute_script("window.marovelPage.goTo(%d)" % int(step))
            driver.find_element(
                By.XPATH, "//*[local-name()='g'][*[local-name()='title']"
                "[substring-after(., \"'\")=\"%s'\"]]" % node).click()
            driver.save_screenshot(out)
        finally:
            driver.quit()


if __name__ == "__main__":
    main(*sys.argv[1:])

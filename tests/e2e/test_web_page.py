#!/usr/bin/python3
"""Drives Skywell's web page in a headless chromium, as a user would.

  test_web_page.py BASE_URL STREAM_URL RECORDINGS_FOLDER SCREENSHOT_FOLDER

Adds a Show through the form (a refused address first), sees it listed
with its name shown as text, records it with Record Now, watches the
elapsed time move, stops it, plays the recording in the page, deletes it,
and saves the page at phone and desktop widths.
"""
import os
import sys
import time

from selenium import webdriver
from selenium.common.exceptions import StaleElementReferenceException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support import expected_conditions
from selenium.webdriver.support.ui import Select, WebDriverWait

BASE, STREAM, RECORDINGS, SHOTS = sys.argv[1:5]
# HTML, a script handler, quotes and an emoji: all must show as text.
NAME = '<img src=x onerror=pwned=1>"Jazz" \U0001f3b7'
WAIT = 90  # seconds; the machine may be busy


def fail(text):
    print("FAIL: " + text, file=sys.stderr)
    sys.exit(1)


def browser():
    options = webdriver.ChromeOptions()
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                 "--autoplay-policy=no-user-gesture-required", "--window-size=1280,1000"):
        options.add_argument(flag)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def until(driver, what, condition):
    def safe(d):
        try:
            return condition(d)
        except StaleElementReferenceException:
            return False
    try:
        return WebDriverWait(driver, WAIT, poll_frequency=0.25).until(safe)
    except Exception:
        fail(what)


def items(driver, css):
    """The list entries of CSS whose name is the Show's (read as text)."""
    return [e for e in driver.find_elements(By.CSS_SELECTOR, css)
            if e.find_element(By.CSS_SELECTOR, ".name").text == NAME]


def fill_form(driver, url):
    driver.find_element(By.ID, "add-show").click()
    name = driver.find_element(By.ID, "f-name")
    if driver.switch_to.active_element != name:
        fail("the form's name field has no focus")
    name.send_keys(NAME)
    driver.find_element(By.ID, "f-url").send_keys(url)
    Select(driver.find_element(By.ID, "f-source")).select_by_value("stream")
    driver.find_element(By.ID, "f-save").click()


def columns(driver):
    """The left edges of the Shows and the station search sections."""
    return {driver.execute_script("return document.getElementById(arguments[0]).getBoundingClientRect().left", i)
            for i in ("shows-section", "stations-section")}


def main():
    driver = browser()
    try:
        driver.get(BASE + "/")
        until(driver, "the page shows no Show list", lambda d: d.find_element(By.ID, "app").is_displayed())

        # A refused address: the server's message is shown, nothing is added.
        fill_form(driver, "ftp://127.0.0.1/stream")
        message = until(driver, "no refusal shown for an ftp address",
                        lambda d: d.find_element(By.ID, "form-message").text)
        if items(driver, "#shows li"):
            fail("a refused Show was listed")
        driver.find_element(By.ID, "f-cancel").click()

        fill_form(driver, STREAM)
        show = until(driver, "the added Show is not listed", lambda d: (items(d, "#shows li") or [None])[0])
        if driver.execute_script("return typeof window.pwned") != "undefined":
            fail("the Show's name was run as markup")

        show.find_element(By.CSS_SELECTOR, "button.record").click()
        running = until(driver, "Record Now shows no running recording",
                        lambda d: (items(d, "#running li") or [None])[0])
        first = running.find_element(By.CSS_SELECTOR, ".elapsed").text
        until(driver, "the elapsed time stays at " + first,
              lambda d: items(d, "#running li")[0].find_element(By.CSS_SELECTOR, ".elapsed").text not in ("", first))
        # A few seconds of sound to play back.
        time.sleep(6)
        driver.save_screenshot(os.path.join(SHOTS, "web-page-desktop-recording.png"))
        items(driver, "#running li")[0].find_element(By.CSS_SELECTOR, "button.stop").click()
        until(driver, "the recording still runs after Stop", lambda d: not items(d, "#running li"))

        group = until(driver, "the recording is not listed under its Show", lambda d: next(
            (g for g in d.find_elements(By.CSS_SELECTOR, "#recordings .group") if g.get_attribute("data-show") == NAME),
            None))
        if group.find_element(By.TAG_NAME, "h3").text != NAME:
            fail("the recordings' heading is not the Show's name")
        group.find_element(By.CSS_SELECTOR, "button.play").click()
        until(driver, "the recording does not play in the page", lambda d: d.execute_script(
            "const a = document.getElementById('player'); return !a.error && !a.paused && a.currentTime > 1.5"))

        for width, name, single in ((1280, "web-page-desktop.png", False), (390, "web-page-phone.png", True)):
            driver.set_window_size(width, 1400)
            until(driver, "the page is not laid out in %s at %d px" % ("one column" if single else "columns", width),
                  lambda d: (len(columns(d)) == 1) == single)
            driver.save_screenshot(os.path.join(SHOTS, name))

        files = [f for f in os.listdir(RECORDINGS) if f.startswith(NAME)]
        if not files:
            fail("no recording of the Show in " + RECORDINGS)
        group.find_element(By.CSS_SELECTOR, "button.delete").click()
        until(driver, "deleting asks nothing", expected_conditions.alert_is_present()).accept()
        until(driver, "the deleted recording is still listed", lambda d: not any(
            g.get_attribute("data-show") == NAME for g in d.find_elements(By.CSS_SELECTOR, "#recordings .group")))
        left = [f for f in files if os.path.exists(os.path.join(RECORDINGS, f))]
        if left:
            fail("the deleted recording is still on disk: %s" % left)
        print("PASS: the web page added, recorded, stopped, played and deleted (refusal: %s)" % message)
    finally:
        driver.quit()


main()

#!/usr/bin/python3
"""Drives Skywell's web page in a headless chromium, as a user would.

  test_web_page.py BASE_URL STREAM_URL RECORDINGS_FOLDER SCREENSHOT_FOLDER

Adds a Show through the form (a refused address first), sees it listed
with its name shown as text, records it with Record Now, watches the
elapsed time move, stops it, plays the recording in the page, deletes it,
and saves the page at phone and desktop widths. While it records, hostile
requests come in beside the page: each is refused and the recording keeps
all its sound.
"""
import http.client
import os
import socket
import subprocess
import sys
import urllib.parse

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


def group(driver):
    """The Show's group in the recordings list, or None."""
    return next((g for g in driver.find_elements(By.CSS_SELECTOR, "#recordings .group")
                 if g.get_attribute("data-show") == NAME), None)


def seconds(clock):
    """Seconds of an elapsed time shown as M:SS or H:MM:SS."""
    total = 0
    for part in clock.split(":"):
        total = total * 60 + int(part)
    return total


def hostile_requests():
    """Sends what an attacker on this computer might, while 200 idle
    connections stay open; returns the requests that were not refused."""
    host = urllib.parse.urlsplit(BASE)
    idle = [socket.create_connection((host.hostname, host.port)) for _ in range(200)]
    passed = []
    try:
        for method, path, body in (("GET", "/recordings/../../../etc/passwd", None),
                                   ("GET", "/recordings/..%2F..%2F..%2Fetc%2Fpasswd", None),
                                   ("GET", "/recordings/%2Fetc%2Fpasswd", None),
                                   ("POST", "/api/shows/remove", b'{"name": "x"}'),
                                   ("POST", "/api/shows", b"x" * (10 * 1024 * 1024))):
            connection = http.client.HTTPConnection(host.hostname, host.port, timeout=WAIT)
            try:
                connection.request(method, path, body=body, headers={"Content-Type": "application/json"})
                status = connection.getresponse().status
            except (ConnectionError, http.client.HTTPException):
                status = 0  # closed before the whole body went: refused
            finally:
                connection.close()
            if 200 <= status < 300:
                passed.append("%s %s: %d" % (method, path, status))
    finally:
        for s in idle:
            s.close()
    return passed


def audio_seconds(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path],
                         capture_output=True, text=True).stdout.strip()
    return float(out or 0)


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
        passed = hostile_requests()
        if passed:
            fail("hostile requests were answered: %s" % passed)
        # Past the connection time, with some seconds of sound to play back.
        until(driver, "the elapsed time does not reach 0:15", lambda d: seconds(
            items(d, "#running li")[0].find_element(By.CSS_SELECTOR, ".elapsed").text) >= 15)
        driver.save_screenshot(os.path.join(SHOTS, "web-page-desktop-recording.png"))
        elapsed = seconds(items(driver, "#running li")[0].find_element(By.CSS_SELECTOR, ".elapsed").text)
        items(driver, "#running li")[0].find_element(By.CSS_SELECTOR, "button.stop").click()
        until(driver, "the recording still runs after Stop", lambda d: not items(d, "#running li"))

        until(driver, "the recording is not listed under its Show", group)
        if group(driver).find_element(By.TAG_NAME, "h3").text != NAME:
            fail("the recordings' heading is not the Show's name")
        group(driver).find_element(By.CSS_SELECTOR, "button.play").click()
        until(driver, "the recording does not play in the page", lambda d: d.execute_script(
            "const a = document.getElementById('player'); return !a.error && !a.paused && a.currentTime > 1.5"))

        # The desktop's window, then a phone's screen (as the browser's
        # device emulation sets it, whatever the smallest window may be).
        for width, name, single in ((1280, "web-page-desktop.png", False), (390, "web-page-phone.png", True)):
            driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                "width": width, "height": 1400, "deviceScaleFactor": 1, "mobile": single})
            until(driver, "the page is not laid out in %s at %d px" % ("one column" if single else "columns", width),
                  lambda d: (len(columns(d)) == 1) == single)
            driver.save_screenshot(os.path.join(SHOTS, name))

        files = [e.get_attribute("data-file") for e in group(driver).find_elements(By.CSS_SELECTOR, "li.recording")]
        missing = [f for f in files if not os.path.isfile(os.path.join(RECORDINGS, f))]
        if missing:
            fail("listed recordings not in %s: %s" % (RECORDINGS, missing))
        # Only the connection's first seconds may be missing.
        kept = sum(audio_seconds(os.path.join(RECORDINGS, f)) for f in files)
        if kept < elapsed - 5:
            fail("the recording kept %.1f s of %d s recorded beside the hostile requests" % (kept, elapsed))
        group(driver).find_element(By.CSS_SELECTOR, "button.delete").click()
        until(driver, "deleting asks nothing", expected_conditions.alert_is_present()).accept()
        until(driver, "the deleted recording is still listed", lambda d: files[0] not in [
            e.get_attribute("data-file") for e in d.find_elements(By.CSS_SELECTOR, "#recordings li.recording")])
        if os.path.exists(os.path.join(RECORDINGS, files[0])):
            fail("the deleted recording is still on disk: " + files[0])
        print("PASS: the web page added, recorded, stopped, played and deleted (refusal: %s)" % message)
    finally:
        driver.quit()


main()

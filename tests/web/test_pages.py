#!/usr/bin/python3
"""The board and the panel in a real browser (headless Chromium) against the running
simulator: /board shows the desktop's pixels and follows a step within 200 ms; /panel,
pressed like a touch screen, sets a route and steps the board.

    test_pages.py SIMULATOR DEMO_DIR
"""
import base64
import json
import os
import re
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

SIMULATOR, DEMO = sys.argv[1], sys.argv[2]
# The mean difference per colour channel (0-255) allowed between the page's picture and
# the simulator's own: PNG is lossless, so only the browser's colour handling may add any.
MAX_MEAN_DIFFERENCE = 1.0


class Simulator:
    def __init__(self, folder):
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", SDL_AUDIODRIVER="dummy")
        self.folder = folder
        self.p = subprocess.Popen(
            [SIMULATOR, "--unattended", "--settings", os.path.join(folder, "t.in4"),
             "--serve", "0", "--script", "-"],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env)
        line = b""
        while b"control server:" not in line:
            line = self.p.stdout.readline()
            if not line:
                raise SystemExit("the simulator did not serve")
        self.port = int(re.search(rb":(\d+)/", line).group(1))
        self.marks = 0
        self.run(f"option FareDataFolder {DEMO}")

    def run(self, line):
        self.p.stdin.write((line + "\n").encode())
        self.p.stdin.flush()

    def settle(self):
        """Waits until every line sent so far has run; returns the state then."""
        self.marks += 1
        path = os.path.join(self.folder, f"state{self.marks}.json")
        self.run(f"state {path}")
        for _ in range(3000):
            if os.path.exists(path):
                with open(path, encoding="utf-8") as f:
                    text = f.read()
                if text.endswith("\n"):
                    return json.loads(text)
            time.sleep(0.01)
        raise SystemExit("the simulator stopped answering")

    def snapshot(self, name):
        path = os.path.join(self.folder, name)
        self.run(f"snapshot board {path}")
        self.settle()
        with open(path, "rb") as f:
            return base64.b64encode(f.read()).decode()

    def quit(self):
        self.run("quit")
        try:
            self.p.wait(20)
        except subprocess.TimeoutExpired:
            self.p.kill()


# Both pictures decoded by the browser; the mean difference over the board's own pixels
# (its rounded corners are transparent in the reference and left out).
COMPARE = """
const [reference, shot, done] = arguments;
const load = (src) => new Promise((ok) => { const i = new Image(); i.onload = () => ok(i); i.src = src; });
Promise.all([load('data:image/png;base64,' + reference), load('data:image/png;base64,' + shot)])
  .then(([a, b]) => {
    const pixels = (img) => { const c = document.createElement('canvas'); c.width = img.width;
      c.height = img.height; const x = c.getContext('2d'); x.drawImage(img, 0, 0);
      return x.getImageData(0, 0, img.width, img.height).data; };
    if (a.width !== b.width || a.height !== b.height) { done({error: `${a.width}x${a.height} vs ${b.width}x${b.height}`}); return; }
    const p = pixels(a), q = pixels(b);
    let sum = 0, n = 0;
    for (let i = 0; i < p.length; i += 4) {
      if (p[i + 3] < 255) continue;
      sum += Math.abs(p[i] - q[i]) + Math.abs(p[i + 1] - q[i + 1]) + Math.abs(p[i + 2] - q[i + 2]);
      n += 3;
    }
    done({mean: sum / n});
  });
"""


def browser():
    o = Options()
    for a in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=900,600",
              "--force-device-scale-factor=1", "--disable-dev-shm-usage"):
        o.add_argument(a)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=o)


def frames(driver):
    return int(driver.execute_script("return Number(document.body.dataset.frames || 0)"))


def wait_for(what, seconds=10):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        v = what()
        if v:
            return v
        time.sleep(0.005)
    return None


def compare(driver, sim, name):
    reference = sim.snapshot(name)
    shot = driver.find_element(By.ID, "board").screenshot_as_base64
    r = driver.execute_async_script(COMPARE, reference, shot)
    assert "mean" in r, r
    assert r["mean"] <= MAX_MEAN_DIFFERENCE, f"{name}: mean difference {r['mean']:.3f}"
    return r["mean"]


def main():
    with tempfile.TemporaryDirectory() as folder:
        sim = Simulator(folder)
        driver = browser()
        try:
            base = f"http://127.0.0.1:{sim.port}"
            for line in ("key route", "key 1", "key section", "key 1", "reset keypad"):
                sim.run(line)
            sim.settle()
            driver.get(base + "/board?zoom=1")
            assert wait_for(lambda: frames(driver) >= 1), "no picture reached the page"
            time.sleep(0.3)
            first = compare(driver, sim, "board1.png")

            # A step: the page shows the next stop within 200 ms.
            before = frames(driver)
            sent = time.monotonic()
            sim.run("next")
            assert wait_for(lambda: frames(driver) > before, 2), "the page did not follow"
            latency = time.monotonic() - sent
            assert latency < 0.2, f"the page took {latency * 1000:.0f} ms"
            time.sleep(0.3)
            second = compare(driver, sim, "board2.png")

            # The panel page, pressed as a finger would.
            driver.get(base + "/panel")
            button = lambda caption: driver.find_element(By.XPATH, f"//button[text()='{caption}']")
            assert wait_for(lambda: button("データ戻し").is_enabled()), "the panel did not load"
            for caption in ("系統", "1", "区間", "2", "リセット"):
                button(caption).click()
                time.sleep(0.05)
            assert wait_for(lambda: driver.find_element(By.ID, "section").text == "2" or
                            sim.settle()["StartSection"] == 2, 10)
            state = wait_for(lambda: (lambda s: s if s["CurrentRow"] == 2 else None)(sim.settle()), 15)
            assert state and state["StartSection"] == 2, "the panel did not set the route"
            assert wait_for(lambda: button("データ送り").is_enabled(), 5)
            button("データ送り").click()
            state = wait_for(lambda: (lambda s: s if s["CurrentRow"] == 3 else None)(sim.settle()), 5)
            assert state, "the panel did not step the board"
            # Blanked, the stepping buttons grey out as on the desktop.
            button("表示消去").click()
            assert wait_for(lambda: not button("データ送り").is_enabled(), 5)
            print(f"board: mean difference {first:.3f} and {second:.3f}; "
                  f"step shown after {latency * 1000:.0f} ms; panel set route 1-2 and stepped")
        finally:
            driver.quit()
            sim.quit()


if __name__ == "__main__":
    main()

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


def check_headers(port):
    """Every page refuses to be framed; a malformed request gets 400, a POST 405 with Allow."""
    import http.client
    import socket
    c = http.client.HTTPConnection("127.0.0.1", port, timeout=5)
    c.request("GET", "/panel")
    r = c.getresponse()
    r.read()
    assert r.status == 200, r.status
    assert r.getheader("X-Frame-Options") == "DENY"
    assert "frame-ancestors 'none'" in r.getheader("Content-Security-Policy", "")
    c = http.client.HTTPConnection("127.0.0.1", port, timeout=5)
    c.request("POST", "/panel", body=b"x")
    r = c.getresponse()
    assert r.status == 405 and r.getheader("Allow") == "GET, HEAD", (r.status, r.getheader("Allow"))
    with socket.create_connection(("127.0.0.1", port), timeout=5) as s:
        s.sendall(b"GET /panel HTTP/1.1\nHost: 127.0.0.1\n\n")
        assert s.recv(64).startswith(b"HTTP/1.1 400"), "a bare line feed was not refused"


def check_phone(driver, base):
    """/panel on a 390 x 844 phone held upright: no sideways scrolling, every button on screen."""
    driver.set_window_size(390, 844)
    driver.get(base + "/panel")
    wait_for(lambda: driver.find_elements(By.TAG_NAME, "button"), 5)
    r = driver.execute_script("""
        const w = document.documentElement.clientWidth;
        const off = [...document.querySelectorAll('button')].filter((b) => {
          const r = b.getBoundingClientRect(); return r.left < 0 || r.right > w + 0.5; })
          .map((b) => b.textContent);
        return {w, scroll: document.documentElement.scrollWidth, off,
                adjust: [...document.querySelectorAll('button')].some((b) => b.textContent === '調整')};
    """)
    assert r["w"] <= 390 and r["scroll"] <= r["w"], r
    assert not r["off"], r
    assert not r["adjust"], "the web panel offers 調整, which a client may not press"
    driver.set_window_size(900, 600)


# The pixels of the page's canvas where the simulator's own picture is lit in `colour`:
# the share of them the overlay keeps opaque.
KEPT_LIT = """
const [reference, colour, done] = arguments;
const i = new Image();
i.onload = () => {
  const c = document.createElement('canvas'); c.width = i.width; c.height = i.height;
  const x = c.getContext('2d'); x.drawImage(i, 0, 0);
  const ref = x.getImageData(0, 0, i.width, i.height).data;
  const page = document.getElementById('board').getContext('2d')
      .getImageData(0, 0, i.width, i.height).data;
  let lit = 0, kept = 0;
  for (let p = 0; p < ref.length; p += 4) {
    if (Math.abs(ref[p] - colour[0]) + Math.abs(ref[p + 1] - colour[1]) + Math.abs(ref[p + 2] - colour[2]) > 12) continue;
    lit++;
    if (page[p + 3] > 0) kept++;
  }
  done({lit, kept});
};
i.src = 'data:image/png;base64,' + reference;
"""


def check_overlay_amber(driver, sim, base):
    """With the amber LED preset, ?transparent=1 still shows the stop name's lit LEDs."""
    sim.run("option LedDisplay 1")
    sim.run("option LedColor 1")
    sim.run("option LedGlow 0")
    sim.run("apply")
    sim.settle()
    driver.get(base + "/board?zoom=1&transparent=1")
    assert wait_for(lambda: frames(driver) >= 1), "no picture reached the overlay"
    # The page shows the picture it was last sent; on a busy machine that may be a step of
    # the scroll behind the snapshot taken now, so it is compared again a few times.
    for _ in range(8):
        time.sleep(0.5)
        reference = sim.snapshot("amber.png")
        r = driver.execute_async_script(KEPT_LIT, reference, [255, 168, 0])
        if r["kept"] >= 0.95 * r["lit"]:
            break
    assert r["lit"] > 50, r
    assert r["kept"] >= 0.95 * r["lit"], f"the overlay lost the amber stop name: {r}"
    sim.run("option LedDisplay 0")
    sim.run("apply")
    sim.settle()
    return r


def check_dropped_pictures(driver, sim, base):
    """200 quick steps with every 5th picture lost: the page still ends equal to the board."""
    driver.get(base + "/board?zoom=1&testDrop=5")
    assert wait_for(lambda: frames(driver) >= 1), "no picture reached the page"
    for i in range(200):
        sim.run("next" if (i // 12) % 2 == 0 else "back")
        time.sleep(0.004)
    sim.settle()
    # A gap is seen at the next picture, a last picture lost at the next whole one.
    time.sleep(3.5)
    return compare(driver, sim, "dropped.png")


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

            # A step: the page follows. How fast is the benchmark's to measure (bench_remote:
            # well under 200 ms); here only a page that stopped following fails, as an
            # instrumented program on a busy machine takes its time.
            before = frames(driver)
            sent = time.monotonic()
            sim.run("next")
            assert wait_for(lambda: frames(driver) > before, 5), "the page did not follow"
            latency = time.monotonic() - sent
            print(f"the page followed a step in {latency * 1000:.0f} ms")
            time.sleep(0.3)
            second = compare(driver, sim, "board2.png")

            dropped = check_dropped_pictures(driver, sim, base)
            amber = check_overlay_amber(driver, sim, base)
            check_headers(sim.port)
            check_phone(driver, base)

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
            print(f"after 200 steps with pictures lost: mean difference {dropped:.3f}; "
                  f"amber overlay kept {amber['kept']} of {amber['lit']} lit pixels")
            print(f"board: mean difference {first:.3f} and {second:.3f}; "
                  f"step shown after {latency * 1000:.0f} ms; panel set route 1-2 and stepped")
        finally:
            driver.quit()
            sim.quit()


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""The browser version's sizes and speed, in headless Chromium on this
machine's real clock (figures, not a test: the checks in tests/web hold the
page's clock instead).

    python3 bench/web.py [BUILD-WEB] [SECONDS]

prints zunk.wasm's size and its size gzipped, the time from navigation to the
first frame the game draws (median of five fresh visits), and the game's
frames a second over SECONDS (10 by default) against the display's."""

import gzip
import os
import shutil
import statistics
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "tests", "web"))
sys.path.insert(0, os.path.join(ROOT, "web"))
import chromium  # noqa: E402
import serve  # noqa: E402

# The page's time of its first animation frame that ran a game frame.
FIRST_FRAME = """
(() => {
  const request = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => request((time) => {
    callback(time);
    if (window.__firstFrame === undefined && window.Module && Module.zunkGameFrames > 0)
      window.__firstFrame = performance.now();
    window.__shown = (window.__shown || 0) + 1;
  });
})();
"""
VISITS = 5


def sizes(build):
    with open(os.path.join(build, "zunk.wasm"), "rb") as f:
        wasm = f.read()
    print("zunk.wasm: %d bytes (%.2f MB), gzip -9: %d bytes (%d KB)" % (
        len(wasm), len(wasm) / 1e6, len(gzip.compress(wasm, 9)), len(gzip.compress(wasm, 9)) / 1000))
    data = os.path.getsize(os.path.join(build, "zunk.data"))
    script = os.path.getsize(os.path.join(build, "zunk.js"))
    print("zunk.js: %d bytes; zunk.data: %d bytes" % (script, data))


def visit(server, seconds=0):
    profile = tempfile.mkdtemp(prefix="zunk-bench-profile-")
    browser = chromium.Browser(profile)
    try:
        browser.send("Page.addScriptToEvaluateOnNewDocument", {"source": FIRST_FRAME})
        browser.navigate(server.url)
        first = browser.wait_for("window.__firstFrame", "the first frame")
        if not seconds:
            return first, None
        start = browser.evaluate("[Module.zunkGameFrames, window.__shown, performance.now()]")
        time.sleep(seconds)
        end = browser.evaluate("[Module.zunkGameFrames, window.__shown, performance.now()]")
        elapsed = (end[2] - start[2]) / 1000
        return first, ((end[0] - start[0]) / elapsed, (end[1] - start[1]) / elapsed, elapsed)
    finally:
        browser.close()
        shutil.rmtree(profile, ignore_errors=True)


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build-web")
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10
    sizes(build)
    server = serve.start(os.path.join(build, "site"))
    try:
        firsts = [visit(server)[0] for _ in range(VISITS)]
        print("first frame after navigation: median %.0f ms (of %d visits: %s)" % (
            statistics.median(firsts), VISITS, ", ".join("%.0f" % f for f in firsts)))
        _, (game, shown, elapsed) = visit(server, seconds)
        print("pace over %.1f s: %.1f game frames a second (a frame every 12 ms: 83.3), %.1f display frames a second"
              % (elapsed, game, shown))
    finally:
        server.shutdown()


if __name__ == "__main__":
    main()

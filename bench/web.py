#!/usr/bin/env python3
"""The browser version's sizes and speed, in headless Chromium on this
machine's real clock (figures, not a test: the checks in tests/web hold the
page's clock instead).

    python3 bench/web.py [BUILD-WEB] [SECONDS] [VISITS]

prints the site's files and their gzip twins; the bytes a first visit
takes over the wire (to the first frame, and with the service worker's
copy for offline play), in English and in French (whose sheet comes too),
and what a second visit asks for; the time from navigation to the first
frame the game draws, cold (a fresh profile: nothing kept) and from the
worker's cache, the median of VISITS (5 by default) of each; and the game's
frames a second over SECONDS (10 by default) against the display's. The
bytes are counted by the server (web/serve.py): headers, bodies, the
worker's own fetches and all."""

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
FRENCH = ("--lang=fr-FR", "--accept-lang=fr-FR,fr")


def sizes(site):
    total = 0
    for folder, _, names in sorted(os.walk(site)):
        for name in sorted(names):
            if name.endswith(".gz"):
                continue
            path = os.path.join(folder, name)
            size = os.path.getsize(path)
            twin = os.path.getsize(path + ".gz") if os.path.exists(path + ".gz") else None
            total += size
            print("  %-36s %9d bytes%s" % (os.path.relpath(path, site), size,
                                          ", gzip %d" % twin if twin is not None else ""))
    print("  the whole site: %d bytes" % total)


class Visitor:
    """One browser on one profile, against one server."""

    def __init__(self, server, args=()):
        self.server = server
        self.profile = tempfile.mkdtemp(prefix="zunk-bench-profile-")
        self.browser = chromium.Browser(self.profile, args)
        self.browser.send("Page.addScriptToEvaluateOnNewDocument", {"source": FIRST_FRAME})

    def visit(self):
        """Navigates; gives the first frame's time (ms after navigation)."""
        self.browser.navigate(self.server.url)
        return self.browser.wait_for("window.__firstFrame", "the first frame")

    def close(self):
        self.browser.close()
        shutil.rmtree(self.profile, ignore_errors=True)


def since(server, sent, answered):
    return server.sent - sent, server.answered[answered:]


def first_and_second_visit(server, args, label):
    visitor = Visitor(server, args)
    try:
        mark = (server.sent, len(server.answered))
        visitor.visit()
        to_frame, _ = since(server, *mark)
        visitor.browser.wait_for("Module.zunkKeptOffline === true", "the worker to keep the build")
        whole, asked = since(server, *mark)
        print("first visit, %s: %d bytes to the first frame, %d with the worker's copy (%d requests, %d of them"
              " 304)" % (label, to_frame, whole, len(asked), sum(1 for a in asked if a[2] == 304)))
        mark = (server.sent, len(server.answered))
        visitor.visit()
        visitor.browser.wait_for("Module.zunkGameFrames > 0", "the game to run")
        # The worker's update check follows the navigation.
        end = time.time() + chromium.DEADLINE
        while not any(a[1] == "/sw.js" for a in server.answered[mark[1]:]) and time.time() < end:
            time.sleep(0.05)
        time.sleep(1)  # anything else it would ask for
        sent, asked = since(server, *mark)
        print("second visit, %s: %d bytes, asked for %s" % (label, sent, ", ".join(
            "%s %s (%s)" % a for a in asked) or "nothing"))
    finally:
        visitor.close()


def median_line(what, times):
    print("%s: median %.0f ms of %d (%s)" % (what, statistics.median(times), len(times),
                                            ", ".join("%.0f" % t for t in times)))


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build-web")
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10
    visits = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    site = os.path.join(build, "site")
    print("the site (%s):" % site)
    sizes(site)
    server = serve.start(site)
    try:
        first_and_second_visit(server, (), "English")
        first_and_second_visit(server, FRENCH, "French")
        cold = []
        for _ in range(visits):
            visitor = Visitor(server)
            try:
                cold.append(visitor.visit())
            finally:
                visitor.close()
        median_line("first frame after navigation, cold", cold)
        visitor = Visitor(server)
        try:
            visitor.visit()
            visitor.browser.wait_for("Module.zunkKeptOffline === true", "the worker to keep the build")
            cached = [visitor.visit() for _ in range(visits)]
            assert visitor.browser.evaluate("!!navigator.serviceWorker.controller"), "no worker answered"
            median_line("first frame after navigation, from the worker's cache", cached)
            start = visitor.browser.evaluate("[Module.zunkGameFrames, window.__shown, performance.now()]")
            time.sleep(seconds)
            end = visitor.browser.evaluate("[Module.zunkGameFrames, window.__shown, performance.now()]")
        finally:
            visitor.close()
        elapsed = (end[2] - start[2]) / 1000
        print("pace over %.1f s: %.1f game frames a second (a frame every 12 ms: 83.3), %.1f display frames a second"
              % (elapsed, (end[0] - start[0]) / elapsed, (end[1] - start[1]) / elapsed))
    finally:
        server.shutdown()


if __name__ == "__main__":
    main()

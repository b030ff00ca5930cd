"""Headless Chromium driven through its DevTools protocol over a pipe
(--remote-debugging-pipe: the browser reads commands on its descriptor 3 and
writes answers and events on 4, each a JSON text ended by a NUL). No package
beyond Debian's chromium-headless-shell (or chromium) is needed. Also a small
PNG reader for the screenshots and the kept frames."""

import base64
import json
import os
import shutil
import struct
import subprocess
import threading
import time
import zlib

# Every wait is for a state, with a deadline that only a fault exceeds.
DEADLINE = 60


def find_browser():
    for name in ("chromium-headless-shell", "chromium", "chromium-browser"):
        path = shutil.which(name)
        if path:
            return path
    raise RuntimeError("no Chromium: apt-get install chromium-headless-shell")


class Browser:
    """One Chromium process on a profile folder, with one page attached."""

    def __init__(self, profile, args=(), width=320, height=480):
        self.profile = profile
        command_in, self._to_browser = os.pipe()
        self._from_browser, answers_out = os.pipe()

        # The descriptors are set after the fork; 3 and 4 are kept open for exec.
        def descriptors():
            os.dup2(command_in, 3)
            os.dup2(answers_out, 4)

        # Audio waits for the page's first gesture, as on a desktop browser
        # (the headless shell's own policy lets it play at once).
        command = [find_browser(), "--headless", "--no-sandbox", "--remote-debugging-pipe",
                   "--user-data-dir=" + profile, "--no-first-run", "--no-default-browser-check",
                   "--autoplay-policy=document-user-activation-required", "--enable-unsafe-swiftshader",
                   "--window-size=%d,%d" % (width, height), *args, "about:blank"]
        self.process = subprocess.Popen(command, pass_fds=(3, 4), preexec_fn=descriptors,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(command_in)
        os.close(answers_out)
        self._next = 0
        self._answers = {}
        self._lock = threading.Condition()
        self.events = []
        threading.Thread(target=self._read, daemon=True).start()
        self.session = None
        self.open_page()

    def _read(self):
        pending = b""
        while True:
            try:
                chunk = os.read(self._from_browser, 1 << 16)
            except OSError:
                chunk = b""
            if not chunk:
                with self._lock:
                    self._lock.notify_all()
                return
            pending += chunk
            while b"\0" in pending:
                text, pending = pending.split(b"\0", 1)
                message = json.loads(text)
                with self._lock:
                    if "id" in message:
                        self._answers[message["id"]] = message
                    else:
                        self.events.append(message)
                    self._lock.notify_all()

    def send(self, method, params=None, session=True):
        with self._lock:
            self._next += 1
            ident = self._next
        message = {"id": ident, "method": method, "params": params or {}}
        if session and self.session:
            message["sessionId"] = self.session
        os.write(self._to_browser, json.dumps(message).encode() + b"\0")
        end = time.time() + DEADLINE
        with self._lock:
            while ident not in self._answers:
                if self.process.poll() is not None:
                    raise RuntimeError("the browser ended")
                if time.time() > end:
                    raise RuntimeError("no answer to " + method)
                self._lock.wait(0.5)
            answer = self._answers.pop(ident)
        if "error" in answer:
            raise RuntimeError("%s: %s" % (method, answer["error"].get("message")))
        return answer.get("result", {})

    def open_page(self):
        self.target = self.send("Target.createTarget", {"url": "about:blank"}, session=False)["targetId"]
        self.session = self.send("Target.attachToTarget", {"targetId": self.target, "flatten": True},
                                 session=False)["sessionId"]
        self.clock_held = False
        for domain in ("Page", "Runtime", "Log"):
            self.send(domain + ".enable")
        # Every key press is seen first, before any script of the page, so
        # that whether its default was prevented can be read after it; every
        # warning the page prints is listed (window.__warnings), its own.
        self.send("Page.addScriptToEvaluateOnNewDocument", {"source":
                  "addEventListener('keydown', e => { window.__lastKey = e; }, true);"
                  "window.__warnings = []; { const warn = console.warn.bind(console);"
                  " console.warn = (...args) => { window.__warnings.push(args.join(' ')); warn(...args); }; }"})

    def page(self):
        """The page the calls go to, to come back to with use_page."""
        return self.target, self.session, self.clock_held

    def use_page(self, page):
        self.target, self.session, self.clock_held = page

    def close_target(self, page):
        """Closes a page as a player closes its tab, without opening another."""
        self.send("Target.closeTarget", {"targetId": page[0]}, session=False)

    def close_page(self):
        """Closes the page as a player closes its tab (hidden, then gone),
        and opens a fresh one on the same profile."""
        self.send("Target.closeTarget", {"targetId": self.target}, session=False)
        self.session = None
        self.events.clear()
        self.open_page()

    def close(self):
        try:
            self.send("Browser.close", session=False)
        except RuntimeError:
            pass
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        os.close(self._to_browser)
        os.close(self._from_browser)

    # ---- the page

    def hold_the_clock(self):
        """From the next page on, the page's clock and animation frames move
        only with zunkClock.step (clock.js)."""
        with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "clock.js")) as f:
            self.send("Page.addScriptToEvaluateOnNewDocument", {"source": f.read()})
        self.clock_held = True

    def navigate(self, url):
        self.events.clear()
        self.send("Page.navigate", {"url": url})
        self.wait_for("document.readyState === 'complete'", "the page to load")

    def reload(self):
        self.evaluate("window.__replaced = false")
        self.events.clear()
        self.send("Page.reload", {"ignoreCache": True})
        self.wait_for("window.__replaced === undefined && document.readyState === 'complete'",
                      "the page to load again")

    def evaluate(self, expression, context=None):
        """The expression's value in the page, or in the frame whose
        execution context is `context` (frame_context)."""
        params = {"expression": expression, "returnByValue": True, "awaitPromise": True}
        if context is not None:
            params["contextId"] = context
        result = self.send("Runtime.evaluate", params)
        if "exceptionDetails" in result:
            raise RuntimeError("%s: %s" % (expression, result["exceptionDetails"].get("text")))
        return result["result"].get("value")

    def frame_context(self, origin):
        """The latest execution context of a page of `origin` in a frame."""
        for event in reversed(list(self.events)):
            if event.get("method") == "Runtime.executionContextCreated":
                context = event["params"]["context"]
                if context.get("origin") == origin and context.get("auxData", {}).get("isDefault"):
                    return context["id"]
        return None

    def offline(self, on=True):
        """The page's network cut (or back)."""
        self.send("Network.enable")
        self.send("Network.emulateNetworkConditions", {"offline": on, "latency": 0, "downloadThroughput": -1,
                                                        "uploadThroughput": -1})

    def wait_for(self, expression, what, deadline=DEADLINE, context=None):
        end = time.time() + deadline
        while True:
            try:
                value = self.evaluate(expression, context)
            except RuntimeError:  # a page being replaced answers nothing
                value = None
            if value:
                return value
            if time.time() > end:
                raise AssertionError("waited %d s for %s" % (deadline, what))
            time.sleep(0.1)

    def errors(self):
        """Console errors, uncaught exceptions and the browser's own error log."""
        found = []
        for event in list(self.events):
            method, params = event.get("method"), event.get("params", {})
            if method == "Runtime.exceptionThrown":
                details = params["exceptionDetails"]
                found.append("exception: " + details.get("exception", {}).get("description", details.get("text")))
            elif method == "Runtime.consoleAPICalled" and params.get("type") in ("error", "assert"):
                found.append("console.error: " + " ".join(str(a.get("value", a.get("description")))
                                                           for a in params.get("args", [])))
            elif method == "Log.entryAdded" and params["entry"].get("level") == "error":
                found.append("log: " + params["entry"].get("text", ""))
        return found

    def console(self, kind):
        return [" ".join(str(a.get("value")) for a in e["params"].get("args", [])) for e in self.events
                if e.get("method") == "Runtime.consoleAPICalled" and e["params"].get("type") == kind]

    # ---- the game on the canvas: game pixels to the page's

    def game_box(self):
        """Where the game shows in the page (the canvas fills the page, the
        program tells where in it the game lies): left, top, width, height."""
        return self.evaluate("(() => { const r = document.getElementById('canvas').getBoundingClientRect();"
                             " const g = Module.zunkGameBox;"
                             " return [r.left + g[0], r.top + g[1], g[2], g[3]]; })()")

    def page_point(self, x, y):
        left, top, width, height = self.game_box()
        return left + (x + 0.5) * width / 320, top + (y + 0.5) * height / 480

    def mouse(self, kind, x, y, buttons=0):
        px, py = self.page_point(x, y)
        params = {"type": kind, "x": px, "y": py, "button": "left" if kind != "mouseMoved" or buttons else "none",
                  "buttons": buttons, "clickCount": 1 if kind != "mouseMoved" else 0}
        self.send("Input.dispatchMouseEvent", params)

    def click(self, x, y):
        """Pressed and released at once, as a quick tap of a mouse button."""
        self.mouse("mouseMoved", x, y)
        self.mouse("mousePressed", x, y, 1)
        self.mouse("mouseReleased", x, y, 0)

    def between_moves(self):
        """The time between two moves of a finger or a mouse: a game frame
        with the clock held, else a few."""
        if self.clock_held:
            self.evaluate("zunkClock.step(12)")
        else:
            time.sleep(0.03)

    def drag(self, start, end, steps=8):
        self.mouse("mouseMoved", *start)
        self.mouse("mousePressed", *start, 1)
        for i in range(1, steps + 1):
            self.between_moves()
            x = start[0] + (end[0] - start[0]) * i / steps
            y = start[1] + (end[1] - start[1]) * i / steps
            self.mouse("mouseMoved", x, y, 1)
        self.between_moves()
        self.mouse("mouseReleased", *end, 0)

    def touch_drag(self, start, end, steps=8):
        def point(x, y):
            px, py = self.page_point(x, y)
            return [{"x": px, "y": py, "id": 1}]

        self.send("Input.dispatchTouchEvent", {"type": "touchStart", "touchPoints": point(*start)})
        for i in range(1, steps + 1):
            self.between_moves()
            x = start[0] + (end[0] - start[0]) * i / steps
            y = start[1] + (end[1] - start[1]) * i / steps
            self.send("Input.dispatchTouchEvent", {"type": "touchMove", "touchPoints": point(x, y)})
        self.between_moves()
        self.send("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})

    def key(self, key, code, keycode, modifiers=0):
        """A key pressed and released; gives whether the browser may act on
        it (no one prevented its keydown's default)."""
        self.evaluate("window.__lastKey = null")
        for kind in ("rawKeyDown", "keyUp"):
            self.send("Input.dispatchKeyEvent", {"type": kind, "key": key, "code": code, "modifiers": modifiers,
                                                 "windowsVirtualKeyCode": keycode, "nativeVirtualKeyCode": keycode})
            # Held over a few of the game's frames, as a finger holds a key.
            if self.clock_held:
                self.evaluate("for (let i = 0; i < 8; i++) zunkClock.step(12)")
            else:
                time.sleep(0.1)
        return self.evaluate("window.__lastKey !== null && !window.__lastKey.defaultPrevented")

    def screenshot(self):
        """The game as the page shows it, at one page pixel a game pixel."""
        left, top, width, height = self.game_box()
        data = self.send("Page.captureScreenshot", {"format": "png", "clip": {
            "x": left, "y": top, "width": width, "height": height, "scale": 320 / width}})["data"]
        return base64.b64decode(data)


def read_png(data):
    """8-bit RGB or RGBA, not interlaced: (width, height, rows of RGB tuples)."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    assert depth == 8 and colour in (2, 6) and not interlace, "an unusual PNG"
    step = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * step
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - step] if i >= step else 0
            b = previous[i]
            c = previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * step:x * step + 3]) for x in range(width)])
        previous = line
    return width, height, rows


def write_png(width, height, rgb):
    """RGB bytes, rows from the top, as a PNG file's bytes."""
    raw = b"".join(b"\0" + rgb[y * width * 3:(y + 1) * width * 3] for y in range(height))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def differing(rows, kept, box, kept_at=None, tolerance=64, skip=()):
    """How many pixels of `box` (x1, y1, x2, y2) in `rows` differ from `kept`
    at the same place (or at `kept_at`, the box's corner in `kept`) by more
    than a squared RGB distance of `tolerance`; boxes in `skip` are left out."""
    x1, y1, x2, y2 = box
    kx, ky = kept_at or (x1, y1)
    count = 0
    for y in range(y1, y2):
        for x in range(x1, x2):
            if any(sx1 <= x < sx2 and sy1 <= y < sy2 for sx1, sy1, sx2, sy2 in skip):
                continue
            a, b = rows[y][x], kept[y - y1 + ky][x - x1 + kx]
            if sum((p - q) ** 2 for p, q in zip(a, b)) > tolerance:
                count += 1
    return count

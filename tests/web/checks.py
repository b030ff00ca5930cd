#!/usr/bin/env python3
"""The browser version in headless Chromium: the page, the program's start,
storage across reloads and restarts, sound, the browser's keys, and the game
itself played through the page.

    python3 tests/web/checks.py BUILD-WEB [CHECK...]

Each check starts a fresh browser on a fresh profile (a reload or a restart
keeps the profile) against a server of BUILD-WEB on 127.0.0.1. Every wait is
for a state with a generous deadline. Screenshots and frames that differ go
to $ZUNK_WEB_SHOTS (a temporary folder by default). The last line is the
tally: "N passed, N failed"."""

import os
import shutil
import sys
import tempfile
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(ROOT, "web"))
import chromium  # noqa: E402
import serve  # noqa: E402

SHOTS = os.environ.get("ZUNK_WEB_SHOTS") or tempfile.mkdtemp(prefix="zunk-web-shots-")
STARTED = "typeof Module !== 'undefined' && Module.calledRun === true && Module.zunkGameFrames > 0"
HOME = "/home/web_user"
SCORES = HOME + "/.local/share/zunk/thescores"
SETTINGS = HOME + "/.config/zunk/settings.ini"

# Places on the game's screen (game/layout.h holds them all).
PLAY_BUTTON = (163, 153)        # the menu's first button, kButtons[0] at (kButtonX, kButtonY[0])
PLAY_BUTTON_BOX = (42, 130, 285, 176)
PLAY_BUTTON_IN_SHEET = (780, 524)
CREDITS_BOX = (44, 456, 276, 480)  # the credit line fading in and out (kCreditAt)
MENU_ZONE = (226, 449, 320, 480)   # the play's MENU button (kMenuZone)
SCORE_DIGITS = (58, 452, 150, 478)
BALL = (160, 326)                  # the ball at rest on its sling
WALL_ROW = 277                     # the bottom row of bricks at a game's start
COLUMNS = [34, 66, 98, 130, 160, 192, 224, 256, 286]
GAME_OVER_PANEL = (60, 95, 270, 240)
MUSIC_KEY = ("m", "KeyM", 77)


def read_kept(name):
    with open(os.path.join(ROOT, "tests", "frames", name + ".png"), "rb") as f:
        return chromium.read_png(f.read())[2]


def read_sheet(name):
    with open(os.path.join(ROOT, "data", name), "rb") as f:
        return chromium.read_png(f.read())[2]


class Check:
    def __init__(self, build):
        self.server = serve.start(build)
        self.profile = tempfile.mkdtemp(prefix="zunk-web-profile-")
        self.browser = None

    def start(self, *args):
        self.browser = chromium.Browser(self.profile, args)
        return self.browser

    def restart(self, *args):
        self.browser.close()
        return self.start(*args)

    def close(self):
        if self.browser:
            self.browser.close()
        self.server.shutdown()
        shutil.rmtree(self.profile, ignore_errors=True)

    def open_game(self):
        self.browser.navigate(self.server.url)
        self.browser.wait_for(STARTED, "the program to start and run its first frame")

    def shot(self, name):
        data = self.browser.screenshot()
        with open(os.path.join(SHOTS, name + ".png"), "wb") as f:
            f.write(data)
        return chromium.read_png(data)[2]

    def wait_for_screen(self, name, matches, what, deadline=chromium.DEADLINE):
        end = time.time() + deadline
        while True:
            rows = self.shot(name)
            if matches(rows):
                return rows
            if time.time() > end:
                raise AssertionError("waited %d s for %s (the last screen: %s/%s.png)" % (deadline, what, SHOTS, name))
            time.sleep(0.2)

    def no_errors(self):
        errors = self.browser.errors()
        assert not errors, "errors on the console: %s" % errors[:5]

    def file(self, path):
        return self.browser.evaluate(
            "(() => { try { return Array.from(FS.readFile('%s')); } catch (e) { return null; } })()" % path)

    def files_kept(self):
        return self.browser.evaluate("Module.zunkFilesKept")

    def wait_files_kept(self, before, what):
        self.browser.wait_for("Module.zunkFilesKept > %d" % before, what)


def scores_of(data):
    return [int.from_bytes(bytes(data[i:i + 4]), "little", signed=True) for i in range(0, len(data), 4)]


# ---- checks of the page and the platform: they hold whatever the engine draws

def check_page_loads_and_runs(c):
    """The page loads, the program starts and runs its frames, nothing on the
    console is an error, and the canvas is shown."""
    b = c.start()
    c.open_game()
    frames = b.evaluate("Module.zunkGameFrames")
    b.wait_for("Module.zunkGameFrames > %d + 80" % frames, "a second of frames")
    c.shot("started")
    assert b.evaluate("document.getElementById('note').hidden"), "the page shows a note: " + str(
        b.evaluate("document.getElementById('note').textContent"))
    c.no_errors()


def check_the_game_fills_the_viewport_sharply(c):
    """The canvas is the page, its buffer a pixel for each of the display's;
    the game lies in it as large as its shape allows, centred, whatever the
    page's size or the display's pixel ratio (here 1 and 2)."""
    b = c.start("--window-size=1000,800")
    c.open_game()
    for ratio, size in ((1, (1000, 800)), (2, (700, 900)), (2, (200, 300))):
        b.send("Emulation.setDeviceMetricsOverride", {"width": size[0], "height": size[1],
                                                       "deviceScaleFactor": ratio, "mobile": False})
        expected = min(size[0] / 320, size[1] / 480)
        # The program fits itself to the page at its next frame.
        b.wait_for("(() => { const g = Module.zunkGameBox, c = document.getElementById('canvas');"
                   " return c.width === %d && c.height === %d && Math.abs(g[3] - %f) <= 1; })()"
                   % (size[0] * ratio, size[1] * ratio, 480 * expected),
                   "the canvas fitted to %s at a pixel ratio of %d" % (size, ratio))
        left, top, width, height = b.game_box()
        assert abs(width / height - 320 / 480) < 0.01, "the game's shape changed: %s" % [width, height]
        assert abs(left - (size[0] - width) / 2) <= 1 and abs(top - (size[1] - height) / 2) <= 1, "not centred"
    c.no_errors()


def check_storage_survives_reload_and_restart(c):
    """A setting switched is written through to IndexedDB, and a reload and
    a new visit (the browser restarted on its profile) read it back."""
    b = c.start()
    c.open_game()
    before = c.files_kept()
    b.key(*MUSIC_KEY)
    c.wait_files_kept(before, "the settings written through to storage")
    assert "music=off" in bytes(c.file(SETTINGS)).decode(), "the music switch was not saved"
    b.reload()
    b.wait_for(STARTED, "the program to start again")
    assert "music=off" in bytes(c.file(SETTINGS) or []).decode(), "the settings did not survive a reload"
    b = c.restart()
    c.open_game()
    assert "music=off" in bytes(c.file(SETTINGS) or []).decode(), "the settings did not survive a new visit"
    c.no_errors()


def check_storage_refused_is_said_once_and_the_game_plays_on(c):
    """Where the browser refuses IndexedDB (a private window), the page says
    so once, and the game runs and saves for the visit."""
    b = c.start()
    b.send("Page.addScriptToEvaluateOnNewDocument", {"source":
           "IDBFactory.prototype.open = function () { throw new DOMException('refused', 'SecurityError'); };"})
    c.open_game()
    b.wait_for("!document.getElementById('note').hidden", "the page to say storage is refused")
    said = b.evaluate("document.getElementById('note').textContent")
    assert "keeps nothing" in said, said
    b.key(*MUSIC_KEY)
    b.wait_for("(() => { try { return new TextDecoder().decode(FS.readFile('%s')).includes('music=off'); }"
               " catch (e) { return false; } })()" % SETTINGS, "the settings saved for the visit")
    frames = b.evaluate("Module.zunkGameFrames")
    b.wait_for("Module.zunkGameFrames > %d + 80" % frames, "the game to play on")
    assert b.evaluate("document.getElementById('note').textContent") == said, "said more than once"
    c.no_errors()


def check_sound_starts_after_a_click(c):
    """The browser's audio runs once the player has clicked (SDL resumes it)."""
    b = c.start()
    c.open_game()
    b.wait_for("!!(Module.SDL2 && Module.SDL2.audioContext)", "the audio device to open (the title loads the sounds)",
               deadline=120)
    b.click(300, 20)
    b.wait_for("Module.SDL2.audioContext.state === 'running'", "the audio to run after a click")
    c.no_errors()


def check_the_browsers_keys_are_its_own(c):
    """F5, F12, Ctrl+R and Ctrl+Plus reach the browser; the game's keys do not."""
    b = c.start()
    c.open_game()
    for key in [("F5", "F5", 116, 0), ("F12", "F12", 123, 0), ("r", "KeyR", 82, 2), ("=", "Equal", 187, 2),
                ("F11", "F11", 122, 0)]:
        assert b.key(*key), "the page kept %s from the browser" % (key,)
    # Arrows would scroll a page: the game has them.
    assert not b.key("ArrowUp", "ArrowUp", 38), "an arrow reached the browser"
    c.no_errors()


def check_without_webgl_the_page_says_so(c):
    b = c.start("--disable-webgl", "--disable-3d-apis")
    b.navigate(c.server.url)
    b.wait_for("!document.getElementById('note').hidden", "the page's note")
    said = b.evaluate("document.getElementById('note').textContent")
    assert "WebGL" in said, said
    assert not b.evaluate("typeof Module !== 'undefined'"), "the game was loaded all the same"
    c.no_errors()


PLATFORM = [check_page_loads_and_runs, check_the_game_fills_the_viewport_sharply,
            check_storage_survives_reload_and_restart, check_storage_refused_is_said_once_and_the_game_plays_on,
            check_sound_starts_after_a_click, check_the_browsers_keys_are_its_own,
            check_without_webgl_the_page_says_so]


# ---- checks of the game itself: they need the engine to draw through WebGL

def menu_shown(rows):
    return chromium.differing(rows, read_kept("menu"), (0, 0, 320, 480), skip=[CREDITS_BOX]) == 0


def open_menu(c):
    c.open_game()
    c.browser.mouse("mouseMoved", 200, 300)  # where the kept frame has the cursor
    return c.wait_for_screen("menu", menu_shown, "the menu as the desktop shows it (tests/frames/menu.png)",
                             deadline=120)


def play_shown(rows):
    kept = read_kept("play")
    return chromium.differing(rows, kept, MENU_ZONE) == 0 and chromium.differing(rows, kept, (4, 452, 56, 476)) == 0


def start_play(c):
    open_menu(c)
    c.browser.click(*PLAY_BUTTON)
    return c.wait_for_screen("play", play_shown, "the play after a click on PLAY")


def throw_at(c, column_x, touch=False):
    """Pulls the ball so that it lands on the bottom row at `column_x`: it
    flies about three times as far as it is pulled, the other way."""
    end = (BALL[0] + (BALL[0] - column_x) / 3, BALL[1] + (BALL[1] - WALL_ROW) / 3)
    (c.browser.touch_drag if touch else c.browser.drag)(BALL, end)


def score_changed(start):
    return lambda rows: chromium.differing(rows, start, SCORE_DIGITS) > 20


def check_menu_matches_the_desktops(c):
    c.start()
    open_menu(c)
    c.no_errors()


def check_a_click_on_play_starts_the_play(c):
    c.start()
    start_play(c)
    c.no_errors()


def check_a_throw_breaks_bricks_and_scores(c):
    c.start()
    start = start_play(c)
    throw_at(c, BALL[0])
    c.wait_for_screen("scored", score_changed(start), "the score to count up after a throw")
    c.no_errors()


def check_a_touch_throw_scores(c):
    b = c.start()
    b.send("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 1})
    start = start_play(c)
    throw_at(c, BALL[0], touch=True)
    c.wait_for_screen("touch-scored", score_changed(start), "the score to count up after a touch throw")
    c.no_errors()


def check_a_game_over_enters_the_table_and_survives_a_reload(c):
    b = c.start()
    start_play(c)
    for x in COLUMNS:  # a brick of every column: a score above the table's last
        before = c.shot("before-throw")
        throw_at(c, x)
        c.wait_for_screen("after-throw", lambda rows: chromium.differing(rows, before, (0, 40, 320, 300)) > 50,
                          "the throw at %d to land" % x)
        time.sleep(1)
    kept = c.files_kept()
    over = read_kept("gameover")
    c.wait_for_screen("gameover", lambda rows: chromium.differing(rows, over, GAME_OVER_PANEL) < 500,
                      "GAME OVER as the feeder fills the wall", deadline=900)
    c.wait_files_kept(kept, "the table written through to storage")
    table = scores_of(c.file(SCORES))
    assert len(table) == 10 and max(table) > 5, "the game did not enter the table: %s" % table
    b.key(*MUSIC_KEY)
    c.wait_files_kept(c.files_kept() - 1, "the settings written through")
    b.reload()
    b.wait_for(STARTED, "the program to start again")
    assert scores_of(c.file(SCORES) or []) == table, "the table did not survive the reload"
    assert "music=off" in bytes(c.file(SETTINGS) or []).decode(), "the settings did not survive the reload"
    c.no_errors()


def check_a_french_browser_gets_the_french_sheet(c):
    c.start("--lang=fr-FR", "--accept-lang=fr-FR,fr")
    c.open_game()
    assert c.browser.evaluate("navigator.languages[0]").startswith("fr")
    sheet = read_sheet("zunk-fr.png")
    box = PLAY_BUTTON_BOX
    inner = (box[0] + 6, box[1] + 6, box[2] - 6, box[3] - 6)
    at = (PLAY_BUTTON_IN_SHEET[0] + 6, PLAY_BUTTON_IN_SHEET[1] + 6)
    c.browser.mouse("mouseMoved", 200, 300)
    c.wait_for_screen("french-menu", lambda rows: chromium.differing(rows, sheet, inner, kept_at=at) == 0,
                      "the French PLAY button (data/zunk-fr.png)", deadline=120)
    c.no_errors()


def check_the_pace_over_ten_seconds(c):
    """80 frames a second (a frame every 12 ms) against the page's clock,
    whatever the display's rate, over 10 s."""
    b = c.start()
    c.open_game()
    first = b.evaluate("[Module.zunkGameFrames, performance.now()]")
    time.sleep(10)
    last = b.evaluate("[Module.zunkGameFrames, performance.now()]")
    frames, seconds = last[0] - first[0], (last[1] - first[1]) / 1000
    print("  pace: %d frames in %.2f s, %.1f a second" % (frames, seconds, frames / seconds))
    assert abs(frames - seconds * 1000 / 12) <= max(3, 0.02 * seconds * 1000 / 12), "the pace did not hold"
    c.no_errors()


GAME = [check_menu_matches_the_desktops, check_a_click_on_play_starts_the_play, check_a_throw_breaks_bricks_and_scores,
        check_a_touch_throw_scores, check_a_game_over_enters_the_table_and_survives_a_reload,
        check_a_french_browser_gets_the_french_sheet, check_the_pace_over_ten_seconds]


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    build, wanted = sys.argv[1], sys.argv[2:]
    checks = [f for f in PLATFORM + GAME if not wanted or any(w in f.__name__ for w in wanted)]
    passed = failed = 0
    for check in checks:
        c = Check(build)
        try:
            check(c)
            passed += 1
            print("ok      %s" % check.__name__[6:])
        except Exception as e:  # noqa: BLE001 - a check's failure of any kind is reported
            failed += 1
            print("FAILED  %s: %s" % (check.__name__[6:], e))
            if not isinstance(e, AssertionError):
                traceback.print_exc()
        finally:
            c.close()
    print("screens in %s" % SHOTS)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

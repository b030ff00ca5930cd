#!/usr/bin/env python3
"""The browser version in headless Chromium: the page, the program's start,
storage across reloads and restarts, sound, the browser's keys, and the game
itself played through the page.

    python3 tests/web/checks.py BUILD-WEB [CHECK...]

Each check starts a fresh browser on a fresh profile (a reload or a restart
keeps the profile) against a server of BUILD-WEB on 127.0.0.1. Every wait is
for a state with a generous deadline; the checks that play the game hold the
page's clock and step its frames (clock.js). Screenshots and frames that differ go
to $ZUNK_WEB_SHOTS (a temporary folder by default). The last line is the
tally: "N passed, N failed"."""

import base64
import functools
import http.server
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(ROOT, "web"))
import chromium  # noqa: E402
import serve  # noqa: E402

SHOTS = os.environ.get("ZUNK_WEB_SHOTS") or tempfile.mkdtemp(prefix="zunk-web-shots-")
STARTED = "typeof Module !== 'undefined' && Module.calledRun === true && Module.zunkGameFrames > 0"
# What a page that did not start had got to.
PAGE_STATE = ("[document.readyState, typeof Module !== 'undefined' && [Module.calledRun, Module.zunkGameFrames],"
              " window.zunkSaid]")
HOME = "/home/web_user"
SCORES = HOME + "/.local/share/zunk/thescores"
SETTINGS = HOME + "/.config/zunk/settings.ini"
UNFINISHED = HOME + "/.local/share/zunk/unfinished.zunkreplay"

# Places on the game's screen (game/shared/layout.h holds them all).
PLAY_BUTTON = (163, 153)        # the menu's first button, kButtons[0] at (kButtonX, kButtonY[0])
PLAY_BUTTON_BOX = (42, 130, 285, 176)
CREDITS_BOX = (44, 456, 276, 480)  # the credit line fading in and out (kCreditAt)
MENU_ZONE = (226, 449, 320, 480)   # the play's MENU button (kMenuZone)
SCORE_DIGITS = (58, 452, 150, 478)
BALL = (160, 330)                  # the ball at rest on its sling
RESUME_PANEL = (0, 180, 320, 292)  # CONTINUE and NEW GAME with the focus arrow (kResumePanelAt)
CONTINUE_BUTTON = (160, 208)
COLUMNS = [34, 66, 98, 130, 160, 192, 224, 256, 286]
MUSIC_KEY = ("m", "KeyM", 77)


def read_kept(name):
    with open(os.path.join(ROOT, "tests", "frames", name + ".png"), "rb") as f:
        return chromium.read_png(f.read())[2]


class Check:
    def __init__(self, build):
        self.build = build
        self.site = os.path.join(build, "site")
        self.server = serve.start(self.site)
        self.profile = tempfile.mkdtemp(prefix="zunk-web-profile-")
        self.scratch = tempfile.mkdtemp(prefix="zunk-web-sites-")
        self.browser = None

    def serve(self, folder):
        """The server of `folder` in place of the build's site (its port
        is another: a page of the site before is of another origin)."""
        self.server.shutdown()
        self.server.server_close()
        self.server = serve.start(folder)

    def copy_site(self, name):
        """A copy of the build's site to change, in the check's scratch folder."""
        folder = os.path.join(self.scratch, name)
        shutil.copytree(self.site, folder)
        return folder

    def start(self, *args):
        self.browser = chromium.Browser(self.profile, args)
        return self.browser

    def restart(self, *args):
        self.browser.close()
        return self.start(*args)

    def start_afresh(self, *args):
        """A new browser on a new, empty profile: a first visit again."""
        if self.browser:
            self.browser.close()
        shutil.rmtree(self.profile, ignore_errors=True)
        self.profile = tempfile.mkdtemp(prefix="zunk-web-profile-")
        return self.start(*args)

    def close(self):
        if self.browser:
            self.browser.close()
        self.server.shutdown()
        self.server.server_close()
        shutil.rmtree(self.profile, ignore_errors=True)
        shutil.rmtree(self.scratch, ignore_errors=True)

    def open_game(self):
        self.browser.navigate(self.server.url)
        try:
            self.browser.wait_for(STARTED, "the program to start and run its first frame")
        except AssertionError as e:
            raise AssertionError("%s (the page: %s; asked: %s)" % (e, self.browser.evaluate(PAGE_STATE),
                                                                   getattr(self.server, "answered", "?"))) from None

    def shot(self, name):
        data = self.browser.screenshot()
        with open(os.path.join(SHOTS, name + ".png"), "wb") as f:
            f.write(data)
        return chromium.read_png(data)[2]

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

    def wait_files_written(self, before, what):
        """A write after `before` done, and none under way or asked for."""
        self.browser.wait_for("Module.zunkFilesKept > %d && !Module.zunkFilesPending()" % before, what)


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
    b.wait_for("zunkSaid.length > 0", "the page to say storage is refused")
    said = b.evaluate("zunkSaid[0]")
    assert "keeps nothing" in said, said
    b.key(*MUSIC_KEY)
    b.wait_for("(() => { try { return new TextDecoder().decode(FS.readFile('%s')).includes('music=off'); }"
               " catch (e) { return false; } })()" % SETTINGS, "the settings saved for the visit")
    frames = b.evaluate("Module.zunkGameFrames")
    b.wait_for("Module.zunkGameFrames > %d + 80" % frames, "the game to play on")
    assert b.evaluate("zunkSaid") == [said], "said more than once: %s" % b.evaluate("zunkSaid")
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


def check_a_file_saved_twice_then_removed_is_gone(c):
    """Every save renames a new file over the old one: after two saves and
    a removal, nothing is left under the name (not the first save's file)."""
    b = c.start()
    c.open_game()
    left = b.evaluate("""(() => {
      const folder = "/tmp/zunk-check", path = folder + "/kept";
      FS.mkdirTree(folder);
      FS.writeFile(path, "first");
      for (const text of ["second", "third"]) {
        FS.writeFile(path + ".tmp", text);
        FS.rename(path + ".tmp", path);
      }
      const read = FS.readFile(path, { encoding: "utf8" });
      FS.unlink(path);
      return [read, FS.analyzePath(path).exists, FS.readdir(folder).filter((n) => n[0] !== ".")];
    })()""")
    assert left == ["third", False, []], "read, then left after the removal: %s" % left
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
            check_without_webgl_the_page_says_so, check_a_file_saved_twice_then_removed_is_gone]


# ---- checks of the game itself: the page's clock held (clock.js), so that
# the game runs the frames the check steps, each one read back as drawn

FRAME_MS = 12  # the game's frame: 80 frames a second, in whole milliseconds
FRAME_LIMIT = 3000  # frames to wait for a screen; only a fault needs more
FRAME_RUN = 100  # frames run in one call into the page: each call answers well within its deadline when busy
GAME_OVER_LIMIT = 20000  # frames for a game left alone to end (some 4500)


def visit_held(b, url, what="the program to start and run its first frame"):
    """The page visited in `b` with its clock held, once its program runs."""
    b.hold_the_clock()
    b.navigate(url)
    b.wait_for("(zunkClock.step(%d), %s)" % (FRAME_MS, STARTED), what)
    return b


def open_held(c, *args):
    return visit_held(c.start(*args), c.server.url)


def keep(c, name, rows):
    data = b"".join(bytes(v for pixel in row for v in pixel) for row in rows)
    c.browser.evaluate("zunkClock.keep('%s', %d, '%s')" % (name, len(rows[0]), base64.b64encode(data).decode()))


def frames(c, count):
    """Runs `count` of the game's frames, waiting while the program waits
    for another tab's save; fewer once the program runs none (it has
    ended)."""
    ran, end = 0, chromium.time.time() + chromium.DEADLINE
    while ran < count:
        more = c.browser.evaluate("zunkClock.run(%d, %d)" % (min(count - ran, FRAME_RUN), FRAME_MS))
        ran += more
        if more > 0:  # a wait is counted from the last frame run
            end = chromium.time.time() + chromium.DEADLINE
        if ran >= count or not c.browser.evaluate("zunkClock.asleep()"):
            if more == 0:
                return
            continue
        assert chromium.time.time() < end, "the program waited for %d s" % chromium.DEADLINE
        chromium.time.sleep(0.02)


def until_shown(c, name, rows, box, what, at=None, skip=(), most=0, limit=FRAME_LIMIT, changed=False):
    """Runs frames until the one drawn matches `rows` in `box` (at most
    `most` pixels differ), or with `changed` until it no longer does; gives
    how many ran. The next frame is kept in SHOTS when none did. Without
    `rows`, the picture kept under `name` is compared."""
    if rows is not None:
        keep(c, name, rows)
    ran, waited = 0, 0
    while ran < limit:  # in runs short enough for one answer each
        run = min(FRAME_RUN, limit - ran)
        more = c.browser.evaluate("zunkClock.until(%d, %d, '%s', %s, %s, %s, 64, %d, %s)" % (
            FRAME_MS, run, name, list(box), list(at) if at else "null", [list(s) for s in skip], most,
            "true" if changed else "false"))
        if more > 0:
            return ran + more
        if more == 0:  # the program waits for another tab's save: so does the check
            waited += 1
            assert waited < chromium.DEADLINE * 50, "the program waited for %d s" % chromium.DEADLINE
            chromium.time.sleep(0.02)
            continue
        ran += run
    closest = c.browser.evaluate("zunkClock.closest")
    width, height, data = c.browser.evaluate("zunkClock.frame(%d)" % FRAME_MS)
    path = os.path.join(SHOTS, name + ".png")
    with open(path, "wb") as f:
        f.write(chromium.write_png(width, height, base64.b64decode(data)))
    raise AssertionError("%d frames ran without %s (%s pixels differed at the closest of the last %d; the last"
                         " frame: %s)" % (limit, what, closest, FRAME_RUN, path))


def open_menu(c):
    c.browser.mouse("mouseMoved", 200, 300)  # where the kept frame has the cursor
    # The title, then the menu: the buttons' wobble, whose phases come from
    # rand(), comes back to the kept frame's only where rand() drew the
    # desktop's numbers.
    until_shown(c, "menu", read_kept("menu"), (0, 0, 320, 480), "the menu as the desktop shows it (tests/frames/menu.png)",
                skip=[CREDITS_BOX])


def start_play(c):
    open_menu(c)
    c.browser.click(*PLAY_BUTTON)
    kept = read_kept("play")
    until_shown(c, "play-zone", kept, MENU_ZONE, "the play's MENU zone after a click on PLAY")
    until_shown(c, "play-score", kept, (4, 452, 56, 476), "the play's score")
    frames(c, 40)  # the play settled, as in the kept frame


def throw_at(c, column_x, touch=False):
    """Grabs the ball and pulls it sideways from rest, so that it lands on
    the bottom row near `column_x` (straight from rest: its middle)."""
    end = (BALL[0] + (BALL[0] - column_x) / 3, BALL[1])
    (c.browser.touch_drag if touch else c.browser.drag)(BALL, end, steps=3)


def scored(c, name, what):
    """The score counts up: its digits no longer show the score of 0."""
    until_shown(c, name, read_kept("play"), SCORE_DIGITS, what, most=20, changed=True)


def this_frame(c):
    """The next frame: its width and its RGB rows, base64 (zunkClock.keep)."""
    width, _, data = c.browser.evaluate("zunkClock.frame(%d)" % FRAME_MS)
    return width, data


def hide_and_show(c):
    """The page hidden as another tab is chosen, and shown again."""
    for state in ("hidden", "visible"):
        c.browser.evaluate("Object.defineProperty(document, 'visibilityState', {value: '%s', configurable: true}),"
                           " document.dispatchEvent(new Event('visibilitychange'))" % state)


def a_throw_scored(c):
    """A fresh visit's game after a throw that scored, its score counted
    up: the browser, and that frame (this_frame)."""
    b = open_held(c)
    start_play(c)
    throw_at(c, BALL[0])
    scored(c, "scored", "the score to count up after a throw")
    frames(c, 200)  # the score counted up
    return b, this_frame(c)


def check_a_game_in_a_closed_page_is_kept_to_continue(c):
    """A page closed in the middle of a game (hidden, then gone, as a tab
    closed is) keeps the game: the next visit's PLAY offers CONTINUE, which
    goes on with it where it was, its score the same."""
    b, left = a_throw_scored(c)
    b.close_page()
    visit_held(b, c.server.url, "the program to start again")
    assert c.file(UNFINISHED), "the game in the closed page was not kept"
    open_menu(c)
    b.click(*PLAY_BUTTON)
    until_shown(c, "resume", read_kept("resume"), RESUME_PANEL, "PLAY to offer CONTINUE")
    b.click(*CONTINUE_BUTTON)
    b.evaluate("zunkClock.keep('left', %d, '%s')" % left)
    until_shown(c, "left", None, SCORE_DIGITS, "the game continued with the score it had")
    c.no_errors()


def continue_kept_game(c, left):
    """PLAY offers CONTINUE, which goes on with the game left, its score
    (`left`'s, the frame this_frame gave) the same once it has counted up
    (P plays on)."""
    open_menu(c)
    c.browser.click(*PLAY_BUTTON)
    until_shown(c, "resume", read_kept("resume"), RESUME_PANEL, "PLAY to offer CONTINUE")
    c.browser.click(*CONTINUE_BUTTON)
    frames(c, 20)
    c.browser.key("p", "KeyP", 80)
    c.browser.evaluate("zunkClock.keep('left', %d, '%s')" % left)
    until_shown(c, "left", None, SCORE_DIGITS, "the game continued with the score it had")


def check_a_browser_quit_mid_game_loses_no_more_than_a_throw(c):
    """The whole browser closed (DevTools' Browser.close: no page hears of
    it) in the middle of a throw: the game was kept as the throw before
    landed, and the next visit's CONTINUE goes on with its score."""
    _, left = a_throw_scored(c)
    c.wait_files_written(0, "the game kept as its throw landed")
    assert c.file(UNFINISHED), "the game was not kept as its throw landed"
    # The next throw is in the air as the browser goes.
    c.browser.mouse("mouseMoved", *BALL)
    c.browser.mouse("mousePressed", *BALL, 1)
    frames(c, 4)
    visit_held(c.restart(), c.server.url, "the program to start again")
    continue_kept_game(c, left)
    c.no_errors()


RECORDS = HOME + "/.local/share/zunk"
LIST = RECORDS + "/thescores.replays"
TURN = 40  # frames a tab plays before the other's turn


def linked_replays(c):
    """The table's rows that link a replay, as the page's files hold them:
    [(score, name, whether the file is there)]."""
    rows = []
    for line in bytes(c.file(LIST) or []).decode().splitlines()[:10]:
        score, name = (line.split() + ["-"])[:2]
        if name != "-":
            rows.append((int(score), name, c.file(RECORDS + "/" + name) is not None))
    return rows


def store_table(c, table):
    """A table of high scores put in the page's storage, as the game keeps it."""
    kept = c.files_kept()
    data = b"".join(score.to_bytes(4, "little", signed=True) for score in table)
    c.browser.evaluate("FS.mkdirTree('%s'), FS.writeFile('%s', new Uint8Array(%s)), Module.zunkSyncUserFiles()"
                       % (RECORDS, SCORES, list(data)))
    c.wait_files_written(kept, "the table written through")


LOW_TABLE = [2, 2, 2, 2, 2, 1, 1, 1, 1, 1]  # any game's score enters it


def check_two_tabs_scoring_keep_both_scores_and_replays(c):
    """Two tabs of one profile play a game each, in turns of a few frames,
    so that their games end close together and each save waits for the
    other tab's; closed in either order, the next visit's table holds both
    games, each row with its replay."""
    for closed_first in (0, 1):
        b = c.start_afresh()
        c.open_game()
        store_table(c, LOW_TABLE)
        b.close_target(b.page())
        tabs = []
        for tab in (0, 1):
            b.open_page()
            b.hold_the_clock()
            b.navigate(c.server.url)
            b.wait_for("(zunkClock.step(%d), %s)" % (FRAME_MS, STARTED), "tab %d's program to start" % tab)
            tabs.append(b.page())
        for tab in (0, 1):
            b.use_page(tabs[tab])
            start_play(c)
        for x in COLUMNS:  # a brick of every column in each: scores the table takes
            for tab in (0, 1):
                b.use_page(tabs[tab])
                throw_at(c, x)
                frames(c, 120)
        # The feeder fills each wall: at GAME OVER the tab's game enters its
        # table, the first row with a replay that tab's view of them has.
        over, ran = [False, False], 0
        while not all(over):
            assert ran < GAME_OVER_LIMIT, "%d frames ran without both games in their tabs' tables" % ran
            for tab in (0, 1):
                b.use_page(tabs[tab])
                frames(c, TURN)
                over[tab] = over[tab] or bool(linked_replays(c))
            ran += TURN
        tables = []
        for tab in (0, 1):
            b.use_page(tabs[tab])
            c.wait_files_written(0, "tab %d's game written through" % tab)
            tables.append(linked_replays(c))
        print("  the tabs' tables' games: %s" % tables)
        for tab in (closed_first, 1 - closed_first):
            b.close_target(tabs[tab])
        b.open_page()
        b.navigate(c.server.url)
        b.wait_for(STARTED, "a new tab's program to start")
        rows = linked_replays(c)
        print("  the next visit's: %s" % rows)
        assert len(rows) == 2 and all(there for _, _, there in rows) and rows[0][1] != rows[1][1], \
            "the next visit's table does not hold both games with their replays: %s" % rows
        assert set(rows) == set(tables[0]) | set(tables[1]), "a game of a tab is missing: %s, %s" % (rows, tables)
        c.no_errors()


def check_a_game_hidden_then_ended_is_not_offered(c):
    """A game kept as its page was hidden, then played on to GAME OVER once
    the page is back, is no game to continue: after a reload PLAY plays."""
    b = open_held(c)
    start_play(c)
    throw_at(c, BALL[0])
    frames(c, 120)
    kept = c.files_kept()
    hide_and_show(c)
    c.wait_files_written(kept, "the game kept as the page was hidden")
    assert c.file(UNFINISHED), "the game was not kept as the page was hidden"
    ran = 0
    while c.file(UNFINISHED) is not None:  # the wall fills: GAME OVER
        assert ran < GAME_OVER_LIMIT, "%d frames ran without the game kept being forgotten" % ran
        frames(c, FRAME_RUN)
        ran += FRAME_RUN
    until_shown(c, "gameover", read_kept("gameover"), MENU_ZONE, "GAME OVER")
    c.wait_files_written(c.files_kept() - 1, "the game forgotten in storage")
    b.reload()
    b.wait_for("(zunkClock.step(%d), %s)" % (FRAME_MS, STARTED), "the program to start again")
    assert c.file(UNFINISHED) is None, "the game ended is still kept"
    start_play(c)
    c.no_errors()


def check_menu_matches_the_desktops(c):
    open_held(c)
    open_menu(c)
    c.no_errors()


def check_a_click_on_play_starts_the_play(c):
    open_held(c)
    start_play(c)
    c.no_errors()


def check_a_throw_breaks_bricks_and_scores(c):
    open_held(c)
    start_play(c)
    throw_at(c, BALL[0])
    scored(c, "scored", "the score to count up after a throw")
    c.no_errors()


def check_a_touch_throw_scores(c):
    b = c.start()
    b.send("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 1})
    b.hold_the_clock()
    b.navigate(c.server.url)
    b.wait_for("(zunkClock.step(%d), %s)" % (FRAME_MS, STARTED), "the program to start and run its first frame")
    start_play(c)
    throw_at(c, BALL[0], touch=True)
    scored(c, "touch-scored", "the score to count up after a touch throw")
    c.no_errors()


def check_a_game_over_enters_the_table_and_survives_a_reload(c):
    b = open_held(c)
    start_play(c)
    for x in COLUMNS:  # a brick of every column: a score above the table's last
        throw_at(c, x)
        frames(c, 120)  # the ball's flight and the bricks' fall
    # The feeder fills the wall; at GAME OVER the score enters the table,
    # which is written through to storage.
    kept, ran, before = c.files_kept(), 0, scores_of(c.file(SCORES) or [])
    while scores_of(c.file(SCORES) or []) == before:
        assert ran < GAME_OVER_LIMIT, "%d frames ran without a score entering the table" % ran
        frames(c, FRAME_RUN)
        ran += FRAME_RUN
    print("  GAME OVER within %d frames" % ran)
    c.wait_files_written(kept, "the table written through to storage")
    assert b.evaluate("Module.zunkStorageLastingAsked === true"), "the storage was not asked to last at a score"
    table = scores_of(c.file(SCORES))
    assert len(table) == 10 and max(table) > 5, "the game did not enter the table: %s (before: %s)" % (table, before)
    kept = c.files_kept()
    b.key(*MUSIC_KEY)
    c.wait_files_written(kept, "the settings written through")
    b.reload()
    b.wait_for("(zunkClock.step(%d), %s)" % (FRAME_MS, STARTED), "the program to start again")
    assert scores_of(c.file(SCORES) or []) == table, "the table did not survive the reload"
    assert "music=off" in bytes(c.file(SETTINGS) or []).decode(), "the settings did not survive the reload"
    c.no_errors()


# The credit line's row, where a translation may be longer, and the menu's
# buttons with the room their wobble takes (PLAY, HIGH SCORES, HELP, QUIT,
# TODAY'S WALL), and OPTIONS, which stands still.
CREDIT_LINE = (0, CREDITS_BOX[1], 320, 480)
BUTTON_BOXES = [(34, 124, 293, 182), (34, 184, 293, 251), (34, 249, 293, 314), (34, 344, 293, 409),
                (34, 305, 293, 353), (40, 8, 150, 32)]


def check_a_french_browser_gets_the_french_sheet(c):
    """The game frame that shows the desktop's kept menu in English shows
    it in French: the same pixels but for the buttons' words."""
    b = open_held(c)
    open_menu(c)
    kept_frame = b.evaluate("Module.zunkGameFrames")
    b = c.restart("--lang=fr-FR", "--accept-lang=fr-FR,fr")
    b.hold_the_clock()
    b.navigate(c.server.url)
    b.wait_for("(zunkClock.step(%d), %s)" % (FRAME_MS, STARTED), "the program to start and run its first frame")
    assert b.evaluate("navigator.languages[0]").startswith("fr")
    b.mouse("mouseMoved", 200, 300)
    keep(c, "menu", read_kept("menu"))
    b.evaluate("while (Module.zunkGameFrames < %d - 1) zunkClock.step(%d)" % (kept_frame, FRAME_MS))
    outside, play = b.evaluate("zunkClock.step(%d), [zunkClock.differing('menu', [0, 0, 320, 480], null, %s, 64),"
                               " zunkClock.differing('menu', %s, null, [], 64)]"
                               % (FRAME_MS, [list(s) for s in [CREDIT_LINE] + BUTTON_BOXES], list(PLAY_BUTTON_BOX)))
    assert b.evaluate("Module.zunkGameFrames") == kept_frame
    assert outside == 0, "%d pixels outside the buttons differ from the English menu" % outside
    assert play > 300, "PLAY is in English (%d pixels differ)" % play
    c.no_errors()


def check_the_pace_on_a_60_hz_display(c):
    """Ten seconds of a 60 Hz display's animation frames run the game's
    frames at its own pace, a frame every 12 ms (833 in 10 s): one or two a
    display frame, so that none is shown twice and none waits."""
    b = open_held(c)
    frames(c, 100)
    ran = b.evaluate("Array.from({length: 600}, () => zunkClock.step(1000 / 60))")
    print("  pace: %d frames in 600 display frames of 1/60 s" % sum(ran))
    assert abs(sum(ran) - 10000 / FRAME_MS) <= 1, "%d frames in 10 s" % sum(ran)
    assert set(ran) <= {1, 2}, "display frames ran %s game frames" % sorted(set(ran))
    # A display frame late by a third of a second (a tab in the background):
    # the game starts afresh rather than racing through the frames missed.
    assert b.evaluate("zunkClock.step(400)") == 1, "a stall was made up"
    c.no_errors()


def check_the_title_loses_no_frame_while_the_sound_waits_and_a_key_starts_it(c):
    """Before the player's first gesture the browser holds the sound back:
    the title and the menu run every frame all the same (five seconds of a
    60 Hz display's frames run five seconds of game frames), and a key (one
    the game has no use for) starts the sound."""
    b = open_held(c)
    b.wait_for("(zunkClock.step(%d), !!(Module.SDL2 && Module.SDL2.audioContext))" % FRAME_MS,
               "the audio device to open (the title loads the sounds)")
    audio = "Module.SDL2.audioContext.state"
    assert b.evaluate(audio) == "suspended", "the sound runs before any gesture: " + b.evaluate(audio)
    ran = b.evaluate("Array.from({length: 300}, () => zunkClock.step(1000 / 60))")
    print("  %d frames in 5 s with the sound held back" % sum(ran))
    assert abs(sum(ran) - 5000 / FRAME_MS) <= 1, "%d frames in 5 s" % sum(ran)
    assert b.evaluate(audio) == "suspended", "the sound started without a gesture"
    b.key("x", "KeyX", 88)
    b.wait_for("(zunkClock.step(%d), %s === 'running')" % (FRAME_MS, audio), "a key to start the sound")
    c.no_errors()


# A standard-mapping gamepad of the page's own. A browser shows a pad to a
# page once a button of it is pressed there, with a gamepadconnected event:
# zunkPad.plug() does that, and zunkPad.press(button, down) sets a button,
# numbered as the standard mapping numbers them (0 A, 9 Start, 12 to 15 the
# D-pad).
FAKE_GAMEPAD = """
(() => {
  const up = () => ({pressed: false, touched: false, value: 0});
  const pad = {id: "Zunk check pad (STANDARD GAMEPAD)", index: 0, connected: true, mapping: "standard",
               timestamp: 1, axes: [0, 0, 0, 0], buttons: Array.from({length: 17}, up)};
  let plugged = false;
  navigator.getGamepads = () => [plugged ? pad : null, null, null, null];
  window.zunkPad = {
    plug() {
      plugged = true;
      const event = new Event("gamepadconnected");
      Object.defineProperty(event, "gamepad", {value: pad});
      dispatchEvent(event);
    },
    press(button, down) {
      pad.buttons[button] = {pressed: down, touched: down, value: down ? 1 : 0};
      pad.timestamp++;
    },
  };
})();
"""
PAD_A = 0


def check_a_gamepad_plays(c):
    """A gamepad the browser shows the page (its standard mapping) plays as
    on the desktop: plugged in on the menu, its A starts PLAY, and in play
    a tap of A throws the ball from rest."""
    b = c.start()
    b.send("Page.addScriptToEvaluateOnNewDocument", {"source": FAKE_GAMEPAD})
    b.hold_the_clock()
    b.navigate(c.server.url)
    b.wait_for("(zunkClock.step(%d), %s)" % (FRAME_MS, STARTED), "the program to start and run its first frame")
    open_menu(c)
    b.evaluate("zunkPad.plug()")
    frames(c, 2)
    for down in ("true", "false"):
        b.evaluate("zunkPad.press(%d, %s)" % (PAD_A, down))
        frames(c, 8)  # held over a few frames, as a thumb holds it
    until_shown(c, "play-zone", read_kept("play"), MENU_ZONE, "the play's MENU zone after A on the menu")
    frames(c, 40)
    for down in ("true", "false"):
        b.evaluate("zunkPad.press(%d, %s)" % (PAD_A, down))
        frames(c, 2)
    scored(c, "pad-scored", "the score to count up after a throw with A")
    c.no_errors()


# The canvas's WebGL context taken away and given back, as a browser does
# when its graphics reset or it has too many contexts; the check listens
# after the page, so it sees whether the page refused the loss.
LOSE_CONTEXT = """(() => {
  const canvas = document.getElementById('canvas');
  window.zunkLoss = {lost: null, restored: false, extension: Module.ctx.getExtension('WEBGL_lose_context')};
  canvas.addEventListener('webglcontextlost', (e) => { zunkLoss.lost = {refused: e.defaultPrevented}; });
  canvas.addEventListener('webglcontextrestored', () => { zunkLoss.restored = true; });
  zunkLoss.extension.loseContext();
  return true;
})()"""
LOSS_AFTER_THROW = 60  # game frames from the throw to the loss: the ball in flight
LOST_DISPLAY_FRAMES = 30  # half a second of a 60 Hz display's frames without the context
COMPARED_FRAMES = 150  # frames after it, compared with the same game's without a loss


def game_until_loss(c):
    """A fresh visit's game: PLAY, a throw, and its frames up to the
    moment of the loss; gives the frame count then."""
    b = c.start_afresh()
    b.hold_the_clock()
    b.navigate(c.server.url)
    b.wait_for("(zunkClock.step(%d), %s)" % (FRAME_MS, STARTED), "the program to start and run its first frame")
    start_play(c)
    throw_at(c, BALL[0])
    frames(c, LOSS_AFTER_THROW)
    return b.evaluate("Module.zunkGameFrames")


def next_frames(c):
    """The next frame's pixels (width, RGB base64), and the digests of the
    frames after it, each with its number."""
    first = c.browser.evaluate("zunkClock.step(%d), zunkClock.drawn()" % FRAME_MS)
    digests = c.browser.evaluate("Array.from({length: %d}, () => (zunkClock.step(%d),"
                                 " [Module.zunkGameFrames, zunkClock.digest()]))" % (COMPARED_FRAMES, FRAME_MS))
    return first, digests


def check_a_lost_webgl_context_comes_back_drawing_the_same_game(c):
    """The WebGL context lost in the middle of a throw and given back
    (WEBGL_lose_context): the page refuses the loss, so that the browser
    gives it back; no frame runs while it is away (as in a hidden page);
    and the frames after it are, pixel for pixel, the frames the same game
    draws without the loss, every picture's texture made again. Nothing is
    thrown."""
    at = game_until_loss(c)
    unlost_first, unlost = next_frames(c)
    c.no_errors()

    assert game_until_loss(c) == at, "the second game did not reach the same frame"
    b = c.browser
    b.evaluate(LOSE_CONTEXT)
    lost = b.wait_for("zunkLoss.lost", "the page to hear of the loss")
    assert lost["refused"], "the page let the context go: the browser will not give it back"
    ran = b.evaluate("Array.from({length: %d}, () => zunkClock.step(1000 / 60))" % LOST_DISPLAY_FRAMES)
    assert sum(ran) == 0, "frames ran without a context: %s" % ran
    b.evaluate("zunkLoss.extension.restoreContext()")
    b.wait_for("zunkLoss.restored", "the browser to give the context back")
    first, after = next_frames(c)
    width, _, data = first
    assert b.evaluate("Module.zunkGameFrames") == at + 1 + COMPARED_FRAMES, "the game skipped or repeated frames"
    b.evaluate("zunkClock.keep('unlost', %d, '%s')" % (unlost_first[0], unlost_first[2]))
    if first != unlost_first:
        differing = b.evaluate("zunkClock.differing('unlost', [0, 0, 320, 480], null, [], 0)")
        path = os.path.join(SHOTS, "context-restored.png")
        with open(path, "wb") as f:
            f.write(chromium.write_png(width, 480, base64.b64decode(data)))
        raise AssertionError("the first frame after the context came back differs from the same game's without the"
                             " loss in %d pixels: %s" % (differing, path))
    mismatched = [n for (n, d), (m, e) in zip(after, unlost) if (n, d) != (m, e)]
    assert not mismatched, "frames %s differ from the same game's without the loss" % mismatched[:10]
    print("  %d frames after the context came back, the same as without the loss" % (1 + len(after)))
    c.no_errors()


DESKTOP = os.environ.get("ZUNK_DESKTOP") or os.path.join(ROOT, "build", "zunk")
KEPT_FOLDER = HOME + "/.local/share/zunk"


def said_by_the_game(b):
    return b.console("warning") + b.console("log")


def check_a_daily_game_sent_verifies_on_the_desktop_and_in_the_browser(c):
    """A daily game sent from the desktop (tests/web/daily-2026-12-09-6.zunkreplay)
    opened as a link is verified here: the browser makes the same wall and
    the same numbers from the date. And a daily game played here and sent
    (SEND on the daily screen) checks on the desktop, with its day."""
    import subprocess as run
    with open(os.path.join(HERE, "daily-2026-12-09-6.zunkreplay"), "rb") as f:
        sent = base64.urlsafe_b64encode(f.read()).decode().rstrip("=")
    b = c.start()
    b.hold_the_clock()
    b.navigate(c.server.url + "#watch=" + sent)
    b.wait_for("(zunkClock.step(%d), %s)" % (FRAME_MS, STARTED), "the program to start with the game sent")
    said = " ".join(said_by_the_game(b))
    assert "verified: 6 on the wall of 2026-12-09" in said, "the desktop's game was not verified: " + said

    b = c.restart()
    b.hold_the_clock()
    b.navigate(c.server.url + "#daily=2026-12-09")
    b.wait_for("(zunkClock.step(%d), %s)" % (FRAME_MS, STARTED), "the program to start on the wall")
    frames(c, 300)
    c.browser.drag(BALL, (BALL[0] + 6, BALL[1] + 40))
    frames(c, 300)
    # Paused, left for the daily screen, the practice game's SEND.
    for key in (("Escape", "Escape", 27), ("Backspace", "Backspace", 8), ("ArrowDown", "ArrowDown", 40),
                ("ArrowRight", "ArrowRight", 39), ("Enter", "Enter", 13)):
        b.key(*key)
        frames(c, 20)
    names = b.evaluate("FS.readdir('%s')" % KEPT_FOLDER)
    files = [n for n in names if n.startswith("zunk-2026-12-09-")]
    assert files, "SEND wrote no file: %s (the game said %s)" % (names, said_by_the_game(b))
    work = tempfile.mkdtemp(prefix="zunk-web-sent-")
    path = os.path.join(work, files[0])
    with open(path, "wb") as f:
        f.write(bytes(c.file(KEPT_FOLDER + "/" + files[0])))
    assert os.path.exists(DESKTOP), "no desktop program at %s (ZUNK_DESKTOP) to check the browser's game" % DESKTOP
    checked = run.run([DESKTOP, "--replay-check", path], capture_output=True, text=True, timeout=120)
    assert checked.returncode == 0, "the desktop refused the browser's game: " + checked.stdout + checked.stderr
    lines = checked.stdout.split()
    assert "2026-12-09" in lines and lines[-2:] == ["score", files[0].split("-")[-1].split(".")[0]], checked.stdout
    shutil.rmtree(work, ignore_errors=True)
# The menu's OPTIONS button and, on the options, the calmer motion's row
# (kOptionsButtonAt; kOptionRowsY + kOptionRowStep * kRowCalm); a box of the
# field that is empty as a game starts, above the pointer left on PLAY.
OPTIONS_BUTTON = (90, 18)
CALM_ROW = (200, 216)
SWITCHES_BOX = (246, 4, 316, 40)
FIELD_BOX = (30, 70, 300, 125)
STILL_FRAMES = 200


def menu_shown(c, what):
    """The menu's switches there (as the desktop's kept menu), then the
    doors' time gone by: the buttons are what the look makes them."""
    until_shown(c, "switches", read_kept("menu"), SWITCHES_BOX, what)
    frames(c, 100)


def play_button_moves(c):
    """Over STILL_FRAMES frames, the most pixels of the PLAY button that
    differ from the calm menu's resting button (tests/frames/menu-calm.png)."""
    keep(c, "menu-calm", read_kept("menu-calm"))
    return c.browser.evaluate("Math.max(...Array.from({length: %d}, () => (zunkClock.step(%d),"
                              " zunkClock.differing('menu-calm', %s, null, [], 64))))"
                              % (STILL_FRAMES, FRAME_MS, list(PLAY_BUTTON_BOX)))


def contrasted_field(c):
    """Pixels of the empty field in the next frame unlike the stronger
    contrast's darker one (tests/frames/play-contrast.png), and unlike the
    plain one (play.png)."""
    for kept in ("play-contrast", "play"):
        keep(c, kept, read_kept(kept))
    return c.browser.evaluate("zunkClock.step(%d), ['play-contrast', 'play'].map((kept) =>"
                              " zunkClock.differing(kept, %s, null, [], 64))" % (FRAME_MS, list(FIELD_BOX)))


def check_the_browsers_wish_for_calm_and_contrast_holds_until_the_player_chooses(c):
    """A page whose player asked the browser for less motion and more
    contrast starts calm (the menu's buttons still) and contrasted (the
    darker field); calmer motion turned off on the options wins over the
    wish, is kept, and after a reload the buttons move while the contrast,
    never chosen, still follows the browser."""
    b = c.start()
    b.send("Emulation.setEmulatedMedia", {"features": [{"name": "prefers-reduced-motion", "value": "reduce"},
                                                       {"name": "prefers-contrast", "value": "more"}]})
    b.hold_the_clock()
    b.navigate(c.server.url)
    b.wait_for("(zunkClock.step(%d), %s)" % (FRAME_MS, STARTED), "the program to start and run its first frame")
    assert b.evaluate("matchMedia('(prefers-reduced-motion: reduce)').matches"
                      " && matchMedia('(prefers-contrast: more)').matches"), "the wishes are not emulated"
    b.mouse("mouseMoved", 200, 300)
    menu_shown(c, "the menu")
    moved = play_button_moves(c)
    assert moved == 0, "the browser asked for less motion, yet PLAY moved (%d pixels)" % moved
    b.click(*OPTIONS_BUTTON)
    until_shown(c, "options-title", read_kept("options"), (110, 10, 220, 45), "the options after a click on OPTIONS")
    kept = c.files_kept()
    b.click(*CALM_ROW)
    frames(c, 10)  # the click read, the settings kept
    c.wait_files_written(kept, "the settings written through after calmer motion was turned off")
    settings = bytes(c.file(SETTINGS) or []).decode()
    assert "calm=off" in settings and "contrast=" not in settings, "the settings kept: %r" % settings
    b.reload()
    b.wait_for("(zunkClock.step(%d), %s)" % (FRAME_MS, STARTED), "the program to start again")
    b.mouse("mouseMoved", 200, 300)
    menu_shown(c, "the menu after the reload")
    moved = play_button_moves(c)
    assert moved > 100, "calmer motion turned off, yet PLAY stayed still (%d pixels moved)" % moved
    b.click(*PLAY_BUTTON)
    until_shown(c, "play-zone", read_kept("play"), MENU_ZONE, "the play's MENU zone after a click on PLAY")
    frames(c, 40)
    unlike_contrast, unlike_plain = contrasted_field(c)
    print("  PLAY moved %d pixels once calm was turned off; the field %d pixels unlike the contrast's, %d unlike the plain"
          % (moved, unlike_contrast, unlike_plain))
    assert unlike_contrast < 50 and unlike_plain > 5000, (
        "the field is not the stronger contrast's the browser asked for (%d pixels unlike it, %d unlike the plain)"
        % (unlike_contrast, unlike_plain))
    c.no_errors()


# On the options: the music's slider at its fourth step, the language's
# right arrow, the keys' page's button and its first row (the throw's); the
# ball at rest, which no word covers in any language.
MUSIC_STEP_4 = (221, 66)
LANGUAGE_NEXT = (300, 126)
KEYS_BUTTON = (160, 278)
THROW_ROW = (100, 60)
OPTIONS_TITLE = (110, 10, 220, 45)
BALL_BOX = (146, 316, 174, 344)
F_KEY = ("f", "KeyF", 70)
SPACE_KEY = (" ", "Space", 32)


def click_and_keep(c, point, what):
    """A click on the options, its change written through to storage."""
    kept = c.files_kept()
    c.browser.click(*point)
    frames(c, 10)
    c.wait_files_written(kept, what)
    return bytes(c.file(SETTINGS) or []).decode()


def check_the_options_chosen_in_the_page_are_kept(c):
    """OPTIONS opened by the keys; the music's slider, the language and the
    throw's key chosen by clicks and a key, each written through at once;
    another action's key refused; after a reload the page speaks German and
    F throws where Space no longer does."""
    b = open_held(c)
    open_menu(c)
    for key in (("ArrowDown", "ArrowDown", 40), ("ArrowUp", "ArrowUp", 38), ("Enter", "Enter", 13)):
        b.key(*key)
    until_shown(c, "options-title", read_kept("options"), OPTIONS_TITLE, "the options opened by Down, Up and Return")
    frames(c, 30)
    assert "musicvolume=4" in click_and_keep(c, MUSIC_STEP_4, "the music's level kept"), "the music is not at 4"
    assert "language=en" in click_and_keep(c, LANGUAGE_NEXT, "English kept"), "the language did not step to English"
    assert "language=de" in click_and_keep(c, LANGUAGE_NEXT, "German kept"), "the language did not step to German"
    # The German sheet (fetched by the page) shows within a few frames.
    ran = until_shown(c, "options", read_kept("options"), OPTIONS_TITLE, "the German title", most=100, changed=True)
    print("  the German title shown %d frames after the click" % ran)
    b.click(*KEYS_BUTTON)
    frames(c, 10)
    b.click(*THROW_ROW)
    frames(c, 5)
    kept = c.files_kept()
    b.key(*F_KEY)
    c.wait_files_written(kept, "the throw's new key kept")
    assert "key.throw=F" in bytes(c.file(SETTINGS) or []).decode(), "the throw was not given F"
    b.click(*THROW_ROW)
    frames(c, 5)
    b.key("p", "KeyP", 80)  # the pause's: refused
    frames(c, 20)
    settings = bytes(c.file(SETTINGS) or []).decode()
    assert "key.throw=F" in settings and "key.throw=P" not in settings, "the pause's key was taken: %r" % settings
    b.key("Escape", "Escape", 27)  # the row waiting no more
    b.reload()
    b.wait_for("(zunkClock.step(%d), %s)" % (FRAME_MS, STARTED), "the program to start again")
    b.mouse("mouseMoved", 200, 300)
    until_shown(c, "switches", read_kept("menu"), SWITCHES_BOX, "the menu after the reload")
    frames(c, 100)
    keep(c, "menu", read_kept("menu"))
    play = b.evaluate("zunkClock.step(%d), zunkClock.differing('menu', %s, null, [], 64)"
                      % (FRAME_MS, list(PLAY_BUTTON_BOX)))
    assert play > 300, "PLAY is in English after the reload (%d pixels differ)" % play
    b.click(*PLAY_BUTTON)
    kept_play = read_kept("play")
    until_shown(c, "ball", kept_play, BALL_BOX, "the ball at rest in a new game")
    frames(c, 40)
    b.key(*SPACE_KEY)
    frames(c, 100)
    keep(c, "play", kept_play)
    moved = b.evaluate("zunkClock.step(%d), zunkClock.differing('play', %s, null, [], 64)" % (FRAME_MS, list(BALL_BOX)))
    assert moved == 0, "Space still throws (%d pixels of the ball moved)" % moved
    b.key(*F_KEY)
    scored(c, "f-scored", "the score to count up after a throw by F")
    c.no_errors()


GAME = [check_menu_matches_the_desktops, check_a_click_on_play_starts_the_play, check_a_throw_breaks_bricks_and_scores,
        check_a_touch_throw_scores, check_a_game_over_enters_the_table_and_survives_a_reload,
        check_a_game_in_a_closed_page_is_kept_to_continue, check_a_browser_quit_mid_game_loses_no_more_than_a_throw,
        check_two_tabs_scoring_keep_both_scores_and_replays,
        check_a_game_hidden_then_ended_is_not_offered,
        check_a_french_browser_gets_the_french_sheet, check_the_pace_on_a_60_hz_display,
        check_the_title_loses_no_frame_while_the_sound_waits_and_a_key_starts_it, check_a_gamepad_plays,
        check_a_lost_webgl_context_comes_back_drawing_the_same_game,
        check_the_browsers_wish_for_calm_and_contrast_holds_until_the_player_chooses,
        check_the_options_chosen_in_the_page_are_kept,
        check_a_daily_game_sent_verifies_on_the_desktop_and_in_the_browser]


# ---- checks of the site and the page around the game: offline, a new
# build, storage late, what the page says and where, its own controls

NOTE_SHOWN = "!document.getElementById('note').hidden"
NOTE_TEXT = "document.getElementById('note').textContent"
SAID = "zunkSaid"  # everything the page said, though its note be gone
KEPT_OFFLINE = "Module.zunkKeptOffline === true"
CACHES = "caches.keys()"
SWITCHES = (246, 4, 316, 40)  # the menu's music and sound switches (kMusicIconAt, kSoundsIconAt)
QUIT_BUTTON = (163, 375)  # the menu's fourth button (kButtonY[3])
NEVER_OPENS = "IDBFactory.prototype.open = function () { return {}; };"
# What the page printed as warnings (the program's standard error among
# them), its own (chromium.Browser lists them).
CONSOLE_WARNINGS = "window.__warnings"
# IndexedDB that answers, but only once window.__storageAnswers is called
# (a check calls it when the game has started without it).
ANSWERS_LATE = """
(() => {
  const open = IDBFactory.prototype.open, waiting = [];
  window.__storageAnswers = () => { waiting.splice(0).forEach((go) => go()); return true; };
  IDBFactory.prototype.open = function (...args) {
    const factory = this, late = {};
    waiting.push(() => {
      const request = open.apply(factory, args);
      request.onupgradeneeded = (e) => late.onupgradeneeded && late.onupgradeneeded(e);
      request.onsuccess = (e) => { late.result = request.result; if (late.onsuccess) late.onsuccess(e); };
      request.onerror = (e) => late.onerror && late.onerror(e);
    });
    return late;
  };
})();
"""


def site_table(folder):
    """The build's name and its files' hashes, as its worker holds them."""
    with open(os.path.join(folder, "sw.js"), encoding="utf-8") as f:
        text = f.read()
    return json.loads(text[text.index("var kSite = ") + len("var kSite = "):text.index(";\nvar kCache")])


def open_offline_ready(c, *args):
    b = c.start(*args)
    c.open_game()
    b.wait_for(KEPT_OFFLINE, "the service worker to keep the build")
    return b


def go_offline(c):
    """The page's network cut, and the server gone: nothing but the
    worker's cache can answer."""
    c.browser.offline()
    c.server.shutdown()
    c.server.server_close()


def check_the_page_speaks_the_players_language(c):
    """A French browser: the page's own words are French too (its note,
    its full-screen button)."""
    b = c.start("--lang=fr-FR", "--accept-lang=fr-FR,fr", "--window-size=1000,600")
    b.send("Page.addScriptToEvaluateOnNewDocument", {"source":
           "IDBFactory.prototype.open = function () { throw new DOMException('refused', 'SecurityError'); };"})
    c.open_game()
    said = b.wait_for(SAID + "[0]", "the note")
    assert said.startswith("Ce navigateur ne garde rien pour Zunk"), said
    assert b.evaluate("document.getElementById('fullscreen').title") == "Plein écran"
    c.no_errors()


FIRST_VISIT_BYTES = 2500000  # over the wire, the worker's copy included


def check_the_page_installs_as_an_app(c):
    """The manifest the browser reads: without errors, a standalone portrait
    app with its names in the player's language, and icons of 192 and 512
    pixels that are there, at their size."""
    b = open_offline_ready(c, "--lang=fr-FR", "--accept-lang=fr-FR,fr")
    manifest = b.send("Page.getAppManifest")
    assert manifest["url"].endswith("/zunk.webmanifest") and not manifest.get("errors"), manifest
    parsed = json.loads(manifest["data"])
    assert (parsed["name"], parsed["display"], parsed["orientation"]) == ("Zunk", "standalone", "portrait"), parsed
    assert parsed["translations"]["fr"]["description"].startswith("Lance une balle"), parsed["translations"]["fr"]
    for icon in parsed["icons"]:
        size = b.evaluate("fetch('%s').then((r) => r.blob()).then(createImageBitmap).then((i) => [i.width, i.height])"
                          % icon["src"])
        assert "%dx%d" % tuple(size) == icon["sizes"], (icon, size)
    assert sorted(icon["sizes"] for icon in parsed["icons"]) == ["192x192", "512x512"]
    c.no_errors()


def check_after_one_visit_the_game_plays_offline(c):
    """A first visit takes under 2.5 MB over the wire, the worker's copy
    included; a second asks for nothing but the worker (whether there is a
    new build). Then the network off and the server gone: the page, the
    program and its data come from the worker's cache; the menu is the
    desktop's and a throw scores."""
    b = open_offline_ready(c)
    build = site_table(c.site)["build"]
    assert b.evaluate(CACHES) == ["zunk-" + build], b.evaluate(CACHES)
    print("  first visit: %d bytes over the wire" % c.server.sent)
    assert c.server.sent < FIRST_VISIT_BYTES, "a first visit took %d bytes" % c.server.sent
    url = c.server.url
    asked = len(c.server.answered)
    b.navigate(url)
    c.browser.wait_for(STARTED + " && " + KEPT_OFFLINE, "the program to start again")
    # All the page fetches it has by now; the worker's check follows the navigation.
    end = chromium.time.time() + chromium.DEADLINE
    while not any(a[1] == "/sw.js" for a in c.server.answered[asked:]) and chromium.time.time() < end:
        chromium.time.sleep(0.1)
    second = c.server.answered[asked:]
    assert [a[1] for a in second] == ["/sw.js"], "a second visit asked for %s" % second
    go_offline(c)
    b.hold_the_clock()
    b.navigate(url)
    b.wait_for("(zunkClock.step(%d), %s)" % (FRAME_MS, STARTED), "the program to start offline")
    assert b.evaluate("zunkSite.build") == build
    start_play(c)
    throw_at(c, BALL[0])
    scored(c, "offline-scored", "the score to count up after a throw offline")
    c.no_errors()


def check_a_new_build_replaces_the_old_whole(c):
    """A second build (another version) on the host: the next visit still
    plays the first, whole, from its cache, while the new worker keeps the
    second's files (and the French sheet the player had); the visit after
    plays the second, whole, says so once, and the first is forgotten. It
    then plays offline."""
    live = c.copy_site("live")
    second = os.path.join(c.scratch, "second")
    subprocess.run([sys.executable, os.path.join(ROOT, "web", "makesite.py"), ROOT, c.build, second, "9.9.9-check"],
                   check=True, stdout=subprocess.DEVNULL)
    first_build, second_build = site_table(live)["build"], site_table(second)["build"]
    assert first_build != second_build
    c.serve(live)
    url = c.server.url
    b = open_offline_ready(c, "--lang=fr-FR", "--accept-lang=fr-FR,fr")
    assert b.evaluate(SAID) == [], b.evaluate(SAID)
    shutil.rmtree(live)
    shutil.copytree(second, live)
    b.navigate(url)
    b.wait_for(STARTED, "the program to start again")
    assert b.evaluate("zunkSite.build") == first_build, "the page of the second build came before its worker"
    # The second's worker has taken over (the page had started) and forgot the first.
    b.wait_for("caches.keys().then((k) => k.length === 1 && k[0] === 'zunk-%s')" % second_build,
               "the second build's worker to keep its files and take over")
    assert b.evaluate(SAID) == [], "said before the new build runs: %s" % b.evaluate(SAID)
    kept = b.evaluate("""(async () => {
      const cache = await caches.open('zunk-%s'), found = {};
      for (const request of await cache.keys()) {
        const bytes = await (await cache.match(request)).arrayBuffer();
        const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
        found[new URL(request.url).pathname.slice(1) || 'index.html'] =
          Array.from(digest, (x) => x.toString(16).padStart(2, '0')).join('');
      }
      return found;
    })()""" % second_build)
    table = site_table(second)["files"]
    assert all(table.get(name) == digest for name, digest in kept.items()), "a file of another build was kept"
    assert any(name.startswith("sheets/zunk-fr.") for name in kept), "the player's sheet was not carried over"
    b.navigate(url)
    b.wait_for(STARTED, "the second build to start")
    assert b.evaluate("zunkSite.build") == second_build
    said = b.wait_for(SAID + "[0]", "the page to say it was updated")
    assert "9.9.9-check" in said, said
    b.navigate(url)
    b.wait_for(STARTED, "the second build to start again")
    assert b.evaluate(SAID) == [], "said twice: %s" % b.evaluate(SAID)
    go_offline(c)
    b.navigate(url)
    b.wait_for(STARTED, "the second build to start offline")
    assert b.evaluate("zunkSite.build") == second_build
    assert c.file("/zunk/share/zunk/zunk-fr.png"), "the French sheet is not there offline"
    c.no_errors()


def check_storage_that_never_answers_lets_the_game_start(c):
    """IndexedDB that never answers: the game starts all the same, the
    page says storage is late, and the note is gone a few seconds later; a
    setting switched meanwhile is not kept, and the program says so."""
    b = c.start()
    b.send("Page.addScriptToEvaluateOnNewDocument", {"source": NEVER_OPENS})
    c.open_game()
    said = b.wait_for(SAID + "[0]", "the page to say storage is late")
    assert "slow to answer" in said, said
    b.key(*MUSIC_KEY)
    b.wait_for("(() => { const said = %s; return said.some((line) => line.includes('could not be saved') &&"
               " line.includes('has not answered yet')); })()" % CONSOLE_WARNINGS,
               "the program to say the setting was not kept")
    b.wait_for("document.getElementById('note').hidden", "the note to go")
    frames = b.evaluate("Module.zunkGameFrames")
    b.wait_for("Module.zunkGameFrames > %d + 80" % frames, "the game to play on")
    c.no_errors()


def check_storage_that_answers_late_is_not_overwritten(c):
    """Storage that answers only after the game has started without it:
    what the visit switched meanwhile is not written over what storage
    holds, which comes in when it answers; a switch after that is kept
    with the rest of what storage holds."""
    b = c.start()
    c.open_game()
    kept = c.files_kept()
    b.key(*MUSIC_KEY)
    c.wait_files_written(kept, "the settings written through")
    b = c.restart()
    b.send("Page.addScriptToEvaluateOnNewDocument", {"source": ANSWERS_LATE})
    c.open_game()
    b.wait_for(SAID + "[0]", "the page to say storage is late")
    assert "music=off" not in bytes(c.file(SETTINGS) or []).decode(), "storage was read after all"
    b.key(*MUSIC_KEY)  # music off, then on again, neither kept
    b.key(*MUSIC_KEY)
    kept = c.files_kept()
    b.evaluate("window.__storageAnswers()")
    b.wait_for("(() => { try { return new TextDecoder().decode(FS.readFile('%s')).includes('music=off'); }"
               " catch (e) { return false; } })()" % SETTINGS, "the stored settings to come in")
    b.key("s", "KeyS", 83)  # the sound effects off: kept into the stored settings
    c.wait_files_written(kept, "the switch written through")
    c.no_errors()
    b = c.restart()
    c.open_game()
    settings = bytes(c.file(SETTINGS) or []).decode()
    assert "music=off" in settings and "sounds=off" in settings, "the late visit lost a setting: %s" % settings
    c.no_errors()


def check_storage_late_then_answering_keeps_the_visits_score_and_the_table(c):
    """A game played to GAME OVER while storage has not answered: when it
    answers, the game enters the table storage holds, with its replay, and
    the next visit has both."""
    b = c.start()
    c.open_game()
    store_table(c, LOW_TABLE)
    b.close()
    b = c.start()
    b.send("Page.addScriptToEvaluateOnNewDocument", {"source": ANSWERS_LATE})
    b.hold_the_clock()
    b.navigate(c.server.url)
    b.wait_for("(zunkClock.step(%d), %s)" % (FRAME_MS, STARTED), "the program to start without storage")
    b.wait_for(SAID + "[0]", "the page to say storage is late")
    start_play(c)
    for x in COLUMNS[:4]:
        throw_at(c, x)
        frames(c, 120)
    until_shown(c, "gameover", read_kept("gameover"), MENU_ZONE, "GAME OVER", limit=GAME_OVER_LIMIT, changed=True)
    ran = 0
    while ran < GAME_OVER_LIMIT and not b.evaluate(CONSOLE_WARNINGS + ".some((l) => l.includes('has not answered yet'"
                                                   ") && l.includes('high scores'))"):
        frames(c, FRAME_RUN)
        ran += FRAME_RUN
    assert c.file(SCORES) is None, "a table was written before storage answered"
    kept = c.files_kept()
    b.evaluate("window.__storageAnswers()")
    c.wait_files_written(kept, "the game entered into the stored table and written through")
    rows = linked_replays(c)
    b = c.restart()
    c.open_game()
    table = scores_of(c.file(SCORES) or [])
    print("  the table: %s, its games: %s" % (table, rows))
    assert len(rows) == 1 and rows[0][2] and linked_replays(c) == rows, "the visit's game is not kept: %s" % rows
    expected = sorted(LOW_TABLE + [rows[0][0]], reverse=True)[:10]
    assert table == expected, "the stored table and the visit's game are not both kept: %s" % table
    c.no_errors()


# Entries the page never writes, put in its storage as a damaged or hostile
# one might hold them: in IndexedDB a file without contents, one of a mode
# that is none, one outside the player's folder (the game's own picture);
# in the copy a closed page leaves in local storage, a bad date, and a path
# that climbs out of the player's folder to the game's picture.
PICTURE = "/zunk/share/zunk/zunk.png"
DAMAGED_ENTRIES = {RECORDS + "/no-contents": "no contents", RECORDS + "/bad-mode": "a bad mode",
                   PICTURE: "outside the player's folder"}
DAMAGED_COPY = {RECORDS + "/bad-date": "a bad date", HOME + "/../.." + PICTURE: "outside the player's folder"}
DAMAGE = """new Promise((done, fail) => {
  localStorage.setItem('zunk-user-files:damaged', JSON.stringify({
    '%(RECORDS)s/bad-date': [33188, 'yesterday', btoa('x')],
    '%(HOME)s/../..%(PICTURE)s': [33188, Date.now(), btoa('not a picture')]}));
  const request = indexedDB.open('%(HOME)s', 21);
  request.onsuccess = () => {
    const db = request.result, t = db.transaction(['FILE_DATA'], 'readwrite'), store = t.objectStore('FILE_DATA');
    store.put({timestamp: new Date(), mode: 33188}, '%(RECORDS)s/no-contents');
    store.put({timestamp: new Date(), mode: 'rw', contents: new Uint8Array(4)}, '%(RECORDS)s/bad-mode');
    store.put({timestamp: new Date(), mode: 33188, contents: new Uint8Array([1, 2, 3])}, '%(PICTURE)s');
    t.oncomplete = () => { db.close(); done(true); };
    t.onabort = () => fail(String(t.error));
  };
  request.onerror = () => fail(String(request.error));
})""" % {"RECORDS": RECORDS, "HOME": HOME, "PICTURE": PICTURE}


def check_damaged_storage_is_left_out_and_saving_goes_on(c):
    """Entries the page never writes, in IndexedDB and in the copy a closed
    page leaves in local storage: each is left out with a line on the
    console naming it, the game's own files are as they were, what storage
    holds besides is read, and saving goes on, kept for the next visit."""
    b = c.start()
    c.open_game()
    picture = c.file(PICTURE)
    store_table(c, LOW_TABLE)
    b.evaluate(DAMAGE)
    b = c.restart()
    c.open_game()
    warnings = b.evaluate(CONSOLE_WARNINGS)
    for path, why in list(DAMAGED_ENTRIES.items()) + list(DAMAGED_COPY.items()):
        assert any(path in line and why in line for line in warnings), "%s (%s) not said: %s" % (path, why, warnings)
    assert c.file(PICTURE) == picture, "the game's own picture was changed"
    assert scores_of(c.file(SCORES) or []) == LOW_TABLE, "the rest of storage was not read"
    assert not b.evaluate(SAID), "the page said: %s" % b.evaluate(SAID)
    kept = c.files_kept()
    b.key(*MUSIC_KEY)
    c.wait_files_written(kept, "the settings written through")
    b = c.restart()
    c.open_game()
    assert "music=off" in bytes(c.file(SETTINGS) or []).decode(), "saving did not go on"
    assert c.file(PICTURE) == picture, "the game's own picture was changed"
    c.no_errors()


def check_a_webgl_context_never_given_back_is_said(c):
    """The WebGL context taken away and not given back: after a few seconds
    the page says so, rather than staying dark; once the browser gives it
    back, the note goes."""
    b = c.start()
    c.open_game()
    b.evaluate(LOSE_CONTEXT)
    said = b.wait_for(NOTE_SHOWN + " && " + NOTE_TEXT, "the page to say the drawing is gone")
    assert "not given it back" in said, said
    b.evaluate("zunkLoss.extension.restoreContext()")
    b.wait_for("document.getElementById('note').hidden", "the note to go once the drawing is back")
    c.no_errors()


def page_rect(b, box):
    """A box of the game's (x1, y1, x2, y2) in the page's pixels."""
    left, top, width, height = b.game_box()
    sx, sy = width / 320, height / 480
    return (left + box[0] * sx, top + box[1] * sy, left + box[2] * sx, top + box[3] * sy)


def overlap(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def check_a_note_covers_no_control_and_goes(c):
    """A note (here: storage refused) lies where it covers none of the
    game's controls (the switches, MENU, the score), on a phone's page and
    beside the game on a wide one; a press on it reaches the game, and it
    is gone a few seconds later."""
    for size, name in (((360, 640), "note-phone"), ((1000, 600), "note-wide")):
        b = c.start("--window-size=%d,%d" % size) if c.browser is None else c.restart("--window-size=%d,%d" % size)
        b.send("Page.addScriptToEvaluateOnNewDocument", {"source":
               "IDBFactory.prototype.open = function () { throw new DOMException('refused', 'SecurityError'); };"})
        # The note is placed by the page's size alone: it is measured as
        # soon as it shows, the game's controls once the game runs.
        b.navigate(c.server.url)
        b.wait_for(NOTE_SHOWN, "the note")
        note = b.evaluate("(() => { const r = document.getElementById('note').getBoundingClientRect();"
                          " return [r.left, r.top, r.right, r.bottom]; })()")
        middle = ((note[0] + note[2]) / 2, (note[1] + note[3]) / 2)
        assert b.evaluate("document.elementFromPoint(%f, %f).id" % middle) == "canvas", "the note takes presses"
        b.wait_for(STARTED, "the program to start and run its first frame")
        if b.evaluate(NOTE_SHOWN):
            data = b.send("Page.captureScreenshot", {"format": "png"})["data"]
            with open(os.path.join(SHOTS, name + ".png"), "wb") as f:
                f.write(base64.b64decode(data))
        for control in (SWITCHES, MENU_ZONE, SCORE_DIGITS):
            assert not overlap(note, page_rect(b, control)), "the note %s covers %s at %s" % (note, control, size)
        assert note[2] - note[0] >= 150, "a note too narrow to read: %s" % note
        b.wait_for("document.getElementById('note').hidden", "the note to go", deadline=60)
        c.no_errors()


def check_the_full_screen_control_is_drawn(c):
    """The full-screen control, where the margins leave it room, is our
    own drawing: four white corners, nothing in the middle."""
    b = c.start("--window-size=1000,600")
    c.open_game()
    assert b.evaluate("!document.getElementById('fullscreen').hidden"), "no full-screen control beside the game"
    box = b.evaluate("(() => { const r = document.getElementById('fullscreen').getBoundingClientRect();"
                     " return [r.left, r.top, r.width, r.height]; })()")
    data = base64.b64decode(b.send("Page.captureScreenshot", {"format": "png", "clip": {
        "x": box[0], "y": box[1], "width": box[2], "height": box[3], "scale": 1}})["data"])
    with open(os.path.join(SHOTS, "fullscreen-control.png"), "wb") as f:
        f.write(data)
    width, height, rows = chromium.read_png(data)

    def bright(x1, y1, x2, y2):
        return sum(1 for y in range(y1, y2) for x in range(x1, x2) if min(rows[y][x]) > 150)

    q = width // 4
    corners = [bright(0, 0, q + 4, q + 4), bright(width - q - 4, 0, width, q + 4),
               bright(0, height - q - 4, q + 4, height), bright(width - q - 4, height - q - 4, width, height)]
    assert all(n >= 12 for n in corners), "corners not drawn: %s bright pixels" % corners
    assert bright(q + 4, q + 4, width - q - 4, height - q - 4) == 0, "something in the middle"
    c.no_errors()


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, format, *args):
        pass


class PlainHost(QuietHandler):
    """A static host that knows nothing of the site: no gzip, the wasm and
    the manifest as bytes of no particular type."""
    TYPES = {".html": "text/html", ".js": "text/javascript", ".png": "image/png"}

    def guess_type(self, path):
        return self.TYPES.get(os.path.splitext(path)[1], "application/octet-stream")


def serve_plainly(folder):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(PlainHost, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    server.url = "http://127.0.0.1:%d/" % server.server_address[1]
    return server


def check_the_site_plays_from_a_plain_static_host(c):
    """The site as it is on a host that knows nothing of it (Python's own
    static server, every unknown type as bytes): the game starts and the
    worker keeps it for offline play."""
    c.server.shutdown()
    c.server.server_close()
    c.server = serve_plainly(c.site)
    b = open_offline_ready(c)
    assert b.evaluate("zunkSite.build") == site_table(c.site)["build"]
    c.no_errors()


def check_a_click_gives_the_keyboard_to_the_game_in_a_frame(c):
    """The page in another page's frame, the keyboard on that page: a
    click on the game gives the game the keys (M switches the music)."""
    folder = os.path.join(c.scratch, "embedding")
    os.makedirs(folder)
    with open(os.path.join(folder, "index.html"), "w") as f:
        f.write("<!doctype html><input id=outer><iframe src='%s' style='width:320px;height:480px;border:0'>"
                "</iframe>" % c.server.url)
    # Another server's page: another origin (its port), as an embedding site is.
    outer = serve_plainly(folder)
    try:
        embedded_keyboard(c, outer.url)
    finally:
        outer.shutdown()
        outer.server_close()


def embedded_keyboard(c, outer_url):
    b = c.start()
    origin = c.server.url.rstrip("/")
    b.navigate(outer_url)
    b.wait_for("!!document.querySelector('iframe')", "the frame")

    def started_in_frame():
        context = b.frame_context(origin)
        try:
            return context if context is not None and b.evaluate(STARTED, context) else None
        except RuntimeError:  # a context gone as the frame loads
            return None

    end = chromium.time.time() + chromium.DEADLINE
    context = started_in_frame()
    while context is None and chromium.time.time() < end:
        chromium.time.sleep(0.1)
        context = started_in_frame()
    assert context is not None, "the game in the frame did not start"
    b.evaluate("document.getElementById('outer').focus()")
    assert b.evaluate("document.activeElement.id") == "outer"
    assert not b.evaluate("document.hasFocus()", context), "the frame has the keyboard already"
    frame = b.evaluate("(() => { const r = document.querySelector('iframe').getBoundingClientRect();"
                       " return [r.left, r.top]; })()")
    for kind, buttons in (("mousePressed", 1), ("mouseReleased", 0)):
        b.send("Input.dispatchMouseEvent", {"type": kind, "x": frame[0] + 160, "y": frame[1] + 60,
                                            "button": "left", "buttons": buttons, "clickCount": 1})
    b.wait_for("document.hasFocus()", "the frame to get the keyboard", context=context)
    before = b.evaluate("Module.zunkFilesKept", context)
    b.key(*MUSIC_KEY)
    b.wait_for("Module.zunkFilesKept > %d" % before, "the music switch saved", context=context)
    settings = b.evaluate("new TextDecoder().decode(FS.readFile('%s'))" % SETTINGS, context)
    assert "music=off" in settings, settings
    c.no_errors()


def without(c, names):
    """A copy of the site without `names` (and their twins), served."""
    folder = c.copy_site("without-" + names[0].replace("/", "-"))
    for name in names:
        for path in (os.path.join(folder, name), os.path.join(folder, name + ".gz")):
            if os.path.exists(path):
                os.remove(path)
    c.serve(folder)


def errors_but_the_404(b):
    """The console's errors, but for the browser's own line for a 404."""
    return [e for e in b.errors() if not e.startswith("log: Failed to load resource: the server responded with "
                                                       "a status of 404")]


def check_a_page_that_cannot_load_its_files_says_so(c):
    """zunk.data, zunk.wasm or zunk.js missing from the host: the page says
    which, and nothing is thrown."""
    for name in ("zunk.data", "zunk.wasm", "zunk.js"):
        without(c, [name])
        b = c.start() if c.browser is None else c.restart()
        b.navigate(c.server.url)
        said = b.wait_for(SAID + "[0]", "the page to say %s is missing" % name)
        assert name in said and b.evaluate(NOTE_SHOWN), said
        errors = errors_but_the_404(b)
        assert not errors, "errors on the console: %s" % errors[:5]


def check_without_its_sheet_the_game_plays_in_english(c):
    """A French player whose sheet the host lacks: the page says so, and
    the game plays, in English."""
    sheet = [name for name in site_table(c.site)["files"] if name.startswith("sheets/zunk-fr.")]
    without(c, sheet)
    b = c.start("--lang=fr-FR", "--accept-lang=fr-FR,fr")
    c.open_game()
    said = b.evaluate(SAID + "[0]")
    assert said and sheet[0] in said, said
    assert c.file("/zunk/share/zunk/zunk-fr.png") is None
    errors = errors_but_the_404(b)
    assert not errors, "errors on the console: %s" % errors[:5]


def check_quit_as_the_first_press_throws_nothing(c):
    """QUIT pressed as the page's first gesture (which also asks for the
    sound): a page is not closed by its program, so the game goes back to
    its title and plays on; nothing is thrown, the page says nothing."""
    b = open_held(c)
    open_menu(c)
    b.click(*QUIT_BUTTON)
    # The kept title's arrow and the one where QUIT was clicked differ.
    until_shown(c, "title-again", read_kept("title"), (0, 0, 320, 480), "the title again after QUIT", most=1200)
    ran = b.evaluate("Module.zunkGameFrames")
    frames(c, 10)
    assert b.evaluate("Module.zunkGameFrames") > ran, "the program stopped after QUIT"
    assert not b.evaluate(NOTE_SHOWN), b.evaluate(SAID)
    b.evaluate("new Promise((done) => setTimeout(done, 500))")  # a rejection is reported a task later
    c.no_errors()


HELP_BUTTON = (163, 278)  # the menu's third button (kButtonY[2])
HELP_KEYS = (7, 346, 319, 382)  # the help panel's rows of the keys a page takes (kHelpPageKeys)


def check_help_says_the_pages_keys(c):
    """HELP in a page: the panel as the desktop's, but for its rows of the
    keys the browser keeps (no Ctrl+Q, the screenshot downloaded)."""
    b = open_held(c)
    open_menu(c)
    b.click(*HELP_BUTTON)
    kept = read_kept("help")
    # Its arrow where HELP was clicked, the kept frame's elsewhere.
    until_shown(c, "help-top", kept, (7, 90, 319, HELP_KEYS[1]), "the help panel as the desktop's above its keys",
                most=1200)
    until_shown(c, "help-keys", kept, HELP_KEYS, "the page's own keys on the help panel", changed=True, limit=1)
    c.no_errors()


MENU_ARROW = (200, 306, 220, 328)  # the game's arrow where open_menu leaves the mouse, below the buttons
FREE_SPOT = (300, 250)  # a point of the menu no button takes
# TODAY'S WALL's wobble reaches into MENU_ARROW's box by fewer pixels than
# the arrow covers there.
ARROW_MOST = 120


def check_the_games_arrow_only_while_a_mouse_points(c):
    """The game's arrow, where the mouse left it on the menu, is gone after
    a touch and after a key of the play, and back when the mouse moves."""
    b = c.start()
    b.send("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 1})
    b.hold_the_clock()
    b.navigate(c.server.url)
    b.wait_for("(zunkClock.step(%d), %s)" % (FRAME_MS, STARTED), "the program to start and run its first frame")
    open_menu(c)  # with the arrow as the kept frame has it
    kept = read_kept("menu")
    b.touch_drag(FREE_SPOT, FREE_SPOT, steps=1)
    until_shown(c, "touched", kept, MENU_ARROW, "the arrow gone after a touch", changed=True, most=ARROW_MOST,
                limit=20)
    until_shown(c, "touched-spot", kept, (FREE_SPOT[0], FREE_SPOT[1], 320, FREE_SPOT[1] + 28),
                "no arrow where the finger touched", limit=20)
    # (A move to where the mouse already is reaches no page.)
    b.mouse("mouseMoved", 205, 305)
    b.mouse("mouseMoved", 200, 300)
    until_shown(c, "pointed", kept, MENU_ARROW, "the arrow back as the mouse moves", most=ARROW_MOST, limit=20)
    b.key("Tab", "Tab", 9)
    until_shown(c, "keyed", kept, MENU_ARROW, "the arrow gone after a key of the menu", changed=True,
                most=ARROW_MOST, limit=20)
    c.no_errors()


def check_shift_f6_downloads_the_screenshot(c):
    """Shift+F6 in a page: the frame downloaded as a PNG the size of the game."""
    b = c.start()
    downloads = os.path.join(c.scratch, "downloads")
    os.makedirs(downloads)
    b.send("Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": downloads}, session=False)
    c.open_game()
    shift = {"key": "Shift", "code": "ShiftLeft", "windowsVirtualKeyCode": 16, "nativeVirtualKeyCode": 16}
    b.send("Input.dispatchKeyEvent", dict(shift, type="rawKeyDown", modifiers=8))
    b.key("F6", "F6", 117, 8)
    b.send("Input.dispatchKeyEvent", dict(shift, type="keyUp"))
    shots = []
    for _ in range(300):
        shots = [n for n in os.listdir(downloads) if n.startswith("zunk-screenshot-") and n.endswith(".png")]
        if shots:
            break
        b.evaluate("new Promise((done) => setTimeout(done, 100))")
    assert shots, "Shift+F6 downloaded nothing: %s" % os.listdir(downloads)
    b.evaluate("new Promise((done) => setTimeout(done, 1000))")  # time for a second one, which must not come
    shots = [n for n in os.listdir(downloads) if n.startswith("zunk-screenshot-")]
    assert len(shots) == 1, "one press of Shift+F6, %d screenshots: %s" % (len(shots), shots)
    with open(os.path.join(downloads, shots[0]), "rb") as f:
        width, height, _ = chromium.read_png(f.read())
    assert (width, height) == (320, 480), (width, height)
    c.no_errors()


SCORES_BUTTON = (163, 213)  # the menu's second button (kButtonY[1])
EXPORT_BUTTON, IMPORT_BUTTON = (56, 20), (264, 20)  # the high scores' EXPORT and IMPORT (kExportAt, kImportAt)
RECORDS = HOME + "/.local/share/zunk"


def desktop_zunk():
    path = os.environ.get("ZUNK_DESKTOP") or os.path.join(ROOT, "build", "zunk")
    assert os.path.exists(path), "no desktop program to carry records with (%s; ZUNK_DESKTOP names one)" % path
    return path


def desktop_home(folder, scores=None):
    """A desktop player's home: with `scores`, a table whose first row has
    the stored replay of a game that scored 169."""
    records = os.path.join(folder, ".local", "share", "zunk")
    os.makedirs(records)
    if scores:
        with open(os.path.join(records, "thescores"), "wb") as f:
            f.write(b"".join(v.to_bytes(4, "little", signed=True) for v in scores))
        shutil.copy(os.path.join(ROOT, "tests", "replays", "ended-every-bonus-169.zunkreplay"),
                    os.path.join(records, "replay-1-169.zunkreplay"))
        with open(os.path.join(records, "thescores.replays"), "w") as f:
            f.write("169 replay-1-169.zunkreplay\n")
    return folder


def desktop(home, *args):
    env = dict(os.environ, HOME=home, XDG_DATA_HOME="", XDG_CONFIG_HOME="", SDL_VIDEODRIVER="offscreen")
    return subprocess.run([desktop_zunk()] + list(args), env=env, capture_output=True, text=True, timeout=120)


def give_file(c, data):
    c.browser.evaluate("Module.zunkGiveFile(new File([Uint8Array.from(atob('%s'), (ch) => ch.charCodeAt(0))], 'x'))"
                       % base64.b64encode(data).decode())


def check_records_carried_from_the_desktop_to_the_page_and_back(c):
    """A file the desktop's --export wrote, given to the page on its high
    scores, brings the score and its replay; a damaged one changes nothing;
    the page's EXPORT downloads a file the desktop's --import takes."""
    one = desktop_home(os.path.join(c.scratch, "one"), [169, 30, 25, 20, 19, 18, 15, 10, 9, 8])
    exported = os.path.join(c.scratch, "one.zunkrecords")
    done = desktop(one, "--export", exported)
    assert done.returncode == 0, done.stderr
    with open(exported, "rb") as f:
        carried = f.read()
    b = open_held(c)
    open_menu(c)
    b.click(*SCORES_BUTTON)
    frames(c, 120)
    damaged = bytearray(carried)
    damaged[len(damaged) // 2] ^= 0x55
    before = c.file(SCORES)
    give_file(c, bytes(damaged))
    frames(c, 20)
    assert c.file(SCORES) == before, "a damaged file changed the table"
    give_file(c, carried)
    ran = 0
    while scores_of(c.file(SCORES) or [0])[0] != 169:
        assert ran < 400, "the desktop's file did not bring its score: %s" % scores_of(c.file(SCORES) or [])
        frames(c, 10)
        ran += 10
    listed = bytes(c.file(RECORDS + "/thescores.replays") or []).decode()
    assert listed.startswith("169 replay-"), "the score came without its replay: %r" % listed
    # The page's EXPORT: a download.
    downloads = os.path.join(c.scratch, "downloads")
    os.makedirs(downloads)
    b.send("Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": downloads}, session=False)
    b.click(*EXPORT_BUTTON)
    frames(c, 5)
    downloaded = os.path.join(downloads, "zunk-records.zunkrecords")
    for _ in range(300):
        if os.path.exists(downloaded):
            break
        b.evaluate("new Promise((done) => setTimeout(done, 100))")
    assert os.path.exists(downloaded), "EXPORT downloaded nothing: %s" % os.listdir(downloads)
    two = desktop_home(os.path.join(c.scratch, "two"))
    done = desktop(two, "--import", downloaded)
    assert done.returncode == 0 and "imported" in done.stdout, done.stdout + done.stderr
    with open(os.path.join(two, ".local", "share", "zunk", "thescores"), "rb") as f:
        assert scores_of(f.read())[0] == 169, "the page's file did not bring the score back"
    # IMPORT opens the page's file picker.
    b.click(*IMPORT_BUTTON)
    frames(c, 3)
    assert b.evaluate("!!Module.zunkPicker && Module.zunkPicker.type === 'file'"), "IMPORT opened no picker"
    c.no_errors()


SITE = [check_the_page_speaks_the_players_language, check_the_page_installs_as_an_app,
        check_after_one_visit_the_game_plays_offline, check_a_new_build_replaces_the_old_whole,
        check_storage_that_never_answers_lets_the_game_start, check_storage_that_answers_late_is_not_overwritten,
        check_storage_late_then_answering_keeps_the_visits_score_and_the_table,
        check_damaged_storage_is_left_out_and_saving_goes_on, check_a_webgl_context_never_given_back_is_said,
        check_a_note_covers_no_control_and_goes, check_the_full_screen_control_is_drawn,
        check_a_click_gives_the_keyboard_to_the_game_in_a_frame, check_a_page_that_cannot_load_its_files_says_so,
        check_without_its_sheet_the_game_plays_in_english,
        check_quit_as_the_first_press_throws_nothing, check_the_site_plays_from_a_plain_static_host,
        check_help_says_the_pages_keys, check_records_carried_from_the_desktop_to_the_page_and_back,
        check_the_games_arrow_only_while_a_mouse_points, check_shift_f6_downloads_the_screenshot]


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    build, wanted = sys.argv[1], sys.argv[2:]
    checks = [f for f in PLATFORM + GAME + SITE if not wanted or any(w in f.__name__ for w in wanted)]
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

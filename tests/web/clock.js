// Put into the page before its own scripts by the checks that play the game
// (chromium.Browser.hold_the_clock): the page's clock stands still but for
// the steps the check takes, and animation frames come only with them. The
// game then runs the same frames, with the same input between them, however
// busy the machine is; and a frame drawn can be read back before the page
// shows it (the canvas keeps it until the step's task ends).
(() => {
  "use strict";
  let now = 1000;
  let waiting = [];
  performance.now = () => now;
  window.requestAnimationFrame = (callback) => {
    waiting.push(callback);
    return waiting.length;
  };
  window.cancelAnimationFrame = () => {};

  const kept = {};

  // The game's pixels as the last frame drew them, RGB from the top row
  // down (the game at one pixel a game pixel: a page of the game's size).
  function gamePixels() {
    const gl = Module.ctx, box = Module.zunkGameBox;
    const width = Math.round(box[2]), height = Math.round(box[3]);
    const rgba = new Uint8Array(width * height * 4);
    const bound = gl.getParameter(gl.FRAMEBUFFER_BINDING);
    gl.bindFramebuffer(gl.FRAMEBUFFER, null);
    gl.readPixels(Math.round(box[0]), gl.drawingBufferHeight - Math.round(box[1]) - height, width, height, gl.RGBA,
                  gl.UNSIGNED_BYTE, rgba);
    gl.bindFramebuffer(gl.FRAMEBUFFER, bound);
    const rgb = new Uint8Array(width * height * 3);
    for (let y = 0; y < height; y++)
      for (let x = 0; x < width; x++)
        for (let c = 0; c < 3; c++) rgb[(y * width + x) * 3 + c] = rgba[((height - 1 - y) * width + x) * 4 + c];
    return { width, height, rgb };
  }

  // The program waits for another tab to let the player's files go
  // (browser-pre.js): its time stands still until it goes on.
  const asleep = () => typeof Asyncify !== "undefined" && !!Asyncify.currData;

  window.zunkClock = {
    asleep,
    // Moves the clock on by `ms` and runs the animation frame due then;
    // gives the game frames it ran (none while the program waits).
    step(ms) {
      if (asleep()) return 0;
      now += ms;
      const before = Module.zunkGameFrames || 0;
      const due = waiting;
      waiting = [];
      for (const callback of due) callback(now);
      return (Module.zunkGameFrames || 0) - before;
    },
    // A picture to compare frames with: RGB rows, base64, `width` wide.
    keep(name, width, base64) {
      const bytes = atob(base64);
      const rgb = new Uint8Array(bytes.length);
      for (let i = 0; i < bytes.length; i++) rgb[i] = bytes.charCodeAt(i);
      kept[name] = { width, rgb };
    },
    // How many pixels of `box` [x1, y1, x2, y2] in the frame just drawn
    // differ from the kept picture's (at `at`, the box's corner in it; the
    // same place by default) by more than a squared distance of
    // `tolerance`, leaving out the boxes in `skip`.
    differing(name, box, at, skip, tolerance) {
      const frame = gamePixels(), picture = kept[name];
      const [kx, ky] = at || [box[0], box[1]];
      let count = 0;
      for (let y = box[1]; y < box[3]; y++)
        for (let x = box[0]; x < box[2]; x++) {
          if ((skip || []).some((s) => s[0] <= x && x < s[2] && s[1] <= y && y < s[3])) continue;
          const f = (y * frame.width + x) * 3, p = ((y - box[1] + ky) * picture.width + x - box[0] + kx) * 3;
          let distance = 0;
          for (let c = 0; c < 3; c++) distance += (frame.rgb[f + c] - picture.rgb[p + c]) ** 2;
          if (distance > tolerance) count++;
        }
      return count;
    },
    // Runs game frames one at a time, a frame's time apart, until the
    // frame drawn matches (`differing` at most `most`), or, `changed`, no
    // longer does; gives how many ran, or -1 when `limit` frames never did
    // (`closest` is then the count nearest to it).
    // Gives 0 at once when the program waits (the check waits with it).
    until(frameTime, limit, name, box, at, skip, tolerance, most, changed) {
      this.closest = changed ? -1 : Infinity;
      for (let i = 1; i <= limit; i++) {
        if (asleep()) return 0;
        this.step(frameTime);
        const count = this.differing(name, box, at, skip, tolerance);
        if (changed ? count > most : count <= most) return i;
        this.closest = changed ? Math.max(this.closest, count) : Math.min(this.closest, count);
      }
      return -1;
    },
    // Runs `count` game frames, a frame's time apart, or fewer when the
    // program comes to wait (or runs none); gives how many ran.
    run(count, frameTime) {
      let ran = 0;
      for (let steps = 0; ran < count && steps < 2 * count && !asleep(); steps++) ran += this.step(frameTime);
      return ran;
    },
    // The next frame, RGB base64, for a check's record of a failure.
    frame(frameTime) {
      this.step(frameTime);
      return this.drawn();
    },
    // The frame just drawn, RGB base64.
    drawn() {
      const frame = gamePixels();
      let text = "";
      for (let i = 0; i < frame.rgb.length; i += 0x8000)
        text += String.fromCharCode.apply(null, frame.rgb.subarray(i, i + 0x8000));
      return [frame.width, frame.height, btoa(text)];
    },
    // The frame just drawn as one number (FNV-1a over its RGB bytes), to
    // compare many frames with another page's.
    digest() {
      let hash = 0x811c9dc5;
      for (const byte of gamePixels().rgb) hash = Math.imul(hash ^ byte, 0x01000193);
      return hash >>> 0;
    },
  };
})();

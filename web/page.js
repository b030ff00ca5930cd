// The page around the game (put into index.html by web/makesite.py, with
// zunkSite: this build's version and name, its per-language sheets and the
// page's words in every language). It checks for WebGL, fetches the
// program, its data and the player's sheet at once, says on the page what
// went wrong if any of it cannot be had, starts the program, and then lets
// the service worker keep this build for the next visit, offline too.
(function () {
  "use strict";
  var kWidth = 320, kHeight = 480;
  // The game's switches lie in its top right corner, below them nothing the
  // player presses: a note lies over the rest of the top, or in the margin
  // beside the game where there is room for it.
  var kSwitchesWidth = 80;
  var kMarginForNote = 200;
  var kNoteSeconds = 8;
  var kDataFolder = "/zunk/share/zunk"; // where CMakeLists.txt packs the data
  var canvas = document.getElementById("canvas");
  var note = document.getElementById("note");
  var fullscreen = document.getElementById("fullscreen");
  var site = window.zunkSite;

  // ---- the player's language, as the program chooses it

  // navigator.languages as the program reads them (browserLanguageTags in
  // engine/platform/Host.cpp): "ll" or "ll_CC", a tag with a script or a
  // variant left out.
  function languageTags() {
    var list = navigator.languages && navigator.languages.length ? navigator.languages : [navigator.language || ""];
    var tags = [];
    list.forEach(function (entry) {
      var dash = entry.indexOf("-");
      var language = dash < 0 ? entry : entry.slice(0, dash), region = dash < 0 ? "" : entry.slice(dash + 1);
      if (!/^[A-Za-z]{2,3}$/.test(language) || (dash >= 0 && !/^[A-Za-z]{2}$/.test(region))) return;
      tags.push(language.toLowerCase() + (dash >= 0 ? "_" + region.toUpperCase() : ""));
    });
    return tags;
  }

  // The first tag that `have` (each "ll_CC" before its "ll"), English
  // otherwise: pickLanguageIf in game/shared/language.cpp.
  function pick(have) {
    var tags = languageTags();
    for (var i = 0; i < tags.length; i++) {
      var region = tags[i].indexOf("_");
      if (have(tags[i])) return tags[i];
      if (region >= 0 && have(tags[i].slice(0, region))) return tags[i].slice(0, region);
    }
    return "en";
  }

  // The sheet the program will take: English's is in zunk.data.
  var sheetLanguage = pick(function (tag) {
    return tag === "en" || Object.prototype.hasOwnProperty.call(site.sheets, tag.toLowerCase());
  });
  var sheet = sheetLanguage === "en" ? null : site.sheets[sheetLanguage.toLowerCase()];
  var words = site.words[pick(function (tag) {
    return tag === "en" || Object.prototype.hasOwnProperty.call(site.words, tag.toLowerCase());
  }).toLowerCase()] || {};

  // The page's words in the player's language; "%s" is `value`.
  function tr(english, value) {
    var text = Object.prototype.hasOwnProperty.call(words, english) ? words[english] : english;
    return value === undefined ? text : text.replace("%s", value);
  }

  // ---- notes

  // Where the game lies in the page (it fits the page, centred).
  function gameBox() {
    var width = window.innerWidth, height = window.innerHeight;
    var scale = Math.min(width / kWidth, height / kHeight);
    return { left: (width - kWidth * scale) / 2, top: (height - kHeight * scale) / 2, width: kWidth * scale,
             scale: scale };
  }

  function placeNote() {
    if (document.body.classList.contains("stopped")) return;
    var box = gameBox();
    if (box.left >= kMarginForNote) {
      note.style.left = "8px";
      note.style.top = "8px";
      note.style.width = box.left - 16 + "px";
    } else {
      note.style.left = box.left + "px";
      note.style.top = box.top + "px";
      note.style.width = box.width - kSwitchesWidth * box.scale + "px";
    }
  }

  // Everything said, for whoever looks back (the checks).
  var said = window.zunkSaid = [];

  // A line the player should read until the function it gives is called;
  // it takes no click (the game's own controls stay reachable beneath it).
  function sayWhile(text) {
    said.push(text);
    var line = document.createElement("span");
    line.textContent = text;
    note.appendChild(line);
    placeNote();
    note.hidden = false;
    return function () {
      if (line.parentNode !== note) return;
      note.removeChild(line);
      note.hidden = !note.firstChild;
    };
  }

  // The same, for a few seconds.
  function say(text) {
    setTimeout(sayWhile(text), kNoteSeconds * 1000);
  }

  // What ends the game, or keeps it from starting: in the middle, for good.
  function sayForGood(text) {
    said.push(text);
    document.body.classList.add("stopped");
    note.textContent = text;
    note.removeAttribute("style");
    note.hidden = false;
  }

  window.addEventListener("resize", placeNote);

  // ---- without WebGL there is no game: say so, and load nothing

  function hasWebGL() {
    try {
      var probe = document.createElement("canvas");
      var gl = probe.getContext("webgl") || probe.getContext("experimental-webgl");
      if (!gl) return false;
      var lose = gl.getExtension("WEBGL_lose_context");
      if (lose) lose.loseContext();
      return true;
    } catch (e) {
      return false;
    }
  }
  if (!hasWebGL()) {
    canvas.hidden = true;
    // TRANSLATORS: the page's note where the browser has no WebGL: the game cannot start.
    sayForGood(tr("Zunk cannot run in this browser: it draws with WebGL, which this browser does not have or has switched off. Switch on hardware acceleration in its settings, or open this page in another browser."));
    return;
  }

  // ---- the page's keys, the pointer's focus, full screen

  // The keys the browser needs are its own: function keys (F5, F11, F12)
  // and anything with Ctrl, Alt or Meta (Ctrl+R, Ctrl+W, Ctrl+Plus) never
  // reach the game, which would otherwise keep them from the browser. But
  // Shift+F6, the game's screenshot (a download here), and the Shift that
  // goes with it.
  function browsersKey(event) {
    if (event.ctrlKey || event.altKey || event.metaKey) return true;
    return /^F\d+$/.test(event.key) && !(event.key === "F6" && event.shiftKey);
  }
  ["keydown", "keypress", "keyup"].forEach(function (type) {
    window.addEventListener(type, function (event) {
      if (browsersKey(event)) event.stopImmediatePropagation();
    }, true);
  });
  // A browser that takes the game's drawing away (a graphics reset) gives
  // it back as a rule, and the game goes on; one that has not within a few
  // seconds is said, rather than a dark page left without a word.
  var kContextWaitSeconds = 5;
  var contextWait = null, unsayContext = null;
  canvas.addEventListener("webglcontextlost", function () {
    clearTimeout(contextWait);
    contextWait = setTimeout(function () {
      // TRANSLATORS: the page's note when the browser took the game's drawing away (a graphics reset) and
      // has not given it back for a few seconds.
      unsayContext = sayWhile(tr("The browser has taken Zunk's drawing away and not given it back. Reload the page to play on: your scores are kept."));
    }, kContextWaitSeconds * 1000);
  });
  canvas.addEventListener("webglcontextrestored", function () {
    clearTimeout(contextWait);
    if (unsayContext) unsayContext();
    unsayContext = null;
  });
  // The right button's menu would cover the game.
  canvas.addEventListener("contextmenu", function (event) { event.preventDefault(); });
  // The program takes the pointer's presses for itself, which keeps a page
  // in another page's frame from getting the keyboard by a click: the
  // frame asks for it before the program sees the press.
  ["mousedown", "touchstart"].forEach(function (type) {
    canvas.addEventListener(type, function () {
      window.focus();
      canvas.focus({ preventScroll: true });
    }, { capture: true, passive: true });
  });

  // The full-screen button lies in a corner of the page, shown only where
  // the margins beside or above the game leave it room: it never covers
  // the game. Full screen is granted to a click: the button's (or F11).
  var kButtonRoom = 44;
  function placeButton() {
    var width = window.innerWidth, height = window.innerHeight, box = gameBox();
    var room = Math.max(width - box.width, height - kHeight * box.scale) / 2;
    fullscreen.hidden = !document.fullscreenEnabled || room < kButtonRoom;
  }
  // TRANSLATORS: the page's full-screen button, as its tooltip says it.
  fullscreen.title = tr("Full screen");
  fullscreen.setAttribute("aria-label", fullscreen.title);
  window.addEventListener("resize", placeButton);
  placeButton();
  if (document.fullscreenEnabled) {
    fullscreen.addEventListener("mousedown", function (event) { event.preventDefault(); });
    fullscreen.addEventListener("click", function () {
      if (document.fullscreenElement) document.exitFullscreen().catch(function () {});
      else document.documentElement.requestFullscreen().catch(function () {});
      fullscreen.blur();
    });
    document.addEventListener("fullscreenchange", function () {
      fullscreen.classList.toggle("on", !!document.fullscreenElement);
    });
  }

  // ---- the browser's audio, closed with the program

  // A resume() the browser's audio was asked for (by the player's first
  // click or key) fails when the program ends with that very click (QUIT)
  // and closes the audio first: that is no fault, and nobody waits for it.
  [window.AudioContext, window.webkitAudioContext].forEach(function (Context) {
    if (!Context || !Context.prototype.resume) return;
    var resume = Context.prototype.resume;
    Context.prototype.resume = function () {
      return resume.apply(this, arguments).catch(function () {});
    };
  });

  // ---- the program's files, fetched at once

  function couldNotLoad(what) {
    // TRANSLATORS: the page's note when a file of the game could not be fetched; %s is its name (zunk.data).
    sayForGood(tr("Zunk could not load %s. Check the connection and reload the page.", what));
  }

  function fetchBytes(name) {
    return fetch(name, { credentials: "same-origin" }).then(function (response) {
      if (!response.ok) throw new Error(name + ": " + response.status);
      return response.arrayBuffer();
    });
  }

  // Compiled as it arrives where the host names it application/wasm; from
  // the whole of it where the host names it otherwise.
  var wasm = fetch("zunk.wasm", { credentials: "same-origin" }).then(function (response) {
    if (!response.ok) throw new Error("zunk.wasm: " + response.status);
    var whole = response.clone();
    function compileWhole() {
      return whole.arrayBuffer().then(function (bytes) { return WebAssembly.compile(bytes); });
    }
    return WebAssembly.compileStreaming ? WebAssembly.compileStreaming(response).catch(compileWhole) : compileWhole();
  });
  var data = fetchBytes("zunk.data");
  var sheetBytes = sheet ? fetchBytes(sheet) : Promise.resolve(null);
  // Nothing of these goes unheard: a failure is said once, below.
  [wasm, data, sheetBytes].forEach(function (promise) { promise.catch(function () {}); });

  // The sheets asked for as the game runs, once each.
  var fetching = {};

  var stopped = false;
  function stop(what) {
    if (stopped) return;
    stopped = true;
    couldNotLoad(what);
  }

  // The page opened with a game sent ("#watch=", which the game proves
  // before it shows it) or a day's wall ("#daily=YYYY-MM-DD"): the game
  // starts with it, as its command line would.
  function startArguments() {
    var hash = window.location.hash;
    if (hash.indexOf("#watch=") === 0) return ["--replay", hash];
    if (hash.indexOf("#daily=") === 0) return ["--daily", hash.substring("#daily=".length)];
    return [];
  }

  window.Module = {
    canvas: canvas,
    arguments: startArguments(),
    print: function (text) { console.log(text); },
    // What the game writes to its standard error is news, not failure.
    printErr: function (text) { console.warn(text); },
    instantiateWasm: function (imports, receive) {
      wasm.then(function (module) {
        return WebAssembly.instantiate(module, imports).then(function (instance) {
          receive(instance, module);
        });
      }).catch(function (error) {
        console.warn("zunk.wasm: " + error);
        stop("zunk.wasm");
      });
      return {};
    },
    // The player's sheet goes in beside the others before the program
    // looks for it; without it the game shows its English words.
    preRun: [function () {
      if (!sheet) return;
      addRunDependency("zunk-sheet");
      sheetBytes.then(function (bytes) {
        FS.mkdirTree(kDataFolder);
        FS.writeFile(kDataFolder + "/zunk-" + sheetLanguage.toLowerCase() + ".png", new Uint8Array(bytes));
      }).catch(function (error) {
        console.warn(String(error));
        // TRANSLATORS: the page's note when the picture of the game's words in the player's language could
        // not be fetched; %s is the file's name.
        say(tr("Zunk could not load its words in your language (%s): it shows them in English.", sheet));
      }).then(function () {
        removeRunDependency("zunk-sheet");
      });
    }],
    // Another language's sheet, as the player chose it on the options (or
    // kept it from a visit before): fetched once and put in beside the
    // others, where the program takes it at its next frame.
    zunkFetchDataFile: function (name) {
      var match = /^zunk-([a-z_]+)\.png$/.exec(name);
      var file = match && Object.prototype.hasOwnProperty.call(site.sheets, match[1]) ? site.sheets[match[1]] : null;
      if (!file || fetching[name]) return;
      fetching[name] = true;
      fetchBytes(file).then(function (bytes) {
        FS.mkdirTree(kDataFolder);
        FS.writeFile(kDataFolder + "/" + name, new Uint8Array(bytes));
      }).catch(function (error) {
        console.warn(String(error));
        say(tr("Zunk could not load its words in your language (%s): it shows them in English.", file));
      });
    },
    // Once the game runs (its first frame drawn): what may wait till then.
    onRuntimeInitialized: function () {
      (function whenRunning() {
        if (Module.zunkGameFrames > 0) started();
        else requestAnimationFrame(whenRunning);
      })();
    },
    zunkStorageRefused: function () {
      // TRANSLATORS: the page's note when the browser refuses to keep anything for the page.
      say(tr("This browser keeps nothing for Zunk here (a private window?): your scores and settings last until the page is closed."));
    },
    zunkStorageLate: function () {
      // TRANSLATORS: the page's note when the browser's storage is so slow that the game started without
      // what it keeps there (the scores, the settings): the scores of this visit are kept once it answers.
      say(tr("The browser's storage is slow to answer: Zunk started without your scores, and keeps this visit's scores once the storage answers."));
    },
    zunkEnded: function () {
      // TRANSLATORS: the page's note after the game has quit.
      sayForGood(tr("Zunk has ended. Reload the page to play again."));
    },
    onAbort: function (what) {
      // TRANSLATORS: the page's note when the game stopped on a fault; %s is the browser's words for it.
      sayForGood(tr("Zunk stopped: %s", String(what)));
    }
  };

  // zunk.js reads the data as it starts (getPreloadedPackage): it is put
  // into the page once the data is here (the browser has fetched it
  // meanwhile, index.html's preload).
  data.then(function (bytes) {
    Module.getPreloadedPackage = function () { return bytes; };
    var script = document.createElement("script");
    script.src = "zunk.js";
    script.onerror = function () { stop("zunk.js"); };
    document.body.appendChild(script);
  }, function (error) {
    console.warn(String(error));
    stop("zunk.data");
  });

  // ---- this build kept for the next visit, offline too

  // Said once, at the first start of a new version.
  function sayIfUpdated() {
    var kKey = "zunk-build", before = null;
    try {
      before = localStorage.getItem(kKey);
      localStorage.setItem(kKey, site.build);
    } catch (error) {
      return; // no local storage: nothing to compare with
    }
    // TRANSLATORS: the page's note at the first start of a new version; %s is the version (1.0.1).
    if (before && before !== site.build) say(tr("Zunk has been updated to version %s.", site.version));
  }

  function started() {
    sayIfUpdated();
    if (!("serviceWorker" in navigator) || !window.isSecureContext) return;
    var workers = navigator.serviceWorker;
    workers.addEventListener("message", function (event) {
      if (event.data && event.data.type === "kept" && event.data.build === site.build) Module.zunkKeptOffline = true;
    });
    workers.register("sw.js", { updateViaCache: "none" }).then(function (registration) {
      // A worker of a newer build takes over once this page has all it
      // needs (now): the next visit is that build, whole.
      // One may be waiting already, or installing since this visit began.
      function takeOverOnceInstalled(worker) {
        if (!worker) return;
        if (worker.state === "installed") return worker.postMessage({ type: "take-over" });
        worker.addEventListener("statechange", function () {
          if (worker.state === "installed") worker.postMessage({ type: "take-over" });
        });
      }
      takeOverOnceInstalled(registration.waiting);
      takeOverOnceInstalled(registration.installing);
      registration.addEventListener("updatefound", function () {
        takeOverOnceInstalled(registration.installing);
      });
      return workers.ready;
    }).then(function (registration) {
      registration.active.postMessage({ type: "keep", names: sheet ? [sheet] : [] });
    }).catch(function (error) {
      // Played online all the same.
      console.warn("no offline copy: " + error);
    });
  }
})();

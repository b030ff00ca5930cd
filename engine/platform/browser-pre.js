// Runs in the page before the program starts (linked with --pre-js). The
// user's folders (the high scores and their replays, the games left
// unfinished, the settings) live under the home folder: in memory while the
// program runs, and in the browser's IndexedDB one entry a file or folder,
// keyed by its path (as earlier builds kept them), read before the program
// starts.
//
// Several tabs of one browser may play at once. Every change of the files
// is a transaction of the program's (Host.cpp: takeUserFiles, then
// giveUserFiles), which the page makes one across its tabs with a Web Lock:
// a page keeps the lock once it has it, until another tab asks for it (a
// message on a BroadcastChannel) or the page is hidden. So a page's change
// is made at once, in the frame that makes it, unless another tab saved
// since it last had the lock: then the program waits (suspended, ASYNCIFY)
// while the page takes the lock and reads what the others wrote, and goes
// on with the files as they are now. A transaction writes what it changed,
// file by file: a page writes no file it did not change and deletes none it
// did not delete, so what another tab wrote stays.
//
// A page being hidden may be closed at the end of that event, and a browser
// drops the IndexedDB writes a closing page asked for: so what the program
// saves as it is hidden is also copied to the page's local storage (a key
// of its own), put back on the next visit where it is newer than storage's
// and written through. An entry of storage or of such a copy that is not
// one the page writes (no contents, a bad mode or date, a path outside the
// player's folder or not in its plain form) is left out, and said on the
// console; the rest is kept as ever.
//
// Where the browser refuses the storage (a private window), the page is
// told once and the game plays on, keeping its files for the visit only.
// Storage that has not answered within a second (kStorageWait) is late: the
// program starts without it, and nothing is kept until it answers (a
// change is refused, and the program keeps the games that ended meanwhile
// to enter them later); when it answers, its files come in under the lock
// and the program is told (platformHostUserFilesArrived), so that the
// visit's games enter the table it holds.
Module.preRun = Module.preRun || [];
Module.preRun.push(function () {
  "use strict";
  var home = "/home/web_user";
  // The database as earlier builds kept it: named after the folder, one
  // store of entries {timestamp: Date, mode, contents}, an index of times.
  var kDatabaseVersion = 21, kStore = "FILE_DATA", kTimeIndex = "timestamp";
  var kLock = "zunk-user-files";
  // Local storage: "zunk-user-files" (an earlier build's copy), or
  // "zunk-user-files:" and a page's own name.
  var kCopy = "zunk-user-files";
  var kStorageWait = 1000;
  // A tab that keeps the lock longer than this is stuck: the change waiting
  // for it is given up (and said by the program), not the game.
  var kLockPatience = 15000;
  // The answers to zunkTakeUserFiles (Host.cpp's TakeAnswer).
  var kTaken = 1, kStorageLate = 2, kLockKept = 3, kStorageFailed = 4;
  // Dates a Date can hold.
  var kLatestTime = 8.64e15;

  var db = null;
  var refused = false;
  var late = false;
  // Storage has been read (or refused): changes are made and written.
  var ready = false;
  var programStarted = false;
  // What storage holds, as far as this page knows (as of its latest read
  // or write): path -> {stored: the entry's time, node, time: the file in
  // memory that is that entry}. Folders are kept by name alone.
  var known = {};
  var locks = navigator.locks || null;
  var channel = typeof BroadcastChannel === "function" ? new BroadcastChannel(kLock) : null;
  var holding = false, letGo = null, gaining = null, wanted = false;
  // Inside a transaction; writes not completed.
  var depth = 0, writing = 0;
  // Writes and copies are numbered as they start: a copy is needless once
  // a write that started after it has completed.
  var moment = 0, copiedAt = 0;
  var copyKey = kCopy + ":" + Date.now().toString(36) + Math.random().toString(36).slice(2);
  // Copies a closed page left, put back: forgotten once written through.
  var copiesPutBack = [], putBackAt = 0;
  var said = {};

  // Completed writes, and whether one is under way, for whoever waits for
  // the files to be kept (the tests).
  Module.zunkFilesKept = 0;
  Module.zunkFilesPending = function () {
    return writing > 0;
  };

  function warnOnce(text) {
    if (said[text]) return;
    said[text] = true;
    console.warn("zunk: " + text);
  }

  // ---- paths and entries: only what the page itself writes is taken

  // Whether `path` names something in the player's folder in its plain
  // form: under the home folder, no empty name, ".", "..", or NUL.
  function playersPath(path) {
    if (typeof path !== "string" || path.indexOf(home + "/") !== 0) return false;
    return path.slice(home.length + 1).split("/").every(function (name) {
      return name !== "" && name !== "." && name !== ".." && name.indexOf("\0") < 0;
    });
  }

  function fileOrFolder(mode) {
    return typeof mode === "number" && (FS.isFile(mode) || FS.isDir(mode));
  }

  // Why a value of the store is no entry the page wrote; "" if it is one.
  function entryFault(entry) {
    if (!entry || typeof entry !== "object") return "not an entry";
    if (!(entry.timestamp instanceof Date) || !isFinite(entry.timestamp.getTime())) return "a bad date";
    if (!fileOrFolder(entry.mode)) return "a bad mode";
    if (FS.isFile(entry.mode) && !(entry.contents instanceof Uint8Array)) return "no contents";
    return "";
  }

  // The files and folders in memory under the home folder: path -> node.
  function localFiles() {
    var files = {};
    (function walk(folder) {
      var names;
      try {
        names = FS.readdir(folder);
      } catch (error) {
        return;
      }
      names.forEach(function (name) {
        if (name === "." || name === "..") return;
        var path = folder + "/" + name, node;
        try {
          node = FS.lookupPath(path, { follow: false }).node;
        } catch (error) {
          return;
        }
        if (!fileOrFolder(node.mode)) return;
        files[path] = node;
        if (FS.isDir(node.mode)) walk(path);
      });
    })(home);
    return files;
  }

  function sameAsKnown(path, node) {
    var was = known[path];
    return !!was && (FS.isDir(node.mode) || (was.node === node.id && was.time === node.timestamp));
  }

  // [path, entry] pairs in their paths' order: a folder before what it holds.
  function byPath(a, b) {
    return String(a[0]) < String(b[0]) ? -1 : String(a[0]) > String(b[0]) ? 1 : 0;
  }

  // Puts an entry in memory; the node it is now.
  function place(path, entry) {
    var time = entry.timestamp.getTime();
    if (FS.isDir(entry.mode)) {
      FS.mkdirTree(path);
    } else {
      FS.mkdirTree(path.slice(0, path.lastIndexOf("/")));
      FS.writeFile(path, entry.contents);
    }
    FS.chmod(path, entry.mode & 4095);
    FS.utime(path, time, time);
    return FS.lookupPath(path).node;
  }

  // An entry read from storage, put in memory and known as storage's.
  function placeStored(path, entry) {
    if (!playersPath(path)) return warnOnce("storage: " + path + ": outside the player's folder: not loaded");
    var fault = entryFault(entry);
    if (fault) return warnOnce("storage: " + path + ": " + fault + ": left out");
    try {
      var node = place(path, entry);
      known[path] = { stored: entry.timestamp.getTime(), node: node.id, time: node.timestamp };
    } catch (error) {
      warnOnce("storage: " + path + ": " + error + ": left out");
    }
  }

  // Gone from storage (another tab deleted it): gone from memory too,
  // unless this page has changed it since.
  function dropStored(path) {
    try {
      var node = FS.lookupPath(path, { follow: false }).node;
      if (FS.isDir(node.mode)) return;
      if (sameAsKnown(path, node)) FS.unlink(path);
    } catch (error) {
      // Gone here as well.
    }
    delete known[path];
  }

  // ---- reading storage

  function failed(transaction) {
    return transaction.error || new Error("the browser's storage gave up");
  }

  // Every entry: the whole of storage, as the program starts.
  function readAll(done) {
    try {
      var transaction = db.transaction([kStore], "readonly"), found = [];
      var request = transaction.objectStore(kStore).openCursor();
      request.onsuccess = function () {
        var cursor = request.result;
        if (!cursor) return;
        found.push([cursor.primaryKey, cursor.value]);
        cursor.continue();
      };
      transaction.oncomplete = function () {
        done(null, found);
      };
      transaction.onabort = function () {
        done(failed(transaction));
      };
    } catch (error) {
      done(error);
    }
  }

  // The entries whose time is not the one this page knows (the others'
  // writes), and the times of all: what changed since this page's view.
  function readChanged(done) {
    try {
      var transaction = db.transaction([kStore], "readonly"), store = transaction.objectStore(kStore);
      var times = {}, found = [];
      var request = store.index(kTimeIndex).openKeyCursor();
      request.onsuccess = function () {
        var cursor = request.result;
        if (cursor) {
          times[cursor.primaryKey] = cursor.key instanceof Date ? cursor.key.getTime() : NaN;
          return cursor.continue();
        }
        Object.keys(times).forEach(function (path) {
          if (known[path] && known[path].stored === times[path]) return;
          var get = store.get(path);
          get.onsuccess = function () {
            found.push([path, get.result]);
          };
        });
      };
      transaction.oncomplete = function () {
        done(null, times, found);
      };
      transaction.onabort = function () {
        done(failed(transaction));
      };
    } catch (error) {
      done(error);
    }
  }

  // This page's view brought up to date with storage's.
  function refresh(done) {
    readChanged(function (error, times, found) {
      if (error) return done(error);
      found.sort(byPath).forEach(function (pair) {
        placeStored(pair[0], pair[1]);
      });
      Object.keys(known).forEach(function (path) {
        if (!Object.prototype.hasOwnProperty.call(times, path)) dropStored(path);
      });
      done(null);
    });
  }

  // ---- writing storage: what changed, file by file

  function toBase64(bytes) {
    var text = "";
    for (var i = 0; i < bytes.length; i += 0x8000)
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return btoa(text);
  }

  function fromBase64(text) {
    var chars = atob(text), bytes = new Uint8Array(chars.length);
    for (var i = 0; i < chars.length; i++) bytes[i] = chars.charCodeAt(i);
    return bytes;
  }

  // The entry of a file or folder in memory; its time is later than the
  // one storage had, so that every tab sees it as changed.
  function entryOf(path, node) {
    var was = known[path];
    var entry = { timestamp: new Date(Math.max(node.timestamp, was ? was.stored + 1 : 0)), mode: node.mode };
    if (FS.isFile(node.mode)) entry.contents = FS.readFile(path);
    return entry;
  }

  function forgetCopies(keys) {
    keys.forEach(function (key) {
      try {
        localStorage.removeItem(key);
      } catch (error) {
        // No local storage: nothing was kept there.
      }
    });
  }

  // What changed is copied to local storage too, which a closing page
  // keeps: added to what this page copied before and is not written yet.
  function keepCopy(entries, gone) {
    var copy = {};
    try {
      copy = JSON.parse(localStorage.getItem(copyKey) || "{}") || {};
    } catch (error) {
      copy = {};
    }
    Object.keys(entries).forEach(function (path) {
      var entry = entries[path];
      copy[path] = [entry.mode, entry.timestamp.getTime(), entry.contents ? toBase64(entry.contents) : ""];
    });
    gone.forEach(function (path) {
      copy[path] = [0, Date.now()];
    });
    copiedAt = moment + 1;
    try {
      localStorage.setItem(copyKey, JSON.stringify(copy));
    } catch (error) {
      // Refused or full: the IndexedDB write is all there is.
    }
  }

  function write(entries, gone, files) {
    var before = {}, at = ++moment, paths = Object.keys(entries);
    paths.concat(gone).forEach(function (path) {
      before[path] = known[path];
    });
    // Not written: this page's view goes back, and the next change writes it.
    function undo(error) {
      Object.keys(before).forEach(function (path) {
        if (before[path]) known[path] = before[path];
        else delete known[path];
      });
      warnOnce("the browser's storage did not keep the files: " + error);
    }
    try {
      var transaction = db.transaction([kStore], "readwrite"), store = transaction.objectStore(kStore);
      // Folders before the files in them; files before their folders go.
      paths.sort().forEach(function (path) {
        store.put(entries[path], path);
        known[path] = { stored: entries[path].timestamp.getTime(), node: files[path].id,
                        time: files[path].timestamp };
      });
      gone.sort().reverse().forEach(function (path) {
        store.delete(path);
        delete known[path];
      });
      writing++;
      transaction.oncomplete = function () {
        writing--;
        Module.zunkFilesKept++;
        if (at >= copiedAt) forgetCopies([copyKey]);
        if (at >= putBackAt) forgetCopies(copiesPutBack.splice(0));
        mayLetGo();
      };
      transaction.onabort = function () {
        writing--;
        undo(failed(transaction));
        mayLetGo();
      };
      if (transaction.commit) transaction.commit();
    } catch (error) {
      undo(error);
    }
  }

  // Writes what changed in memory since this page's view of storage; with
  // `copy`, copies it to local storage too. Gives whether anything did.
  function flush(copy) {
    if (!ready || refused || !db) return false;
    var files = localFiles(), entries = {}, gone = [];
    Object.keys(files).forEach(function (path) {
      if (!sameAsKnown(path, files[path])) entries[path] = entryOf(path, files[path]);
    });
    Object.keys(known).forEach(function (path) {
      if (!files[path]) gone.push(path);
    });
    if (!Object.keys(entries).length && !gone.length) return false;
    if (copy) keepCopy(entries, gone);
    write(entries, gone, files);
    return true;
  }

  // ---- copies a closed page left in local storage

  // Why an entry of a copy is none the page writes; "" if it is one.
  function copyFault(path, entry) {
    if (!playersPath(path)) return "a path outside the player's folder";
    if (entry === null) return ""; // an earlier build's: removed
    if (!Array.isArray(entry)) return "not an entry";
    if (typeof entry[1] !== "number" || !isFinite(entry[1]) || entry[1] < 0 || entry[1] > kLatestTime)
      return "a bad date";
    if (entry[0] === 0) return "";
    if (!fileOrFolder(entry[0])) return "a bad mode";
    if (FS.isFile(entry[0])) {
      if (typeof entry[2] !== "string") return "no contents";
      try {
        atob(entry[2]);
      } catch (error) {
        return "contents that are not base64";
      }
    }
    return "";
  }

  // Puts back what copies hold that is newer than storage's (folders
  // first, removals last); the program's next write takes it through.
  function putBackCopies() {
    var keys = [];
    try {
      for (var i = 0; i < localStorage.length; i++) {
        var key = localStorage.key(i);
        if (key === kCopy || key.indexOf(kCopy + ":") === 0) keys.push(key);
      }
    } catch (error) {
      return;
    }
    keys.forEach(function (key) {
      var copy = null;
      try {
        copy = JSON.parse(localStorage.getItem(key));
      } catch (error) {
        copy = null;
      }
      if (!copy || typeof copy !== "object" || Array.isArray(copy)) {
        warnOnce("the page's copy " + key + ": not a copy of files: refused");
        return;
      }
      var removed = [];
      Object.keys(copy).sort().forEach(function (path) {
        var entry = copy[path], fault = copyFault(path, entry), was = known[path];
        if (fault) return warnOnce("the page's copy of " + path + ": " + fault + ": refused");
        if (entry === null || entry[0] === 0) {
          if (was && was.stored <= (entry ? entry[1] : 0)) removed.push(path);
        } else if (!was || was.stored < entry[1]) {
          try {
            place(path, { timestamp: new Date(entry[1]), mode: entry[0],
                          contents: FS.isFile(entry[0]) ? fromBase64(entry[2]) : null });
          } catch (error) {
            warnOnce("the page's copy of " + path + ": " + error + ": refused");
          }
        }
      });
      removed.reverse().forEach(function (path) {
        try {
          if (!FS.isDir(FS.stat(path).mode)) FS.unlink(path);
        } catch (error) {
          // Gone already.
        }
      });
      copiesPutBack.push(key);
    });
  }

  // ---- the lock across tabs

  // Let go when another tab asks or the page is hidden, once nothing of
  // this page's is under way; kept while the program starts.
  function mayLetGo() {
    if (!holding || !programStarted || !ready || gaining || depth > 0 || writing > 0) return;
    if (!wanted && document.visibilityState !== "hidden") return;
    holding = false;
    wanted = false;
    var release = letGo;
    letGo = null;
    release();
  }
  if (channel)
    channel.onmessage = function (event) {
      if (event.data !== "want") return;
      wanted = true;
      mayLetGo();
    };
  // After the event's other listeners: what the program saves as it is
  // hidden is written under the lock.
  document.addEventListener("visibilitychange", function () {
    setTimeout(mayLetGo, 0);
  });

  // The lock, asked of the other tabs: settles once it is held, or fails
  // when it could not be had within kLockPatience.
  function acquire() {
    return new Promise(function (granted, refusedLock) {
      if (holding) return granted();
      var controller = typeof AbortController === "function" ? new AbortController() : null;
      var timer = setTimeout(function () {
        if (controller) controller.abort();
      }, kLockPatience);
      if (channel) channel.postMessage("want");
      locks.request(kLock, controller ? { signal: controller.signal } : {}, function () {
        clearTimeout(timer);
        holding = true;
        return new Promise(function (release) {
          letGo = release;
          granted();
        });
      }).catch(refusedLock);
    });
  }

  // The lock, and this page's view brought up to date: one at a time.
  function gain() {
    if (!gaining) {
      gaining = acquire().then(function () {
        return new Promise(function (done, fail) {
          refresh(function (error) {
            if (error) fail(error);
            else done();
          });
        });
      });
      gaining.then(function () {
        gaining = null;
        mayLetGo();
      }, function () {
        gaining = null;
        mayLetGo();
      });
    }
    return gaining;
  }

  // A page shown again takes the lock back before its program needs it.
  document.addEventListener("visibilitychange", function () {
    if (document.visibilityState === "visible" && locks && ready && !refused && db && !holding)
      gain().catch(function () {});
  });

  // ---- the program's transactions (Host.cpp)

  Module.zunkTakeUserFiles = function (answer) {
    if (late) return answer(kStorageLate);
    function taken() {
      depth++;
      answer(kTaken);
    }
    // Nothing may wait while the program starts, in a page being hidden
    // or while the program waits already: the files as this page has them.
    if (refused || !db || !locks || !programStarted || Module.zunkHiding || Asyncify.currData) return taken();
    if (holding && !gaining) return taken();
    // Counted from now: the lock, once had, stays until this change is made.
    depth++;
    gain().then(function () {
      answer(kTaken);
    }, function (error) {
      depth--;
      mayLetGo();
      if (error && error.name === "AbortError") return answer(kLockKept);
      warnOnce("the browser's storage could not be read: " + error);
      answer(kStorageFailed);
    });
  };

  Module.zunkGiveUserFiles = function () {
    if (depth > 0) depth--;
    if (depth === 0) flush(!!Module.zunkHiding);
    mayLetGo();
  };

  // A file changed outside a transaction is written through as well.
  Module.zunkSyncUserFiles = function () {
    if (depth === 0) flush(false);
  };

  // As the program is hidden: what it changed is written, and copied.
  Module.zunkKeepUserFilesNow = function () {
    if (depth === 0) flush(true);
    mayLetGo();
  };

  // ---- storage read before the program starts

  FS.mkdirTree(home);
  addRunDependency("zunk-user-files");
  var letRun = false;
  function startProgram() {
    if (letRun) return;
    letRun = true;
    removeRunDependency("zunk-user-files");
  }
  Module.postRun = Module.postRun || [];
  Module.postRun.push(function () {
    programStarted = true;
    mayLetGo();
  });

  function refuse(error) {
    if (refused) return;
    refused = true;
    late = false;
    ready = true;
    db = null;
    if (Module.zunkStorageRefused) Module.zunkStorageRefused(String(error));
    startProgram();
  }

  function arrived(found) {
    found.sort(byPath).forEach(function (pair) {
      placeStored(pair[0], pair[1]);
    });
    putBackCopies();
    ready = true;
    putBackAt = moment + 1;
    if (!flush(false)) forgetCopies(copiesPutBack.splice(0));
    if (late) {
      late = false;
      if (programStarted) Module._platformHostUserFilesArrived();
    }
    startProgram();
  }

  function open() {
    var request;
    try {
      request = indexedDB.open(home, kDatabaseVersion);
    } catch (error) {
      return refuse(error);
    }
    request.onupgradeneeded = function (event) {
      var database = event.target.result, upgrade = event.target.transaction;
      var store = database.objectStoreNames.contains(kStore) ? upgrade.objectStore(kStore)
                                                             : database.createObjectStore(kStore);
      if (!store.indexNames.contains(kTimeIndex)) store.createIndex(kTimeIndex, kTimeIndex, { unique: false });
    };
    request.onsuccess = function (event) {
      db = event.target.result;
      readAll(function (error, found) {
        if (error) refuse(error);
        else arrived(found);
      });
    };
    request.onerror = function (event) {
      event.preventDefault();
      refuse(event.target.error);
    };
  }

  setTimeout(function () {
    if (ready) return;
    late = true;
    if (Module.zunkStorageLate) Module.zunkStorageLate();
    startProgram();
  }, kStorageWait);
  // Read under the lock: a tab writing meanwhile is waited for.
  if (locks) acquire().then(open, open);
  else open();
});

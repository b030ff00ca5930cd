// Runs in the page before the program starts (linked with --pre-js). The
// user's folders (the high scores and their replays, the game left
// unfinished, the settings) live under the home folder, which is kept in the
// browser's IndexedDB: read before the program starts, written through after
// every save (userFilesChanged). Where the browser refuses the storage (a
// private window), the page is told once and the game plays on, keeping its
// files for the visit only. Storage that is late (see kStorageWait) is
// dropped for the visit, which is said as well.
//
// A page being hidden may be closed at the end of that event, and a browser
// drops the IndexedDB writes a closing page asked for. So as the program is
// hidden (keepUserFilesNow) the files changed since the last write that
// completed also go into the page's local storage, which a closing page
// keeps: the next visit puts them back before the program starts and
// writes them through. Whichever write completes first makes that copy
// needless, and it is removed.
Module.preRun = Module.preRun || [];
Module.preRun.push(function () {
  var home = "/home/web_user";
  var refused = false;
  var writing = false;
  var again = false;
  // Completed writes, and whether one is under way or asked for, for
  // whoever waits for the files to be kept (the tests).
  Module.zunkFilesKept = 0;
  Module.zunkFilesPending = function () {
    return writing || again;
  };

  var mount = null;
  // The user's files as storage holds them, as far as the page knows: as
  // of the latest write (or the first read) that completed. Writes and
  // copies are numbered as they start (moment): one that completes late
  // takes back nothing a later one did.
  var stored = null;
  var storedAt = 0;
  var moment = 0;

  function localFiles() {
    var files = null;
    IDBFS.getLocalSet(mount, function (error, set) {
      if (error) throw error;
      files = set;
    });
    return files;
  }

  // The copy of the files changed since the last write that completed,
  // kept in local storage: path -> null (removed) or [mode, time, base64].
  var kJournal = "zunk-user-files";
  var journalAt = 0;

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

  // A write that started at `at` has completed: storage holds `files`,
  // and a copy made before that write started is needless.
  function written(at, files) {
    if (at > storedAt) {
      stored = files;
      storedAt = at;
    }
    if (at >= journalAt) forgetJournal();
    Module.zunkFilesKept++;
  }

  function forgetJournal() {
    try {
      localStorage.removeItem(kJournal);
    } catch (error) {
      // No local storage: nothing was kept there.
    }
  }

  function keepJournal(changed, gone) {
    var journal = {};
    changed.forEach(function (path) {
      var stat = FS.stat(path);
      journal[path] = [stat.mode, stat.mtime.getTime(), FS.isFile(stat.mode) ? toBase64(FS.readFile(path)) : ""];
    });
    gone.forEach(function (path) {
      journal[path] = null;
    });
    journalAt = ++moment;
    try {
      localStorage.setItem(kJournal, JSON.stringify(journal));
    } catch (error) {
      // Refused or full: the IndexedDB write is all there is.
    }
  }

  // A journal left by a page closed while hidden: its files, newer than
  // storage's, are put in place (folders first, removals last).
  function replayJournal() {
    var journal = null;
    try {
      journal = JSON.parse(localStorage.getItem(kJournal) || "null");
    } catch (error) {
      journal = null;
    }
    if (!journal || typeof journal !== "object") return false;
    Object.keys(journal).sort().forEach(function (path) {
      var entry = journal[path];
      if (!entry || path.indexOf(home + "/") !== 0) return;
      try {
        if (FS.isDir(entry[0])) FS.mkdirTree(path);
        else FS.writeFile(path, fromBase64(entry[2]));
        FS.utime(path, entry[1], entry[1]);
      } catch (error) {
        // An entry that cannot be put back is left out.
      }
    });
    Object.keys(journal).sort().reverse().forEach(function (path) {
      if (journal[path] !== null || path.indexOf(home + "/") !== 0) return;
      try {
        if (FS.isDir(FS.stat(path).mode)) FS.rmdir(path);
        else FS.unlink(path);
      } catch (error) {
        // Gone already.
      }
    });
    return true;
  }

  function refuse(error) {
    if (refused) return;
    refused = true;
    if (Module.zunkStorageRefused) Module.zunkStorageRefused(String(error));
  }

  // One write at a time; changes made meanwhile go with the next one.
  Module.zunkSyncUserFiles = function () {
    if (refused) return;
    if (writing) {
      again = true;
      return;
    }
    writing = true;
    try {
      // What this write takes: the files as they are now, or later.
      var files = localFiles(), at = ++moment;
      FS.syncfs(false, function (error) {
        writing = false;
        if (error) return refuse(error);
        written(at, files);
        if (again) {
          again = false;
          Module.zunkSyncUserFiles();
        }
      });
    } catch (error) {
      writing = false;
      refuse(error);
    }
  };

  // The files changed since the last write that completed: copied to
  // local storage, and written in one transaction asked for and committed
  // before this returns.
  Module.zunkKeepUserFilesNow = function () {
    if (refused) return;
    var db = IDBFS.dbs[home];
    if (!stored || !db) return Module.zunkSyncUserFiles();
    try {
      var files = localFiles();
      var changed = Object.keys(files.entries).filter(function (path) {
        var was = stored.entries[path];
        return !was || was.timestamp.getTime() !== files.entries[path].timestamp.getTime();
      });
      var gone = Object.keys(stored.entries).filter(function (path) {
        return !files.entries[path];
      });
      if (!changed.length && !gone.length) return;
      keepJournal(changed, gone);
      var at = journalAt;
      var transaction = db.transaction([IDBFS.DB_STORE_NAME], "readwrite");
      var store = transaction.objectStore(IDBFS.DB_STORE_NAME);
      transaction.oncomplete = function () {
        written(at, files);
      };
      transaction.onerror = function (event) {
        event.preventDefault();
        refuse(transaction.error);
      };
      // Folders before the files in them; files before their folders go.
      changed.sort().forEach(function (path) {
        IDBFS.loadLocalEntry(path, function (error, entry) {
          if (error) throw error;
          store.put(entry, path);
        });
      });
      gone.sort().reverse().forEach(function (path) {
        store.delete(path);
      });
      if (transaction.commit) transaction.commit();
    } catch (error) {
      refuse(error);
    }
  };

  // Storage that does not answer within a second is late: the program
  // starts without it and this visit writes nothing to it, so that a table
  // that never saw the stored one cannot replace it; an answer that comes
  // after that is dropped (read by hand rather than by FS.syncfs, which
  // would put it in place under the running program).
  var kStorageWait = 1000;
  FS.mkdirTree(home);
  mount = FS.mount(IDBFS, {}, home).mount;
  addRunDependency("zunk-user-files");
  var read = false;
  function done(error) {
    if (read) return;
    read = true;
    if (error) refuse(error);
    else stored = localFiles();
    // What a page closed while hidden kept aside goes back, and through.
    if (replayJournal() && !refused) Module.zunkSyncUserFiles();
    removeRunDependency("zunk-user-files");
  }
  function late() {
    if (read) return;
    refused = true;
    if (Module.zunkStorageLate) Module.zunkStorageLate();
    done();
  }
  try {
    IDBFS.getRemoteSet(mount, function (error, remote) {
      if (read) return;
      if (error) return done(error);
      IDBFS.reconcile(remote, localFiles(), done);
    });
  } catch (error) {
    done(error);
  }
  setTimeout(late, kStorageWait);
});

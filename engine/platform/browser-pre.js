// Runs in the page before the program starts (linked with --pre-js). The
// user's folders (the high scores and their replays, the game left
// unfinished, the settings) live under the home folder, which is kept in the
// browser's IndexedDB: read before the program starts, written through after
// every save (userFilesChanged). Where the browser refuses the storage (a
// private window), the page is told once and the game plays on, keeping its
// files for the visit only.
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
      FS.syncfs(false, function (error) {
        writing = false;
        if (error) return refuse(error);
        Module.zunkFilesKept++;
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

  FS.mkdirTree(home);
  FS.mount(IDBFS, {}, home);
  addRunDependency("zunk-user-files");
  var read = false;
  function done(error) {
    if (read) return;
    read = true;
    if (error) refuse(error);
    removeRunDependency("zunk-user-files");
  }
  try {
    FS.syncfs(true, done);
  } catch (error) {
    done(error);
  }
  // Storage that never answers is storage refused: the game starts anyway.
  setTimeout(function () {
    done("the browser's storage did not answer");
  }, 10000);
});

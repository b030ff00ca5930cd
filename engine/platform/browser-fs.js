// Runs in the page before the program starts (linked with --pre-js): the
// page's file system made to keep a promise the program's saving relies on.
//
// Every save writes a temporary file and renames it over the old one. This
// toolchain's file system (emscripten 3.1.6, FS.rename) takes the replaced
// file out of its folder but leaves its node in the table that finds a
// file by its name; while the new file is there, the new node is found
// first, but once it is removed the replaced one is found again, with the
// contents it had: a file saved twice and then removed comes back as it
// was after the first save (a game ended is offered to continue). The
// replaced node leaves the table here, as a removed file's does; an open
// file of it still reads what it held.
Module.preRun = Module.preRun || [];
Module.preRun.push(function () {
  "use strict";
  var rename = FS.rename;
  function nodeAt(path) {
    try {
      return FS.lookupPath(path, { follow: false }).node;
    } catch (error) {
      return null;
    }
  }
  FS.rename = function (from, to) {
    var replaced = nodeAt(to);
    rename(from, to);
    if (replaced && replaced !== nodeAt(to)) FS.hashRemoveNode(replaced);
  };
});

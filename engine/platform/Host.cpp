// The host the program runs in: a process on a desktop, or a page in a
// browser. A browser runs the frame loop from its animation frames and never
// lets the program wait; it keeps the user's files in its own storage (the
// page's script mounts and reads them before the program starts, see
// browser-pre.js) and tells its languages itself.

#include "Platform.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace platform {

namespace {
// The host's state: the frame loop it runs, who hears of a hiding, and the
// files given to the program: how large a one it takes (0: none), and the
// one given last, not taken yet.
struct HostContext {
  void (*hostCallback)() = nullptr;
  bool hostRunning = false;
  HidingHandler hiding = nullptr;
  void (*filesArrived)() = nullptr;
  size_t acceptedBytes = 0;
  std::string givenFile;
  bool storageAsked = false, listeningForFiles = false;
};
HostContext host_;

bool letters(const std::string &s, size_t low, size_t high) {
  if (s.size() < low || s.size() > high) return false;
  for (char c : s)
    if (!std::isalpha(static_cast<unsigned char>(c))) return false;
  return true;
}
} // namespace

std::vector<std::string> browserLanguageTags(const std::vector<std::string> &bcp47) {
  std::vector<std::string> tags;
  for (const std::string &entry : bcp47) {
    const size_t dash = entry.find('-');
    std::string language = entry.substr(0, dash);
    const std::string region = dash == std::string::npos ? "" : entry.substr(dash + 1);
    // A script or variant between language and region says a writing the
    // region alone does not: such a tag is not one of ours.
    if (!letters(language, 2, 3) || (dash != std::string::npos && !letters(region, 2, 2))) continue;
    for (char &c : language) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string tag = language;
    if (dash != std::string::npos) {
      tag += '_';
      for (char c : region) tag += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    tags.push_back(tag);
  }
  return tags;
}

void fileGiven(const std::string &path) {
  if (host_.acceptedBytes > 0) host_.givenFile = path;
}

std::string takeGivenFile() {
  std::string path;
  path.swap(host_.givenFile);
  return path;
}

#ifdef __EMSCRIPTEN__

namespace {
// Where a page puts the bytes of the file given to the program.
const char *const kGivenFile = "/tmp/zunk-given-file";

void animationFrame() {
  if (host_.hostRunning && host_.hostCallback) host_.hostCallback();
}

// navigator.languages, comma-separated, into `out`; gives the text's length.
EM_JS(int, pageLanguages, (char *out, int size), {
  var list = navigator.languages && navigator.languages.length ? navigator.languages : [navigator.language || ""];
  var text = list.join(",");
  stringToUTF8(text, out, size);
  return lengthBytesUTF8(text);
});

EM_JS(void, pageFramesRan, (int frames), {
  Module.zunkGameFrames = (Module.zunkGameFrames || 0) + frames;
});

EM_JS(void, pageProgramEnded, (), {
  if (Module.zunkEnded) Module.zunkEnded();
});

EM_JS(void, pageSyncUserFiles, (), {
  if (Module.zunkSyncUserFiles) Module.zunkSyncUserFiles();
});

// The page's answers when the program takes the user's files
// (browser-pre.js, zunkTakeUserFiles).
enum TakeAnswer { kTaken = 1, kStorageLate = 2, kLockKept = 3, kStorageFailed = 4 };

// The one import that may suspend the program (ASYNCIFY_IMPORTS in
// CMakeLists.txt): the page answers at once when it holds the lock on the
// user's files, else once the other tabs have let it go and it has read what
// they wrote; the frame in progress then goes on where it stopped.
EM_JS(int, pageTakeUserFiles, (), {
  return Asyncify.handleSleep(function(wakeUp) { Module.zunkTakeUserFiles(wakeUp); });
});

EM_JS(void, pageGiveUserFiles, (), {
  Module.zunkGiveUserFiles();
});

// A page being hidden may never run again: a tab closed or reloaded is
// taken away (pagehide) and hidden (visibilitychange), in either order; a
// tab left for another, or a phone's browser sent to the background, is
// hidden and may be ended later. The program hears of each hiding once,
// from within the first of those events, while it can still save.
EM_JS(void, pageListenForHiding, (), {
  var hidden = false;
  function hiding() {
    if (hidden) return;
    hidden = true;
    // Nothing may wait now: the page may be gone at the end of this event.
    Module.zunkHiding = true;
    try {
      _platformHostHiding();
    } finally {
      Module.zunkHiding = false;
    }
  }
  document.addEventListener("visibilitychange", function() {
    if (document.visibilityState === "hidden") hiding();
    else hidden = false;
  });
  window.addEventListener("pagehide", hiding);
  window.addEventListener("pageshow", function() { hidden = false; });
});

EM_JS(void, pageKeepUserFilesNow, (), {
  if (Module.zunkKeepUserFilesNow) Module.zunkKeepUserFilesNow();
});

// Asked once a visit; what the browser answered is left for whoever looks
// (Module.zunkStorageLasting), nothing waits for it.
EM_JS(void, pageAskForLastingStorage, (), {
  var storage = navigator.storage;
  Module.zunkStorageLastingAsked = true;
  if (!storage || !storage.persist) return;
  (storage.persisted ? storage.persisted() : Promise.resolve(false)).then(function (lasting) {
    return lasting || storage.persist();
  }).then(function (lasting) {
    Module.zunkStorageLasting = lasting;
  }, function (error) {
    console.warn("storage not kept for good: " + error);
  });
});

// The file's bytes downloaded under `name`, by a link clicked in the page.
EM_JS(int, pageOfferFile, (const char *path, const char *name), {
  try {
    var url = URL.createObjectURL(new Blob([FS.readFile(UTF8ToString(path))], { type: "application/octet-stream" }));
    var link = document.createElement("a");
    link.href = url;
    link.download = UTF8ToString(name);
    link.hidden = true;
    document.body.appendChild(link);
    link.click();
    link.remove();
    // The download has long started by then.
    setTimeout(function () { URL.revokeObjectURL(url); }, 60000);
    return 1;
  } catch (error) {
    console.warn("no download: " + error);
    return 0;
  }
});

// A file dropped on the page, or chosen in its picker, is written where
// the program reads it (at most one byte more than it takes), and the
// program told. A file dropped while none is taken is not opened by the
// browser either: the page stays.
EM_JS(void, pageListenForGivenFiles, (const char *path), {
  var given = UTF8ToString(path);
  Module.zunkGiveFile = function (file) {
    var most = Module.zunkFilesAccepted;
    if (!most || !file) return;
    file.slice(0, most + 1).arrayBuffer().then(function (bytes) {
      FS.mkdirTree(given.slice(0, given.lastIndexOf("/")));
      FS.writeFile(given, new Uint8Array(bytes));
    }).catch(function (error) {
      // Said by the program as a file it cannot read.
      console.warn("the file given could not be read: " + error);
      try { FS.unlink(given); } catch (gone) { /* none there */ }
    }).then(function () {
      _platformFileGiven();
    });
  };
  window.addEventListener("dragover", function (event) {
    event.preventDefault();
    if (event.dataTransfer) event.dataTransfer.dropEffect = Module.zunkFilesAccepted ? "copy" : "none";
  });
  window.addEventListener("drop", function (event) {
    event.preventDefault();
    var files = event.dataTransfer && event.dataTransfer.files;
    if (files && files.length) Module.zunkGiveFile(files[0]);
  });
});

EM_JS(void, pageAcceptFiles, (double maxBytes), {
  Module.zunkFilesAccepted = maxBytes;
});

// A browser opens a picker only in answer to the player's press: at once
// while the press that asked is fresh, else at the next one.
EM_JS(void, pageChooseFile, (), {
  var picker = Module.zunkPicker;
  if (!picker) {
    picker = Module.zunkPicker = document.createElement("input");
    picker.type = "file";
    picker.hidden = true;
    document.body.appendChild(picker);
    picker.addEventListener("change", function () {
      var file = picker.files && picker.files[0];
      picker.value = "";
      if (file) Module.zunkGiveFile(file);
    });
  }
  if (!navigator.userActivation || navigator.userActivation.isActive) return picker.click();
  function open() {
    ["pointerup", "keyup"].forEach(function (type) { window.removeEventListener(type, open, true); });
    picker.click();
  }
  ["pointerup", "keyup"].forEach(function (type) { window.addEventListener(type, open, true); });
});

// The page puts the text on the browser's clipboard (Module.zunkCopy), which
// may refuse it later: the page says so then. False without a page that can.
EM_JS(int, pageCopy, (const char *text), {
  if (!Module.zunkCopy) return 0;
  return Module.zunkCopy(UTF8ToString(text)) ? 1 : 0;
});

// The page's address without its fragment into `out`; gives its length.
EM_JS(int, pageLocation, (char *out, int size), {
  var address = String(location.href).split("#")[0];
  stringToUTF8(address, out, size);
  return lengthBytesUTF8(address);
});

EM_JS(void, pageFetchDataFile, (const char *name), {
  if (Module.zunkFetchDataFile) Module.zunkFetchDataFile(UTF8ToString(name));
});
} // namespace

extern "C" EMSCRIPTEN_KEEPALIVE void platformFileGiven() { fileGiven(kGivenFile); }

bool hostIsPage() { return true; }

void askForLastingStorage() {
  if (!host_.storageAsked) pageAskForLastingStorage();
  host_.storageAsked = true;
}

bool offerFile(const std::string &path, const std::string &name) { return pageOfferFile(path.c_str(), name.c_str()) != 0; }

void acceptGivenFiles(size_t maxBytes) {
  if (!host_.listeningForFiles) pageListenForGivenFiles(kGivenFile);
  host_.listeningForFiles = true;
  host_.acceptedBytes = maxBytes;
  if (maxBytes == 0) host_.givenFile.clear();
  pageAcceptFiles(static_cast<double>(maxBytes));
}

bool askForFile() {
  if (host_.acceptedBytes == 0) return false;
  pageChooseFile();
  return true;
}

// What the program saved as it is hidden is written through at once: the
// page may be gone before a write that waits for storage could start.
extern "C" EMSCRIPTEN_KEEPALIVE void platformHostHiding() {
  if (host_.hiding) host_.hiding();
  pageKeepUserFilesNow();
}

// Storage that answered late has come in (browser-pre.js).
extern "C" EMSCRIPTEN_KEEPALIVE void platformHostUserFilesArrived() {
  if (host_.filesArrived) host_.filesArrived();
}

bool hostKeepsUserFiles() { return true; }

bool takeUserFiles(std::string &why) {
  switch (pageTakeUserFiles()) {
  case kTaken: return true;
  case kStorageLate: why = "the browser's storage has not answered yet"; break;
  case kLockKept: why = "another tab of the game kept its files too long"; break;
  default: why = "the browser's storage could not be read"; break;
  }
  return false;
}

void giveUserFiles() { pageGiveUserFiles(); }

void setUserFilesArrivedHandler(void (*handler)()) { host_.filesArrived = handler; }

void setHidingHandler(HidingHandler handler) {
  static bool listening = false;
  if (!listening) pageListenForHiding();
  listening = true;
  host_.hiding = handler;
}

bool hostRunsFrames() { return true; }

void runHostFrames(void (*callback)()) {
  host_.hostCallback = callback;
  host_.hostRunning = true;
  // At the browser's animation frames (0 frames a second: its own pace);
  // the program's stack is given up here and it lives on in the callbacks.
  emscripten_set_main_loop(animationFrame, 0, 1);
}

void stopHostFrames() {
  host_.hostRunning = false;
  emscripten_cancel_main_loop();
}

void hostFramesRan(int frames) { pageFramesRan(frames); }

void hostProgramEnded() { pageProgramEnded(); }

void userFilesChanged() { pageSyncUserFiles(); }

bool setClipboardText(const std::string &text) { return pageCopy(text.c_str()) != 0; }

std::string pageAddress() {
  // An address longer than this is none a player sends.
  char text[2048];
  const int length = pageLocation(text, sizeof text);
  return length > 0 && static_cast<size_t>(length) < sizeof text ? std::string(text, static_cast<size_t>(length)) : "";
}

void fetchDataFile(const char *name) { pageFetchDataFile(name); }

std::vector<std::string> preferredLanguages() {
  char text[512];
  const int length = pageLanguages(text, sizeof text);
  std::vector<std::string> entries;
  // A list longer than the buffer is cut at its last whole entry.
  std::string list(text, static_cast<size_t>(length) < sizeof text ? static_cast<size_t>(length) : 0);
  if (list.empty() && length > 0) {
    list = text;
    list = list.substr(0, list.find_last_of(','));
  }
  for (size_t start = 0; start < list.size();) {
    const size_t comma = std::min(list.find(',', start), list.size());
    entries.push_back(list.substr(start, comma - start));
    start = comma + 1;
  }
  return browserLanguageTags(entries);
}

#else

bool hostIsPage() { return false; }

// A desktop keeps its files for good; the player reaches them where they
// were written, and gives the program a file by dropping it on its window.
void askForLastingStorage() {}
bool offerFile(const std::string &, const std::string &) { return false; }
bool askForFile() { return false; }

void acceptGivenFiles(size_t maxBytes) {
  host_.acceptedBytes = maxBytes;
  if (maxBytes == 0) host_.givenFile.clear();
}

bool hostRunsFrames() { return false; }

void runHostFrames(void (*callback)()) {
  host_.hostCallback = callback;
  host_.hostRunning = true;
  while (host_.hostRunning) host_.hostCallback();
}

void stopHostFrames() { host_.hostRunning = false; }

void hostFramesRan(int) {}

void hostProgramEnded() {}

// A desktop's files are kept as they are written, under the program's own
// locks.
void userFilesChanged() {}

bool hostKeepsUserFiles() { return false; }

bool takeUserFiles(std::string &) { return true; }

void giveUserFiles() {}

void setUserFilesArrivedHandler(void (*handler)()) { host_.filesArrived = handler; }

// A desktop's data folder holds every file the program reads.
void fetchDataFile(const char *) {}

// A desktop's program is never hidden away: its end runs.
void setHidingHandler(HidingHandler handler) { host_.hiding = handler; }

#endif

} // namespace platform

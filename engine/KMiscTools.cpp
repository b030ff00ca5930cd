#include "KMiscTools.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Platform.h"

bool KMiscTools::_inPackage = false;
char KMiscTools::currentAppPath[260] = "";
char KMiscTools::_resourcePath[260] = "";
char KMiscTools::currentFilePath[260] = "";
uint32_t KMiscTools::_millisecondCounter = 0;
uint32_t KMiscTools::_starterMSTimer = 0;
uint32_t KMiscTools::_t2 = 0;
uint32_t KMiscTools::_delta = 0;

namespace {
// The system tools' own state (the clock's is the class's).
struct ToolsContext {
  void (*dispatcher)() = nullptr;
  std::string userDataProblem; // why the last getUserDataFolder() gave none
};
ToolsContext tools_;

void copyCut(char *dst, const std::string &src) { std::snprintf(dst, 260, "%s", src.c_str()); }

// The clock reading: the full 64-bit microsecond count, in milliseconds, kept
// to 32 bits (it wraps after 49 days, not after 71 minutes).
uint32_t clockReading() { return static_cast<uint32_t>(platform::microseconds() / 1000); }
} // namespace

void K_strlower(char *text) {
  if (!text) return;
  for (; *text; text++) *text = static_cast<char>(std::tolower(static_cast<unsigned char>(*text)));
}

unsigned long kggetMilliseconds() { return clockReading(); }

void kmProcessEvents() {
  if (tools_.dispatcher) tools_.dispatcher();
  else platform::pumpEvents();
}

void KMiscTools::setEventDispatcher(void (*dispatcher)()) { tools_.dispatcher = dispatcher; }

namespace {
// Where an installed program's data lies, from the program's folder: the
// games layout of a distribution (/usr/games, /usr/share/games/zunk) or a
// plain prefix (bin, share/zunk).
const char *const kInstalledDataFolders[] = {"../share/games/zunk", "../share/zunk"};

void findFolders();
std::string dataFolderText() {
  findFolders();
  if (KMiscTools::_inPackage) return std::string(KMiscTools::currentAppPath) + "/" + KMiscTools::_resourcePath;
  return KMiscTools::currentFilePath;
}
} // namespace

void KMiscTools::initMiscTools() {
  _millisecondCounter = 0;
  initMilliseconds();
  findFolders();
}

void KMiscTools::lowerDataFileName(char *path) {
  if (!path) return;
  std::string folder = dataFolderText();
  if (std::strncmp(path, folder.c_str(), folder.size()) == 0 && path[folder.size()] == '/')
    K_strlower(path + folder.size());
  else if (path[0] != '/')
    K_strlower(path);
}

namespace {
void findFolders() {
  using K = KMiscTools;
  if (K::currentFilePath[0]) return;
  std::string app = platform::executableFolder();
  std::string resources = "data";
  struct stat st;
  if (stat((app + "/data").c_str(), &st) != 0) {
    for (const char *installed : kInstalledDataFolders)
      if (stat((app + "/" + installed).c_str(), &st) == 0) {
        resources = installed;
        break;
      }
  }
  copyCut(K::_resourcePath, resources);
  copyCut(K::currentAppPath, app);
  std::string parent = app;
  size_t slash = parent.find_last_of('/');
  parent = slash == std::string::npos || slash == 0 ? std::string("/") : parent.substr(0, slash);
  copyCut(K::currentFilePath, parent);
}
} // namespace

void KMiscTools::setFileSource(bool inPackage) { _inPackage = inPackage; }

void KMiscTools::userFilesChanged() { platform::userFilesChanged(); }

bool KMiscTools::hostKeepsUserFiles() { return platform::hostKeepsUserFiles(); }

bool KMiscTools::takeUserFiles(std::string &why) { return platform::takeUserFiles(why); }

void KMiscTools::giveUserFiles() { platform::giveUserFiles(); }

void KMiscTools::setUserFilesArrivedHandler(void (*handler)()) { platform::setUserFilesArrivedHandler(handler); }

bool KMiscTools::isEndedWithoutNotice() { return platform::hostRunsFrames(); }

void KMiscTools::setHidingHandler(void (*handler)()) { platform::setHidingHandler(handler); }

void KMiscTools::setDisplayLostHandler(int (*handler)()) { platform::setDisplayLostHandler(handler); }

bool KMiscTools::runsInPage() { return platform::hostIsPage(); }
void KMiscTools::askForLastingStorage() { platform::askForLastingStorage(); }
bool KMiscTools::offerFile(const char *path, const char *name) { return path && name && platform::offerFile(path, name); }
void KMiscTools::acceptGivenFiles(size_t maxBytes) { platform::acceptGivenFiles(maxBytes); }
bool KMiscTools::askForFile() { return platform::askForFile(); }
std::string KMiscTools::takeGivenFile() { return platform::takeGivenFile(); }

const char *KMiscTools::makeFilePath(const char *name) {
  static char builtPath[260];
  if (!name) name = "";
  if (*name == '\\') name++;
  if (*name == '/') std::snprintf(builtPath, sizeof builtPath, "%s", name);
  else if (_inPackage) std::snprintf(builtPath, sizeof builtPath, "%s/%s/%s", currentAppPath, _resourcePath, name);
  else std::snprintf(builtPath, sizeof builtPath, "%s/%s", currentFilePath, name);
  for (char *p = builtPath; *p; p++)
    if (*p == '\\') *p = '/';
  return builtPath;
}

const char *KMiscTools::getCurrentPath() {
  static char builtPath[260];
  initMiscTools();
  if (_inPackage) std::snprintf(builtPath, sizeof builtPath, "%s/%s", currentAppPath, _resourcePath);
  else std::snprintf(builtPath, sizeof builtPath, "%s", currentFilePath);
  return builtPath;
}

void KMiscTools::cleanPath(char *path) {
  if (!path) return;
  for (; *path; path++)
    if (*path == '\\' || *path == ':') *path = '/';
}

// The folders' texts are kept whole, however long: a path cut short names
// another file.
const char *KMiscTools::getUserFolder() {
  static std::string folderName;
  folderName = platform::homeFolder();
  return folderName.empty() ? nullptr : folderName.c_str();
}

const char *KMiscTools::getPreferencesFolder() {
  static std::string folderName;
  folderName = platform::configFolder();
  return folderName.empty() ? nullptr : folderName.c_str();
}

const char *KMiscTools::getUserDataFolder() {
  static std::string folderName;
  tools_.userDataProblem.clear();
  const std::string base = platform::userDataFolder(&tools_.userDataProblem);
  if (base.empty()) return nullptr;
  // Make every missing folder of the path; the first that cannot be made
  // says why.
  const std::string full = base + "/zunk";
  std::string made;
  for (size_t i = 1; i <= full.size(); i++) {
    if (i < full.size() && full[i] != '/') continue;
    const std::string path = full.substr(0, i);
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST && made.empty()) made = path + ": " + std::strerror(errno);
  }
  struct stat st;
  const bool there = stat(full.c_str(), &st) == 0;
  if (!there || !S_ISDIR(st.st_mode)) {
    tools_.userDataProblem = !made.empty() ? made : full + ": " + (there ? "not a folder" : std::strerror(errno));
    return nullptr;
  }
  folderName = full;
  return folderName.c_str();
}

const char *KMiscTools::getUserDataFolderProblem() { return tools_.userDataProblem.c_str(); }

bool KMiscTools::isDataFolderInstalled() {
  findFolders();
  for (const char *installed : kInstalledDataFolders)
    if (_inPackage && std::strcmp(_resourcePath, installed) == 0) return true;
  return false;
}

const char *KMiscTools::makeWritableFilePath(const char *name) {
  static std::string writable;
  writable = makeFilePath(name);
  const std::string folder = writable.substr(0, writable.find_last_of('/'));
  // An installed data folder belongs to the system, even for a user who
  // could write it (root): what the program writes goes to the user's, or
  // nowhere.
  if (isDataFolderInstalled() || access(folder.c_str(), W_OK) != 0) {
    const char *user = getUserDataFolder();
    writable = user ? std::string(user) + "/" + name : isDataFolderInstalled() ? "" : writable;
  }
  return writable.c_str();
}

void KMiscTools::enumerateFolder(char *folder, bool (*callback)(char *, bool, void *), void *userData) {
  if (!folder || !callback) return;
  char text[512];
  std::snprintf(text, sizeof text, "%s", folder);
  size_t len = std::strlen(text);
  if (len >= 3 && text[len - 3] == '*') text[len - 3] = 0;
  DIR *dir = opendir(text);
  if (!dir) return;
  while (struct dirent *entry = readdir(dir)) {
    // The listing's order is the file system's; "." is skipped by its name.
    if (std::strcmp(entry->d_name, ".") == 0) continue;
    char full[512];
    std::snprintf(full, sizeof full, "%s%s", text, entry->d_name);
    struct stat st;
    bool isFolder = stat(full, &st) == 0 && S_ISDIR(st.st_mode);
    char name[256];
    std::snprintf(name, sizeof name, "%s", entry->d_name);
    if (!callback(name, isFolder, userData)) break;
  }
  closedir(dir);
}

bool KMiscTools::createDirectory(const char *path) {
  char buffer[1024];
  std::snprintf(buffer, sizeof buffer, "%s", path ? path : "");
  if (std::strlen(buffer) < 2) return false;
  const mode_t modes[] = {0777, 0666, 0600, 0700};
  for (mode_t m : modes) {
    if (mkdir(buffer, m) == 0) {
      if (chdir(makeFilePath("")) != 0) {
        // The folder was made; the working folder simply stays where it was.
      }
      return true;
    }
  }
  return false;
}

bool KMiscTools::fileExists(const char *path) {
  struct stat st;
  return path && stat(path, &st) == 0;
}

void KMiscTools::initMilliseconds() {
  _starterMSTimer = clockReading();
  _millisecondCounter = 0;
}

unsigned long KMiscTools::getMilliseconds() {
  uint32_t t = clockReading();
  _t2 = t;
  if (t == _starterMSTimer) return _millisecondCounter;
  _delta = t > _starterMSTimer ? t - _starterMSTimer : _starterMSTimer - t;
  _starterMSTimer = t;
  _millisecondCounter += _delta;
  return _millisecondCounter;
}

void KMiscTools::setMilliseconds(unsigned long milliseconds) { _millisecondCounter = static_cast<uint32_t>(milliseconds); }

void KMiscTools::freezeTimer() { _starterMSTimer = clockReading(); }

void KMiscTools::pause(long milliseconds, bool processEvents) {
  uint32_t start = static_cast<uint32_t>(getMilliseconds());
  for (;;) {
    uint32_t now = static_cast<uint32_t>(getMilliseconds());
    int32_t d = static_cast<int32_t>(now - start);
    if (d < 0) return;
    if (processEvents) kmProcessEvents();
    if (d >= milliseconds) return;
  }
}

unsigned long KMiscTools::getTheTicks() { return static_cast<unsigned long>(platform::microseconds() * 60 / 1000000); }

int KMiscTools::getYear() { return platform::localYear(); }

void KMiscTools::launchURL(char *url, bool) {
  if (!url) return;
  char text[256];
  std::snprintf(text, sizeof text, "%s", url);
  platform::openURL(text);
}

void KMiscTools::launchFile(char *path, bool) {
  if (!path) return;
  const char *files[1] = {path};
  FinderLaunch(1, files);
}

long KMiscTools::FinderLaunch(long count, const char **files) {
  if (count == 0 || !files) return -50;
  for (long i = 0; i < count; i++) {
    if (!files[i]) return -50;
    char real[4096];
    const char *p = realpath(files[i], real) ? real : files[i];
    std::string url = std::string("file://") + p;
    if (!platform::openURL(url.c_str())) return -43; // the file could not be opened
  }
  return 0;
}

void KMiscTools::messageBox(const char *explanation, const char *message) {
  // Room for a few lines of the system's reasons.
  char e[1024], m[256];
  std::snprintf(e, sizeof e, "%s", explanation ? explanation : "");
  std::snprintf(m, sizeof m, "%s", message ? message : "");
  platform::messageBox(e, m);
}

void KMiscTools::report(EReportLevel level, const char *heading, const char *detail, const char *reason) {
  platform::report(level, heading, detail, reason);
}

void KMiscTools::setReportHandler(KReportHandler handler) { platform::setReportHandler(handler); }

KReport KMiscTools::getLastReport() { return platform::lastReport(); }

std::vector<std::string> KMiscTools::getPreferredLanguages() { return platform::preferredLanguages(); }
bool KMiscTools::prefersReducedMotion() { return platform::prefersReducedMotion(); }
bool KMiscTools::prefersMoreContrast() { return platform::prefersMoreContrast(); }
void KMiscTools::fetchDataFile(const char *name) { platform::fetchDataFile(name); }

bool KMiscTools::setClipboardText(const char *text) { return text && platform::setClipboardText(text); }

std::string KMiscTools::getPageAddress() { return platform::pageAddress(); }

const char *KMiscTools::getLocale() {
  static char languageName[256];
  std::snprintf(languageName, sizeof languageName, "%s", platform::preferredLocale().c_str());
  return languageName;
}

#include "storage.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
void (*filesChanged)() = nullptr;
// What follows a kept file's name in its temporary files' names.
const char *const kTempMark = ".tmp";

std::string folderOf(const std::string &path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

void syncFolder(const std::string &folder) {
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  ::fsync(dir);
  ::close(dir);
}

// Opens `path` for reading if it is a regular file. O_NONBLOCK: opening a
// pipe with no writer would otherwise wait for one for ever.
int openRegular(const std::string &path, std::string &error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return -1;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = "not a regular file";
    ::close(fd);
    return -1;
  }
  return fd;
}

// Up to `limit` bytes from `fd` into `bytes`; false on a read error.
bool readUpTo(int fd, size_t limit, std::string &bytes, std::string &error) {
  bytes.clear();
  char block[16384];
  while (bytes.size() < limit) {
    const size_t want = std::min(sizeof block, limit - bytes.size());
    const ssize_t got = ::read(fd, block, want);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      error = std::strerror(errno);
      bytes.clear();
      return false;
    }
    if (got == 0) break;
    bytes.append(block, static_cast<size_t>(got));
  }
  return true;
}

std::string tooLarge(size_t maxBytes) { return "too large for what it holds (more than " + std::to_string(maxBytes) + " bytes)"; }
} // namespace

bool readFile(const std::string &path, size_t maxBytes, std::string &bytes, std::string &error) {
  bytes.clear();
  const int fd = openRegular(path, error);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0;
  if (ok && static_cast<unsigned long long>(st.st_size) > maxBytes) {
    error = tooLarge(maxBytes);
    ok = false;
  }
  // One byte more than allowed tells a file that grew since.
  if (ok) ok = readUpTo(fd, maxBytes + 1, bytes, error);
  if (ok && bytes.size() > maxBytes) {
    error = tooLarge(maxBytes);
    ok = false;
  }
  ::close(fd);
  if (!ok) bytes.clear();
  return ok;
}

bool readFileStart(const std::string &path, size_t maxBytes, std::string &bytes, std::string &error) {
  bytes.clear();
  const int fd = openRegular(path, error);
  if (fd < 0) return false;
  const bool ok = readUpTo(fd, maxBytes, bytes, error);
  ::close(fd);
  return ok;
}

void setFilesChangedHandler(void (*handler)()) { filesChanged = handler; }

bool fileThere(const std::string &path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

bool keptFileThere(const std::string &path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string followLinks(const std::string &path) {
  // As the system does: at most 40 links in a row, else a loop.
  const int kMostLinks = 40;
  std::string at = path;
  for (int i = 0; i < kMostLinks; i++) {
    struct stat st;
    if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
    std::string target(static_cast<size_t>(st.st_size) + 1, '\0');
    const ssize_t n = ::readlink(at.c_str(), &target[0], target.size());
    if (n < 0 || static_cast<size_t>(n) >= target.size()) return at;
    target.resize(static_cast<size_t>(n));
    // A relative link is read from the link's own folder.
    at = target[0] == '/' ? target : folderOf(at) + "/" + target;
  }
  return "";
}

Cause causeOf(int errorNumber) {
  switch (errorNumber) {
  case ENOSPC:
  case EDQUOT: return Cause::kDiskFull;
  case EROFS:
  case EACCES:
  case EPERM: return Cause::kReadOnly;
  default: return Cause::kOther;
  }
}

bool replaceFile(const std::string &path, const std::string &bytes, std::string &error, Cause *cause) {
  auto failed = [&](int errorNumber, const std::string &why) {
    error = why;
    if (cause) *cause = causeOf(errorNumber);
    return false;
  };
  const std::string target = followLinks(path);
  if (target.empty()) return failed(ELOOP, std::strerror(ELOOP));
  struct stat old;
  const bool hadOne = ::stat(target.c_str(), &old) == 0;
  // A file without a single write bit was made read-only on purpose: it is
  // left alone even by a user (root) whom the system would let write it.
  if (hadOne && S_ISREG(old.st_mode) && ((old.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0))
    return failed(EROFS, "it is read-only");
  // A name of its own: two saves at once never share a temporary file, and
  // what lies at another name is never written through.
  std::string temp = target + kTempMark + "XXXXXX";
  const int fd = ::mkostemp(&temp[0], O_CLOEXEC);
  if (fd < 0) return failed(errno, std::strerror(errno));
  // The new file is readable as the old one was; a first one is the
  // player's own (as mkstemp makes it, read and written by them alone).
  int why = 0;
  if (hadOne && S_ISREG(old.st_mode) && ::fchmod(fd, old.st_mode & 07777) != 0) why = errno;
  for (size_t written = 0; !why && written < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) why = n < 0 ? errno : EIO;
    else written += static_cast<size_t>(n);
  }
  if (!why && ::fsync(fd) != 0) why = errno;
  if (::close(fd) != 0 && !why) why = errno;
  if (!why && std::rename(temp.c_str(), target.c_str()) != 0) why = errno;
  if (why) {
    ::unlink(temp.c_str());
    return failed(why, std::strerror(why));
  }
  // The rename itself reaches the disk with its folder.
  syncFolder(folderOf(target));
  if (filesChanged) filesChanged();
  return true;
}

bool removeKeptFile(const std::string &path) {
  const std::string target = followLinks(path);
  if (target.empty() || std::remove(target.c_str()) != 0) return false;
  syncFolder(folderOf(target));
  if (filesChanged) filesChanged();
  return true;
}

// ---- transactions -------------------------------------------------------------

const char *const kLockFileName = "zunk.lock";

namespace {
const KeptFilesLock *gHostLock = nullptr;
// The folder whose lock this program holds, and how deep in transactions.
std::string gLockedFolder;
int gDepth = 0;
int gLockFd = -1;

// How long a transaction waits for another program's: far longer than any
// transaction takes, even on a slow disk; a lock held longer is a program
// stopped in the middle of one, and the change is given up, not the game.
const int kLockPatienceMs = 30000, kLockRetryMs = 10;

bool takeFlock(const std::string &folder, std::string &error, Cause &cause) {
  const std::string path = folder + "/" + kLockFileName;
  gLockFd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
  // A folder the player made read-only still has its files read: a lock
  // only for reading keeps a writer out all the same.
  if (gLockFd < 0 && (errno == EACCES || errno == EROFS)) gLockFd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (gLockFd < 0) {
    error = path + ": " + std::strerror(errno);
    cause = causeOf(errno);
    return false;
  }
  for (int waited = 0;; waited += kLockRetryMs) {
    if (::flock(gLockFd, LOCK_EX | LOCK_NB) == 0) return true;
    if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= kLockPatienceMs) break;
    ::usleep(kLockRetryMs * 1000);
  }
  error = path + ": another program holds it (" + std::strerror(errno) + ")";
  cause = Cause::kOther;
  ::close(gLockFd);
  gLockFd = -1;
  return false;
}

void giveFlock() {
  if (gLockFd < 0) return;
  ::flock(gLockFd, LOCK_UN);
  ::close(gLockFd);
  gLockFd = -1;
}
} // namespace

void setKeptFilesLock(const KeptFilesLock *lock) { gHostLock = lock; }

bool changeKeptFiles(const std::string &folder, const std::function<bool(std::string &error, Cause &cause)> &change,
                     std::string &error, Cause &cause) {
  error.clear();
  cause = Cause::kNone;
  if (gDepth > 0 && folder == gLockedFolder) return change(error, cause);
  // Another folder inside a transaction (none does this now) would need a
  // second lock: it is refused rather than run unlocked.
  if (gDepth > 0) {
    error = "a transaction on " + folder + " inside one on " + gLockedFolder;
    cause = Cause::kOther;
    return false;
  }
  if (gHostLock) {
    if (!gHostLock->take(folder, error)) {
      cause = Cause::kOther;
      return false;
    }
  } else if (!takeFlock(folder, error, cause)) {
    return false;
  }
  gLockedFolder = folder;
  gDepth++;
  const bool ok = change(error, cause);
  gDepth--;
  if (gHostLock) gHostLock->give(folder);
  else giveFlock();
  gLockedFolder.clear();
  if (!ok && cause == Cause::kNone) cause = Cause::kOther;
  return ok;
}

int removeLeftovers(const std::string &folder, const std::function<bool(const std::string &name)> &ours) {
  DIR *dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  int removed = 0;
  const std::string mark = kTempMark;
  while (const dirent *entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    const size_t at = name.rfind(mark);
    if (at == std::string::npos || at == 0) continue;
    // "<name>.tmp" as earlier versions named it, or "<name>.tmpXXXXXX".
    const std::string rest = name.substr(at + mark.size());
    bool tempName = rest.empty() || rest.size() == 6;
    for (char c : rest) tempName = tempName && std::isalnum(static_cast<unsigned char>(c));
    if (!tempName || !ours(name.substr(0, at))) continue;
    const std::string path = folder + "/" + name;
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(path.c_str()) == 0) removed++;
  }
  ::closedir(dir);
  return removed;
}

std::string printable(const std::string &text, size_t maxBytes) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    // The length of the UTF-8 sequence starting here, 0 if it is none.
    size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xe ? 3 : (c >> 3) == 0x1e ? 4 : 0;
    for (size_t k = 1; k < length; k++)
      if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80) length = 0;
    // C0 and C1 controls: what a terminal would take as a command.
    const bool control = c < 0x20 || c == 0x7f || (length == 2 && c == 0xc2 && static_cast<unsigned char>(text[i + 1]) < 0xa0);
    const std::string piece = length == 0 || control ? "?" : text.substr(i, length);
    if (out.size() + piece.size() > maxBytes) break;
    out += piece;
    i += length == 0 ? 1 : length;
  }
  return out;
}

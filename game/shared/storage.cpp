#include "storage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
void (*filesChanged)() = nullptr;

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

bool replaceFile(const std::string &path, const std::string &bytes, std::string &error) {
  const std::string temp = path + ".tmp";
  // What lies there is what a crash left, or someone else's: a link is
  // removed as a link, and the file is then created new or not at all.
  if (::unlink(temp.c_str()) != 0 && errno != ENOENT) {
    error = std::strerror(errno);
    return false;
  }
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  bool ok = fd >= 0;
  if (ok) {
    size_t written = 0;
    while (ok && written < bytes.size()) {
      const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
      if (n < 0 && errno == EINTR) continue;
      ok = n > 0;
      if (ok) written += static_cast<size_t>(n);
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
  }
  if (!ok) {
    error = std::strerror(errno);
    // Only a file this call created is removed.
    if (fd >= 0) ::unlink(temp.c_str());
    return false;
  }
  // The rename itself reaches the disk with its folder.
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  if (filesChanged) filesChanged();
  return true;
}

bool removeKeptFile(const std::string &path) {
  if (std::remove(path.c_str()) != 0) return false;
  if (filesChanged) filesChanged();
  return true;
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

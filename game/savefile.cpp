#include "savefile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "KMiscTools.h"

bool replaceFile(const std::string &path, const std::string &bytes, std::string &error) {
  const std::string temp = path + ".tmp";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  bool ok = fd >= 0;
  if (ok) {
    ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
  }
  if (!ok) {
    error = std::strerror(errno);
    std::remove(temp.c_str());
    return false;
  }
  // The rename itself reaches the disk with its folder.
  const std::string folder = path.substr(0, path.find_last_of('/'));
  int dir = ::open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  KMiscTools::userFilesChanged();
  return true;
}

bool removeKeptFile(const std::string &path) {
  if (std::remove(path.c_str()) != 0) return false;
  KMiscTools::userFilesChanged();
  return true;
}

#include "scores.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "ByteOrder.h"
#include "KMiscTools.h"
#include "storage.h"

int32_t topScores[10] = {30, 25, 20, 19, 18, 15, 10, 9, 8, 5};
const int32_t topScoresOld[10] = {30, 25, 20, 19, 18, 15, 10, 9, 8, 5};

int sendScore(int32_t score) {
  int i = 0;
  while (i < 10 && !(score > topScores[i])) i++;
  if (i == 10) return -1;
  for (int j = 8; j >= i; j--) topScores[j + 1] = topScores[j];
  topScores[i] = score;
  return i;
}

namespace {
// A file without a single write bit was made read-only on purpose: it is left
// alone even by a user (root) whom the system would let write it.
bool readOnlyFile(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && ((st.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0);
}

} // namespace

const char *scoresPath() {
  static std::string path;
  const std::string data = KMiscTools::makeFilePath("thescores");
  // An installed copy never writes its data folder, and a table the player
  // made read-only stays as it is: the scores then live in the user's own
  // data folder.
  path = KMiscTools::makeWritableFilePath("thescores");
  if (path == data && readOnlyFile(data)) {
    if (const char *user = KMiscTools::getUserDataFolder()) path = std::string(user) + "/thescores";
  }
  return path.c_str();
}

bool loadScores(std::string &message) {
  message.clear();
  // Until the user's folder holds a table of its own, the one in the data
  // folder (read-only or installed) is where the scores start from.
  std::string path = scoresPath();
  if (!fileThere(path)) path = KMiscTools::makeFilePath("thescores");
  if (!fileThere(path)) return true;
  std::string bytes, error;
  if (!readFileStart(path, sizeof topScores, bytes, error)) {
    message = path + ": " + error + ": the high scores are not read";
    return false;
  }
  // Only the entries the file covers whole are taken.
  const auto *b = reinterpret_cast<const unsigned char *>(bytes.data());
  for (size_t i = 0; i < bytes.size() / 4; i++) topScores[i] = static_cast<int32_t>(readLE32(b + i * 4));
  return true;
}

bool saveScores(std::string &message) {
  message.clear();
  unsigned char bytes[40];
  for (int i = 0; i < 10; i++) writeLE32(bytes + i * 4, static_cast<uint32_t>(topScores[i]));
  const std::string data = KMiscTools::makeFilePath("thescores");
  const std::string path = scoresPath();
  if (readOnlyFile(path)) {
    message = path + " is read-only: the new high scores are not saved";
    return false;
  }
  std::string error;
  if (!replaceFile(path, std::string(reinterpret_cast<const char *>(bytes), sizeof bytes), error)) {
    message = "the high scores could not be saved to " + path + ": " + error;
    return false;
  }
  if (path != data && readOnlyFile(data)) message = data + " is read-only: the high scores go to " + path;
  return true;
}

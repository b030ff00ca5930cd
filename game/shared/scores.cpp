#include "scores.h"

#include <string>

#include "ByteOrder.h"
#include "KMiscTools.h"

const int32_t topScoresOld[10] = {30, 25, 20, 19, 18, 15, 10, 9, 8, 5};

namespace {
const char *const kTableFile = "thescores";
const size_t kTableBytes = sizeof topScoresOld;
} // namespace

std::string recordsFolder() {
  const char *folder = KMiscTools::getUserDataFolder();
  return folder ? folder : "";
}

std::string recordsFolderProblem() {
  return recordsFolder().empty() ? std::string("no user folder: ") + KMiscTools::getUserDataFolderProblem() : "";
}

bool changeRecords(const std::function<bool(std::string &error, Cause &cause)> &change, std::string &error,
                   Cause &cause) {
  const std::string folder = recordsFolder();
  if (folder.empty()) {
    error = recordsFolderProblem();
    cause = Cause::kNoUserFolder;
    return false;
  }
  return changeKeptFiles(folder, change, error, cause);
}

int enterScore(int32_t table[10], int32_t score) {
  int i = 0;
  while (i < 10 && !(score > table[i])) i++;
  if (i == 10) return -1;
  for (int j = 8; j >= i; j--) table[j + 1] = table[j];
  table[i] = score;
  return i;
}

std::string scoresPath() {
  const std::string folder = recordsFolder();
  return folder.empty() ? "" : folder + "/" + kTableFile;
}

TableFound readTable(int32_t table[10], std::string &message) {
  message.clear();
  const std::string path = scoresPath();
  if (path.empty() || !fileThere(path)) return TableFound::kNone;
  std::string bytes, error;
  if (!readFileStart(path, kTableBytes, bytes, error)) {
    const std::string target = followLinks(path);
    message = path + (target != path && !target.empty() ? " (a link to " + target + ")" : "") + ": " + error;
    return TableFound::kUnreadable;
  }
  // Only the entries the file covers whole are taken.
  const auto *b = reinterpret_cast<const unsigned char *>(bytes.data());
  for (size_t i = 0; i < bytes.size() / 4; i++) table[i] = static_cast<int32_t>(readLE32(b + i * 4));
  return TableFound::kRead;
}

bool writeTable(const int32_t table[10], std::string &error, Cause &cause) {
  unsigned char bytes[kTableBytes];
  for (int i = 0; i < 10; i++) writeLE32(bytes + i * 4, static_cast<uint32_t>(table[i]));
  const std::string path = scoresPath();
  if (replaceFile(path, std::string(reinterpret_cast<const char *>(bytes), sizeof bytes), error, &cause)) return true;
  error = "the high scores could not be saved to " + path + ": " + error;
  return false;
}

bool loadScores(int32_t table[10], std::string &message) {
  const TableFound found = readTable(table, message);
  if (found == TableFound::kUnreadable) message += ": the high scores are not read";
  return found != TableFound::kUnreadable;
}

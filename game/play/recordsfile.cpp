#include "recordsfile.h"

#include <array>
#include <cstring>
#include <set>
#include <utility>

#include "ByteOrder.h"
#include "settings.h"
#include "storage.h"
#include "unfinished.h"

const char *const kRecordsFileName = "zunk-records.zunkrecords";

namespace {
const char kMagic[8] = {'Z', 'U', 'N', 'K', 'R', 'E', 'C', 'S'};
// Magic, version, parts, the file's length; the checksum closes the file.
const size_t kHeaderSize = 16, kChecksumSize = 4;
// A part: its kind, its length, its bytes.
const size_t kPartHeaderSize = 8;
// A file of more parts than any version writes is not ours.
const size_t kMostParts = 256;
const int kRows = 10;

// The parts' kinds (four letters each): the table ("thescores", 40 bytes);
// a row's game (the row, then a replay file); a game left unfinished (a
// replay file); the settings (settings.ini). Others are a later version's
// additions, passed over.
const char kTablePart[4] = {'T', 'A', 'B', 'L'}, kRowGamePart[4] = {'G', 'A', 'M', 'E'};
const char kUnfinishedPart[4] = {'L', 'E', 'F', 'T'}, kSettingsPart[4] = {'S', 'E', 'T', 'S'};
const size_t kTableBytes = 4 * kRows;

// CRC-32 as zlib and PNG have it (the reflected polynomial 0xEDB88320).
constexpr std::array<uint32_t, 256> crcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; n++) {
    uint32_t c = n;
    for (int k = 0; k < 8; k++) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = crcTable();

uint32_t crc32(const std::string &bytes, size_t length) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < length; i++) c = kCrcTable[(c ^ static_cast<unsigned char>(bytes[i])) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void put32(std::string &out, uint32_t v) {
  unsigned char b[4];
  writeLE32(b, v);
  out.append(reinterpret_cast<const char *>(b), 4);
}
uint32_t at32(const std::string &bytes, size_t at) { return readLE32(reinterpret_cast<const unsigned char *>(&bytes[at])); }

void putPart(std::string &out, const char kind[4], const std::string &bytes) {
  out.append(kind, 4);
  put32(out, static_cast<uint32_t>(bytes.size()));
  out += bytes;
}

bool refuse(Refusal reason, const std::string &text, Refusal &why, std::string &error) {
  why = reason;
  error = text;
  return false;
}

// A replay carried in a part, read as a replay file is.
bool readGame(const std::string &bytes, Recording &game, const std::string &what, std::string &error) {
  std::string why;
  if (decodeRecording(bytes, game, why)) return true;
  error = what + ": " + why;
  return false;
}
} // namespace

std::string encodeRecords(const CarriedRecords &records) {
  std::string parts;
  size_t count = 0;
  std::string table;
  for (const TableRow &row : records.rows) put32(table, static_cast<uint32_t>(row.score));
  putPart(parts, kTablePart, table);
  count++;
  for (int row = 0; row < kRows; row++) {
    if (!records.rows[row].hasGame) continue;
    putPart(parts, kRowGamePart, std::string(1, static_cast<char>(row)) + encodeRecording(records.rows[row].game));
    count++;
  }
  for (size_t i = 0; i < records.unfinished.size() && i < kMaxCarriedUnfinished; i++) {
    putPart(parts, kUnfinishedPart, encodeRecording(records.unfinished[i]));
    count++;
  }
  if (!records.settings.empty()) {
    putPart(parts, kSettingsPart, records.settings);
    count++;
  }
  const size_t length = kHeaderSize + parts.size() + kChecksumSize;
  if (length > kMaxRecordsBytes) return "";
  std::string out(kMagic, sizeof kMagic);
  out += static_cast<char>(kRecordsVersion & 0xFF);
  out += static_cast<char>(kRecordsVersion >> 8);
  out += static_cast<char>(count & 0xFF);
  out += static_cast<char>(count >> 8);
  put32(out, static_cast<uint32_t>(length));
  out += parts;
  put32(out, crc32(out, out.size()));
  return out;
}

bool decodeRecords(const std::string &bytes, CarriedRecords &records, Refusal &why, std::string &error) {
  records = CarriedRecords();
  why = Refusal::kNone;
  error.clear();
  // Whatever this is, it says so in its first bytes.
  const size_t magicHere = std::min(bytes.size(), sizeof kMagic);
  if (bytes.empty() || std::memcmp(bytes.data(), kMagic, magicHere) != 0)
    return refuse(Refusal::kNotRecords, "not a Zunk records file", why, error);
  if (bytes.size() < kHeaderSize + kChecksumSize) return refuse(Refusal::kDamaged, "cut short", why, error);
  const unsigned version = static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8;
  if (version > kRecordsVersion)
    return refuse(Refusal::kLaterVersion, "written by a later version of Zunk (its format " + std::to_string(version) + ")",
                  why, error);
  const uint32_t length = at32(bytes, 12);
  if (length > bytes.size()) return refuse(Refusal::kDamaged, "cut short", why, error);
  if (length < bytes.size()) return refuse(Refusal::kDamaged, "longer than it says it is", why, error);
  const size_t end = bytes.size() - kChecksumSize;
  if (crc32(bytes, end) != at32(bytes, end)) return refuse(Refusal::kDamaged, "damaged: its checksum does not match", why, error);
  if (version == 0) return refuse(Refusal::kDamaged, "damaged: no format version", why, error);

  const size_t count = static_cast<unsigned char>(bytes[10]) | static_cast<unsigned char>(bytes[11]) << 8;
  if (count > kMostParts) return refuse(Refusal::kDamaged, "damaged: too many parts", why, error);
  bool hasTable = false;
  std::vector<std::pair<int, std::string>> rowGames;
  size_t at = kHeaderSize;
  for (size_t i = 0; i < count; i++) {
    if (end - at < kPartHeaderSize) return refuse(Refusal::kDamaged, "damaged: a part cut short", why, error);
    const char *kind = &bytes[at];
    const uint32_t size = at32(bytes, at + 4);
    at += kPartHeaderSize;
    if (size > end - at) return refuse(Refusal::kDamaged, "damaged: a part cut short", why, error);
    const std::string part = bytes.substr(at, size);
    at += size;
    if (std::memcmp(kind, kTablePart, 4) == 0) {
      if (hasTable || part.size() != kTableBytes) return refuse(Refusal::kDamaged, "damaged: its table", why, error);
      hasTable = true;
      for (int row = 0; row < kRows; row++)
        records.rows[row].score = static_cast<int32_t>(at32(part, static_cast<size_t>(row) * 4));
    } else if (std::memcmp(kind, kRowGamePart, 4) == 0) {
      if (part.empty() || static_cast<unsigned char>(part[0]) >= kRows)
        return refuse(Refusal::kDamaged, "damaged: a row's replay", why, error);
      rowGames.push_back({static_cast<unsigned char>(part[0]), part.substr(1)});
    } else if (std::memcmp(kind, kUnfinishedPart, 4) == 0) {
      Recording game;
      std::string reason;
      if (records.unfinished.size() >= kMaxCarriedUnfinished)
        return refuse(Refusal::kDamaged, "damaged: more unfinished games than a file carries", why, error);
      if (!readGame(part, game, "an unfinished game", reason)) return refuse(Refusal::kDamaged, "damaged: " + reason, why, error);
      if (game.ended || game.frames.empty())
        return refuse(Refusal::kDamaged, "damaged: an unfinished game that is no game to continue", why, error);
      records.unfinished.push_back(std::move(game));
    } else if (std::memcmp(kind, kSettingsPart, 4) == 0) {
      if (!records.settings.empty() || part.empty() || part.size() > kMaxSettingsBytes)
        return refuse(Refusal::kDamaged, "damaged: its settings", why, error);
      records.settings = part;
    }
    // Another kind is a later version's addition to the format: passed over.
  }
  if (at != end) return refuse(Refusal::kDamaged, "damaged: bytes after its last part", why, error);
  if (!hasTable) return refuse(Refusal::kDamaged, "damaged: it has no table", why, error);
  // Each row's game scored the row's score, and ended: a score stays with its replay.
  for (auto &rowGame : rowGames) {
    TableRow &row = records.rows[rowGame.first];
    std::string reason;
    if (row.hasGame) return refuse(Refusal::kDamaged, "damaged: a row with two replays", why, error);
    if (!readGame(rowGame.second, row.game, "the replay of row " + std::to_string(rowGame.first + 1), reason))
      return refuse(Refusal::kDamaged, "damaged: " + reason, why, error);
    if (!row.game.ended || row.game.score != row.score)
      return refuse(Refusal::kDamaged,
                    "damaged: the replay of row " + std::to_string(rowGame.first + 1) + " is not the game of its score",
                    why, error);
    row.hasGame = true;
  }
  return true;
}

bool gatherRecords(const HighScores &scores, const std::string &settingsFile, CarriedRecords &records,
                   std::string &note, std::string &error) {
  records = CarriedRecords();
  if (!keptRows(scores, records.rows, note, error)) return false;
  std::string said;
  records.unfinished = unfinishedGamesKept(kMaxCarriedUnfinished, said);
  if (!said.empty()) note += (note.empty() ? "" : "; ") + said;
  std::string why;
  if (!settingsFile.empty() && fileThere(settingsFile) &&
      !readFile(settingsFile, kMaxSettingsBytes, records.settings, why))
    note += (note.empty() ? "" : "; ") + settingsFile + ": " + why + ": left out";
  return true;
}

namespace {
// The records gathered, in words: "3 rows with their replays, ...".
std::string described(const CarriedRecords &records) {
  int games = 0;
  for (const TableRow &row : records.rows) games += row.hasGame;
  std::string text = "the high scores (" + std::to_string(games) +
                     (games == 1 ? " row with its replay), " : " rows with their replays), ") +
                     std::to_string(records.unfinished.size()) +
                     (records.unfinished.size() == 1 ? " game" : " games") + " left unfinished";
  return text + (records.settings.empty() ? "" : ", the settings");
}
} // namespace

CarryOutcome exportRecords(const HighScores &scores, const std::string &settingsFile, const std::string &path) {
  CarryOutcome outcome;
  CarriedRecords records;
  std::string note, error;
  if (!gatherRecords(scores, settingsFile, records, note, error)) {
    outcome.failure.set(Unkept::kScores, Cause::kOther, "nothing exported: the high scores cannot be read: " + error);
    outcome.message = outcome.failure.message;
    return outcome;
  }
  outcome.failure.note = note;
  const std::string bytes = encodeRecords(records);
  Cause cause = Cause::kNone;
  if (bytes.empty()) {
    error = "the records are larger than a records file may be";
    cause = Cause::kOther;
  } else if (replaceFile(path, bytes, error, &cause)) {
    outcome.done = true;
    outcome.message = described(records) + ": exported to " + path;
    return outcome;
  }
  outcome.failure.set(Unkept::kNothing, cause, path + ": nothing exported: " + error);
  outcome.message = outcome.failure.message;
  return outcome;
}

CarryOutcome importRecords(HighScores &scores, const std::string &settingsFile, const std::string &path) {
  CarryOutcome outcome;
  std::string bytes, error;
  CarriedRecords records;
  Refusal why = Refusal::kNone;
  if (!readFile(path, kMaxRecordsBytes, bytes, error)) {
    why = error.rfind("too large", 0) == 0 ? Refusal::kTooLarge : Refusal::kUnreadable;
  } else {
    decodeRecords(bytes, records, why, error);
  }
  if (why != Refusal::kNone) {
    outcome.refused = why;
    outcome.message = path + ": not imported, nothing changed: " + error;
    return outcome;
  }
  std::string said;
  Cause cause = Cause::kNone;
  const bool rows = mergeRows(scores, records.rows, outcome.rowsEntered, outcome.replaysGiven, outcome.failure);
  KeepFailure games;
  const bool left = adoptUnfinishedGames(records.unfinished, outcome.unfinishedAdded, games);
  if (!left) outcome.failure.set(games.what, games.cause, games.message);
  const bool settings = adoptSettings(settingsFile, records.settings, outcome.settingsTaken, said, cause);
  if (!settings) outcome.failure.set(Unkept::kSetting, cause, said);
  outcome.done = rows && left && settings;
  if (!outcome.done) {
    outcome.message = path + ": not all imported: " + outcome.failure.message;
    return outcome;
  }
  if (outcome.nothingNew()) {
    outcome.message = path + ": nothing new to import: all of it is kept here already";
    return outcome;
  }
  outcome.message = path + ": imported: " + std::to_string(outcome.rowsEntered) + " new " +
                    (outcome.rowsEntered == 1 ? "score" : "scores") + ", " + std::to_string(outcome.replaysGiven) +
                    (outcome.replaysGiven == 1 ? " replay" : " replays") + " for scores kept here, " +
                    std::to_string(outcome.unfinishedAdded) +
                    (outcome.unfinishedAdded == 1 ? " game" : " games") + " left unfinished" +
                    (outcome.settingsTaken ? ", the settings" : "");
  return outcome;
}

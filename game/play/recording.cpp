#include "recording.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "ByteOrder.h"
#include "layout.h"
#include "storage.h"

namespace {
// ---- the file --------------------------------------------------------------
const char kMagic[8] = {'Z', 'U', 'N', 'K', 'P', 'L', 'A', 'Y'};
// The header of the first version: the fields every version starts with,
// then rand()'s state.
const uint16_t kFirstVersion = 1;
const size_t kCommonFields = 88, kRandStateSize = 128;
const size_t kFirstHeaderSize = kCommonFields + kRandStateSize;
// The second's: the common fields, the day, the numbers drawn and the
// input's coding; rand()'s state follows in an ordinary game's file only.
const size_t kHeaderSize = 100;
const uint8_t kPlainInput = 0, kDeflatedInput = 1;
// An input entry: a run of up to kMaxRun frames like the one before; the
// pointer moving in a straight line over up to kMaxGlide frames; or the
// fields that changed (kChanged* bits) followed by their new values.
const uint8_t kRun = 0x80, kMaxRun = 0x80;
const uint8_t kGlide = 0x20;
const uint32_t kMinGlide = 3, kMaxGlide = 512;
const uint8_t kChangedMouseX = 1, kChangedMouseY = 2, kChangedHeld = 4, kChangedStickX = 8, kChangedStickY = 16;
const uint8_t kAllChanged = 31;
// The most bytes an entry takes (the changes of all five fields): what a
// number of frames can be written in, at most.
const size_t kLongestEntry = 1 + 5 * 5;
// A frame draws a few numbers (a brick for the feeder, a bonus and where it
// goes): a daily game that says it drew more than this a frame is damaged.
const uint32_t kMostDrawsAFrame = 64;

void put16(std::string &out, uint16_t v) { out.append({static_cast<char>(v & 0xff), static_cast<char>(v >> 8)}); }
void put32(std::string &out, uint32_t v) {
  unsigned char b[4];
  writeLE32(b, v);
  out.append(reinterpret_cast<const char *>(b), 4);
}
void putFloat(std::string &out, float f) {
  uint32_t v;
  std::memcpy(&v, &f, 4);
  put32(out, v);
}
void putVarint(std::string &out, uint32_t v) {
  for (; v >= 0x80; v >>= 7) out += static_cast<char>((v & 0x7f) | 0x80);
  out += static_cast<char>(v);
}
// A signed change as a small unsigned number: 0, -1, 1, -2, 2...
uint32_t zigzag(int32_t v) { return (static_cast<uint32_t>(v) << 1) ^ static_cast<uint32_t>(v >> 31); }
int32_t unzigzag(uint32_t v) { return static_cast<int32_t>(v >> 1) ^ -static_cast<int32_t>(v & 1); }

// Where a glide from `from` to `to` over `frames` frames puts the pointer
// in its `k`-th frame: whole pixels, the last frame exactly at `to`.
int16_t glideAt(int from, int to, uint32_t k, uint32_t frames) {
  return static_cast<int16_t>(from + (to - from) * static_cast<int32_t>(k) / static_cast<int32_t>(frames));
}
bool sameButPointer(const PlayInput &a, const PlayInput &b) {
  return a.held == b.held && a.stickX == b.stickX && a.stickY == b.stickY;
}

void putInput(std::string &out, const PlayInput &now, const PlayInput &was) {
  uint8_t changed = (now.mouseX != was.mouseX ? kChangedMouseX : 0) | (now.mouseY != was.mouseY ? kChangedMouseY : 0) |
                    (now.held != was.held ? kChangedHeld : 0) | (now.stickX != was.stickX ? kChangedStickX : 0) |
                    (now.stickY != was.stickY ? kChangedStickY : 0);
  out += static_cast<char>(changed);
  if (changed & kChangedMouseX) putVarint(out, zigzag(now.mouseX - was.mouseX));
  if (changed & kChangedMouseY) putVarint(out, zigzag(now.mouseY - was.mouseY));
  if (changed & kChangedHeld) putVarint(out, now.held);
  if (changed & kChangedStickX) putVarint(out, zigzag(now.stickX - was.stickX));
  if (changed & kChangedStickY) putVarint(out, zigzag(now.stickY - was.stickY));
}

// The longest glide from `was` that the frames from `at` on make, or 0:
// only the pointer moves, in a straight line, to where the last of them is.
uint32_t glideFrom(const std::vector<PlayInput> &frames, size_t at, const PlayInput &was) {
  uint32_t longest = 0;
  for (uint32_t n = kMinGlide; n <= kMaxGlide && at + n <= frames.size(); n++) {
    const PlayInput &to = frames[at + n - 1];
    if (!sameButPointer(to, was)) break;
    bool straight = true;
    for (uint32_t k = 1; k <= n && straight; k++) {
      const PlayInput &f = frames[at + k - 1];
      straight = sameButPointer(f, was) && f.mouseX == glideAt(was.mouseX, to.mouseX, k, n) &&
                 f.mouseY == glideAt(was.mouseY, to.mouseY, k, n);
    }
    if (straight) longest = n;
  }
  return longest;
}

std::string encodeInputs(const Recording &r) {
  std::string out;
  PlayInput was;
  putInput(out, r.start.before, was);
  was = r.start.before;
  for (size_t i = 0; i < r.frames.size();) {
    size_t same = 0;
    while (i + same < r.frames.size() && same < kMaxRun && r.frames[i + same] == was) same++;
    if (same > 0) {
      out += static_cast<char>(kRun | (same - 1));
      i += same;
      continue;
    }
    if (const uint32_t n = glideFrom(r.frames, i, was)) {
      const PlayInput &to = r.frames[i + n - 1];
      out += static_cast<char>(kGlide);
      putVarint(out, n);
      putVarint(out, zigzag(to.mouseX - was.mouseX));
      putVarint(out, zigzag(to.mouseY - was.mouseY));
      was = to;
      i += n;
      continue;
    }
    putInput(out, r.frames[i], was);
    was = r.frames[i++];
  }
  return out;
}

// Raw deflate at its best; "" when it fails.
std::string deflated(const std::string &plain) {
  z_stream z{};
  if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK) return "";
  std::string out(deflateBound(&z, static_cast<uLong>(plain.size())), '\0');
  z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(plain.data()));
  z.avail_in = static_cast<uInt>(plain.size());
  z.next_out = reinterpret_cast<Bytef *>(&out[0]);
  z.avail_out = static_cast<uInt>(out.size());
  const bool done = deflate(&z, Z_FINISH) == Z_STREAM_END;
  out.resize(done ? z.total_out : 0);
  deflateEnd(&z);
  return out;
}

// Inflates `packed` into `plain`, no more than `limit` bytes of it: a file
// that would inflate beyond what its frames can take is refused before it
// takes the memory.
bool inflated(const std::string &packed, size_t limit, std::string &plain) {
  plain.clear();
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
  z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed.data()));
  z.avail_in = static_cast<uInt>(packed.size());
  char block[16384];
  int status = Z_OK;
  while (status == Z_OK) {
    z.next_out = reinterpret_cast<Bytef *>(block);
    z.avail_out = sizeof block;
    status = inflate(&z, Z_NO_FLUSH);
    const size_t got = sizeof block - z.avail_out;
    if ((status != Z_OK && status != Z_STREAM_END) || plain.size() + got > limit) {
      status = Z_DATA_ERROR;
      break;
    }
    plain.append(block, got);
    if (status == Z_OK && got == 0 && z.avail_in == 0) status = Z_DATA_ERROR; // cut short
  }
  // The stream ends where the file does.
  const bool whole = status == Z_STREAM_END && z.avail_in == 0;
  inflateEnd(&z);
  if (!whole) plain.clear();
  return whole;
}

struct Reader {
  const std::string &bytes;
  size_t at, end;
  bool byte(uint8_t &v) {
    if (at >= end) return false;
    v = static_cast<uint8_t>(bytes[at++]);
    return true;
  }
  bool varint(uint32_t &v) {
    v = 0;
    for (int shift = 0; shift < 35; shift += 7) {
      uint8_t b;
      if (!byte(b)) return false;
      if (shift == 28 && b > 0x0f) return false; // more than 32 bits
      v |= static_cast<uint32_t>(b & 0x7f) << shift;
      if (!(b & 0x80)) return true;
    }
    return false;
  }
  // A signed step from `v`, which must stay in 16 bits.
  bool step(int16_t v, int16_t &to) {
    uint32_t z;
    if (!varint(z)) return false;
    const int64_t next = int64_t(v) + unzigzag(z);
    if (next < INT16_MIN || next > INT16_MAX) return false;
    to = static_cast<int16_t>(next);
    return true;
  }
  bool field(int16_t &v) { return step(v, v); }
  bool input(PlayInput &v, uint8_t changed) {
    if (changed > kAllChanged) return false;
    if ((changed & kChangedMouseX) && !field(v.mouseX)) return false;
    if ((changed & kChangedMouseY) && !field(v.mouseY)) return false;
    if (changed & kChangedHeld) {
      if (!varint(v.held) || v.held > kAllHeld) return false;
    }
    if ((changed & kChangedStickX) && !field(v.stickX)) return false;
    if ((changed & kChangedStickY) && !field(v.stickY)) return false;
    return true;
  }
};

// The entries of `plain` (from `at`) as the frames they stand for, after
// the input before the first frame; false, with the reason, when they are
// not `frames` frames of input.
bool readInputs(const std::string &plain, size_t at, uint32_t frames, bool glides, Recording &out, std::string &error) {
  Reader in{plain, at, plain.size()};
  uint8_t entry;
  PlayInput was;
  if (!in.byte(entry) || !in.input(was, entry)) {
    error = "damaged: its input cannot be read";
    return false;
  }
  out.start.before = was;
  out.frames.reserve(frames);
  while (in.at < in.end) {
    if (!in.byte(entry)) break;
    if (entry & kRun) {
      const size_t count = (entry & ~kRun) + 1u;
      if (out.frames.size() + count > frames) {
        error = "damaged: it holds more frames than it says";
        return false;
      }
      out.frames.insert(out.frames.end(), count, was);
      continue;
    }
    if (glides && entry == kGlide) {
      uint32_t n;
      PlayInput to = was;
      if (!in.varint(n) || n < kMinGlide || n > kMaxGlide || !in.step(was.mouseX, to.mouseX) ||
          !in.step(was.mouseY, to.mouseY)) {
        error = "damaged: its input cannot be read";
        return false;
      }
      if (out.frames.size() + n > frames) {
        error = "damaged: it holds more frames than it says";
        return false;
      }
      for (uint32_t k = 1; k <= n; k++) {
        PlayInput f = was;
        f.mouseX = glideAt(was.mouseX, to.mouseX, k, n);
        f.mouseY = glideAt(was.mouseY, to.mouseY, k, n);
        out.frames.push_back(f);
      }
      was = to;
      continue;
    }
    if (!in.input(was, entry)) {
      error = "damaged: its input cannot be read";
      return false;
    }
    if (out.frames.size() + 1 > frames) {
      error = "damaged: it holds more frames than it says";
      return false;
    }
    out.frames.push_back(was);
  }
  if (out.frames.size() != frames) {
    error = "damaged: it holds fewer frames than it says";
    return false;
  }
  return true;
}

// How far from the screen a place or a speed carried over from the game
// before may be: farther than the pointer can take the ball.
const float kFarthest = 1 << 20;
bool onScreen(int x, int y) { return x >= 0 && x < layout::kScreenWidth && y >= 0 && y < layout::kScreenHeight; }

uint32_t word(const std::string &b, size_t at) { return readLE32(reinterpret_cast<const unsigned char *>(b.data() + at)); }
uint16_t half(const std::string &b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}
float single(const std::string &b, size_t at) {
  const uint32_t v = word(b, at);
  float f;
  std::memcpy(&f, &v, 4);
  return f;
}

// The fields every version starts with (the sizes, at 12 to 23, are read
// by each version's own reader).
void putCommonFields(std::string &out, const Recording &r, uint32_t frames, uint32_t draws, uint32_t inputBytes) {
  out.append(kMagic, sizeof kMagic);
  put16(out, kReplayVersion);
  put16(out, kHeaderSize);
  put32(out, frames);
  put32(out, draws);
  put32(out, inputBytes);
  put32(out, static_cast<uint32_t>(r.score));
  out += static_cast<char>(r.ended);
  out += static_cast<char>(r.start.pull.active);
  out += static_cast<char>(r.start.tutorial);
  out += static_cast<char>(r.mode);
  put32(out, static_cast<uint32_t>(r.start.scoreTimer));
  for (float f : r.start.wobble) putFloat(out, f);
  for (int v : {r.start.pull.x, r.start.pull.y, r.start.pull.grabX, r.start.pull.grabY})
    put16(out, static_cast<uint16_t>(v));
  put32(out, static_cast<uint32_t>(r.start.pull.heldFrames));
  put32(out, r.digest);
  for (float f : {r.start.forceX, r.start.forceY, r.start.ballZoomSpeed, r.start.oldballX, r.start.oldballY})
    putFloat(out, f);
}

void readCommonFields(const std::string &bytes, Recording &out) {
  out.score = static_cast<int32_t>(word(bytes, 24));
  out.ended = bytes[28] != 0;
  out.start.pull.active = bytes[29] != 0;
  out.start.tutorial = bytes[30] != 0;
  out.start.scoreTimer = static_cast<int32_t>(word(bytes, 32));
  for (int i = 0; i < 4; i++) out.start.wobble[i] = single(bytes, 36 + 4 * i);
  out.start.pull.x = static_cast<int16_t>(half(bytes, 52));
  out.start.pull.y = static_cast<int16_t>(half(bytes, 54));
  out.start.pull.grabX = static_cast<int16_t>(half(bytes, 56));
  out.start.pull.grabY = static_cast<int16_t>(half(bytes, 58));
  out.start.pull.heldFrames = static_cast<int32_t>(word(bytes, 60));
  out.digest = word(bytes, 64);
  float *carried[] = {&out.start.forceX, &out.start.forceY, &out.start.ballZoomSpeed, &out.start.oldballX,
                      &out.start.oldballY};
  for (int i = 0; i < 5; i++) *carried[i] = single(bytes, 68 + 4 * i);
}

bool badFlags(const std::string &bytes, uint8_t mostMode) {
  const auto flag = [&bytes](size_t at) { return static_cast<uint8_t>(bytes[at]); };
  return flag(28) > 1 || flag(29) > 1 || flag(30) > 1 || flag(31) > mostMode;
}

const char *const kHeaderDamaged = "damaged: its header holds what no replay does";
const char *const kSizesDamaged = "damaged: its sizes do not match the file";

// A file of the first version: an ordinary game, its input entries plain.
bool decodeFirstVersion(const std::string &bytes, Recording &out, std::string &error) {
  if (half(bytes, 10) != kFirstHeaderSize || bytes.size() < kFirstHeaderSize) {
    error = "damaged: its header is not the size its version has";
    return false;
  }
  const uint32_t frames = word(bytes, 12), draws = word(bytes, 16), inputBytes = word(bytes, 20);
  // Every size is checked against the file before anything is allocated:
  // each input byte stands for at most kMaxRun frames.
  if (frames > kMaxReplayFrames || uint64_t(kFirstHeaderSize) + uint64_t(draws) * 4 + inputBytes != bytes.size() ||
      uint64_t(frames) + 1 > uint64_t(inputBytes) * kMaxRun) {
    error = kSizesDamaged;
    return false;
  }
  readCommonFields(bytes, out);
  std::memcpy(out.randomAfter.data(), bytes.data() + kCommonFields, out.randomAfter.size());
  out.draws.resize(draws);
  for (uint32_t i = 0; i < draws; i++) out.draws[i] = word(bytes, kFirstHeaderSize + 4 * size_t(i));
  if (!readInputs(bytes, kFirstHeaderSize + 4 * size_t(draws), frames, false, out, error)) return false;
  if (badFlags(bytes, 0)) {
    error = kHeaderDamaged;
    return false;
  }
  return true;
}

bool decodeSecondVersion(const std::string &bytes, Recording &out, std::string &error) {
  if (half(bytes, 10) != kHeaderSize || bytes.size() < kHeaderSize) {
    error = "damaged: its header is not the size its version has";
    return false;
  }
  if (badFlags(bytes, static_cast<uint8_t>(GameMode::kDaily)) || bytes[97] || bytes[98] || bytes[99] ||
      static_cast<uint8_t>(bytes[96]) > kDeflatedInput) {
    error = kHeaderDamaged;
    return false;
  }
  out.mode = static_cast<GameMode>(bytes[31]);
  const bool daily = dailyGame(out);
  const uint32_t frames = word(bytes, 12), draws = word(bytes, 16), inputBytes = word(bytes, 20);
  out.day = static_cast<Day>(word(bytes, 88));
  const uint32_t drawsMade = word(bytes, 92);
  const size_t numbersAt = kHeaderSize + (daily ? 0 : kRandStateSize);
  const size_t inputAt = numbersAt + 4 * size_t(draws);
  if (frames > kMaxReplayFrames || uint64_t(numbersAt) + uint64_t(draws) * 4 + inputBytes != bytes.size() ||
      inputBytes == 0) {
    error = kSizesDamaged;
    return false;
  }
  // A daily game keeps its day and how many numbers it drew, and none of
  // them; an ordinary one its numbers, and no day.
  if (daily ? (!validDay(out.day) || draws != 0 || drawsMade > (uint64_t(frames) + 1) * kMostDrawsAFrame)
            : (out.day != kNoDay || drawsMade != draws)) {
    error = kHeaderDamaged;
    return false;
  }
  out.drawsMade = daily ? drawsMade : 0;
  readCommonFields(bytes, out);
  if (!daily) std::memcpy(out.randomAfter.data(), bytes.data() + kHeaderSize, out.randomAfter.size());
  out.draws.resize(draws);
  for (uint32_t i = 0; i < draws; i++) out.draws[i] = word(bytes, numbersAt + 4 * size_t(i));
  // The input as its entries: as they are, or deflated (never larger than
  // the longest entries the frames can take).
  std::string plain;
  const size_t mostPlain = (size_t(frames) + 1) * kLongestEntry;
  if (bytes[96] == kDeflatedInput) {
    if (!inflated(bytes.substr(inputAt), mostPlain, plain)) {
      error = "damaged: its input cannot be read";
      return false;
    }
  } else {
    plain = bytes.substr(inputAt);
  }
  if (uint64_t(frames) + 1 > uint64_t(plain.size()) * kMaxRun) {
    error = kSizesDamaged;
    return false;
  }
  return readInputs(plain, 0, frames, true, out, error);
}

} // namespace

std::string encodeRecording(const Recording &r) {
  const bool daily = dailyGame(r);
  const std::string plain = encodeInputs(r);
  const std::string packed = deflated(plain);
  const bool deflate = !packed.empty() && packed.size() < plain.size();
  const std::string &inputs = deflate ? packed : plain;
  const uint32_t draws = daily ? 0 : static_cast<uint32_t>(r.draws.size());
  std::string out;
  putCommonFields(out, r, static_cast<uint32_t>(r.frames.size()), draws, static_cast<uint32_t>(inputs.size()));
  put32(out, daily ? static_cast<uint32_t>(r.day) : 0);
  put32(out, daily ? r.drawsMade : draws);
  out += static_cast<char>(deflate ? kDeflatedInput : kPlainInput);
  out.append(3, '\0');
  if (!daily) out.append(reinterpret_cast<const char *>(r.randomAfter.data()), r.randomAfter.size());
  for (size_t i = 0; i < draws; i++) put32(out, r.draws[i]);
  return out + inputs;
}

bool decodeRecording(const std::string &bytes, Recording &r, std::string &error) {
  r = Recording();
  if (bytes.size() < 12 || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
    error = "not a Zunk replay";
    return false;
  }
  const uint16_t version = half(bytes, 8);
  if (version < kFirstVersion || version > kReplayVersion) {
    error = "a replay of version " + std::to_string(version) + ", this program plays versions " +
            std::to_string(kFirstVersion) + " to " + std::to_string(kReplayVersion);
    return false;
  }
  Recording out;
  if (!(version == kFirstVersion ? decodeFirstVersion(bytes, out, error) : decodeSecondVersion(bytes, out, error)))
    return false;
  if (!playableValues(out, error)) return false;
  r = std::move(out);
  return true;
}

bool playableValues(const Recording &r, std::string &error) {
  // Everything a file gives the play is what a live game could have given
  // it: the play indexes its wall, its sounds and its pictures with them.
  for (uint32_t d : r.draws)
    if (d > uint32_t(RAND_MAX)) {
      error = "damaged: it holds a random number that rand() does not give";
      return false;
    }
  const PlayStart &s = r.start;
  bool wobble = true;
  for (float phase : s.wobble) wobble = wobble && phase >= 0 && phase <= kWobbleTurn;
  // Places and speeds carried over from the game before: on or near the
  // screen (the pointer can be anywhere on the desktop), never further.
  bool near = true;
  for (float v : {s.forceX, s.forceY, s.ballZoomSpeed, s.oldballX, s.oldballY}) near = near && std::fabs(v) <= kFarthest;
  const Pull &p = s.pull;
  const bool pull = onScreen(p.x, p.y) && onScreen(p.grabX, p.grabY) && p.heldFrames >= 0;
  if (r.score < 0 || s.scoreTimer < 0 || s.scoreTimer >= kScoreStepFrames || !wobble || !near || !pull) {
    error = "damaged: its start is not one a game could have";
    return false;
  }
  // A daily game's numbers are its day's: rand() is not part of it.
  if (!dailyGame(r) && !possibleRandomPosition(r.randomAfter)) {
    error = "damaged: its random generator's state is not one rand() can be in";
    return false;
  }
  return true;
}

bool loadRecording(const std::string &path, Recording &r, std::string &error) {
  r = Recording();
  std::string bytes;
  return readFile(path, kMaxReplayFileSize, bytes, error) && decodeRecording(bytes, r, error);
}

bool saveRecording(const std::string &path, const Recording &r, std::string &error, Cause *cause) {
  return replaceFile(path, encodeRecording(r), error, cause);
}

bool fromLaterVersion(const std::string &path) {
  std::string bytes, error;
  return readFileStart(path, kHeaderSize, bytes, error) && laterVersionBytes(bytes);
}

bool laterVersionBytes(const std::string &bytes) {
  return bytes.size() >= 10 && std::memcmp(bytes.data(), kMagic, sizeof kMagic) == 0 && half(bytes, 8) > kReplayVersion;
}

RandomPosition randomPosition() {
  // Switching random() to another state for a moment hands back the
  // current one, its position written into its first word; switching back
  // takes the position from there again.
  static char other[sizeof(RandomPosition)];
  char *now = initstate(1, other, sizeof other);
  RandomPosition position;
  std::memcpy(position.data(), now, position.size());
  setstate(now);
  return position;
}

bool possibleRandomPosition(const RandomPosition &position) {
  // The C library's state for an array of this size: its first word says
  // which generator (kind 3: 31 words) and where its rear pointer stands,
  // as kind + 5 x index; the 31 words follow. Their lowest bits run as a
  // shift register that never comes to all zeros.
  const int kKinds = 5, kKind = 3, kWords = 31;
  int32_t words[1 + kWords];
  std::memcpy(words, position.data(), sizeof words);
  if (words[0] < 0 || words[0] % kKinds != kKind || words[0] / kKinds >= kWords) return false;
  int32_t lowBits = 0;
  for (int i = 1; i <= kWords; i++) lowBits |= words[i] & 1;
  return lowBits != 0;
}

void setRandomPosition(const RandomPosition &position) {
  if (!possibleRandomPosition(position)) return;
  // random() keeps using the array it is given: a lasting one. Not the one
  // in use, though: setstate first writes the current position into the
  // array it leaves, which would be the one just filled.
  static char kept[2][sizeof(RandomPosition)];
  static int next = 0;
  next = 1 - next;
  std::memcpy(kept[next], position.data(), sizeof kept[next]);
  setstate(kept[next]);
}


PlayStart startOf(const Play &p) {
  PlayStart s;
  s.scoreTimer = p.scoretimer;
  s.wobble[0] = p.gozoom1;
  s.wobble[1] = p.gorot1;
  s.wobble[2] = p.gozoom2;
  s.wobble[3] = p.gorot2;
  s.forceX = p.forceX;
  s.forceY = p.forceY;
  s.ballZoomSpeed = p.ballZoomSpeed;
  s.oldballX = p.oldballX;
  s.oldballY = p.oldballY;
  s.pull = p.pull;
  s.tutorial = p.tutorial;
  s.before = p.before;
  return s;
}

Play playFrom(const PlayStart &s) {
  Play p;
  p.scoretimer = s.scoreTimer;
  p.gozoom1 = s.wobble[0];
  p.gorot1 = s.wobble[1];
  p.gozoom2 = s.wobble[2];
  p.gorot2 = s.wobble[3];
  p.forceX = s.forceX;
  p.forceY = s.forceY;
  p.ballZoomSpeed = s.ballZoomSpeed;
  p.oldballX = s.oldballX;
  p.oldballY = s.oldballY;
  p.pull = s.pull;
  p.tutorial = s.tutorial;
  p.before = s.before;
  return p;
}

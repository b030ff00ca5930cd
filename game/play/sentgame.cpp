#include "sentgame.h"

#include <utility>
#include <vector>

#include "replayer.h"
#include "scores.h"
#include "storage.h"

namespace {
const char *const kLinkMark = "#watch=";
const char *const kFragmentMark = "watch=";
const char *const kSentSuffix = ".zunkreplay";
// A sent file's name taken by another game: "-2", "-3"... up to this.
const int kMostNamesTried = 100;
// A link carries no more than the largest replay file, in base64.
const size_t kMostLinkBytes = kMaxReplayFileSize / 3 * 4 + 8;
// The lockstep check of the sent form gives up after this many drags that
// had to stay as they were (the rest then stay too).
const int kMostDragsKept = 16;

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

// Frames `from` to `to` of a recording: the ball grabbed by the pointer in
// the first, held by it to the last.
struct Drag {
  size_t from, to;
};

// The drags of the pointer in the game of `r` long enough to straighten:
// the ball grabbed with the mouse (not pulled by the keys or the stick) and
// held, as the game itself had it, frame by frame.
std::vector<Drag> dragsOf(const Recording &r) {
  std::vector<Drag> drags;
  Replay replay(r);
  bool holding = false;
  Drag drag{0, 0};
  for (size_t i = 0; i < r.frames.size(); i++) {
    const bool grabbedBefore = replay.game().grabbedBall;
    const bool played = replay.step();
    const Play &game = replay.game();
    const bool held = game.grabbedBall && (r.frames[i].held & kHeldMouse) && !game.pull.active;
    if (held && !grabbedBefore) {
      holding = true;
      drag = {i, i};
    } else if (held && holding) {
      drag.to = i;
    } else {
      if (holding && drag.to > drag.from + 1) drags.push_back(drag);
      holding = false;
    }
    if (!played) break;
  }
  return drags;
}

// `r` with the pointer going straight through each drag not in `kept`.
Recording straightened(const Recording &r, const std::vector<Drag> &drags, const std::vector<bool> &kept) {
  Recording out = r;
  for (size_t d = 0; d < drags.size(); d++) {
    if (kept[d]) continue;
    const PlayInput &from = r.frames[drags[d].from], &to = r.frames[drags[d].to];
    const int32_t n = static_cast<int32_t>(drags[d].to - drags[d].from);
    for (int32_t k = 1; k < n; k++) {
      PlayInput &f = out.frames[drags[d].from + static_cast<size_t>(k)];
      f.mouseX = static_cast<int16_t>(from.mouseX + (to.mouseX - from.mouseX) * k / n);
      f.mouseY = static_cast<int16_t>(from.mouseY + (to.mouseY - from.mouseY) * k / n);
    }
  }
  return out;
}

// Plays both games side by side: the first drag (not kept) after whose
// release the two are no longer the same game; drags.size() when they stay
// the same to the end.
size_t partingDrag(const Recording &played, const Recording &sent, const std::vector<Drag> &drags,
                   const std::vector<bool> &kept) {
  Replay a(played), b(sent);
  size_t next = 0;
  for (size_t i = 0; i < played.frames.size(); i++) {
    const bool more = a.step() && b.step();
    // The frame the ball flies is the one after the drag's last.
    while (next < drags.size() && (kept[next] || drags[next].to + 1 < i)) next++;
    if (next < drags.size() && drags[next].to + 1 == i) {
      if (playDigest(a.game()) != playDigest(b.game())) return next;
      next++;
    }
    if (!more) break;
  }
  return drags.size();
}

std::string scoreText(int32_t score) { return std::to_string(static_cast<long long>(score)); }

std::string claimOf(const Recording &r) {
  return scoreText(r.score) + (dailyGame(r) ? " on the wall of " + dayText(r.day) : "");
}
} // namespace

Recording sentForm(const Recording &played) {
  if (!Replay(played).playToEnd()) return played;
  const std::vector<Drag> drags = dragsOf(played);
  std::vector<bool> kept(drags.size(), false);
  for (int tries = 0; tries <= kMostDragsKept; tries++) {
    Recording sent = straightened(played, drags, kept);
    const size_t parting = partingDrag(played, sent, drags, kept);
    if (parting == drags.size()) {
      if (Replay(sent).playToEnd()) return sent;
      break;
    }
    kept[parting] = true;
  }
  return played;
}

std::string sentFileBytes(const Recording &played) { return encodeRecording(sentForm(played)); }

std::string sentFileName(const Recording &r) {
  return "zunk-" + (dailyGame(r) ? dayText(r.day) + "-" : std::string()) + scoreText(r.score) + kSentSuffix;
}

bool writeSentFile(const Recording &played, const std::string &bytes, std::string &path, KeepFailure &failure) {
  failure = KeepFailure();
  path.clear();
  const std::string folder = recordsFolder();
  if (folder.empty()) {
    failure.set(Unkept::kReplay, Cause::kNoUserFolder, recordsFolderProblem() + ": the game sent is not written");
    return false;
  }
  const std::string name = sentFileName(played);
  const std::string stem = name.substr(0, name.size() - std::string(kSentSuffix).size());
  std::string error;
  Cause cause = Cause::kNone;
  const bool ok = changeRecords(
      [&](std::string &why, Cause &whyCause) {
        for (int n = 1; n <= kMostNamesTried; n++) {
          const std::string candidate =
              folder + "/" + (n == 1 ? name : stem + "-" + std::to_string(n) + kSentSuffix);
          // The same game sent again is the file it was.
          std::string there, unread;
          if (fileThere(candidate) && !(readFile(candidate, bytes.size(), there, unread) && there == bytes)) continue;
          if (!replaceFile(candidate, bytes, why, &whyCause)) return false;
          path = candidate;
          return true;
        }
        why = "every name for it is taken";
        return false;
      },
      error, cause);
  if (!ok) failure.set(Unkept::kReplay, cause, "the game sent could not be written: " + error);
  return ok;
}

std::string base64url(const std::string &bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  uint32_t bits = 0;
  int held = 0;
  for (unsigned char c : bytes) {
    bits = bits << 8 | c;
    held += 8;
    while (held >= 6) {
      held -= 6;
      out += kAlphabet[(bits >> held) & 63];
    }
  }
  if (held > 0) out += kAlphabet[(bits << (6 - held)) & 63];
  return out;
}

bool fromBase64url(const std::string &text, std::string &bytes) {
  bytes.clear();
  std::string::size_type end = text.size();
  while (end > 0 && text[end - 1] == '=') end--;
  if (text.size() - end > 2 || end % 4 == 1) return false;
  uint32_t bits = 0;
  int held = 0;
  for (std::string::size_type i = 0; i < end; i++) {
    const char c = text[i];
    int v = c >= 'A' && c <= 'Z'   ? c - 'A'
            : c >= 'a' && c <= 'z' ? c - 'a' + 26
            : c >= '0' && c <= '9' ? c - '0' + 52
            : c == '-'             ? 62
            : c == '_'             ? 63
                                   : -1;
    if (v < 0) {
      bytes.clear();
      return false;
    }
    bits = (bits << 6 | static_cast<uint32_t>(v)) & 0xffffff;
    held += 6;
    if (held >= 8) {
      held -= 8;
      bytes += static_cast<char>((bits >> held) & 0xff);
    }
  }
  return true;
}

std::string sentLink(const std::string &address, const std::string &bytes) {
  if (address.empty()) return "";
  return address.substr(0, address.find('#')) + kLinkMark + base64url(bytes);
}

bool fileOfLink(const std::string &link, std::string &bytes, std::string &error) {
  std::string text = link;
  const size_t mark = text.find(kLinkMark);
  if (mark != std::string::npos) text = text.substr(mark + std::string(kLinkMark).size());
  else if (text.compare(0, std::string(kFragmentMark).size(), kFragmentMark) == 0)
    text = text.substr(std::string(kFragmentMark).size());
  if (text.empty() || text.size() > kMostLinkBytes || !fromBase64url(text, bytes)) {
    error = "damaged: the link carries no game";
    return false;
  }
  return true;
}

bool receivedLink(const std::string &text) {
  return text.find(kLinkMark) != std::string::npos ||
         text.compare(0, std::string(kFragmentMark).size(), kFragmentMark) == 0;
}

Received receiveGame(const std::string &bytes) {
  Received out;
  Recording game;
  std::string error;
  if (!decodeRecording(bytes, game, error)) {
    out.verdict = laterVersionBytes(bytes) ? Verdict::kLaterVersion : Verdict::kDamaged;
    out.reason = laterVersionBytes(bytes) ? "made by a later version of Zunk (" + error + ")" : error;
    return out;
  }
  Replay replay(game);
  if (!replay.playToEnd()) {
    out.verdict = Verdict::kScoreNotReached;
    const int32_t reached = replay.game().gScore;
    out.reason = "it claims " + claimOf(game) + ", and its game " +
                 (reached != game.score ? "comes to " + scoreText(reached)
                                        : "does not come to the end it claims");
    return out;
  }
  out.verdict = Verdict::kVerified;
  out.game = std::move(game);
  return out;
}

Received receiveFile(const std::string &path) {
  std::string bytes, error;
  if (!readFile(path, kMaxReplayFileSize, bytes, error)) {
    Received out;
    out.reason = error;
    return out;
  }
  return receiveGame(bytes);
}

Received receiveLink(const std::string &link) {
  std::string bytes, error;
  if (!fileOfLink(link, bytes, error)) {
    Received out;
    out.reason = error;
    return out;
  }
  return receiveGame(bytes);
}

#pragma once

// A game sent to someone, and a game received. What is sent is a replay
// file: a daily wall's holds its day and the player's input, not the
// numbers (the receiver's program makes them again from the day); an
// ordinary game's holds its numbers too. The same file travels as a link:
// the page's address, "#watch=" and the file in base64url, all in the
// link's fragment, which a browser never sends to the server.
//
// A game received proves itself: it is replayed out of sight first, and
// taken only if it comes to the end with the score it claims; otherwise it
// is refused with the reason (damaged, of another version, a score its game
// does not reach).

#include <string>

#include "keepnotice.h"
#include "recording.h"

/// The recording as it is sent, as small as the game allows: where the
/// ball is held by the pointer, its path goes straight from where it was
/// grabbed to where it was let go, wherever that leaves the game as it was
/// (both are replayed to make sure); everything else frame for frame. A
/// recording that does not replay is sent as it is.
Recording sentForm(const Recording &played);
/// The sent file's bytes (of the sent form).
std::string sentFileBytes(const Recording &played);
/// The sent file's name: "zunk-2026-12-09-412.zunkreplay" for a daily
/// wall's game (its day and score), "zunk-412.zunkreplay" for another.
std::string sentFileName(const Recording &recording);
/// Writes the sent file of `played` (its `bytes`, sentFileBytes) into the
/// user's folder (the records' folder), as sentFileName says (with "-2",
/// "-3"... when a file of another game has the name): its path in `path`.
/// False, with `failure`, when it could not be.
bool writeSentFile(const Recording &played, const std::string &bytes, std::string &path, KeepFailure &failure);

/// Bytes as base64url (RFC 4648's URL alphabet, '-' and '_'), unpadded.
std::string base64url(const std::string &bytes);
/// And back: false for anything but that alphabet (padding '=' at the end
/// is taken).
bool fromBase64url(const std::string &text, std::string &bytes);
/// The link of a sent file: `address` (its own fragment dropped), "#watch="
/// and the bytes; "" without an address.
std::string sentLink(const std::string &address, const std::string &bytes);
/// The file a link carries: the whole link, its fragment ("#watch=...",
/// "watch=...") or the base64url alone. False, with the reason, for one
/// that carries none.
bool fileOfLink(const std::string &link, std::string &bytes, std::string &error);

/// Whether `text` is a link to a game sent (it holds "#watch=", or starts
/// with "watch="), not a file's path.
bool receivedLink(const std::string &text);

/// What came of a game received.
enum class Verdict {
  kVerified,        ///< it replays to the end with the score it claims
  kDamaged,         ///< not a game of ours, cut, or holding what no game holds
  kLaterVersion,    ///< of a later version of the game
  kScoreNotReached, ///< its game does not come to the score (or the end) it claims
};
struct Received {
  Verdict verdict = Verdict::kDamaged;
  Recording game;     ///< the game, once verified
  std::string reason; ///< why it was refused, in a line
};
/// The game in `bytes`, replayed out of sight.
Received receiveGame(const std::string &bytes);
/// The same, of the file at `path` (read as a stranger's).
Received receiveFile(const std::string &path);
/// The same, of a link (receiveGame of its file).
Received receiveLink(const std::string &link);

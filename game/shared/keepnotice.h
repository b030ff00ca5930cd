#pragma once

// What could not be kept (the high scores, a replay, a setting, a game left
// unfinished, or nothing at all for want of a user folder) is told twice:
// its line on standard error, with the reason in full, and a one-line
// notice on the screen for a few seconds, what and why in the player's
// words. The savers only report a KeepFailure; the screens report it on,
// and the shell tells it.

#include <cstdint>
#include <string>

#include "KGraphic.h"
#include "storage.h"

/// What was not kept, as the notice says it.
enum class Unkept { kScores, kReplay, kSetting, kUnfinished, kNothing, kDaily };

/// A saver's report: the first failure it met.
struct KeepFailure {
  bool failed = false;
  Unkept what = Unkept::kScores;
  Cause cause = Cause::kNone;
  std::string message; ///< the line for standard error
  /// What was done that the player should know, failure or not (a table
  /// that could not be read set aside): a line for standard error.
  std::string note;
  /// Keeps this failure unless one was kept already.
  void set(Unkept unkept, Cause why, const std::string &text) {
    if (failed) return;
    failed = true;
    what = unkept;
    cause = why == Cause::kNone ? Cause::kOther : why;
    message = text;
  }
};

/// The notice on the screen: what it says, for how many more frames, and
/// whether and where the last frame drew it. One value, the shell's.
struct KeepNotice {
  Unkept what = Unkept::kScores;
  Cause cause = Cause::kNone;
  int framesLeft = 0;
  bool shown = false, overPlay = false;
};

/// Tells `failure`: its note, and if it is a failure its line on standard
/// error and `notice` on the screen.
void tellFailure(KeepNotice &notice, const KeepFailure &failure);
/// Shows the notice of `what` and `cause` for a few seconds (a later one
/// takes its place).
void showKeepNotice(KeepNotice &notice, Unkept what, Cause cause);
/// A frame of the notice, if one is shown: counted, and drawn over the play
/// (`overPlay`: on the top frame, clear of the wall, the ball and the sling,
/// SCORE and MENU) or over the other screens (below the switches).
void countKeepNotice(KeepNotice &notice, bool overPlay);
void drawKeepNotice(const KeepNotice &notice, KGraphic &sheet);
/// Whether a notice is shown, and which.
bool keepNoticeShown(const KeepNotice &notice, Unkept &what, Cause &cause);
/// How long a notice stays: four seconds of frames.
const int kKeepNoticeFrames = 320;

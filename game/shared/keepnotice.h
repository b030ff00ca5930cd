#pragma once

// What could not be kept (the high scores, a replay, a setting, a game left
// unfinished, or nothing at all for want of a user folder) is told twice:
// its line on standard error, with the reason in full, and a one-line
// notice on the screen for a few seconds, what and why in the player's
// words. The savers only report a KeepFailure; the shell and the screens
// that called them tell it.

#include <cstdint>
#include <string>

#include "KGraphic.h"
#include "storage.h"

/// What was not kept, as the notice says it.
enum class Unkept { kScores, kReplay, kSetting, kUnfinished, kNothing };

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

/// Tells `failure`: its note, and if it is a failure its line on standard
/// error and the notice on the screen.
void tellFailure(const KeepFailure &failure);
/// Shows the notice of `what` and `cause` for a few seconds (a later one
/// takes its place).
void showKeepNotice(Unkept what, Cause cause);
/// Draws the notice, if one is shown, and counts its frame: over the play
/// it stands on the top frame, clear of the wall, the ball and the sling,
/// SCORE and MENU; over the other screens below the switches.
void drawKeepNotice(bool overPlay, KGraphic &sheet);
/// Whether a notice is shown, and which.
bool keepNoticeShown(Unkept &what, Cause &cause);
/// No notice shown, as the program starts.
void resetKeepNotice();
/// How long a notice stays: four seconds of frames.
const int kKeepNoticeFrames = 320;

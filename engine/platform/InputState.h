#pragma once

// What the input side remembers between the events it sees and the reads
// of the mouse and keys: presses too short for a frame to see, and touch
// standing in for the mouse. Plain state, fed by the events as they come.

#include <cstdint>

namespace platform {

/// Presses kept until a read has seen them. The engine reads the keys and
/// the button as they are when it looks, once a frame; a press whose release
/// came before the look (a tap, a click sent as one) would never be seen.
/// Such a press reads as down until the end of the frame that first saw it.
/// A press held longer reads as the device says: this changes nothing for it.
class ShortPresses {
public:
  /// What can be pressed: scancodes below kLeftButton, then the left button.
  static constexpr int kLeftButton = 512;
  static constexpr int kCount = kLeftButton + 1;

  /// A press of `id` arrived.
  void pressed(int id);
  /// Whether `id` reads as down: held now, or pressed and not yet over.
  bool read(int id, bool heldNow);
  /// The frame's reads are done: presses they saw are over.
  void frameEnded();
  /// The press of `id` has been dealt with: from now on it reads as held or not.
  void forget(int id);
  void forgetAll();

private:
  enum State : uint8_t { kNone, kWaiting, kSeen };
  State state_[kCount] = {};
};

/// A finger on the window points as the mouse does: the first finger down
/// presses the left button where it touches, drags it and lets go where it
/// lifts. Fingers that touch while it is down are ignored. The pointer is
/// the finger's until the mouse is used again.
class TouchPointer {
public:
  /// A finger touched at (x, y) in the window's points: true if it is now
  /// the pointer (its touch is a press).
  bool fingerDown(int64_t finger, double x, double y);
  void fingerMoved(int64_t finger, double x, double y);
  /// True if it was the pointer (its lift is a release).
  bool fingerUp(int64_t finger, double x, double y);
  /// The mouse moved or was pressed: it is the pointer again.
  void mouseUsed();
  void reset();

  /// Whether a finger was the last to point.
  bool pointing() const { return pointing_; }
  /// Whether the pointing finger is down.
  bool held() const { return held_; }
  double x() const { return x_; }
  double y() const { return y_; }

private:
  bool pointing_ = false, held_ = false;
  int64_t finger_ = 0;
  double x_ = 0, y_ = 0;
};

} // namespace platform

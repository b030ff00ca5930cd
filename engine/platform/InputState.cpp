#include "InputState.h"

#include <algorithm>
#include <iterator>

namespace platform {

void ShortPresses::pressed(int id) {
  if (id >= 0 && id < kCount) state_[id] = kWaiting;
}

bool ShortPresses::read(int id, bool heldNow) {
  if (id < 0 || id >= kCount) return heldNow;
  if (state_[id] == kWaiting) state_[id] = kSeen;
  return heldNow || state_[id] == kSeen;
}

void ShortPresses::frameEnded() {
  for (State &s : state_)
    if (s == kSeen) s = kNone;
}

void ShortPresses::forget(int id) {
  if (id >= 0 && id < kCount) state_[id] = kNone;
}

void ShortPresses::forgetAll() { std::fill(std::begin(state_), std::end(state_), kNone); }

bool TouchPointer::fingerDown(int64_t finger, double x, double y) {
  if (pointing_ && held_) return false;
  pointing_ = held_ = true;
  finger_ = finger;
  x_ = x;
  y_ = y;
  return true;
}

void TouchPointer::fingerMoved(int64_t finger, double x, double y) {
  if (!pointing_ || !held_ || finger != finger_) return;
  x_ = x;
  y_ = y;
}

bool TouchPointer::fingerUp(int64_t finger, double x, double y) {
  if (!pointing_ || !held_ || finger != finger_) return false;
  held_ = false;
  x_ = x;
  y_ = y;
  return true;
}

void TouchPointer::mouseUsed() {
  // A finger still down keeps pointing: a mouse nudged by a hand resting on
  // it must not drop a drag.
  if (!held_) pointing_ = false;
}

void TouchPointer::reset() { *this = TouchPointer(); }

} // namespace platform

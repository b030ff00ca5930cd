#include "FramePacer.h"

void FramePacer::setPeriod(uint64_t period) {
  period_ = period;
  deadline_ = 0;
}

void FramePacer::setRefresh(uint64_t refresh) {
  refresh_ = refresh;
  lastRefresh_ = 0;
}

bool FramePacer::shouldShow(uint64_t now) const {
  if (refresh_ == 0 || period_ == 0 || lastRefresh_ == 0 || deadline_ == 0) return true;
  // The refresh a presentation starting now would wait for.
  const uint64_t since = now > lastRefresh_ ? now - lastRefresh_ : 0;
  const uint64_t nextRefresh = lastRefresh_ + (since / refresh_ + 1) * refresh_;
  const uint64_t drawing = now > frameStart_ ? now - frameStart_ : 0;
  return nextRefresh + drawing <= deadline_ + period_;
}

void FramePacer::shown(uint64_t now) {
  if (refresh_ != 0) lastRefresh_ = now;
}

uint64_t FramePacer::waitFrom(uint64_t now) const {
  if (period_ == 0 || deadline_ == 0 || now >= deadline_) return 0;
  return deadline_ - now;
}

void FramePacer::next(uint64_t now) {
  frameStart_ = now;
  if (period_ == 0) return;
  // The first frame, or one more than a frame late: the pace starts afresh.
  if (deadline_ == 0 || now >= deadline_ + period_) deadline_ = now + period_;
  else deadline_ += period_;
}

void FramePacer::hostFrameRan(uint64_t now) {
  frameStart_ = now;
  // Without a cap, one frame a call.
  if (period_ == 0) {
    deadline_ = now + 1;
    return;
  }
  if (deadline_ == 0 || now >= deadline_ + kHostStall) deadline_ = now;
  deadline_ += period_;
}

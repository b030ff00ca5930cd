#pragma once

#include <cstdint>

/// Paces a frame loop on a microsecond clock. Frames end at absolute
/// deadlines one period apart, so the pace never drifts; a loop that falls
/// more than a frame behind (a stall, an inactive window) starts afresh
/// rather than racing to catch up.
///
/// With vertical sync the presentation of a frame waits for the display's
/// next refresh. A frame is shown only when the next frame, started after
/// that refresh and drawn in the time this one took, still ends by its
/// deadline: on a display slower than the game a frame whose presentation
/// would hold the game back is skipped (the next one shows), on a faster
/// display every frame is shown once. Without vertical sync
/// every frame is shown and the deadlines alone pace the loop.
///
/// Pure logic: the caller reads the clock and passes the time in.
class FramePacer {
public:
  /// Microseconds a frame; 0: no cap (every frame shown, no wait).
  void setPeriod(uint64_t period);
  uint64_t period() const { return period_; }
  /// Microseconds between the display's refreshes when presentation waits
  /// for them; 0 without vertical sync.
  void setRefresh(uint64_t refresh);
  uint64_t refresh() const { return refresh_; }

  /// Whether to show the frame finished at `now`.
  bool shouldShow(uint64_t now) const;
  /// A presentation returned at `now`: with vertical sync, just after a refresh.
  void shown(uint64_t now);
  /// Microseconds from `now` to the end of the current frame (0: none left).
  uint64_t waitFrom(uint64_t now) const;
  /// The current frame is over at `now`: the next one gets its deadline.
  void next(uint64_t now);
  /// When the current frame ends; 0 before the first frame.
  uint64_t deadline() const { return deadline_; }

  // A loop that the host calls once a display refresh (a browser's animation
  // frames) rather than one that waits: each call runs the frames that have
  // come due, and the last of them is shown. Frames keep their own pace
  // against the display's, one period apart; a loop that the host stopped
  // calling for longer than kHostStall (a tab in the background) starts
  // afresh rather than racing through the frames it missed.
  static constexpr uint64_t kHostStall = 250000;
  /// Whether a frame is due at `now` (the first one always is).
  bool hostFrameDue(uint64_t now) const { return deadline_ == 0 || now >= deadline_; }
  /// A frame run from a host's call at `now` is over: the next one is due a
  /// period after this one was.
  void hostFrameRan(uint64_t now);

private:
  uint64_t period_ = 0;
  uint64_t refresh_ = 0;
  uint64_t deadline_ = 0;
  uint64_t lastRefresh_ = 0; ///< when a presentation last returned; 0: unknown
  uint64_t frameStart_ = 0;  ///< when the current frame began
};

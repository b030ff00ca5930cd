#include "RecordingGraphic.h"

std::vector<Blit> RecordingGraphic::from(float x1, float y1) const {
  std::vector<Blit> out;
  for (const Blit &b : log)
    if (b.x1 == x1 && b.y1 == y1) out.push_back(b);
  return out;
}

void RecordingGraphic::drawRect(float x1, float y1, float x2, float y2, float, float, float, float a) {
  log.push_back({"drawRect", x1, y1, x2, y2, 0, 0, 0, 1, a});
}

void RecordingGraphic::drawLine(float x1, float y1, float x2, float y2, float, float, float, float a, float) {
  log.push_back({"drawLine", x1, y1, x2, y2, 0, 0, 0, 1, a});
}

void RecordingGraphic::blitAlphaRect(float x1, float y1, float x2, float y2, short destX, short destY, bool, bool) {
  log.push_back({"blitAlphaRect", x1, y1, x2, y2, destX, destY, 0, 1, 1});
}

void RecordingGraphic::blitAlphaRectFx(float x1, float y1, float x2, float y2, short destX, short destY, float angle,
                                       float zoom, float blend, bool, bool, float, float) {
  log.push_back({"blitAlphaRectFx", x1, y1, x2, y2, destX, destY, angle, zoom, blend});
}

void RecordingGraphic::setAlphaMode(long mode) { log.push_back({"setAlphaMode", 0, 0, 0, 0, static_cast<int>(mode), 0, 0, 1, 1}); }

void RecordingGraphic::setBlitColor(float r, float, float, float) { log.push_back({"setBlitColor", 0, 0, 0, 0, 0, 0, 0, 1, r}); }

#include "KBatch.h"

#include "KGraphic.h"

KBatch::KBatch() : picture_(nullptr) {}
KBatch::~KBatch() {}

bool KBatch::allocateBuffer(long) { return true; }

void KBatch::beginBatch(KGraphic *picture) {
  if (picture) picture_ = picture;
}

void KBatch::blitAlphaRectFx(float x1, float y1, float x2, float y2, short destX, short destY, float angle,
                             float zoom, float blend) {
  if (picture_) picture_->blitAlphaRectFx(x1, y1, x2, y2, destX, destY, angle, zoom, blend, false, false, 0, 0);
}

void KBatch::blitAlphaRect(long x1, long y1, long x2, long y2, float destX, float destY) {
  if (picture_)
    picture_->blitAlphaRect(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                            static_cast<float>(y2), static_cast<short>(static_cast<int>(destX)),
                            static_cast<short>(static_cast<int>(destY)), false, false);
}

void KBatch::drawRect(float, float, float, float, float, float, float, float) {}
void KBatch::endBatch() {}

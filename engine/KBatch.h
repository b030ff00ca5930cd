#pragma once

class KGraphic;

/// The batch interface: it remembers one picture and passes each blit
/// straight on to it, in call order, so it draws exactly what direct calls
/// would. Every blit already lands in the engine's one vertex buffer and is
/// drawn with its neighbours in runs (QuadBatch.h): a batch is what the
/// engine does anyway. Made by KVexo::createKBatch.
class KBatch {
public:
  KBatch();
  ~KBatch();
  /// Nothing to allocate (the engine's buffer serves every blit): true.
  bool allocateBuffer(long count);
  /// Draws from `picture` from now on; null keeps the previous picture.
  void beginBatch(KGraphic *picture);
  void blitAlphaRectFx(float x1, float y1, float x2, float y2, short destX, short destY, float angle, float zoom,
                       float blend);
  /// The destination is truncated toward zero to whole pixels.
  void blitAlphaRect(long x1, long y1, long x2, long y2, float destX, float destY);
  void drawRect(float x1, float y1, float x2, float y2, float r, float g, float b, float a);
  void endBatch();

private:
  KGraphic *picture_;
};

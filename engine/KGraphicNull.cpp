#include "KGraphicNull.h"

KGraphicNull::~KGraphicNull() = default;

bool KGraphicNull::loadPictureWithMask(const char *, const char *, bool) { return false; }
bool KGraphicNull::loadPictureFromPtr(const char *, unsigned char *, unsigned long, bool, bool) { return false; }
bool KGraphicNull::loadPicture(const char *, bool, bool) { return false; }
void KGraphicNull::freePicture() {}
float KGraphicNull::getWidth() { return 0; }
float KGraphicNull::getHeight() { return 0; }
void KGraphicNull::setTextureQuality(bool) {}
void KGraphicNull::drawRect(float, float, float, float, float, float, float, float) {}
void KGraphicNull::setLineWidth(short) {}
void KGraphicNull::drawLine(float, float, float, float, float, float, float, float, float) {}
void KGraphicNull::plotPixel(float, float, float, float, float, float) {}
void KGraphicNull::blitRect(float, float, float, float, short, short, bool, bool) {}
void KGraphicNull::blitRectFx(float, float, float, float, short, short, float, float, bool, bool, float, float) {}
void KGraphicNull::blitAlphaRect(float, float, float, float, short, short, bool, bool) {}
void KGraphicNull::blitAlphaRectFx(float, float, float, float, short, short, float, float, float, bool, bool, float,
                                   float) {}
void KGraphicNull::blitTiledRect(short, short, short, short, float, float) {}
void KGraphicNull::blitArbitraryQuad(float, float, float, float, float, float, float, float, float, float, float, float,
                                     float, float, float, float) {}
void KGraphicNull::blitRectF(float, float, float, float, float, float, bool, bool) {}
void KGraphicNull::blitRectFxF(float, float, float, float, float, float, float, float, bool, bool, float, float) {}
void KGraphicNull::blitAlphaRectF(float, float, float, float, float, float, bool, bool) {}
void KGraphicNull::blitAlphaRectFxF(float, float, float, float, float, float, float, float, float, bool, bool, float,
                                    float) {}
void KGraphicNull::setAlphaMode(long) {}
void KGraphicNull::setAlphaMode(long, long) {}
void KGraphicNull::stretchAlphaRect(float, float, float, float, float, float, float, float, float, float, bool, bool) {}
bool KGraphicNull::grabBackBuffer(void (*)(long x, long y, long *r, long *g, long *b)) { return false; }
bool KGraphicNull::grabFrontBuffer() { return false; }
void KGraphicNull::setColorKey(bool, unsigned char, unsigned char, unsigned char) {}
void KGraphicNull::allowTextureWrap(bool) {}
void KGraphicNull::setBlitColor(float, float, float, float) {}
bool KGraphicNull::makePictureFromArray(uint32_t *, long, long, bool, bool) { return false; }
void KGraphicNull::pollArray() {}
void KGraphicNull::selectTexture() {}
void KGraphicNull::setHotSpot(short, short, short, short, short, short) {}

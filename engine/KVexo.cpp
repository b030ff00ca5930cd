#include "KVexo.h"

#include "KBatch.h"
#include "KGraphicGL.h"
#include "KWindowGL.h"

KWindow *KVexo::createKWindow(Erenderer, bool depthBuffer) {
  return depthBuffer ? new KWindowGL(true) : new KWindowGL();
}

KGraphic *KVexo::createKGraphic() { return new KGraphicGL(); }

KGraphic *KVexo::createKGraphic(const char *fileName) {
  KGraphic *g = new KGraphicGL();
  g->loadPicture(fileName, true, true);
  return g;
}

KBatch *KVexo::createKBatch() { return new KBatch(); }

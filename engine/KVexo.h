#pragma once

#include "KWindow.h"

class KGraphic;
class KBatch;

/// The engine's factory: the only way to obtain a window, a picture or a
/// batch. The caller owns every object returned and frees it with delete.
class KVexo {
public:
  KVexo() {}
  ~KVexo() {}
  /// A new OpenGL window (whatever the renderer asked); with `depthBuffer`
  /// its contexts ask for a 16-bit depth buffer.
  static KWindow *createKWindow(Erenderer renderer, bool depthBuffer);
  /// A new, empty picture.
  static KGraphic *createKGraphic();
  /// A new picture into which `fileName` was loaded (returned even if the load failed).
  static KGraphic *createKGraphic(const char *fileName);
  static KBatch *createKBatch();
};

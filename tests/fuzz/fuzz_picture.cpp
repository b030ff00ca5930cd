#include <cstdint>
#include <vector>

#include "KGraphicGL.h"
#include "QuietReports.h"

// The picture path from bytes to a raw picture block, without OpenGL: the
// decoders by name and by content, and the check of a TGA block's header.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  keepReportsQuiet();
  KGraphicGL::screenWidth = 320;
  KGraphicGL::screenHeight = 480;
  KGraphicGL picture;
  const char *names[] = {"x.png", "x.jpg", "x.tga", "x.bin"};
  for (const char *name : names) picture.LoadRamPicture(name, data, size);
  int w, h;
  KGraphicGL::checkBlock(data, size, w, h);
  return 0;
}

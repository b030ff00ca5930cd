// Writes the game's data files: the sprite sheet, the cursor and the sounds.
//   makedata <folder> [--icons <folder>] [--preview <folder>]
// --icons also draws the program's icons; --preview composes the game's
// screens from the new sheet, to judge the look before playing.

#include <cstdio>
#include <cstring>
#include <string>

#include "sheet.h"
#include "sounds.h"

int main(int argc, char **argv) {
  std::string folder, icons, preview;
  bool usage = false;
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--icons") == 0 && i + 1 < argc) icons = argv[++i];
    else if (std::strcmp(argv[i], "--preview") == 0 && i + 1 < argc) preview = argv[++i];
    else if (folder.empty() && argv[i][0] != '-') folder = argv[i];
    else usage = true;
  }
  if (folder.empty() || usage) {
    std::fprintf(stderr, "usage: makedata <folder> [--icons <folder>] [--preview <folder>]\n");
    return 2;
  }
  if (!makePictures(folder)) {
    std::fprintf(stderr, "makedata: could not write the pictures into %s\n", folder.c_str());
    return 1;
  }
  if (!makeSounds(folder)) {
    std::fprintf(stderr, "makedata: could not write the sounds into %s\n", folder.c_str());
    return 1;
  }
  if (!icons.empty() && !makeIcons(icons)) {
    std::fprintf(stderr, "makedata: could not write the icons into %s\n", icons.c_str());
    return 1;
  }
  if (!preview.empty() && !makePreviews(folder, preview)) {
    std::fprintf(stderr, "makedata: could not write the previews into %s\n", preview.c_str());
    return 1;
  }
  return 0;
}

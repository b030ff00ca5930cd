// Writes the game's data files: the sprite sheet, the cursor and the sounds.
//   makedata <folder>                      pictures and sounds into <folder>
//   makedata <folder> --preview <out>      also the composed screens into <out>

#include <cstdio>
#include <cstring>
#include <string>

#include "sheet.h"
#include "sounds.h"

int main(int argc, char **argv) {
  if (argc != 2 && !(argc == 4 && std::strcmp(argv[2], "--preview") == 0)) {
    std::fprintf(stderr, "usage: makedata <folder> [--preview <folder>]\n");
    return 2;
  }
  std::string folder = argv[1];
  if (!makePictures(folder)) {
    std::fprintf(stderr, "makedata: could not write the pictures into %s\n", folder.c_str());
    return 1;
  }
  if (!makeSounds(folder)) {
    std::fprintf(stderr, "makedata: could not write the sounds into %s\n", folder.c_str());
    return 1;
  }
  if (argc == 4 && !makePreviews(folder, argv[3])) {
    std::fprintf(stderr, "makedata: could not write the previews into %s\n", argv[3]);
    return 1;
  }
  return 0;
}

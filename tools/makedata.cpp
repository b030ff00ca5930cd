// Writes the game's data files: the sprite sheet in every language, the
// cursor and the sounds.
//   makedata <folder> [--icons <folder>] [--preview <folder>] [--sizes <file>]
//            [--catalogues <folder>]
// --icons also draws the program's icons; --preview composes the game's
// screens from the new sheets (English in the folder itself, every other
// language in a folder of its own), to judge the look before playing;
// --sizes writes the size every text was drawn at, a line each: language,
// size drawn, size wanted, text (its line breaks written \n), separated by
// tabs.
// A text that does not fit its box at the smallest size allowed stops it.
// The languages are the build's (po/LINGUAS), their compiled catalogues too
// unless --catalogues names another folder laid out as the build's
// ("locale/LL/LC_MESSAGES/zunk.mo" in it).

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue.h"
#include "language.h"
#include "sheet.h"
#include "sounds.h"

#ifndef ZUNK_LANGUAGES
#error "ZUNK_LANGUAGES: the languages the build has catalogues for, separated by commas"
#endif
#ifndef ZUNK_BUILD_FOLDER
#error "ZUNK_BUILD_FOLDER: the build tree, where the catalogues are compiled beside the program"
#endif

namespace {
std::vector<std::string> languages() {
  std::vector<std::string> tags{kDefaultLanguage};
  std::stringstream list(ZUNK_LANGUAGES);
  for (std::string tag; std::getline(list, tag, ',');)
    if (!tag.empty()) tags.push_back(tag);
  return tags;
}

int fail(const char *what, const std::string &where) {
  std::fprintf(stderr, "makedata: could not %s %s\n", what, where.c_str());
  return 1;
}

// A text on one line of the report: its line breaks and tabs written as \n, \t.
std::string oneLine(const std::string &text) {
  std::string out;
  for (char c : text) out += c == '\n' ? "\\n" : c == '\t' ? "\\t" : std::string(1, c);
  return out;
}

bool writeSizes(const std::string &path, const std::vector<TextFit> &fits) {
  std::ofstream out(path);
  for (const TextFit &f : fits)
    out << f.language << '\t' << f.drawn << '\t' << f.wanted << '\t' << oneLine(f.text) << '\n';
  return bool(out.flush());
}
} // namespace

int main(int argc, char **argv) {
  std::string folder, icons, preview, sizes, catalogues = ZUNK_BUILD_FOLDER;
  bool usage = false;
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--icons") == 0 && i + 1 < argc) icons = argv[++i];
    else if (std::strcmp(argv[i], "--preview") == 0 && i + 1 < argc) preview = argv[++i];
    else if (std::strcmp(argv[i], "--sizes") == 0 && i + 1 < argc) sizes = argv[++i];
    else if (std::strcmp(argv[i], "--catalogues") == 0 && i + 1 < argc) catalogues = argv[++i];
    else if (folder.empty() && argv[i][0] != '-') folder = argv[i];
    else usage = true;
  }
  if (folder.empty() || usage) {
    std::fprintf(stderr, "usage: makedata <folder> [--icons <folder>] [--preview <folder>] [--sizes <file>] "
                         "[--catalogues <folder>]\n");
    return 2;
  }
  std::vector<TextFit> fits;
  for (const std::string &tag : languages()) {
    Catalogue words;
    const bool english = tag == kDefaultLanguage;
    const std::string catalogue = catalogueFiles(catalogues, tag).front();
    if (!english && !words.load(catalogue)) return fail("read the catalogue", catalogue);
    const std::string sheet = folder + "/" + sheetFile(tag);
    if (!makeSheet(sheet, tag.c_str(), english ? nullptr : &words, fits)) return fail("write", sheet);
    if (preview.empty()) continue;
    const std::string screens = english ? preview : preview + "/" + tag;
    mkdir(screens.c_str(), 0755);
    if (!makePreviews(sheet, screens)) return fail("write the previews into", screens);
  }
  if (!sizes.empty() && !writeSizes(sizes, fits)) return fail("write", sizes);
  bool tooLong = false;
  for (const TextFit &f : fits)
    if (!f.fits) {
      std::fprintf(stderr, "makedata: too long: %s: \"%s\" %s\n", f.language.c_str(), f.text.c_str(),
                   f.problem.c_str());
      tooLong = true;
    }
  if (tooLong) return 1;
  if (!makeCursor(folder)) return fail("write the cursor into", folder);
  if (!makeSounds(folder)) return fail("write the sounds into", folder);
  if (!icons.empty() && !makeIcons(icons)) return fail("write the icons into", icons);
  return 0;
}

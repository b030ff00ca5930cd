#include "playerwords.h"


#include "KMiscTools.h"
#include "catalogue.h"
#include "language.h"
#include "tell.h"

std::string playerSheet(const std::string &chosen) {
  if (languageIndex(chosen) >= 0) return sheetFile(chosen);
  // A language is there when the data folder has its sheet.
  return sheetFile(pickLanguageIf(KMiscTools::getPreferredLanguages(), [](const std::string &tag) {
    return KMiscTools::fileExists(KMiscTools::makeFilePath(sheetFile(tag).c_str()));
  }));
}

const Catalogue &playerCatalogue() {
  static Catalogue words;
  static bool chosen = false;
  if (chosen) return words;
  chosen = true;
  KMiscTools::initMiscTools();
  pickLanguageIf(KMiscTools::getPreferredLanguages(), [](const std::string &tag) {
    if (tag == kDefaultLanguage) return true; // the sources' own words
    for (const std::string &file : catalogueFiles(KMiscTools::currentAppPath, tag)) {
      std::string error;
      bool missing;
      if (words.load(file, error, missing)) return true;
      // One that is there but cannot be read is said; the next is tried.
      if (!missing) tell(file + ": " + error);
    }
    return false;
  });
  return words;
}

#include "language.h"

#include <algorithm>
#include <cctype>

const char *const kDefaultLanguage = "en";
const char *const kLanguageTags[kLanguageCount] = {"en", "de", "es", "fr", "it", "ja",
                                                   "nl", "pl", "pt_BR", "ru", "uk", "zh_CN"};

int languageIndex(const std::string &tag) {
  for (int i = 0; i < kLanguageCount; i++)
    if (tag == kLanguageTags[i]) return i;
  return -1;
}

std::string pickLanguageIf(const std::vector<std::string> &preferred, const std::function<bool(const std::string &)> &have) {
  for (const std::string &tag : preferred) {
    if (have(tag)) return tag;
    const size_t region = tag.find('_');
    if (region != std::string::npos && have(tag.substr(0, region))) return tag.substr(0, region);
  }
  return kDefaultLanguage;
}

std::string pickLanguage(const std::vector<std::string> &preferred, const std::vector<std::string> &available) {
  return pickLanguageIf(preferred, [&](const std::string &tag) {
    return std::find(available.begin(), available.end(), tag) != available.end();
  });
}

std::string sheetFile(const std::string &language) {
  if (language == kDefaultLanguage) return "zunk.png";
  // Data files are found by lower-case names.
  std::string name = "zunk-" + language + ".png";
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  return name;
}

std::vector<std::string> catalogueFiles(const std::string &programFolder, const std::string &language) {
  const std::string file = "/" + language + "/LC_MESSAGES/zunk.mo";
  return {programFolder + "/locale" + file, programFolder + "/../share/locale" + file};
}

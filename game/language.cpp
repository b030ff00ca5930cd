#include "language.h"

#include <algorithm>
#include <cctype>

#include "KMiscTools.h"

const char *const kDefaultLanguage = "en";

std::string pickLanguage(const std::vector<std::string> &preferred, const std::vector<std::string> &available) {
  const auto have = [&](const std::string &tag) {
    return std::find(available.begin(), available.end(), tag) != available.end();
  };
  for (const std::string &tag : preferred) {
    if (have(tag)) return tag;
    const size_t region = tag.find('_');
    if (region != std::string::npos && have(tag.substr(0, region))) return tag.substr(0, region);
  }
  return kDefaultLanguage;
}

std::string sheetFile(const std::string &language) {
  if (language == kDefaultLanguage) return "zunk.png";
  // Data files are found by lower-case names.
  std::string name = "zunk-" + language + ".png";
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  return name;
}

std::string playerSheet() {
  // The languages the data folder has a sheet for, among those asked for.
  const std::vector<std::string> preferred = KMiscTools::getPreferredLanguages();
  std::vector<std::string> available;
  for (const std::string &tag : preferred) {
    const size_t region = tag.find('_');
    for (const std::string &candidate : {tag, tag.substr(0, region)})
      if (KMiscTools::fileExists(KMiscTools::makeFilePath(sheetFile(candidate).c_str()))) available.push_back(candidate);
  }
  return sheetFile(pickLanguage(preferred, available));
}

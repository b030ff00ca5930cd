#pragma once

// Which language the game's words are shown in: the player's first wish the
// game has words for, English otherwise; and the files that hold them. The
// words drawn live in the sprite sheet, one per language ("zunk-fr.png",
// "zunk.png" for English); the words printed, in gettext catalogues.

#include <functional>
#include <string>
#include <vector>

/// The language of the game's own words when no other is chosen.
extern const char *const kDefaultLanguage;

/// The languages the game speaks, as po/LINGUAS names them, English
/// first: the order the options list them in, and the sheet's names of
/// them (layout::languageName).
const int kLanguageCount = 12;
extern const char *const kLanguageTags[kLanguageCount];
/// The index of `tag` among them, or -1.
int languageIndex(const std::string &tag);

/// The first of `preferred` (tags "ll" or "ll_CC", most wanted first) that
/// the game has words for (`have`), trying each "ll_CC" before its "ll", as
/// gettext does; kDefaultLanguage when none is there.
std::string pickLanguageIf(const std::vector<std::string> &preferred, const std::function<bool(const std::string &)> &have);
/// The same, the languages the game has given as a list.
std::string pickLanguage(const std::vector<std::string> &preferred, const std::vector<std::string> &available);

/// The sheet's file name for `language`, in lower case ("zunk-pt_br.png");
/// "zunk.png" for the default.
std::string sheetFile(const std::string &language);
/// The places the compiled catalogue of `language` may lie, given the folder
/// of the program: beside it in a build tree ("locale/fr/LC_MESSAGES/zunk.mo"),
/// in the installation's share/locale.
std::vector<std::string> catalogueFiles(const std::string &programFolder, const std::string &language);

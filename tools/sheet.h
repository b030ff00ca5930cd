#pragma once

#include <string>
#include <vector>

class Catalogue;

/// How one text of a sheet was fitted into its box.
struct TextFit {
  std::string language, text;
  double wanted; ///< the size the text is drawn at when it fits, in pixels
  double drawn;  ///< the size it was drawn at, shrunk to fit its box
  /// False when the text overflows its box even at the smallest size allowed
  /// (where it is drawn all the same); `problem` then says what it needed.
  bool fits;
  std::string problem;
};

/// Draws the sprite sheet into `path` with its words in `language`, taken
/// from `words` (null: the English the sources are written in). Every text
/// drawn is added to `fits`, with the size it ended at.
bool makeSheet(const std::string &path, const char *language, const Catalogue *words, std::vector<TextFit> &fits);
/// Draws the cursor into `folder` (curseur.png).
bool makeCursor(const std::string &folder);
/// Draws the program's icon at 64, 128 and 256 pixels (the desktop's) and 192
/// and 512 (the page's, as an installed web app) into `folder` (zunk-N.png).
bool makeIcons(const std::string &folder);
/// Composes the game's screens from the sheet at `sheetPath` into PNG files in `outFolder`.
bool makePreviews(const std::string &sheetPath, const std::string &outFolder);

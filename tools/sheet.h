#pragma once

#include <string>
#include <vector>

class Catalogue;

/// Draws the sprite sheet into `path` with its words in `language`, taken
/// from `words` (null: the English the sources are written in). A text too
/// long for its box, even at the smallest size allowed, is added to `tooLong`.
bool makeSheet(const std::string &path, const char *language, const Catalogue *words,
               std::vector<std::string> &tooLong);
/// Draws the cursor into `folder` (curseur.png).
bool makeCursor(const std::string &folder);
/// Draws the program's icon at 64, 128 and 256 pixels into `folder` (zunk-N.png).
bool makeIcons(const std::string &folder);
/// Composes the game's screens from the sheet at `sheetPath` into PNG files in `outFolder`.
bool makePreviews(const std::string &sheetPath, const std::string &outFolder);

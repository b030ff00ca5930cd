#pragma once

#include <string>

/// Draws the sprite sheet and the cursor into `folder` (zunk.png, curseur.png).
bool makePictures(const std::string &folder);
/// Draws the program's icon at 64, 128 and 256 pixels into `folder` (zunk-N.png).
bool makeIcons(const std::string &folder);
/// Composes the game's screens from the sheet in `dataFolder` into PNG files in `outFolder`.
bool makePreviews(const std::string &dataFolder, const std::string &outFolder);

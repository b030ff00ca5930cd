#pragma once

// What SEND did, over the screen it was chosen on until a click, a touch or
// a key: where the game's file was written (its path, in the user's folder)
// or that it could not be; and whether its link is on the clipboard, or
// there is no web address to link to (then the file alone is sent).

#include <string>

#include "KGraphic.h"
#include "controls.h"

struct SentPanel {
  bool shown = false;
  bool written = false;  ///< the file was written
  bool pathShown = false; ///< where: on a desktop (a browser's folder is its own)
  std::string path;      ///< as the player reads it ("~/..." under the home folder)
  bool linked = false;   ///< its link is on the clipboard
};

/// Shows the panel: the file written at `path` (or not), its link copied
/// (or none); the path said only when `pathShown`.
void showSentPanel(SentPanel &panel, bool written, const std::string &path, bool pathShown, bool linked);
/// One frame of the panel: false once it is closed (or was not shown).
bool doSentPanel(SentPanel &panel, const Controls &controls);
void drawSentPanel(const SentPanel &panel, KGraphic &sheet);
/// `path` as the player reads it: the home folder as "~".
std::string pathForPlayer(const std::string &path, const std::string &home);

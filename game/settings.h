#pragma once

// What the player chose, kept between runs in settings.ini: a few lines of
// "key=value" under a [zunk] heading.

#include <string>

struct Settings {
  bool music = true;       ///< M switches it
  bool sounds = true;      ///< S switches the sound effects
  bool fullScreen = false; ///< F11 switches it
  int scale = 0;           ///< the window's size in game sizes; 0: the largest that fits
};
/// The largest window scale a settings file may ask for.
const int kMaxScale = 16;

/// $XDG_CONFIG_HOME/zunk/settings.ini, or ~/.config/zunk/settings.ini when
/// XDG_CONFIG_HOME is unset; "" when there is no home either.
std::string settingsPath();
/// The settings kept in `path`. A missing, unreadable or garbled file gives
/// the defaults (for whatever could not be read), never a failure; what
/// could not be read is said in `message` ("" when all was).
Settings readSettings(const std::string &path, std::string &message);
/// The settings that `text` (a settings file's contents) holds; the first
/// line not understood, if any, in `garbled`.
Settings parseSettings(const std::string &text, std::string &garbled);
/// Keeps the settings in `path`, making its folder; false, with the reason
/// in `message`, when they could not be written.
bool writeSettings(const std::string &path, const Settings &settings, std::string &message);

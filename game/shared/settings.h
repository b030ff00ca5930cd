#pragma once

// What the player chose, kept between runs in settings.ini: a few lines of
// "key=value" under a [zunk] heading. A whole scale is written as programs
// before quarter steps wrote it ("scale=2"); a quarter step as a decimal
// ("scale=1.25"), which they refuse as a line they do not understand
// rather than read as another size.

#include <functional>
#include <string>

#include "keymap.h"
#include "storage.h"

/// A choice the system makes for the player until the player makes it.
enum class Choice { kAsSystem, kOn, kOff };
/// The volume sliders' steps above off; the last is full.
const int kVolumeSteps = 10;

struct Settings {
  bool music = true;       ///< M switches it
  bool sounds = true;      ///< S switches the sound effects
  bool fullScreen = false; ///< F11 switches it
  /// The window's size in game sizes, in quarter steps from 1; 0: the
  /// largest whole one that fits.
  double scale = 0;
  /// Whole factors only ("scale=whole"): the window opens at the largest
  /// whole scale that fits and steps by whole sizes; its size is not kept.
  bool wholeScaling = false;
  /// The web address of the game's page ("share_url=https://..."): a game
  /// sent goes as a link to it too. "" for none.
  std::string shareUrl;
  /// The music's and the sound effects' levels, 1 to kVolumeSteps: what M
  /// and S switch them back on to.
  int musicLevel = kVolumeSteps, soundsLevel = kVolumeSteps;
  /// The language chosen ("fr", "pt_BR"); "" for the system's.
  std::string language;
  /// Calmer motion and stronger contrast, as the player chose them.
  Choice calm = Choice::kAsSystem, contrast = Choice::kAsSystem;
  /// The keys and the gamepad's buttons.
  KeyMap keys;
};
/// A settings file is a few short lines; one larger than this is not ours.
const size_t kMaxSettingsBytes = 16 << 10;
/// The largest window scale a settings file may ask for.
const int kMaxScale = 16;
/// The steps a window's scale is kept in: quarters.
const int kScaleSteps = 4;

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
/// Removes the temporary files a crashed save of `path` left beside it (in
/// a transaction on its folder), as the program starts.
void removeSettingsLeftovers(const std::string &path);
/// Keeps one change of the settings in `path`, in a transaction on its
/// folder: the file is read anew, `change` made to what it holds (what
/// another copy of the game kept stays), and written. False, with the
/// reason in `message` and `cause`, when it could not be kept.
bool keepSetting(const std::string &path, const std::function<void(Settings &)> &change, std::string &message,
                 Cause &cause);
/// Settings another copy of the game kept (`text`, its settings file, as
/// an export carries it) are kept in `path` where none are kept yet: its
/// music and sounds switches (the window's size and full screen belong to
/// its machine). Settings kept here stay as they are. In a transaction on
/// the file's folder; `taken` says whether they were kept. False, with the
/// reason, when they could not be.
bool adoptSettings(const std::string &path, const std::string &text, bool &taken, std::string &message, Cause &cause);

#pragma once

// What the player switches while playing, on every screen: the music (M),
// the sound effects (S), the window's size (Ctrl+Plus, Ctrl+Minus) and full
// screen (F11, switched by the window itself); and what the options choose:
// the volumes, the language, the window, the look, the keys. Each change is
// kept in the settings file at once.

#include <string>

#include "KWindow.h"
#include "controls.h"
#include "keepnotice.h"
#include "look.h"
#include "settings.h"

/// The player's settings as this program has them, and the file they are
/// kept in ("" keeps them nowhere): read at start, each change kept at
/// once; and whether the music is turned down now (a game on the screen is
/// paused). The shell's.
struct Switchboard {
  Settings playerSettings;
  std::string settingsFile;
  bool musicLowered = false;
  /// What the system asks for where the player has not chosen: less
  /// motion, more contrast (read as the program starts).
  bool systemCalm = false, systemContrast = false;
};

/// The music lowered while the game on the screen is paused: this share of
/// its level, in hundredths.
const int kPausedMusicShare = 35;
/// The masters' volumes (0 to 100) the settings give: off, or the level.
int musicVolume(const Settings &settings);
int soundsVolume(const Settings &settings);
/// The look the settings and the system's wishes give.
Look lookOf(const Switchboard &switches);
/// The music and sound-effect masters as the settings say, the music lower
/// while `paused` (kept for the switches that follow).
void applySettings(Switchboard &switches, bool paused = false);
/// The window as the settings say, before it opens: its scale, whole
/// scaling, who the program is to the desktop. (A kept scale the desktop
/// has no room for is the window's: it opens at the largest that fits.)
void prepareWindow(const Switchboard &switches, KWindow *window);
/// The window as the settings say, once it is open: whole scaling, full screen.
void applyWindowSettings(const Switchboard &switches, KWindow *window);
/// Switches the music and/or the sound effects, and keeps the change. A
/// change that could not be kept works in this run all the same, and is
/// reported in `failure`, as for the two below.
void switchSounds(Switchboard &switches, bool music, bool sounds, KeepFailure &failure);
/// M switches the music and S the sound effects (or the keys the player
/// gave them), once per press.
void handleSwitches(Switchboard &switches, const Controls &controls, KeepFailure &failure);
/// The music's (or the sound effects') slider set to `level`, 0 (off) to
/// kVolumeSteps; a level above 0 is the one M or S switches back to.
void setVolume(Switchboard &switches, bool music, int level, KeepFailure &failure);
/// The language chosen ("" for the system's), calmer motion, stronger
/// contrast and the keys, each kept.
void chooseLanguage(Switchboard &switches, const std::string &language, KeepFailure &failure);
void chooseCalm(Switchboard &switches, Choice calm, KeepFailure &failure);
void chooseContrast(Switchboard &switches, Choice contrast, KeepFailure &failure);
void chooseKeys(Switchboard &switches, const KeyMap &keys, KeepFailure &failure);
/// Full screen on or off, kept.
void chooseFullScreen(Switchboard &switches, KWindow *window, bool on, KeepFailure &failure);
/// The options' window size one step along 1x, 1.25x, ... the largest that
/// fits, then whole sizes only; kept.
void stepWindowSize(Switchboard &switches, KWindow *window, int step, KeepFailure &failure);
/// The keys the window answers itself as the settings give them, or none
/// (`none`: while the options wait for a new key).
void applyShortcutKeys(const Switchboard &switches, KWindow *window, bool none);
/// Ctrl+Plus and Ctrl+Minus make the window one step larger or smaller (a
/// quarter of the game's size, or a whole one at whole scaling), within
/// what fits the desktop's work area; a switch to or from full screen is
/// kept, and so is the window's scale (but at whole scaling).
void handleWindowKeys(Switchboard &switches, KWindow *window, const Controls &controls, KeepFailure &failure);

#pragma once

// What the player switches while playing, on every screen: the music (M),
// the sound effects (S), the window's size (Ctrl+Plus, Ctrl+Minus) and full
// screen (F11, switched by the window itself). Each change is kept in the
// settings file at once.

#include <string>

#include "KWindow.h"
#include "controls.h"
#include "keepnotice.h"
#include "settings.h"

/// The player's settings as this program has them, and the file they are
/// kept in ("" keeps them nowhere): read at start, each change kept at
/// once; and whether the music is turned down now (a game on the screen is
/// paused). The shell's.
struct Switchboard {
  Settings playerSettings;
  std::string settingsFile;
  bool musicLowered = false;
};

/// The music's volume, and lower while the game on the screen is paused.
const int kMusicVolume = 100, kPausedMusicVolume = 35;
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
/// M switches the music and S the sound effects, once per press.
void handleSwitches(Switchboard &switches, const Controls &controls, KeepFailure &failure);
/// Ctrl+Plus and Ctrl+Minus make the window one step larger or smaller (a
/// quarter of the game's size, or a whole one at whole scaling), within
/// what fits the desktop's work area; a switch to or from full screen is
/// kept, and so is the window's scale (but at whole scaling).
void handleWindowKeys(Switchboard &switches, KWindow *window, const Controls &controls, KeepFailure &failure);

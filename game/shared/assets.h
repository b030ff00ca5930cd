#pragma once

// What the game draws with and plays: the window, the sprite sheet, the
// cursor, and the sound set. The shell owns them; what draws is given the
// sheet, what is heard is played from the sound set.

#include "KGraphic.h"
#include "KSound.h"
#include "KWindow.h"

#include <string>

/// The game's sounds, each played by what it is named after; loaded the
/// first time the title's notice is fully shown (or before a replay watched
/// from the command line), none before.
struct Sounds {
  KSound *snd_downline = nullptr;
  KSound *snd_break[3] = {nullptr, nullptr, nullptr};
  KSound *snd_bomb = nullptr;
  KSound *snd_hammer = nullptr;
  KSound *snd_tictac = nullptr;
  KSound *snd_throw = nullptr;
  KSound *snd_menu = nullptr;
  KSound *snd_music = nullptr;
  /// The set has been loaded (a sound that could not be is there, silent).
  bool loaded = false;
};

/// Loads the sound set and starts the music. A sound that cannot be loaded
/// stays silent and the game plays on: false, `message` naming each (a
/// line each).
bool loadSounds(Sounds &sounds, std::string &message);
/// Frees the sounds: none is loaded any more.
void freeSounds(Sounds &sounds);
/// Plays a sound of the set, if it is loaded.
void playSound(KSound *sound);
/// Stops every sound effect (the music plays on).
void stopEffects(const Sounds &sounds);

/// The window, the pictures and the sounds, as the shell holds them: it
/// makes, loads and deletes each.
struct Assets {
  KWindow *gamewindow = nullptr;
  /// The sprite sheet every screen is drawn from, and the mouse cursor.
  KGraphic *surf_zunk = nullptr;
  KGraphic *surf_curseur = nullptr;
  Sounds sounds;
};

/// A picture of the data folder; null, with the reason in `message`, when it
/// cannot be loaded.
KGraphic *loadGamePicture(const char *file, std::string &message);

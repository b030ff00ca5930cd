#pragma once

// What the game draws with and plays: the window, the sprite sheet, the
// cursor, and the sound set.

#include "KGraphic.h"
#include "KSound.h"
#include "KWindow.h"

#include <string>

extern KWindow *gamewindow;
/// The sprite sheet every screen is drawn from, and the mouse cursor.
extern KGraphic *surf_zunk;
extern KGraphic *surf_curseur;

/// A picture of the data folder; null, with the reason in `message`, when it
/// cannot be loaded.
KGraphic *loadGamePicture(const char *file, std::string &message);

extern KSound *snd_downline;
extern KSound *snd_break[3];
extern KSound *snd_bomb;
extern KSound *snd_hammer;
extern KSound *snd_tictac;
extern KSound *snd_throw;
extern KSound *snd_menu;
extern KSound *snd_music;

/// Loads the sound set and starts the music. A sound that cannot be loaded
/// stays silent and the game plays on: false, `message` naming each (a
/// line each).
bool loadSounds(std::string &message);
void freeSounds();
/// Plays a sound of the set, if it is loaded.
void playSound(KSound *sound);
/// Stops every sound effect (the music plays on).
void stopEffects();

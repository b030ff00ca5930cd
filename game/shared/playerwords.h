#pragma once

// The game's words in the language the player reads best.

#include <string>

class Catalogue;

/// The sprite sheet whose words are in the player's language, among those in
/// the data folder.
std::string playerSheet();
/// The printed texts in the player's language: the first of the player's
/// languages that has a catalogue installed; empty (English) when none has.
const Catalogue &playerCatalogue();

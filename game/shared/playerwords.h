#pragma once

// The game's words in the language the player reads best.

#include <string>

class Catalogue;

/// The sprite sheet whose words are in the player's language: the one
/// `chosen` ("fr"; a language the game speaks), or else the first of the
/// system's languages that the data folder has.
std::string playerSheet(const std::string &chosen = "");
/// The printed texts in the player's language: the first of the player's
/// languages that has a catalogue installed; empty (English) when none has.
const Catalogue &playerCatalogue();

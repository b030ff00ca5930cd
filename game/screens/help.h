#pragma once

// The help screen: the help panel over the veiled menu, the credits line
// fading from one name to the next, and BACK.

#include "KGraphic.h"
#include "controls.h"
#include "credits.h"
#include "menu.h"

/// One frame of the help screen; its choice is kChoseBack once BACK has
/// played out.
MenuEvents showHelp(Menu &menu, Credits &credits, const Controls &controls);
void drawHelp(const Menu &menu, const Credits &credits, KGraphic &sheet, const Look &look = {});

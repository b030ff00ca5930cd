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
/// `pageKeys`: the keys as a page takes them (the browser keeps some for
/// itself), over the panel's key lines that differ.
void drawHelp(const Menu &menu, const Credits &credits, bool pageKeys, KGraphic &sheet, const Look &look = {});

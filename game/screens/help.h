#pragma once

// The help screen: the help panel over the veiled menu, the credits line
// fading from one name to the next, and BACK.

#include "menu.h"

/// One frame of the help screen; kChoseBack once BACK has played out.
MenuChoice showHelp();

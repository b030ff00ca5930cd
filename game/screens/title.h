#pragma once

// The title: its picture fading in, the notice line rising at the bottom,
// and the doors that slide apart over the menu. The first time the notice
// is fully shown the sounds and the high scores are loaded.

/// One frame of the title; true once it has played out (the menu next).
bool doTitle();
/// The doors sliding apart over the menu; true while they still move (the
/// menu takes no press meanwhile).
bool drawDoors();
/// The notice line, rising and fading in.
void diplayCopyright();
/// Loads the high scores and the sounds, unless the notice has already: a
/// replay watched from the command line starts without the title.
void loadSoundsOnce();
/// The title, the doors and the notice as the program starts.
void resetTitle();

#pragma once

// The high-score table: ten scores, best first, kept in "thescores" (forty
// bytes, ten 32-bit little-endian numbers).

#include <cstdint>
#include <string>

extern int32_t topScores[10];
/// The table a reset (Space on its screen) puts back.
extern const int32_t topScoresOld[10];

/// Offers `score` to the table: it takes the first row (from the top) whose
/// score it beats, the rows below move down and the last falls out. The
/// row it took, or -1 when it beat none.
int sendScore(int32_t score);

/// Reads the table from scoresPath(), or from the data folder while the
/// user's folder holds none; a missing file leaves the table as it is. False,
/// with the reason in `message`, for one that is not a table of ours (a
/// pipe, a folder): the table is left as it is.
bool loadScores(std::string &message);
/// Writes the table atomically; false, with the reason in `message`, when
/// nothing was written (as for a file the player made read-only). Written
/// elsewhere than the data folder for a reason, `message` says so.
bool saveScores(std::string &message);
/// Where the high-score file is written: the data folder, or the user's data
/// folder when the data folder cannot be written or its file is read-only.
const char *scoresPath();

#pragma once

// The files the game reads and keeps (the high scores, the replays and
// their list, the settings, the catalogues) are read as a stranger's: only
// a regular file is opened, without ever waiting on it (a pipe or a device
// in its place is refused), and never more of it than such a file can hold.
// Files the player keeps are replaced whole: written to a new temporary file
// beside the old one, flushed, then renamed over it, so that a crash leaves
// either the old file or the new one, never a torn one. Every change is then
// told to whoever keeps the files beyond the program (a browser writes its
// storage).

#include <cstddef>
#include <string>

/// Reads all of `path` into `bytes`. False, with the reason in `error`,
/// when it cannot be opened, is not a regular file, or holds more than
/// `maxBytes` (then nothing of it is kept).
bool readFile(const std::string &path, size_t maxBytes, std::string &bytes, std::string &error);
/// Reads the first `maxBytes` of `path` (all of it when shorter) into
/// `bytes`: for a file whose format is a fixed size, whatever follows it.
bool readFileStart(const std::string &path, size_t maxBytes, std::string &bytes, std::string &error);

/// Whether anything at all (a file, a folder, a link) is at `path`.
bool fileThere(const std::string &path);

/// Replaces `path` with `bytes`; false, with the reason in `error`, when it
/// could not (the old file, if any, is then left as it was). The temporary
/// file is always created anew: a file or a link already in its place is
/// removed first, never written through.
bool replaceFile(const std::string &path, const std::string &bytes, std::string &error);

/// Removes a kept file; false when there was none or it could not be.
bool removeKeptFile(const std::string &path);
/// `handler` is called after every file replaced or removed (none: null).
void setFilesChangedHandler(void (*handler)());

/// `text` as it can be shown on a terminal: control characters and bytes
/// that are not UTF-8 as '?', cut to at most `maxBytes` bytes on a
/// character's boundary.
std::string printable(const std::string &text, size_t maxBytes);

#pragma once

// Files the player keeps (the high scores, the settings) are replaced whole:
// written beside the old one, flushed to disk, then renamed over it, so that
// a crash leaves either the old file or the new one, never a torn one. Every
// change is then handed to the host to keep (a browser writes its storage).

#include <string>

/// Replaces `path` with `bytes`; false, with the reason in `error`, when it
/// could not (the old file, if any, is then left as it was).
bool replaceFile(const std::string &path, const std::string &bytes, std::string &error);
/// Removes a kept file; false when there was none or it could not be.
bool removeKeptFile(const std::string &path);

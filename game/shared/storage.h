#pragma once

// The files the game reads and keeps (the high scores, the replays and
// their list, the unfinished games, the settings, the catalogues) are read
// as a stranger's: only a regular file is opened, without ever waiting on it
// (a pipe or a device in its place is refused), and never more of it than
// such a file can hold.
//
// Files the player keeps are replaced whole: written to a temporary file of
// a name of its own beside the old one, flushed, then renamed over it, so
// that a crash leaves either the old file or the new one, never a torn one;
// a kept file that is a link is written where the link leads, and the link
// stays. Every change of them is one transaction on their folder
// (changeKeptFiles): under the folder's lock, what is there now is read
// again, merged, written; so two programs on one folder (two copies of the
// game, two tabs of a browser) lose nothing of each other's. Every change
// is then told to whoever keeps the files beyond the program (a browser
// writes its storage).

#include <cstddef>
#include <functional>
#include <string>

/// Reads all of `path` into `bytes`. False, with the reason in `error`,
/// when it cannot be opened, is not a regular file, or holds more than
/// `maxBytes` (then nothing of it is kept).
bool readFile(const std::string &path, size_t maxBytes, std::string &bytes, std::string &error);
/// Reads the first `maxBytes` of `path` (all of it when shorter) into
/// `bytes`: for a file whose format is a fixed size, whatever follows it.
bool readFileStart(const std::string &path, size_t maxBytes, std::string &bytes, std::string &error);

/// Whether anything at all (a file, a folder, a link, even one that leads
/// nowhere) is at `path`.
bool fileThere(const std::string &path);
/// Whether a regular file is at `path`, or where its links lead.
bool keptFileThere(const std::string &path);
/// Where `path` leads: the file its links (and their links) name, or the
/// path itself when it is no link; "" for links that go round in a loop.
std::string followLinks(const std::string &path);

/// Why a file the player keeps could not be kept, as the player is told it.
enum class Cause { kNone, kDiskFull, kReadOnly, kNoUserFolder, kOther };
/// The cause a system error number stands for.
Cause causeOf(int errorNumber);

/// Replaces `path` (or the file its links lead to) with `bytes`; false,
/// with the reason in `error` and `cause` (if asked), when it could not: the
/// old file, if any, is then left as it was, and the temporary file is
/// gone. A file without a write bit was made read-only on purpose, and is
/// not replaced. The temporary file is created anew, of a name no one else
/// uses (`<name>.tmpXXXXXX`), never written through.
bool replaceFile(const std::string &path, const std::string &bytes, std::string &error, Cause *cause = nullptr);
/// Removes a kept file (where its links lead: the links stay); false when
/// there was none or it could not be.
bool removeKeptFile(const std::string &path);
/// `handler` is called after every file replaced or removed (none: null).
void setFilesChangedHandler(void (*handler)());

// ---- one change of a folder's kept files ------------------------------------

/// Runs `change` as one transaction on the kept files of `folder`: with the
/// folder's lock held (another program changing them waits), so that what
/// `change` reads is what is there now and what it writes is not lost to
/// another's write. Transactions may nest (the inner one runs under the
/// outer's lock). False, with the reason, when the lock could not be had
/// (`change` did not run) or `change` returned false (its own reason).
bool changeKeptFiles(const std::string &folder, const std::function<bool(std::string &error, Cause &cause)> &change,
                     std::string &error, Cause &cause);
/// How a host locks a folder of kept files, when not as a desktop does
/// (flock on `<folder>/zunk.lock`): a browser, across its tabs, takes its
/// own lock and brings its view of the files up to date in `take`, and
/// writes them through in `give`. Null: the desktop's.
struct KeptFilesLock {
  bool (*take)(const std::string &folder, std::string &error);
  void (*give)(const std::string &folder);
};
void setKeptFilesLock(const KeptFilesLock *lock);
/// The lock file a desktop's transactions hold, in each folder of kept files.
extern const char *const kLockFileName;

/// Removes, from `folder`, the temporary files that saves interrupted by a
/// crash left: only regular files named as replaceFile names them (or as
/// earlier versions did, `<name>.tmp`) after a name `ours` accepts. Run in
/// a transaction on the folder, so that no save in progress is touched.
/// The number removed.
int removeLeftovers(const std::string &folder, const std::function<bool(const std::string &name)> &ours);

/// `text` as it can be shown on a terminal: control characters and bytes
/// that are not UTF-8 as '?', cut to at most `maxBytes` bytes on a
/// character's boundary.
std::string printable(const std::string &text, size_t maxBytes);

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "KReport.h"

/// Lower-cases a zero-terminated text in place; a null pointer is ignored.
void K_strlower(char *text);

/// A raw clock reading in milliseconds, independent of the engine count.
unsigned long kggetMilliseconds();
/// Dispatches at most one pending window event to the window's handlers.
void kmProcessEvents();

/// System tools, all static: data-file paths and folders, the engine's
/// millisecond clock, message boxes, desktop launching, the locale and the
/// byte-order helpers.
///
/// Paths: the folder of the executable stands for the application package;
/// its data folder ("resource folder") is `data` beside the executable in a
/// build tree, or `../share/zunk` when installed. Operations that build a
/// text return a static buffer that the next call of the same operation
/// overwrites.
class KMiscTools {
public:
  // ---- paths and folders ----

  /// Restarts the millisecond count and, on first use, finds the folders.
  static void initMiscTools();
  /// True: data files live in the data folder. False: beside the program's folder.
  static void setFileSource(bool inPackage);
  /// Full path of the data file `name` (an absolute name is kept; a single
  /// leading backslash is skipped; backslashes become '/'). Cut to 259 characters.
  static const char *makeFilePath(const char *name);
  /// The data folder without a trailing '/'. Also restarts the millisecond count.
  static const char *getCurrentPath();
  /// Lower-cases, in place, the part of `path` below the data folder; a path
  /// elsewhere keeps its case, and a relative name is lower-cased whole.
  /// (Folders above the data folder may hold capitals on this file system.)
  static void lowerDataFileName(char *path);
  /// Replaces every backslash and ':' by '/' in place.
  static void cleanPath(char *path);
  /// The user's home folder (HOME, when absolute), or null. Folders' texts
  /// are whole, however long.
  static const char *getUserFolder();
  /// The user's configuration folder, or null.
  static const char *getPreferencesFolder();
  /// The folder where this program keeps the user's own files
  /// ($XDG_DATA_HOME/zunk, else ~/.local/share/zunk; created on demand, its
  /// path whole however long), or null when there is none or it cannot be
  /// made: getUserDataFolderProblem() then says why.
  static const char *getUserDataFolder();
  /// Why the last getUserDataFolder() gave none ("HOME is not set", a
  /// folder of the path that could not be made and the system's reason).
  static const char *getUserDataFolderProblem();
  /// Whether the data folder is an installed program's (share/games/zunk or
  /// share/zunk beside the program's folder), not a build tree's "data".
  static bool isDataFolderInstalled();
  /// Where the program writes its data file `name` (a screenshot): the data
  /// folder when it can be written and is not an installed one, else the
  /// user's data folder; "" when neither can be had (an installed data
  /// folder is never written).
  static const char *makeWritableFilePath(const char *name);
  /// Calls `callback` for each entry of `folder` (which should end in '/'),
  /// "." excluded, ".." included, in the system's order, until it returns false.
  static void enumerateFolder(char *folder, bool (*callback)(char *name, bool isFolder, void *userData),
                              void *userData);
  /// Creates a folder; false if it exists already or cannot be made.
  static bool createDirectory(const char *path);
  /// Whether the path names an existing file or folder.
  static bool fileExists(const char *path);
  /// Files in the user's folders were written or removed: a host that keeps
  /// them in storage of its own (a browser) writes them through.
  static void userFilesChanged();
  /// Whether the host keeps the user's folders in storage of its own that
  /// others change too (a browser's tabs): then every change of them is
  /// made between takeUserFiles, which waits for the others and brings the
  /// files up to date, and giveUserFiles, which writes them through.
  static bool hostKeepsUserFiles();
  /// False, with the reason in `why`, when storage cannot be had now.
  static bool takeUserFiles(std::string &why);
  static void giveUserFiles();
  /// `handler` is called when the host's storage, late to answer, has come
  /// in: what could not be kept until then can be now. Null for none.
  static void setUserFilesArrivedHandler(void (*handler)());
  /// Whether the host may end the program without letting it run its end
  /// (a page closed): what the program keeps only as it ends, it must save
  /// as it changes there.
  static bool isEndedWithoutNotice();
  /// `handler` is called when the host is about to hide the program, after
  /// which it may end it without notice (a page hidden or closed; never on
  /// a desktop): what the program would keep at its end, it keeps there,
  /// at once. Null for none.
  static void setHidingHandler(void (*handler)());
  /// Whether the program runs in a web page: the browser owns the window's
  /// end (a page is not closed by its program) and some keys (Ctrl+Q,
  /// Ctrl+Plus and Minus, the function keys), and the player reaches files
  /// as downloads and through a picker.
  static bool runsInPage();
  /// The player's files are worth keeping for good (a score kept): a host
  /// that may clear them to make room (a browser) is asked not to, once a
  /// run. Nothing on a desktop.
  static void askForLastingStorage();
  /// Hands the file at `path` to the player under `name`: a page downloads
  /// it. False where there is no such way (a desktop: the file is where it
  /// was written) or it failed.
  static bool offerFile(const char *path, const char *name);
  /// A page's program takes files given to it (dropped on the page, or
  /// chosen in its picker; a desktop's come by KInput::takeDroppedFile) of
  /// at most `maxBytes` (a page hands over one byte
  /// more of a larger one, for the reader to refuse); 0: none (a page then
  /// does not open a file dropped on it either).
  static void acceptGivenFiles(size_t maxBytes);
  /// A page opens its file picker (to answer a press of the player's); false
  /// where there is none, or no file is taken now.
  static bool askForFile();
  /// The path of the file given last and not taken yet (read it there), or
  /// "": each file is taken once.
  static std::string takeGivenFile();
  /// `handler` is called when the window's display is lost (its connection
  /// broken, the window destroyed by another program): nothing can be shown
  /// any more, and the program is ended right after it, with the exit
  /// status it returns. What the program would keep at its end, it keeps
  /// there, without touching the window. Null for none (status 1).
  static void setDisplayLostHandler(int (*handler)());

  // ---- the millisecond clock ----

  /// Restarts the count at 0.
  static void initMilliseconds();
  /// The engine time in milliseconds; advances by every change of the clock.
  static unsigned long getMilliseconds();
  /// Sets the engine time.
  static void setMilliseconds(unsigned long milliseconds);
  /// Drops the time since the last update (a pause is not counted).
  static void freezeTimer();
  /// Busy-waits `milliseconds` of engine time, handling events if asked.
  static void pause(long milliseconds, bool processEvents);
  /// Sixtieths of a second from an arbitrary start.
  static unsigned long getTheTicks();
  /// The current year of the local calendar.
  static int getYear();

  // ---- the desktop ----

  /// Opens an address in the user's preferred application.
  static void launchURL(char *url, bool unused = false);
  /// Asks the desktop to open a file with its application.
  static void launchFile(char *path, bool unused = false);
  /// Asks the desktop to open `count` files; 0 on success, -50 for none.
  static long FinderLaunch(long count, const char **files);
  /// A modal box whose main text is `message` and explanation `explanation`.
  static void messageBox(const char *explanation, const char *message);
  /// Puts `text` (UTF-8) on the clipboard for the user to paste elsewhere:
  /// the desktop's while the window is open; in a browser the page's, as
  /// the browser allows (a refusal that comes later, the page says). False
  /// when it could not be set; a desktop's reason is reported as a warning.
  static bool setClipboardText(const char *text);
  /// The web address of the page the program runs in, without its fragment
  /// ("#..."); "" outside a browser.
  static std::string getPageAddress();

  // ---- reports ----

  /// Reports a failure (KReport.h): the one way the engine, its platform
  /// layer included, says what went wrong and why. By default an error or a
  /// note shows a message box (heading; detail and reason below), a warning
  /// is a line on standard error; a handler takes them all instead.
  static void report(EReportLevel level, const char *heading, const char *detail, const char *reason);
  /// Routes every report to `handler` (null: by level again).
  static void setReportHandler(KReportHandler handler);
  /// The last report made, whoever received it; empty texts before any.
  static KReport getLastReport();
  /// The user's locale as language_REGION (or language alone), read from
  /// the environment as gettext reads it; empty for C, POSIX or none.
  static const char *getLocale();
  /// Every language the user asks for, most wanted first ("ll" or "ll_CC"):
  /// LANGUAGE's list (unless the locale is C), then the locale.
  static std::vector<std::string> getPreferredLanguages();
  /// Whether the user asked every program for less motion, and for more
  /// contrast (a browser's media queries; the desktop's settings portal,
  /// read once); false where nothing says.
  static bool prefersReducedMotion();
  static bool prefersMoreContrast();
  /// Asks the host for a data file the program did not start with (a
  /// browser fetches it into the data folder; fileExists says when it is
  /// there). A desktop's data folder has them all.
  static void fetchDataFile(const char *name);

  // ---- byte order: the host is little-endian like the data ----
  static short flipShort(short v) { return v; }
  static unsigned short flipUnsignedShort(unsigned short v) { return v; }
  static long flipLong(long v) { return v; }
  static unsigned long flipUnsignedLong(unsigned long v) { return v; }
  static float flipFloat(float v) { return v; }
  static double flipDouble(double v) { return v; }

  /// Receives each event taken by kmProcessEvents (set by the window).
  static void setEventDispatcher(void (*dispatcher)());

  static bool _inPackage;
  static char currentAppPath[260];
  static char _resourcePath[260];
  static char currentFilePath[260];

  static uint32_t _millisecondCounter;
  static uint32_t _starterMSTimer;
  static uint32_t _t2;
  static uint32_t _delta;
};

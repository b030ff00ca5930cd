// System services: the program's and the user's folders, the clock (and a
// scripted clock for tests), message boxes (and their hook for tests),
// desktop launching and the preferred locale.

#include "Platform.h"
#include "WindowState.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>

namespace platform {

namespace {
// The system services' state: the clock and the message boxes as tests set
// them, and whether a modal box is shown (read by a signal's handler).
struct SystemContext {
  const uint64_t *scriptedClock = nullptr;
  MessageHook messageHook = nullptr;
  volatile std::sig_atomic_t modalBox = 0;
};
SystemContext system_;

// The folder an XDG variable names (only an absolute path counts, as the
// base directory rules say), else the one below the home folder; empty, with
// the reason in `problem`, when there is neither.
std::string envFolder(const char *var, const char *homeRelative, std::string *problem) {
  const char *v = std::getenv(var);
  if (v && *v == '/') return v;
  std::string home = homeFolder();
  if (home.empty()) {
    const char *h = std::getenv("HOME");
    if (problem) *problem = !h || !*h ? "HOME is not set" : "HOME is not an absolute path (" + std::string(h) + ")";
    return std::string();
  }
  return home + homeRelative;
}

} // namespace

#ifdef __EMSCRIPTEN__
// In a browser the page lays the game out as an installed one: the data in
// share/zunk beside the program's bin, read-only to it, so that the scores
// and replays go to the user's folder (kept in the browser's storage).
const char *const kBrowserProgramFolder = "/zunk/bin";
#endif

std::string executableFolder() {
#ifdef __EMSCRIPTEN__
  return kBrowserProgramFolder;
#else
  char *base = SDL_GetBasePath();
  if (!base) return std::string(".");
  std::string s(base);
  SDL_free(base);
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
#endif
}

std::string homeFolder() {
  // A relative HOME would put the user's files wherever the program was
  // started from: it is no home.
  const char *h = std::getenv("HOME");
  return h && *h == '/' ? std::string(h) : std::string();
}

std::string configFolder() { return envFolder("XDG_CONFIG_HOME", "/.config", nullptr); }
std::string userDataFolder(std::string *problem) { return envFolder("XDG_DATA_HOME", "/.local/share", problem); }

void setScriptedClock(const uint64_t *microseconds) { system_.scriptedClock = microseconds; }

uint64_t microseconds() {
  if (system_.scriptedClock) return *system_.scriptedClock;
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<std::chrono::microseconds>(steady_clock::now().time_since_epoch()).count());
}

int localYear() {
  std::time_t t = std::time(nullptr);
  std::tm tmv;
  localtime_r(&t, &tmv);
  return tmv.tm_year + 1900;
}

void sleepMilliseconds(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void setMessageHook(MessageHook hook) { system_.messageHook = hook; }

bool modalBoxShown() { return system_.modalBox != 0; }

// Set (to anything) in the environment, message boxes go to standard error
// even on a desktop: scripts that drive a program read them there.
const char *const kMessagesToStderr = "K_MESSAGES_TO_STDERR";

void messageBox(const char *heading, const char *detail) {
  const char *h = heading ? heading : "";
  const char *d = detail ? detail : "";
  if (system_.messageHook) {
    system_.messageHook(h, d);
    return;
  }
  const char *drv = videoUp() ? SDL_GetCurrentVideoDriver() : nullptr;
  bool desktop = drv && std::string(drv) != "offscreen" && std::string(drv) != "dummy" &&
                 !std::getenv(kMessagesToStderr);
  if (desktop) {
    system_.modalBox = 1;
    const bool shown = SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, d, h, sdlWindow()) == 0;
    system_.modalBox = 0;
    if (shown) return;
  }
  toStandardError(std::string(d) + (*d && *h ? ": " : "") + h);
}

bool openURL(const char *url) { return url && SDL_OpenURL(url) == 0; }

// A browser's clipboard and address are the page's (Host.cpp).
#ifndef __EMSCRIPTEN__
bool setClipboardText(const std::string &text) {
  if (!videoUp()) return false;
  if (SDL_SetClipboardText(text.c_str()) == 0) return true;
  report(K_REPORT_WARNING, "the clipboard could not be set", "", SDL_GetError());
  return false;
}

std::string pageAddress() { return ""; }
#endif

// A browser tells its languages itself (Host.cpp).
#ifndef __EMSCRIPTEN__
namespace {
// "ll", "ll_CC", or "ll_CC.codeset@modifier" as the environment writes it,
// down to "ll" or "ll_CC"; "" for anything else (C, POSIX, garbage).
std::string languageTag(const std::string &value) {
  const std::string tag = value.substr(0, value.find_first_of(".@"));
  const auto letters = [&](size_t from, size_t count, bool upper) {
    if (tag.size() < from + count) return false;
    for (size_t i = from; i < from + count; i++)
      if (!(upper ? std::isupper(static_cast<unsigned char>(tag[i])) : std::islower(static_cast<unsigned char>(tag[i]))))
        return false;
    return true;
  };
  // Two or three lowercase letters, then an optional region of two capitals.
  const size_t language = letters(0, 3, false) ? 3 : letters(0, 2, false) ? 2 : 0;
  if (!language) return "";
  if (tag.size() == language) return tag;
  if (tag.size() == language + 3 && tag[language] == '_' && letters(language + 1, 2, true)) return tag;
  return "";
}

const char *environment(const char *name) {
  const char *value = std::getenv(name);
  return value && *value ? value : nullptr;
}
} // namespace

std::vector<std::string> preferredLanguages() {
  // The locale for messages: the first of these that is set.
  const char *locale = environment("LC_ALL");
  if (!locale) locale = environment("LC_MESSAGES");
  if (!locale) locale = environment("LANG");
  std::vector<std::string> languages;
  // As gettext does, LANGUAGE's list comes first, unless the locale is C.
  const bool plainC = locale && (std::strcmp(locale, "C") == 0 || std::strcmp(locale, "POSIX") == 0);
  if (const char *list = environment("LANGUAGE"); list && !plainC) {
    std::string entries = list;
    for (size_t start = 0; start <= entries.size();) {
      const size_t colon = std::min(entries.find(':', start), entries.size());
      const std::string tag = languageTag(entries.substr(start, colon - start));
      if (!tag.empty()) languages.push_back(tag);
      start = colon + 1;
    }
  }
  if (locale) {
    const std::string tag = languageTag(locale);
    if (!tag.empty()) languages.push_back(tag);
  }
  return languages;
}

#endif

std::string preferredLocale() {
  const std::vector<std::string> languages = preferredLanguages();
  return languages.empty() ? "" : languages.front();
}

} // namespace platform

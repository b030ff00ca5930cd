// System services: the program's and the user's folders, the clock (and a
// scripted clock for tests), message boxes (and their hook for tests),
// desktop launching and the preferred locale.

#include "Platform.h"
#include "WindowState.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>

namespace platform {

namespace {
const uint64_t *gScriptedClock = nullptr;
MessageHook gMessageHook = nullptr;

std::string envFolder(const char *var, const char *homeRelative) {
  const char *v = std::getenv(var);
  if (v && *v == '/') return v;
  std::string home = homeFolder();
  if (home.empty()) return std::string();
  return home + homeRelative;
}

} // namespace

std::string executableFolder() {
  char *base = SDL_GetBasePath();
  if (!base) return std::string(".");
  std::string s(base);
  SDL_free(base);
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

std::string homeFolder() {
  const char *h = std::getenv("HOME");
  return h ? std::string(h) : std::string();
}

std::string configFolder() { return envFolder("XDG_CONFIG_HOME", "/.config"); }
std::string userDataFolder() { return envFolder("XDG_DATA_HOME", "/.local/share"); }

void setScriptedClock(const uint64_t *microseconds) { gScriptedClock = microseconds; }

uint64_t microseconds() {
  if (gScriptedClock) return *gScriptedClock;
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

void setMessageHook(MessageHook hook) { gMessageHook = hook; }

// Set (to anything) in the environment, message boxes go to standard error
// even on a desktop: scripts that drive a program read them there.
const char *const kMessagesToStderr = "K_MESSAGES_TO_STDERR";

void messageBox(const char *heading, const char *detail) {
  const char *h = heading ? heading : "";
  const char *d = detail ? detail : "";
  if (gMessageHook) {
    gMessageHook(h, d);
    return;
  }
  const char *drv = videoUp() ? SDL_GetCurrentVideoDriver() : nullptr;
  bool desktop = drv && std::string(drv) != "offscreen" && std::string(drv) != "dummy" &&
                 !std::getenv(kMessagesToStderr);
  if (desktop && SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, d, h, sdlWindow()) == 0) return;
  std::fprintf(stderr, "%s%s%s\n", d, *d && *h ? ": " : "", h);
}

bool openURL(const char *url) { return url && SDL_OpenURL(url) == 0; }

std::string preferredLocale() {
  SDL_Locale *locales = SDL_GetPreferredLocales();
  std::string result;
  if (locales && locales[0].language) {
    result = locales[0].language;
    if (locales[0].country) result += std::string("_") + locales[0].country;
  }
  SDL_free(locales);
  return result;
}

} // namespace platform

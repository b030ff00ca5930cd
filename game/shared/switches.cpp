#include "switches.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "KSound.h"
#include "controls.h"
#include "keepnotice.h"

namespace {
// The X11 window class: the desktop entry's StartupWMClass.
const char *const kWindowClass = "zunk";

// Keeps one switch's change; the switch works in this run all the same, and
// `failure` says that it was not kept.
void keep(const Switchboard &switches, const std::function<void(Settings &)> &change, KeepFailure &failure) {
  std::string message;
  Cause cause;
  if (!keepSetting(switches.settingsFile, change, message, cause)) failure.set(Unkept::kSetting, cause, message);
}
} // namespace

void applySettings(Switchboard &switches, bool paused) {
  switches.musicLowered = paused;
  const Settings &playerSettings = switches.playerSettings;
  // A switched-off sound keeps playing silently: switched on, it goes on.
  const int music = paused ? kPausedMusicVolume : kMusicVolume;
  KSound::setGlobalVolumes(playerSettings.music ? music : 0, playerSettings.sounds ? 100 : 0);
}

void prepareWindow(const Switchboard &switches, KWindow *window) {
  if (!window) return;
  const Settings &playerSettings = switches.playerSettings;
  // The id the desktop entry is named after, and its StartupWMClass.
  window->setApplicationId(ZUNK_APP_ID, kWindowClass);
  window->setWholeScaling(playerSettings.wholeScaling);
  if (playerSettings.scale > 0) window->setWindowScale(playerSettings.scale);
}

void applyWindowSettings(const Switchboard &switches, KWindow *window) {
  if (!window) return;
  const Settings &playerSettings = switches.playerSettings;
  window->setWholeScaling(playerSettings.wholeScaling);
  if (playerSettings.fullScreen) window->setDesktopFullScreen(true);
}

void switchSounds(Switchboard &switches, bool music, bool sounds, KeepFailure &failure) {
  Settings &playerSettings = switches.playerSettings;
  if (music) playerSettings.music = !playerSettings.music;
  if (sounds) playerSettings.sounds = !playerSettings.sounds;
  if (!music && !sounds) return;
  applySettings(switches, switches.musicLowered);
  const Settings now = playerSettings;
  keep(
      switches,
      [&](Settings &kept) {
        if (music) kept.music = now.music;
        if (sounds) kept.sounds = now.sounds;
      },
      failure);
}

void handleSwitches(Switchboard &switches, const Controls &controls, KeepFailure &failure) {
  switchSounds(switches, controls.keyPressed(K_VK_M), controls.keyPressed(K_VK_S), failure);
}

void handleWindowKeys(Switchboard &switches, KWindow *window, const Controls &controls, KeepFailure &failure) {
  if (!window) return;
  Settings &playerSettings = switches.playerSettings;
  const bool fullScreen = window->isDesktopFullScreen();
  if (fullScreen != playerSettings.fullScreen) {
    playerSettings.fullScreen = fullScreen;
    keep(switches, [&](Settings &kept) { kept.fullScreen = fullScreen; }, failure);
  }
  const bool ctrl = controls.keyHeld(K_VK_L_CONTROL) || controls.keyHeld(K_VK_R_CONTROL);
  const int step = !ctrl || fullScreen                                                    ? 0
                   : controls.keyPressed(K_VK_EQUAL) || controls.keyPressed(K_VK_ADD)     ? 1
                   : controls.keyPressed(K_VK_MINUS) || controls.keyPressed(K_VK_SUBTRACT) ? -1
                                                                                           : 0;
  if (!step) return;
  // From whatever size the frame was dragged to, to the next step up or
  // down: quarters, or whole sizes at whole scaling.
  const double steps = window->isWholeScaling() ? 1 : kScaleSteps;
  const double now = window->getWindowScale() * steps;
  // A scale a hair off a step (rounded pixels) counts as on it.
  const double kOnStep = 0.01;
  const double largest = std::max(1.0, std::floor(window->getLargestWindowScale() * steps + kOnStep) / steps);
  const double next = std::clamp((step > 0 ? std::floor(now + kOnStep) + 1 : std::ceil(now - kOnStep) - 1) / steps, 1.0,
                                 largest);
  if (std::fabs(next * steps - now) < kOnStep || !window->setWindowScale(next)) return;
  // At whole scaling the file keeps "whole", not a size.
  if (playerSettings.wholeScaling) return;
  playerSettings.scale = next;
  keep(
      switches,
      [&](Settings &kept) {
        kept.scale = next;
        kept.wholeScaling = false;
      },
      failure);
}

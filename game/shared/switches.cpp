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

int musicVolume(const Settings &settings) { return settings.music ? settings.musicLevel * 100 / kVolumeSteps : 0; }
int soundsVolume(const Settings &settings) { return settings.sounds ? settings.soundsLevel * 100 / kVolumeSteps : 0; }
Look lookOf(const Switchboard &switches) {
  return lookOf(switches.playerSettings, switches.systemCalm, switches.systemContrast);
}

void applySettings(Switchboard &switches, bool paused) {
  switches.musicLowered = paused;
  const Settings &playerSettings = switches.playerSettings;
  // A switched-off sound keeps playing silently: switched on, it goes on.
  const int music = musicVolume(playerSettings);
  KSound::setGlobalVolumes(paused ? music * kPausedMusicShare / 100 : music, soundsVolume(playerSettings));
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
  switchSounds(switches, controls.actionPressed(kActMusic), controls.actionPressed(kActSounds), failure);
}

void setVolume(Switchboard &switches, bool music, int level, KeepFailure &failure) {
  Settings &now = switches.playerSettings;
  bool &on = music ? now.music : now.sounds;
  int &kept = music ? now.musicLevel : now.soundsLevel;
  on = level > 0;
  if (level > 0) kept = std::min(level, kVolumeSteps);
  applySettings(switches, switches.musicLowered);
  const bool onNow = on;
  const int levelNow = kept;
  keep(
      switches,
      [&](Settings &file) {
        (music ? file.music : file.sounds) = onNow;
        (music ? file.musicLevel : file.soundsLevel) = levelNow;
      },
      failure);
}

void chooseLanguage(Switchboard &switches, const std::string &language, KeepFailure &failure) {
  switches.playerSettings.language = language;
  keep(switches, [&](Settings &file) { file.language = language; }, failure);
}

void chooseCalm(Switchboard &switches, Choice calm, KeepFailure &failure) {
  switches.playerSettings.calm = calm;
  keep(switches, [&](Settings &file) { file.calm = calm; }, failure);
}

void chooseContrast(Switchboard &switches, Choice contrast, KeepFailure &failure) {
  switches.playerSettings.contrast = contrast;
  keep(switches, [&](Settings &file) { file.contrast = contrast; }, failure);
}

void chooseKeys(Switchboard &switches, const KeyMap &keys, KeepFailure &failure) {
  switches.playerSettings.keys = keys;
  keep(switches, [&](Settings &file) { file.keys = keys; }, failure);
}

void chooseFullScreen(Switchboard &switches, KWindow *window, bool on, KeepFailure &failure) {
  if (window && !window->setDesktopFullScreen(on)) return;
  switches.playerSettings.fullScreen = on;
  keep(switches, [&](Settings &file) { file.fullScreen = on; }, failure);
}

void applyShortcutKeys(const Switchboard &switches, KWindow *window, bool none) {
  if (!window) return;
  const KeyMap &keys = switches.playerSettings.keys;
  window->setShortcutKeys(none ? K_VK_ERROR : keys.keys[kActFullScreen], none ? K_VK_ERROR : keys.keys[kActScreenshot]);
}

namespace {
// The window one step larger or smaller (a quarter of the game's size, or
// a whole one at whole scaling), within what fits the desktop's work area;
// the new scale kept (but at whole scaling). False when it did not change.
bool resizeWindow(Switchboard &switches, KWindow *window, int step, KeepFailure &failure) {
  // From whatever size the frame was dragged to, to the next step up or
  // down: quarters, or whole sizes at whole scaling.
  const double steps = window->isWholeScaling() ? 1 : kScaleSteps;
  const double now = window->getWindowScale() * steps;
  // A scale a hair off a step (rounded pixels) counts as on it.
  const double kOnStep = 0.01;
  const double largest = std::max(1.0, std::floor(window->getLargestWindowScale() * steps + kOnStep) / steps);
  const double next = std::clamp((step > 0 ? std::floor(now + kOnStep) + 1 : std::ceil(now - kOnStep) - 1) / steps, 1.0,
                                 largest);
  if (std::fabs(next * steps - now) < kOnStep || !window->setWindowScale(next)) return false;
  Settings &playerSettings = switches.playerSettings;
  // At whole scaling the file keeps "whole", not a size.
  if (playerSettings.wholeScaling) return true;
  playerSettings.scale = next;
  keep(
      switches,
      [&](Settings &kept) {
        kept.scale = next;
        kept.wholeScaling = false;
      },
      failure);
  return true;
}

void keepWholeScaling(Switchboard &switches, KWindow *window, bool whole, KeepFailure &failure) {
  Settings &playerSettings = switches.playerSettings;
  window->setWholeScaling(whole);
  playerSettings.wholeScaling = whole;
  // Whole sizes keep no size; leaving them keeps the size shown, to a quarter.
  playerSettings.scale = whole ? 0 : std::round(window->getWindowScale() * kScaleSteps) / kScaleSteps;
  if (!whole) window->setWindowScale(std::max(1.0, playerSettings.scale));
  const Settings now = playerSettings;
  keep(
      switches,
      [&](Settings &kept) {
        kept.wholeScaling = now.wholeScaling;
        kept.scale = now.scale;
      },
      failure);
}
} // namespace

void stepWindowSize(Switchboard &switches, KWindow *window, int step, KeepFailure &failure) {
  if (!window || !step) return;
  if (switches.playerSettings.wholeScaling) {
    if (step < 0) keepWholeScaling(switches, window, false, failure);
    return;
  }
  // Past the largest size: whole sizes only.
  if (!resizeWindow(switches, window, step, failure) && step > 0) keepWholeScaling(switches, window, true, failure);
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
  if (step) resizeWindow(switches, window, step, failure);
}

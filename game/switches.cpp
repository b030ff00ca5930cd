#include "switches.h"

#include <algorithm>

#include "KSound.h"
#include "assets.h"
#include "controls.h"
#include "tell.h"

Settings playerSettings;
std::string settingsFile;

namespace {
// Whether the music is turned down now (a game paused on the screen).
bool musicLowered = false;

void keep() {
  std::string message;
  if (!settingsFile.empty() && !writeSettings(settingsFile, playerSettings, message)) tell(message);
}
} // namespace

void applySettings(bool paused) {
  musicLowered = paused;
  // A switched-off sound keeps playing silently: switched on, it goes on.
  const int music = paused ? kPausedMusicVolume : kMusicVolume;
  KSound::setGlobalVolumes(playerSettings.music ? music : 0, playerSettings.sounds ? 100 : 0);
}

void applyWindowSettings() {
  if (!gamewindow) return;
  if (playerSettings.fullScreen) gamewindow->setDesktopFullScreen(true);
}

void switchSounds(bool music, bool sounds) {
  if (music) playerSettings.music = !playerSettings.music;
  if (sounds) playerSettings.sounds = !playerSettings.sounds;
  if (!music && !sounds) return;
  applySettings(musicLowered);
  keep();
}

void handleSwitches() { switchSounds(keyPressed(K_VK_M), keyPressed(K_VK_S)); }

void handleWindowKeys() {
  if (!gamewindow) return;
  const bool fullScreen = gamewindow->isDesktopFullScreen();
  if (fullScreen != playerSettings.fullScreen) {
    playerSettings.fullScreen = fullScreen;
    keep();
  }
  const bool ctrl = KInput::isPressed(K_VK_L_CONTROL) || KInput::isPressed(K_VK_R_CONTROL);
  const int step = !ctrl || fullScreen                                  ? 0
                   : keyPressed(K_VK_EQUAL) || keyPressed(K_VK_ADD)     ? 1
                   : keyPressed(K_VK_MINUS) || keyPressed(K_VK_SUBTRACT) ? -1
                                                                         : 0;
  if (!step) return;
  const long now = gamewindow->getWindowScale();
  const long next = std::clamp(now + step, 1L, gamewindow->getLargestWindowScale());
  if (next == now || !gamewindow->setWindowScale(next)) return;
  playerSettings.scale = static_cast<int>(next);
  keep();
}

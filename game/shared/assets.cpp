#include "assets.h"

#include <string>

#include "KMiscTools.h"
#include "KVexo.h"

KWindow *gamewindow = nullptr;
KGraphic *surf_zunk = nullptr;
KGraphic *surf_curseur = nullptr;

KSound *snd_downline = nullptr;
KSound *snd_break[3] = {nullptr, nullptr, nullptr};
KSound *snd_bomb = nullptr;
KSound *snd_hammer = nullptr;
KSound *snd_tictac = nullptr;
KSound *snd_throw = nullptr;
KSound *snd_menu = nullptr;
KSound *snd_music = nullptr;

namespace {
// The clock ticks quietly; the menu's sound is loaded silent.
const int kClockVolume = 30, kMenuVolume = 0;

// Adds a line to `message` for a file that could not be loaded.
void cannotLoad(std::string &message, const std::string &path, const char *what) {
  message += (message.empty() ? "" : "\nzunk: ") + path + " cannot be loaded: " + what;
}

KSound *loadEffect(const char *file, std::string &message) {
  KSound *s = new KSound();
  const std::string path = KMiscTools::makeFilePath(file);
  if (!s->loadSample(path.c_str(), 100, false, 1)) cannotLoad(message, path, "the game plays on without it");
  return s;
}

KSound **allSounds[] = {&snd_downline, &snd_break[0], &snd_break[1], &snd_break[2], &snd_bomb,
                        &snd_hammer,   &snd_tictac,   &snd_throw,    &snd_menu,     &snd_music};
} // namespace

KGraphic *loadGamePicture(const char *file, std::string &message) {
  message.clear();
  KGraphic *picture = KVexo::createKGraphic();
  const std::string path = KMiscTools::makeFilePath(file);
  if (picture->loadPicture(path.c_str(), true, true)) return picture;
  cannotLoad(message, path, "the game cannot be drawn");
  delete picture;
  return nullptr;
}

bool loadSounds(std::string &message) {
  message.clear();
  snd_downline = loadEffect("fall.ogg", message);
  snd_break[0] = loadEffect("good1.ogg", message);
  snd_break[1] = loadEffect("good2.ogg", message);
  snd_break[2] = loadEffect("good3.ogg", message);
  snd_bomb = loadEffect("bomb.ogg", message);
  snd_hammer = loadEffect("hammer.ogg", message);
  snd_tictac = loadEffect("clock.ogg", message);
  snd_tictac->setVolume(kClockVolume);
  snd_throw = loadEffect("ghoulsfire.ogg", message);
  snd_menu = loadEffect("extralife.ogg", message);
  snd_menu->setVolume(kMenuVolume);
  snd_music = new KSound();
  const std::string music = KMiscTools::makeFilePath("monkey.ogg");
  if (snd_music->loadStream(music.c_str())) snd_music->playStream(false);
  else cannotLoad(message, music, "the game plays on without music");
  return message.empty();
}

void freeSounds() {
  for (KSound **s : allSounds) {
    delete *s;
    *s = nullptr;
  }
}

void playSound(KSound *sound) {
  if (sound) sound->playSample();
}

void stopEffects() {
  for (KSound **s : allSounds)
    if (*s && *s != snd_music) (*s)->stopSample();
}

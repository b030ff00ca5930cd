#include "assets.h"

#include <string>

#include "KMiscTools.h"
#include "KVexo.h"

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

// Every sound of the set, to free or stop them all.
template <class Set, class Each> void eachSound(Set &sounds, Each each) {
  for (auto *s : {&sounds.snd_downline, &sounds.snd_break[0], &sounds.snd_break[1], &sounds.snd_break[2],
                  &sounds.snd_bomb, &sounds.snd_hammer, &sounds.snd_tictac, &sounds.snd_throw, &sounds.snd_menu,
                  &sounds.snd_music})
    each(*s);
}
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

bool loadSounds(Sounds &sounds, std::string &message) {
  message.clear();
  sounds.snd_downline = loadEffect("fall.ogg", message);
  sounds.snd_break[0] = loadEffect("good1.ogg", message);
  sounds.snd_break[1] = loadEffect("good2.ogg", message);
  sounds.snd_break[2] = loadEffect("good3.ogg", message);
  sounds.snd_bomb = loadEffect("bomb.ogg", message);
  sounds.snd_hammer = loadEffect("hammer.ogg", message);
  sounds.snd_tictac = loadEffect("clock.ogg", message);
  sounds.snd_tictac->setVolume(kClockVolume);
  sounds.snd_throw = loadEffect("ghoulsfire.ogg", message);
  sounds.snd_menu = loadEffect("extralife.ogg", message);
  sounds.snd_menu->setVolume(kMenuVolume);
  sounds.snd_music = new KSound();
  const std::string music = KMiscTools::makeFilePath("monkey.ogg");
  if (sounds.snd_music->loadStream(music.c_str())) sounds.snd_music->playStream(false);
  else cannotLoad(message, music, "the game plays on without music");
  sounds.loaded = true;
  return message.empty();
}

void freeSounds(Sounds &sounds) {
  eachSound(sounds, [](KSound *&s) {
    delete s;
    s = nullptr;
  });
  sounds.loaded = false;
}

void playSound(KSound *sound) {
  if (sound) sound->playSample();
}

void stopEffects(const Sounds &sounds) {
  eachSound(sounds, [&](KSound *s) {
    if (s && s != sounds.snd_music) s->stopSample();
  });
}

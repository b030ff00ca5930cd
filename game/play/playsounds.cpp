#include "playsounds.h"

#include "assets.h"

void playSounds(const std::vector<PlaySound> &sounds) {
  for (PlaySound s : sounds) {
    switch (s) {
    case PlaySound::kThrow: playSound(snd_throw); break;
    case PlaySound::kBreak1: playSound(snd_break[0]); break;
    case PlaySound::kBreak2: playSound(snd_break[1]); break;
    case PlaySound::kBreak3: playSound(snd_break[2]); break;
    case PlaySound::kBomb: playSound(snd_bomb); break;
    case PlaySound::kHammer: playSound(snd_hammer); break;
    case PlaySound::kClock: playSound(snd_tictac); break;
    case PlaySound::kLineDown: playSound(snd_downline); break;
    }
  }
}

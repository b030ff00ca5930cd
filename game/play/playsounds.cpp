#include "playsounds.h"

void playSounds(const Sounds &set, const std::vector<PlaySound> &sounds) {
  for (PlaySound s : sounds) {
    switch (s) {
    case PlaySound::kThrow: playSound(set.snd_throw); break;
    case PlaySound::kBreak1: playSound(set.snd_break[0]); break;
    case PlaySound::kBreak2: playSound(set.snd_break[1]); break;
    case PlaySound::kBreak3: playSound(set.snd_break[2]); break;
    case PlaySound::kBomb: playSound(set.snd_bomb); break;
    case PlaySound::kHammer: playSound(set.snd_hammer); break;
    case PlaySound::kClock: playSound(set.snd_tictac); break;
    case PlaySound::kLineDown: playSound(set.snd_downline); break;
    }
  }
}

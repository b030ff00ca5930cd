#pragma once

#include <cstdint>

/// The layout of a WAV format chunk's body: how a sound's samples are laid
/// out, whatever file they came from.
struct KSoundFormat {
  uint16_t formatTag;
  uint16_t channels;
  uint32_t sampleRate;
  uint32_t bytesPerSecond;
  uint16_t blockAlign;
  uint16_t bitsPerSample;
};

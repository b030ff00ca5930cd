#include "KRandom.h"

#include "platform/GnuRandom.h"

KRandom::KRandom(unsigned seed) : generator_(std::make_unique<platform::GnuRandom>()) { generator_->seed(seed); }

KRandom::~KRandom() = default;
KRandom::KRandom(KRandom &&other) noexcept = default;
KRandom &KRandom::operator=(KRandom &&other) noexcept = default;

void KRandom::seed(unsigned seed) {
  if (!generator_) generator_ = std::make_unique<platform::GnuRandom>();
  generator_->seed(seed);
}

int32_t KRandom::next() {
  // One moved from draws again from the start, as a new one does.
  if (!generator_) seed(1);
  return generator_->next();
}

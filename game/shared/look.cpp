#include "look.h"

namespace {
bool chosen(Choice choice, bool system) { return choice == Choice::kAsSystem ? system : choice == Choice::kOn; }
} // namespace

Look lookOf(const Settings &settings, bool systemCalm, bool systemContrast) {
  return {chosen(settings.calm, systemCalm), chosen(settings.contrast, systemContrast)};
}

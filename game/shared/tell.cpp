#include "tell.h"

#include <cstdio>

void tell(const std::string &message) {
  if (!message.empty()) std::fprintf(stderr, "zunk: %s\n", message.c_str());
}

#include <cstdint>

#include "FuzzFile.h"
#include "KResourceArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string path = fuzzFile(data, size, ".tar");
  KResourceArchive archive;
  if (archive.open(path.c_str()) != 0) return 0;
  const char *names[] = {"a", "pics\\a.png", "b.txt"};
  for (const char *name : names) {
    KResource member;
    if (archive.openResource(name, &member) == 0) {
      char buf[64];
      member.seek(K_RES_BEGIN, 0);
      member.read(buf, sizeof buf);
      int pos;
      member.seek(K_RES_END, 0);
      member.tell(pos);
    }
  }
  return 0;
}

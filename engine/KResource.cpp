#include "KResource.h"

#include <cstring>

#include "KMiscTools.h"

KList<KResource> KResource::_lArchives;

namespace {
// Registered archives stay open for the whole run; at exit they are closed
// and released (the list itself never owns its elements).
struct ArchiveRelease {
  ~ArchiveRelease() {
    while (KResource *archive = KResource::_lArchives.first()) {
      KResource::_lArchives.unlink(archive);
      delete archive;
    }
  }
} const archiveRelease_;
} // namespace

KResource::KResource() : file(nullptr), sharedFile(false), openMode(0), baseOffset(0), resourceSize(0) {}

KResource::~KResource() { close(); }

int KResource::open(const char *name, KResourceMode mode) {
  static char regularFilename[260];
  static char inResourceFilename[260];
  if (!name) return 104;
  std::snprintf(inResourceFilename, sizeof inResourceFilename, "%s", name);
  std::snprintf(regularFilename, sizeof regularFilename, "%s", name);
  char dataFolder[260];
  std::snprintf(dataFolder, sizeof dataFolder, "%s", KMiscTools::getCurrentPath());
  size_t folderLength = std::strlen(dataFolder);

  // Only the part below the data folder is lower-cased, so that a data
  // folder whose own path holds capitals is still found.
  KMiscTools::lowerDataFileName(regularFilename);
  if (std::strncmp(regularFilename, dataFolder, folderLength) == 0 && regularFilename[folderLength] == '/') {
    std::snprintf(inResourceFilename, sizeof inResourceFilename, "%s", regularFilename + folderLength + 1);
    for (char *p = inResourceFilename; *p; p++)
      if (*p == '/') *p = '\\';
  }

  if (openMode != 0) return 100;
  if (mode != K_RES_READ) return 102;

  for (KResource *archive = _lArchives.first(); archive; archive = _lArchives.after(archive))
    if (archive->openResource(inResourceFilename, this) == 0) return 0;

  file = std::fopen(regularFilename, "rb");
  if (!file) return 104;
  openMode = K_RES_READ;
  baseOffset = 0;
  resourceSize = 0;
  return 0;
}

int KResource::open(KResource *archive, unsigned int size) {
  if (openMode != 0 || !archive || archive->openMode != K_RES_READ) return 100;
  if (!archive->file) return 106;
  file = archive->file;
  sharedFile = true;
  openMode = K_RES_READ;
  baseOffset = std::ftell(file);
  resourceSize = size;
  return 0;
}

int KResource::seek(KResourceWhence origin, int offset) {
  if (openMode != K_RES_READ) return 100;
  switch (origin) {
  case K_RES_BEGIN: std::fseek(file, baseOffset + offset, SEEK_SET); break;
  case K_RES_CURRENT: std::fseek(file, offset, SEEK_CUR); break;
  case K_RES_END:
    if (resourceSize != 0) std::fseek(file, baseOffset + static_cast<long>(resourceSize) - offset, SEEK_SET);
    else std::fseek(file, offset, SEEK_END);
    break;
  default: return 102;
  }
  return 0;
}

int KResource::tell(int &position) {
  if (openMode != K_RES_READ) return 100;
  position = static_cast<int>(std::ftell(file) - baseOffset);
  return 0;
}

int KResource::read(void *destination, unsigned long length) {
  if (openMode == 0) return 100;
  if (openMode != K_RES_READ) return 101;
  if (length == 0 || !destination) return 106;
  return std::fread(destination, 1, length, file) == length ? 0 : 106;
}

void KResource::close() {
  if (openMode == 0 && !file) return;
  if (file && !sharedFile) std::fclose(file);
  file = nullptr;
  sharedFile = false;
  openMode = 0;
  baseOffset = 0;
  resourceSize = 0;
}

int KResource::openResource(const char *, KResource *) { return 100; }

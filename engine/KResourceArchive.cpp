#include "KResourceArchive.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

KResourceArchive::KResourceArchive() {}

KResourceArchive::~KResourceArchive() {}

int KResourceArchive::open(const char *path) { return KResource::open(path, K_RES_READ); }

int KResourceArchive::openResource(const char *name, KResource *resource) {
  char searched[260];
  std::snprintf(searched, sizeof searched, "%s", name ? name : "");
  for (char *p = searched; *p; p++)
    if (*p == '\\') *p = '/';

  int rc = seek(K_RES_BEGIN, 0);
  if (rc != 0) return rc;
  struct stat st;
  if (fstat(fileno(file), &st) != 0) return 106;
  const unsigned long archiveSize = static_cast<unsigned long>(st.st_size);
  unsigned char header[512];
  for (;;) {
    rc = read(header, sizeof header);
    if (rc != 0) return rc;
    bool zero = true;
    for (unsigned char b : header)
      if (b) zero = false;
    if (zero) return 104;

    // The size field is 12 bytes of octal digits; never read past it.
    char sizeField[13];
    std::memcpy(sizeField, header + 124, 12);
    sizeField[12] = 0;
    unsigned long size = std::strtoul(sizeField, nullptr, 8);

    // A member that claims more than the rest of the archive is a damaged
    // (or lying) archive: the search ends rather than trusting the claim.
    const long here = std::ftell(file);
    if (here < 0 || size > archiveSize - static_cast<unsigned long>(here)) return 106;

    char type = static_cast<char>(header[156]);
    if ((type == '0' || type == 0) && std::strncmp(reinterpret_cast<char *>(header), searched, 100) == 0)
      return resource->open(this, static_cast<unsigned int>(size));

    long skip = static_cast<long>((size + 511) / 512 * 512);
    if (std::fseek(file, skip, SEEK_CUR) != 0) return 106;
  }
}

// A resource's archives are made here: the archive knows the resource it
// is, the resource never the archive.
int KResource::addArchive(const char *path) {
  KResourceArchive *archive = new KResourceArchive();
  int rc = archive->open(path);
  if (rc != 0) {
    delete archive;
    return rc;
  }
  _lArchives.append(archive);
  return 0;
}

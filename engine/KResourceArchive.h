#pragma once

#include "KResource.h"

/// A tar archive opened as a resource, whose members can be opened by name.
/// Only the member name (100 bytes), the octal size and the type flag of
/// each header are read; a zero block ends the archive.
class KResourceArchive : public KResource {
public:
  KResourceArchive();
  ~KResourceArchive() override;

  /// Opens the archive file itself (looked up like any resource).
  int open(const char *path);
  /// Finds the regular-file member `name` (backslashes or slashes) and opens it into `resource`.
  int openResource(const char *name, KResource *resource) override;
};

#pragma once

#include <cstdio>

#include "KList.h"
#include "KObjectListable.h"

/// Open modes of a resource: reading is the only one.
enum KResourceMode { K_RES_READ = 1000 };
/// Seek origins.
enum KResourceWhence { K_RES_BEGIN = 0, K_RES_CURRENT = 1, K_RES_END = 2 };

/// The most bytes the engine reads or decodes into memory from one file or
/// archive member (256 MiB, minutes of CD-quality sound or a 64-megapixel
/// picture): more is refused as damaged or hostile rather than allocated.
const unsigned long K_MAX_LOADED_BYTES = 256UL << 20;

/// A data file read either as a plain file or as a member of a registered
/// tar archive. Every operation that can fail returns a code:
///   0 success; 100 already open / not open / no members here;
///   101 bad mode on read; 102 mode other than read, or a bad seek origin;
///   104 plain file cannot be opened, or name not in the archive;
///   106 short read or zero-byte read, the archive has no file, or an
///       archive member claims more bytes than the archive holds.
class KResource : public KObjectListable {
public:
  KResource();
  /// Closes the resource.
  ~KResource() override;

  /// Opens `name`: first as a member of each registered archive in turn,
  /// then as a plain file. A name under the data folder is searched in the
  /// archives by its path below that folder, lower-cased.
  int open(const char *name, KResourceMode mode);
  /// Makes this resource a view of the `size`-byte member that starts at
  /// the archive's current file position. The archive's file is shared.
  int open(KResource *archive, unsigned int size);
  /// Moves within the resource. From the end, a member counts `offset`
  /// bytes back from its end; a plain file follows stdio.
  int seek(KResourceWhence origin, int offset);
  /// The position relative to the resource's first byte.
  int tell(int &position);
  /// Reads exactly `length` bytes, or fails with 106.
  int read(void *destination, unsigned long length);
  /// Closes the resource; a member leaves the archive's file open.
  void close();

  /// Registers the tar archive at `path`; it is searched by every later open.
  /// (Defined with KResourceArchive, which it makes.)
  static int addArchive(const char *path);
  /// Searches this resource for a member called `name` and opens it into
  /// `resource`. A plain resource holds none: 100.
  virtual int openResource(const char *name, KResource *resource);

  FILE *file;
  bool sharedFile;
  int openMode;
  long baseOffset;
  unsigned long resourceSize;

  static KList<KResource> _lArchives;
};

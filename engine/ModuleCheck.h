#pragma once

// A guard in front of the module library, which trusts what a module file
// declares: a pattern of 0 rows makes it loop for ever, and a sample length
// of 2 GiB in a 700-byte file makes it allocate 2 GiB. Before a module is
// handed over, its declared structure is checked against the file itself.

#include <cstddef>

namespace modulecheck {

/// Whether an IT, XM or S3M module's patterns have rows and its declared
/// patterns and samples lie within the `size` bytes at `data`. Files of
/// other kinds (MOD, whose sizes its own format bounds) pass: the library
/// decides whether it can read them.
bool fitsItsFile(const unsigned char *data, size_t size);

} // namespace modulecheck

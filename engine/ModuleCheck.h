#pragma once

// A guard in front of the module library, which trusts what a module file
// declares: a pattern of 0 rows makes it loop for ever, a sample length of
// 2 GiB in a 700-byte file makes it allocate 2 GiB, a tempo or a sample rate
// of 0 makes it divide by zero, a sample rate of 2^31 makes it step for
// minutes, a compressed stereo sample makes it end the program.
// Before a module is handed over, what it declares is checked against the
// file itself and against what the library can take.

#include <cstddef>

namespace modulecheck {

/// Whether an IT, XM or S3M module starts at a speed and a tempo, its
/// patterns have rows, its samples have rates the library can take, and its
/// declared patterns and samples lie within the `size` bytes at `data`. Files of
/// other kinds (MOD, whose sizes its own format bounds) pass: the library
/// decides whether it can read them.
bool fitsItsFile(const unsigned char *data, size_t size);

} // namespace modulecheck

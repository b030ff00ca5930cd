#pragma once

// The translations of the program's own texts into one language, read from
// a compiled gettext catalogue (an ".mo" file, as msgfmt writes it). Read
// without the C library's gettext, so that a language needs no locale
// generated on the machine.

#include <cstddef>
#include <string>
#include <unordered_map>

class Catalogue {
public:
  /// Reads the compiled catalogue at `path`. False, leaving the catalogue
  /// empty, when the file is missing, not a regular file, larger than a
  /// catalogue of ours can be, of another kind or damaged; `error` then
  /// says which (`missing` tells a file that is not there at all).
  bool load(const std::string &path, std::string &error, bool &missing);
  bool load(const std::string &path) {
    std::string error;
    bool missing;
    return load(path, error, missing);
  }
  /// The same, from the file's bytes.
  bool read(const std::string &bytes);

  /// The translation of `text`; `text` itself when there is none.
  const char *translate(const char *text) const;
  /// The translation of `text` said in `context` (a message's msgctxt).
  const char *translate(const char *context, const char *text) const;
  /// How many messages are translated.
  size_t size() const { return messages_.size(); }

private:
  std::unordered_map<std::string, std::string> messages_;
};

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
  /// empty, when the file is missing, of another kind or damaged.
  bool load(const std::string &path);
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

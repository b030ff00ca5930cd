#include "catalogue.h"

#include <cstdint>
#include <iterator>

#include "storage.h"

namespace {
const uint32_t kMagic = 0x950412de;
// A catalogue holds a few hundred short texts; a larger file is not ours.
const size_t kMaxFileSize = 1 << 20;
// Between a message's context and its text, as msgfmt joins them.
const char kContextEnd = '\004';

struct Reader {
  const std::string &bytes;
  bool swapped;
  bool word(size_t at, uint32_t &out) const {
    if (at > bytes.size() || bytes.size() - at < 4) return false;
    const auto *b = reinterpret_cast<const unsigned char *>(bytes.data() + at);
    out = swapped ? uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3]
                  : uint32_t(b[3]) << 24 | uint32_t(b[2]) << 16 | uint32_t(b[1]) << 8 | b[0];
    return true;
  }
  // Entry i of a table of (length, offset) pairs: the text it points at.
  bool text(uint32_t table, uint32_t i, std::string &out) const {
    uint32_t length, offset;
    const size_t at = size_t(table) + size_t(i) * 8;
    if (!word(at, length) || !word(at + 4, offset)) return false;
    if (offset > bytes.size() || bytes.size() - offset < size_t(length) + 1) return false;
    out.assign(bytes, offset, length);
    return true;
  }
};
} // namespace

bool Catalogue::load(const std::string &path, std::string &error, bool &missing) {
  messages_.clear();
  std::string bytes;
  missing = !fileThere(path);
  if (!readFile(path, kMaxFileSize, bytes, error)) return false;
  if (read(bytes)) return true;
  error = "not a compiled catalogue, or a damaged one";
  return false;
}

bool Catalogue::read(const std::string &bytes) {
  messages_.clear();
  Reader r{bytes, false};
  uint32_t magic, revision, count, originals, translations;
  if (!r.word(0, magic)) return false;
  if (magic != kMagic) {
    r.swapped = true;
    if (!r.word(0, magic) || magic != kMagic) return false;
  }
  // Revision 0 and 1 (minor) share the tables read here.
  if (!r.word(4, revision) || revision >> 16 != 0) return false;
  if (!r.word(8, count) || !r.word(12, originals) || !r.word(16, translations)) return false;
  if (count > bytes.size() / 16) return false;
  std::unordered_map<std::string, std::string> messages;
  // The texts of a catalogue lie side by side in it: together they are no
  // longer than the file. Tables that point many times at one long text
  // would otherwise copy it over and over.
  size_t copied = 0;
  for (uint32_t i = 0; i < count; i++) {
    std::string original, translation;
    if (!r.text(originals, i, original) || !r.text(translations, i, translation)) return false;
    copied += original.size() + translation.size();
    if (copied > bytes.size()) return false;
    // The header (the empty text) says who translated; a plural's forms are
    // not used by this program.
    if (original.empty() || translation.empty()) continue;
    messages.emplace(original.substr(0, original.find('\0')), translation.substr(0, translation.find('\0')));
  }
  messages_.swap(messages);
  return true;
}

const char *Catalogue::translate(const char *text) const {
  auto found = messages_.find(text);
  return found == messages_.end() ? text : found->second.c_str();
}

const char *Catalogue::translate(const char *context, const char *text) const {
  auto found = messages_.find(std::string(context) + kContextEnd + text);
  return found == messages_.end() ? text : found->second.c_str();
}

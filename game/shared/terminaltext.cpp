#include "terminaltext.h"

#include <algorithm>
#include <string_view>

namespace terminal {
namespace {

// One character of a UTF-8 text: its code point and where its bytes lie.
struct Character {
  char32_t code;
  size_t at, size;
};

std::vector<Character> characters(const std::string &text) {
  std::vector<Character> out;
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t size = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xe ? 3 : (lead >> 3) == 0x1e ? 4 : 0;
    char32_t code = size == 1 ? lead : size == 2 ? lead & 0x1f : size == 3 ? lead & 0x0f : lead & 0x07;
    bool whole = size > 0 && i + size <= text.size();
    for (size_t k = 1; whole && k < size; k++) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      whole = (next & 0xc0) == 0x80;
      code = (code << 6) | (next & 0x3f);
    }
    // A malformed byte stands for itself, one column wide.
    if (!whole) size = 1, code = lead;
    out.push_back({code, i, size});
    i += size;
  }
  return out;
}

struct Range {
  char32_t first, last;
};

bool within(char32_t c, const Range *ranges, size_t count) {
  for (size_t i = 0; i < count; i++)
    if (c >= ranges[i].first && c <= ranges[i].last) return true;
  return false;
}

// Wide and full-width characters: Hangul, the CJK blocks, kana, full-width
// forms, the common emoji.
const Range kWide[] = {{0x1100, 0x115f},   {0x2329, 0x232a},   {0x2e80, 0x303e},   {0x3041, 0x33ff},
                       {0x3400, 0x4dbf},   {0x4e00, 0x9fff},   {0xa000, 0xa4cf},   {0xac00, 0xd7a3},
                       {0xf900, 0xfaff},   {0xfe30, 0xfe4f},   {0xff00, 0xff60},   {0xffe0, 0xffe6},
                       {0x1f300, 0x1f64f}, {0x1f900, 0x1f9ff}, {0x20000, 0x2fffd}, {0x30000, 0x3fffd}};
// Combining marks and zero-width characters.
const Range kZero[] = {{0x0300, 0x036f}, {0x0483, 0x0489}, {0x200b, 0x200f}, {0x2060, 0x2064}, {0xfe00, 0xfe0f},
                       {0xfeff, 0xfeff}};

bool wide(char32_t c) { return within(c, kWide, sizeof kWide / sizeof *kWide); }

int width(char32_t c) {
  if (within(c, kZero, sizeof kZero / sizeof *kZero)) return 0;
  return wide(c) ? 2 : 1;
}

// Punctuation that closes (no line may start with it) and that opens (no line
// may end with it), in Western and East Asian texts; small kana and the
// prolonged sound mark stay with the character before them.
constexpr std::u32string_view kClosing = U")]},.:;!?%\u00bb\u2019\u201d\u3001\u3002\u3009\u300b\u300d\u300f\u3011\u3015"
                                U"\u30fc\u2026\u3005\u3041\u3043\u3045\u3047\u3049\u3063\u3083\u3085\u3087\u308e"
                                U"\u30a1\u30a3\u30a5\u30a7\u30a9\u30c3\u30e3\u30e5\u30e7\u30ee\u30f5\u30f6\u30fb"
                                U"\uff01\uff09\uff0c\uff0e\uff1a\uff1b\uff1f\uff3d\uff5d";
constexpr std::u32string_view kOpening = U"([{\u00ab\u2018\u201c\u3008\u300a\u300c\u300e\u3010\u3014\uff08\uff3b\uff5b";

bool closing(char32_t c) { return kClosing.find(c) != std::u32string_view::npos; }
bool opening(char32_t c) { return kOpening.find(c) != std::u32string_view::npos; }

// A line may break between `before` and `after` (neither a space) only
// beside a wide character, and not into punctuation that must stay.
bool breakBetween(char32_t before, char32_t after) {
  return (wide(before) || wide(after)) && !closing(after) && !opening(before);
}

// A piece of text no line breaks inside, and whether a space comes before it.
struct Piece {
  std::string text;
  int columns;
  bool spaced;
};

std::vector<Piece> pieces(const std::string &text) {
  std::vector<Piece> out;
  bool spaced = false, open = false;
  char32_t last = 0;
  for (const Character &c : characters(text)) {
    if (c.code == U' ' || c.code == U'\t' || c.code == U'\n') {
      spaced = true;
      open = false;
      continue;
    }
    if (!open || breakBetween(last, c.code)) {
      out.push_back({{}, 0, spaced && !out.empty()});
      spaced = false;
      open = true;
    }
    out.back().text.append(text, c.at, c.size);
    out.back().columns += width(c.code);
    last = c.code;
  }
  return out;
}

// `piece` cut into parts of at most `width` columns (a word longer than a line).
std::vector<Piece> cut(const Piece &piece, int width) {
  std::vector<Piece> out{{{}, 0, piece.spaced}};
  for (const Character &c : characters(piece.text)) {
    const int w = terminal::width(c.code);
    if (out.back().columns > 0 && out.back().columns + w > width) out.push_back({{}, 0, false});
    out.back().text.append(piece.text, c.at, c.size);
    out.back().columns += w;
  }
  return out;
}

} // namespace

int displayWidth(const std::string &text) {
  int columns = 0;
  for (const Character &c : characters(text)) columns += width(c.code);
  return columns;
}

std::vector<std::string> wrap(const std::string &text, int width) {
  width = std::max(width, 2);
  std::vector<std::string> lines;
  std::string line;
  int used = 0;
  for (const Piece &whole : pieces(text)) {
    for (const Piece &p : whole.columns > width ? cut(whole, width) : std::vector<Piece>{whole}) {
      const int space = p.spaced && used > 0 ? 1 : 0;
      if (used > 0 && used + space + p.columns > width) {
        lines.push_back(line);
        line.clear();
        used = 0;
      } else if (space) {
        line += ' ';
        used++;
      }
      line += p.text;
      used += p.columns;
    }
  }
  if (!line.empty() || lines.empty()) lines.push_back(line);
  return lines;
}

std::string paragraph(const std::string &text, int width, int indent) {
  std::string out;
  for (const std::string &line : wrap(text, width - indent)) out += std::string(indent, ' ') + line + '\n';
  return out;
}

int descriptionColumn(const std::vector<Row> &rows, int indent, int gap, int limit) {
  int widest = 0;
  for (const Row &r : rows) widest = std::max(widest, displayWidth(r.term));
  return std::min(indent + widest + gap, limit);
}

std::string table(const std::vector<Row> &rows, int indent, int column, int width) {
  std::string out;
  for (const Row &r : rows) {
    std::string line = std::string(indent, ' ') + r.term;
    int used = indent + displayWidth(r.term);
    // A term that leaves less than two spaces before the descriptions'
    // column stands on its own line.
    if (used + 2 > column) {
      out += line + '\n';
      line.clear();
      used = 0;
    }
    for (const std::string &part : wrap(r.description, width - column)) {
      out += part.empty() ? line + '\n' : line + std::string(column - used, ' ') + part + '\n';
      line.clear();
      used = 0;
    }
  }
  return out;
}

} // namespace terminal

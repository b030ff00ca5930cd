#pragma once

// Printed text laid out for a terminal, in any language: the columns a UTF-8
// text takes (two for a wide East Asian character), paragraphs wrapped to a
// width, and tables of terms (options, keys) with their descriptions in one
// column.

#include <string>
#include <vector>

namespace terminal {

/// The columns `text` (UTF-8) takes on a terminal: two for a wide or
/// full-width character, none for a combining mark or a zero-width one, one
/// for anything else (a malformed byte included).
int displayWidth(const std::string &text);

/// `text` broken into lines of at most `width` columns: at spaces (which the
/// break drops), and beside wide characters, but never before closing
/// punctuation or after opening punctuation. A word longer than a line is cut.
std::vector<std::string> wrap(const std::string &text, int width);

/// `text` wrapped to `width` columns, every line indented by `indent` spaces
/// and ended by a newline.
std::string paragraph(const std::string &text, int width, int indent = 0);

/// A line of a table: what is typed or pressed, and what it does.
struct Row {
  std::string term, description;
};

/// The column the descriptions of `rows` start at: after `indent`, the widest
/// term and `gap` spaces, but no further than `limit` (a wider term then
/// stands on a line of its own).
int descriptionColumn(const std::vector<Row> &rows, int indent, int gap, int limit);

/// `rows` laid out within `width` columns: each term after `indent` spaces,
/// each description from `column` on, wrapped, its further lines starting in
/// that column too.
std::string table(const std::vector<Row> &rows, int indent, int column, int width);

} // namespace terminal

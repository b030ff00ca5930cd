// Text laid out for a terminal: widths, wrapping and tables, in Latin,
// Cyrillic and East Asian scripts.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "terminaltext.h"

namespace {
using terminal::displayWidth;
using terminal::wrap;

std::vector<std::string> lines(const std::string &text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// The text without its spaces and line ends: what wrapping must keep.
std::string compact(const std::string &s) {
  std::string out;
  for (char c : s)
    if (c != ' ' && c != '\n') out += c;
  return out;
}

// The column a line's description starts at: after the indent, the term
// and at least two spaces; a line of nothing but indent is a continuation.
int descriptionStart(const std::string &line) {
  size_t at = line.find_first_not_of(' ');
  const size_t gap = line.find("  ", at);
  if (at >= 4 || gap == std::string::npos) return displayWidth(line.substr(0, at));
  return displayWidth(line.substr(0, line.find_first_not_of(' ', gap)));
}

TEST(TerminalText, WidthCountsColumnsNotBytes) {
  EXPECT_EQ(displayWidth("Esc"), 3);
  EXPECT_EQ(displayWidth("Échap, Entrée"), 13);
  EXPECT_EQ(displayWidth("Пробел"), 6);
  EXPECT_EQ(displayWidth("スペース"), 8);
  EXPECT_EQ(displayWidth("空格、Esc"), 9);
  EXPECT_EQ(displayWidth("ＡＢ"), 4);   // full-width Latin
  EXPECT_EQ(displayWidth("e\u0301"), 1); // a combining accent takes no column
  // Malformed: a stray continuation byte and a cut sequence count a column a byte.
  EXPECT_EQ(displayWidth("a\x80z"), 3);
  EXPECT_EQ(displayWidth("\xe3\x82"), 2);
}

TEST(TerminalText, WrapsAtSpacesWithinTheWidth) {
  const std::string text = "pull the ball back with the mouse and let go, or hold Space, pull with the arrows";
  for (int width : {10, 17, 30, 79}) {
    std::string joined;
    for (const std::string &line : wrap(text, width)) {
      EXPECT_LE(displayWidth(line), width) << line;
      EXPECT_NE(line.front(), ' ');
      EXPECT_NE(line.back(), ' ');
      joined += (joined.empty() ? "" : " ") + line;
    }
    EXPECT_EQ(joined, text) << "width " << width;
  }
  EXPECT_EQ(wrap("short", 80), std::vector<std::string>{"short"});
  EXPECT_EQ(wrap("", 80), std::vector<std::string>{""});
}

TEST(TerminalText, CutsAWordLongerThanALine) {
  const auto out = wrap("a Bildschirmfotografie b", 8);
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[0], "a");
  EXPECT_EQ(out[1], "Bildschi");
  EXPECT_EQ(out[2], "rmfotogr");
  EXPECT_EQ(out[3], "afie b");
}

TEST(TerminalText, BreaksEastAsianTextBetweenCharactersButNotBeforeClosingMarks) {
  const std::string text = "ゲームパッドはスティックで引き、Aで投げる。「もどる」でメニューへ。";
  for (int width : {6, 7, 10, 13, 20}) {
    std::string joined;
    for (const std::string &line : wrap(text, width)) {
      EXPECT_LE(displayWidth(line), width) << line;
      for (const char *closing : {"、", "。", "」"}) EXPECT_NE(line.rfind(closing, 0), 0u) << "starts with " << line;
      const std::string opening = "「";
      const bool endsOpening = line.size() >= opening.size() &&
                               line.compare(line.size() - opening.size(), opening.size(), opening) == 0;
      EXPECT_FALSE(endsOpening) << "ends with " << line;
      joined += line;
    }
    EXPECT_EQ(joined, text) << "width " << width; // no space added or lost
  }
  // A Latin word inside East Asian text stays whole.
  std::string words;
  for (const std::string &line : wrap("メニュー：矢印キー、Tab、Enter、Esc でもどる", 9)) words += line + "|";
  for (const char *word : {"Tab", "Enter", "Esc"}) EXPECT_NE(words.find(word), std::string::npos) << words;
  const auto mixed = wrap("空格键Backspace退格", 12);
  EXPECT_EQ(mixed, (std::vector<std::string>{"空格键", "Backspace退", "格"}));
}

TEST(TerminalText, TableKeepsEveryDescriptionInOneColumn) {
  const std::vector<terminal::Row> rows = {{"P, Échap", "pause et reprise"},
                                           {"Ctrl+Plus, Ctrl+Moins", "une fenêtre plus grande, plus petite, par "
                                                                     "paliers entiers, dans les limites du bureau"},
                                           {"スペース", "ハイスコア画面で表を初期化する。ゲームオーバーのあとはもう一度プレイ"}};
  const int column = terminal::descriptionColumn(rows, 2, 2, 30);
  EXPECT_EQ(column, 2 + 21 + 2);
  const std::string out = terminal::table(rows, 2, column, 50);
  const auto printed = lines(out);
  EXPECT_GT(printed.size(), rows.size()); // the long descriptions went on
  for (const std::string &line : printed) {
    EXPECT_LE(displayWidth(line), 50) << line;
    EXPECT_EQ(descriptionStart(line), column) << line;
  }
  // Nothing lost: the terms and descriptions, in order.
  std::string all;
  for (const auto &r : rows) all += r.term + r.description;
  EXPECT_EQ(compact(out), compact(all));
}

TEST(TerminalText, ATermWiderThanItsLimitStandsOnItsOwnLine) {
  const std::vector<terminal::Row> rows = {{"--help", "print this text"},
                                           {"--replay-check FICHIER-TRÈS-LONG", "rejoue une partie"}};
  const int column = terminal::descriptionColumn(rows, 2, 2, 20);
  EXPECT_EQ(column, 20);
  const auto printed = lines(terminal::table(rows, 2, column, 80));
  ASSERT_EQ(printed.size(), 3u);
  EXPECT_EQ(printed[0], "  --help            print this text");
  EXPECT_EQ(printed[1], "  --replay-check FICHIER-TRÈS-LONG");
  EXPECT_EQ(printed[2], std::string(20, ' ') + "rejoue une partie");
  // A term that would leave a single space before its description moves too.
  const auto tight = lines(terminal::table({{"abcdefghij", "x"}}, 2, 13, 80));
  EXPECT_EQ(tight.size(), 2u);
}

TEST(TerminalText, ParagraphIndentsEveryLine) {
  EXPECT_EQ(lines(terminal::paragraph("one two three four five six", 12, 3)),
            (std::vector<std::string>{"   one two", "   three", "   four five", "   six"}));
}
} // namespace

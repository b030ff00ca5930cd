#include "sentpanel.h"

#include <vector>

#include "layout.h"

using namespace layout;

namespace {
const float kPanelColour[3] = {0.08f, 0.12f, 0.3f}, kPanelBlend = 0.95f;
const int kLineGap = 4, kMostPathLines = 4;

void drawAt(KGraphic &sheet, const Rect &r, int x, int y) {
  sheet.blitAlphaRect(r.x1, r.y1, r.x2, r.y2, static_cast<short>(x), static_cast<short>(y), false, false);
}

// `text` in lines of at most `columns` characters, broken after a '/'
// where one is near the end, else where the line is full.
std::vector<std::string> wrapped(const std::string &text, size_t columns) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t length = std::min(columns, text.size() - at);
    if (at + length < text.size()) {
      const size_t slash = text.rfind('/', at + length - 1);
      if (slash != std::string::npos && slash > at + columns / 2) length = slash + 1 - at;
    }
    lines.push_back(text.substr(at, length));
    at += length;
  }
  return lines;
}

// A line of text in the sheet's glyphs; a byte outside them as '?'.
void drawGlyphs(KGraphic &sheet, int x, int y, const std::string &line) {
  for (unsigned char c : line) {
    drawAt(sheet, glyph(c >= kGlyphFirst && c <= kGlyphLast ? static_cast<char>(c) : '?'), x, y);
    x += kGlyphWidth;
  }
}
} // namespace

void showSentPanel(SentPanel &panel, bool written, const std::string &path, bool pathShown, bool linked) {
  panel.shown = true;
  panel.written = written;
  panel.path = path;
  panel.pathShown = pathShown && written;
  panel.linked = linked;
}

bool doSentPanel(SentPanel &panel, const Controls &controls) {
  if (panel.shown && controls.anyPressed()) panel.shown = false;
  return panel.shown;
}

void drawSentPanel(const SentPanel &panel, KGraphic &sheet) {
  if (!panel.shown) return;
  const Rect &r = kSentPanel;
  sheet.drawRect(static_cast<float>(r.x1), static_cast<float>(r.y1), static_cast<float>(r.x2), static_cast<float>(r.y2),
                 kPanelColour[0], kPanelColour[1], kPanelColour[2], kPanelBlend);
  int y = kSentLineY;
  drawAt(sheet, kSendButton, (kScreenWidth - kSendButton.w()) / 2, r.y1 - kSendButton.h() / 2);
  if (panel.pathShown || !panel.written) {
    drawAt(sheet, panel.written ? kSentWritten : kSentNotWritten, kSentTextX, y);
    y += kSentWritten.h() + kLineGap;
  }
  if (panel.pathShown) {
    const std::vector<std::string> lines = wrapped(panel.path, static_cast<size_t>((r.w() - 2 * (kSentTextX - r.x1)) / kGlyphWidth));
    for (size_t i = 0; i < lines.size() && i < kMostPathLines; i++) {
      drawGlyphs(sheet, kSentTextX, y, lines[i]);
      y += kGlyphHeight;
    }
    y += kLineGap;
  }
  drawAt(sheet, panel.linked ? kLinkCopied : kNoLink, kSentTextX, y);
  drawAt(sheet, kSentGoOn, kSentTextX, r.y2 - kSentGoOn.h() - kLineGap);
}

std::string pathForPlayer(const std::string &path, const std::string &home) {
  if (!home.empty() && path.compare(0, home.size(), home) == 0 && path.size() > home.size() && path[home.size()] == '/')
    return "~" + path.substr(home.size());
  return path;
}

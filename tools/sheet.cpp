#include "sheet.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "catalogue.h"
#include "language.h"
#include "layout.h"

namespace {
using namespace layout;
const double kPi = 3.14159265358979;
const char *const kFont = "DejaVu Sans";

struct Colour {
  double r, g, b;
};
// The five brick colours, told apart by a symbol as well as by hue.
const Colour kBrickColours[5] = {{0.90, 0.22, 0.25}, {0.98, 0.70, 0.12}, {0.25, 0.75, 0.30}, {0.20, 0.50, 0.95},
                                 {0.62, 0.32, 0.85}};

void roundRect(cairo_t *c, double x, double y, double w, double h, double r) {
  cairo_new_sub_path(c);
  cairo_arc(c, x + w - r, y + r, r, -kPi / 2, 0);
  cairo_arc(c, x + w - r, y + h - r, r, 0, kPi / 2);
  cairo_arc(c, x + r, y + h - r, r, kPi / 2, kPi);
  cairo_arc(c, x + r, y + r, r, kPi, 3 * kPi / 2);
  cairo_close_path(c);
}

void vertical(cairo_t *c, double y1, double y2, Colour top, Colour bottom, double alpha = 1) {
  cairo_pattern_t *p = cairo_pattern_create_linear(0, y1, 0, y2);
  cairo_pattern_add_color_stop_rgba(p, 0, top.r, top.g, top.b, alpha);
  cairo_pattern_add_color_stop_rgba(p, 1, bottom.r, bottom.g, bottom.b, alpha);
  cairo_set_source(c, p);
  cairo_pattern_destroy(p);
}

Colour shade(Colour k, double f) {
  auto s = [f](double v) { return f >= 1 ? v + (1 - v) * (f - 1) : v * f; };
  return {s(k.r), s(k.g), s(k.b)};
}

// ---- words ------------------------------------------------------------------
// Every text is looked up in the catalogue of the language being drawn
// (none: English) and laid out by Pango, which shapes any script and falls
// back to a font that has its glyphs.
const Catalogue *gWords = nullptr;
const char *gLanguage = kDefaultLanguage;
std::vector<TextFit> gFits; // every text drawn, and the size it ended at

const char *tr(const char *t) { return gWords ? gWords->translate(t) : t; }
const char *trc(const char *context, const char *t) { return gWords ? gWords->translate(context, t) : t; }
#define N_(t) t

// The smallest text a player still reads at the game's size without zooming,
// and how far a large text may shrink to fit.
const double kMinTextSize = 10, kMinShrink = 0.6;
const double kShrinkStep = 0.5;
// The room between a paragraph's lines, beyond their fonts' own, in text
// sizes (a fixed gap: the fonts of some scripts have taller lines already).
const double kLineGap = 0.15;

struct Box {
  double w, h;
};

// A text at its own size keeps Pango's glyph positions, rounded to whole
// pixels; a shrunk one is laid out unrounded, so that it narrows evenly with
// its size (rounded, a small text barely narrows as it shrinks).
PangoLayout *layoutOf(cairo_t *c, const char *t, double size, bool bold, double wrap, bool rounded = true) {
  PangoLayout *l = pango_cairo_create_layout(c);
  PangoContext *context = pango_layout_get_context(l);
  pango_context_set_round_glyph_positions(context, rounded);
  // The same pixels on every machine, whatever its font configuration says.
  cairo_font_options_t *options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  pango_cairo_context_set_font_options(context, options);
  cairo_font_options_destroy(options);
  // Han characters take their Japanese or Chinese forms from the language.
  pango_context_set_language(context, pango_language_from_string(gLanguage));
  pango_layout_context_changed(l);
  PangoFontDescription *font = pango_font_description_new();
  pango_font_description_set_family(font, kFont);
  pango_font_description_set_weight(font, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_absolute_size(font, size * PANGO_SCALE);
  pango_layout_set_font_description(l, font);
  pango_font_description_free(font);
  if (wrap > 0) {
    pango_layout_set_spacing(l, static_cast<int>(kLineGap * size * PANGO_SCALE));
    pango_layout_set_width(l, static_cast<int>(wrap * PANGO_SCALE));
    // Between words only: a word wider than the line overflows it, and the
    // text is then shrunk, never broken inside a word.
    pango_layout_set_wrap(l, PANGO_WRAP_WORD);
  }
  pango_layout_set_text(l, t, -1);
  return l;
}

struct Extents {
  double x, y, w, h;
};
// The ink of a single line; the lines' own height for wrapped text.
Extents extentsOf(PangoLayout *l, bool wrapped) {
  PangoRectangle ink, logical;
  pango_layout_get_extents(l, &ink, &logical);
  const PangoRectangle &r = wrapped ? logical : ink;
  return {double(r.x) / PANGO_SCALE, double(r.y) / PANGO_SCALE, double(r.width) / PANGO_SCALE,
          double(r.height) / PANGO_SCALE};
}

struct Fit {
  PangoLayout *layout;
  double size;
  bool fits;
  Extents extents;
};
// `t` laid out at `from` (at most `size`), made smaller until it fits `box`
// (a wrapped text: `box.w` wide, its lines no taller than `box.h`), but never
// below the floor: a text that does not fit there is laid out there anyway.
Fit fit(cairo_t *c, const char *t, double size, bool bold, Box box, bool wrap, double from) {
  const double floor = std::max(kMinTextSize, size * kMinShrink);
  for (double s = std::min(from, size);; s -= kShrinkStep) {
    PangoLayout *l = layoutOf(c, t, s, bold, wrap ? box.w : -1, s == size);
    const Extents e = extentsOf(l, wrap);
    const bool fits = e.w <= box.w && e.h <= box.h;
    if (fits || s - kShrinkStep < floor) return {l, s, fits, e};
    g_object_unref(l);
  }
}

// The size `t` fits `box` at, starting from `size` (see fit).
double fittingSize(cairo_t *c, const char *t, double size, bool bold, Box box) {
  const Fit f = fit(c, t, size, bold, box, false, size);
  g_object_unref(f.layout);
  return f.size;
}

// `t` fitted as fit() does, and kept in the report with the size it ended at;
// one that does not fit is reported with the room it needed.
PangoLayout *fitted(cairo_t *c, const char *t, double size, bool bold, Box box, bool wrap = false,
                    double from = 1e9) {
  const Fit f = fit(c, t, size, bold, box, wrap, from);
  TextFit report{gLanguage, t, size, f.size, f.fits, {}};
  if (!f.fits) {
    char problem[160];
    std::snprintf(problem, sizeof problem, "needs %.0fx%.0f px at %.1f px, its box is %.0fx%.0f", f.extents.w,
                  f.extents.h, f.size, box.w, box.h);
    report.problem = problem;
  }
  gFits.push_back(report);
  return f.layout;
}

void show(cairo_t *c, PangoLayout *l, double x, double y, Colour k) {
  cairo_set_source_rgb(c, k.r, k.g, k.b);
  cairo_move_to(c, x, y);
  pango_cairo_show_layout(c, l);
}

// Text centred on (cx, cy) within `box`, with a soft shadow below and to the
// right: across by its ink, up and down by its line (so that accents and
// descenders do not move a word, in any script). It starts shrinking from
// `from` when that is below its size (to match a text it goes with).
void text(cairo_t *c, const char *t, double cx, double cy, double size, Colour k, Box box, bool bold = true,
          double shadow = 0.45, double from = 1e9) {
  PangoLayout *l = fitted(c, t, size, bold, box, false, from);
  const Extents ink = extentsOf(l, false), line = extentsOf(l, true);
  const double x = cx - ink.w / 2 - ink.x, y = cy - line.h / 2 - line.y;
  if (shadow > 0) {
    cairo_move_to(c, x + size * 0.06, y + size * 0.08);
    cairo_set_source_rgba(c, 0, 0, 0, shadow);
    pango_cairo_show_layout(c, l);
  }
  show(c, l, x, y, k);
  g_object_unref(l);
}

// Text whose first line's baseline starts at (x, y), within `box` (wrapped
// to its width when `wrap`).
void leftText(cairo_t *c, const char *t, double x, double y, double size, Colour k, Box box, bool wrap = false) {
  PangoLayout *l = fitted(c, t, size, false, box, wrap);
  show(c, l, x, y - double(pango_layout_get_baseline(l)) / PANGO_SCALE, k);
  g_object_unref(l);
}

// Text wrapped to `box`'s width, starting at x; its lines' top at y, or with
// `centred`, their middle.
void leftBlock(cairo_t *c, const char *t, double x, double y, double size, Colour k, Box box, bool centred) {
  PangoLayout *l = fitted(c, t, size, false, box, true);
  const Extents lines = extentsOf(l, true);
  show(c, l, x, y - (centred ? lines.h / 2 : 0) - lines.y, k);
  g_object_unref(l);
}

void clip(cairo_t *c, Rect r) {
  cairo_save(c);
  cairo_rectangle(c, r.x1, r.y1, r.w(), r.h());
  cairo_clip(c);
}

void symbol(cairo_t *c, int kind, double cx, double cy, double s) {
  cairo_new_path(c);
  switch (kind) {
  case 0: cairo_arc(c, cx, cy, s, 0, 2 * kPi); break;
  case 1: cairo_rectangle(c, cx - s * 0.85, cy - s * 0.85, s * 1.7, s * 1.7); break;
  case 2:
    cairo_move_to(c, cx, cy - s);
    cairo_line_to(c, cx + s, cy + s * 0.8);
    cairo_line_to(c, cx - s, cy + s * 0.8);
    cairo_close_path(c);
    break;
  case 3:
    cairo_move_to(c, cx, cy - s * 1.1);
    cairo_line_to(c, cx + s, cy);
    cairo_line_to(c, cx, cy + s * 1.1);
    cairo_line_to(c, cx - s, cy);
    cairo_close_path(c);
    break;
  default:
    for (int i = 0; i < 10; i++) {
      double a = -kPi / 2 + i * kPi / 5, rr = i % 2 ? s * 0.45 : s * 1.1;
      if (i == 0) cairo_move_to(c, cx + rr * std::cos(a), cy + rr * std::sin(a));
      else cairo_line_to(c, cx + rr * std::cos(a), cy + rr * std::sin(a));
    }
    cairo_close_path(c);
    break;
  }
}

void drawBrick(cairo_t *c, Rect r, int k) {
  clip(c, r);
  const double x = r.x1 + 1, y = r.y1 + 1, w = r.w() - 2, h = r.h() - 2;
  Colour base = k < 5 ? kBrickColours[k] : Colour{0.58, 0.62, 0.68};
  if (k == 7) base = shade(base, 0.85);
  roundRect(c, x, y, w, h, 5);
  vertical(c, y, y + h, shade(base, 1.35), shade(base, 0.7));
  cairo_fill_preserve(c);
  cairo_set_source_rgba(c, 0, 0, 0, 0.45);
  cairo_set_line_width(c, 1);
  cairo_stroke(c);
  // Light from the top left: a bright bevel above, a dark one below.
  roundRect(c, x + 2, y + 2, w - 4, h / 2 - 2, 4);
  cairo_set_source_rgba(c, 1, 1, 1, 0.28);
  cairo_fill(c);
  if (k < 5) {
    symbol(c, k, x + w / 2 + 1, y + h / 2 + 1.5, 6.5);
    cairo_set_source_rgba(c, 0, 0, 0, 0.3);
    cairo_fill(c);
    symbol(c, k, x + w / 2, y + h / 2, 6.5);
    cairo_set_source_rgba(c, 1, 1, 1, 0.92);
    cairo_fill(c);
  } else {
    // The hard brick: riveted steel plates.
    cairo_set_source_rgba(c, 0.2, 0.22, 0.26, 0.6);
    cairo_set_line_width(c, 1.5);
    cairo_move_to(c, x + 4, y + h / 2);
    cairo_line_to(c, x + w - 4, y + h / 2);
    cairo_stroke(c);
    const double rivet[4][2] = {{5, 5}, {w - 5, 5}, {5, h - 5}, {w - 5, h - 5}};
    for (auto &p : rivet) {
      cairo_arc(c, x + p[0], y + p[1], 2.2, 0, 2 * kPi);
      vertical(c, y + p[1] - 2, y + p[1] + 2, {0.95, 0.95, 0.97}, {0.35, 0.37, 0.4});
      cairo_fill(c);
    }
    if (k >= 6) {
      cairo_set_source_rgba(c, 0.08, 0.08, 0.1, 0.9);
      cairo_set_line_width(c, 1.6);
      cairo_move_to(c, x + w * 0.55, y + 2);
      cairo_line_to(c, x + w * 0.45, y + h * 0.35);
      cairo_line_to(c, x + w * 0.62, y + h * 0.55);
      cairo_line_to(c, x + w * 0.5, y + h - 3);
      cairo_stroke(c);
    }
    if (k == 7) {
      cairo_move_to(c, x + 2, y + h * 0.3);
      cairo_line_to(c, x + w * 0.3, y + h * 0.45);
      cairo_line_to(c, x + w * 0.45, y + h * 0.35);
      cairo_move_to(c, x + w - 2, y + h * 0.7);
      cairo_line_to(c, x + w * 0.7, y + h * 0.6);
      cairo_line_to(c, x + w * 0.62, y + h * 0.55);
      cairo_move_to(c, x + w * 0.3, y + h - 2);
      cairo_line_to(c, x + w * 0.4, y + h * 0.75);
      cairo_stroke(c);
    }
  }
  cairo_restore(c);
}

void drawIcon(cairo_t *c, Rect r, int b) {
  clip(c, r);
  const double cx = r.x1 + r.w() / 2.0, cy = r.y1 + r.h() / 2.0;
  cairo_set_line_cap(c, CAIRO_LINE_CAP_ROUND);
  // A light disc behind every icon keeps it readable on any brick colour.
  cairo_arc(c, cx, cy, 12.5, 0, 2 * kPi);
  cairo_set_source_rgba(c, 1, 1, 1, 0.85);
  cairo_fill_preserve(c);
  cairo_set_source_rgba(c, 0, 0, 0, 0.5);
  cairo_set_line_width(c, 1.2);
  cairo_stroke(c);
  switch (b) {
  case 1: // bomb
    cairo_arc(c, cx - 1, cy + 2, 7.5, 0, 2 * kPi);
    cairo_set_source_rgb(c, 0.12, 0.12, 0.15);
    cairo_fill(c);
    cairo_set_source_rgb(c, 0.55, 0.35, 0.15);
    cairo_set_line_width(c, 2);
    cairo_move_to(c, cx + 3, cy - 4);
    cairo_curve_to(c, cx + 5, cy - 8, cx + 8, cy - 8, cx + 8, cy - 10);
    cairo_stroke(c);
    cairo_arc(c, cx + 8, cy - 10, 2.2, 0, 2 * kPi);
    cairo_set_source_rgb(c, 1, 0.55, 0.1);
    cairo_fill(c);
    break;
  case 2: // hammer
    cairo_set_source_rgb(c, 0.55, 0.35, 0.18);
    cairo_set_line_width(c, 3);
    cairo_move_to(c, cx - 6, cy + 8);
    cairo_line_to(c, cx + 3, cy - 3);
    cairo_stroke(c);
    cairo_save(c);
    cairo_translate(c, cx + 3, cy - 4);
    cairo_rotate(c, kPi / 4);
    cairo_rectangle(c, -8, -3.5, 16, 7);
    cairo_set_source_rgb(c, 0.3, 0.32, 0.36);
    cairo_fill(c);
    cairo_restore(c);
    break;
  case 3: // clock
    cairo_arc(c, cx, cy, 8.5, 0, 2 * kPi);
    cairo_set_source_rgb(c, 0.15, 0.35, 0.75);
    cairo_set_line_width(c, 2.2);
    cairo_stroke(c);
    cairo_set_line_width(c, 2);
    cairo_move_to(c, cx, cy);
    cairo_line_to(c, cx, cy - 6);
    cairo_move_to(c, cx, cy);
    cairo_line_to(c, cx + 4.5, cy + 1);
    cairo_stroke(c);
    break;
  case 4: // target
    for (int i = 3; i >= 1; i--) {
      cairo_arc(c, cx, cy, i * 3.0, 0, 2 * kPi);
      if (i % 2) cairo_set_source_rgb(c, 0.85, 0.15, 0.2);
      else cairo_set_source_rgb(c, 1, 1, 1);
      cairo_fill(c);
    }
    break;
  default: // row clear: arrows out to both sides
    cairo_set_source_rgb(c, 0.1, 0.55, 0.3);
    cairo_set_line_width(c, 2.5);
    cairo_move_to(c, cx - 9, cy);
    cairo_line_to(c, cx + 9, cy);
    cairo_stroke(c);
    for (int side = -1; side <= 1; side += 2) {
      cairo_move_to(c, cx + side * 10, cy);
      cairo_line_to(c, cx + side * 5, cy - 5);
      cairo_line_to(c, cx + side * 5, cy + 5);
      cairo_close_path(c);
      cairo_fill(c);
    }
    break;
  }
  cairo_restore(c);
}

void ball(cairo_t *c, double cx, double cy, double r) {
  cairo_pattern_t *p = cairo_pattern_create_radial(cx - r * 0.35, cy - r * 0.4, r * 0.1, cx, cy, r);
  cairo_pattern_add_color_stop_rgb(p, 0, 1, 1, 1);
  cairo_pattern_add_color_stop_rgb(p, 0.35, 0.95, 0.45, 0.2);
  cairo_pattern_add_color_stop_rgb(p, 1, 0.55, 0.12, 0.05);
  cairo_arc(c, cx, cy, r, 0, 2 * kPi);
  cairo_set_source(c, p);
  cairo_fill(c);
  cairo_pattern_destroy(p);
}

void sky(cairo_t *c, Rect r, Colour top, Colour bottom) {
  clip(c, r);
  cairo_rectangle(c, r.x1, r.y1, r.w(), r.h());
  vertical(c, r.y1, r.y2, top, bottom);
  cairo_fill(c);
  // Soft diagonal stripes.
  cairo_set_source_rgba(c, 1, 1, 1, 0.05);
  for (int i = -r.h(); i < r.w(); i += 28) {
    cairo_move_to(c, r.x1 + i, r.y2);
    cairo_line_to(c, r.x1 + i + r.h(), r.y1);
    cairo_line_to(c, r.x1 + i + r.h() + 12, r.y1);
    cairo_line_to(c, r.x1 + i + 12, r.y2);
    cairo_close_path(c);
  }
  cairo_fill(c);
  cairo_restore(c);
}

void drawTitle(cairo_t *c) {
  Rect r = kTitle;
  sky(c, r, {0.18, 0.35, 0.75}, {0.55, 0.25, 0.6});
  clip(c, r);
  // A tumbling wall of bricks behind the name.
  for (int i = 0; i < 22; i++) {
    double x = (i * 67) % 300, y = 300 + (i * 41) % 150;
    cairo_save(c);
    cairo_translate(c, x + 10, y);
    cairo_rotate(c, (i % 7 - 3) * 0.12);
    roundRect(c, -14, -14, 28, 28, 5);
    Colour k = kBrickColours[i % 5];
    vertical(c, -14, 14, shade(k, 1.3), shade(k, 0.7), 0.85);
    cairo_fill(c);
    cairo_restore(c);
  }
  text(c, "ZUNK", 160, 150, 78, {1, 0.93, 0.4}, {300, 100});
  // TRANSLATORS: the title screen's line under the game's name: what the
  // player does, said to the player.
  text(c, tr("break the wall"), 160, 205, 20, {1, 1, 1}, {300, 30}, false);
  ball(c, 160, 255, 18);
  cairo_restore(c);
}

void drawMenuBackground(cairo_t *c) {
  Rect r = kMenuBackground;
  sky(c, r, {0.16, 0.3, 0.62}, {0.08, 0.12, 0.3});
  clip(c, r);
  text(c, "ZUNK", r.x1 + 160, 70, 48, {1, 0.93, 0.4}, {300, 60});
  cairo_restore(c);
}

void drawPlayBackground(cairo_t *c) {
  Rect r = kPlayBackground;
  sky(c, r, {0.2, 0.42, 0.7}, {0.12, 0.5, 0.35});
  clip(c, r);
  const double ox = r.x1;
  // The well of the wall.
  roundRect(c, ox + kWallWell.x1 - 4, kWallWell.y1 - 4, kWallWell.w() + 8, kWallWell.h() + 8, 6);
  cairo_set_source_rgba(c, 0, 0, 0.05, 0.55);
  cairo_fill(c);
  cairo_set_source_rgba(c, 1, 1, 1, 0.06);
  cairo_set_line_width(c, 1);
  for (int i = 1; i < 9; i++) {
    cairo_move_to(c, ox + kWallWell.x1 + 31 * i + 0.5, kWallWell.y1);
    cairo_line_to(c, ox + kWallWell.x1 + 31 * i + 0.5, kWallWell.y2);
  }
  for (int j = 1; j < 8; j++) {
    cairo_move_to(c, ox + kWallWell.x1, kWallWell.y1 + 31 * j + 0.5);
    cairo_line_to(c, ox + kWallWell.x2, kWallWell.y1 + 31 * j + 0.5);
  }
  cairo_stroke(c);
  // The sling: a fork on a post below the wall, around the anchor.
  cairo_set_source_rgb(c, 0.45, 0.28, 0.12);
  cairo_set_line_width(c, 7);
  cairo_set_line_cap(c, CAIRO_LINE_CAP_ROUND);
  cairo_move_to(c, ox + kAnchorX, kAnchorY + 70);
  cairo_line_to(c, ox + kAnchorX, kAnchorY + 30);
  cairo_line_to(c, ox + kAnchorX - 22, kAnchorY + 4);
  cairo_move_to(c, ox + kAnchorX, kAnchorY + 30);
  cairo_line_to(c, ox + kAnchorX + 22, kAnchorY + 4);
  cairo_stroke(c);
  cairo_arc(c, ox + kAnchorX, kAnchorY, 4, 0, 2 * kPi);
  cairo_set_source_rgba(c, 0, 0, 0, 0.35);
  cairo_fill(c);
  // The score strip and the MENU button.
  roundRect(c, ox + 4, 450, 150, 28, 8);
  cairo_set_source_rgba(c, 0, 0, 0, 0.35);
  cairo_fill(c);
  roundRect(c, ox + kMenuZone.x1 + 4, kMenuZone.y1 + 2, kMenuZone.w() - 10, kMenuZone.h() - 5, 8);
  vertical(c, kMenuZone.y1, kMenuZone.y2, {0.98, 0.6, 0.2}, {0.8, 0.3, 0.1});
  cairo_fill(c);
  // TRANSLATORS: the small button at the bottom right of the play, back to the menu.
  text(c, tr("MENU"), ox + kMenuZone.x1 + kMenuZone.w() / 2.0 - 1, kMenuZone.y1 + 15, 15, {1, 1, 1},
       {kMenuZone.w() - 16.0, kMenuZone.h() - 8.0});
  cairo_restore(c);
}

// TRANSLATORS: the menu's buttons, in capitals on wide buttons. PLAY starts a
// game; HIGH SCORES opens the table of the ten best scores and also heads it;
// BACK leaves the help and high-score screens for the menu.
const char *const kButtonLabels[5] = {N_("PLAY"), N_("HIGH SCORES"), N_("HELP"), N_("QUIT"), N_("BACK")};

// A button's rounded orange body `w` by `h`, `at` inside `r`'s top-left
// corner, with its shadow below and to the right and a rim `line` wide.
void orangeBody(cairo_t *c, Rect r, double at, double w, double h, double line) {
  roundRect(c, r.x1 + at + 1, r.y1 + at + 2, w, h, r.h() / 2.5);
  cairo_set_source_rgba(c, 0, 0, 0, 0.35);
  cairo_fill(c);
  roundRect(c, r.x1 + at, r.y1 + at, w, h, r.h() / 2.5);
  vertical(c, r.y1, r.y2, {1.0, 0.78, 0.3}, {0.92, 0.42, 0.12});
  cairo_fill_preserve(c);
  cairo_set_source_rgba(c, 0.5, 0.2, 0.05, 0.8);
  cairo_set_line_width(c, line);
  cairo_stroke(c);
}

void drawButton(cairo_t *c, Rect full, const char *label) {
  // The strip x 780..786 is shared with the help panel: kept clear.
  Rect r{full.x1 + 7, full.y1, full.x2, full.y2};
  clip(c, r);
  orangeBody(c, r, 2, r.w() - 6, r.h() - 7, 1.5);
  roundRect(c, r.x1 + 8, r.y1 + 5, r.w() - 18, (r.h() - 7) / 2.0 - 3, 8);
  cairo_set_source_rgba(c, 1, 1, 1, 0.25);
  cairo_fill(c);
  text(c, tr(label), r.x1 + r.w() / 2.0 - 1, r.y1 + r.h() / 2.0 - 1, 22, {1, 1, 1}, {r.w() - 30.0, r.h() - 16.0});
  cairo_restore(c);
}

// TRANSLATORS: each bonus beside its icon on the help panel, and what it does
// when the brick that carries it is hit: the bomb breaks the eight bricks
// around it, the hammer every brick below it in its column, the clock stops
// the feeder for a while, the target shows the guide line (where the ball will
// land) for the next three throws, the row clear empties the brick's row.
// Two short lines at most.
const char *const kBonusWords[5] = {N_("Bomb: breaks all around it"), N_("Hammer: breaks the column below it"),
                                    N_("Clock: stops the feeder for a while"), N_("Target: the guide for 3 throws"),
                                    N_("Row clear: empties its row")};

// The help panel at its place on the sheet; `page`: the keys as a page
// takes them (no quit key, the screenshot downloaded, no window to size).
void drawHelpPanel(cairo_t *c, bool page) {
  // The panel stops short of the strip x 780..786 that the buttons share.
  Rect r{kHelpPanel.x1, kHelpPanel.y1, 779, kHelpPanel.y2};
  clip(c, r);
  roundRect(c, r.x1 + 2, r.y1 + 2, r.w() - 4, r.h() - 4, 12);
  vertical(c, r.y1, r.y2, {0.98, 0.97, 0.92}, {0.9, 0.88, 0.8});
  cairo_fill(c);
  const Colour ink{0.15, 0.15, 0.2}, heading{0.85, 0.35, 0.1};
  const double width = r.w() - 24.0;
  // TRANSLATORS: the help panel's heading.
  text(c, tr("HOW TO PLAY"), r.x1 + r.w() / 2.0, r.y1 + 17, 16, heading, {width, 24}, true, 0);
  // TRANSLATORS: the help panel's rules, wrapped to its width: five lines at
  // most. The sling is the catapult below the wall; steel bricks are the grey
  // riveted ones, which crack on the first two hits and break on the third;
  // the group joined to a brick is every brick of its colour that touches it
  // or touches one that does, and so on; the feeder is the row of bricks
  // above the wall, filled one brick at a time.
  leftBlock(c, tr("Pull the ball back on the sling and let go: it breaks the brick it lands on and the whole group of "
                  "its colour joined to it. Steel bricks break on the third hit. The feeder at the top drops in new "
                  "rows: don't let the wall reach the top!"),
            r.x1 + 12, r.y1 + 29, 11.5, ink, {width, 72}, false);
  // The bonuses in two columns, each beside its icon in two lines at most.
  const double column = 146, icon = 34;
  for (int b = 1; b <= 5; b++) {
    const double x = r.x1 + 8 + ((b - 1) % 2) * column, y = r.y1 + 120 + ((b - 1) / 2) * 32;
    cairo_save(c);
    cairo_translate(c, x - (31 * b - 30), y - 16 - 667);
    drawIcon(c, bonusIcon(b), b);
    cairo_restore(c);
    // Two lines of Chinese or Japanese are taller than the rows are apart:
    // they may reach into the gap between two rows' texts.
    leftBlock(c, tr(kBonusWords[b - 1]), x + icon, y, 11, ink, {column - icon - 4, 34}, true);
  }
  // TRANSLATORS: the heading of the keys on the help panel.
  text(c, tr("KEYS"), r.x1 + r.w() / 2.0, r.y1 + 212, 14, heading, {width, 20}, true, 0);
  // TRANSLATORS: the keys on the help panel, one line each: the keys' names as
  // the keyboards of your language print them. Space held grabs the ball, the
  // arrows pull it, letting go of Space throws it; "sounds" are the sound
  // effects, beside the music.
  const char *keys[] = {N_("Space: hold, pull with the arrows, let go"),
                        N_("P or Esc: pause     M: music     S: sounds"),
                        N_("Menus: arrows, Tab, Return; Esc: back"),
                        N_("F11: full screen     Ctrl + / Ctrl -: size"),
                        N_("Shift+F6: screenshot     Ctrl+Q: quit"),
                        N_("Gamepad: stick pulls, A throws, Start pauses")};
  // TRANSLATORS: the same two lines of the help panel's keys in the game in
  // a web page: the browser makes the page full screen, and a screenshot
  // is downloaded as a PNG file; the browser keeps Ctrl+Q and Ctrl + / -
  // for itself.
  const char *pageKeys[] = {N_("F11: full screen"), N_("Shift+F6: download a screenshot (PNG)")};
  if (page) {
    keys[3] = pageKeys[0];
    keys[4] = pageKeys[1];
  }
  for (int i = 0; i < 6; i++) leftText(c, tr(keys[i]), r.x1 + 12, r.y1 + 231 + i * 13.5, 11.5, ink, {width, 16});
  cairo_restore(c);
}

// The help panel as a page shows it: its rows that differ (kHelpPageKeys)
// drawn in the band, cut from the whole panel drawn that way, so that
// they join the panel's own rows above and below pixel for pixel.
void drawHelpPageKeys(cairo_t *c) {
  cairo_surface_t *panel = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSheetWidth, kHelpPanel.y2);
  cairo_t *p = cairo_create(panel);
  cairo_set_antialias(p, CAIRO_ANTIALIAS_GOOD);
  drawHelpPanel(p, true);
  cairo_destroy(p);
  cairo_save(c);
  cairo_rectangle(c, kHelpPageKeys.x1, kHelpPageKeys.y1, kHelpPageKeys.w(), kHelpPageKeys.h());
  cairo_clip(c);
  cairo_set_source_surface(c, panel, kHelpPageKeys.x1 - kHelpPanel.x1,
                           kHelpPageKeys.y1 - kHelpPanel.y1 - kHelpPageKeysTop);
  cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
  cairo_paint(c);
  cairo_restore(c);
  cairo_surface_destroy(panel);
}

// TRANSLATORS: the two small buttons at the top of the high-score screen.
// EXPORT writes the player's records (the high scores, their replays, the
// games left unfinished, the settings) to one file to carry to another copy
// of the game; IMPORT adds such a file's records to those kept here. In
// capitals, one short word each: about 9 characters.
const char *const kCarryButtonWords[2] = {N_("EXPORT"), N_("IMPORT")};

// TRANSLATORS: what EXPORT or IMPORT did, said under the high-score table for
// a few seconds; two short lines at most (about 50 characters each).
// "zunk-records.zunkrecords" is the file's name: keep it as it is. The
// first: the game on a computer wrote the file in the player's home folder;
// the second: the game in a web browser, the file downloaded (the
// browser's downloads); IMPORT on a
// computer found no such file in the home folder: the player may put one
// there or drop one onto the game's window. After "nothing changed:", why a
// file was refused: it cannot be read, it is too large, it is some other
// kind of file, a later version of the game wrote it, it is damaged.
const char *const kCarryWordTexts[kCarryWords] = {
    N_("Saved as zunk-records.zunkrecords in your home folder"),
    N_("Downloaded as zunk-records.zunkrecords"),
    N_("Not exported: the file could not be written"),
    N_("Imported: the records are added to yours"),
    N_("Nothing new to import: you have all of it already"),
    N_("No zunk-records.zunkrecords in your home folder: put it there, or drop a records file on this window"),
    N_("Not imported, nothing changed: the file cannot be read"),
    N_("Not imported, nothing changed: the file is too large"),
    N_("Not imported, nothing changed: not a records file"),
    N_("Not imported, nothing changed: made by a later version of Zunk"),
    N_("Not imported, nothing changed: the file is damaged")};

// A small button of the menu's kind, its label fitted to it.
void drawSmallButton(cairo_t *c, Rect r, const char *label) {
  orangeBody(c, r, 1, r.w() - 4, r.h() - 4, 1.2);
  text(c, tr(label), r.x1 + r.w() / 2.0 - 1, r.y1 + r.h() / 2.0 - 1, 13, {1, 1, 1}, {r.w() - 14.0, r.h() - 8.0});
}

// What an export or an import did: up to two lines, centred in the box.
void drawCarryWord(cairo_t *c, Rect r, const char *t) {
  // Two lines are measured with the leading below the second, which the
  // Chinese and Japanese fonts make 30.5 px at the smallest size; their ink
  // stays well inside the row.
  const Box box{r.w() - 4.0, r.h() + 1.0};
  PangoLayout *l = fitted(c, t, 11.5, false, box, true);
  pango_layout_set_alignment(l, PANGO_ALIGN_CENTER);
  const Extents lines = extentsOf(l, true);
  // Centred in the layout's own width, which is the box's.
  const double x = r.x1 + 2;
  cairo_move_to(c, x + 0.6, r.y1 + r.h() / 2.0 - lines.h / 2 - lines.y + 0.8);
  cairo_set_source_rgba(c, 0, 0, 0, 0.6);
  pango_cairo_show_layout(c, l);
  show(c, l, x, r.y1 + r.h() / 2.0 - lines.h / 2 - lines.y, {1, 0.95, 0.75});
  g_object_unref(l);
}

void drawCarried(cairo_t *c) {
  drawSmallButton(c, kExportButton, kCarryButtonWords[0]);
  drawSmallButton(c, kImportButton, kCarryButtonWords[1]);
  for (int i = 0; i < kCarryWords; i++) drawCarryWord(c, carryWord(i), tr(kCarryWordTexts[i]));
}

// A round dark badge with a white glyph; switched off, the glyph is dimmed
// and struck through in red.
void badge(cairo_t *c, Rect r, bool on) {
  cairo_arc(c, r.x1 + r.w() / 2.0, r.y1 + r.h() / 2.0, r.w() / 2.0 - 1, 0, 2 * kPi);
  cairo_set_source_rgba(c, 0.05, 0.08, 0.2, 0.7);
  cairo_fill_preserve(c);
  cairo_set_source_rgba(c, 1, 1, 1, 0.6);
  cairo_set_line_width(c, 1.2);
  cairo_stroke(c);
  cairo_set_source_rgba(c, 1, 1, 1, on ? 1 : 0.45);
}

void strike(cairo_t *c, Rect r) {
  cairo_set_source_rgb(c, 0.95, 0.2, 0.2);
  cairo_set_line_width(c, 2.5);
  cairo_set_line_cap(c, CAIRO_LINE_CAP_ROUND);
  cairo_move_to(c, r.x1 + 7, r.y1 + 7);
  cairo_line_to(c, r.x2 - 7, r.y2 - 7);
  cairo_stroke(c);
}

void drawMusicSwitch(cairo_t *c, Rect r, bool on) {
  clip(c, r);
  badge(c, r, on);
  // Two beamed notes.
  const double x = r.x1, y = r.y1;
  cairo_arc(c, x + 10, y + 19, 3, 0, 2 * kPi);
  cairo_fill(c);
  cairo_arc(c, x + 18, y + 17, 3, 0, 2 * kPi);
  cairo_fill(c);
  cairo_set_line_width(c, 1.6);
  cairo_move_to(c, x + 12.5, y + 19);
  cairo_line_to(c, x + 12.5, y + 8);
  cairo_line_to(c, x + 20.5, y + 6);
  cairo_line_to(c, x + 20.5, y + 17);
  cairo_stroke(c);
  if (!on) strike(c, r);
  cairo_restore(c);
}

void drawSoundsSwitch(cairo_t *c, Rect r, bool on) {
  clip(c, r);
  badge(c, r, on);
  // A speaker and its waves.
  const double x = r.x1, y = r.y1;
  cairo_move_to(c, x + 6, y + 11);
  cairo_line_to(c, x + 10, y + 11);
  cairo_line_to(c, x + 15, y + 6);
  cairo_line_to(c, x + 15, y + 22);
  cairo_line_to(c, x + 10, y + 17);
  cairo_line_to(c, x + 6, y + 17);
  cairo_close_path(c);
  cairo_fill(c);
  cairo_set_line_width(c, 1.6);
  for (double radius : {4.0, 7.5}) {
    cairo_arc(c, x + 15, y + 14, radius, -kPi / 4, kPi / 4);
    cairo_stroke(c);
  }
  if (!on) strike(c, r);
  cairo_restore(c);
}

void drawFocusArrow(cairo_t *c) {
  const Rect r = kFocusArrow;
  clip(c, r);
  cairo_move_to(c, r.x1 + 3, r.y1 + 4);
  cairo_line_to(c, r.x2 - 3, r.y1 + r.h() / 2.0);
  cairo_line_to(c, r.x1 + 3, r.y2 - 4);
  cairo_close_path(c);
  vertical(c, r.y1, r.y2, {1.0, 0.95, 0.5}, {1.0, 0.7, 0.15});
  cairo_fill_preserve(c);
  cairo_set_source_rgba(c, 0.45, 0.2, 0.05, 0.9);
  cairo_set_line_width(c, 1.5);
  cairo_stroke(c);
  cairo_restore(c);
}

// A rounded panel inset by (dx, dy) in r, shaded from top to bottom, with a
// white border.
void framedPanel(cairo_t *c, Rect r, double dx, double dy, Colour top, Colour bottom, double border) {
  roundRect(c, r.x1 + dx, r.y1 + dy, r.w() - 2 * dx, r.h() - 2 * dy, 16);
  vertical(c, r.y1, r.y2, top, bottom, 0.95);
  cairo_fill_preserve(c);
  cairo_set_source_rgba(c, 1, 1, 1, border);
  cairo_set_line_width(c, 3);
  cairo_stroke(c);
}

void drawPausePanel(cairo_t *c) {
  const Rect r = kPausePanel;
  clip(c, r);
  framedPanel(c, r, 3, 3, {0.25, 0.4, 0.85}, {0.1, 0.18, 0.45}, 0.85);
  const double cx = r.x1 + r.w() / 2.0;
  // TRANSLATORS: the panel over a paused game: its heading, and how to play on
  // or leave the game (Start and B are a gamepad's buttons).
  text(c, tr("PAUSED"), cx, r.y1 + 38, 34, {1, 0.9, 0.3}, {r.w() - 24.0, 44});
  text(c, tr("P, Esc, Start or a click: play on"), cx, r.y1 + 78, 11.5, {1, 1, 1}, {r.w() - 16.0, 16}, false, 0.5);
  text(c, tr("Backspace or B: back to the menu"), cx, r.y1 + 98, 11.5, {1, 1, 1}, {r.w() - 16.0, 16}, false, 0.5);
  cairo_restore(c);
}

void drawReplayMark(cairo_t *c) {
  const Rect r = kReplayMark;
  clip(c, r);
  roundRect(c, r.x1 + 2, r.y1 + 2, r.w() - 4, r.h() - 4, 10);
  vertical(c, r.y1, r.y2, {0.9, 0.2, 0.25}, {0.6, 0.08, 0.15}, 0.92);
  cairo_fill_preserve(c);
  cairo_set_source_rgba(c, 1, 1, 1, 0.85);
  cairo_set_line_width(c, 2);
  cairo_stroke(c);
  // A play symbol, then the word.
  cairo_move_to(c, r.x1 + 13, r.y1 + 9);
  cairo_line_to(c, r.x1 + 26, r.y1 + r.h() / 2.0);
  cairo_line_to(c, r.x1 + 13, r.y2 - 9);
  cairo_close_path(c);
  cairo_set_source_rgb(c, 1, 1, 1);
  cairo_fill(c);
  // Beside the symbol: centred a little right of the mark's middle, and kept
  // as far from the border on the right as on the left.
  const double shift = 18, margin = 10;
  // TRANSLATORS: the mark shown over a game that is being replayed; a short word.
  text(c, tr("REPLAY"), r.x1 + shift + r.w() / 2.0, r.y1 + r.h() / 2.0, 18, {1, 1, 1},
       {r.w() - 2 * (shift + margin), r.h() - 8.0});
  cairo_restore(c);
}

void drawResumePanel(cairo_t *c) {
  const Rect r = kResumePanel;
  clip(c, r);
  framedPanel(c, r, 3, 3, {0.25, 0.4, 0.85}, {0.1, 0.18, 0.45}, 0.85);
  // TRANSLATORS: the two choices PLAY offers when a game was left unfinished.
  const char *labels[2] = {tr("CONTINUE"), tr("NEW GAME")};
  for (int i = 0; i < 2; i++) {
    const double y = r.y1 + 10 + i * (r.h() / 2.0 - 5);
    roundRect(c, r.x1 + 16, y, r.w() - 32, 38, 15);
    vertical(c, y, y + 38, {1.0, 0.78, 0.3}, {0.92, 0.42, 0.12});
    cairo_fill_preserve(c);
    cairo_set_source_rgba(c, 0.5, 0.2, 0.05, 0.8);
    cairo_set_line_width(c, 1.5);
    cairo_stroke(c);
    text(c, labels[i], r.x1 + r.w() / 2.0, y + 19, 20, {1, 1, 1}, {r.w() - 56.0, 30});
  }
  cairo_restore(c);
}

void drawTopFrame(cairo_t *c) {
  Rect r = kTopFrame;
  clip(c, r);
  cairo_rectangle(c, r.x1, r.y1, r.w(), r.h());
  vertical(c, r.y1, r.y2, {0.55, 0.38, 0.22}, {0.35, 0.22, 0.12});
  cairo_fill(c);
  cairo_set_source_rgba(c, 1, 1, 1, 0.15);
  cairo_rectangle(c, r.x1, r.y1, r.w(), 2);
  cairo_fill(c);
  // The feeder windows are see-through: the feeder bricks show there.
  cairo_set_operator(c, CAIRO_OPERATOR_CLEAR);
  for (int i = 0; i < 9; i++) cairo_rectangle(c, r.x1 + 21 + 31 * i, r.y1 + 4, 31, 31);
  cairo_fill(c);
  cairo_set_operator(c, CAIRO_OPERATOR_OVER);
  cairo_set_source_rgba(c, 0, 0, 0, 0.4);
  cairo_set_line_width(c, 1);
  cairo_rectangle(c, r.x1 + 20.5, r.y1 + 3.5, 31 * 9 + 1, 32);
  cairo_stroke(c);
  cairo_restore(c);
}

void drawDigits(cairo_t *c) {
  for (int d = 0; d < 10; d++) {
    Rect r{kDigitX[d][0], kDigitY1, kDigitX[d][1], kDigitY2};
    clip(c, r);
    char t[2] = {static_cast<char>('0' + d), 0};
    text(c, t, r.x1 + r.w() / 2.0, r.y1 + r.h() / 2.0, 17, {1, 0.95, 0.55}, {r.w() + 4.0, double(r.h())}, true, 0.6);
    cairo_restore(c);
  }
  clip(c, kScoreLabel);
  // TRANSLATORS: the label before the score, in a small box: a short word.
  text(c, tr("SCORE"), kScoreLabel.x1 + kScoreLabel.w() / 2.0, kScoreLabel.y1 + 9, 11.5, {1, 1, 1},
       {kScoreLabel.w() - 1.0, double(kScoreLabel.h())});
  cairo_restore(c);
  clip(c, kLeaderDot);
  cairo_arc(c, kLeaderDot.x1 + 3, kLeaderDot.y1 + 3.5, 2.2, 0, 2 * kPi);
  cairo_set_source_rgb(c, 1, 0.9, 0.5);
  cairo_fill(c);
  cairo_restore(c);
}

void drawSmallPieces(cairo_t *c) {
  clip(c, kRestingBall);
  ball(c, kRestingBall.x1 + 16, kRestingBall.y1 + 17, 14.5);
  cairo_restore(c);
  clip(c, kFlyingBall);
  ball(c, kFlyingBall.x1 + 41, kFlyingBall.y1 + 40.5, 38);
  cairo_restore(c);
  clip(c, kLink);
  cairo_arc(c, kLink.x1 + 5.5, kLink.y1 + 5.5, 4.5, 0, 2 * kPi);
  vertical(c, kLink.y1, kLink.y2, {0.9, 0.75, 0.5}, {0.45, 0.3, 0.15});
  cairo_fill(c);
  cairo_restore(c);
  clip(c, kDragMe);
  roundRect(c, kDragMe.x1 + 12, kDragMe.y1 + 4, kDragMe.w() - 14, kDragMe.h() - 8, 10);
  cairo_set_source_rgba(c, 1, 1, 1, 0.92);
  cairo_fill(c);
  cairo_move_to(c, kDragMe.x1 + 2, kDragMe.y1 + kDragMe.h() / 2.0);
  cairo_line_to(c, kDragMe.x1 + 13, kDragMe.y1 + 12);
  cairo_line_to(c, kDragMe.x1 + 13, kDragMe.y1 + kDragMe.h() - 12);
  cairo_close_path(c);
  cairo_fill(c);
  // TRANSLATORS: the bubble beside the ball in the first game, asking the
  // player to pull it back on the sling.
  text(c, tr("pull me!"), kDragMe.x1 + 63, kDragMe.y1 + kDragMe.h() / 2.0, 15, {0.85, 0.3, 0.1}, {80, 26}, true, 0);
  cairo_restore(c);
  for (int f = 0; f < 4; f++) {
    Rect r = cloud(f);
    clip(c, r);
    double grow = 5 + f * 2.5, fade = 1 - f * 0.22;
    const double puffs[5][2] = {{0, 0}, {-0.6, 0.3}, {0.6, 0.3}, {-0.3, -0.5}, {0.35, -0.45}};
    for (auto &p : puffs) {
      cairo_arc(c, r.x1 + 15.5 + p[0] * grow * 1.2, r.y1 + 17 + p[1] * grow * 1.2, grow, 0, 2 * kPi);
      cairo_set_source_rgba(c, 1, 1, 1, 0.85 * fade);
      cairo_fill(c);
    }
    cairo_restore(c);
  }
}

void drawGameOver(cairo_t *c) {
  const Rect halves[2] = {kGameOverTop, kGameOverBottom};
  // TRANSLATORS: "GAME OVER" on two panels, one above the other.
  const char *words[2] = {trc("game over, upper panel", "GAME"), trc("game over, lower panel", "OVER")};
  const double size = 50;
  auto room = [](Rect r) { return Box{r.w() - 28.0, r.h() - 20.0}; };
  // One phrase: both words at one size, the size the longer fits at.
  const double both = std::min(fittingSize(c, words[0], size, true, room(halves[0])),
                               fittingSize(c, words[1], size, true, room(halves[1])));
  for (int i = 0; i < 2; i++) {
    Rect r = halves[i];
    clip(c, r);
    framedPanel(c, r, 4, 6, {0.95, 0.25, 0.3}, {0.6, 0.08, 0.15}, 0.8);
    text(c, words[i], r.x1 + r.w() / 2.0, r.y1 + r.h() / 2.0, size, {1, 1, 1}, room(r), true, 0.45, both);
    cairo_restore(c);
  }
}

void drawTextPieces(cairo_t *c) {
  clip(c, kNotice);
  // TRANSLATORS: the line at the bottom of the title and the menu.
  text(c, tr("Zunk 1.0 - a game of bricks"), kNotice.x1 + kNotice.w() / 2.0, kNotice.y1 + 10, 12, {1, 1, 1},
       {kNotice.w() - 4.0, double(kNotice.h())}, false, 0.6);
  cairo_restore(c);
  // TRANSLATORS: the credits, shown one line at a time under the help panel;
  // "our" is the Zunk team's, "its own" the game's. The last line says how to
  // leave the help screen: the BACK button, or the Esc key.
  const char *credits[7] = {N_("Zunk: a game of bricks"), N_("Design and code: the Zunk team"),
                            N_("Pictures drawn by our own program"), N_("Music and sounds: our own synthesiser"),
                            N_("Built on its own 2D engine"), N_("Thanks for playing!"),
                            N_("BACK or Esc: back to the menu")};
  for (int i = 0; i < 7; i++) {
    Rect r{kCreditX1, kCreditRows[i][0], kCreditX2, kCreditRows[i][1]};
    clip(c, r);
    text(c, tr(credits[i]), r.x1 + r.w() / 2.0, r.y1 + r.h() / 2.0, 11.5, {1, 0.95, 0.75}, {kCreditX2 - kCreditX1 - 4.0, double(r.h())}, false, 0.7);
    cairo_restore(c);
  }
}

// Text in `r`, across by its ink against the box's right edge (`right`) or
// its left one, up and down by its line, centred.
void alignedText(cairo_t *c, const char *t, Rect r, bool right, double size, Colour k) {
  const double margin = 1;
  PangoLayout *l = fitted(c, t, size, false, {r.w() - 2 * margin, double(r.h())});
  const Extents ink = extentsOf(l, false), line = extentsOf(l, true);
  const double x = right ? r.x2 - margin - ink.w - ink.x : r.x1 + margin - ink.x;
  show(c, l, x, r.y1 + r.h() / 2.0 - line.h / 2 - line.y, k);
  g_object_unref(l);
}

// TRANSLATORS: a notice across the top of the screen for a few seconds when
// something the player keeps could not be saved: what was not kept (one of
// these), then why (one of the texts below), as one line: "Replay not
// kept: disk full". Each ends with the colon that leads to the why. Room:
// about 30 characters at a small size. "Unfinished game": a game left before
// its end, to be continued later; "Nothing is kept": no score, replay or
// game is saved in this whole run.
const char *const kUnkeptWhatWords[kUnkeptWhats] = {N_("High scores not kept:"), N_("Replay not kept:"),
                                                    N_("Setting not kept:"), N_("Unfinished game not kept:"),
                                                    N_("Nothing is kept:")};
// TRANSLATORS: why it was not kept, after one of the texts above: the disk
// is full; the file or its folder is read-only; there is no folder for the
// player's own files (no home folder); any other error of the file system.
// Room: about 22 characters.
const char *const kUnkeptWhyWords[kUnkeptWhys] = {N_("disk full"), N_("read-only"), N_("no user folder"),
                                                  N_("file error")};

void drawUnkept(cairo_t *c) {
  for (int i = 0; i < kUnkeptWhats; i++) alignedText(c, tr(kUnkeptWhatWords[i]), unkeptWhat(i), true, 11, {1, 1, 1});
  for (int i = 0; i < kUnkeptWhys; i++)
    alignedText(c, tr(kUnkeptWhyWords[i]), unkeptWhy(i), false, 11, {1, 0.85, 0.45});
}

// ---- the daily wall -----------------------------------------------------------

// A small rounded tag with a word in it.
void tag(cairo_t *c, Rect r, const char *t, Colour top, Colour bottom) {
  clip(c, r);
  roundRect(c, r.x1 + 1, r.y1 + 1, r.w() - 2, r.h() - 2, r.h() / 2.5);
  vertical(c, r.y1, r.y2, top, bottom, 0.95);
  cairo_fill_preserve(c);
  cairo_set_source_rgba(c, 1, 1, 1, 0.8);
  cairo_set_line_width(c, 1);
  cairo_stroke(c);
  text(c, t, r.x1 + r.w() / 2.0, r.y1 + r.h() / 2.0, 11, {1, 1, 1}, {r.w() - 10.0, r.h() - 4.0}, true, 0.4);
  cairo_restore(c);
}

// Text wrapped in `r`, its lines centred up and down.
void blockIn(cairo_t *c, const char *t, Rect r, double size, Colour k) {
  clip(c, r);
  leftBlock(c, t, r.x1 + 1, r.y1 + r.h() / 2.0, size, k, {r.w() - 2.0, double(r.h())}, true);
  cairo_restore(c);
}

// TRANSLATORS: the notice's what (as "High scores not kept:") when the
// table of the daily wall's scored tries could not be saved.
const char *const kDailyNotKeptWords = N_("Daily table not kept:");
// TRANSLATORS: the daily wall ("TODAY'S WALL": the same wall for every
// player on a date; the first game of the day is the day's try, which
// counts and is kept, and more games are practice). What the wall offers,
// under today's date, in the order: the day's try is still open; it has
// been played; the computer's date is behind the last day played (so no
// new try opens); the wall of another day than today (from the command
// line). Two short lines at most.
const char *const kDailyTryWords[kDailyTries] = {
    N_("Today's try is open: your first game counts."),
    N_("Today's try is played: more games are practice."),
    N_("Your computer's date is behind your last day played: practice only."),
    N_("Not today's wall: practice only.")};
// TRANSLATORS: a game received that is refused, why: the file or link is
// damaged or not a Zunk game; it was made by a later version of Zunk; its
// game, replayed, does not reach the score it claims. Two short lines.
const char *const kRefusalWords[kRefusals] = {N_("This game is damaged, or not a game of Zunk."),
                                              N_("It was made by a later version of Zunk."),
                                              N_("Replayed, it does not reach the score it claims.")};

void drawDailyBand(cairo_t *c) {
  const Colour white{1, 1, 1}, gold{1, 0.9, 0.5};
  alignedText(c, tr(kDailyNotKeptWords), kDailyNotKept, true, 11, white);
  // TRANSLATORS: a tag by the score of a daily wall's game: the day's try
  // (its one game that counts), or a practice game. Short, in capitals.
  tag(c, kScoredTryTag, tr("TODAY'S TRY"), {0.95, 0.55, 0.15}, {0.75, 0.3, 0.05});
  tag(c, kPracticeTag, tr("PRACTICE"), {0.35, 0.55, 0.9}, {0.15, 0.3, 0.65});
  // A dash in the digits' style, for the dates.
  clip(c, kDigitDash);
  roundRect(c, kDigitDash.x1 + 1.5, kDigitDash.y1 + 8, kDigitDash.w() - 3, 3, 1.2);
  cairo_set_source_rgb(c, 1, 0.95, 0.55);
  cairo_fill(c);
  cairo_restore(c);
  // TRANSLATORS: the menu's button for the daily wall, also the daily
  // screen's heading: the one wall everybody plays today. Short, in capitals.
  drawButton(c, kDailyButton, N_("TODAY'S WALL"));
  // TRANSLATORS: the daily screen's start: the day's try (the game that
  // counts), or a practice game on the same wall. Short, in capitals.
  drawButton(c, kStartScored, N_("PLAY TODAY'S TRY"));
  drawButton(c, kStartPractice, N_("PRACTICE"));
  // TRANSLATORS: a small button beside a row of the tables: send its game
  // to someone (a file, and a link). One short word, in capitals.
  tag(c, kSendButton, tr("SEND"), {0.3, 0.75, 0.4}, {0.1, 0.5, 0.2});
  for (int i = 0; i < kDailyTries; i++) blockIn(c, tr(kDailyTryWords[i]), dailyTryText(i), 11, white);
  // TRANSLATORS: on the daily screen when no day's try is kept yet.
  alignedText(c, tr("No day's try kept yet."), kNoDailyRows, false, 11, white);
  // TRANSLATORS: the streak: how many days one after another the player has
  // played the day's try; the number follows it. One short word.
  alignedText(c, tr("Streak:"), kStreakLabel, true, 11, gold);
  // TRANSLATORS: the practice game just played, listed above the days'
  // tries (in place of a date). Short.
  alignedText(c, tr("Practice game"), kPracticeRowLabel, false, 11, {0.7, 0.85, 1});
  // TRANSLATORS: what SEND did: the game's file was written (its folder
  // and name follow on the next lines), or it could not be.
  alignedText(c, tr("Its file is written to:"), kSentWritten, false, 11, white);
  alignedText(c, tr("Its file could not be written."), kSentNotWritten, false, 11, {1, 0.6, 0.5});
  // TRANSLATORS: at the foot of the panel that says what SEND did.
  alignedText(c, tr("A click or a key: go on"), kSentGoOn, false, 11, gold);
  // TRANSLATORS: the game's link (which carries the game itself) is on the
  // clipboard, to paste in a message; or there is no web address of the
  // game's page to link to, so only the file can be sent. Two short lines.
  blockIn(c, tr("Its link is on the clipboard: paste it to a friend."), kLinkCopied, 11, white);
  blockIn(c, tr("No address for the game's page: send the file."), kNoLink, 11, white);
  // TRANSLATORS: over a game received that replayed to the score it claims:
  // "verified: 412" and, for a daily wall's game, "on the wall of
  // 2026-12-09" (the number and the date follow each text). Short.
  alignedText(c, tr("verified:"), kVerifiedScore, true, 11, white);
  alignedText(c, tr("on the wall of"), kVerifiedWall, true, 11, white);
  // TRANSLATORS: the heading over a game received that is refused (the
  // reason under it). One word, in capitals.
  clip(c, kRefusedHeading);
  text(c, tr("REFUSED"), kRefusedHeading.x1 + kRefusedHeading.w() / 2.0, kRefusedHeading.y1 + kRefusedHeading.h() / 2.0,
       24, {1, 0.85, 0.4}, {kRefusedHeading.w() - 8.0, kRefusedHeading.h() - 4.0});
  cairo_restore(c);
  for (int i = 0; i < kRefusals; i++) blockIn(c, tr(kRefusalWords[i]), refusalText(i), 11, white);
}

// ---- the options (the band y 1600 to 1919) -----------------------------------

// A rounded button of the options' own, its label centred.
void smallButton(cairo_t *c, Rect r, const char *label, double size) {
  clip(c, r);
  roundRect(c, r.x1 + 1.5, r.y1 + 1.5, r.w() - 3, r.h() - 3, r.h() / 2.5);
  vertical(c, r.y1, r.y2, {1.0, 0.78, 0.3}, {0.92, 0.42, 0.12});
  cairo_fill_preserve(c);
  cairo_set_source_rgba(c, 0.5, 0.2, 0.05, 0.9);
  cairo_set_line_width(c, 1.5);
  cairo_stroke(c);
  text(c, label, r.x1 + r.w() / 2.0, r.y1 + r.h() / 2.0, size, {1, 1, 1}, {r.w() - 14.0, r.h() - 4.0});
  cairo_restore(c);
}

// Text centred in `r`, with a shadow: the options' values.
void centredIn(cairo_t *c, const char *t, Rect r, double size, Colour k) {
  clip(c, r);
  text(c, t, r.x1 + r.w() / 2.0, r.y1 + r.h() / 2.0, size, k, {r.w() - 4.0, double(r.h())}, false, 0.6);
  cairo_restore(c);
}

// TRANSLATORS: the options' page: each row's label, at the left of its
// value. Music and Effects are volume sliders (the sound effects, beside
// the music); Language chooses the game's language; Window size the
// window's size (1.25x, 1.5x...); Full screen on or off; Calmer motion
// stops the decorative movement (the wobbling buttons, the sliding
// pictures); Stronger contrast a look with darker backgrounds and outlined
// bricks. Room: about 18 characters at a small size.
const char *const kOptionLabelWords[kOptionLabels] = {N_("Music"),       N_("Effects"),       N_("Language"),
                                                      N_("Window size"), N_("Full screen"),   N_("Calmer motion"),
                                                      N_("Stronger contrast")};
// TRANSLATORS: the options' values in words: a switch on or off; the
// language as the system (the computer or the browser) asks for; the
// window's size in whole steps only (2x, 3x...), never in between.
const char *const kOptionValueWords[kOptionWords] = {N_("On"), N_("Off"), N_("As the system"), N_("Whole sizes")};
// Each language's name in itself, in the order of the build's languages
// (po/LINGUAS, English first): the same in every sheet.
const char *const kLanguageNameWords[kLanguageNames] = {
    "English", "Deutsch",    "Español", "Français", "Italiano",   "日本語",
    "Nederlands", "Polski", "Português (Brasil)", "Русский", "Українська", "中文（简体）"};
// The keys' page's actions (the note for translators is inside, where
// the extractor finds it: just before the first text).
const char *const kActionLabelWords[kActionLabels] = {
    // TRANSLATORS: the keys' page: each action that a key (or a gamepad
    // button) can be given, at the left of the key's name. Grab and throw:
    // the key held to grab the ball and let go to throw it; the four pulls
    // move the grabbed ball; Back leaves a paused game for the menu; Music and
    // Sound effects switch them; Screenshot saves a picture of the game. The
    // last two are the gamepad's buttons. Room: about 24 characters.
    N_("Grab and throw"), N_("Pull left"),   N_("Pull right"),    N_("Pull up"),
    N_("Pull down"),      N_("Pause"),       N_("Back"),          N_("Music"),
    N_("Sound effects"),  N_("Full screen"), N_("Screenshot"),    N_("Gamepad: grab and throw"),
    N_("Gamepad: back")};
// TRANSLATORS: the keys' page, below the keys: waiting for the new key
// (Esc leaves it as it was), for the gamepad's new button, and a key
// refused because another action has it (followed by that action's label).
// Room: about 30 characters.
const char *const kKeysSaidWords[kKeysWords] = {N_("Press a key (Esc: keep)"), N_("Press a gamepad button"),
                                                N_("Already used by:")};

// The ASCII characters in cells of their own, monospaced, light with a dark
// edge: readable over any of the game's backgrounds.
void drawGlyphStrip(cairo_t *c) {
  for (int ch = kGlyphFirst; ch <= kGlyphLast; ch++) {
    const Rect r = glyph(static_cast<char>(ch));
    clip(c, r);
    const char t[2] = {static_cast<char>(ch), 0};
    PangoLayout *l = pango_cairo_create_layout(c);
    PangoFontDescription *font = pango_font_description_from_string("DejaVu Sans Mono Bold");
    pango_font_description_set_absolute_size(font, 12 * PANGO_SCALE);
    pango_layout_set_font_description(l, font);
    pango_font_description_free(font);
    pango_layout_set_text(l, t, -1);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(l, nullptr, &logical);
    const double x = r.x1 + (r.w() - logical.width) / 2.0, y = r.y1 + (r.h() - logical.height) / 2.0;
    cairo_move_to(c, x, y);
    pango_cairo_layout_path(c, l);
    cairo_set_source_rgba(c, 0, 0, 0, 0.8);
    cairo_set_line_width(c, 2);
    cairo_stroke(c);
    show(c, l, x, y, {1, 1, 1});
    g_object_unref(l);
    cairo_restore(c);
  }
}

// The stronger contrast's bricks, icons and balls: the ordinary pictures
// with a light outline, the bricks' symbols larger and edged in black.
void drawContrastPieces(cairo_t *c) {
  for (int k = 0; k < 8; k++) {
    const Rect r = contrastBrick(k), plain = brick(k);
    cairo_save(c);
    cairo_translate(c, r.x1 - plain.x1, r.y1 - plain.y1);
    drawBrick(c, plain, k);
    cairo_restore(c);
    clip(c, r);
    if (k < 5) {
      symbol(c, k, r.x1 + r.w() / 2.0, r.y1 + r.h() / 2.0, 8.5);
      cairo_set_source_rgb(c, 1, 1, 1);
      cairo_fill_preserve(c);
      cairo_set_source_rgb(c, 0, 0, 0);
      cairo_set_line_width(c, 2);
      cairo_stroke(c);
    }
    roundRect(c, r.x1 + 1, r.y1 + 1, r.w() - 2, r.h() - 2, 5);
    cairo_set_source_rgb(c, 1, 1, 1);
    cairo_set_line_width(c, 2);
    cairo_stroke(c);
    cairo_restore(c);
  }
  for (int b = 1; b <= 5; b++) {
    const Rect r = contrastIcon(b), plain = bonusIcon(b);
    cairo_save(c);
    cairo_translate(c, r.x1 - plain.x1, r.y1 - plain.y1);
    drawIcon(c, plain, b);
    cairo_restore(c);
    clip(c, r);
    cairo_arc(c, r.x1 + r.w() / 2.0, r.y1 + r.h() / 2.0, 13.5, 0, 2 * kPi);
    cairo_set_source_rgb(c, 0, 0, 0);
    cairo_set_line_width(c, 2);
    cairo_stroke(c);
    cairo_restore(c);
  }
  const struct {
    Rect r;
    double cx, cy, radius;
  } balls[2] = {{kContrastRestingBall, 16, 17, 13.5}, {kContrastFlyingBall, 41, 40.5, 36}};
  for (const auto &b : balls) {
    clip(c, b.r);
    ball(c, b.r.x1 + b.cx, b.r.y1 + b.cy, b.radius);
    cairo_arc(c, b.r.x1 + b.cx, b.r.y1 + b.cy, b.radius, 0, 2 * kPi);
    cairo_set_source_rgb(c, 1, 1, 1);
    cairo_set_line_width(c, b.radius > 20 ? 3 : 1.5);
    cairo_stroke(c);
    cairo_restore(c);
  }
}

void drawOptions(cairo_t *c) {
  const Colour heading{1, 0.85, 0.4};
  // TRANSLATORS: the options' page: its title, and its button at the top
  // left of the menu. Room: a short word in capitals.
  centredIn(c, tr("OPTIONS"), kOptionsTitle, 22, heading);
  centredIn(c, tr("KEYS"), kKeysTitle, 22, heading);
  smallButton(c, kOptionsButton, tr("OPTIONS"), 13);
  // TRANSLATORS: the keys' page's button that gives every action its first
  // key again.
  smallButton(c, kResetButton, tr("RESET"), 14);
  smallButton(c, kKeysButton, tr("KEYS"), 14);
  for (int i = 0; i < kOptionLabels; i++)
    alignedText(c, tr(kOptionLabelWords[i]), optionLabel(i), false, 12.5, {1, 1, 1});
  for (int i = 0; i < kOptionWords; i++) centredIn(c, tr(kOptionValueWords[i]), optionWord(i), 12.5, {1, 1, 1});
  // Each name shaped as its own language writes it (日本語 in Japanese
  // forms in every sheet, the Chinese one's included).
  const char *const sheetLanguage = gLanguage;
  for (int i = 0; i < kLanguageNames; i++) {
    gLanguage = kLanguageTags[i];
    centredIn(c, kLanguageNameWords[i], languageName(i), 12.5, {1, 1, 1});
  }
  gLanguage = sheetLanguage;
  for (int i = 0; i < kActionLabels; i++)
    alignedText(c, tr(kActionLabelWords[i]), actionLabel(i), false, 12, {1, 1, 1});
  // "Already used by:" ends where the action's label starts.
  for (int i = 0; i < kKeysWords; i++) alignedText(c, tr(kKeysSaidWords[i]), keysWord(i), i == kWordTaken, 12, heading);
  drawGlyphStrip(c);
  drawContrastPieces(c);
}

bool writeCursor(const std::string &path) {
  cairo_surface_t *s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 20, 28);
  cairo_t *c = cairo_create(s);
  // A pointer whose tip is the top-left pixel.
  cairo_move_to(c, 0.5, 0.5);
  cairo_line_to(c, 0.5, 20);
  cairo_line_to(c, 5, 15.5);
  cairo_line_to(c, 8.5, 24);
  cairo_line_to(c, 11.5, 22.5);
  cairo_line_to(c, 8, 14.5);
  cairo_line_to(c, 14, 14.5);
  cairo_close_path(c);
  cairo_set_source_rgb(c, 1, 1, 1);
  cairo_fill_preserve(c);
  cairo_set_source_rgb(c, 0.1, 0.1, 0.15);
  cairo_set_line_width(c, 1.2);
  cairo_stroke(c);
  cairo_rectangle(c, 0, 0, 1, 1);
  cairo_set_source_rgb(c, 0.1, 0.1, 0.15);
  cairo_fill(c);
  cairo_destroy(c);
  bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(s);
  return ok;
}
} // namespace

bool makeSheet(const std::string &path, const char *language, const Catalogue *words, std::vector<TextFit> &fits) {
  gLanguage = language;
  gWords = words;
  gFits.clear();
  cairo_surface_t *s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSheetWidth, kSheetHeight);
  cairo_t *c = cairo_create(s);
  cairo_set_antialias(c, CAIRO_ANTIALIAS_GOOD);
  drawTitle(c);
  drawMenuBackground(c);
  drawPlayBackground(c);
  for (int i = 0; i < 5; i++) drawButton(c, kButtons[i], kButtonLabels[i]);
  drawHelpPanel(c, false);
  drawHelpPageKeys(c);
  drawMusicSwitch(c, kMusicOn, true);
  drawMusicSwitch(c, kMusicOff, false);
  drawSoundsSwitch(c, kSoundsOn, true);
  drawSoundsSwitch(c, kSoundsOff, false);
  drawFocusArrow(c);
  drawPausePanel(c);
  drawReplayMark(c);
  drawResumePanel(c);
  drawTopFrame(c);
  for (int k = 0; k < 8; k++) drawBrick(c, brick(k), k);
  for (int b = 1; b <= 5; b++) drawIcon(c, bonusIcon(b), b);
  drawDigits(c);
  drawSmallPieces(c);
  drawGameOver(c);
  drawTextPieces(c);
  drawUnkept(c);
  drawDailyBand(c);
  drawOptions(c);
  drawCarried(c);
  cairo_destroy(c);
  bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(s);
  fits.insert(fits.end(), gFits.begin(), gFits.end());
  gWords = nullptr;
  return ok;
}

bool makeCursor(const std::string &folder) { return writeCursor(folder + "/curseur.png"); }

namespace {
void put(cairo_t *c, cairo_surface_t *sheet, Rect r, double x, double y, double alpha = 1) {
  cairo_save(c);
  cairo_rectangle(c, x, y, r.w(), r.h());
  cairo_clip(c);
  cairo_set_source_surface(c, sheet, x - r.x1, y - r.y1);
  cairo_paint_with_alpha(c, alpha);
  cairo_restore(c);
}

// A background under the half-dark veil the game lays over it.
void veiled(cairo_t *c, cairo_surface_t *sheet, Rect background) {
  put(c, sheet, background, 0, 0);
  cairo_set_source_rgba(c, 0, 0, 0, 0.5);
  cairo_paint(c);
}

bool save(cairo_surface_t *screen, const std::string &path) {
  return cairo_surface_write_to_png(screen, path.c_str()) == CAIRO_STATUS_SUCCESS;
}
} // namespace

bool makePreviews(const std::string &sheetPath, const std::string &outFolder) {
  cairo_surface_t *sheet = cairo_image_surface_create_from_png(sheetPath.c_str());
  if (cairo_surface_status(sheet) != CAIRO_STATUS_SUCCESS) return false;
  cairo_surface_t *screen = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kScreenWidth, kScreenHeight);
  cairo_t *c = cairo_create(screen);
  bool ok = true;

  put(c, sheet, kTitle, 0, 0);
  put(c, sheet, kNotice, kNoticeX, kNoticeRestY);
  ok &= save(screen, outFolder + "/title.png");

  put(c, sheet, kMenuBackground, 0, 0);
  for (int i = 0; i < 4; i++) put(c, sheet, kButtons[i], kButtonX, kButtonY[i]);
  put(c, sheet, kNotice, kNoticeX, kNoticeRestY);
  put(c, sheet, kMusicOn, kMusicIconAt.x, kMusicIconAt.y);
  put(c, sheet, kSoundsOff, kSoundsIconAt.x, kSoundsIconAt.y);
  put(c, sheet, kFocusArrow, kFocusArrowX, kButtonY[1] + (kButtons[1].h() - kFocusArrow.h()) / 2);
  ok &= save(screen, outFolder + "/menu.png");

  veiled(c, sheet, kMenuBackground);
  put(c, sheet, kHelpPanel, kHelpPanelAt.x, kHelpPanelAt.y);
  put(c, sheet, {kCreditX1, kCreditRows[1][0], kCreditX2, kCreditRows[1][1]}, kCreditAt.x, kCreditAt.y);
  put(c, sheet, kButtons[4], kButtonX, kButtonY[4]);
  ok &= save(screen, outFolder + "/help.png");
  put(c, sheet, kHelpPageKeys, kHelpPanelAt.x, kHelpPanelAt.y + kHelpPageKeysTop);
  ok &= save(screen, outFolder + "/help-page.png");

  veiled(c, sheet, kMenuBackground);
  put(c, sheet, kScoresTitle, kScoresTitleAt.x, kScoresTitleAt.y);
  const int scores[9] = {30, 25, 20, 19, 18, 15, 10, 9, 8};
  for (int r = 1; r <= 9; r++) {
    int y = kScoreRowsY + kScoreRowStep * (r - 1);
    put(c, sheet, digit(r), kScoreRankX, y);
    int x = kScoreValueX;
    for (int v = scores[r - 1]; v > 0; v /= 10) {
      int d = v % 10;
      put(c, sheet, digit(d), x, y);
      x -= kDigitX[d][1] - kDigitX[d][0];
    }
    for (int dx = kLeaderDotsFromX; dx <= kLeaderDotsToX; dx += kLeaderDotStep) put(c, sheet, kLeaderDot, dx, y + kLeaderDotDrop);
  }
  put(c, sheet, kButtons[4], kButtonX, kButtonY[4]);
  put(c, sheet, kExportButton, kExportAt.x, kExportAt.y);
  put(c, sheet, kImportButton, kImportAt.x, kImportAt.y);
  ok &= save(screen, outFolder + "/scores.png");
  // Each thing EXPORT and IMPORT say, one under another over the screen.
  veiled(c, sheet, kMenuBackground);
  for (int i = 0; i < kCarryWords; i++) put(c, sheet, carryWord(i), kCarryWordAt.x, 8 + (kCarryWordHeight + 14) * i);
  ok &= save(screen, outFolder + "/carried.png");

  // Play with a half-full wall, a bonus, the guide line and a cloud.
  put(c, sheet, kPlayBackground, 0, 0);
  const int cell = kBrickSize;
  for (int i = 0; i < 5; i++) put(c, sheet, brick(i % 5), kWallAt.x + cell * i, kFeederY);
  for (int row = 4; row < 8; row++)
    for (int col = 0; col < 9; col++)
      put(c, sheet, brick((row * 7 + col * 3) % 8), kWallAt.x + cell * col, kWallAt.y + cell * row);
  for (int b = 1; b <= 5; b++) put(c, sheet, bonusIcon(b), kWallAt.x + cell * (b + 1), kWallAt.y + cell * 5 + 1, 0.9);
  put(c, sheet, kTopFrame, 0, 0);
  put(c, sheet, kFeederStrip, 0, kFeederStrip.y1);
  put(c, sheet, cloud(1), 31 * 3 + 20, 31 * 4 + 43);
  cairo_set_line_width(c, 18);
  cairo_set_source_rgba(c, 1, 1, 1, 0.25);
  cairo_move_to(c, 163, 326);
  cairo_line_to(c, 154, 275);
  cairo_stroke(c);
  for (int i = 0; i < 6; i++) put(c, sheet, kLink, kAnchorX + i * 0.5, kAnchorY + i * 2.8);
  put(c, sheet, kRestingBall, kBallRest.x, kBallRest.y);
  put(c, sheet, kDragMe, kBallRest.x + 28, kBallRest.y - 8);
  put(c, sheet, kScoreLabel, kScoreLabelAt.x, kScoreLabelAt.y);
  put(c, sheet, digit(4), kScoreAt.x, kScoreAt.y);
  put(c, sheet, digit(2), kScoreAt.x + digit(4).w(), kScoreAt.y);
  ok &= save(screen, outFolder + "/play.png");

  put(c, sheet, kGameOverTop, kGameOverX, 80);
  put(c, sheet, kGameOverBottom, kGameOverX, 160);
  ok &= save(screen, outFolder + "/gameover.png");

  veiled(c, sheet, kPlayBackground);
  put(c, sheet, kPausePanel, kPausePanelAt.x, kPausePanelAt.y);
  ok &= save(screen, outFolder + "/paused.png");

  put(c, sheet, kPlayBackground, 0, 0);
  put(c, sheet, kTopFrame, 0, 0);
  put(c, sheet, kReplayMark, kReplayMarkAt.x, kReplayMarkAt.y);
  ok &= save(screen, outFolder + "/replay.png");

  veiled(c, sheet, kMenuBackground);
  put(c, sheet, kResumePanel, kResumePanelAt.x, kResumePanelAt.y);
  ok &= save(screen, outFolder + "/resume.png");

  // The notice of what could not be kept over the play, each what with
  // the longest why, and each why below it over the menu.
  put(c, sheet, kPlayBackground, 0, 0);
  put(c, sheet, kTopFrame, 0, 0);
  for (int i = 0; i < kUnkeptWhats; i++) {
    const int y = i == 0 ? kKeepNoticePlayY : kKeepNoticeY + (kKeepNoticeHeight + 2) * i;
    cairo_rectangle(c, 0, y, kScreenWidth, kKeepNoticeHeight);
    cairo_set_source_rgb(c, 0.07, 0.05, 0.12);
    cairo_fill(c);
    const Rect what = unkeptWhat(i), why = unkeptWhy(i % kUnkeptWhys);
    const int top = y + (kKeepNoticeHeight - kUnkeptRowHeight) / 2;
    put(c, sheet, what, kKeepNoticeJoin - what.w(), top);
    put(c, sheet, why, kKeepNoticeJoin + kKeepNoticeGap, top);
  }
  ok &= save(screen, outFolder + "/notkept.png");

  cairo_destroy(c);
  cairo_surface_destroy(screen);
  cairo_surface_destroy(sheet);
  return ok;
}

bool makeIcons(const std::string &folder) {
  bool ok = true;
  for (int size : {64, 128, 192, 256, 512}) {
    cairo_surface_t *s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t *c = cairo_create(s);
    cairo_scale(c, size / 64.0, size / 64.0);
    // A rounded tile with three bricks and the ball flying at them.
    roundRect(c, 2, 2, 60, 60, 12);
    vertical(c, 2, 62, {0.2, 0.42, 0.8}, {0.45, 0.22, 0.6});
    cairo_fill(c);
    const int kinds[3] = {0, 3, 2};
    for (int i = 0; i < 3; i++) {
      cairo_save(c);
      cairo_translate(c, 7 + i * 17, 10 + (i % 2) * 6);
      cairo_scale(c, 16.0 / 31, 16.0 / 31);
      cairo_translate(c, -31 * kinds[i], -621);
      drawBrick(c, brick(kinds[i]), kinds[i]);
      cairo_restore(c);
    }
    ball(c, 36, 44, 10);
    cairo_set_source_rgba(c, 1, 1, 1, 0.35);
    cairo_set_line_width(c, 3);
    cairo_set_line_cap(c, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(c, 20, 56);
    cairo_line_to(c, 28, 50);
    cairo_stroke(c);
    cairo_destroy(c);
    ok &= cairo_surface_write_to_png(s, (folder + "/zunk-" + std::to_string(size) + ".png").c_str()) ==
          CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
  }
  return ok;
}

// The colour tables, colour allocation (with the private-colormap and
// static-visual fallbacks), the graphics-context updates after a colour
// changes, and the colour window.
#include <X11/Xutil.h>

#include <cstdio>
#include <cstring>

#include "views/views.h"
#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "ui/ui.h"

unsigned long KD_LowColor, KD_HighColor, KD_CloseColor, KD_GridColor,
    KD_GraphColor, KD_BdColor, KD_MvavgColor, KD_BolColor, KD_BgColor,
    KD_FgColor, KD_RangeColor, KD_QueryPosColor, KD_QueryNegColor,
    KD_AdvColor, KD_DecColor, KD_DifColor, KD_UncColor, KD_HighlightColor, KD_CompareColor;
static unsigned long spare_pixel[3];  // entries 19..21 are never allocated

Window KD_ColorWin, KD_ColorWinSet[COLOR_WIN_FIELDS], KD_ColorWinDone;

// The global each colour entry is allocated into, by the entry's index.
static unsigned long* const pixels[COLOR_TABLE_SIZE] = {
    &KD_LowColor, &KD_HighColor, &KD_CloseColor, &KD_GridColor, &KD_GraphColor, &KD_BdColor,
    &KD_MvavgColor, &KD_BolColor, &KD_BgColor, &KD_FgColor, &KD_RangeColor, &KD_QueryPosColor,
    &KD_QueryNegColor, &KD_AdvColor, &KD_DecColor, &KD_DifColor, &KD_UncColor, &KD_HighlightColor,
    &KD_CompareColor, &spare_pixel[0], &spare_pixel[1], &spare_pixel[2]};

unsigned long& color_pixel(int index) { return *pixels[index]; }

bool is_monochrome() { return KD_Depth == 1 || (KD_Visual && KD_Visual->c_class == StaticGray); }

long XMakeNamedColor(const char* name) {
  Trace t("XMakeNamedColor", "name=%s", name);
  XColor screen, exact;
  if (!KD_Display || !XAllocNamedColor(KD_Display, KD_ColorMap, name, &screen, &exact))
    return -1;
  return static_cast<long>(screen.pixel);
}

// Fills the first NUM_COLORS cells of a new colormap with the table's colours.
static void use_private_colormap(ColorEntry* table, int allocated) {
  for (int i = 0; i < allocated; ++i) XFreeColors(KD_Display, KD_ColorMap, pixels[i], 1, 0);
  bool pseudo = KD_Visual->c_class == PseudoColor || KD_Visual->c_class == GrayScale;
  KD_ColorMap = XCreateColormap(KD_Display, KD_RootWin, KD_Visual, pseudo ? AllocNone : AllocAll);
  unsigned long cells[COLOR_TABLE_SIZE];
  for (int i = 0; i < NUM_COLORS; ++i) {
    if (!pseudo) { cells[i] = static_cast<unsigned long>(i); continue; }
    unsigned long planes;
    if (!XAllocColorCells(KD_Display, KD_ColorMap, False, &planes, 0, &cells[i], 1))
      XError("can't allocate colors");
  }
  for (int i = 0; i < NUM_COLORS; ++i) {
    XColor exact, screen;
    if (!XLookupColor(KD_Display, KD_ColorMap, table[i].name, &exact, &screen) &&
        !XLookupColor(KD_Display, KD_ColorMap, default_color_name(i), &exact, &screen))
      exact.red = exact.green = exact.blue = 0;
    exact.pixel = cells[i];
    exact.flags = DoRed | DoGreen | DoBlue;
    XStoreColor(KD_Display, KD_ColorMap, &exact);
    *pixels[i] = cells[i];
  }
}

// On a static visual no private colormap can be made: an unknown name keeps
// its entry's start colour.
static void use_default_colors(ColorEntry* table, int from) {
  for (int i = from; i < NUM_COLORS; ++i) {
    long pixel = XMakeNamedColor(table[i].name);
    if (pixel < 0) {
      const char* fallback = default_color_name(i);
      std::fprintf(stderr, "kadmer: unknown color %s for %s, using %s\n", table[i].name,
                   table[i].label + std::strspn(table[i].label, " "), fallback);
      pixel = XMakeNamedColor(fallback);
      if (pixel < 0)
        pixel = static_cast<long>(i == COLOR_BACKGROUND ? BlackPixel(KD_Display, KD_Screen)
                                                        : WhitePixel(KD_Display, KD_Screen));
    }
    *pixels[i] = static_cast<unsigned long>(pixel);
  }
}

static bool dynamic_visual() {
  int c = KD_Visual->c_class;
  return c == PseudoColor || c == GrayScale || c == DirectColor;
}

int initialize_colors() {
  Trace t("initialize_colors");
  ColorEntry* table = current_color_table();
  int i = 0;
  for (; i < NUM_COLORS; ++i) {
    long pixel = XMakeNamedColor(table[i].name);
    if (pixel < 0) break;
    *pixels[i] = static_cast<unsigned long>(pixel);
  }
  int rc = 1;
  if (i < NUM_COLORS) {
    rc = 0;
    if (dynamic_visual()) use_private_colormap(table, i);
    else use_default_colors(table, i);
  }
  t.set_result("rc=%d", rc);
  return rc;
}

static void set_fg(GC gc, unsigned long pixel) { if (gc) XSetForeground(KD_Display, gc, pixel); }
static void set_bg(GC gc, unsigned long pixel) { if (gc) XSetBackground(KD_Display, gc, pixel); }

void Reset_Colors(int i) {
  Trace t("Reset_Colors", "i=%d", i);
  if (!KD_Display) return;
  static GC* const simple[COLOR_WIN_FIELDS] = {
      &KD_GC_Low, &KD_GC_High, &KD_GC_Close, &KD_GC_Grid, &KD_GC_Graph, &KD_GC_Border,
      &KD_GC_Mvavg, &KD_GC_Bol, nullptr, nullptr, &KD_GC_Range, &KD_GC_Qpos,
      &KD_GC_Qneg, &KD_GC_Adv, &KD_GC_Dec, &KD_GC_Dif, &KD_GC_Unc};
  if (i < 0 || i >= COLOR_WIN_FIELDS) return;
  if (simple[i]) {
    set_fg(*simple[i], *pixels[i]);
    if (i == COLOR_CLOSE)  // the loaded members' close dots too
      for (HistoryMember& m : stocklist) set_fg(static_cast<GC>(m.gc), KD_CloseColor);
  } else if (i == COLOR_BACKGROUND) {
    set_fg(KD_GC0, KD_BgColor);
    for (GC gc : {KD_GC1, KD_GC_Graph, KD_GC_Close, KD_GC_Range, KD_GC_Mvavg, KD_GC_Grid})
      set_bg(gc, KD_BgColor);
    set_fg(KD_XOR, KD_FgColor ^ KD_BgColor);
  } else {
    set_bg(KD_GC0, KD_FgColor);
    set_fg(KD_GC1, KD_FgColor);
    set_fg(KD_XOR, KD_FgColor ^ KD_BgColor);
  }
  // The menu titles are redrawn here once the menu bar exists.
}

void fn_colors() {
  Trace t("fn_colors");
  if (!KD_Display || is_monochrome() || KD_ColorWin) return;
  KD_ColorWin = create_dialog(32 * font_width, 21 * font_height);
  for (int i = 0; i < COLOR_WIN_FIELDS; ++i)
    KD_ColorWinSet[i] = create_child(KD_ColorWin, 13 * font_width, bw + (i + 1) * font_height,
                                     12 * font_width, font_height);
  KD_ColorWinDone =
      create_child(KD_ColorWin, 14 * font_width, bw + 19 * font_height, 6 * font_width, font_height);
  XSelectInput(KD_Display, KD_ColorWin, event_mask_window);
  XSelectInput(KD_Display, KD_ColorWinDone, event_mask_window);
  for (Window f : KD_ColorWinSet) XSelectInput(KD_Display, f, event_mask_field);
  XMapRaised(KD_Display, KD_ColorWin);
  XMapSubwindows(KD_Display, KD_ColorWin);
}

void draw_colorwin() {
  Trace t("draw_colorwin");
  ColorEntry* table = current_color_table();
  for (int i = 0; i < COLOR_WIN_FIELDS; ++i) {
    paint_text(KD_ColorWin, Role::GC1, font_width, (i + 2) * font_height, table[i].label);
    paint_text(KD_ColorWinSet[i], Role::GC1, font_width, font_ascent, table[i].name);
  }
  draw_colorwin_done(Role::GC1, Role::GC0);
}

void draw_colorwin_done(Role fgc, Role bgc) {
  Trace t("draw_colorwin_done");
  paint_fill(KD_ColorWinDone, bgc, 0, 0, 6 * font_width, font_height);
  paint_text(KD_ColorWinDone, fgc, font_width, font_ascent, "done");
}

// The pointer entered the field, which starts its text afresh: blanked.
void draw_color_win(int i) {
  Trace t("draw_color_win", "i=%d", i);
  if (i < 0 || i >= COLOR_WIN_FIELDS) return;
  paint_fill(KD_ColorWinSet[i], Role::GC0, 0, 0, 12 * font_width, font_height);
}

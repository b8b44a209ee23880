// The market summary screen: one layout drawn with a small window per cell
// that shows its code; a click on one charts that index or statistic.
#include <cstdio>
#include <vector>

#include "chart/chart.h"
#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "market/market.h"
#include "ui/ui.h"

namespace {

std::vector<LayoutCell> shown;  // the cells of the layout on the screen

void draw_code(const LayoutCell& c) {
  paint_fill(c.window, Role::GC0, 0, 0, c.code_width * font_width, font_height);
  paint_text(c.window, Role::GC1, 0, font_ascent, c.code);
}

void draw_layout(const LayoutLabel* labels, int nlabels, std::vector<LayoutCell>& cells, int width) {
  Trace t("draw_layout", "nlabels=%d ncells=%d width=%d", nlabels, static_cast<int>(cells.size()), width);
  int columns = font_width > 0 ? main_win_width / font_width : 0;
  int left = columns > width ? (columns - width) / 2 : 0;
  auto at = [&](int column, int row, const char* text, Role role = Role::GC1) {
    paint_text(KD_MainWin, role, (left + column) * font_width, row * font_height, text);
  };
  if (KD_Display)
    for (LayoutCell& c : cells)
      c.window = create_child(KD_MainWin, (left + c.code_column) * font_width, c.code_row * font_height,
                              c.code_width * font_width, font_height);
  char text[64];
  std::snprintf(text, sizeof text, "%02d/%02d/%02d", marketsday / 10000, marketsday / 100 % 100, marketsday % 100);
  at(30, 5, text);
  std::snprintf(text, sizeof text, "%02d/%02d/%02d      %c", marketeday / 10000, marketeday / 100 % 100,
                marketeday % 100, '%');
  at(39, 5, text);
  for (int i = 0; i < nlabels; ++i) at(labels[i].column, labels[i].row, labels[i].text);
  for (LayoutCell& c : cells) {
    if (c.window && KD_Display) {
      XSelectInput(KD_Display, c.window, event_mask_window);
      XMapRaised(KD_Display, c.window);
    }
    draw_code(c);
    at(c.column, c.row, c.label);
    CellText v = cell_text(c);
    at(c.start_column, c.start_row, v.start.c_str());
    at(c.end_column, c.end_row, v.end.c_str());
    at(c.change_column, c.change_row, v.change.c_str());
  }
}

}  // namespace

void wipeit(std::vector<LayoutCell>& cells) {
  Trace t("wipeit");
  for (LayoutCell& c : cells) {
    if (c.window && KD_Display) {
      XUnmapWindow(KD_Display, c.window);
      XDestroyWindow(KD_Display, c.window);
    }
    c.window = 0;
  }
}

void destroymarket() {
  Trace t("destroymarket");
  wipeit(shown);
  shown.clear();
}

void draw_market() {
  Trace t("draw_market");
  if (marketeday == 0 || marketsday == 0 || marketdisp == ' ') {
    status("market", __LINE__, "draw_market: Not all market variables set");
    return;
  }
  destroymarket();
  Layout l = layout_of(marketdisp);
  if (!l.labels) return;
  shown = std::move(l.cells);
  draw_layout(l.labels, 4, shown, 70);
}

bool market_cell_expose(Window w) {
  for (const LayoutCell& c : shown)
    if (c.window == w && w) {
      draw_code(c);
      return true;
    }
  return false;
}

const char* market_code_of(Window w) {
  for (const LayoutCell& c : shown)
    if (c.window == w && w) return c.code;
  return nullptr;
}

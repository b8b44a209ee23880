// The market summary screen: the layout of the exchange chosen, centred in
// the window. On the display each code sits in a small window of its own,
// which a click charts; without one it is drawn in its place.
#include <cstdio>
#include <vector>

#include "core/core.h"
#include "market/market.h"
#include "paint/paint.h"
#include "views/views.h"

std::vector<LayoutCell> market_cells;
MarketWindows market_windows;

namespace {

int layout_left(int width) {
  int columns = font_width > 0 ? main_win_width / font_width : 0;
  return columns > width ? (columns - width) / 2 : 0;
}

// The layouts count their rows from the window's top: below the message
// and title lines they stand that much lower.
int layout_y(int row) { return (row + HEADING_LINES) * font_height; }

void draw_layout(const LayoutLabel* labels, std::vector<LayoutCell>& cells, int width) {
  Trace t("draw_layout", "nlabels=%d ncells=%d width=%d", LAYOUT_LABELS, static_cast<int>(cells.size()), width);
  int left = layout_left(width);
  auto at = [&](int column, int row, const char* text, Role role = Role::GC1) {
    draw_text_cut(role, (left + column) * font_width, layout_y(row), text);
  };
  char text[64];
  std::snprintf(text, sizeof text, "%02d/%02d/%02d", marketsday / 10000, marketsday / 100 % 100, marketsday % 100);
  at(30, 5, text);
  std::snprintf(text, sizeof text, "%02d/%02d/%02d      %c", marketeday / 10000, marketeday / 100 % 100,
                marketeday % 100, '%');
  at(39, 5, text);
  for (int i = 0; i < LAYOUT_LABELS; ++i) at(labels[i].column, labels[i].row, labels[i].text);
  for (LayoutCell& c : cells) {
    if (market_windows.create)
      c.window = market_windows.create((left + c.code_column) * font_width, layout_y(c.code_row),
                                       c.code_width * font_width, font_height);
    draw_code(c);
    at(c.column, c.row, c.label);
    CellText v = cell_text(c);
    at(c.start_column, c.start_row, v.start.c_str());
    at(c.end_column, c.end_row, v.end.c_str());
    at(c.change_column, c.change_row, v.change.c_str());
  }
}

}  // namespace

void draw_code(const LayoutCell& c) {
  if (c.window) {
    paint_fill(c.window, Role::GC0, 0, 0, c.code_width * font_width, font_height);
    paint_text(c.window, Role::GC1, 0, font_ascent, c.code);
    return;
  }
  int x = (layout_left(70) + c.code_column) * font_width, y = layout_y(c.code_row);
  paint_rect(KD_MainWin, Role::GC1, x - 1, y - 1, c.code_width * font_width + 1, font_height + 1);
  paint_text(KD_MainWin, Role::GC1, x, y + font_ascent, c.code);
}

void draw_market() {
  Trace t("draw_market");
  if (marketeday == 0 || marketsday == 0 || marketdisp == ' ') {
    status("market", __LINE__, "draw_market: Not all market variables set");
    return;
  }
  if (market_windows.destroy) market_windows.destroy();
  market_cells.clear();
  Layout l = layout_of(marketdisp);
  if (!l.labels) return;
  market_cells = std::move(l.cells);
  draw_layout(l.labels, market_cells, 70);
}

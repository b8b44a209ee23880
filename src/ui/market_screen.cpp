// The small windows of the market summary screen: one a cell, showing its
// code; a click on one charts that index or statistic.
#include <vector>

#include "core/core.h"
#include "market/market.h"
#include "ui/ui.h"

namespace {

Surface code_window(int x, int y, int width, int height) {
  if (!KD_Display) return 0;
  Window w = create_child(KD_MainWin, x, y, width, height);
  XSelectInput(KD_Display, w, event_mask_window);
  XMapRaised(KD_Display, w);
  return w;
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
  wipeit(market_cells);
  market_cells.clear();
}

void install_market_windows() { market_windows = {code_window, destroymarket}; }

bool market_cell_expose(Window w) {
  for (const LayoutCell& c : market_cells)
    if (c.window == w && w) {
      draw_code(c);
      return true;
    }
  return false;
}

const char* market_code_of(Window w) {
  for (const LayoutCell& c : market_cells)
    if (c.window == w && w) return c.code;
  return nullptr;
}

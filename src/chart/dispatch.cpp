// draw_chart: clears the main window and draws the screen `graphlook` names.
#include <array>

#include "chart/chart.h"
#include "core/core.h"
#include "market/market.h"

namespace {

using Drawer = void (*)();

// One drawer per `graphlook`; screens without one are left empty.
constexpr auto drawers = [] {
  std::array<Drawer, 17> t{};
  t[16] = draw_firstmsg;
  return t;
}();

}  // namespace

void draw_chart() {
  Trace t("draw_chart");
  if (debuglvl >= 2) debug("%d-> draw_chart: graphlook=%d\n", stkind, graphlook);
  clear_graph();
  if (graphlook >= 0 && graphlook < static_cast<int>(drawers.size()) && drawers[graphlook])
    drawers[graphlook]();
}

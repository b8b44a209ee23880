// draw_chart: clears the main window and draws the screen `graphlook` names,
// or stacks the panels of the split screen.
#include <cmath>
#include <cstring>

#include "core/core.h"
#include "views/views.h"

// The first request the display gets after the last chart drawing: an
// exposure before it is covered (the user interface reads it).
unsigned long (*next_request)();
unsigned long chart_drawn_to;

namespace {

using Drawer = void (*)();

void draw_group_list() { draw_grps(1, 0, 0); }
void draw_company_list() { draw_companys(1, 0, 0); }
void draw_watch_view() { draw_watchlists(1, 0, 0); }
void draw_combined();

// The drawer of each screen; a screen without one is left empty.
Drawer drawer_of(View v) {
  switch (v) {
    case View::Price: case View::Group: return draw_stock;
    case View::Volume: return draw_volume;
    case View::Rsi: return draw_rsi;
    case View::Macd: return draw_macd;
    case View::Stoch: return draw_stoch;
    case View::Split: return draw_combined;
    case View::Query: return draw_query;
    case View::Movement: return draw_avalue;
    case View::Value: return draw_gvalue;
    case View::Groups: return draw_group_list;
    case View::Companies: return draw_company_list;
    case View::AdLine: return draw_adln;
    case View::Market: return draw_market;
    case View::FirstMessage: return draw_firstmsg;
    case View::Watchlists: return draw_watch_view;
    case View::Cleared: break;
  }
  return nullptr;
}

Drawer panel_of(char letter) {
  switch (letter) {
    case 's': return draw_stock;
    case 'v': return draw_volume;
    case 'r': return draw_rsi;
    case 'm': return draw_macd;
    case 't': return draw_stoch;
    case 'a': return draw_avalue;
    case 'g': return draw_gvalue;
    default: return nullptr;
  }
}

// The panels of `comblist` one above the other, each with a share of the
// steps; the geometry is restored afterwards.
void draw_combined() {
  int n = static_cast<int>(strnlen(comblist, sizeof comblist));
  if (n > 0) {
    int saved[8] = {xlt_indent, xlb_indent, xrt_indent, xrb_indent, ylt_indent, yrt_indent, ylb_indent, yrb_indent};
    int saved_volume = volume_steps, saved_price = price_steps;
    float saved_price_incr = price_incr, saved_volume_incr = volume_incr;
    volume_steps = volume_steps / (2 * n);
    price_steps = 3 * price_steps / (2 * n);
    // Fewer steps each cover more, so that a panel still spans the whole
    // price and volume range instead of cutting off its top.
    if (price_steps > 0)
      price_incr = std::ceil(price_incr * saved_price / price_steps * 16 - 1e-3f) / 16;
    if (volume_steps > 0) volume_incr = std::ceil(volume_incr * saved_volume / volume_steps);
    // Between two panels: the upper one's rows of dates (two for weekly and
    // longer bars) and half a label of the lower one's top.
    int gap = 8 * bw + (graph_type == 1 ? 1 : 2) * font_height + font_height;
    int h = (ylb_indent - ylt_indent - (n - 1) * gap) / n;
    for (int i = 0; i < n; ++i) {
      ylb_indent = ylt_indent + h;
      yrb_indent = yrt_indent + h;
      calculate_indexs();
      if (Drawer d = panel_of(comblist[i])) d();
      ylt_indent += h + gap;
      yrt_indent += h + gap;
    }
    xlt_indent = saved[0], xlb_indent = saved[1], xrt_indent = saved[2], xrb_indent = saved[3];
    ylt_indent = saved[4], yrt_indent = saved[5], ylb_indent = saved[6], yrb_indent = saved[7];
    volume_steps = saved_volume;
    price_steps = saved_price;
    price_incr = saved_price_incr;
    volume_incr = saved_volume_incr;
    calculate_globals();
  }
  graphlook = View::Price;
  const CompanyRec& cop = find_co(symbolname);
  draw_comp(&cop);
  graphlook = View::Split;
}

}  // namespace

void draw_chart() {
  Trace t("draw_chart");
  if (debuglvl >= 2) debug("%d-> draw_chart: graphlook=%d\n", stkind, static_cast<int>(graphlook));
  clear_graph();
  // Only the days this drawing places get a position: tracking, zoom and
  // the volume mark look among those.
  for (std::vector<WorkDay>& w : worklist)
    for (WorkDay& d : w) d.xpix = -1;
  if (Drawer d = drawer_of(graphlook)) d();
  if (message_text[0]) draw_message();
  draw_title();
  if (next_request) chart_drawn_to = next_request();
}

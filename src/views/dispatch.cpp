// draw_chart: clears the main window and draws the screen `graphlook` names.
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

// The drawer of each screen; a screen without one is left empty.
Drawer drawer_of(View v) {
  switch (v) {
    case View::Price: case View::Group: return draw_stock;
    case View::Volume: return draw_volume;
    case View::Rsi: return draw_rsi;
    case View::Macd: return draw_macd;
    case View::Stoch: return draw_stoch;
    case View::Split: return draw_split;
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

}  // namespace

ValueAxis drawn_axis;

void draw_chart() {
  Trace t("draw_chart");
  if (debuglvl >= 2) debug("%d-> draw_chart: graphlook=%d\n", stkind, static_cast<int>(graphlook));
  clear_graph();
  drawn_axis = {};
  // Only the days this drawing places get a position: tracking, zoom and
  // the volume mark look among those.
  for (std::vector<WorkDay>& w : worklist)
    for (WorkDay& d : w) d.xpix = -1;
  if (Drawer d = drawer_of(graphlook)) d();
  if (message_text[0]) draw_message();
  draw_title();
  if (next_request) chart_drawn_to = next_request();
}

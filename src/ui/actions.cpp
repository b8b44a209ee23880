// The menu actions: the panels, the dialogs, scrolling, zoom, the volume
// mark, the switches and quit.
#include <X11/cursorfont.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "views/views.h"
#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "ui/dialogs.h"
#include "ui/ui.h"

namespace {

// One rule for the six panels: a named security shows the panel; without
// one the stock dialog opens and the panel follows once it is loaded.
void panel(View view) {
  if (KD_GroupWin && num_days < 2) clear_group_var();
  if (load == 2 || (KD_GroupWin && num_days >= 2)) {
    graphlook = view;
    draw_chart();
    graphlook = View::Group;
  } else if (symbolname[0]) {
    graphlook = view;
    draw_chart();
  } else {
    fn_stock();
    graphlook = view;
  }
}

}  // namespace

void fn_volume() { Trace t("fn_volume"); panel(View::Volume); }
void fn_rsi() { Trace t("fn_rsi"); panel(View::Rsi); }
void fn_macd() { Trace t("fn_macd"); panel(View::Macd); }
void fn_stoch() { Trace t("fn_stoch"); panel(View::Stoch); }
void fn_move() { Trace t("fn_move"); panel(View::Movement); }
void fn_gvalue() { Trace t("fn_gvalue"); panel(View::Value); }

void fn_stock() {
  Trace t("fn_stock");
  if (KD_GroupWin) clear_group_var();
  if (load == 2) clear_db_var();
  bool opened = open_stock_dialog();
  if (!opened || symbolname[0]) draw_chart();
}

void fn_group() {
  Trace t("fn_group");
  clear_stock_var();
  clear_db_var();
  if (!open_group_dialog()) draw_chart();
}

void clear_group_var() {
  Trace t("clear_group_var");
  close_group_dialog();
  groupname[0] = '\0';
  clear_graph();
}

void fn_market() {
  Trace t("fn_market");
  graphlook = View::Market;
  if (!open_market_dialog()) draw_chart();
}

void fn_adln() {
  Trace t("fn_adln");
  if (KD_GroupWin) clear_group_var();
  if (KD_StockWin) clear_stock_var();
  if (!open_adln_dialog()) {
    draw_chart();
  } else if (!shown_dates_set()) {
    fn_date();  // the line needs a range of days
  }
}

void fn_comb() {
  Trace t("fn_comb");
  open_comb_dialog();
  draw_chart();
}

void fn_date() { Trace t("fn_date"); open_date_dialog(); }
void fn_price() { Trace t("fn_price"); open_price_dialog(); }
void fn_database() { Trace t("fn_database"); open_database_dialog(); }

void fn_mvavg() {
  Trace t("fn_mvavg");
  if (KD_Display && KD_GC_Mvavg) XSetLineAttributes(KD_Display, KD_GC_Mvavg, 1, LineSolid, CapRound, JoinRound);
  open_mvavg_dialog();
}

void fn_adjust() {
  Trace t("fn_adjust");
  if (open_adjust_dialog()) {
    adjust_date = 0;
    adjust_ratio = 0;
  }
}

void fn_grid() {
  Trace t("fn_grid");
  gridstate = gridstate == 1 ? 0 : 1;
  set_switch_label("grid %s", gridstate == 1);
}

void fn_track() {
  Trace t("fn_track");
  trackstate = trackstate == 1 ? 0 : 1;
  if (KD_Display) XSelectInput(KD_Display, KD_MainWin, main_window_mask());
  set_switch_label("track %s", trackstate == 1);
}

void fn_zoom() {
  Trace t("fn_zoom");
  if (chart_view(graphlook)) {
    set_cursor(XC_crosshair);
    zoom = 1;
    zoom_x = zoom_y = z_x0 = z_x1 = z_y0 = z_y1 = -1;
  }
}

void fn_unzoom() {
  Trace t("fn_unzoom");
  if (zoomlvl == 1) {
    KD_csd = Z_sd, KD_csm = Z_sm, KD_csy = Z_sy, KD_ced = Z_ed, KD_cem = Z_em, KD_cey = Z_ey;
  } else {
    KD_csd = KD_sd, KD_csm = KD_sm, KD_csy = KD_sy, KD_ced = KD_ed, KD_cem = KD_em, KD_cey = KD_ey;
  }
  zoomlvl = 0;
  work_days = num_days;
  price_incr = org_price_incr;
  price_steps = org_price_steps;
  price_bottom = org_price_bottom;
  volume_steps = org_volume_steps;
  fill_work();
  calculate_globals();
}

void fn_mark() {
  Trace t("fn_mark");
  if (mark == 1) return;
  if (graphlook == View::Price) {
    mark = 1;
    set_cursor(XC_crosshair);
  } else {
    status("fn", __LINE__, "fn_mark: deferred implementation");
  }
}

void fn_unmark() { Trace t("fn_unmark"); mark = 0; }

void fn_quit() {
  stkind = 0;
  close_graph();
  std::exit(0);
}

void clear_db_var() {
  Trace t("clear_db_var");
  free_history();
  num_days = 0;
  work_days = 0;
  load = 0;
}

void clear_stock_var() {
  Trace t("clear_stock_var");
  close_stock_dialog();
  symbolname[0] = '\0';
  stockbuyprice = 0;
  stockbuyavol = 0;
  clear_graph();
}

// ---- arrows ----

namespace {

// The arrows' step in loaded days, which are the weekdays: a day, a week, a
// month, a quarter, a year. Counted, not measured in time, a step back and
// one on return to the same days.
int arrow_days() {
  static const int steps[] = {0, 1, 5, 21, 65, 260};
  return graph_adv >= 1 && graph_adv <= 5 ? steps[graph_adv] : 0;
}

void redraw_after_scroll() {
  fill_work();
  calculate_globals();
  clear_graph();
  draw_chart();
  draw_datewin();
}

bool distribution_view() { return graphlook == View::Query && querylook == ListView::Distribution; }

// The days the chart shows, as loaded days of the first member (from 1):
// from the first day of the window to the last one drawn (to the window's
// end before anything is drawn). Scrolling moves this span whole.
struct Span {
  int first, last;
};

const std::vector<StockDay>& loaded_days() { return stocklist[0].days; }
int loaded_end() { return std::min(num_days, static_cast<int>(loaded_days().size())); }

bool shown_span(Span* s) {
  if (num_days < 2 || stocklist.empty() || worklist.empty() || worklist[0].empty()) return false;
  const std::vector<WorkDay>& w = worklist[0];
  int drawn = std::min(work_days, static_cast<int>(w.size()));
  while (drawn > 0 && w[drawn - 1].xpix < 0) --drawn;
  time_t from = day_key(full_year(KD_csy), KD_csm, KD_csd);
  time_t to = drawn > 0 ? w[drawn - 1].date : day_key(full_year(KD_cey), KD_cem, KD_ced);
  const std::vector<StockDay>& days = loaded_days();
  int n = loaded_end();
  s->first = 1, s->last = n - 1;
  while (s->first < n - 1 && from != NO_KEY && days[s->first].date < from) ++s->first;
  while (s->last > s->first && to != NO_KEY && days[s->last].date > to) --s->last;
  return true;
}

// The window becomes the span starting at loaded day `first`, its length
// kept, pushed back inside the loaded days.
void show_span(const Span& s, int first) {
  int length = s.last - s.first, n = loaded_end();
  first = std::clamp(first, 1, std::max(1, n - 1 - length));
  const StockDay& a = loaded_days()[first];
  const StockDay& b = loaded_days()[std::min(n - 1, first + length)];
  KD_csd = a.eday, KD_csm = a.emon, KD_csy = a.eyear;
  KD_ced = b.eday, KD_cem = b.emon, KD_cey = b.eyear;
  redraw_after_scroll();
}

// The distribution view moves its labels or its scale, and shows it.
void move_distribution(int* offset, int by) {
  *offset += by;
  if (offset == &distr_offy && *offset < 0) *offset = 0;  // unzoomed is as far as it goes
  clear_graph();
  draw_chart();
}

}  // namespace


void fn_arrowleft() {
  Trace t("fn_arrowleft");
  if (distribution_view()) {
    move_distribution(&distr_offx, -1);
    return;
  }
  if (Span s; arrow_days() > 0 && shown_span(&s)) show_span(s, s.first - arrow_days());
}

void fn_arrowright() {
  Trace t("fn_arrowright");
  if (distribution_view()) {
    move_distribution(&distr_offx, 1);
    return;
  }
  if (Span s; arrow_days() > 0 && shown_span(&s)) show_span(s, s.first + arrow_days());
}

// The rows below the heading: a page, or half of one.
int page_rows() {
  int below = main_win_height - list_top();
  if (arrow_adv == 1) return below / (font_height * 2);
  if (arrow_adv == 2) return below / font_height;
  return 0;
}

namespace {

void page(int direction) {
  int rows = page_rows();
  int before = arrow_index;
  arrow_index += direction * rows;
  if (arrow_index < 0) arrow_index = 0;
  if (direction > 0 && graphlook == View::Query && query_page_empty()) arrow_index = before;  // the last page stays
  clear_graph();
  draw_chart();
}

}  // namespace

void fn_arrowdown() {
  Trace t("fn_arrowdown");
  if (distribution_view()) move_distribution(&distr_offy, -1);
  else page(1);
}

void fn_arrowup() {
  Trace t("fn_arrowup");
  if (distribution_view()) move_distribution(&distr_offy, 1);
  else page(-1);
}

void fn_firstpage() {
  Trace t("fn_firstpage");
  arrow_index = 0;
  clear_graph();
  draw_chart();
}

// A query list pages on while the next page has rows; the lists of all
// groups and companies know their rows.
void fn_lastpage() {
  Trace t("fn_lastpage");
  int rows = page_rows();
  if (rows <= 0) return;
  if (graphlook == View::Query) {
    int last = 0;
    for (arrow_index = rows; arrow_index <= querynum && !query_page_empty(); arrow_index += rows) last = arrow_index;
    arrow_index = last;
  } else {
    arrow_index = std::max(0, (list_rows() - 1) / rows * rows);
  }
  clear_graph();
  draw_chart();
}

// The days shown move to the first and to the last loaded days, as the
// arrows pressed until they stop.
void fn_firstdays() {
  Trace t("fn_firstdays");
  if (Span s; shown_span(&s)) show_span(s, 1);
}

void fn_lastdays() {
  Trace t("fn_lastdays");
  if (Span s; shown_span(&s)) show_span(s, loaded_end());
}

// ---- the items of later capabilities ----

// ---- the query commands ----

namespace {

// Every query command opens the query window; with a count it loads the
// query the first time, runs the step its list needs, and shows the list.
void query_command(void (*step)()) {
  make_querywin();
  if (querycount == 0) return;
  arrow_index = 0;  // a list opens at its top
  if (!query_table_made) {
    load_query();
    explain_query();
  }
  if (step) step();
  draw_chart();
}

}  // namespace

void fast_query() { Trace t("fast_query"); query_command(nullptr); }
void fn_hl() { Trace t("fn_hl"); query_command(nullptr); }
void slow_query() {
  Trace t("slow_query");
  query_command([] {
    if (!queryextraloaded) load_query_extra();
  });
}
void fn_groups() {
  Trace t("fn_groups");
  query_command([] {
    if (!querygroupsloaded) load_query_groups();
  });
}
void fn_distr() {
  Trace t("fn_distr");
  distr_offx = distr_offy = 0;
  query_command([] {
    if (!querydistrloaded) load_query_distr();
  });
}


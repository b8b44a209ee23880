// What a typed text becomes: each kind of field's parsing and store, and
// the follow-up of each dialog, which reloads, recomputes and redraws as far
// as the field needs.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "market/market.h"
#include "ui/dialog_table.h"
#include "ui/ui.h"
#include "views/views.h"

namespace {

// ---- parsing ----

// "m/d/y": three numbers and two '/'; false for anything else or a day that
// does not exist.
bool parse_mdy(const char* s, int* m, int* d, int* yy) {
  if (std::count(s, s + std::strlen(s), '/') < 2) return false;
  int y;
  if (std::sscanf(s, "%d/%d/%d", m, d, &y) != 3 || y < 0) return false;
  int full = y < 100 ? full_year(y) : y;
  if (!valid_date(full, *m, *d)) return false;
  *yy = full % 100;
  return true;
}

// Day count: false keeps the entry open (no data, or more days than loaded).
bool store_day_count(const char* text, bool on_return) {
  int n;
  if (!scan_int(text, &n)) return true;
  const char* who = on_return ? "keypress" : "leave";
  if (worklist.empty() || stocklist.empty()) {
    std::snprintf(statusbuf, sizeof statusbuf, "%s: no stock data", who);
    status("event", __LINE__, statusbuf);
    return false;
  }
  if (n > num_days) {
    std::snprintf(statusbuf, sizeof statusbuf, "%s: exceed stock days", who);
    status("event", __LINE__, statusbuf);
    return false;
  }
  if (n > disp_days) {
    KD_csd = KD_sd, KD_csm = KD_sm, KD_csy = KD_sy;
    KD_ced = KD_ed, KD_cem = KD_em, KD_cey = KD_ey;
  }
  fill_work();
  disp_days = n;
  set_day(n);
  return true;
}

// A typed value that can not be stored: said, and the old value stays.
void refuse(const char* text, const char* what) {
  if (!text[0]) return;  // Return on an empty entry changes nothing, silently
  char line[200];
  std::snprintf(line, sizeof line, "%.60s is not %s: the old value stays", text, what);
  tell(line);
}

bool store_date(const char* text, int* m, int* d, int* y) {
  if (parse_mdy(text, m, d, y)) return true;
  refuse(text, "a date (month/day/year, as 12/4/26)");
  return false;
}

// Loads the shown data again (for a split or after a zoom cut the work
// days), keeping the shown window the user chose.
void reload() {
  if (graphlook == View::AdLine) {  // the advance/decline line of the range typed
    loadad();
    return;
  }
  bool group = graphlook == View::Group;
  if (group ? groupname[0] == '\0' : symbolname[0] == '\0') return;
  int w[6] = {KD_csd, KD_csm, KD_csy, KD_ced, KD_cem, KD_cey};
  if ((group ? loadgroup() : loadstock()) != 0) return;
  KD_csd = w[0], KD_csm = w[1], KD_csy = w[2], KD_ced = w[3], KD_cem = w[4], KD_cey = w[5];
}

// Shown dates the wrong way round show no day: said.
void check_shown_dates() {
  long first = day_number(full_year(KD_csy), KD_csm, KD_csd), last = day_number(full_year(KD_cey), KD_cem, KD_ced);
  if (!valid_date(full_year(KD_csy), KD_csm, KD_csd) || !valid_date(full_year(KD_cey), KD_cem, KD_ced) || first <= last)
    return;
  char text[128];
  std::snprintf(text, sizeof text, "the chart's start %d/%d/%02d lies after its end %d/%d/%02d: no day is shown",
                KD_csm, KD_csd, KD_csy, KD_cem, KD_ced, KD_cey);
  tell(text);
}

}  // namespace

bool store_typed(Store kind, const char* text, void* var, std::size_t size, bool on_return) {
  int m, d, y;
  switch (kind) {
    case Store::Float:
      if (!scan_float(text, static_cast<float*>(var))) refuse(text, "a number");
      break;
    case Store::Int:
      if (!scan_int(text, static_cast<int*>(var))) refuse(text, "a whole number");
      break;
    case Store::Char: *static_cast<char*>(var) = text[0]; break;
    case Store::Letters: {
      int t = 0;
      for (int i = 0; i < 3 && text[i]; ++i) t += text[i] == 'h' ? 1 : text[i] == 'l' ? 2 : text[i] == 'c' ? 4 : 0;
      pricetype = t;
      break;
    }
    case Store::Look: quotelook = text[0] == 'b' ? 'b' : 'd'; break;
    case Store::OnOff: *static_cast<int*>(var) = std::strcmp(text, "on") == 0 ? 1 : 0; break;
    case Store::Text: copy_text(static_cast<char*>(var), size + 1, text); break;
    case Store::Upper:
      copy_text(static_cast<char*>(var), size + 1, text);
      upcase(static_cast<char*>(var));
      break;
    case Store::ShownFirst:
      if (store_date(text, &m, &d, &y)) KD_csm = m, KD_csd = d, KD_csy = y;
      break;
    case Store::ShownLast:
      if (store_date(text, &m, &d, &y)) KD_cem = m, KD_ced = d, KD_cey = y;
      break;
    case Store::DateMMDDYY:
      if (store_date(text, &m, &d, &y)) *static_cast<int*>(var) = m * 10000 + d * 100 + y;
      break;
    case Store::DateYYMMDD:
      if (store_date(text, &m, &d, &y)) *static_cast<int*>(var) = y * 10000 + m * 100 + d;
      break;
    case Store::DayCount: return store_day_count(text, on_return);
    case Store::ClassWidth: {
      float w;
      if (!scan_float(text, &w) || !(w > 0)) {  // a class of no width has no slots
        refuse(text, "a class width above 0");
        break;
      }
      set_class_width(w);
      querydistrloaded = 0;
      distr_offx = distr_offy = 0;  // the shift counted labels of the old width
      break;
    }
  }
  return true;
}

void after_price(const Field&, bool, long) {
  calculate_globals();
  draw_pricewin();
  draw_chart();
}

void after_adjust(const Field&, bool on_return, long) {
  draw_adjustwin();
  if (adjust_ratio == 0 || adjust_date == 0) return;
  if (on_return) reload();
  fill_work();
  calc_price();
  calculate_globals();
  if (on_return) {
    disp_days = work_days;
    draw_datewin();
  }
  draw_chart();
}

void after_date(const Field& f, bool on_return, long) {
  bool shown = f.store == Store::ShownFirst || f.store == Store::ShownLast;
  if (shown) check_shown_dates();
  // The A/D line holds the days of its range only: a new range loads it.
  if ((on_return || (shown && graphlook == View::AdLine)) && f.store != Store::DayCount) reload();
  fill_work();
  calculate_globals();
  disp_days = work_days;
  draw_datewin();
  draw_chart();
}

// Every value here changes what the indicators are computed from: the work
// days are built again before the chart shows them.
void after_mvavg(const Field& f, bool on_return, long) {
  fill_work();
  if (on_return) calculate_globals();
  if (!on_return || f.store == Store::OnOff) draw_mvavgwin();
  draw_chart();
}

bool no_print_path() { return printpath[0] == '\0' || printpath[0] == ' '; }

// old: for the print path, whether there was none before; a first path
// prints what "print" asked for.
void after_database(const Field& f, bool on_return, long old) {
  if (!on_return) {
    draw_databasewin();
  } else if (f.var != printpath) {
    calculate_globals();
    draw_chart();
  }
  if (f.var == printpath && old && !no_print_path()) do_print();
}

void after_stock(const Field& f, bool on_return, long) {
  if (f.var == comparename && symbolname[0]) reload(), fill_work();  // the days shown, against the new comparison
  if (f.var == symbolname) {
    stockbuyavol = 0;
    stockbuyprice = 0;
    queryflag = 0;
    loadstock();
    if (graphlook == View::Query) graphlook = View::Price;
  }
  if (on_return) {
    draw_stockwin();
    calculate_globals();
    draw_chart();
    return;
  }
  calculate_globals();
  draw_chart();
  set_arrow_leftright(2);
  draw_stockwin();
}

void after_group(const Field& f, bool on_return, long) {
  bool name = f.var == groupname;
  if (on_return && !name) {
    draw_groupwin();
  } else if (on_return) {
    loadgroup();
    draw_groupwin();
    fill_work();
    calc_price();
  } else if (groupname[0]) {
    loadgroup();
    calc_price();
  }
  calculate_globals();
  draw_chart();
  if (!on_return) draw_groupwin();
}

void after_market(const Field& f, bool on_return, long) {
  bool date = f.store == Store::DateMMDDYY;
  if (date || marketnum == 0) fill_market();
  if (on_return) {
    calculate_globals();
    if (date || marketnum == 0) draw_market();
  }
  draw_chart();
  if (!on_return) draw_marketwin();
}

bool adln_unset() { return adln_disp[0] == ' ' || adln_depth[0] == ' '; }

void after_adln(const Field& f, bool on_return, long) {
  if (f.var == adln_depth) load = 0;  // a new depth loads again
  if (on_return) {
    calculate_globals();
    draw_adlnwin();
  }
  if (adln_unset()) return;
  if (load != 3) loadad();
  if (!on_return) calculate_globals();
  draw_chart();
  if (!on_return) {
    set_arrow_leftright(2);
    draw_adlnwin();
  }
}

void after_comb(const Field&, bool on_return, long) {
  graphlook = View::Split;
  if (on_return) {
    draw_combwin();
    calculate_globals();
  }
  draw_chart();
  if (!on_return) draw_combwin();
}

// The fields that change the loaded data reload the query: the dates, the
// mode, the distribution fields, a count that switches queries on, and on
// Return the Fibonacci bounds.
void after_query(const Field& f, bool on_return, long old) {
  if (f.var == screen_text) {  // run on Return only: leaving the field keeps what was typed
    draw_querywin();
    if (on_return) run_typed_screen();
    return;
  }
  bool reload = f.store == Store::DateMMDDYY || f.var == &querysmode || f.var == distr_screen ||
                f.store == Store::ClassWidth || (f.var == &querycount && old == 0 && querycount != 0) ||
                (on_return && (f.var == &fibtop || f.var == &fibbot || f.var == &fibpolar));
  if (f.var == distr_screen) querydistrloaded = 0;
  if (on_return) calculate_globals();
  else graphlook = View::Query;
  draw_querywin();
  if (reload) {
    graphlook = View::Query;
    queryextraloaded = 0;
    arrow_index = 0;  // a new query opens at the top of its list
    if (querylook == ListView::Screen) {
      rerun_screen(true);
    } else {
      load_query();
      explain_query();
    }
  } else if (graphlook == View::Query && querylook == ListView::Screen) {
    rerun_screen(false);  // a new price range: the rows it keeps
  }
  draw_chart();
}

// The dialog windows as data: size, fixed lines, fields (row, column, width,
// label, value, how a typed text is stored) and the "done" button; one
// generic routine opens, draws and commits each, and a follow-up per dialog
// reloads, recomputes and redraws as far as the field needs.
#include "ui/dialogs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "views/views.h"
#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "market/market.h"
#include "ui/ui.h"

Window KD_PriceWin, KD_PriceWinBottom, KD_PriceWinSteps, KD_PriceWinVSteps, KD_PriceWinIncr, KD_PriceWinVIncr,
    KD_PriceWinDisplay, KD_PriceWinLook, KD_PriceWinLaxis, KD_PriceWinRaxis, KD_PriceWinDone;
Window KD_AdjustWin, KD_AdjustWinDate, KD_AdjustWinRatio, KD_AdjustWinDone;
Window KD_DateWin, KD_DateWinGraphAdv, KD_DateWinGraphType, KD_DateWinDayCount, KD_DateWinStartDay,
    KD_DateWinEndDay, KD_DateWinDone;
Window KD_MvAvgWin, KD_MvAvgWinBol, KD_MvAvgWinAvg, KD_MvAvgWinFib, KD_MvAvgWinVol, KD_MvAvgWinStd,
    KD_MvAvgWinType, KD_MvAvgWinDays, KD_MvAvgWinStoch, KD_MvAvgWinFibhigh, KD_MvAvgWinFiblow, KD_MvAvgWinDone;
Window KD_DatabaseWin, KD_DatabaseWinGen, KD_DatabaseWinSym, KD_DatabaseWinDay, KD_DatabaseWinPrint,
    KD_DatabaseWinDone;
Window KD_StockWin, KD_StockWinName, KD_StockWinBuyP, KD_StockWinBuyV, KD_StockWinAVol, KD_StockWinVolt,
    KD_StockWinCVol, KD_StockWinDone;
Window KD_CombWin, KD_CombWinList, KD_CombWinDone;
Window KD_GroupWin, KD_GroupWinName, KD_GroupWinMode, KD_GroupWinDone;
Window KD_MarketWin, KD_MarketWinSday, KD_MarketWinEday, KD_MarketWinDisp, KD_MarketWinDone;
Window KD_AdlnWin, KD_AdlnWinDepth, KD_AdlnWinDisp, KD_AdlnWinDone;
Window KD_QueryWin, KD_QueryWinSdate, KD_QueryWinEdate, KD_QueryWinCdate, KD_QueryWinLprice, KD_QueryWinHprice,
    KD_QueryWinCount, KD_QueryWinSMode, KD_QueryWinFibtop, KD_QueryWinFibbot, KD_QueryWinFibpol, KD_QueryWinDistr,
    KD_QueryWinDistrIncr, KD_QueryWinDone;

namespace {

struct Field {
  Window* win;
  int row, col, width;
  const char* label;  // at x = fw on baseline label_row
  int label_row;
  const char* hint;   // a second text: after the label, or on its own line
  int hint_row, hint_col;
  Store store;
  void* var;
  std::size_t size;   // characters a text variable holds
  bool echo;          // while typing, show the typed text (else the stored value)
  void (*show)(char* out, std::size_t n);  // the stored value, formatted
};

struct Line {
  int row;
  void (*text)(char* out, std::size_t n);  // or a fixed text
  int col = 1;
  const char* fixed = nullptr;
};

struct Dialog {
  Window* win;
  Window* done;
  int width, height, done_col, done_row;
  std::vector<Line> lines;
  std::vector<Field> fields;
  void (*after)(const Field& f, bool on_return, long old);  // what follows a stored value; old: an int's value before
  bool (*keep_open)() = nullptr;  // after a commit: the entry stays open
};

// ---- value formats ----

void fmt(char* out, std::size_t n, const char* f, double v) { std::snprintf(out, n, f, v); }
void fmt_int(char* out, std::size_t n, const char* f, long v) { std::snprintf(out, n, f, v); }
const char* on_off(int flag) { return flag ? "on" : "off"; }

void show_price_letters(char* out, std::size_t n) {
  std::snprintf(out, n, "%s%s%s", pricetype & 1 ? "h" : "", pricetype & 2 ? "l" : "", pricetype & 4 ? "c" : "");
}
void show_adjust_date(char* out, std::size_t n) {
  if (adjust_date == 0) out[0] = '\0';
  else std::snprintf(out, n, "%d/%d/%d", adjust_date / 100 % 100, adjust_date % 100, adjust_date / 10000);
}

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

namespace {

bool store(const Field& f, bool on_return) { return store_typed(f.store, key_buffer, f.var, f.size, on_return); }

// ---- follow-ups ----

// Loads the shown data again (for a split or after a zoom cut the work
// days), keeping the shown window the user chose.
void reload() {
  if (graphlook == 14) {  // the advance/decline line of the range typed
    loadad();
    return;
  }
  bool group = graphlook == 4;
  if (group ? groupname[0] == '\0' : symbolname[0] == '\0') return;
  int w[6] = {KD_csd, KD_csm, KD_csy, KD_ced, KD_cem, KD_cey};
  if ((group ? loadgroup() : loadstock()) != 0) return;
  KD_csd = w[0], KD_csm = w[1], KD_csy = w[2], KD_ced = w[3], KD_cem = w[4], KD_cey = w[5];
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

void after_date(const Field& f, bool on_return, long) {
  bool shown = f.store == Store::ShownFirst || f.store == Store::ShownLast;
  if (shown) check_shown_dates();
  // The A/D line holds the days of its range only: a new range loads it.
  if ((on_return || (shown && graphlook == 14)) && f.store != Store::DayCount) reload();
  fill_work();
  calculate_globals();
  disp_days = work_days;
  draw_datewin();
  draw_chart();
}

void after_mvavg(const Field& f, bool on_return, long) {
  if (!on_return) {
    draw_mvavgwin();
    fill_work();
  } else if (f.store == Store::OnOff) {
    fill_work();
    calculate_globals();
    draw_mvavgwin();
  } else {
    calculate_globals();
  }
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
  if (f.var == symbolname) {
    stockbuyavol = 0;
    stockbuyprice = 0;
    queryflag = 0;
    loadstock();
    if (graphlook == 8) graphlook = 1;
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

// Nothing is drawn until both settings are given.
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
  graphlook = 7;
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
  bool reload = f.store == Store::DateMMDDYY || f.var == &querysmode || f.var == distr_screen ||
                f.store == Store::ClassWidth || (f.var == &querycount && old == 0 && querycount != 0) ||
                (on_return && (f.var == &fibtop || f.var == &fibbot || f.var == &fibpolar));
  if (f.var == distr_screen) querydistrloaded = 0;
  if (on_return) calculate_globals();
  else graphlook = 8;
  draw_querywin();
  if (reload) {
    graphlook = 8;
    queryextraloaded = 0;
    arrow_index = 0;  // a new query opens at the top of its list
    load_query();
    explain_query();
  }
  draw_chart();
}

// ---- the dialogs ----

void v_bottom(char* o, std::size_t n) { fmt(o, n, "%8.4f", price_bottom); }
void v_steps(char* o, std::size_t n) { fmt_int(o, n, "%3ld", price_steps); }
void v_vsteps(char* o, std::size_t n) { fmt_int(o, n, "%3ld", volume_steps); }
void v_incr(char* o, std::size_t n) { fmt(o, n, "%8.4f", price_incr); }
void v_vincr(char* o, std::size_t n) { fmt(o, n, "%8.4f", volume_incr); }
void v_look(char* o, std::size_t n) { std::snprintf(o, n, "%c", quotelook == 'b' ? 'b' : 'd'); }
void v_laxis(char* o, std::size_t n) { std::snprintf(o, n, "%c", laxis); }
void v_raxis(char* o, std::size_t n) { std::snprintf(o, n, "%c", raxis); }
void v_ratio(char* o, std::size_t n) { fmt(o, n, "%8.4f", adjust_ratio); }
void v_adv(char* o, std::size_t n) { fmt_int(o, n, "%2ld", graph_adv); }
void v_type(char* o, std::size_t n) { fmt_int(o, n, "%2ld", graph_type); }
void v_count(char* o, std::size_t n) { fmt_int(o, n, "%4ld", disp_days); }
void v_start(char* o, std::size_t n) { std::snprintf(o, n, "%d/%d/%d", KD_csm, KD_csd, KD_csy); }
void v_end(char* o, std::size_t n) { std::snprintf(o, n, "%d/%d/%d", KD_cem, KD_ced, KD_cey); }
void v_bol(char* o, std::size_t n) { std::snprintf(o, n, "%s", on_off(bollingerflag)); }
void v_avg(char* o, std::size_t n) { std::snprintf(o, n, "%s", on_off(mvavgflag)); }
void v_fib(char* o, std::size_t n) { std::snprintf(o, n, "%s", on_off(fibflag)); }
void v_vol(char* o, std::size_t n) { std::snprintf(o, n, "%s", on_off(volflag)); }
void v_std(char* o, std::size_t n) { fmt(o, n, "%4.2f", bolstd); }
void v_mtype(char* o, std::size_t n) { fmt_int(o, n, "%2ld", mvavgtype); }
void v_mdays(char* o, std::size_t n) { fmt_int(o, n, "%3ld", mvavgdays); }
void v_stoch(char* o, std::size_t n) { fmt_int(o, n, "%3ld", stochdays); }
void v_fibhigh(char* o, std::size_t n) { fmt(o, n, "%6.4f", fibhigh); }
void v_fiblow(char* o, std::size_t n) { fmt(o, n, "%6.4f", fiblow); }
void v_gen(char* o, std::size_t n) { std::snprintf(o, n, "%s", generaldir); }
void v_sym(char* o, std::size_t n) { std::snprintf(o, n, "%s", symboldir); }
void v_day(char* o, std::size_t n) { std::snprintf(o, n, "%s", daydir); }
void v_print(char* o, std::size_t n) { std::snprintf(o, n, "%s", printpath); }
void v_symbol(char* o, std::size_t n) { std::snprintf(o, n, "%s", symbolname); }
void v_buyp(char* o, std::size_t n) { fmt(o, n, "%8.4f", stockbuyprice); }
void v_buyv(char* o, std::size_t n) { fmt_int(o, n, "%7ld", buyvolume); }
void v_avol(char* o, std::size_t n) { fmt_int(o, n, "%7ld", stockbuyavol); }
void v_vdate(char* o, std::size_t n) {
  std::snprintf(o, n, "%02d/%02d/%02d", queryvdate / 10000, queryvdate / 100 % 100, queryvdate % 100);
}
void v_cvol(char* o, std::size_t n) { fmt_int(o, n, "%7ld", curvol); }
void v_comb(char* o, std::size_t n) { std::snprintf(o, n, "%6.6s", comblist); }
void v_group(char* o, std::size_t n) { std::snprintf(o, n, "%s", groupname); }
void v_gmode(char* o, std::size_t n) { std::snprintf(o, n, "%c", groupmode); }

void l_data(char* o, std::size_t n) { std::snprintf(o, n, "Data  %d/%d/%d", KD_sm, KD_sd, KD_sy); }
void l_range(char* o, std::size_t n) { std::snprintf(o, n, "Range %d/%d/%d", KD_em, KD_ed, KD_ey); }
void l_days(char* o, std::size_t n) { std::snprintf(o, n, "number of days %d", num_days); }
void l_kinds(char* o, std::size_t n) { std::snprintf(o, n, "1-d 2-w 3-m 4-q 5-y"); }
void l_axes(char* o, std::size_t n) { std::snprintf(o, n, "n-none, p-price, %c-percent", '%'); }
void l_panels(char* o, std::size_t n) { std::snprintf(o, n, "r:rsi m:macd t:stochastics"); }
void l_mvtypes(char* o, std::size_t n) { std::snprintf(o, n, " 1-simple, 2-day, 3-volume"); }

void mmddyy(char* o, std::size_t n, int d) { std::snprintf(o, n, "%02d/%02d/%02d", d / 10000, d / 100 % 100, d % 100); }
void v_qsdate(char* o, std::size_t n) { mmddyy(o, n, querysdate); }
void v_msday(char* o, std::size_t n) { mmddyy(o, n, marketsday); }
void v_meday(char* o, std::size_t n) { mmddyy(o, n, marketeday); }
void v_mdisp(char* o, std::size_t n) { std::snprintf(o, n, "%c", marketdisp); }
void v_depth(char* o, std::size_t n) { std::snprintf(o, n, "%s", adln_depth); }
void v_adisp(char* o, std::size_t n) { std::snprintf(o, n, "%s", adln_disp); }
void v_qedate(char* o, std::size_t n) { mmddyy(o, n, queryedate); }
void v_qcdate(char* o, std::size_t n) { mmddyy(o, n, querycdate); }
void v_qlprice(char* o, std::size_t n) { fmt(o, n, "%8.3f", querylprice); }
void v_qhprice(char* o, std::size_t n) { fmt(o, n, "%8.3f", queryhprice); }
void v_qcount(char* o, std::size_t n) { fmt_int(o, n, "%4ld", querycount); }
void v_qsmode(char* o, std::size_t n) { std::snprintf(o, n, "%c", querysmode); }
void v_qfibpol(char* o, std::size_t n) { std::snprintf(o, n, "%c", fibpolar); }
void v_qfibtop(char* o, std::size_t n) { fmt(o, n, "%5.4f", fibtop); }
void v_qfibbot(char* o, std::size_t n) { fmt(o, n, "%5.4f", fibbot); }
void v_qdistr(char* o, std::size_t n) { std::snprintf(o, n, "%8s", distr_screen); }
void v_qincr(char* o, std::size_t n) { fmt(o, n, "%8.5f", distr_incr); }

// clang-format off
Dialog price_dialog{&KD_PriceWin, &KD_PriceWinDone, 28, 19, 8, 17, {{16, l_axes}}, {
  // window               row col w  label            row hint                       row col store            var            size echo  value
  {&KD_PriceWinBottom,     1, 14, 7, "Start Price:",   2, nullptr, 0, 0,                   Store::Float,   &price_bottom,  0, true,  v_bottom},
  {&KD_PriceWinSteps,      3, 15, 3, "Price Steps:",   4, nullptr, 0, 0,                   Store::Int,     &price_steps,   0, true,  v_steps},
  {&KD_PriceWinVSteps,     4, 15, 3, "Volume Steps:",  5, nullptr, 0, 0,                   Store::Int,     &volume_steps,  0, true,  v_vsteps},
  {&KD_PriceWinIncr,       6, 14, 7, "Price Incr:",    7, nullptr, 0, 0,                   Store::Float,   &price_incr,    0, true,  v_incr},
  {&KD_PriceWinVIncr,      7, 14, 7, "Volume Incr:",   8, nullptr, 0, 0,                   Store::Float,   &volume_incr,   0, true,  v_vincr},
  {&KD_PriceWinDisplay,    9, 10, 4, "Display:",      10, "h-high, l-low, c-close", 11, 1,  Store::Letters, &pricetype,     0, true,  show_price_letters},
  {&KD_PriceWinLook,      12,  7, 2, "Look:",         13, "d-dot, b-bar", 13, 11,          Store::Look,    &quotelook,     0, true,  v_look},
  {&KD_PriceWinLaxis,     14,  9, 2, "L axis:",       15, nullptr, 0, 0,                   Store::Char,    &laxis,         0, false, v_laxis},
  {&KD_PriceWinRaxis,     14, 20, 2, nullptr,         15, "R axis:", 15, 12,               Store::Char,    &raxis,         0, false, v_raxis},
}, after_price};

Dialog adjust_dialog{&KD_AdjustWin, &KD_AdjustWinDone, 24, 7, 9, 5, {}, {
  {&KD_AdjustWinDate,      1,  9, 9, "Date:",          2, nullptr, 0, 0,                   Store::DateYYMMDD, &adjust_date,  0, true,  show_adjust_date},
  {&KD_AdjustWinRatio,     3,  9, 9, "Ratio:",         4, nullptr, 0, 0,                   Store::Float,   &adjust_ratio,  0, true,  v_ratio},
}, after_adjust};

Dialog date_dialog{&KD_DateWin, &KD_DateWinDone, 24, 15, 9, 13, {{2, l_data}, {3, l_range}, {4, l_days}, {8, l_kinds}}, {
  {&KD_DateWinGraphAdv,    5, 13, 2, "Graph Adv",      6, nullptr, 0, 0,                   Store::Int,     &graph_adv,     0, false, v_adv},
  {&KD_DateWinGraphType,   6, 13, 2, "Graph Type",     7, nullptr, 0, 0,                   Store::Int,     &graph_type,    0, false, v_type},
  {&KD_DateWinDayCount,    9, 13, 5, "Actual Days",   10, nullptr, 0, 0,                   Store::DayCount, &disp_days,    0, false, v_count},
  {&KD_DateWinStartDay,   10, 13, 9, "Start Day",     11, nullptr, 0, 0,                   Store::ShownFirst, nullptr,     0, false, v_start},
  {&KD_DateWinEndDay,     11, 13, 9, "End Day",       12, nullptr, 0, 0,                   Store::ShownLast, nullptr,      0, false, v_end},
}, after_date};

Dialog mvavg_dialog{&KD_MvAvgWin, &KD_MvAvgWinDone, 32, 17, 14, 15, {{9, l_mvtypes}}, {
  {&KD_MvAvgWinBol,        1, 17, 4, "Bollinger Band:",  2, "on/off", 2, 22,             Store::OnOff,   &bollingerflag, 0, false, v_bol},
  {&KD_MvAvgWinAvg,        2, 17, 4, "Moving Average:",  3, "on/off", 3, 22,             Store::OnOff,   &mvavgflag,     0, false, v_avg},
  {&KD_MvAvgWinFib,        3, 17, 4, "Fibonacci Lines:", 4, "on/off", 4, 22,             Store::OnOff,   &fibflag,       0, false, v_fib},
  {&KD_MvAvgWinVol,        4, 17, 4, "Volume turnover:", 5, "on/off", 5, 22,             Store::OnOff,   &volflag,       0, false, v_vol},
  {&KD_MvAvgWinStd,        6, 10, 4, "Std Dev:",         7, nullptr, 0, 0,               Store::Float,   &bolstd,        0, false, v_std},
  {&KD_MvAvgWinType,       7, 10, 2, "Type:",            8, "0-none", 8, 13,             Store::Int,     &mvavgtype,     0, false, v_mtype},
  {&KD_MvAvgWinDays,      10, 20, 3, "Mvavg Number Days:", 11, nullptr, 0, 0,            Store::Int,     &mvavgdays,     0, false, v_mdays},
  {&KD_MvAvgWinStoch,     11, 20, 3, "Stochastics Days:",  12, nullptr, 0, 0,            Store::Int,     &stochdays,     0, false, v_stoch},
  {&KD_MvAvgWinFibhigh,   12, 20, 7, "Fibonacci high:",    13, nullptr, 0, 0,            Store::Float,   &fibhigh,       0, false, v_fibhigh},
  {&KD_MvAvgWinFiblow,    13, 20, 7, "Fibonacci Low:",     14, nullptr, 0, 0,            Store::Float,   &fiblow,        0, false, v_fiblow},
}, after_mvavg};

Dialog database_dialog{&KD_DatabaseWin, &KD_DatabaseWinDone, 50, 15, 24, 13, {}, {
  {&KD_DatabaseWinGen,     2,  1, 48, "General Directory:", 2, nullptr, 0, 0,            Store::Text,    generaldir,  1023, false, v_gen},
  {&KD_DatabaseWinSym,     5,  1, 48, "Symbol Directory:",  5, nullptr, 0, 0,            Store::Text,    symboldir,   1023, false, v_sym},
  {&KD_DatabaseWinDay,     8,  1, 48, "Day Directory:",     8, nullptr, 0, 0,            Store::Text,    daydir,      1023, false, v_day},
  {&KD_DatabaseWinPrint,  11,  1, 48, "Print Path:",       11, nullptr, 0, 0,            Store::Text,    printpath,   1023, false, v_print},
}, after_database};

Dialog stock_dialog{&KD_StockWin, &KD_StockWinDone, 28, 11, 10, 9, {}, {
  {&KD_StockWinName,       1,  9, 8, "Symbol:",          2, nullptr, 0, 0,               Store::Upper,   symbolname,     8, false, v_symbol},
  {&KD_StockWinBuyP,       3, 18, 8, "Buy Price:",       4, nullptr, 0, 0,               Store::Float,   &stockbuyprice, 0, false, v_buyp},
  {&KD_StockWinBuyV,       4, 18, 8, "Buy Volume:",      5, nullptr, 0, 0,               Store::Int,     &buyvolume,     0, false, v_buyv},
  {&KD_StockWinAVol,       5, 18, 8, "Avg Volume:",      6, nullptr, 0, 0,               Store::Int,     &stockbuyavol,  0, false, v_avol},
  {&KD_StockWinVolt,       6, 18, 8, "Volume Turnover:", 7, nullptr, 0, 0,               Store::DateMMDDYY, &queryvdate, 0, false, v_vdate},
  {&KD_StockWinCVol,       7, 18, 8, "Company Shares:",  8, nullptr, 0, 0,               Store::Int,     &curvol,        0, false, v_cvol},
}, after_stock};

Dialog market_dialog{&KD_MarketWin, &KD_MarketWinDone, 24, 9, 8, 7, {
  {2, nullptr, 1, "Start Day:"}, {3, nullptr, 3, "End Day:"}, {5, nullptr, 6, "Type:"},
  {6, nullptr, 1, "N: NYSE, O:OTC, A:AMEX"}}, {
  {&KD_MarketWinSday,      1, 12, 9, nullptr, 0, nullptr, 0, 0,  Store::DateMMDDYY, &marketsday,   0, false, v_msday},
  {&KD_MarketWinEday,      2, 12, 9, nullptr, 0, nullptr, 0, 0,  Store::DateMMDDYY, &marketeday,   0, false, v_meday},
  {&KD_MarketWinDisp,      4, 12, 2, nullptr, 0, nullptr, 0, 0,  Store::Char,    &marketdisp,      0, false, v_mdisp},
}, after_market};

Dialog adln_dialog{&KD_AdlnWin, &KD_AdlnWinDone, 32, 12, 10, 10, {
  {2, nullptr, 1, "Depth:"}, {3, nullptr, 1, "S: all stocks G: all groups"}, {4, nullptr, 8, "?: group number/name"},
  {6, nullptr, 1, "Display:"}, {7, nullptr, 1, "a: all d: advance-decline"},
  {8, nullptr, 1, "+:advance -:decline u:unchanged"}, {9, nullptr, 1, "c: cumulative advance-decline"}}, {
  {&KD_AdlnWinDepth,       1, 10, 8, nullptr, 0, nullptr, 0, 0,  Store::Text,    adln_depth,      15, false, v_depth},
  {&KD_AdlnWinDisp,        5, 10, 4, nullptr, 0, nullptr, 0, 0,  Store::Text,    adln_disp,        7, false, v_adisp},
}, after_adln, adln_unset};

Dialog group_dialog{&KD_GroupWin, &KD_GroupWinDone, 28, 8, 7, 6, {}, {
  {&KD_GroupWinName,       1,  9, 8, "Group:",           2, nullptr, 0, 0,               Store::Text,    groupname,      8, false, v_group},
  {&KD_GroupWinMode,       3,  9, 2, "mode:",            4, "t: together  s: separate", 5, 1, Store::Char, &groupmode, 0, false, v_gmode},
}, after_group};

Dialog comb_dialog{&KD_CombWin, &KD_CombWinDone, 36, 7, 12, 5, {{4, l_panels}}, {
  {&KD_CombWinList,        1, 15, 6, "Combinations:",    2, "s:stock v:volume a:movement g:value", 3, 1, Store::Text, comblist, 5, false, v_comb},
}, after_comb};
// clang-format on

Dialog query_dialog{&KD_QueryWin, &KD_QueryWinDone, 28, 25, 10, 23, {
  {2, nullptr, 1, "Day Range:"}, {3, nullptr, 7, "Start"}, {4, nullptr, 9, "End"}, {5, nullptr, 5, "Compare"},
  {6, nullptr, 1, "Price Range:"}, {7, nullptr, 9, "Low"}, {8, nullptr, 8, "High"}, {10, nullptr, 7, "Count:"},
  {12, nullptr, 7, "Mode:"}, {13, nullptr, 1, "a:accumlate s:separate"}, {15, nullptr, 1, "Fibonacci:"},
  {16, nullptr, 6, "Polarity:"}, {17, nullptr, 3, "Top percent:"}, {18, nullptr, 1, "Bottom percent:"},
  {20, nullptr, 1, "Distr:    A-all, G-grps"}, {21, nullptr, 1, "screen:          #-grp num"},
  {22, nullptr, 1, "incr:            ?=grp name"}}, {
  {&KD_QueryWinSdate,      2, 13, 8, nullptr, 0, nullptr, 0, 0,  Store::DateMMDDYY, &querysdate,   0, false, v_qsdate},
  {&KD_QueryWinEdate,      3, 13, 8, nullptr, 0, nullptr, 0, 0,  Store::DateMMDDYY, &queryedate,   0, false, v_qedate},
  {&KD_QueryWinCdate,      4, 13, 8, nullptr, 0, nullptr, 0, 0,  Store::DateMMDDYY, &querycdate,   0, false, v_qcdate},
  {&KD_QueryWinLprice,     6, 13, 8, nullptr, 0, nullptr, 0, 0,  Store::Float,   &querylprice,     0, false, v_qlprice},
  {&KD_QueryWinHprice,     7, 13, 8, nullptr, 0, nullptr, 0, 0,  Store::Float,   &queryhprice,     0, false, v_qhprice},
  {&KD_QueryWinCount,      9, 13, 4, nullptr, 0, nullptr, 0, 0,  Store::Int,     &querycount,      0, false, v_qcount},
  {&KD_QueryWinSMode,     11, 15, 2, nullptr, 0, nullptr, 0, 0,  Store::Char,    &querysmode,      0, false, v_qsmode},
  {&KD_QueryWinFibpol,    15, 21, 2, nullptr, 0, nullptr, 0, 0,  Store::Char,    &fibpolar,        0, false, v_qfibpol},
  {&KD_QueryWinFibtop,    16, 17, 6, nullptr, 0, nullptr, 0, 0,  Store::Float,   &fibtop,          0, false, v_qfibtop},
  {&KD_QueryWinFibbot,    17, 17, 6, nullptr, 0, nullptr, 0, 0,  Store::Float,   &fibbot,          0, false, v_qfibbot},
  {&KD_QueryWinDistr,     20,  8, 8, nullptr, 0, nullptr, 0, 0,  Store::Upper,   distr_screen,    15, false, v_qdistr},
  {&KD_QueryWinDistrIncr, 21,  8, 8, nullptr, 0, nullptr, 0, 0,  Store::ClassWidth, &distr_incr,   0, false, v_qincr},
}, after_query};

std::vector<Dialog*> opened;  // the open dialogs, the newest last

Dialog* const dialogs[] = {&price_dialog, &adjust_dialog, &date_dialog, &mvavg_dialog,
                           &database_dialog, &stock_dialog, &comb_dialog, &query_dialog, &group_dialog,
                           &market_dialog,   &adln_dialog};

// ---- generic routines ----

void draw_done(const Dialog& d, Role fgc, Role bgc) {
  Window w = *d.done;
  paint_fill(w, bgc, 0, 0, 6 * font_width, font_height);
  paint_text(w, fgc, font_width, font_ascent, "done");
}

void draw_value(const Field& f) {
  char text[1100];
  f.show(text, sizeof text);
  paint_fill(*f.win, Role::GC0, 0, 0, f.width * font_width, font_height);
  paint_text(*f.win, Role::GC1, 0, font_ascent, text);
}

// A field while an entry may be in progress: blank, or the typed text
// (echo fields, real values cut to 8 characters), or the stored value.
void draw_field(const Field& f) {
  paint_fill(*f.win, Role::GC0, 0, 0, f.width * font_width, font_height);
  if (key_index <= 0) return;
  if (!f.echo) {
    draw_value(f);
    return;
  }
  int n = f.store == Store::Float ? std::min(key_index, 8) : key_index;
  paint_text(*f.win, Role::GC1, 0, font_ascent, key_buffer, n);
}

void draw_dialog(const Dialog& d) {
  Window w = *d.win;
  if (!w) return;
  char text[128];
  for (const Line& l : d.lines) {
    if (l.fixed) copy_text(text, l.fixed);
    else l.text(text, sizeof text);
    paint_text(w, Role::GC1, l.col * font_width, l.row * font_height, text);
  }
  for (const Field& f : d.fields) {
    if (f.label) paint_text(w, Role::GC1, font_width, f.label_row * font_height, f.label);
    if (f.hint) paint_text(w, Role::GC1, f.hint_col * font_width, f.hint_row * font_height, f.hint);
    draw_value(f);
  }
  draw_done(d, Role::GC1, Role::GC0);
}

bool open_dialog(Dialog& d) {
  Trace t("open_dialog", "width=%d height=%d", d.width, d.height);
  if (*d.win || !KD_Display) return false;
  *d.win = create_child(KD_RootWin, 0, 0, d.width * font_width, d.height * font_height);
  for (Field& f : d.fields) {
    *f.win = create_child(*d.win, f.col * font_width, bw + f.row * font_height, f.width * font_width, font_height);
    XSelectInput(KD_Display, *f.win, event_mask_field);
  }
  *d.done = create_child(*d.win, d.done_col * font_width, bw + d.done_row * font_height, 6 * font_width, font_height);
  XSelectInput(KD_Display, *d.win, event_mask_window);
  XSelectInput(KD_Display, *d.done, event_mask_window);
  XMapRaised(KD_Display, *d.win);
  XMapSubwindows(KD_Display, *d.win);
  opened.push_back(&d);
  return true;
}

void close_dialog(Dialog& d) {
  opened.erase(std::remove(opened.begin(), opened.end(), &d), opened.end());
  if (*d.win && KD_Display) XDestroyWindow(KD_Display, *d.win);
  *d.win = 0;
  *d.done = 0;
  for (Field& f : d.fields) {
    if (KD_InputWin && KD_InputWin == *f.win) KD_InputWin = 0;
    *f.win = 0;
  }
}

struct Found {
  Dialog* dialog;
  const Field* field;
};

Found find_field(Window w) {
  if (!w) return {nullptr, nullptr};
  for (Dialog* d : dialogs)
    for (const Field& f : d->fields)
      if (*f.win == w) return {d, &f};
  return {nullptr, nullptr};
}

Dialog* dialog_of_done(Window w) {
  if (!w) return nullptr;
  for (Dialog* d : dialogs)
    if (*d->done == w) return d;
  return nullptr;
}

// Stores the entry of a field and runs its follow-up; false keeps it open.
bool commit(const Found& f, bool on_return) {
  Trace t("commit", "on_return=%d", on_return);
  begin_action();
  long old = f.field->store == Store::Int ? *static_cast<int*>(f.field->var)
             : f.field->var == printpath   ? no_print_path()
                                           : 0;
  if (!store(*f.field, on_return)) return false;
  f.dialog->after(*f.field, on_return, old);
  return true;
}

}  // namespace

void draw_pricewin() {
  Trace t("draw_pricewin");
  if (debuglvl >= 2) debug("%d-> draw_pricewin: pricetype=%x\n", stkind, pricetype);
  draw_dialog(price_dialog);
}
void draw_adjustwin() { Trace t("draw_adjustwin"); draw_dialog(adjust_dialog); }
void draw_datewin() { Trace t("draw_datewin"); draw_dialog(date_dialog); }
void draw_mvavgwin() { Trace t("draw_mvavgwin"); draw_dialog(mvavg_dialog); }
void draw_databasewin() { Trace t("draw_databasewin"); draw_dialog(database_dialog); }
void draw_stockwin() { Trace t("draw_stockwin"); draw_dialog(stock_dialog); }
void draw_combwin() { Trace t("draw_combwin"); draw_dialog(comb_dialog); }
void draw_groupwin() { Trace t("draw_groupwin"); draw_dialog(group_dialog); }
void draw_marketwin() { Trace t("draw_marketwin"); draw_dialog(market_dialog); }
void draw_adlnwin() { Trace t("draw_adlnwin"); draw_dialog(adln_dialog); }
void draw_querywin() { Trace t("draw_querywin"); draw_dialog(query_dialog); }
void make_querywin() {
  Trace t("make_querywin");
  open_dialog(query_dialog);
}

bool open_price_dialog() { return open_dialog(price_dialog); }
bool open_adjust_dialog() { return open_dialog(adjust_dialog); }
bool open_date_dialog() { return open_dialog(date_dialog); }
bool open_mvavg_dialog() { return open_dialog(mvavg_dialog); }
bool open_database_dialog() { return open_dialog(database_dialog); }
bool open_stock_dialog() { return open_dialog(stock_dialog); }
bool open_comb_dialog() { return open_dialog(comb_dialog); }
bool open_group_dialog() { return open_dialog(group_dialog); }
bool open_market_dialog() { return open_dialog(market_dialog); }
bool open_adln_dialog() { return open_dialog(adln_dialog); }
void close_group_dialog() { close_dialog(group_dialog); }
void close_stock_dialog() { close_dialog(stock_dialog); }

void forget_dialogs() {
  opened.clear();
  for (Dialog* d : dialogs) {
    *d->win = *d->done = 0;
    for (Field& f : d->fields) *f.win = 0;
  }
}

namespace {

void arrow(Window w, PaintPoint a, PaintPoint b, PaintPoint c) {
  PaintPoint p[3] = {a, b, c};
  paint_polygon(w, Role::GC1, p, 3);
}
short s(int v) { return static_cast<short>(v); }

}  // namespace

void draw_leftarrow() {
  arrow(KD_ArrowLeft, {0, s(font_height / 2)}, {s(2 * font_width), 0}, {s(2 * font_width), s(font_height)});
}
void draw_rightarrow() {
  arrow(KD_ArrowRight, {s(2 * font_width), s(font_height / 2)}, {0, 0}, {0, s(font_height)});
}
void draw_uparrow() { arrow(KD_ArrowUp, {s(font_width), 0}, {0, s(font_height)}, {s(2 * font_width), s(font_height)}); }
void draw_downarrow() { arrow(KD_ArrowDown, {s(font_width), s(font_height)}, {0, 0}, {s(2 * font_width), 0}); }

bool dialog_expose(Window w) {
  for (Dialog* d : dialogs)
    if (*d->win == w && w) {
      draw_dialog(*d);
      return true;
    }
  struct { Window* win; void (*draw)(); } arrows[] = {
      {&KD_ArrowLeft, draw_leftarrow}, {&KD_ArrowRight, draw_rightarrow},
      {&KD_ArrowUp, draw_uparrow}, {&KD_ArrowDown, draw_downarrow}};
  for (auto& a : arrows)
    if (*a.win == w && w) {
      a.draw();
      return true;
    }
  return false;
}

bool field_enter(Window w) {
  if (Found f = find_field(w); f.field) {
    draw_field(*f.field);
    return true;
  }
  if (Dialog* d = dialog_of_done(w)) {
    draw_done(*d, Role::GC0, Role::GC1);
    return true;
  }
  return false;
}

bool field_leave(Window w) {
  if (Dialog* d = dialog_of_done(w)) {
    draw_done(*d, Role::GC1, Role::GC0);
    return true;
  }
  Found f = find_field(w);
  if (!f.field) return false;
  if (key_index == 0) {
    draw_dialog(*f.dialog);  // nothing typed: the old value again
  } else if (!commit(f, false) || (f.dialog->keep_open && f.dialog->keep_open())) {
    return true;  // the entry stays open
  }
  KD_InputWin = 0;
  key_index = 0;
  key_buffer[0] = '\0';
  return true;
}

bool field_return(Window w) {
  Found f = find_field(w);
  if (!f.field) return false;
  if (!commit(f, true)) return true;
  if (f.field->var == printpath) return true;  // the print path keeps its entry
  if (f.dialog->keep_open && f.dialog->keep_open()) return true;
  key_index = 0;
  key_buffer[0] = '\0';
  return true;
}

bool done_release(Window w) {
  Dialog* d = dialog_of_done(w);
  if (!d) return false;
  begin_action();
  close_dialog(*d);
  return true;
}

std::vector<Window> open_dialog_windows() {
  std::vector<Window> out;
  for (const Dialog* d : opened) out.push_back(*d->win);
  if (KD_ColorWin) out.push_back(KD_ColorWin);
  return out;
}

bool close_newest_dialog() {
  if (opened.empty()) return false;
  close_dialog(*opened.back());
  return true;
}

std::size_t field_limit(Window w) {
  Found f = find_field(w);
  return f.field && f.field->size ? f.field->size : 255;
}

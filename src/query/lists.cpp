// The ranked lists of the query table: one table of lists (sort key,
// headers, line, column tests, print test) walked by one routine; the
// printed form of a list, and the low-count and high-count lists.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "chart/chart.h"
#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "query/query.h"
#include "query/reading.h"
#include "ui/draw.h"
#include "ui/ui.h"

int printflag;

using query_reading::start_print_writer;
using query_reading::write_all;

namespace {

// +1 the left column, -1 the right column (amounts shown as positive), 0 a
// printed line (amounts keep their sign).
using Line = void (*)(const QueryRec& r, int side, char* out, std::size_t n);
using Test = bool (*)(const QueryRec& r);

struct List {
  int look;
  const char* label;     // the menu item
  const char* routine;   // traced name
  double (*key)(const QueryRec&);  // sorted by, descending
  const char* header;
  const char* compare_header;  // with the compare close and percent
  int width;             // the numeric part of a line
  Line line;
  Test left, right;      // the tests that admit a row to each column
  Test printed;          // rows a print writes (kadmer-scan's only, for the one-column lists)
  Test left_only = nullptr, right_only = nullptr;  // rows skipped (not ending the column)
  bool left_from_bottom = false;  // the rising side walks from the bottom
  bool right_from_top = false;
  bool needs_history = false;     // drawn only after the history step
  bool counts_listed = false;     // the count limits listed rows, not examined ones
  bool one_column = false;        // the low- and high-count lists
};

bool nonzero(double v) { return v != 0 && !std::isnan(v); }

// An amount scaled by its size, with its unit letter.
void scaled(double v, const double (&steps)[3], const double (&divs)[4], const char* units, double* shown,
            char* unit) {
  double m = std::fabs(v);
  int i = m > steps[0] ? 0 : m > steps[1] ? 1 : m > steps[2] ? 2 : 3;
  *shown = v / divs[i];
  *unit = units[i];
}

int whole(double v) { return clamp_int(v); }  // NaN shows as 0

void price_line(const QueryRec& r, int, char* o, std::size_t n) {
  std::snprintf(o, n, " %6.2f %6.6s %7.2f %5.1f ", r.change, r.symbol, r.close, r.pct);
}
void percent_line(const QueryRec& r, int, char* o, std::size_t n) {
  std::snprintf(o, n, " %5.1f %6.6s %7.2f %6.2f ", r.pct, r.symbol, r.close, r.change);
}
void volume_line(const QueryRec& r, int side, char* o, std::size_t n) {
  double shown;
  char unit;
  scaled(r.volsum * 100 * (side < 0 ? -1 : 1), {1e9, 1e6, 1e3}, {1e9, 1e6, 1e3, 1}, "BMK ", &shown, &unit);
  std::snprintf(o, n, " %7.3f%c %6.6s %7.2f %6.2f %3d ", shown, unit, r.symbol, r.close, r.change, whole(r.pct));
}
void value_line(const QueryRec& r, int side, char* o, std::size_t n) {
  double shown;
  char unit;
  // Amounts are hundreds of shares times the price: 10,000,000 of them are a billion dollars.
  scaled(r.value * (side < 0 ? -1 : 1), {1e7, 1e4, -1}, {1e7, 1e4, 10, 10}, "BMKK", &shown, &unit);
  std::snprintf(o, n, " %5.1f%c %6.6s %7.2f %6.2f %3d ", shown, unit, r.symbol, r.close, r.change, whole(r.pct));
}
void volat_line(const QueryRec& r, int, char* o, std::size_t n) {
  std::snprintf(o, n, " %5.1f %6.6s %7.2f %7.2f %7.2f %6.2f ", r.volat, r.symbol, r.highhigh, r.lowlow, r.close,
                static_cast<double>(r.highhigh) - r.lowlow);
}
void gap_line(const QueryRec& r, int, char* o, std::size_t n) {
  std::snprintf(o, n, " %5.1f %6.6s %7.2f %6.2f ", r.gappct * 100.0, r.symbol, r.close, r.change);
}
void topbot_line(const QueryRec& r, int, char* o, std::size_t n) {
  std::snprintf(o, n, " %6.1f %6.6s %7.3f %7.3f %7.3f %6.2f ", r.topbot, r.symbol, r.highclose, r.lowclose, r.close,
                r.change);
}
void mvavg_line(const QueryRec& r, int, char* o, std::size_t n) {
  std::snprintf(o, n, " %5.1f %6.6s %7.2f %6.2f ", -r.mvapct, r.symbol, r.close, r.change);
}
void bol_line(const QueryRec& r, int, char* o, std::size_t n) {
  std::snprintf(o, n, " %6.1f %6.6s %7.2f %6.2f ", -r.bolpct, r.symbol, r.close, r.change);
}
void hivol_line(const QueryRec& r, int, char* o, std::size_t n) {
  std::snprintf(o, n, " %6.1f %6.6s %7.2f %6.2f ", r.hivol, r.symbol, r.close,
                static_cast<double>(r.close) - r.prevclose);
}
void rsi_line(const QueryRec& r, int, char* o, std::size_t n) {
  std::snprintf(o, n, " %5.1f %6.6s %7.2f %6.2f ", r.rsi, r.symbol, r.close, r.change);
}
void low_line(const QueryRec& r, int, char* o, std::size_t n) {
  std::snprintf(o, n, " %3d %4d %4d %6.6s %7.2f %6.2f ", r.lowcnt, r.lowmost, r.lowlast, r.symbol, r.close, r.change);
}
void high_line(const QueryRec& r, int, char* o, std::size_t n) {
  std::snprintf(o, n, " %3d %4d %4d %6.6s %7.2f %6.2f ", r.highcnt, r.highmost, r.highlast, r.symbol, r.close,
                r.change);
}

// clang-format off
const List lists[] = {
  // look label        routine          key
  {1, "price", "draw_price", [](const QueryRec& r) { return double(r.change); },
   " change symbol   price   %   name", " change symbol   price    %  compare     % name", 29, price_line,
   [](const QueryRec& r) { return r.pct > 0; }, [](const QueryRec& r) { return r.pct < 0; },
   [](const QueryRec& r) { return nonzero(r.pct); }},
  {2, "percent", "draw_percent", [](const QueryRec& r) { return double(r.pct); },
   "   %   symbol   price change name", "   %   symbol   price change compare     % name", 29, percent_line,
   [](const QueryRec& r) { return r.pct > 0; }, [](const QueryRec& r) { return r.pct < 0; },
   [](const QueryRec& r) { return nonzero(r.pct); }},
  {3, "volume", "draw_qvolume", [](const QueryRec& r) { return r.volsum; },
   "   volume symbol   price change   % name", "   volume symbol   price change   % compare     % name", 35,
   volume_line, [](const QueryRec& r) { return r.volsum > 0; }, [](const QueryRec& r) { return r.volsum < 0; },
   [](const QueryRec& r) { return nonzero(r.volsum); }},
  {4, "dollar value", "draw_value", [](const QueryRec& r) { return r.value; },
   "  value symbol   price change   % name", "  value symbol   price change   % compare     % name", 35,
   value_line, [](const QueryRec& r) { return r.value > 0; }, [](const QueryRec& r) { return r.value < 0; },
   [](const QueryRec& r) { return nonzero(r.value); }},
  {5, "volatity", "draw_volatity", [](const QueryRec& r) { return double(r.volat); },
   "   %   symbol    high     low   price hh-low name",
   "   %   symbol    high     low   price hh-low compare     % name", 50, volat_line,
   [](const QueryRec& r) { return r.volat > 0; }, [](const QueryRec& r) { return r.volat < 0; },
   [](const QueryRec& r) { return nonzero(r.volat); }},
  {6, "gaps", "draw_gaps", [](const QueryRec& r) { return double(r.gappct); },
   "  gap% symbol   price change name", "  gap% symbol   price change compare     % name", 29, gap_line,
   [](const QueryRec& r) { return r.gapchg > 0; }, [](const QueryRec& r) { return r.gappct < 0; },
   [](const QueryRec& r) { return nonzero(r.gapchg); }},
  {7, "top/bottom", "draw_topbot", [](const QueryRec& r) { return double(r.topbot); },
   "    %   symbol    high     low   price change name",
   "    %   symbol    high     low   price change compare     % name", 46, topbot_line,
   [](const QueryRec& r) { return r.topbot >= 0; }, [](const QueryRec& r) { return r.topbotpos <= 0; },
   [](const QueryRec& r) { return nonzero(r.topbot); }},
  {8, "moving avg", "draw_qmvavg", [](const QueryRec& r) { return double(r.mvapct); },
   "   %   symbol   price change name", "   %   symbol   price change compare     % name", 29, mvavg_line,
   [](const QueryRec& r) { return r.mvapct < 0; }, [](const QueryRec& r) { return r.mvapct > 0; },
   [](const QueryRec& r) { return nonzero(r.mvapct); },
   // crossed the average on the last day: above it, or below it
   [](const QueryRec& r) { return r.prevclose <= r.mvavg && r.close >= r.mvavg; },
   [](const QueryRec& r) { return r.prevclose >= r.mvavg && r.close <= r.mvavg; }, true, true, true},
  {9, "bolinger", "draw_bolinger", [](const QueryRec& r) { return double(r.bolpct); },
   "    %   symbol   price change name", "    %   symbol   price change compare     % name", 30, bol_line,
   [](const QueryRec& r) { return r.bolpct < 0; }, [](const QueryRec& r) { return r.bolpct > 0; },
   [](const QueryRec& r) { return nonzero(r.bolpct); }, nullptr, nullptr, true, true, true},
  {11, "high volume", "draw_hivol", [](const QueryRec& r) { return double(r.hivol); },
   "    x   symbol   price change name", "    x   symbol   price change compare     % name", 30, hivol_line,
   [](const QueryRec& r) { return r.hivol > 0; }, [](const QueryRec& r) { return r.hivol > 0; },
   [](const QueryRec& r) { return nonzero(r.hivol); },
   [](const QueryRec& r) { return r.close >= r.prevclose; }, [](const QueryRec& r) { return r.close <= r.prevclose; },
   false, true, true},
  {12, "rsi", "draw_qrsi", [](const QueryRec& r) { return double(r.rsi); },
   " RSI   symbol   price change name", " RSI   symbol   price change compare     % name", 29, rsi_line,
   [](const QueryRec& r) { return r.rsi > 60; }, [](const QueryRec& r) { return r.rsi < 40; },
   [](const QueryRec& r) { return r.rsi <= 35 || r.rsi >= 55; },
   nullptr, [](const QueryRec& r) { return r.rsi != 0; }, false, false, true, true},
  {13, "fibonacci", "draw_fib", [](const QueryRec& r) { return -double(r.fibstate); },
   "   %   symbol   price change name", "   %   symbol   price change compare     % name", 29, percent_line,
   [](const QueryRec& r) { return r.fibstate < 0; }, [](const QueryRec& r) { return r.fibstate > 0; },
   [](const QueryRec& r) { return r.fibstate != 0; }},
  {15, "low count", "draw_l", [](const QueryRec& r) { return double(r.lowcnt); },
   " cnt most last symbol   price change name total days %d", nullptr, 29, low_line,
   [](const QueryRec&) { return true; }, nullptr, [](const QueryRec&) { return true; },
   nullptr, nullptr, false, false, false, false, true},
  {16, "high count", "draw_h", [](const QueryRec& r) { return double(r.highcnt); },
   " cnt most last symbol    price change name total days %d", nullptr, 29, high_line,
   [](const QueryRec&) { return true; }, nullptr, [](const QueryRec&) { return true; },
   nullptr, nullptr, false, false, false, false, true},
};
// clang-format on

const List* list_of(int look) {
  for (const List& l : lists)
    if (l.look == look) return &l;
  return nullptr;
}

bool with_compare() { return queryedate != querycdate; }

// Descending by the key, a missing value last, ties by symbol: the same
// list every time.
void sort_rows(std::vector<QueryRec>::iterator from, std::vector<QueryRec>::iterator to,
               double (*key)(const QueryRec&)) {
  std::stable_sort(from, to, [key](const QueryRec& a, const QueryRec& b) {
    double x = key(a), y = key(b);
    if (std::isnan(x) != std::isnan(y)) return std::isnan(y);
    if (!std::isnan(x) && x != y) return x > y;
    return std::strcmp(a.symbol, b.symbol) < 0;
  });
}

void sort_for(const List& l) {
  if (querylastsort == l.look) return;
  auto begin = qs.begin(), end = qs.begin() + querynum;
  sort_rows(begin, end, l.key);
  if (l.look == 13) {  // rising verdicts, then falling, each block by percent
    auto rising = std::find_if(begin, end, [](const QueryRec& r) { return r.fibstate >= 0; });
    auto falling = std::find_if(rising, end, [](const QueryRec& r) { return r.fibstate > 0; });
    auto pct = [](const QueryRec& r) { return double(r.pct); };
    sort_rows(begin, rising, pct);
    sort_rows(falling, end, pct);
  }
  querylastsort = l.look;
}

// Listed at all: inside the price range, moved over the range, no index.
bool in_range(const QueryRec& r) { return !(r.close < querylprice) && !(r.close > queryhprice) && r.days >= 2; }
bool is_index(const CompanyRec& c) { return c.type == 'I'; }

// The text of one row: the list's fields, the compare fields, and at most
// `name` characters of the company name (all of it when name < 0).
std::string row_text(const List& l, const QueryRec& r, int side, int name) {
  char text[512];
  l.line(r, side, text, sizeof text);
  std::string out = text;
  if (with_compare()) {
    std::snprintf(text, sizeof text, "%7.2f %5.1f ", r.cmpclose, r.cmppct);
    out += text;
  }
  const CompanyRec& c = find_co(r.symbol);
  out += name < 0 ? std::string(c.name) : std::string(c.name).substr(0, static_cast<std::size_t>(std::max(name, 0)));
  return out;
}

std::string header_of(const List& l) {
  char text[160];
  if (l.one_column) std::snprintf(text, sizeof text, l.header, querydays);
  else copy_text(text, with_compare() ? l.compare_header : l.header);
  return text;
}

struct Layout {
  int width, name, left_x, right_x;
};

Layout layout_of(const List& l) {
  int w = l.width + (with_compare() ? 15 : 0);
  int c = font_width > 0 ? main_win_width / font_width : 0;
  int r = c - 2 * w;
  int n = r / 2 > 40 ? 40 : r / 2 - 3;
  int g = (r - 2 * n) / 3;
  int left = g * font_width;
  return {w, n, left, left + (w + n + g) * font_width};
}

// One column: from the top or the bottom of the sorted rows, while the
// window and the count allow; the rows it shows (with `draw` false it only
// counts them).
int column(const List& l, bool left, const Layout& at, bool draw = true) {
  bool from_top = left ? !l.left_from_bottom : l.right_from_top;
  Test test = left ? l.left : l.right, only = left ? l.left_only : l.right_only;
  int x = left ? at.left_x : at.right_x;
  int y = 5 * font_height, counter = 0, skip = arrow_index, shown = 0;
  for (int k = 0; k < querynum; ++k) {
    if (y >= main_win_height - font_height) break;
    QueryRec& r = qs[from_top ? k : querynum - 1 - k];
    if (std::isnan(l.key(r))) continue;  // no measure: not in the list at all
    if (!l.counts_listed && ++counter >= querycount) break;
    if (!in_range(r)) continue;
    if (!test(r)) break;  // sorted: the rest fail too
    if (is_index(find_co(r.symbol))) continue;
    if (l.counts_listed && only && !only(r)) continue;  // the count takes only rows that pass every test
    if (l.counts_listed && ++counter >= querycount) break;
    if (only && !only(r)) continue;
    if (skip > 0) {
      --skip;
      continue;
    }
    ++shown;
    y += font_height;
    if (!draw) continue;
    std::string text = row_text(l, r, left ? 1 : -1, l.one_column ? 40 : at.name);
    paint_text(KD_MainWin, left ? Role::Qpos : Role::Qneg, x, y - font_height, text.c_str());
    r.col = x / font_width + 29;
    r.row = (y - font_height) / font_height;
    querybasex = left ? r.col + 1 : x / font_width;
  }
  return shown;
}

void draw_rows(const List& l);

// The count lists write no trace lines; the others do.
void draw_list(const List& l) {
  if (l.one_column) {
    draw_rows(l);
    return;
  }
  Trace t(l.routine);
  draw_rows(l);
}

// No row on the page: it lies beyond the rows the list has.
bool page_empty(const List& l) {
  Layout at = layout_of(l);
  return column(l, true, at, false) == 0 && (l.one_column || column(l, false, at, false) == 0);
}

void draw_rows(const List& l) {
  if (l.one_column && printflag) return;  // "print" writes nothing for these
  if (l.needs_history && !queryextraloaded) return;
  if (const char* why = l.needs_history ? no_average_reason() : nullptr)
    query_reading::say(__LINE__, "%s", why);
  sort_for(l);
  if (arrow_index > 0 && page_empty(l)) arrow_index = 0;  // a page left from other rows: the first
  Layout at = layout_of(l);
  std::string header = header_of(l);
  paint_text(KD_MainWin, Role::Graph, at.left_x, 4 * font_height, header.c_str());
  if (!l.one_column) paint_text(KD_MainWin, Role::Graph, at.right_x, 4 * font_height, header.c_str());
  if (printflag) start_print_writer([&l](int fd) { return write_query_list(l.look, fd); });
  column(l, true, at);
  if (!l.one_column) column(l, false, at);
}

// The rows a print takes, in list order.
template <typename Emit>
bool printed_rows(const List& l, int limit, Emit emit) {
  int taken = 0;
  for (int i = 0; i < querynum && (limit <= 0 || taken < limit); ++i) {
    const QueryRec& r = qs[i];
    if (!in_range(r) || !l.printed(r) || is_index(find_co(r.symbol))) continue;
    if (!emit(r)) return false;
    ++taken;
  }
  return true;
}

const List* printable(int look) {
  const List* l = list_of(look);
  if (!l || (l->needs_history && !queryextraloaded)) return nullptr;
  return l;
}

}  // namespace

void sort_query(int look) {
  if (const List* l = list_of(look)) sort_for(*l);
}

bool query_page_empty() {
  if (querycount == 0 || querynum == 0) return true;
  if (querylook == 10) return query_groups_page_empty();
  const List* l = list_of(querylook);
  if (!l) return false;  // the distribution: no pages
  sort_for(*l);
  return page_empty(*l);
}

int query_look_of(const char* label) {
  for (const List& l : lists)
    if (std::strcmp(l.label, label) == 0) return l.look;
  if (std::strcmp(label, "groups") == 0) return 10;
  if (std::strcmp(label, "distribution") == 0) return 14;
  return 0;
}

bool query_look_needs_average(int look) {
  const List* l = list_of(look);
  return l && l->needs_history;
}

void draw_query() {
  Trace t("draw_query");
  if (querycount == 0 || querynum == 0) return;
  for (int i = 0; i < querynum; ++i) qs[i].col = qs[i].row = 0;
  if (querylook == 10) draw_qgroups();
  else if (querylook == 14) draw_distr();
  else if (const List* l = list_of(querylook)) draw_list(*l);
}

int query_row_at(int column, int row) {
  for (int i = 0; i < querynum; ++i) {
    const QueryRec& r = qs[i];
    if (r.row != row + 1) continue;
    bool right_half = column >= querybasex && column <= r.col;
    bool left_half = column >= 1 && column < querybasex && r.col <= querybasex;
    if (right_half || left_half) return i;
  }
  return -1;
}

bool write_query_list(int look, int fd, int limit) {
  const List* l = printable(look);
  if (!l) return false;
  sort_for(*l);
  std::string out = header_of(*l) + "\n";
  bool ok = printed_rows(*l, limit, [&](const QueryRec& r) {
    out += row_text(*l, r, 0, -1) + "\n";
    if (out.size() < (1 << 16)) return true;
    bool written = write_all(fd, out);
    out.clear();
    return written;
  });
  return ok && write_all(fd, out);
}

bool write_query_csv(int look, int fd, int limit) {
  const List* l = printable(look);
  if (!l) return false;
  sort_for(*l);
  std::string out =
      "symbol,firstclose,close,change,pct,days,lowcnt,lowmost,lowlast,highcnt,highmost,highlast,volsum,value,"
      "volat,gapchg,gappct,topbot,topbotpos,lowlow,highhigh,lowclose,highclose,prevclose,cmpclose,cmppct,"
      "mvavg,mvapct,avgvol,hivol,rsi,bolwidth,bolpct,fibstate\n";
  bool ok = printed_rows(*l, limit, [&](const QueryRec& r) {
    char line[1024];
    std::snprintf(line, sizeof line,
                  "%s,%.9g,%.9g,%.9g,%.9g,%d,%d,%d,%d,%d,%d,%d,%.17g,%.17g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,"
                  "%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%.9g,%d\n",
                  r.symbol, r.firstclose, r.close, r.change, r.pct, r.days, r.lowcnt, r.lowmost, r.lowlast,
                  r.highcnt, r.highmost, r.highlast, r.volsum, r.value, r.volat, r.gapchg, r.gappct, r.topbot,
                  r.topbotpos, r.lowlow, r.highhigh, r.lowclose, r.highclose, r.prevclose, r.cmpclose, r.cmppct,
                  r.mvavg, r.mvapct, r.avgvol, r.hivol, r.rsi, r.bolwidth, r.bolpct, r.fibstate);
    out += line;
    return true;
  });
  return ok && write_all(fd, out);
}

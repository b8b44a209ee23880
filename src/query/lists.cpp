// The ranked lists of the query table: one table of lists (sort key,
// headers, line, column tests, print test), the text of their lines, and
// their printed form. The views draw them.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "query/query.h"
#include "query/reading.h"
#include "query/screen.h"

int printflag;

using query_reading::start_print_writer;
using query_reading::write_all;

namespace {

using Test = QueryList::Test;

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
void volume_line(const QueryRec& r, int, char* o, std::size_t n) {
  double shown;
  char unit;
  scaled(r.volsum * 100, {1e9, 1e6, 1e3}, {1e9, 1e6, 1e3, 1}, "BMK ", &shown, &unit);
  std::snprintf(o, n, " %7.3f%c %6.6s %7.2f %6.2f %3d ", shown, unit, r.symbol, r.close, r.change, whole(r.pct));
}
void value_line(const QueryRec& r, int, char* o, std::size_t n) {
  double shown;
  char unit;
  // Amounts are hundreds of shares times the price: 10,000,000 of them are a billion dollars.
  scaled(r.value, {1e7, 1e4, -1}, {1e7, 1e4, 10, 10}, "BMKK", &shown, &unit);
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
const QueryList lists[] = {
  // look label        routine          key
  {ListView::Price, "price", "draw_price", [](const QueryRec& r) { return double(r.change); },
   " change symbol   price   %   name", " change symbol   price    %  compare     % name", 29, price_line,
   [](const QueryRec& r) { return r.pct > 0; }, [](const QueryRec& r) { return r.pct < 0; },
   [](const QueryRec& r) { return nonzero(r.pct); }},
  {ListView::Percent, "percent", "draw_percent", [](const QueryRec& r) { return double(r.pct); },
   "   %   symbol   price change name", "   %   symbol   price change compare     % name", 29, percent_line,
   [](const QueryRec& r) { return r.pct > 0; }, [](const QueryRec& r) { return r.pct < 0; },
   [](const QueryRec& r) { return nonzero(r.pct); }},
  {ListView::Volume, "volume", "draw_qvolume", [](const QueryRec& r) { return r.volsum; },
   "   volume symbol   price change   % name", "   volume symbol   price change   % compare     % name", 35,
   volume_line, [](const QueryRec& r) { return r.volsum > 0; }, [](const QueryRec& r) { return r.volsum < 0; },
   [](const QueryRec& r) { return nonzero(r.volsum); }},
  {ListView::DollarValue, "dollar value", "draw_value", [](const QueryRec& r) { return r.value; },
   "  value symbol   price change   % name", "  value symbol   price change   % compare     % name", 35,
   value_line, [](const QueryRec& r) { return r.value > 0; }, [](const QueryRec& r) { return r.value < 0; },
   [](const QueryRec& r) { return nonzero(r.value); }},
  {ListView::Volatility, "volatity", "draw_volatity", [](const QueryRec& r) { return double(r.volat); },
   "   %   symbol    high     low   price hh-low name",
   "   %   symbol    high     low   price hh-low compare     % name", 50, volat_line,
   [](const QueryRec& r) { return r.volat > 0; }, [](const QueryRec& r) { return r.volat < 0; },
   [](const QueryRec& r) { return nonzero(r.volat); }},
  {ListView::Gaps, "gaps", "draw_gaps", [](const QueryRec& r) { return double(r.gappct); },
   "  gap% symbol   price change name", "  gap% symbol   price change compare     % name", 29, gap_line,
   [](const QueryRec& r) { return r.gapchg > 0; }, [](const QueryRec& r) { return r.gappct < 0; },
   [](const QueryRec& r) { return nonzero(r.gapchg); }},
  {ListView::TopBottom, "top/bottom", "draw_topbot", [](const QueryRec& r) { return double(r.topbot); },
   "    %   symbol    high     low   price change name",
   "    %   symbol    high     low   price change compare     % name", 46, topbot_line,
   [](const QueryRec& r) { return r.topbot >= 0; }, [](const QueryRec& r) { return r.topbotpos <= 0; },
   [](const QueryRec& r) { return nonzero(r.topbot); }},
  {ListView::MovingAvg, "moving avg", "draw_qmvavg", [](const QueryRec& r) { return double(r.mvapct); },
   "   %   symbol   price change name", "   %   symbol   price change compare     % name", 29, mvavg_line,
   [](const QueryRec& r) { return r.mvapct < 0; }, [](const QueryRec& r) { return r.mvapct > 0; },
   [](const QueryRec& r) { return nonzero(r.mvapct); },
   // crossed the average on the last day: above it, or below it
   [](const QueryRec& r) { return r.prevclose <= r.mvavg && r.close >= r.mvavg; },
   [](const QueryRec& r) { return r.prevclose >= r.mvavg && r.close <= r.mvavg; }, true, true, true},
  {ListView::Bollinger, "bolinger", "draw_bolinger", [](const QueryRec& r) { return double(r.bolpct); },
   "    %   symbol   price change name", "    %   symbol   price change compare     % name", 30, bol_line,
   [](const QueryRec& r) { return r.bolpct < 0; }, [](const QueryRec& r) { return r.bolpct > 0; },
   [](const QueryRec& r) { return nonzero(r.bolpct); }, nullptr, nullptr, true, true, true},
  {ListView::HighVolume, "high volume", "draw_hivol", [](const QueryRec& r) { return double(r.hivol); },
   "    x   symbol   price change name", "    x   symbol   price change compare     % name", 30, hivol_line,
   [](const QueryRec& r) { return r.hivol > 0; }, [](const QueryRec& r) { return r.hivol > 0; },
   [](const QueryRec& r) { return nonzero(r.hivol); },
   [](const QueryRec& r) { return r.close >= r.prevclose; }, [](const QueryRec& r) { return r.close <= r.prevclose; },
   false, true, true},
  {ListView::Rsi, "rsi", "draw_qrsi", [](const QueryRec& r) { return double(r.rsi); },
   " RSI   symbol   price change name", " RSI   symbol   price change compare     % name", 29, rsi_line,
   [](const QueryRec& r) { return r.rsi > 60; }, [](const QueryRec& r) { return r.rsi < 40; },
   [](const QueryRec& r) { return r.rsi <= 35 || r.rsi >= 55; },
   nullptr, [](const QueryRec& r) { return r.rsi != 0; }, false, false, true, true},
  {ListView::Fibonacci, "fibonacci", "draw_fib", [](const QueryRec& r) { return -double(r.fibstate); },
   "   %   symbol   price change name", "   %   symbol   price change compare     % name", 29, percent_line,
   [](const QueryRec& r) { return r.fibstate < 0; }, [](const QueryRec& r) { return r.fibstate > 0; },
   [](const QueryRec& r) { return r.fibstate != 0; }},
  {ListView::LowCount, "low count", "draw_l", [](const QueryRec& r) { return double(r.lowcnt); },
   " cnt most last symbol   price change name total days %d", nullptr, 29, low_line,
   [](const QueryRec&) { return true; }, nullptr, [](const QueryRec&) { return true; },
   nullptr, nullptr, false, false, false, false, true},
  {ListView::HighCount, "high count", "draw_h", [](const QueryRec& r) { return double(r.highcnt); },
   " cnt most last symbol    price change name total days %d", nullptr, 29, high_line,
   [](const QueryRec&) { return true; }, nullptr, [](const QueryRec&) { return true; },
   nullptr, nullptr, false, false, false, false, true},
};
// clang-format on

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

}  // namespace

void sort_query_list(const QueryList& l) {
  if (querylastsort == l.look) return;
  auto begin = qs.begin(), end = qs.begin() + querynum;
  sort_rows(begin, end, l.key);
  if (l.look == ListView::Fibonacci) {  // rising verdicts, then falling, each block by percent
    auto rising = std::find_if(begin, end, [](const QueryRec& r) { return r.fibstate >= 0; });
    auto falling = std::find_if(rising, end, [](const QueryRec& r) { return r.fibstate > 0; });
    auto pct = [](const QueryRec& r) { return double(r.pct); };
    sort_rows(begin, rising, pct);
    sort_rows(falling, end, pct);
  }
  querylastsort = l.look;
}

const QueryList* query_list(ListView look) {
  for (const QueryList& l : lists)
    if (l.look == look) return &l;
  return nullptr;
}

bool query_compare_shown() { return queryedate != querycdate; }
bool query_in_range(const QueryRec& r) { return !(r.close < querylprice) && !(r.close > queryhprice) && r.days >= 2; }
bool query_is_index(const QueryRec& r) { return find_co(r.symbol).type == 'I'; }

// The text of one row: the list's fields, the compare fields, and at most
// `name` characters of the company name (all of it when name < 0).
std::string query_row_text(const QueryList& l, const QueryRec& r, int side, int name) {
  char text[512];
  l.line(r, side, text, sizeof text);
  std::string out = text;
  if (query_compare_shown()) {
    std::snprintf(text, sizeof text, "%7.2f %5.1f ", r.cmpclose, r.cmppct);
    out += text;
  }
  const CompanyRec& c = find_co(r.symbol);
  out += name < 0 ? std::string(c.name) : std::string(c.name).substr(0, static_cast<std::size_t>(std::max(name, 0)));
  return out;
}

std::string query_header(const QueryList& l) {
  char text[160];
  if (l.one_column) std::snprintf(text, sizeof text, l.header, querydays);
  else copy_text(text, query_compare_shown() ? l.compare_header : l.header);
  return text;
}

namespace {

// The rows a print takes, in list order.
template <typename Emit>
bool printed_rows(const QueryList& l, int limit, Emit emit) {
  int taken = 0;
  for (int i = 0; i < querynum && (limit <= 0 || taken < limit); ++i) {
    const QueryRec& r = qs[i];
    if (!query_in_range(r) || !l.printed(r) || query_is_index(r)) continue;
    if (query_within && !query_within->holds(r)) continue;
    if (!emit(r)) return false;
    ++taken;
  }
  return true;
}

const QueryList* printable(ListView look) {
  const QueryList* l = query_list(look);
  if (!l || (l->needs_history && !queryextraloaded)) return nullptr;
  return l;
}

}  // namespace

void sort_query(ListView look) {
  if (const QueryList* l = query_list(look)) sort_query_list(*l);
}

void print_query_list(ListView look) {
  if (const QueryList* l = printable(look)) {
    int lines = 1;  // the header
    printed_rows(*l, 0, [&](const QueryRec&) { return ++lines > 0; });
    print_will_write(lines);
  }
  start_print_writer([look](int fd) { return write_query_list(look, fd); });
}

ListView query_look_of(const char* label) {
  for (const QueryList& l : lists)
    if (std::strcmp(l.label, label) == 0) return l.look;
  if (std::strcmp(label, "groups") == 0) return ListView::Groups;
  if (std::strcmp(label, "distribution") == 0) return ListView::Distribution;
  return ListView::Unset;
}

bool query_look_needs_average(ListView look) {
  const QueryList* l = query_list(look);
  return l && l->needs_history;
}

bool write_query_list(ListView look, int fd, int limit) {
  const QueryList* l = printable(look);
  if (!l) return false;
  sort_query_list(*l);
  std::string out = query_header(*l) + "\n";
  bool ok = printed_rows(*l, limit, [&](const QueryRec& r) {
    out += query_row_text(*l, r, 0, -1) + "\n";
    if (out.size() < (1 << 16)) return true;
    bool written = write_all(fd, out);
    out.clear();
    return written;
  });
  return ok && write_all(fd, out);
}

bool write_query_csv(ListView look, int fd, int limit) {
  const QueryList* l = printable(look);
  if (!l) return false;
  sort_query_list(*l);
  std::string out = query_csv_header();
  bool ok = printed_rows(*l, limit, [&](const QueryRec& r) {
    append_query_csv_row(out, r);
    if (out.size() < (1 << 16)) return true;
    bool written = write_all(fd, out);
    out.clear();
    return written;
  });
  return ok && write_all(fd, out);
}

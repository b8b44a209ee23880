// The steps a list needs beyond the day files: each security's history for
// the moving-average, Bollinger, high-volume, RSI and Fibonacci lists; the
// group totals; the distribution of the price changes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "query/query.h"
#include "query/reading.h"

using namespace query_reading;

DistrSlot distr[DISTR_SLOTS];
int distr_hc;
float distr_hv;

namespace {

// ---- history ----

// The last days of a window, kept in rings as the history is read.
struct Rings {
  int m;                        // mvavgdays
  std::vector<double> closes;   // m + 1 slots: the day before the m days too
  std::vector<double> volumes;  // m + 1 slots
  double close(int j) const { return closes[static_cast<std::size_t>(j % (m + 1))]; }
  double volume(int j) const { return volumes[static_cast<std::size_t>(j % (m + 1))]; }
};

enum Zone { High, Middle, Low };

// How the Fibonacci state moves with the zone of a close; 4 is a path that
// went both ways and stays so.
int next_fib_state(int state, Zone z) {
  static const int states[] = {0, 1, 2, -1, -2, 3, -3};
  static const int moves[3][7] = {
      {1, 1, 4, 3, 3, 3, 4},      // high zone
      {4, 2, 2, -2, -2, 4, 4},    // middle zone
      {-1, -3, -3, -1, 4, 4, -3}  // low zone
  };
  for (int i = 0; i < 7; ++i)
    if (states[i] == state) return moves[z][i];
  return state;
}

int fib_verdict(const QueryRec& r, int n) {
  if (r.fibstate == 0 || r.fibstate == 4 || (r.fibhighlvl == 0 && r.fiblowlvl == 0) || n == 0) return 0;
  double up = static_cast<double>(r.fibup) / n, down = static_cast<double>(r.fibdown) / n;
  int wanted = fibpolar == '+' ? 3 : -3;
  if (up >= fibtop && down <= fibbot && r.fibstate == wanted) return -1;
  if (up <= fibbot && down >= fibtop && r.fibstate == -wanted) return 1;
  return 0;
}

// Reads one security's history file; the window days, or -1 without a file.
int read_history(QueryRec& r, Rings& rings, long first, long last, double* close, double* volume) {
  char path[1100];
  std::snprintf(path, sizeof path, "%s/%s", symboldir, r.symbol);
  static DayText file;  // one buffer for every file
  if (!file.open(path)) return -1;
  say(__LINE__, "load_query_extra: reading %s", path);
  int n = 0;
  std::string_view line;
  Numbers num;
  while (file.next(&line)) {
    if (!line.empty() && line[0] == '#') continue;
    // The date first: most of a long history lies before the window.
    int date = 0;
    std::size_t i = 0;
    for (; i < line.size() && i < 8 && line[i] >= '0' && line[i] <= '9'; ++i) date = date * 10 + (line[i] - '0');
    long day = yymmdd_days(date);
    if (day != NO_DAY && day < first) continue;
    if (!scan_numbers(line, &num) || num.count < 5) continue;  // never zeros into the rings
    day = yymmdd_days(static_cast<int>(num.v[0]));
    if (day == NO_DAY || day < first) continue;
    if (day > last) break;
    double c = num.v[3], v = num.v[4];
    rings.closes[static_cast<std::size_t>(n % (rings.m + 1))] = c;
    rings.volumes[static_cast<std::size_t>(n % (rings.m + 1))] = v;
    Zone z = c >= r.fibhighlvl ? High : c <= r.fiblowlvl ? Low : Middle;
    r.fibup += z == High;
    r.fibdown += z == Low;
    r.fibstate = next_fib_state(r.fibstate, z);
    *close = c;
    *volume = v;
    ++n;
  }
  return n;
}

// The history measures of one row from the last m window days (m + 1 for
// the RSI's changes), n window days in all, the last close c and volume v.
void calc_query_mvavgs(const Rings& rings, QueryRec& r, int n, double c, double v) {
  Trace t("calc_query_mvavgs", "close=%ld, rsi=%ld, vol=%ld, index=%d, dc=%d, c=%f, v=%d",
          reinterpret_cast<long>(rings.closes.data()), reinterpret_cast<long>(rings.closes.data()),
          reinterpret_cast<long>(rings.volumes.data()), static_cast<int>(&r - qs.data()), n, c, clamp_int(v));
  r.mvavg = r.mvapct = r.avgvol = r.hivol = r.rsi = r.bolwidth = r.bolpct = 0;
  int m = rings.m;
  if (mvavgtype == 0 || m <= 0 || n <= m) return;
  double sum = 0, volumes = 0, by_day = 0, by_volume = 0, up = 0, down = 0;
  for (int i = 1, j = n - m; j < n; ++i, ++j) {  // oldest first, weights 1..m
    double x = rings.close(j), change = x - rings.close(j - 1);
    sum += x;
    volumes += rings.volume(j);
    by_day += x * i;
    by_volume += x * rings.volume(j);
    (change > 0 ? up : down) += std::fabs(change);
  }
  double mean = sum / m, squares = 0;
  for (int j = n - m; j < n; ++j) squares += (rings.close(j) - mean) * (rings.close(j) - mean);
  r.rsi = static_cast<float>(up + down == 0 ? 50 : up / (up + down) * 100);
  r.bolwidth = static_cast<float>(bolstd * std::sqrt(squares / m));
  r.avgvol = static_cast<float>(volumes / m);
  double average = mvavgtype == 1 ? mean : mvavgtype == 2 ? by_day / (m * (m + 1) / 2.0)
                   : volumes > 0  ? by_volume / volumes
                                  : 0;
  r.hivol = r.avgvol == 0 ? 0.0f : static_cast<float>(v / r.avgvol);
  if (average == 0 || c == 0) return;  // no average (a window without volume), or no close to measure it by
  r.mvavg = static_cast<float>(average);
  r.mvapct = static_cast<float>((average - c) / c * 100);
  if (r.close > average + r.bolwidth) r.bolpct = static_cast<float>((average + r.bolwidth - c) / c * 100);
  else if (r.close < average - r.bolwidth) r.bolpct = static_cast<float>((average - r.bolwidth - c) / c * 100);
}

}  // namespace

void load_query_extra() {
  Trace t("load_query_extra");
  long first = mmddyy_days(querysdate), last = mmddyy_days(queryedate);
  if (first == NO_DAY || last == NO_DAY) return;
  // The Fibonacci verdicts need no average: they are read whatever the
  // average's days; the averages only when the query has that many days.
  int m = mvavgdays > 0 && mvavgdays <= querydays ? mvavgdays : 0;
  Rings rings{m, std::vector<double>(static_cast<std::size_t>(m) + 1),
              std::vector<double>(static_cast<std::size_t>(m) + 1)};
  for (int i = 0; i < querynum; ++i) {
    QueryRec& r = qs[i];
    r.fibup = r.fibdown = r.fibstate = 0;
    r.bolpct = r.mvavg = r.mvapct = r.avgvol = r.hivol = r.rsi = r.bolwidth = 0;
    std::fill(rings.closes.begin(), rings.closes.end(), 0);
    double close = 0, volume = 0;
    int n = read_history(r, rings, first, last, &close, &volume);
    if (n < 0) continue;
    r.fibstate = fib_verdict(r, n);
    calc_query_mvavgs(rings, r, n, close, volume);
  }
  queryextraloaded = 1;
  status("query", __LINE__, "");
}

const char* no_average_reason() {
  static char why[96];
  if (mvavgdays <= 0) return "load_query_extra: moving-average days is 0";
  if (mvavgdays > querydays) {
    std::snprintf(why, sizeof why, "load_query_extra: moving-average days (%d) exceed the query's days (%d)",
                  mvavgdays, querydays);
    return why;
  }
  return nullptr;
}

// ---- group totals ----

namespace {

// Adds the closes of one file to the groups of its securities.
void total_file(DayText& file, bool end) {
  std::string_view line;
  DayLine d;
  char sym[32];
  std::unordered_set<std::string_view> seen;
  while (file.next(&line)) {
    if (parse_line(line, &d) != Parse::Quote) continue;
    if (!seen.insert(d.symbol).second) continue;  // a symbol's first line counts
    copy_text(sym, d.symbol);
    const CompanyRec& c = find_co(sym);
    if (&c == &nocompany) continue;
    for (int g : c.group) {
      if (g <= 0) break;
      if (g > num_groups || g >= static_cast<int>(groups.size())) continue;
      GroupRec& gr = groups[static_cast<std::size_t>(g)];
      if (!end) {
        ++gr.qstartcnt;
        gr.qstartsum += d.close;
      } else {
        if (querysmode != 'a' && gr.qendcnt == 0) gr.qvolume = 0;  // separate: the end day's volume only
        ++gr.qendcnt;
        gr.qendsum += d.close;
      }
      gr.qvolume += clamp_volume(d.volume);
    }
  }
}

}  // namespace

void load_query_groups() {
  Trace t("load_query_groups");
  long first = mmddyy_days(querysdate), last = mmddyy_days(queryedate);
  char start[1100], end[1100];
  long start_day = first == NO_DAY ? NO_DAY : find_start_file(first, start, sizeof start);
  if (start_day == NO_DAY) {
    say(__LINE__, "load_query_groups: no starting date found");
    return;
  }
  if (last == NO_DAY || last < start_day) {
    say(__LINE__, "load_query_groups: end day before start day");
    return;
  }
  say(__LINE__, "load_query_groups: reading %s", start);
  for (int g = 0; g <= num_groups && g < static_cast<int>(groups.size()); ++g) {
    GroupRec& gr = groups[static_cast<std::size_t>(g)];
    gr.qstartsum = gr.qendsum = 0;
    gr.qstartcnt = gr.qendcnt = 0;
    gr.qchange = 0;
    gr.qvolume = 0;
    gr.qcol = gr.qrow = 0;
  }
  DayText file;
  if (file.open(start)) total_file(file, false);
  day_path(end, sizeof end, last);
  say(__LINE__, "load_query_groups: reading %s", end);
  if (file.open(end)) total_file(file, true);
  for (int g = 1; g <= num_groups && g < static_cast<int>(groups.size()); ++g) {
    GroupRec& gr = groups[static_cast<std::size_t>(g)];
    if (gr.qstartcnt != 0 && gr.qstartcnt == gr.qendcnt && gr.qstartsum != 0)
      gr.qchange = static_cast<float>((gr.qendsum - gr.qstartsum) / gr.qstartsum * 100);
  }
  querygroupsloaded = 1;
  status("query", __LINE__, "");
}

// ---- distribution ----

double distr_class_width() {
  return distr_incr > 0 ? std::round(static_cast<double>(distr_incr) * 1e6) / 1e6 : 0.25;
}

void load_query_distr() {
  Trace t("load_query_distr");
  distr_hc = 0;
  distr_hv = 0;
  if (!select_query_group("load_query_distr")) return;
  // -10 + i x the width, counted from the zero class, whose limit is then
  // exactly 0 wherever the width divides 10.
  double incr = distr_class_width(), zero = 10 / incr;
  for (int i = 0; i < DISTR_SLOTS; ++i) {
    distr[i].cnt = 0;
    distr[i].limit = static_cast<float>((i - zero) * incr);
  }
  for (int k = 0; k < querynum; ++k) {
    QueryRec& r = qs[k];
    r.distrslot = 0;
    if (r.close < querylprice || r.close > queryhprice) continue;
    if (query_gn > 0) {
      const CompanyRec& c = find_co(r.symbol);
      if (std::find(std::begin(c.group), std::end(c.group), query_gn) == std::end(c.group)) continue;
    }
    float x = r.close - r.firstclose;
    int slot = -1;
    for (int i = 0; i + 1 < DISTR_SLOTS && slot < 0; ++i) {
      if (x > 0 && distr[i].limit < x && x <= distr[i + 1].limit) slot = i + 1;
      else if (x < 0 && distr[i].limit <= x && x < distr[i + 1].limit) slot = i;
    }
    if (x == 0)
      for (int i = 0; i < DISTR_SLOTS && slot < 0; ++i)
        if (distr[i].limit == 0) slot = i;
    if (slot < 0) continue;  // outside the table
    ++distr[slot].cnt;
    r.distrslot = slot;
  }
  querydistrloaded = 1;
  for (int i = 1; i < DISTR_SLOTS; ++i)
    if (i != 160) distr_hc = std::max(distr_hc, distr[i].cnt);
  for (int i = 1; i < 160; ++i)
    if (distr[i].cnt) {
      distr_hv = -distr[i].limit;
      break;
    }
  for (int i = 161; i < DISTR_SLOTS; ++i)
    if (distr[i].cnt && distr[i].limit > distr_hv) distr_hv = distr[i].limit;
}

// The advance/decline line: day by day over the chart's range, how many
// securities (or groups) rose, fell or stayed against their previous close,
// kept as the days of a pseudo-security so that the ordinary date axis,
// scrolling and tracking work.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "market/market.h"
#include "query/query.h"
#include "query/reading.h"

int adln_max;

namespace {

using query_reading::DayLine;
using query_reading::DayText;
using query_reading::Parse;

// One security seen in the day files: its last two closes.
struct Seen {
  std::string symbol;
  long day = NO_DAY;     // the day it was last counted
  double previous = 0, latest = 0;
  const CompanyRec* company;
  long read = NO_DAY;    // the day of its last line taken: a repeated line is skipped
};

// The symbols of the range, found by text: a cursor follows the files'
// order, an index finds the rest.
class SymbolTable {
 public:
  void see(std::string_view symbol, double close, long day) {
    int i = find(symbol);
    if (i < 0) {
      char sym[32];
      copy_text(sym, symbol);
      const CompanyRec& c = find_co(sym);
      seen_.push_back({std::string(symbol), NO_DAY, 0, close, &c == &nocompany ? nullptr : &c, day});
      index_.emplace(seen_.back().symbol, static_cast<int>(seen_.size()) - 1);
      return;  // a symbol first seen today does not count today
    }
    Seen& s = seen_[static_cast<std::size_t>(i)];
    if (s.read == day) return;
    s.previous = s.latest, s.latest = close, s.day = s.read = day;
  }
  const std::vector<Seen>& all() const { return seen_; }

 private:
  int find(std::string_view symbol) {
    if (cursor_ < seen_.size() && seen_[cursor_].symbol == symbol) return static_cast<int>(cursor_++);
    auto it = index_.find(std::string(symbol));
    if (it == index_.end()) return -1;
    cursor_ = static_cast<std::size_t>(it->second) + 1;
    return it->second;
  }
  std::vector<Seen> seen_;
  std::unordered_map<std::string, int> index_;
  std::size_t cursor_ = 0;
};

struct Counts {
  int adv = 0, dec = 0, unc = 0;
  void add(double now, double before) { now > before ? ++adv : now < before ? ++dec : ++unc; }
};

// Decodes adln_depth: 0 all stocks, -1 all groups, n one group; false for
// an unknown group (reported).
bool depth_of(int* depth) {
  upcase(adln_depth);
  if (std::strcmp(adln_depth, "S") == 0) return *depth = 0, true;
  if (std::strcmp(adln_depth, "G") == 0) return *depth = -1, true;
  if (std::isdigit(static_cast<unsigned char>(adln_depth[0]))) {
    int g = std::atoi(adln_depth);
    if (g > 0 && g <= num_groups && g < static_cast<int>(groups.size()) && groups[g].num) return *depth = g, true;
  } else {
    for (int g = 1; g <= num_groups && g < static_cast<int>(groups.size()); ++g)
      if (groups[g].num && std::strcmp(groups[g].code, adln_depth) == 0) return *depth = g, true;
  }
  std::snprintf(statusbuf, sizeof statusbuf, "loadad: unknown group %s", adln_depth);
  status("market", __LINE__, statusbuf);
  return false;
}

// The day's counts over the symbols seen on it.
Counts count_day(const SymbolTable& table, long day, int depth) {
  Counts all;
  if (depth == 0) {
    for (const Seen& s : table.all())
      if (s.day == day) all.add(s.latest, s.previous);
    return all;
  }
  for (int g = 0; g <= num_groups && g < static_cast<int>(groups.size()); ++g) {
    GroupRec& gr = groups[static_cast<std::size_t>(g)];
    gr.ad_seen = gr.ad_adv = gr.ad_dec = gr.ad_unc = 0;
  }
  for (const Seen& s : table.all()) {
    if (s.day != day || !s.company) continue;
    for (int g : s.company->group) {
      if (g == 0) break;
      if ((depth > 0 && g != depth) || g > num_groups || g >= static_cast<int>(groups.size())) continue;
      GroupRec& gr = groups[static_cast<std::size_t>(g)];
      gr.ad_seen = 1;
      s.latest > s.previous ? ++gr.ad_adv : s.latest < s.previous ? ++gr.ad_dec : ++gr.ad_unc;
    }
  }
  if (depth > 0) {
    if (depth > num_groups || depth >= static_cast<int>(groups.size())) return all;
    const GroupRec& gr = groups[static_cast<std::size_t>(depth)];
    return {gr.ad_adv, gr.ad_dec, gr.ad_unc};
  }
  for (int g = 1; g <= num_groups && g < static_cast<int>(groups.size()); ++g) {
    const GroupRec& gr = groups[static_cast<std::size_t>(g)];
    if (gr.ad_seen) all.add(gr.ad_adv, gr.ad_dec);  // a group is one unit
  }
  return all;
}

StockDay record(long day, const Counts& c) {
  StockDay s{};
  s.high = static_cast<float>(c.adv);
  s.low = static_cast<float>(c.dec);
  s.close = static_cast<float>(c.adv - c.dec);
  s.volume = c.unc;
  int y, m, d;
  civil_date(day, &y, &m, &d);
  s.date = static_cast<time_t>(day) * 86400;
  s.wday = weekday_of(day);
  s.smon = s.emon = m, s.sday = s.eday = d, s.syear = s.eyear = y % 100;
  return s;
}

int fail_ad(const char* why = nullptr) {
  if (why) status("market", __LINE__, why);
  load = 0;
  free_history();
  num_days = 0;
  if (load_hooks.load_failed) load_hooks.load_failed();
  return 1;
}

void window_from(const std::vector<StockDay>& days) {
  int fit = load_hooks.days_that_fit ? load_hooks.days_that_fit() : num_days;
  const StockDay& first = days[static_cast<std::size_t>(fit < num_days ? std::max(1, num_days - fit) : 1)];
  const StockDay& last = days[static_cast<std::size_t>(num_days - 1)];
  KD_csd = KD_sd = first.eday, KD_csm = KD_sm = first.emon, KD_csy = KD_sy = first.eyear;
  KD_ced = KD_ed = last.eday, KD_cem = KD_em = last.emon, KD_cey = KD_ey = last.eyear;
}

}  // namespace

int loadad() {
  Trace t("loadad", "depth=%s", adln_depth);
  forget_file_reports();
  if (!KD_csd || !KD_csm || !KD_csy || !KD_ced || !KD_cem || !KD_cey) return 1;
  num_days = 1;
  free_history();
  forget_split();
  grpcnt = 2;
  long first = day_number(full_year(KD_csy), KD_csm, KD_csd), last = day_number(full_year(KD_cey), KD_cem, KD_ced);
  int depth;
  if (!valid_date(full_year(KD_csy), KD_csm, KD_csd) || !valid_date(full_year(KD_cey), KD_cem, KD_ced))
    return fail_ad("loadad: the chart dates are not dates");
  if (last < first) return fail_ad("loadad: the start date lies after the end date");
  if (!depth_of(&depth)) return fail_ad();
  stocklist.resize(1);
  HistoryMember& m = stocklist[0];
  m.gc = load_hooks.member_gc ? load_hooks.member_gc() : nullptr;
  copy_text(m.symbol, "adv/dec");
  m.days.assign(1, StockDay{});
  m.counts = true;
  SymbolTable table;
  DayText file;
  DayLine line;
  std::string_view text;
  char path[1100];
  for (long day = first; day <= last; ++day) {
    query_reading::day_path(path, sizeof path, day);
    if (!file.open(path)) continue;
    std::snprintf(statusbuf, sizeof statusbuf, "load_ad: reading %s", path);
    status("market", __LINE__, statusbuf);
    for (Parse p; file.next(&text) && (p = query_reading::parse_line(text, &line)) != Parse::NoComma;)
      if (p == Parse::Quote) table.see(line.symbol, line.close, day);
    if (m.days.size() > 1)  // weekdays without a file between two file days
      for (long gap = m.days.back().date / 86400 + 1; gap < day; ++gap)
        if (weekday_of(gap) % 6 != 0) m.days.push_back(record(gap, {})), m.days.back().nodata = 1;
    Counts c = count_day(table, day, depth);
    m.days.push_back(record(day, c));
    adln_max = std::max({adln_max, c.adv, c.dec, c.unc});
  }
  num_days = static_cast<int>(m.days.size());
  if (num_days < 2) {
    std::snprintf(statusbuf, sizeof statusbuf, "loadad: no day files from %d/%d/%d to %d/%d/%d", KD_csm, KD_csd,
                  KD_csy, KD_cem, KD_ced, KD_cey);
    return fail_ad(statusbuf);
  }
  window_from(m.days);
  work_days = num_days;
  fill_work();
  load = 3;
  status("market", __LINE__, "");
  return 0;
}

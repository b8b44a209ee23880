// The comparison of a security's chart: the closes of another security, or
// of a group's price-sum index, loaded by the chart's own loaders before
// the security itself, and set beside each work day by fill_work.
#include <algorithm>
#include <cfloat>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "indicators/indicators.h"

namespace {

std::vector<std::pair<time_t, float>> closes;  // by day key, ascending
std::string shown;      // what the closes are of
std::string problem;    // why there are none
bool loading = false;   // the comparison's own load compares with nothing

// What a load changes that the security's own load does not set again.
struct Kept {
  std::string symbol = symbolname, group = groupname;
  char mode = groupmode;
  int adjust = adjust_date, extend = extendday, buy_volume = stockbuyavol, shares = curvol, turnover = queryvdate;
  float ratio = adjust_ratio, buy = stockbuyprice, movement = value_high;  // value_high only ever rises
  FlipList flip = flip_list;
  void (*load_failed)() = load_hooks.load_failed;
  ~Kept() {
    load_hooks.load_failed = load_failed;
    copy_text(symbolname, symbol.c_str());
    copy_text(groupname, group.c_str());
    groupmode = mode;
    adjust_date = adjust, extendday = extend, stockbuyavol = buy_volume, curvol = shares, queryvdate = turnover;
    adjust_ratio = ratio, stockbuyprice = buy, value_high = movement;
    flip_list = std::move(flip);
  }
};

// A known company is a security; otherwise a group code or number is a
// group; anything else a security of the day files alone.
bool names_group(const char* name) { return &find_co(name) == &nocompany && group_of_text(name) > 0; }

}  // namespace

void load_compare() {
  if (loading) return;
  closes.clear();
  problem.clear();
  upcase(comparename);  // as the stock dialog takes symbols and the group loader codes
  shown = comparename;
  if (!comparename[0]) return;
  Kept kept;
  loading = true;
  load_hooks.load_failed = nullptr;  // the security's load shows or hides the arrows
  adjust_date = 0, adjust_ratio = 0, extendday = 0;  // the security's split is not the comparison's
  int rc;
  if (names_group(comparename)) {
    copy_text(groupname, comparename);
    groupmode = 't';
    rc = loadgroup();
  } else {
    copy_text(symbolname, comparename);
    rc = loadstock();
  }
  loading = false;
  if (rc != 0 || stocklist.empty()) {
    problem = last_status[0] ? last_status : "no data";
    return;
  }
  const std::vector<StockDay>& days = stocklist[0].days;
  for (int i = 1; i < num_days && i < static_cast<int>(days.size()); ++i)
    if (days[i].close > 0) closes.emplace_back(days[i].date, days[i].close);
  if (closes.empty()) problem = "no data";
}

void forget_compare() {
  if (loading) return;
  closes.clear();
  problem.clear();
  shown.clear();
}

std::string compare_shown() { return closes.empty() ? "" : shown; }
std::string compare_problem() { return problem.empty() ? "" : shown + ": " + problem; }

void set_compare_closes(std::vector<WorkDay>& work, int n) {
  for (int i = 0; i < n && i < static_cast<int>(work.size()); ++i) {
    WorkDay& w = work[i];
    w.cmpclose = 0;
    if (closes.empty()) continue;
    // The last close of the bar's days: from its first day to its last.
    time_t first = day_key(full_year(w.syear), w.smon, w.sday);
    if (first == NO_KEY) first = w.date;
    auto after = std::upper_bound(closes.begin(), closes.end(), std::pair{w.date, FLT_MAX});
    if (after != closes.begin() && std::prev(after)->first >= first) w.cmpclose = std::prev(after)->second;
  }
}

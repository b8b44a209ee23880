// The work days the chart draws: the split adjustment, the indicators, the
// shown window, and period bars for weekly to yearly charts.
#include <algorithm>
#include <climits>
#include <cmath>

#include "core/core.h"
#include "data/data.h"
#include "indicators/indicators.h"

int adjust_date;
float adjust_ratio;
float stockbuyprice;
int stockbuyavol;

namespace {

// The split last applied to the loaded history and the prices before it:
// the history is adjusted at most once, and a new date or ratio adjusts
// again from the prices as loaded.
int applied_date;
float applied_ratio;
std::vector<StockDay> unadjusted;

time_t window_key(int d, int m, int yy, time_t otherwise) {
  time_t key = day_key(full_year(yy), m, d);
  return key == NO_KEY ? otherwise : key;
}

void apply_split() {
  if (adjust_date == 0 || adjust_ratio == 0 || stocklist.empty()) return;
  if (adjust_date == applied_date && adjust_ratio == applied_ratio) return;
  time_t key = yymmdd_key(adjust_date);
  if (key == NO_KEY) return;
  std::vector<StockDay>& days = stocklist[0].days;
  if (applied_date != 0) days = unadjusted;
  else unadjusted = days;
  for (int i = 1; i < num_days && i < static_cast<int>(days.size()) && days[i].date <= key; ++i) {
    StockDay& s = days[i];
    s.high = static_cast<float>(static_cast<double>(s.high) / adjust_ratio);
    s.low = static_cast<float>(static_cast<double>(s.low) / adjust_ratio);
    s.close = static_cast<float>(static_cast<double>(s.close) / adjust_ratio);
    s.volume = clamp_volume(std::trunc(static_cast<double>(s.volume) * adjust_ratio));
  }
  applied_date = adjust_date;
  applied_ratio = adjust_ratio;
}

bool same_period(const StockDay& day, const StockDay& last_taken, const WorkDay& entry) {
  switch (graph_type) {
    case 2: return day.wday > last_taken.wday && day.date < entry.date + 432000;
    case 3: return day.emon == entry.emon && day.eyear == entry.eyear;
    case 4: return (day.emon - 1) / 3 == (entry.emon - 1) / 3;
    case 5: return day.eyear == entry.eyear;
    default: return false;
  }
}

void join(WorkDay& entry, const StockDay& day, bool counts) {
  entry.high = counts ? entry.high + day.high : std::max(entry.high, day.high);
  entry.low = counts ? entry.low + day.low : std::min(entry.low, day.low);
  entry.close = counts ? entry.close + day.close : day.close;
  entry.volume += day.volume;
  entry.emon = day.emon;
  entry.eday = day.eday;
  entry.eyear = day.eyear;
  entry.date = day.date;
  entry.wday = day.wday;
}

int build_daily(const std::vector<StockDay>& days, int last, std::vector<WorkDay>& work, time_t start, time_t end) {
  int n = 0;
  for (int i = 1; i < last; ++i) {
    if (days[i].date > end) break;
    if (days[i].date >= start) work[n++] = days[i];
  }
  return n;
}

// Counts of a day may all be 0 (an unchanged close is a count too): only a
// day without a file is passed over.
int build_periods(const std::vector<StockDay>& days, int last, std::vector<WorkDay>& work, time_t start, time_t end,
                  bool counts) {
  int n = 0;
  const StockDay* last_taken = nullptr;
  for (int i = 1; i < last; ++i) {
    const StockDay& d = days[i];
    if ((counts ? d.nodata != 0 : d.close == 0) || d.date < start) continue;
    if (d.date > end) break;
    if (last_taken && same_period(d, *last_taken, work[n - 1])) join(work[n - 1], d, counts);
    else work[n++] = d;
    last_taken = &d;
  }
  return n;
}

}  // namespace

void forget_split() {
  applied_date = 0;
  applied_ratio = 0;
  unadjusted.clear();
}

void fill_work() {
  Trace t("fill_work");
  if (num_days < 2) return;
  time_t start = window_key(KD_csd, KD_csm, KD_csy, LONG_MIN);
  time_t end = window_key(KD_ced, KD_cem, KD_cey, LONG_MAX);
  apply_split();
  worklist.resize(stocklist.size());
  for (std::size_t m = 0; m < stocklist.size(); ++m) {
    std::vector<StockDay>& days = stocklist[m].days;
    int last = std::min(num_days, static_cast<int>(days.size()));
    calc_stock_macd(days.data(), last);
    calc_stock_stoch(days.data(), last);
    calc_stock_mvavgs(days.data(), last);
    std::vector<WorkDay>& work = worklist[m];
    work.assign(days.size(), WorkDay{});
    if (graph_type == 1) work_days = build_daily(days, last, work, start, end);
    else if (graph_type >= 2 && graph_type <= 5) work_days = build_periods(days, last, work, start, end, stocklist[m].counts);
    else work_days = 0;
    if (m == 0) set_compare_closes(work, work_days);
    if (work_days > 0 && stockbuyprice == 0) stockbuyprice = work[0].close;
    if (work_days > 0 && stockbuyavol == 0) stockbuyavol = clamp_int(work[work_days - 1].avgvol);
  }
}

// The advance/decline line: day by day over the chart's range, how many
// securities (or groups) rose, fell or stayed against their previous close,
// kept as the days of a pseudo-security so that the ordinary date axis,
// scrolling and tracking work.
#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
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

// One security seen in the day files: its last two closes.
struct Seen {
  double previous = 0, latest = 0;
  const CompanyRec* company;
  long read = NO_DAY;    // the day of its last line taken: a repeated line is skipped
};

struct SymbolHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

// The symbols of the range, found by text: a cursor of the reader's follows
// the files' order, an index finds the rest. Only the caller adds to it,
// while no worker reads. The symbols lie apart from what the workers count:
// readers on one core do not share lines that change on another.
class SymbolTable {
 public:
  int find(std::string_view symbol, std::size_t* cursor) const {
    if (*cursor < symbols_.size() && symbols_[*cursor] == symbol) return static_cast<int>((*cursor)++);
    auto it = index_.find(symbol);
    if (it == index_.end()) return -1;
    *cursor = static_cast<std::size_t>(it->second) + 1;
    return it->second;
  }
  // A symbol first seen on `day`: it does not count that day.
  int add(std::string_view symbol, double close, long day) {
    char sym[32];
    copy_text(sym, symbol);
    const CompanyRec& c = find_co(sym);
    seen_.push_back({0, close, &c == &nocompany ? nullptr : &c, day});
    symbols_.emplace_back(symbol);
    index_.emplace(symbols_.back(), static_cast<int>(seen_.size()) - 1);
    return static_cast<int>(seen_.size()) - 1;
  }
  Seen& operator[](int i) { return seen_[static_cast<std::size_t>(i)]; }
  std::size_t size() const { return seen_.size(); }

 private:
  std::vector<Seen> seen_;
  std::vector<std::string> symbols_;
  std::unordered_map<std::string, int, SymbolHash, std::equal_to<>> index_;
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
  if ((*depth = group_of_text(adln_depth)) > 0) return true;
  std::snprintf(statusbuf, sizeof statusbuf, "loadad: unknown group %s", adln_depth);
  status("market", __LINE__, statusbuf);
  return false;
}

// ---- reading the days, on every core ----

// A quote line of a day file as a worker read it: its symbol's place in the
// table, or -1 - i for the i-th symbol the table did not hold.
struct AdQuote {
  int seen;
  double close;
};

// One day file: what its worker read, and what the day counts.
struct AdDay {
  long day = NO_DAY;
  char path[1100];
  bool opened = false;
  std::string problem;
  std::vector<AdQuote> quotes;
  std::vector<std::string> fresh;
  std::vector<std::array<int, 4>> by_worker;  // a worker's advances, declines, unchanged (and seen) by group
  std::vector<Counts> all;                    // a worker's counts of all stocks
};

// What a worker keeps from file to file: its reader, and the symbols the
// file it reads has given a line already. Only a symbol's first line
// counts, so a file's quotes are at most one a symbol however long it is.
struct alignas(64) Reader {  // a cache line of its own: each worker moves through its file
  DayText text;
  std::vector<uint32_t> seen;  // by symbol: the file that gave it a line last
  uint32_t file = 0;
  std::unordered_set<std::string> fresh;
};

void read_day_file(AdDay& d, Reader& r, const SymbolTable& table) {
  d.quotes.clear();
  d.fresh.clear();
  d.problem.clear();
  d.opened = r.text.open(d.path, &d.problem);
  if (!d.opened) return;
  r.seen.resize(static_cast<std::size_t>(table.size()));
  r.fresh.clear();
  ++r.file;
  std::size_t cursor = 0;
  query_reading::each_quote(r.text, true, [&](const DayLine& line) {  // a line without a comma ends the file
    int i = table.find(line.symbol, &cursor);
    if (i >= 0 && std::exchange(r.seen[static_cast<std::size_t>(i)], r.file) == r.file) return;
    if (i < 0) {
      if (!r.fresh.emplace(line.symbol).second) return;
      d.fresh.emplace_back(line.symbol);
      i = -static_cast<int>(d.fresh.size());
    }
    d.quotes.push_back({i, line.close});
  });
}

// A worker's share of the symbols, day by day: each moves to its close and
// counts against the one before. Groups count per group number.
void count_days(std::vector<AdDay>& batch, SymbolTable& table, int depth, int worker, int workers) {
  for (AdDay& d : batch) {
    if (!d.opened) continue;
    Counts& all = d.all[static_cast<std::size_t>(worker)];
    all = Counts{};
    std::array<int, 4>* by_group = depth != 0 ? &d.by_worker[static_cast<std::size_t>(worker) * (num_groups + 1)] : nullptr;
    for (const AdQuote& q : d.quotes) {
      if (q.seen < 0 || (q.seen >> 6) % workers != worker) continue;  // blocks of symbols: no cache line shared
      Seen& s = table[q.seen];
      if (s.read == d.day) continue;
      s.previous = s.latest, s.latest = q.close, s.read = d.day;
      if (depth == 0) {
        all.add(s.latest, s.previous);
        continue;
      }
      if (!s.company) continue;
      for (int g : s.company->group) {
        if (g == 0) break;
        if ((depth > 0 && g != depth) || g > num_groups || g >= static_cast<int>(groups.size())) continue;
        std::array<int, 4>& c = by_group[g];
        c[0] = 1;
        ++c[s.latest > s.previous ? 1 : s.latest < s.previous ? 2 : 3];
      }
    }
  }
}

// The day's counts from the workers' parts: all stocks, one group, or every
// group as one unit.
Counts count_day(const AdDay& d, int depth, int workers) {
  Counts total;
  if (depth == 0) {
    for (const Counts& c : d.all) total.adv += c.adv, total.dec += c.dec, total.unc += c.unc;
    return total;
  }
  for (int g = 0; g <= num_groups && g < static_cast<int>(groups.size()); ++g) {
    GroupRec& gr = groups[static_cast<std::size_t>(g)];
    gr.ad_seen = gr.ad_adv = gr.ad_dec = gr.ad_unc = 0;
    for (int w = 0; w < workers; ++w) {
      const std::array<int, 4>& c = d.by_worker[static_cast<std::size_t>(w) * (num_groups + 1) + g];
      gr.ad_seen |= c[0], gr.ad_adv += c[1], gr.ad_dec += c[2], gr.ad_unc += c[3];
    }
  }
  if (depth > 0) {
    if (depth > num_groups || depth >= static_cast<int>(groups.size())) return total;
    const GroupRec& gr = groups[static_cast<std::size_t>(depth)];
    return {gr.ad_adv, gr.ad_dec, gr.ad_unc};
  }
  for (int g = 1; g <= num_groups && g < static_cast<int>(groups.size()); ++g) {
    const GroupRec& gr = groups[static_cast<std::size_t>(g)];
    if (gr.ad_seen) total.add(gr.ad_adv, gr.ad_dec);  // a group is one unit
  }
  return total;
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

// The first and last loaded days. The shown window stays the range the
// line was asked for and loaded over, from its first day on.
void window_from(const std::vector<StockDay>& days) {
  const StockDay& first = days[1];
  const StockDay& last = days[static_cast<std::size_t>(num_days - 1)];
  KD_sd = first.eday, KD_sm = first.emon, KD_sy = first.eyear;
  KD_ed = last.eday, KD_em = last.emon, KD_ey = last.eyear;
  zoomlvl = 0;
}

}  // namespace

namespace {

// The records of the days from first to last: the workers read a file
// each, the caller adds their new symbols in order; in the next round the
// workers count their share of the symbols while they read the next files,
// and the caller adds up each day.
void read_days(long first, long last, int depth, std::vector<StockDay>& days) {
  int workers = worker_count();
  std::vector<Reader> readers(static_cast<std::size_t>(workers));
  SymbolTable table;
  std::vector<AdDay> read, reading;
  for (long day = first; day <= last || !read.empty();) {
    reading.resize(static_cast<std::size_t>(std::clamp<long>(last - day + 1, 0, workers)));
    for (AdDay& d : reading) {
      d.day = day++;
      query_reading::day_path(d.path, sizeof d.path, d.day);
      d.all.assign(static_cast<std::size_t>(workers), Counts{});
      if (depth != 0) d.by_worker.assign(static_cast<std::size_t>(workers) * (num_groups + 1), {});
    }
    std::atomic<std::size_t> next{0};
    auto work = [&](int worker) {
      count_days(read, table, depth, worker, workers);
      for (std::size_t i; (i = next++) < reading.size();) read_day_file(reading[i], readers[static_cast<std::size_t>(worker)], table);
    };
    run_workers(workers, work);
    for (const AdDay& d : read) {
      if (!d.opened) continue;
      if (days.size() > 1)  // weekdays without a file between two file days
        for (long gap = days.back().date / 86400 + 1; gap < d.day; ++gap)
          if (weekday_of(gap) % 6 != 0) days.push_back(record(gap, {})), days.back().nodata = 1;
      Counts c = count_day(d, depth, workers);
      days.push_back(record(d.day, c));
      adln_max = std::max({adln_max, c.adv, c.dec, c.unc});
    }
    for (AdDay& d : reading) {
      if (!d.opened) {
        if (!d.problem.empty()) file_report("market", __LINE__, d.problem.c_str());
        continue;
      }
      std::snprintf(statusbuf, sizeof statusbuf, "load_ad: reading %s", d.path);
      status("market", __LINE__, statusbuf);
      std::size_t cursor = 0;
      for (AdQuote& q : d.quotes) {
        if (q.seen >= 0) continue;
        const std::string& symbol = d.fresh[static_cast<std::size_t>(-q.seen - 1)];
        int i = table.find(symbol, &cursor);
        q.seen = i >= 0 ? i : table.add(symbol, q.close, d.day);
      }
    }
    std::swap(read, reading);
  }
}

}  // namespace

int loadad() {
  Trace t("loadad", "depth=%s", adln_depth);
  forget_file_reports();
  if (!shown_dates_set()) return fail_ad("loadad: the line needs a range of days");
  num_days = 1;
  free_history();
  forget_split();
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
  read_days(first, last, depth, m.days);
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

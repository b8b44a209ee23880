// Loading a group: every member of one industry group, from their per-symbol
// files when all of them have one, else from the day files; chained day by
// day into one price-sum index (mode 't') or each member apart (mode 's').

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "data/history.h"

using namespace history;

namespace {

bool together() { return groupmode != 's'; }

// The group named in groupname (upper-cased): a number, or a code looked up
// exactly; 0 when there is none.
int named_group() {
  upcase(groupname);
  if (std::isdigit(static_cast<unsigned char>(groupname[0]))) return std::atoi(groupname);
  for (int g = 1; g <= num_groups && g < static_cast<int>(groups.size()); ++g)
    if (groups[g].num && std::strcmp(groups[g].code, groupname) == 0) return g;
  report(__LINE__, "load_group: unknown group %s", groupname);
  return 0;
}

std::string symbol_path(const CompanyRec& c) { return std::string(symboldir) + "/" + c.symbol; }

// One history array with its header day.
void add_member(const CompanyRec& c) {
  HistoryMember m;
  m.gc = load_hooks.member_gc ? load_hooks.member_gc() : nullptr;
  copy_text(m.symbol, c.symbol);
  m.days.assign(1, StockDay{});
  stocklist.push_back(std::move(m));
}

void raise_extremes(const StockDay& d) {
  volume_high = std::max(volume_high, d.volume);
  high_p = std::max(high_p, d.high);
  low_p = std::min(low_p, d.low);
  price_highv = std::max(price_highv, static_cast<float>(static_cast<double>(d.close) * d.volume));
}

StockDay quote_day(const Quote& q, time_t key) {
  StockDay s{};
  s.high = q.high, s.low = q.low, s.close = q.close, s.volume = q.volume;
  s.nodata = 1;
  set_date(s, key);
  return s;
}

// ---- the price-sum index of mode 't' ----

// Members list, delist and miss days: a plain sum would jump with every
// change, and the days every member of a large group traded are few or
// none. So the index is chained: a day's close is the previous day's times
// the ratio of the sums of the closes of the members that traded on both
// days, and its high and low stand to it as the sums of the day's members'
// do (chained each apart, they drift as members come and go, until a high
// lies below its close). The first day is the plain sum; where every
// member trades every day each day is. The volume is the plain sum of the day's members: a
// count of shares traded, not a price level.
struct IndexDay {
  time_t key = NO_KEY;
  double all[3] = {};      // high, low and close summed over the members of the day
  double now = 0, then = 0;  // the closes of those that traded the index day before too, today and then
  double volume = 0;
  int traded = 0;
};

// A member's quote on day d; `before` its quote on the index day before,
// when it traded then.
void add_quote(IndexDay& d, const Quote& q, const Quote* before) {
  d.all[0] += q.high, d.all[1] += q.low, d.all[2] += q.close;
  if (before) d.now += q.close, d.then += before->close;
  d.volume += static_cast<double>(q.volume);
  ++d.traded;
}

// The index days into member 0, with empty weekdays between them. No member
// in common with the day before (or no close of theirs): the close stays.
void store_index(const std::vector<IndexDay>& index) {
  std::vector<StockDay>& days = stocklist[0].days;
  double close = 0;
  for (const IndexDay& d : index) {
    if (close == 0) close = d.all[2];  // the first day, or a close that was none so far
    else if (d.then > 0) close *= d.now / d.then;
    double scale = d.all[2] > 0 ? close / d.all[2] : 0;
    fill_gap(days, d.key);
    StockDay s{};
    s.high = static_cast<float>(d.all[0] * scale), s.low = static_cast<float>(d.all[1] * scale);
    s.close = static_cast<float>(close);
    s.volume = clamp_volume(d.volume);
    s.nodata = d.traded;
    set_date(s, d.key);
    days.push_back(s);
    raise_extremes(s);
  }
  num_days = disp_days = static_cast<int>(days.size());
}

// Member 0 holds the index, named after the last member read.
void start_index(int n) {
  add_member(companys[grplist[0]]);
  copy_text(stocklist[0].symbol, companys[grplist[n - 1]].symbol);
}

// One day of the day files in mode 's': each member's record, empty when
// it had no line.
void add_day(time_t key, const std::vector<bool>& found, const std::vector<Quote>& quote) {
  ++num_days;
  for (std::size_t m = 0; m < found.size(); ++m) {
    std::vector<StockDay>& days = stocklist[m].days;
    days.resize(static_cast<std::size_t>(num_days));
    StockDay s = found[m] ? quote_day(quote[m], key) : StockDay{};
    if (!found[m]) set_date(s, key), s.nodata = 1;
    days.push_back(s);
    if (found[m]) raise_extremes(s);
  }
}

// ---- per-symbol files ----

struct Span {
  time_t first = NO_KEY, last = NO_KEY;
};

// The data lines of a history file, one by one.
template <typename Each>
bool each_line(const std::string& path, Each each) {
  FILE* f = open_data(path.c_str());
  if (!f) return false;
  int lines = 0;
  while (read_text_line(f, genbuf, sizeof genbuf) == LineRead::Line) {
    ++lines;
    long date;
    Quote q;
    if (genbuf[0] == '#' || !scan_history_line(genbuf, &date, &q)) continue;
    time_t key = yymmdd_key(static_cast<int>(date));
    if (key != NO_KEY && !each(key, q, lines)) break;
  }
  std::fclose(f);
  return true;
}

void report_line(const CompanyRec& c, int line) {
  if (line % 75 != 0) return;
  std::snprintf(statusbuf, sizeof statusbuf, "load_sym_group: reading %s line %d", c.symbol, line);
  status("load", __LINE__, statusbuf);
}

// Mode 't' from the members' own files, over `keys`, every day one of them
// traded. A line not after the member's line before is skipped, as in the
// scan that found the keys.
void sym_index(const std::vector<time_t>& keys, int n) {
  std::vector<IndexDay> index(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) index[i].key = keys[i];
  start_index(n);
  for (int j = 0; j < n; ++j) {
    const CompanyRec& c = companys[grplist[j]];
    auto at = keys.begin();
    long before_at = -2;  // the member's index day before, and its quote then
    Quote before{};
    each_line(symbol_path(c), [&](time_t key, const Quote& q, int line) {
      report_line(c, line);
      if (at != keys.begin() && key <= at[-1]) return true;
      at = std::lower_bound(at, keys.end(), key);
      if (at == keys.end() || *at != key) return true;  // the file changed since the scan
      long i = at - keys.begin();
      add_quote(index[static_cast<std::size_t>(i)], q, before_at == i - 1 ? &before : nullptr);
      before_at = i, before = q;
      ++at;
      return true;
    });
  }
  store_index(index);
}

}  // namespace

int load_sym_group(int g, int n) {
  Trace t("load_sym_group", "g=%d n=%d", g, n);
  std::snprintf(statusbuf, sizeof statusbuf, "load_sym_group: group id=%d", g);
  status("load", __LINE__, statusbuf);
  time_t start = NO_KEY, end = NO_KEY;
  std::vector<time_t> keys, own, merged;  // mode 't': the days any member traded
  for (int j = 0; j < n; ++j) {  // mode 's': the range every member covers
    std::string path = symbol_path(companys[grplist[j]]);
    Span span;
    own.clear();
    bool ok = each_line(path, [&](time_t key, const Quote&, int) {
      if (span.first == NO_KEY) span.first = key;
      span.last = key;
      if (together() && (own.empty() || key > own.back())) own.push_back(key);
      return true;
    });
    if (!ok) {
      report(__LINE__, "load_sym_group: unknown symbol %s", path.c_str());
      return 1;
    }
    report(__LINE__, "scanning %s", path.c_str());
    merged.clear();
    std::set_union(keys.begin(), keys.end(), own.begin(), own.end(), std::back_inserter(merged));
    keys.swap(merged);
    if (span.first == NO_KEY) continue;
    start = start == NO_KEY ? span.first : std::max(start, span.first);
    end = end == NO_KEY ? span.last : std::min(end, span.last);
  }
  grpcnt = n;
  price_highv = 0;
  if (together()) {
    if (n > 0) sym_index(keys, n);
    return 0;
  }
  for (int j = 0; j < n; ++j) {
    const CompanyRec& c = companys[grplist[j]];
    add_member(c);
    std::vector<StockDay>& days = stocklist.back().days;
    disp_days = 0;
    time_t last_read = end;
    each_line(symbol_path(c), [&](time_t key, const Quote& q, int line) {
      report_line(c, line);
      if (start == NO_KEY || key < start) return true;
      if (key > end) return false;
      last_read = key;
      fill_gap(days, key);
      ++disp_days;
      days.push_back(quote_day(q, key));
      raise_extremes(days.back());
      return true;
    });
    if (j == 0) end = last_read;
    num_days = static_cast<int>(days.size());
  }
  return 0;
}

namespace {

// One day file of one kind for the group: what its worker found, each
// member's first good line. Members of one kind look in one file only.
struct GroupFile {
  char path[1100];
  const std::unordered_map<std::string_view, int>* symbols = nullptr;
  bool index = false;  // an index line leads with its market
  bool opened = false;
  std::string problem;
  std::vector<std::pair<int, Quote>> hits;
};

void read_group_file(GroupFile& f, DayText& text, std::vector<char>& found) {
  f.hits.clear();
  f.problem.clear();
  f.opened = text.open(f.path, &f.problem);
  if (!f.opened) return;
  std::string numbers;
  for (std::string_view line; text.next(&line);) {
    std::size_t skip = f.index && !line.empty() ? 1 : 0;
    std::size_t comma = line.find(',');
    if (line.empty() || line[0] == '#' || comma == std::string_view::npos || comma < skip) continue;
    auto it = f.symbols->find(line.substr(skip, comma - skip));
    if (it == f.symbols->end() || found[static_cast<std::size_t>(it->second)]) continue;
    numbers.assign(line.substr(comma + 1));
    Quote q;
    if (scan_quote(numbers.c_str(), &q)) {
      found[static_cast<std::size_t>(it->second)] = 1;
      f.hits.emplace_back(it->second, q);
    }
  }
  for (const auto& hit : f.hits) found[static_cast<std::size_t>(hit.first)] = 0;  // clean for the worker's next file
}

// Mode 't' from the day files: a day is a day of the index when a member
// traded on it, and each member is compared with the index day before.
class DayIndex {
 public:
  explicit DayIndex(std::size_t members) : had_(members), before_(members) {}
  void add(time_t key, const std::vector<bool>& found, const std::vector<Quote>& quote) {
    if (std::find(found.begin(), found.end(), true) == found.end()) return;
    IndexDay& d = days.emplace_back();
    d.key = key;
    for (std::size_t m = 0; m < found.size(); ++m)
      if (found[m]) add_quote(d, quote[m], had_[m] ? &before_[m] : nullptr);
    had_ = found;
    before_ = quote;
  }
  std::vector<IndexDay> days;

 private:
  std::vector<bool> had_;     // by member: traded on the index day before
  std::vector<Quote> before_;  // and its quote then
};

}  // namespace

int load_day_group(int g, int n) {
  Trace t("load_day_group", "g=%d n=%d", g, n);
  std::snprintf(statusbuf, sizeof statusbuf, "load_day_group: group id=%d", g);
  status("load", __LINE__, statusbuf);
  grpcnt = n;
  std::vector<DayFile> files;
  if (!day_files_for('s', "load_day_group", &files)) return 1;
  // Members by kind and symbol: each day file is read once for all of them.
  std::map<char, std::unordered_map<std::string_view, int>> wanted;
  for (int j = 0; j < n; ++j) {
    const CompanyRec& c = companys[grplist[j]];
    char kind = kind_letter(c.type);
    if (!kind) {
      std::snprintf(statusbuf, sizeof statusbuf, "load_day_group: unknown type %c", c.type);
      status("load", __LINE__, statusbuf);
      return 1;
    }
    wanted[kind].emplace(std::string_view(c.symbol), j);  // the table outlives the load
    if (!together()) add_member(c);
  }
  if (together() && n > 0) start_index(n);
  price_highv = 0;
  num_days = together() ? 1 : 0;
  DayIndex index(static_cast<std::size_t>(n));
  int tried = 0;
  std::vector<Quote> quote(static_cast<std::size_t>(n));
  std::vector<bool> found(static_cast<std::size_t>(n));
  // The workers read a few days' files each; the caller reports them and
  // adds the days in order.
  int workers = worker_count();
  struct alignas(64) Worker {
    DayText text;
    std::vector<char> found;
  };
  std::vector<Worker> own(static_cast<std::size_t>(workers));
  for (Worker& w : own) w.found.assign(static_cast<std::size_t>(n), 0);
  std::vector<GroupFile> batch;
  for (std::size_t next_day = 0; next_day < files.size();) {
    std::size_t days = std::min(files.size() - next_day, static_cast<std::size_t>(2 * workers));
    batch.resize(days * wanted.size());
    auto f = batch.begin();
    for (std::size_t d = next_day; d < next_day + days; ++d)
      for (const auto& [kind, symbols] : wanted) {
        std::snprintf(f->path, sizeof f->path, "%s/%c%s", daydir, kind, files[d].name + 1);
        f->symbols = &symbols;
        f->index = kind == 'i';
        ++f;
      }
    std::atomic<std::size_t> taken{0};
    auto read = [&](int worker) {
      Worker& w = own[static_cast<std::size_t>(worker)];
      for (std::size_t i; (i = taken++) < batch.size();) read_group_file(batch[i], w.text, w.found);
    };
    run_workers(workers, read);
    f = batch.begin();
    for (std::size_t d = next_day; d < next_day + days; ++d) {
      const DayFile& day = files[d];
      std::fill(found.begin(), found.end(), false);
      for (std::size_t k = 0; k < wanted.size(); ++k, ++f) {
        if (tried++ % 15 == 0) report(__LINE__, "load_day_group: reading %s", f->path);
        if (!f->opened) {
          if (!f->problem.empty()) file_report("load", __LINE__, f->problem.c_str());
          report(__LINE__, "load_day_group: open %s failed", f->path);
          continue;
        }
        for (const auto& [member, q] : f->hits) found[static_cast<std::size_t>(member)] = true, quote[static_cast<std::size_t>(member)] = q;
      }
      if (together()) index.add(day.key, found, quote);
      else add_day(day.key, found, quote);
    }
    next_day += days;
  }
  if (together() && n > 0) store_index(index.days);
  if (!together()) ++num_days;  // one past the last day, as everywhere
  disp_days = num_days;
  return 0;
}

namespace {

int fail_group() {
  load = 0;
  num_days = 0;
  free_history();
  if (load_hooks.load_failed) load_hooks.load_failed();
  return 1;  // the name stays, for the group field to show what was typed
}

}  // namespace

int loadgroup() {
  Trace t("loadgroup", "groupname=%s", groupname);
  forget_compare();
  forget_file_reports();
  num_days = 1;
  volume_high = 0;
  grplist.clear();
  free_history();
  forget_split();
  grpcnt = 0;
  high_p = 0;
  low_p = FLT_MAX;
  report(__LINE__, "loadgroup: group name=%s", groupname);
  int g = named_group();
  if (g <= 0) return fail_group();
  bool own_files = true;
  for (int i = 0; i < num_companys; ++i)
    if (in_group(companys[i], g)) {
      grplist.push_back(i);
      own_files = own_files && data_file_readable(symbol_path(companys[i]).c_str());
    }
  int n = static_cast<int>(grplist.size());
  int rc = own_files ? load_sym_group(g, n) : load_day_group(g, n);
  if (rc == 0 && (stocklist.empty() || num_days < 2)) {
    report(__LINE__, "loadgroup: no data for %s", groupname);
    rc = 1;
  }
  if (rc != 0) return fail_group();
  std::vector<std::string> members;
  for (int i : grplist) members.emplace_back(companys[static_cast<std::size_t>(i)].symbol);
  keep_flip_list(std::string("group ") + groupname, std::move(members));
  set_window_dates(false);
  work_days = num_days;
  set_scale(low_p, high_p < 10 ? high_p + 0.5f : high_p + 1);
  fill_work();
  load = 2;
  status("load", __LINE__, "");
  return 0;
}

// The query table: the day files of a date range read into one row per
// security, with changes, gaps, runs, volumes, percents and the range.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "query/query.h"
#include "query/reading.h"

std::vector<QueryRec> qs;
int querynum, queryend, querydays, querylastsort;
int queryextraloaded, querygroupsloaded, querydistrloaded;
int querybasex;
int querylook;
int distr_offx, distr_offy;
int query_gn;
bool query_table_made;

using namespace query_reading;

namespace {


bool in_selected_group(std::string_view symbol) {
  if (query_gn <= 0) return true;
  char sym[32];
  copy_text(sym, symbol);
  const CompanyRec& c = find_co(sym);
  for (int g : c.group) {
    if (g == 0) break;
    if (g == query_gn) return true;
  }
  return false;
}

// ---- finding rows ----

uint32_t key_of(std::string_view s) {
  uint32_t k = 0;
  for (char c : s) k = k * 45 + static_cast<uint32_t>(static_cast<unsigned char>(c) - '.');
  return k;
}


// Rows by symbol: the day files list securities in the same order, so the
// row after the last match is nearly always the next one; the index finds
// the others. Keys collide from six characters on, so the text decides.
class RowIndex {
 public:
  void clear() {
    by_key_.clear();
    read_in_.clear();
    cursor_ = 0;
  }
  void add(int row, int file) {
    by_key_.emplace(qs[row].key, row);
    read_in_.resize(static_cast<std::size_t>(row) + 1);
    read_in_[static_cast<std::size_t>(row)] = file;
  }
  // Whether a line of `file` was taken for the row already; marks it taken.
  bool taken(int row, int file) {
    int& last = read_in_[static_cast<std::size_t>(row)];
    if (last == file) return true;
    last = file;
    return false;
  }
  int find(std::string_view symbol) {
    for (int row : {cursor_, cursor_ + 1})
      if (row < querynum && same(qs[row], symbol)) return cursor_ = row + 1, row;
    auto [from, to] = by_key_.equal_range(key_of(symbol));
    for (auto it = from; it != to; ++it)
      if (same(qs[it->second], symbol)) {
        // A security listed after the start keeps its row at the end of the
        // table; the cursor stays with the file's order.
        if (it->second < queryend) cursor_ = it->second + 1;
        return it->second;
      }
    return -1;
  }
  void rewind() { cursor_ = 0; }

 private:
  static bool same(const QueryRec& r, std::string_view symbol) {
    return std::memcmp(r.symbol, symbol.data(), symbol.size()) == 0 && r.symbol[symbol.size()] == '\0';
  }
  std::unordered_multimap<uint32_t, int> by_key_;
  std::vector<int> read_in_;  // the file a row's last line came from
  int cursor_ = 0;
};

RowIndex rows;

void new_row(const DayLine& d, uint32_t key, int file) {
  if (querynum >= static_cast<int>(qs.size())) qs.resize(qs.empty() ? 1024 : qs.size() * 2);
  QueryRec& r = qs[querynum] = QueryRec{};
  copy_text(r.symbol, d.symbol);
  r.key = key;
  r.days = 1;
  r.close = r.firstclose = r.lastclose = r.prevclose = r.highclose = r.lowclose = d.close;
  r.prevlow = r.lowlow = d.low;
  r.prevhigh = r.highhigh = d.high;
  rows.add(querynum++, file);
}

void read_day(QueryRec& r, const DayLine& d) {
  float h = d.high, l = d.low, c = d.close;
  double v = d.volume;
  r.days += 1;
  if (r.prevhigh < l || r.prevlow > h) {  // a gap up or down
    r.gapchg = c - r.lastclose;
    r.gappct = c == 0 ? 0.0f : static_cast<float>((static_cast<double>(c) - r.lastclose) / c);
    if (c == 0) r.gapchg = 0;
  }
  r.close = c;
  r.lowclose = std::fmin(r.lowclose, c);
  r.highclose = std::fmax(r.highclose, c);
  if (l < r.prevlow) {
    ++r.lowcnt;
    ++r.lowlast;
  } else {
    if (r.lowlast > r.lowmost) r.lowmost = r.lowlast;
    r.lowlast = 0;
  }
  if (h > r.prevhigh) {
    ++r.highcnt;
    ++r.highlast;
  } else {
    if (r.highlast > r.highmost) r.highmost = r.highlast;
    r.highlast = 0;
  }
  if (l < r.lowlow && l != 0) r.lowlow = l;
  if (h > r.highhigh) r.highhigh = h;
  double sign = querysmode != 'a' && !(c > r.lastclose) ? -1 : 1;  // separate mode: down days subtract
  r.volsum += sign * v;
  r.value += sign * c * v;
  r.prevclose = r.lastclose;
  r.lastclose = c;
  r.prevlow = l;
  r.prevhigh = h;
}

// Reads the `number`-th day file of the query into the table (the start
// file is 1). The start file makes rows; a later file updates them and adds
// securities listed for the first time. A symbol's first line in a file
// counts: a repeated one is skipped.
void read_file(DayText& file, int number) {
  bool start = number == 1;
  std::string_view line;
  DayLine d;
  while (file.next(&line)) {
    Parse p = parse_line(line, &d);
    if (p == Parse::NoComma && start) break;  // a blank line ends the start file
    if (p != Parse::Quote || !in_selected_group(d.symbol)) continue;
    int row = rows.find(d.symbol);
    if (row < 0) new_row(d, key_of(d.symbol), number);
    else if (!rows.taken(row, number)) read_day(qs[row], d);  // the start file made it: taken
  }
}

void read_compare(DayText& file) {
  std::string_view line;
  DayLine d;
  rows.rewind();
  while (file.next(&line))
    if (parse_line(line, &d) == Parse::Quote) {
      int row = rows.find(d.symbol);
      if (row >= 0 && !rows.taken(row, 0)) qs[row].cmpclose = d.close;
    }
}

// a / b as the arithmetic of floats gives it, but 0 for 0 / 0: a security
// that came from a close of 0 rose infinitely and tops the lists by percent.
double ratio(double a, double b) {
  if (b != 0) return a / b;
  return a == 0 ? 0 : a > 0 ? std::numeric_limits<double>::infinity() : -std::numeric_limits<double>::infinity();
}

void percents(QueryRec& r) {
  if (r.close == r.firstclose) {
    r.days = 1;  // unchanged over the range: never listed
    return;
  }
  if (querysmode == 'a' && r.close < r.firstclose) {
    r.volsum = -r.volsum;
    r.value = -r.value;
  }
  double low = r.lowclose, high = r.highclose, close = r.close;
  r.fibhighlvl = static_cast<float>(low + (high - low) * fibhigh);
  r.fiblowlvl = static_cast<float>(low + (high - low) * fiblow);
  r.change = static_cast<float>(close - r.firstclose);
  r.pct = static_cast<float>(ratio(close - r.firstclose, r.firstclose) * 100);
  double volat = ratio(static_cast<double>(r.highhigh) - r.lowlow, r.lowlow) * 100;
  r.volat = static_cast<float>(r.pct < 0 ? -volat : volat);
  r.cmppct = r.cmpclose == 0 || close == 0 ? 0.0f : static_cast<float>((r.cmpclose - close) / close * 100);
  if (close - low >= high - close) {  // upper half, ties included
    r.topbotpos = static_cast<float>(ratio(high - close, close) + 1);
    r.topbot = static_cast<float>(ratio(high - low, low) * 100);
  } else {
    r.topbotpos = static_cast<float>(-(ratio(close - low, close) + 1));
    r.topbot = static_cast<float>(-ratio(high - low, low) * 100);
  }
}

}  // namespace

namespace {

const double tens[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

void take(Numbers* out, uint64_t digits, int places) {
  if (out->count < 5) out->v[out->count] = places > 0 ? static_cast<double>(digits) / tens[places] : digits;
  ++out->count;
}

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The usual shape of a field, " 12.375", read quickly; false for any other
// (blanks between digits, no digits), which the careful scan reads.
bool quick_field(const char*& p, const char* end, Numbers* out) {
  const char* q = p;
  while (q < end && *q == ' ') ++q;
  const char* first = q;
  uint64_t digits = 0;
  while (q < end && static_cast<unsigned>(*q - '0') < 10) digits = digits * 10 + static_cast<unsigned>(*q++ - '0');
  int places = -1;
  if (q < end && *q == '.') {
    const char* point = ++q;
    while (q < end && static_cast<unsigned>(*q - '0') < 10) digits = digits * 10 + static_cast<unsigned>(*q++ - '0');
    places = static_cast<int>(q - point);
  }
  int length = static_cast<int>(q - first) - (places >= 0);
  while (q < end && blank(*q)) ++q;
  if (length <= 0 || length > 15 || (q < end && *q != ',')) return false;
  take(out, digits, places);
  p = q;
  return true;
}

}  // namespace

bool scan_numbers(std::string_view text, Numbers* out) {
  out->count = 0;
  const char *p = text.data(), *end = p + text.size();
  for (;;) {  // one field a round
    if (!quick_field(p, end, out)) {
      uint64_t digits = 0;  // the number's digits as one integer
      int places = -1;      // digits after the point; -1 before a point
      int length = 0;
      for (; p < end && *p != ','; ++p) {
        unsigned d = static_cast<unsigned char>(*p) - '0';
        if (d < 10) {
          digits = digits * 10 + d;
          ++length;
          places += places >= 0;
        } else if (*p == '.' && places < 0) {
          places = 0;
        } else if (!blank(*p)) {
          return false;  // a letter, a minus sign, a second point: no number
        }
      }
      if (length > 15) return false;  // no price or volume has that many digits
      if (length > 0 || places >= 0 || p < end) take(out, digits, places);
    }
    if (p >= end) return true;
    ++p;  // the comma
  }
}

namespace {

bool has_members(int g) {
  for (int i = 0; i < num_companys && i < static_cast<int>(companys.size()); ++i)
    for (int slot : companys[i].group)
      if (slot == g) return true;
  return false;
}

bool refuse_group(const char* who, const char* why, const char* text) {
  std::snprintf(statusbuf, sizeof statusbuf, why, who, text);
  status("query", __LINE__, statusbuf);
  return false;
}

}  // namespace

bool select_query_group(const char* who) {
  char text[32];
  copy_text(text, distr_screen);
  if (std::strcmp(text, "A") == 0) return query_gn = 0, true;
  if (std::strcmp(text, "G") == 0) return query_gn = -1, true;
  query_gn = 0;
  if (text[0] >= '0' && text[0] <= '9') {
    int g = std::atoi(text);
    if (g > 0 && g <= num_groups && g < static_cast<int>(groups.size()) && groups[g].num) query_gn = g;
  } else {
    for (int g = 1; g <= num_groups && g < static_cast<int>(groups.size()); ++g)
      if (groups[g].code[0] && std::strcmp(groups[g].code, text) == 0) query_gn = g;
  }
  if (query_gn == 0) return refuse_group(who, "%s: unknown group %s", text);
  if (!has_members(query_gn)) return refuse_group(who, "%s: group %s has no members", text);
  return true;
}

int get_query_data() {
  Trace t("get_query_data");
  querynum = queryend = querydays = 0;
  querylastsort = 0;
  rows.clear();
  if (!select_query_group("load_query_distr")) return 1;
  long first = mmddyy_days(querysdate), last = mmddyy_days(queryedate);
  if (first == NO_DAY || last == NO_DAY) return 1;
  char path[1100];
  long start = find_start_file(first, path, sizeof path);
  if (start == NO_DAY) {
    say(__LINE__, "get_query_data: no starting date found");
    return 1;
  }
  if (start > last) return 1;
  DayText file;
  if (!file.open(path)) {
    say(__LINE__, "get_query_data: can not access %s", path);
    return 1;
  }
  query_table_made = true;
  say(__LINE__, "get_query_data: reading %s", path);
  read_file(file, 1);
  queryend = querynum;
  querydays = 1;
  for (long day = start + 1; day <= last; ++day) {
    day_path(path, sizeof path, day);
    if (!file.open(path)) continue;
    say(__LINE__, "get_query_data: reading %s", path);
    read_file(file, ++querydays);
  }
  if (querycdate != queryedate) {
    long cmp = mmddyy_days(querycdate);
    if (cmp != NO_DAY) day_path(path, sizeof path, cmp);
    if (cmp == NO_DAY || !file.open(path)) {
      say(__LINE__, "get_query_data: no compare date");
    } else {
      say(__LINE__, "get_query_data: reading %s", path);
      read_compare(file);
    }
  }
  say(__LINE__, "get_query_data: calculating percents");
  for (int i = 0; i < querynum; ++i) percents(qs[i]);
  status("query", __LINE__, "");
  return 0;
}

namespace {

// The level-2 lines of load_query, at its entry and its exit.
struct LoadTrace {
  LoadTrace() { write("->"); }
  ~LoadTrace() { write("<-"); }
  static void write(const char* arrow) {
    if (debuglvl < 2) return;
    debug("%d%s load_query: querycount=%d grpcnt=%d querylook=%d", stkind, arrow, querycount, grpcnt, querylook);
    dump(" &stocklist=%ld &worklist=%ld\n", reinterpret_cast<long>(stocklist.data()),
         reinterpret_cast<long>(worklist.data()));
  }
};

}  // namespace

void load_query() {
  Trace t("load_query");
  LoadTrace lists;
  if (querycount == 0) return;
  forget_file_reports();
  free_history();  // the chart data are gone: a row opened later loads again
  num_days = work_days = 0;
  load = 0;
  std::memset(symbolname, 0, sizeof symbolname);
  if (get_query_data() != 0) return;
  switch (querylook) {
    case 8: case 9: case 11: case 12: case 13: load_query_extra(); break;
    case 10: load_query_groups(); break;
    case 14: load_query_distr(); break;
    default: break;
  }
}

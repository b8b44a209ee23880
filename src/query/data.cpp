// The query table: the day files of a date range read into one row per
// security, with changes, gaps, runs, volumes, percents and the range.
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "query/query.h"
#include "query/reading.h"

std::vector<QueryRec> qs;
int querynum, queryend, querydays;
ListView querylastsort;
int queryextraloaded, querygroupsloaded, querydistrloaded;
int querybasex;
ListView querylook;
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
// Readers keep their own cursor: the index itself is only read while the
// workers parse. It keeps its own copy of the symbols: the rows it points
// to change meanwhile on other cores.
class RowIndex {
 public:
  void clear() {
    by_key_.clear();
    read_in_.clear();
    symbols_.clear();
  }
  void add(int row, int file) {
    by_key_.emplace(qs[row].key, row);
    read_in_.resize(static_cast<std::size_t>(row) + 1);
    read_in_[static_cast<std::size_t>(row)] = file;
    symbols_.resize(static_cast<std::size_t>(row) + 1);
    std::memcpy(symbols_[static_cast<std::size_t>(row)].text, qs[row].symbol, sizeof(Symbol));
  }
  // Whether a line of `file` was taken for the row already; marks it taken.
  bool taken(int row, int file) {
    int& last = read_in_[static_cast<std::size_t>(row)];
    if (last == file) return true;
    last = file;
    return false;
  }
  int find(std::string_view symbol, int* cursor) const {
    for (int row = *cursor; row < *cursor + 3 && row < querynum; ++row)  // listed next, or a few missing between
      if (same(row, symbol)) return *cursor = row + 1, row;
    auto [from, to] = by_key_.equal_range(key_of(symbol));
    for (auto it = from; it != to; ++it)
      if (same(it->second, symbol)) {
        // A security listed after the start keeps its row at the end of the
        // table; the cursor stays with the file's order.
        if (it->second < queryend) *cursor = it->second + 1;
        return it->second;
      }
    return -1;
  }

 private:
  struct Symbol {
    char text[sizeof(QueryRec::symbol)];
  };
  // The row's symbol is NUL-padded to its field: a symbol of up to seven
  // characters is one word of it.
  bool same(int row, std::string_view symbol) const {
    const char* text = symbols_[static_cast<std::size_t>(row)].text;
    if (symbol.size() < 8) {
      uint64_t a = 0, b;
      std::memcpy(&a, symbol.data(), symbol.size());
      std::memcpy(&b, text, 8);
      return a == b;
    }
    return std::memcmp(text, symbol.data(), symbol.size()) == 0 && text[symbol.size()] == '\0';
  }
  std::unordered_multimap<uint32_t, int> by_key_;
  std::vector<int> read_in_;  // the file a row's last line came from
  std::vector<Symbol> symbols_;
};

RowIndex rows;

void new_row(const DayLine& d, uint32_t key, int file) {
  if (querynum < static_cast<int>(qs.size())) qs[querynum] = QueryRec{};
  else qs.emplace_back();  // what is reserved is not touched before it is used
  QueryRec& r = qs[querynum];
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
  r.lowclose = c < r.lowclose || r.lowclose != r.lowclose ? c : r.lowclose;  // fmin and fmax, inline
  r.highclose = c > r.highclose || r.highclose != r.highclose ? c : r.highclose;
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

// ---- reading the day files ----

// A quote line of a day file as a worker parsed it. Its row: -1 - i when
// the table had none (the i-th new symbol of its file), NOT_TAKEN when the
// security is left out by the group selection.
struct Parsed {
  int row;
  float high, low, close;
  double volume;
};
constexpr int NOT_TAKEN = INT_MIN;

// One day file of a query: what its worker read, and where it stands among
// the files read (the start file is 1).
struct DayWork {
  char path[1100];
  bool opened = false;
  std::string problem;             // why it could not be read, reported in its place
  std::vector<Parsed> lines;
  std::vector<std::string> fresh;  // symbols the table did not hold
  int number = 0;
};

// What a worker keeps from file to file: its reader, and the rows (and new
// symbols) the file it parses has given a line already. Only a symbol's
// first line counts, so a file's parsed lines are at most one a symbol
// however long the file.
struct alignas(64) Reader {  // a cache line of its own: each worker moves through its file
  DayText text;
  std::vector<uint32_t> seen;  // by row: the file that gave it a line last
  uint32_t file = 0;
  std::unordered_set<std::string> fresh;
};

// Worker's part one: a file parsed, its lines matched to the rows the
// table holds (which nobody changes meanwhile).
void parse_file(DayWork& w, DayText& text, Reader& r) {
  w.lines.clear();
  w.fresh.clear();
  w.problem.clear();
  w.opened = text.open(w.path, &w.problem);
  if (!w.opened) return;
  r.seen.resize(static_cast<std::size_t>(querynum));
  r.fresh.clear();
  ++r.file;
  int cursor = 0;
  each_quote(text, false, [&](const DayLine& d) {
    int row = rows.find(d.symbol, &cursor);
    if (row >= 0 && std::exchange(r.seen[static_cast<std::size_t>(row)], r.file) == r.file) return;
    if (row < 0) {
      if (!r.fresh.emplace(d.symbol).second) return;
      w.fresh.emplace_back(d.symbol);
      row = -static_cast<int>(w.fresh.size());
    }
    w.lines.push_back({row, d.high, d.low, d.close, d.volume});
  });
}

// The caller's part: in the files' order, the new symbols get rows (a
// security first listed in a later file is not counted that day).
std::unordered_set<std::string> left_out;  // symbols the group selection leaves out

void take_new_symbols(DayWork& w) {
  int cursor = 0;
  for (Parsed& p : w.lines) {
    if (p.row >= 0) continue;
    const std::string& symbol = w.fresh[static_cast<std::size_t>(-p.row - 1)];
    int row = rows.find(symbol, &cursor);
    if (row < 0 && (left_out.count(symbol) || !in_selected_group(symbol))) {
      left_out.insert(symbol);
      row = NOT_TAKEN;
    } else if (row < 0) {
      DayLine d{symbol, p.high, p.low, p.close, p.volume};
      new_row(d, key_of(symbol), w.number);
      row = querynum - 1;
    }
    p.row = row;
  }
}

// Worker's part two: its share of the rows, file by file in order; a
// symbol's first line in a file counts.
bool owns(int row, int worker, int workers) { return (row >> 6) % workers == worker; }  // blocks of rows: no cache line shared

void apply_lines(const std::vector<DayWork>& batch, int worker, int workers) {
  for (const DayWork& w : batch) {
    if (!w.opened) continue;
    for (const Parsed& p : w.lines)
      if (p.row >= 0 && owns(p.row, worker, workers) && !rows.taken(p.row, w.number))
        read_day(qs[static_cast<std::size_t>(p.row)], DayLine{{}, p.high, p.low, p.close, p.volume});
  }
}

// The start file makes the rows; a line without a comma ends it.
void read_start_file(DayText& file) {
  qs.reserve(file.lines_estimate() * 9 / 8 + 64);  // room for the start file's lines, and some listed later
  int cursor = 0;
  each_quote(file, true, [&](const DayLine& d) {
    if (in_selected_group(d.symbol) && rows.find(d.symbol, &cursor) < 0) new_row(d, key_of(d.symbol), 1);  // a repeated line is skipped
  });
}

// The days after the start file, in batches of a file a worker: the
// workers parse a batch, the caller takes its new symbols in order, then
// the workers update their rows from it while they parse the next batch
// (one round of work for each batch).
void read_later_files(long first, long last, DayText& start_text) {
  int workers = worker_count();
  std::vector<Reader> readers(static_cast<std::size_t>(workers));
  std::vector<DayWork> parsed, parsing;
  for (long day = first; day <= last || !parsed.empty();) {
    parsing.resize(static_cast<std::size_t>(std::clamp<long>(last - day + 1, 0, workers)));
    for (DayWork& w : parsing) day_path(w.path, sizeof w.path, day++);
    std::atomic<std::size_t> next{0};
    auto work = [&](int worker) {
      apply_lines(parsed, worker, workers);
      Reader& r = readers[static_cast<std::size_t>(worker)];
      DayText& text = worker == 0 ? start_text : r.text;  // the caller's buffer is the start file's
      for (std::size_t i; (i = next++) < parsing.size();) parse_file(parsing[i], text, r);
    };
    run_workers(workers, work);
    for (DayWork& w : parsing) {
      if (!w.opened) {
        if (!w.problem.empty()) file_report("query", __LINE__, w.problem.c_str());
        continue;
      }
      say(__LINE__, "get_query_data: reading %s", w.path);
      w.number = ++querydays;
      take_new_symbols(w);
    }
    std::swap(parsed, parsing);
  }
}

void read_compare(DayText& file) {
  int cursor = 0;
  each_quote(file, false, [&](const DayLine& d) {
    int row = rows.find(d.symbol, &cursor);
    if (row >= 0 && !rows.taken(row, 0)) qs[row].cmpclose = d.close;
  });
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


// Eight bytes of the text at p (the buffer is padded past its end).
uint64_t word_at(const char* p) {
  uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}

// The digits at p, up to eight at once: their count, and their value.
int digit_run(const char* p, int64_t* value) {
  uint64_t t = word_at(p) - 0x3030303030303030ULL;  // a digit byte becomes 0..9
  // Other bytes set their top bit here; a borrow or carry only ever runs
  // on past the first of them, whose bytes are thrown away.
  uint64_t other = (t | (t + 0x7676767676767676ULL)) & 0x8080808080808080ULL;
  int n = other ? __builtin_ctzll(other) / 8 : 8;
  if (n == 0) return *value = 0, 0;
  t <<= 8 * (8 - n);  // the digits at the top, zeros before them
  t = (t & 0x0F0F0F0F0F0F0F0FULL) * 2561 >> 8;
  t = (t & 0x00FF00FF00FF00FFULL) * 6553601 >> 16;
  *value = static_cast<int64_t>((t & 0x0000FFFF0000FFFFULL) * 42949672960001ULL >> 32);
  return n;
}

// Where the first comma or newline of the symbol at p stands.
const char* symbol_end(const char* p) {
  for (;; p += 8) {
    uint64_t w = word_at(p), comma = w ^ 0x2C2C2C2C2C2C2C2CULL, newline = w ^ 0x0A0A0A0A0A0A0A0AULL;
    uint64_t zero = ((comma - 0x0101010101010101ULL) & ~comma) | ((newline - 0x0101010101010101ULL) & ~newline);
    zero &= 0x8080808080808080ULL;  // the lowest marked byte is the first comma or newline
    if (zero) return p + __builtin_ctzll(zero) / 8;
  }
}

const double powers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

}  // namespace

Quick query_reading::quick_line(const char* p, const char* end, DayLine* d, const char** next) {
  // The text is followed by a newline and padding: the scans below stop
  // at the newline and may look at the eight bytes after any position.
  auto skip_line = [&](const char* q, Quick why) {
    *next = static_cast<const char*>(std::memchr(q, '\n', static_cast<std::size_t>(end - q) + 1)) + 1;
    return why;
  };
  if (*p == '#') return skip_line(p, Quick::Comment);
  const char* q = symbol_end(p);
  if (*q == '\n') return *next = q + 1, Quick::NoComma;
  if (q == p) return skip_line(q, Quick::Bad);
  d->symbol = std::string_view(p, std::min<std::size_t>(static_cast<std::size_t>(q - p), sizeof(QueryRec::symbol) - 1));
  double v[5];
  int count = 0;
  for (++q;; ++q) {  // one field a round, as quick_field reads it
    while (*q == ' ') ++q;
    int64_t digits, fraction = 0;
    int whole = digit_run(q, &digits), places = -1;
    q += whole;
    if (*q == '.') {
      places = digit_run(++q, &fraction);
      q += places;
      digits = digits * static_cast<int64_t>(powers[places]) + fraction;
    }
    int length = whole + (places > 0 ? places : 0);
    while (blank(*q)) ++q;
    if (length <= 0 || length > 15) return Quick::Careful;  // none, or more digits than a number may have
    v[count++] = places > 0 ? static_cast<double>(digits) / tens[places] : static_cast<double>(digits);
    if (*q == '\n') break;
    if (*q != ',' || count == 5) return Quick::Careful;  // a sixth field: its characters are checked too
  }
  *next = q + 1;
  if (count < 4) return Quick::Bad;
  take_quote(v, d);
  return Quick::Quote;
}

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
  query_gn = group_of_text(text);
  if (query_gn == 0) return refuse_group(who, "%s: unknown group %s", text);
  if (groups[query_gn].count == 0) return refuse_group(who, "%s: group %s has no members", text);
  return true;
}

int get_query_data() {
  Trace t("get_query_data");
  querynum = queryend = querydays = 0;
  querylastsort = ListView::Unset;
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
  left_out.clear();
  read_start_file(file);
  queryend = querynum;
  querydays = 1;
  read_later_files(start + 1, last, file);
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
    debug("%d%s load_query: querycount=%d grpcnt=%d querylook=%d", stkind, arrow, querycount, grpcnt,
          static_cast<int>(querylook));
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
    case ListView::MovingAvg: case ListView::Bollinger: case ListView::HighVolume: case ListView::Rsi:
    case ListView::Fibonacci: load_query_extra(); break;
    case ListView::Groups: load_query_groups(); break;
    case ListView::Distribution: load_query_distr(); break;
    default: break;
  }
}

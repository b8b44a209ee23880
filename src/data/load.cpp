// Loading one security: from its per-symbol history file when there is one,
// else from the day files of its kind; empty weekdays filled in, the history
// extended along its trend, and the dates, scale and work days fixed.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <tuple>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "data/history.h"
#include "indicators/indicators.h"

int use_seek_hint = 1;

using namespace history;

namespace history {

float high_p, low_p;  // extremes of the load, for its scale

// ---- reading numbers ----

bool scan_long(const char** p, long* out) {
  char* end;
  errno = 0;
  long v = std::strtol(*p, &end, 10);
  if (end == *p || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
  *out = v;
  *p = end;
  return true;
}

bool scan_value(const char** p, float* out) {
  char* end;
  float v = std::strtof(*p, &end);
  if (end == *p || !std::isfinite(v)) return false;
  *out = v;
  *p = end;
  return true;
}

bool skip_comma(const char** p) {
  while (is_blank(**p)) ++*p;
  if (**p != ',') return false;
  ++*p;
  return true;
}

// "%f, %f, %f, %d": high, low, close and volume.
bool scan_quote(const char* p, Quote* q) {
  long volume;
  if (!scan_value(&p, &q->high) || !skip_comma(&p) || !scan_value(&p, &q->low) ||
      !skip_comma(&p) || !scan_value(&p, &q->close) || !skip_comma(&p) || !scan_long(&p, &volume))
    return false;
  q->volume = volume;
  return true;
}

bool scan_history_line(const char* line, long* date, Quote* q) {
  const char* p = line;
  return scan_long(&p, date) && skip_comma(&p) && scan_quote(p, q);
}

bool read_line(FILE* f) { return read_text_line(f, genbuf, sizeof genbuf) != LineRead::End; }

// ---- storing days ----

void set_triples(StockDay& s, int y, int m, int d) {
  s.smon = s.emon = m;
  s.sday = s.eday = d;
  s.syear = s.eyear = y % 100;
}

void set_date(StockDay& s, time_t key) {
  int y, m, d;
  date_of_key(key, &y, &m, &d);
  s.date = key;
  s.wday = weekday_of_key(key);
  set_triples(s, y, m, d);
}

// Empty weekdays between the last stored day and `key`.
void fill_gap(std::vector<StockDay>& days, time_t key) {
  if (days.size() < 2) return;
  for (time_t k = days.back().date + 86400; k < key; k += 86400) {
    int wd = weekday_of_key(k);
    if (wd == 0 || wd == 6) continue;
    StockDay empty{};
    empty.nodata = 1;
    set_date(empty, k);
    days.push_back(empty);
  }
}

// Funds, and indexes of market '1', have one price; market '2' indexes also
// take their volume from it.
void apply_kind(Quote& q, const CompanyRec& c) {
  bool one_price = c.type == 'M' || (c.type == 'I' && (c.market == '1' || c.market == '2'));
  if (one_price) q.high = q.low = q.close;
  if (c.type == 'I' && c.market == '2') {
    q.volume = clamp_volume(std::trunc(static_cast<double>(q.close) * 10000));
  }
}

void store_day(Quote q, time_t key, const CompanyRec& c) {
  std::vector<StockDay>& days = stocklist[0].days;
  fill_gap(days, key);
  num_days = static_cast<int>(days.size());
  ++disp_days;
  apply_kind(q, c);
  curvol = c.shares;
  StockDay s{};
  s.high = q.high;
  s.low = q.low;
  s.close = q.close;
  s.volume = q.volume;
  set_date(s, key);
  volume_high = std::max(volume_high, s.volume);
  high_p = std::max(high_p, s.high);
  price_highv = std::max(price_highv, static_cast<float>(static_cast<double>(s.close) * s.volume));
  if (s.low != 0 && s.low < low_p) low_p = s.low;
  days.push_back(s);
  ++num_days;
}

// A day is stored only after the last one: out-of-order lines are skipped.
bool after_last(time_t key) { return num_days < 2 || key > stocklist[0].days[num_days - 1].date; }

void start_member() {
  stocklist[0].gc = load_hooks.member_gc ? load_hooks.member_gc() : nullptr;
  copy_text(stocklist[0].symbol, symbolname);
  stocklist[0].days.assign(1, StockDay{});
  disp_days = 0;
  volume_high = 0;
  price_highv = 0;
}

void report(int line, const char* fmt, const char* a, const char* b) {
  std::snprintf(statusbuf, sizeof statusbuf, fmt, a, b);
  status("load", line, statusbuf);
}

// Level-2 lines of a loader about the lists, at its entry and its exit.
class ListTrace {
 public:
  explicit ListTrace(const char* name) : name_(name) { write("->"); }
  ~ListTrace() { write("<-"); }

 private:
  void write(const char* arrow) const {
    if (debuglvl < 2) return;
    debug("%d%s %s: num_days=%d grpcnt=%d\n", stkind, arrow, name_, num_days, grpcnt);
    debug("%d%s %s: &stocklist=%ld &worklist=%ld\n", stkind, arrow, name_, reinterpret_cast<long>(stocklist.data()),
          reinterpret_cast<long>(worklist.data()));
  }
  const char* name_;
};

}  // namespace history

int load_sym_stock() {
  Trace t("load_sym_stock");
  ListTrace lists("load_sym_stock");
  char path[1100];
  std::snprintf(path, sizeof path, "%s/%s", symboldir, symbolname);
  report(__LINE__, "load_sym_stock: open %s", path);
  FILE* f = open_data(path);
  if (!f) {
    report(__LINE__, "load_sym_stock: unknown symbol %s %s", symbolname, path);
    return 1;
  }
  start_member();
  struct stat st;
  if (fstat(fileno(f), &st) == 0) stocklist[0].days.reserve(st.st_size / 24 + 64);  // about a line a day
  const CompanyRec& c = find_co(symbolname);
  int lines = 0;
  while (read_text_line(f, genbuf, sizeof genbuf) == LineRead::Line) {
    if (++lines % 75 == 0) {
      std::snprintf(statusbuf, sizeof statusbuf, "load_sym_stock: reading %s line %d", symbolname, lines);
      status("load", __LINE__, statusbuf);
    }
    if (genbuf[0] == '#') continue;
    long date;
    Quote q;
    if (!scan_history_line(genbuf, &date, &q)) continue;
    time_t key = yymmdd_key(static_cast<int>(date));
    if (key == NO_KEY || !after_last(key)) continue;
    store_day(q, key, c);
  }
  std::fclose(f);
  return 0;
}

namespace history {

// The day files of one kind, in date order; names that are no date are skipped.
bool day_files_for(char kind, const char* loader, std::vector<DayFile>* files) {
  struct stat st;
  if (stat(daydir, &st) != 0) {
    std::snprintf(statusbuf, sizeof statusbuf, "load_day_stock: stat(%s) failed. errno=%d", daydir, errno);
    status("load", __LINE__, statusbuf);
    return false;
  }
  if (list_day_files(kind, files)) return true;
  report(__LINE__, (std::string(loader) + ": unknown day directory %s").c_str(), daydir);
  return false;
}

bool list_day_files(char kind, std::vector<DayFile>* files) {
  DIR* dir = opendir(daydir);
  if (!dir) return false;
  while (struct dirent* e = readdir(dir)) {
    const char* n = e->d_name;
    if (n[0] != kind || std::strlen(n) != 7) continue;
    if (std::strspn(n + 1, "0123456789") != 6) continue;
    time_t key = yymmdd_key(std::atoi(n + 1));
    if (key == NO_KEY) continue;
    DayFile d{key, {}};
    copy_text(d.name, n);
    files->push_back(d);
  }
  closedir(dir);
  std::sort(files->begin(), files->end(), [](const DayFile& a, const DayFile& b) { return a.key < b.key; });
  return true;
}

// Where a line's symbol stands against the wanted one.
enum class Order { Before, After, Starts };

Order compare_symbol(const char* line, const char* want) {
  for (std::size_t i = 0; want[i]; ++i) {
    unsigned char a = static_cast<unsigned char>(line[i]), b = static_cast<unsigned char>(want[i]);
    if (a == ',' || a == '\0' || a < b) return Order::Before;
    if (a > b) return Order::After;
  }
  return Order::Starts;
}

// From the hint h, backs off until a line sorts before the wanted symbol;
// returns where to scan from (0: the start of the file).
long position(FILE* f, const char* want, int skip, long* h) {
  while (*h > 0) {
    if (std::fseek(f, *h, SEEK_SET) != 0) break;
    read_line(f);  // the rest of the line the hint falls in
    long at = std::ftell(f);
    if (!read_line(f)) break;
    Order o = genbuf[0] == '#' ? Order::Before : compare_symbol(genbuf + std::min<std::size_t>(skip, std::strlen(genbuf)), want);
    if (o == Order::Before) return at;
    *h -= o == Order::After ? 200 : 400;
  }
  *h = 0;
  return 0;
}

// What the loader learnt of a stock day file read through: whether its
// lines keep the symbols' order, so that a scan may stop where the wanted
// symbol would have been. A file that changed is learnt again.
struct FileStamp {
  dev_t dev;
  ino_t ino;
  off_t size;
  long seconds, nanos;
  bool operator<(const FileStamp& o) const {
    return std::tie(dev, ino, size, seconds, nanos) < std::tie(o.dev, o.ino, o.size, o.seconds, o.nanos);
  }
};
std::map<FileStamp, bool> in_order;

bool stamp_of(FILE* f, FileStamp* s) {
  struct stat st;
  if (fstat(fileno(f), &st) != 0) return false;
  *s = {st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
  return true;
}

// Scans from `from` for the wanted symbol's line; true with its quote. A
// stock file known to be in order ends the scan at the first symbol that
// sorts after the wanted one; `ordered`, when given, learns whether the
// lines read were in order.
bool scan_file(FILE* f, long from, const char* want, char kind, long* h, Quote* q, bool stop_early, bool* ordered) {
  std::fseek(f, from, SEEK_SET);
  std::size_t len = std::strlen(want);
  int skip = kind == 'i' ? 1 : 0;
  unsigned char last = 0;  // the first byte of the last line's symbol
  while (read_line(f)) {
    if (genbuf[0] == '#') continue;
    const char* sym = genbuf + std::min<std::size_t>(skip, std::strlen(genbuf));
    const char* comma = std::strchr(sym, ',');
    std::size_t n = comma ? static_cast<std::size_t>(comma - sym) : std::strlen(sym);
    if (n > 16) n = 16;
    if (n == len && std::strncmp(sym, want, len) == 0) {
      if (!comma || !scan_quote(comma + 1, q)) continue;  // a malformed line of the symbol
      *h = std::max(0L, std::ftell(f) - 64);
      return true;
    }
    unsigned char first = static_cast<unsigned char>(sym[0]);
    if (ordered && first < last) *ordered = false;
    last = first;
    if (stop_early && first > static_cast<unsigned char>(want[0])) return false;
  }
  return false;
}

// The wanted line of one day file. A hinted search that misses looks again
// from the start. Only a stock file seen in order when it was read through
// once is searched the quick way, which stops where the symbol would have
// been: any other is read through, so that a line out of order loses no day.
bool find_in_file(FILE* f, const char* want, char kind, long* h, Quote* q) {
  FileStamp stamp{};
  bool sorted = false, ordered = true, *learn = nullptr;  // learn: the order of a file read through from its start
  if (kind == 's' && stamp_of(f, &stamp)) {
    auto it = in_order.find(stamp);
    if (it == in_order.end()) learn = &ordered;
    else sorted = it->second;
  }
  long from = use_seek_hint && *h > 0 ? position(f, want, kind == 'i' ? 1 : 0, h) : 0;
  if (scan_file(f, from, want, kind, h, q, sorted, from == 0 ? learn : nullptr)) return true;
  if (from > 0 && scan_file(f, 0, want, kind, h, q, sorted, learn)) return true;
  if (learn) {  // read through without finding it
    if (in_order.size() > 100000) in_order.clear();  // files rewritten again and again: forget the old ones
    in_order[stamp] = ordered;
  }
  return false;
}

char kind_letter(char type) { return type == 'S' ? 's' : type == 'M' ? 'f' : type == 'I' ? 'i' : 0; }

}  // namespace history

int load_day_stock() {
  Trace t("load_day_stock");
  ListTrace lists("load_day_stock");
  const CompanyRec& c = find_co(symbolname);
  if (&c == &nocompany) {
    report(__LINE__, "load_day_stock: unknown symbol %s", symbolname);
    return 1;
  }
  char kind = kind_letter(c.type);
  if (!kind) {
    std::snprintf(statusbuf, sizeof statusbuf, "load_day_stock: unknown type %c", c.type);
    status("load", __LINE__, statusbuf);
    return 1;
  }
  std::vector<DayFile> files;
  if (!day_files_for(kind, "load_day_stock", &files)) return 1;
  start_member();
  stocklist[0].days.reserve(files.size() * 7 / 5 + 64);  // trading days and the weekdays between
  long h = 0;
  char path[1100];
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::snprintf(path, sizeof path, "%s/%s", daydir, files[i].name);
    if ((i + 1) % 30 == 0) report(__LINE__, "load_day_stock: reading %s", path);
    FILE* f = open_data(path);
    if (!f) {
      report(__LINE__, "load_day_stock: open %s failed", path);
      continue;
    }
    Quote q;
    bool found = find_in_file(f, symbolname, kind, &h, &q);
    std::fclose(f);
    if (!found) {
      report(__LINE__, "load_day_stock: %s not in %s", symbolname, path);
      continue;
    }
    store_day(q, files[i].key, c);
  }
  return 0;
}

namespace history {

// Appends n days along the least-squares line through the last n closes.
void extend_history(int n) {
  std::vector<StockDay>& days = stocklist[0].days;
  int last = num_days - 1;
  if (last < 1) return;
  int from = last;
  for (int seen = 0; from > 1; --from)
    if (days[from].close != 0 && ++seen == n) break;
  double sum_ck = 0, sum_c = 0;
  for (int i = from, k = 0; i <= last; ++i) {
    if (days[i].close == 0) continue;
    sum_ck += static_cast<double>(days[i].close) * k;
    sum_c += days[i].close;
    ++k;
  }
  double sk2 = 0, sk = 0;
  for (int k = 0; k < n; ++k) {
    sk2 += static_cast<double>(k) * k;
    sk += k;
  }
  float a[3][3] = {}, b[3] = {}, x[3] = {};
  a[1][1] = static_cast<float>(sk2);
  a[1][2] = a[2][1] = static_cast<float>(sk);
  a[2][2] = static_cast<float>(n);
  b[1] = static_cast<float>(sum_ck);
  b[2] = static_cast<float>(sum_c);
  if (gauss(a, b, x, 2) != 0) return;
  StockDay l = days[last];
  for (int i = 1; i <= n; ++i) {
    StockDay s = l;
    set_date(s, l.date + static_cast<time_t>(i) * 86400);
    s.close = s.high = s.low = static_cast<float>(static_cast<double>(x[1]) * (n - 1 + i) + x[2]);
    days.push_back(s);
    ++num_days;
  }
}

void set_window_dates(bool with_turnover_date) {
  const std::vector<StockDay>& days = stocklist[0].days;
  int num_days = std::min(::num_days, static_cast<int>(days.size()));  // a member may be shorter
  if (num_days < 2) return;
  const StockDay& first = days[1];
  KD_sd = first.eday;
  KD_sm = first.emon;
  KD_sy = first.eyear;
  // With no window, all of them.
  int fit = load_hooks.days_that_fit ? load_hooks.days_that_fit() : num_days;
  if (fit < 1) fit = 1;
  const StockDay& shown = days[std::max(1, num_days - fit)];
  KD_csd = shown.eday;
  KD_csm = shown.emon;
  KD_csy = shown.eyear;
  if (with_turnover_date) queryvdate = shown.emon * 10000 + shown.eday * 100 + shown.eyear;
  const StockDay& last = days[num_days - 1];
  zoomlvl = 0;
  KD_ed = KD_ced = last.eday;
  KD_em = KD_cem = last.emon;
  KD_ey = KD_cey = last.eyear;
}

int fail_load() {
  load = 0;
  free_history();
  num_days = 0;
  KD_sd = KD_sm = KD_sy = KD_ed = KD_em = KD_ey = 0;
  KD_csd = KD_csm = KD_csy = KD_ced = KD_cem = KD_cey = 0;
  if (load_hooks.load_failed) load_hooks.load_failed();
  symbolname[0] = '\0';
  return 1;
}

// A per-symbol file that can be read; anything else there is reported.
bool has_own_file(const char* path) { return symbolname[0] && data_file_readable(path); }

}  // namespace history

int loadstock() {
  Trace t("loadstock", "symbol=%s", symbolname);
  load_compare();
  forget_file_reports();
  num_days = 1;
  high_p = 0;
  low_p = FLT_MAX;
  free_history();
  forget_split();
  grpcnt = 2;
  stocklist.resize(1);
  worklist.resize(1);
  char path[1100];
  std::snprintf(path, sizeof path, "%s/%s", symboldir, symbolname);
  int rc = has_own_file(path) ? load_sym_stock() : load_day_stock();
  if (rc != 0) return fail_load();
  if (num_days < 2) {
    report(__LINE__, "loadstock: no data for %s", symbolname);
    return fail_load();
  }
  if (extendday > 0) extend_history(extendday);
  set_window_dates();
  work_days = num_days;
  high_p += high_p < 10 ? 0.5f : 1.0f;
  low_p = std::trunc(low_p);
  set_scale(low_p, high_p);
  fill_work();
  load = 1;
  status("load", __LINE__, "");
  return 0;
}

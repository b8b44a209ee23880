// kadmer-import: brings price histories from CSV files into the database:
// per-symbol history files, day files, or both, and a company line for a
// symbol the company table does not know yet. It is a routine, run_import:
// kadmer-import-main.cpp calls it once, the fuzz target again and again.
//
// Everything is read and merged in memory first; only then is each changed
// file written, to a temporary file beside it that is renamed over it, so a
// file is always either as it was or complete. Existing lines (comments,
// lines the loaders skip, other securities) are kept where they stand.
// Imports take turns: each holds a lock on the database from before it
// reads the tables until its last rename.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "data/history.h"
#include "tools/kadmer-import.h"
#include "tools/tool_args.h"

const char* const tool::name = "kadmer-import";
const char* const tool::usage_text =
    "usage: kadmer-import [options] FILE.csv...\n"
    "  --output symbol|day|both  per-symbol history files (default), day files, or both\n"
    "  --symbol SYM        the security of a file without a Symbol column (default: the file name)\n"
    "  --volume-unit shares|hundreds  the unit of the Volume column (default shares)\n"
    "  --name TEXT         name of a new company (default: its symbol)\n"
    "  --type S|M|I        type of a new company: stock (default), mutual fund, index\n"
    "  --market C          market of a new company (default N; an index 1, a fund none)\n"
    "  --groups CODE,...   groups of a new company (at most five codes)\n"
    "  --replace           a day that differs from the database replaces it\n"
    "  --strict            a bad line or a refused day stops the import; nothing is written\n"
    "  --config FILE       settings file (default ./.kadmer, else ~/.kadmer)\n";

namespace {

using history::Quote;

struct Options {
  std::string config, symbol;  // empty: not given
  bool symbol_files = true, day_files = false;
  bool hundreds = false, replace = false, strict = false;
  std::string name, groups;
  char type = 'S', market = 0;
  std::vector<std::string> files;
};

struct Counts {
  int added = 0, replaced = 0, unchanged = 0, refused = 0, bad = 0;
};

// One day of one security, as it will stand in the files.
struct Day {
  std::string symbol;
  long day;          // day number
  Quote q;           // what the loaders read from its quote
  uint32_t quote_at;  // its "high, low, close, volume" in `quotes`
  uint16_t quote_len;
  int file, line;    // where it was read
};

Options opts;
Counts counts;
std::string quotes;  // the quotes of every day, one after another
ImportIo io;

// Ends the import with an exit status (unwinding to run_import).
struct Stop {
  int status;
};

std::string_view quote_of(const Day& d) { return {quotes.data() + d.quote_at, d.quote_len}; }

std::string where(const Day& d) { return opts.files[d.file] + ":" + std::to_string(d.line); }

[[noreturn]] void fail(int status, const std::string& why) {
  std::fprintf(io.err, "kadmer-import: %s\n", why.c_str());
  throw Stop{status};
}

// A day merged into the file at path, for whoever asked to know.
void record(const Day& d, const std::string& path) {
  if (io.written) io.written->push_back({d.symbol, d.day, d.q, path});
}

void complain(const std::string& where, const std::string& why) {
  std::fprintf(io.err, "kadmer-import: %s: %s\n", where.c_str(), why.c_str());
}

// ---- text of the files ----

// Prices as the files hold them: fixed point, no trailing zeros.
std::string price_text(double p, int digits = 6) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%.*f", digits, p);
  std::string s = buf;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

// A loaded price with as many digits as it takes to read back the same:
// written with six, 2.0000002 came back as 2.
std::string float_text(float p) {
  int digits = 6;
  while (digits < 60 && std::strtof(price_text(p, digits).c_str(), nullptr) != p) ++digits;
  return price_text(p, digits);
}

const char* yymmdd_text(long day) {
  static char buf[16];
  int y, m, d;
  civil_date(day, &y, &m, &d);
  std::snprintf(buf, sizeof buf, "%02d%02d%02d", y % 100, m, d);
  return buf;
}

const char* iso_text(long day) {
  static char buf[16];
  int y, m, d;
  civil_date(day, &y, &m, &d);
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
  return buf;
}

// ---- the company of a symbol ----

struct Company {
  char type, market;
  bool known;
};

std::unordered_map<std::string, Company> companies;

Company company_of(const std::string& sym) {
  auto it = companies.find(sym);
  if (it != companies.end()) return it->second;
  CompanyRec& r = find_co(sym.c_str());
  Company c = &r != &nocompany ? Company{r.type, r.market, true} : Company{opts.type, opts.market, false};
  return companies[sym] = c;
}

// The same day as the loaders keep it (a fund's high and low are its close).
bool same_kept(Quote a, Quote b, const std::string& sym) {
  CompanyRec r{};
  Company c = company_of(sym);
  r.type = c.type, r.market = c.market ? c.market : c.type == 'I' ? '1' : ' ';
  history::apply_kind(a, r);
  history::apply_kind(b, r);
  return a.high == b.high && a.low == b.low && a.close == b.close && a.volume == b.volume;
}

// ---- reading CSV ----

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string_view trim(std::string_view s) {
  std::size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
  return b == std::string_view::npos ? std::string_view() : s.substr(b, e - b + 1);
}

// Fields of one line, as views into the line or into `unquoted`. Quoting
// is RFC 4180's: a field in double quotes may hold the separator and "" for
// a quote; a quote in a field that does not begin with one, text after the
// closing quote or a quote left open make the line bad (false, why).
bool split(std::string_view line, char sep, std::vector<std::string_view>* out, std::string* unquoted,
           std::string* why) {
  out->clear();
  if (line.find('"') == std::string_view::npos) {
    for (std::size_t at = 0;; ) {
      std::size_t end = line.find(sep, at);
      out->push_back(trim(line.substr(at, end == std::string_view::npos ? end : end - at)));
      if (end == std::string_view::npos) return true;
      at = end + 1;
    }
  }
  unquoted->clear();
  std::vector<std::size_t> ends;
  for (std::size_t i = 0;; ++i) {  // one field from i, to the separator at i
    std::size_t open = line.find_first_not_of(" \t", i);
    if (open != std::string_view::npos && line[open] == '"') {
      for (i = open + 1; i < line.size(); ++i) {
        if (line[i] == '"' && (i + 1 == line.size() || line[i + 1] != '"')) break;  // the closing quote
        *unquoted += line[i];
        if (line[i] == '"') ++i;  // "" is one quote
      }
      if (i >= line.size()) return *why = "a quote is not closed", false;
      i = std::min(line.find_first_not_of(" \t", i + 1), line.size());
      if (i < line.size() && line[i] != sep) return *why = "text after a closing quote", false;
    } else {
      std::size_t end = std::min(line.find(sep, i), line.size());
      if (line.substr(i, end - i).find('"') != std::string_view::npos)
        return *why = "a quote inside a field that is not quoted", false;
      unquoted->append(line.substr(i, end - i));
      i = end;
    }
    ends.push_back(unquoted->size());
    if (i >= line.size()) break;
  }
  std::string_view all = *unquoted;
  for (std::size_t i = 0, from = 0; i < ends.size(); from = ends[i++]) out->push_back(trim(all.substr(from, ends[i] - from)));
  return true;
}

// A non-negative decimal number, its value and its text as the files hold
// it: no trailing zeros. Between semicolons the decimal mark is a comma and
// points group thousands, every three digits or not at all: 150.000 is
// 150000 as 12.345.678 is 12345678, and 12.5 is no number there.
bool number(std::string_view text, char sep, double* v, std::string* canonical = nullptr) {
  char t[40];
  if (text.empty() || text.size() >= sizeof t) return false;
  char mark = sep == ';' ? ',' : '.';
  std::size_t whole = std::min(text.find(mark), text.size());
  std::size_t group = sep == ';' ? text.substr(0, whole).find('.') : std::string_view::npos;
  if (group != std::string_view::npos && (group == 0 || group > 3 || (whole - group) % 4 != 0)) return false;
  int points = 0, digits = 0;
  std::size_t n = 0;
  for (std::size_t k = 0; k < text.size(); ++k) {
    char c = k == whole ? '.' : text[k];
    if (k < whole && group != std::string_view::npos && k >= group && (k - group) % 4 == 0) {
      if (c != '.') return false;
      continue;
    }
    if (c == '.') ++points;
    else if (c >= '0' && c <= '9') ++digits;
    else return false;
    t[n++] = c;
  }
  t[n] = '\0';
  if (!digits || points > 1) return false;
  *v = std::strtod(t, nullptr);
  if (!canonical) return true;
  std::string_view num(t, n);
  std::size_t point = num.find('.');
  if (point != std::string_view::npos && num.size() - point - 1 > 6) {  // more than the files need
    *canonical = price_text(*v);
    return true;
  }
  if (point != std::string_view::npos) num = num.substr(0, num.find_last_not_of("0") + 1);
  if (!num.empty() && num.back() == '.') num.remove_suffix(1);
  while (num.size() > 1 && num[0] == '0' && num[1] != '.') num.remove_prefix(1);
  *canonical = num.empty() || num[0] == '.' ? "0" + std::string(num) : std::string(num);
  return true;
}

// YYYY-MM-DD, MM/DD/YYYY or YYYYMMDD, a time after a blank or 'T' ignored.
bool date(std::string_view text, int* y, int* m, int* d) {
  std::string t(text.substr(0, text.find_first_of(" T")));
  auto digits = [&](std::size_t at, std::size_t n) {
    return at + n <= t.size() && std::all_of(t.begin() + at, t.begin() + at + n, ::isdigit);
  };
  auto num = [&](std::size_t at, std::size_t n) { return std::atoi(t.substr(at, n).c_str()); };
  if (t.size() == 10 && t[4] == '-' && t[7] == '-' && digits(0, 4) && digits(5, 2) && digits(8, 2)) {
    *y = num(0, 4), *m = num(5, 2), *d = num(8, 2);
  } else if (t.size() == 10 && t[2] == '/' && t[5] == '/' && digits(0, 2) && digits(3, 2) && digits(6, 4)) {
    *m = num(0, 2), *d = num(3, 2), *y = num(6, 4);
  } else if (t.size() == 8 && digits(0, 8)) {
    *y = num(0, 4), *m = num(4, 2), *d = num(6, 2);
  } else {
    return false;
  }
  return valid_date(*y, *m, *d);
}

// Text short and printable, whatever it holds, in quotes.
std::string shown(std::string_view t) {
  std::string q(t.substr(0, 40));
  for (char& ch : q) if (static_cast<unsigned char>(ch) < ' ' || ch == 127) ch = '?';
  return "\"" + q + (t.size() > 40 ? "...\"" : "\"");
}

// What is wrong with a symbol, or nothing. A longer one is refused, not
// cut: cut, it would name another security.
std::string symbol_fault(const std::string& s) {
  if (s.size() > sizeof symbolname - 1)
    return "the symbol " + shown(s) + " is longer than " + std::to_string(sizeof symbolname - 1) + " characters";
  if (s.empty() || s.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.^_-") != std::string::npos ||
      s.find_first_not_of('.') == std::string::npos)
    return "no valid symbol " + shown(s) + ": letters, digits or . ^ _ -";
  return {};
}

std::string upper(std::string s) {
  for (char& c : s) c = upper_char(c);
  return s;
}

struct Columns {
  int date = -1, high = -1, low = -1, close = -1, volume = -1, symbol = -1;
  std::size_t count = 0;  // fields of the header
};

Columns header(const std::vector<std::string_view>& names) {
  Columns c;
  c.count = names.size();
  for (int i = 0; i < static_cast<int>(names.size()); ++i) {
    std::string n = lower(std::string(names[i]));
    int* slot = n == "date" ? &c.date : n == "high" ? &c.high : n == "low" ? &c.low : n == "close" ? &c.close
              : n == "volume" ? &c.volume : n == "symbol" || n == "ticker" ? &c.symbol : nullptr;
    if (slot && *slot < 0) *slot = i;
  }
  return c;
}

// One data line into a day; false (with the reason) for a line to skip.
bool parse_row(const std::vector<std::string_view>& f, const Columns& c, char sep, const std::string& file_symbol,
               Day* out, std::string* why, bool* refused) {
  int need = std::max({c.date, c.high, c.low, c.close, c.volume, c.symbol});
  if (static_cast<int>(f.size()) <= need) return *why = "too few fields", false;
  for (std::size_t k = c.count; k < f.size(); ++k)  // a decimal comma in a comma file, say
    if (!f[k].empty()) return *why = "more fields than the header's " + std::to_string(c.count), false;
  std::string sym = c.symbol >= 0 ? upper(std::string(f[c.symbol])) : file_symbol;
  if (std::string fault = symbol_fault(sym); !fault.empty()) return *why = fault, false;
  int y = 0, m = 0, d = 0;
  if (!date(f[c.date], &y, &m, &d)) return *why = "no date " + shown(f[c.date]), false;
  if (y < 1969 || y > 2068) return *refused = true, *why = "year " + std::to_string(y) + " outside 1969-2068", false;
  double close, high, low, volume = 0;
  std::string close_t, high_t, low_t;
  if (!number(f[c.close], sep, &close, &close_t) || close <= 0) return *why = "no close " + shown(f[c.close]), false;
  high = low = close;
  high_t = low_t = close_t;
  if (c.high >= 0 && !number(f[c.high], sep, &high, &high_t)) return *why = "no high " + shown(f[c.high]), false;
  if (c.low >= 0 && !number(f[c.low], sep, &low, &low_t)) return *why = "no low " + shown(f[c.low]), false;
  if (high < low) return *why = "high below low", false;
  if (c.volume >= 0 && (!number(f[c.volume], sep, &volume) || volume != std::floor(volume)))
    return *why = "no whole volume " + shown(f[c.volume]), false;
  double v = std::round(opts.hundreds ? volume : volume / 100.0);
  if (v > INT32_MAX) return *why = "volume too large", false;
  out->symbol = sym;
  out->day = day_number(y, m, d);
  char quote[160];
  int n = std::snprintf(quote, sizeof quote, "%s, %s, %s, %lld", high_t.c_str(), low_t.c_str(), close_t.c_str(),
                        static_cast<long long>(v));
  if (n >= static_cast<int>(sizeof quote) || quotes.size() > UINT32_MAX - sizeof quote) return *why = "too long", false;
  out->quote_at = static_cast<uint32_t>(quotes.size());
  out->quote_len = static_cast<uint16_t>(n);
  quotes.append(quote, n);
  // What the loaders will read: every price finite, the close above 0.
  if (!history::scan_quote(quote, &out->q) || !std::isfinite(out->q.high) || !std::isfinite(out->q.low) ||
      !(out->q.close > 0))
    return *why = "prices out of range", false;
  return true;
}

std::string file_stem(const std::string& path) {
  std::string b = path.substr(path.find_last_of('/') + 1);
  return upper(b.substr(0, b.find('.')));
}

// The whole file; false with errno set when it can not be read.
// A CSV file may be a pipe (a process substitution); a database file is
// opened as the readers open it, and anything but a regular file is named
// and not read.
bool read_file(const std::string& path, std::string* text, bool database = false) {
  FILE* f = database ? open_data(path.c_str()) : std::fopen(path.c_str(), "rb");
  if (!f) return false;
  struct stat st;
  if (fstat(fileno(f), &st) == 0 && st.st_size > 0) text->reserve(static_cast<std::size_t>(st.st_size));
  char buf[65536];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text->append(buf, n);
  bool ok = !std::ferror(f);
  int err = errno;
  std::fclose(f);
  errno = ok ? 0 : err;
  return ok;
}

// Every day of one CSV file; false when the file can not be read at all.
bool read_csv(int file, std::vector<Day>* days) {
  const std::string& path = opts.files[file];
  std::string text;
  if (!read_file(path, &text)) return complain(path, std::strerror(errno)), false;
  std::string_view rest = text;
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
  std::size_t lines = std::count(rest.begin(), rest.end(), '\n') + 1;
  days->reserve(days->size() + lines);
  quotes.reserve(quotes.size() + rest.size() + lines * 8);
  std::string file_symbol = opts.symbol.empty() ? file_stem(path) : opts.symbol;
  std::vector<std::string_view> f;
  std::string unquoted;
  Columns c;
  char sep = ',';
  bool have_header = false;
  for (int n = 1; !rest.empty(); ++n) {
    std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (trim(line).empty()) continue;
    if (!have_header) {
      std::string where = path + ":" + std::to_string(n);
      sep = std::count(line.begin(), line.end(), ';') > std::count(line.begin(), line.end(), ',') ? ';' : ',';
      std::string why;
      if (!split(line, sep, &f, &unquoted, &why)) return complain(where, "the header: " + why), false;
      c = header(f);
      have_header = true;
      if (c.date < 0 || c.close < 0) return complain(where, "the header names no Date or no Close column"), false;
      if (std::string fault = symbol_fault(file_symbol); c.symbol < 0 && !fault.empty())
        return complain(path, fault + " (--symbol names it)"), false;
      continue;
    }
    Day day;
    std::string why;
    bool refused = false;
    if (split(line, sep, &f, &unquoted, &why) && parse_row(f, c, sep, file_symbol, &day, &why, &refused)) {
      day.file = file, day.line = n;
      days->push_back(std::move(day));
    } else {
      complain(path + ":" + std::to_string(n), why + (refused ? ": refused" : ": skipped"));
      ++(refused ? counts.refused : counts.bad);
    }
  }
  if (!have_header) return complain(path, "no header line"), false;
  return true;
}

// The days by security and date. A day given twice: the same values count
// once as unchanged; different values are refused, or with --replace the
// later one holds.
std::vector<const Day*> unique_days(const std::vector<Day>& days) {
  std::vector<const Day*> sorted;
  sorted.reserve(days.size());
  for (const Day& d : days) sorted.push_back(&d);
  std::sort(sorted.begin(), sorted.end(), [](const Day* a, const Day* b) {
    int c = a->symbol.compare(b->symbol);
    return c ? c < 0 : a->day != b->day ? a->day < b->day : a < b;  // equal days in the order read
  });
  std::vector<const Day*> out;
  out.reserve(sorted.size());
  for (const Day* d : sorted) {
    const Day* last = out.empty() ? nullptr : out.back();
    if (!last || last->symbol != d->symbol || last->day != d->day) {
      out.push_back(d);
    } else if (same_kept(last->q, d->q, d->symbol)) {
      ++counts.unchanged;
    } else if (opts.replace) {
      out.back() = d;  // the later line holds; the files see one day
    } else {
      complain(where(*d), d->symbol + " " + iso_text(d->day) + " differs from " + where(*last) + ": refused");
      ++counts.refused;
    }
  }
  return out;
}

// ---- merging into the files ----

struct Merge {
  std::string path;
  std::string text;  // the new content
  bool changed = false;
};

// An existing line of a file: its sort key, or none for a line that is kept
// where it stands (comments, lines the loaders skip).
template <class Key>
struct Existing {
  std::string_view line;
  bool data = false;   // a day of the file, sorted by its key
  Key key{};           // symbol, or day number
  Quote q{};
  bool read = true;    // false: its numbers do not read, so no new day equals it
  bool seen = true;    // false: the loader skips it (a history line out of date order)
};

// Merges `adds` (one per key) into the lines of a file; `line_of` writes a
// new day's line. Keys order as the loaders read: days by date, symbols
// byte by byte. A day the file holds already is settled at its first line,
// even in a file out of order; a new one goes before the first greater key.
template <class Key, class LineOf>
Merge merge(const std::string& path, std::vector<std::pair<Key, const Day*>> adds,
            const std::vector<Existing<Key>>& lines, LineOf line_of) {
  Merge m{path, {}, false};
  m.text.reserve(lines.size() * 40 + adds.size() * 48);
  std::sort(adds.begin(), adds.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  auto add_of = [&](const Key& key) -> std::ptrdiff_t {
    auto it = std::lower_bound(adds.begin(), adds.end(), key, [](const auto& a, const Key& k) { return a.first < k; });
    return it != adds.end() && it->first == key ? it - adds.begin() : -1;
  };
  std::vector<std::ptrdiff_t> at(adds.size(), -1);  // the line that settles each day
  for (std::size_t k = 0; k < lines.size(); ++k)
    if (std::ptrdiff_t a = lines[k].data ? add_of(lines[k].key) : -1; a >= 0 && at[a] < 0) at[a] = k;
  std::size_t i = 0;
  auto add_before = [&](const Key* key) {
    for (; i < adds.size() && (!key || adds[i].first < *key); ++i) {
      if (at[i] >= 0) continue;
      m.text += line_of(*adds[i].second);
      m.text += '\n';
      m.changed = true;
      ++counts.added;
      record(*adds[i].second, path);
    }
  };
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const Existing<Key>& e = lines[k];
    if (e.data) add_before(&e.key);
    std::ptrdiff_t a = e.data ? add_of(e.key) : -1;
    bool replaced = false;
    if (a >= 0 && at[a] == static_cast<std::ptrdiff_t>(k)) {  // the day is there already
      const Day& d = *adds[a].second;
      if (!e.seen) {  // whatever it held or would hold, the chart would not show it
        complain(where(d), d.symbol + " " + iso_text(d.day) + ": the loaders do not read its line in " + path +
                               " (out of order): refused");
        ++counts.refused;
      } else if (e.read && same_kept(d.q, e.q, d.symbol)) {
        ++counts.unchanged;
      } else if (opts.replace) {
        m.text += line_of(d) + "\n";
        m.changed = replaced = true;
        ++counts.replaced;
        record(d, path);
      } else {
        complain(where(d), d.symbol + " " + iso_text(d.day) + " differs from " + path + ": refused");
        ++counts.refused;
      }
    }
    if (!replaced) (m.text += e.line) += '\n';
  }
  add_before(nullptr);
  return m;
}

// The lines of a file (none when it does not exist), as views into `text`.
// False when a line begins with a NUL byte: the loaders stop reading there,
// so nothing written after it would be seen.
bool split_lines(const std::string& path, std::string_view text, std::vector<std::string_view>* out) {
  for (std::string_view rest = text; !rest.empty();) {
    std::size_t end = rest.find('\n');
    out->push_back(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (!out->back().empty() && out->back()[0] == '\0') {
      complain(path, "a line begins with a NUL byte, where the loaders stop; repair the file first");
      return false;
    }
  }
  return true;
}

// False for a file that stands there but can not be read whole.
bool read_lines(const std::string& path, std::string* text, std::vector<std::string_view>* out) {
  if (!read_file(path, text, true)) return errno == ENOENT;
  return split_lines(path, *text, out);
}

// Refuses every day of a file that can not take them.
Merge refuse_all(const std::string& path, std::size_t days) {
  complain(path, std::to_string(days) + (days == 1 ? " day" : " days") + " refused");
  counts.refused += static_cast<int>(days);
  return Merge{path, {}, false};
}

// The days the chart shows now for a known security without a history file,
// which are those of the day files, as history lines: a new history file
// starts with them, since the chart reads it instead of the day files.
std::string day_file_history(const std::string& sym) {
  if (!company_of(sym).known) return {};
  copy_text(symbolname, sym);
  std::string lines;
  if (loadstock() != 0) return lines;  // none there
  const std::vector<StockDay>& days = stocklist[0].days;
  for (int k = 1; k < num_days; ++k) {
    const StockDay& d = days[k];
    if (d.nodata) continue;
    char date[16];
    std::snprintf(date, sizeof date, "%02d%02d%02d, ", d.eyear, d.emon, d.eday);
    lines += date + float_text(d.high) + ", " + float_text(d.low) + ", " + float_text(d.close) + ", " +
             std::to_string(d.volume) + "\n";
  }
  if (!lines.empty())
    std::fprintf(io.err, "kadmer-import: %s: its %d days of the day files start its new history file\n", sym.c_str(),
                 static_cast<int>(std::count(lines.begin(), lines.end(), '\n')));
  return lines;
}

Merge merge_symbol_file(const std::string& sym, const std::vector<const Day*>& days) {
  std::string path = std::string(symboldir) + "/" + sym, text;
  std::vector<std::string_view> raw;
  if (!read_lines(path, &text, &raw)) return refuse_all(path, days.size());
  if (raw.empty() && access(path.c_str(), F_OK) != 0) {
    text = day_file_history(sym);
    split_lines(path, text, &raw);
  }
  std::vector<Existing<long>> lines;
  long last = NO_DAY;  // the loader keeps a day only after the last one it kept
  for (std::string_view l : raw) {
    Existing<long> e{l};
    long date;
    std::string line(l);  // the reader wants a terminated line
    if (!l.empty() && l[0] != '#' && history::scan_history_line(line.c_str(), &date, &e.q)) {
      long day = yymmdd_days(static_cast<int>(date));
      if (day != NO_DAY) e.data = true, e.key = day, e.seen = day > last, last = std::max(last, day);
    }
    lines.push_back(e);
  }
  std::vector<std::pair<long, const Day*>> adds;
  for (const Day* d : days) adds.emplace_back(d->day, d);
  return merge(path, adds, lines, [](const Day& d) {
    std::string l = yymmdd_text(d.day);
    return (l += ", ") += quote_of(d);
  });
}

Merge merge_day_file(char kind, long day, const std::vector<const Day*>& days) {
  std::string path = std::string(daydir) + "/" + kind + yymmdd_text(day), text;
  std::vector<std::string_view> raw;
  if (!read_lines(path, &text, &raw)) return refuse_all(path, days.size());
  std::vector<Existing<std::string_view>> lines;
  std::size_t from = kind == 'i' ? 1 : 0;
  for (std::string_view l : raw) {
    Existing<std::string_view> e{l};
    if (l.size() > from && l[0] != '#') {  // the loaders take what stands before the first ',' as its symbol
      std::size_t comma = l.find(',');
      e.data = true, e.key = l.substr(from, comma == std::string_view::npos ? comma : comma - from);
      std::string quote(comma == std::string_view::npos ? std::string_view() : l.substr(comma + 1));
      e.read = comma != std::string_view::npos && history::scan_quote(quote.c_str(), &e.q);
    }
    lines.push_back(e);
  }
  std::vector<std::pair<std::string_view, const Day*>> adds;
  for (const Day* d : days) adds.emplace_back(d->symbol, d);
  auto line_of = [kind](const Day& d) {
    std::string lead;
    if (kind == 'i') lead = companies[d.symbol].market == '2' ? "2" : "1";
    return (lead + d.symbol + ",") += quote_of(d);
  };
  return merge(path, adds, lines, line_of);
}

// ---- writing ----

// Temporary files are named .NAME.kadmer-import-XXXXXX, so that the next
// import, holding the lock, knows and removes those a killed one left.
constexpr std::string_view temp_mark = ".kadmer-import-";
std::set<std::string> swept;  // directories cleared of them by this import

bool is_temp_name(std::string_view n) {
  std::size_t mark_at = n.size() - 6 - temp_mark.size();
  return n.size() > temp_mark.size() + 7 && n[0] == '.' && n.substr(mark_at, temp_mark.size()) == temp_mark;
}

void sweep(const std::string& dir) {
  if (!swept.insert(dir).second) return;
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  while (const dirent* e = readdir(d))
    if (is_temp_name(e->d_name)) unlinkat(dirfd(d), e->d_name, 0);
  closedir(d);
}

// Writes text to a temporary file beside the file at path (through its
// links, which stay links) and renames it over that.
bool write_whole(const std::string& path, const std::string& text) {
  std::string target = link_target(path), error;
  std::size_t slash = target.find_last_of('/');
  sweep(slash == std::string::npos ? "." : target.substr(0, slash));
  if (replace_file(target, text, temp_mark.data(), &error)) return true;
  complain(path, "can not write: " + error);
  return false;
}

void make_dir(const char* dir) {
  if (mkdir(dir, 0777) != 0 && errno != EEXIST) fail(3, std::string(dir) + ": " + std::strerror(errno));
}

int lock_fd = -1;  // the lock file, held until run_import returns

// Waits for the database, saying so when another import holds it for more
// than a moment; then clears what a killed import left.
void lock_database() {
  make_dir(generaldir);
  std::string path = std::string(generaldir) + "/.kadmer-import.lock";
  lock_fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (lock_fd < 0) fail(3, path + ": " + std::strerror(errno) + ": nothing written");
  for (int tries = 0; flock(lock_fd, LOCK_EX | LOCK_NB) != 0; ++tries) {
    if (errno != EWOULDBLOCK && errno != EINTR) fail(3, path + ": " + std::strerror(errno) + ": nothing written");
    if (tries == 50) std::fprintf(io.err, "kadmer-import: waiting for another import to finish (%s)\n", path.c_str());
    usleep(10000);
  }
  for (const char* dir : {generaldir, symboldir, daydir}) sweep(dir);
}

std::string company_line(const std::string& sym, const Company& c, long last_day) {
  std::string market(1, c.market ? c.market : c.type == 'I' ? '1' : 'N');
  if (!c.market && c.type == 'M') market.clear();
  return sym + ":" + (opts.name.empty() ? sym : opts.name) + ":" + c.type + ":" + market + ":" + opts.groups +
         ":" + yymmdd_text(last_day) + "-0:";
}

// ---- options ----

// Text for the company table: a control character or its separator ':'
// in it would break the line or add lines to it.
bool table_safe(const std::string& v) {
  auto bad = [](char c) { return static_cast<unsigned char>(c) < ' ' || c == 127 || c == ':'; };
  return std::none_of(v.begin(), v.end(), bad);
}

constexpr const char* code_chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.";

// The group codes of a new company without the empty ones (an empty code
// would join the first group); each must begin a group's code.
std::string group_list(const std::string& list) {
  std::string out;
  int n = 0;
  for (std::size_t at = 0, comma; at <= list.size(); at = comma + 1) {
    comma = std::min(list.find(',', at), list.size());
    std::string code = list.substr(at, comma - at);
    if (code.empty()) continue;
    bool found = false;
    for (int g = 1; g <= num_groups && !found; ++g)
      found = groups[g].num != 0 && std::strncmp(groups[g].code, code.c_str(), code.size()) == 0;
    if (!found) tool::usage(("no group " + code).c_str());
    if (++n > 5) tool::usage("at most five groups");
    out += (out.empty() ? "" : ",") + code;
  }
  return out;
}

void parse(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) tool::usage((a + " needs a value").c_str());
      return argv[++i];
    };
    if (a == "--help") {
      std::fputs(tool::usage_text, stdout);
      std::exit(0);
    } else if (a == "--output") {
      std::string v = value();
      if (v != "symbol" && v != "day" && v != "both") tool::usage("--output is symbol, day or both");
      opts.symbol_files = v != "day";
      opts.day_files = v != "symbol";
    } else if (a == "--symbol") {
      opts.symbol = upper(value());
      if (std::string fault = symbol_fault(opts.symbol); !fault.empty()) tool::usage(fault.c_str());
    } else if (a == "--volume-unit") {
      std::string v = value();
      if (v != "shares" && v != "hundreds") tool::usage("--volume-unit is shares or hundreds");
      opts.hundreds = v == "hundreds";
    } else if (a == "--name") {
      opts.name = value();
      if (!table_safe(opts.name) || opts.name.size() > 40)
        tool::usage("a name is at most 40 characters, without ':' or control characters");
    } else if (a == "--type") {
      std::string v = upper(value());
      if (v != "S" && v != "M" && v != "I") tool::usage("--type is S, M or I");
      opts.type = v[0];
    } else if (a == "--market") {
      std::string v = upper(value());
      if (v.size() != 1 || !std::isalnum(static_cast<unsigned char>(v[0])))
        tool::usage("--market is one letter or digit");
      opts.market = v[0];
    } else if (a == "--groups") {
      opts.groups = upper(value());
      if (opts.groups.find_first_not_of(std::string(code_chars) + ",") != std::string::npos)
        tool::usage("groups are codes of letters, digits and '.' between commas");
    } else if (a == "--replace") {
      opts.replace = true;
    } else if (a == "--strict") {
      opts.strict = true;
    } else if (a == "--config") {
      opts.config = value();
    } else if (a.size() > 1 && a[0] == '-') {
      tool::usage(("unknown option " + a).c_str());
    } else {
      opts.files.push_back(a);
    }
  }
  if (opts.files.empty()) tool::usage("no CSV file");
  if (!opts.symbol.empty() && opts.files.size() > 1) tool::usage("--symbol names the security of one file");
}

void summary() {
  std::fprintf(io.out, "kadmer-import: %d added, %d replaced, %d unchanged, %d refused, %d bad\n", counts.added,
               counts.replaced, counts.unchanged, counts.refused, counts.bad);
}

// A bad line or a refused day stops a strict import before it writes; the
// summary says what it found (nothing added, nothing replaced).
[[noreturn]] void stop_strict() {
  counts.added = counts.replaced = 0;
  summary();
  fail(1, "nothing written (--strict)");
}

int import_files(int argc, char** argv) {
  parse(argc, argv);
  const char* config = opts.config.empty() ? nullptr : opts.config.c_str();
  tool::check_config(config);
  tool::settings(config);
  extendday = 0;  // the files get the days as they are
  // Without a setting the directories are the root: never write there.
  for (auto [dir, key, needed] : {std::tuple{generaldir, "generaldir", true},
                                  std::tuple{symboldir, "symboldir", opts.symbol_files},
                                  std::tuple{daydir, "daydir", opts.day_files}})
    if (needed && (!*dir || std::strcmp(dir, "/") == 0))
      fail(2, std::string("no ") + key + " in the settings (.kadmer): nothing written");
  lock_database();
  initial_groups();
  initial_companys();
  opts.groups = group_list(opts.groups);

  std::vector<Day> days;
  int unreadable = 0;
  for (int f = 0; f < static_cast<int>(opts.files.size()); ++f) unreadable += !read_csv(f, &days);
  std::vector<const Day*> unique = unique_days(days);
  if (opts.strict && (counts.bad || counts.refused || unreadable)) stop_strict();

  // Days in the order of the import, by security and by file.
  std::map<std::string, std::vector<const Day*>> by_symbol;
  std::map<std::pair<char, long>, std::vector<const Day*>> by_file;
  companies.reserve(unique.size());
  // The securities the chart reads from a history file, listed once.
  std::unordered_set<std::string> history_files;
  if (!opts.symbol_files)
    if (DIR* dir = opendir(symboldir)) {
      while (const dirent* e = readdir(dir)) history_files.insert(e->d_name);
      closedir(dir);
    }
  std::string new_companies;
  for (std::size_t i = 0, end; i < unique.size(); i = end) {  // a run of one security's days
    const std::string& sym = unique[i]->symbol;
    for (end = i + 1; end < unique.size() && unique[end]->symbol == sym;) ++end;
    Company c = company_of(sym);
    if (!c.known) new_companies += company_line(sym, c, unique[end - 1]->day) + "\n";
    if (!opts.symbol_files && history_files.count(sym))
      std::fprintf(io.err, "kadmer-import: %s: the chart reads its history file, not the day files\n", sym.c_str());
    if (opts.symbol_files) by_symbol[sym].assign(unique.begin() + i, unique.begin() + end);
    if (!opts.day_files) continue;
    char kind = history::kind_letter(c.type);
    for (std::size_t k = i; k < end; ++k)
      if (kind) by_file[{kind, unique[k]->day}].push_back(unique[k]);
      else complain(where(*unique[k]), sym + " of type '" + c.type + "' has no day files: refused"), ++counts.refused;
  }
  std::vector<Merge> merges;
  for (const auto& [sym, list] : by_symbol) merges.push_back(merge_symbol_file(sym, list));
  for (const auto& [file, list] : by_file) merges.push_back(merge_day_file(file.first, file.second, list));
  if (opts.strict && counts.refused) stop_strict();

  std::string table = std::string(generaldir) + "/companys", table_text;
  std::vector<std::string_view> table_lines;
  if (!new_companies.empty() && !read_lines(table, &table_text, &table_lines)) fail(1, "nothing written");

  if (opts.symbol_files && !by_symbol.empty()) make_dir(symboldir);
  if (opts.day_files && !by_file.empty()) make_dir(daydir);
  for (const Merge& m : merges)
    if (m.changed && !write_whole(m.path, m.text)) fail(3, "import stopped; the files not yet written are as they were");
  if (!new_companies.empty()) {
    make_dir(generaldir);
    if (!table_text.empty() && table_text.back() != '\n') table_text += '\n';
    if (!write_whole(table, table_text + new_companies)) fail(3, "import stopped before the company table");
  }
  summary();
  return counts.refused || counts.bad || unreadable ? 1 : 0;
}

}  // namespace

int run_import(int argc, char** argv, const ImportIo& with) {
  io = with;
  opts = Options{};
  counts = Counts{};
  quotes.clear();
  companies.clear();
  swept.clear();
  int status;
  try {
    status = import_files(argc, argv);
  } catch (const Stop& stop) {
    status = stop.status;
  }
  if (lock_fd >= 0) close(lock_fd);
  lock_fd = -1;
  return status;
}

// kadmer-import's reading of CSV files: the header's columns, RFC 4180
// quoting, numbers with either decimal mark, the date forms, and the days of
// every file by security and date, each day given once.
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "tools/kadmer-import-shared.h"

namespace importer {

namespace {

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
  canonical->assign(num.empty() || num[0] == '.' ? 1 : 0, '0');  // appended: GCC 12 at -O3 sees an overlap in "0" + text
  canonical->append(num);
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

}  // namespace

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

namespace {

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

}  // namespace

// The whole file; false with errno set when it can not be read.
// A CSV file may be a pipe (a process substitution); a database file is
// opened as the readers open it, and anything but a regular file is named
// and not read.
bool read_file(const std::string& path, std::string* text, bool database) {
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

}  // namespace importer

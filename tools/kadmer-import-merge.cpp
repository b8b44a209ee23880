// kadmer-import's merging: the days of one history or day file into the
// lines it holds, in the order the loaders read, every other line kept where
// it stands; a new history file starts with the day files' days.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "data/history.h"
#include "tools/kadmer-import-shared.h"

namespace importer {

namespace {

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

}  // namespace

// False for a file that stands there but can not be read whole.
bool read_lines(const std::string& path, std::string* text, std::vector<std::string_view>* out) {
  if (!read_file(path, text, true)) return errno == ENOENT;
  return split_lines(path, *text, out);
}

namespace {

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
  comparename[0] = '\0';  // the days alone: a comparison of the settings would only cost a load
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

}  // namespace

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
  auto line_of = [kind](const Day& d) {  // appended: GCC 12 at -O3 takes an assigned literal for an overlapping copy
    std::string line;
    if (kind == 'i') line += companies[d.symbol].market == '2' ? '2' : '1';
    return ((line += d.symbol) += ',') += quote_of(d);
  };
  return merge(path, adds, lines, line_of);
}

}  // namespace importer

// The last close and change of the symbols of the watchlists, from the day
// files of the two newest stock days: what the watchlists view shows.
#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "core/core.h"
#include "data/data.h"
#include "query/reading.h"
#include "query/screen.h"

namespace {

// The day of a stock day file's name ("sYYMMDD"), or NO_DAY.
long file_day(const char* name) {
  if (name[0] != 's' || std::strlen(name) != 7 || std::strspn(name + 1, "0123456789") != 6) return NO_DAY;
  return yymmdd_days(std::atoi(name + 1));
}

// Each wanted symbol's first close in the day's files of stocks, funds and
// indexes.
void closes_of(long day, const std::map<std::string, int>& wanted, std::map<std::string, float>* out) {
  int y, m, d;
  civil_date(day, &y, &m, &d);
  for (char kind : {'s', 'f', 'i'}) {
    char path[1100];
    std::snprintf(path, sizeof path, "%s/%c%02d%02d%02d", daydir, kind, y % 100, m, d);
    DayText file;
    if (!file.open(path)) continue;
    query_reading::each_quote(file, false, [&](const query_reading::DayLine& q) {
      std::string sym(q.symbol);
      if (wanted.count(sym)) out->emplace(sym, q.close);
    });
  }
}

}  // namespace

std::vector<WatchRow> watch_rows(const std::vector<Watchlist>& lists) {
  long newest = NO_DAY, second = NO_DAY;
  if (DIR* dir = opendir(daydir)) {
    while (struct dirent* e = readdir(dir)) {
      long day = file_day(e->d_name);
      if (day > newest) second = newest, newest = day;
      else if (day > second) second = day;
    }
    closedir(dir);
  }
  std::map<std::string, int> wanted;
  for (const Watchlist& w : lists)
    for (const std::string& s : w.symbols) wanted[s] = 1;
  std::map<std::string, float> last, before;
  if (newest != NO_DAY) closes_of(newest, wanted, &last);
  if (second != NO_DAY) closes_of(second, wanted, &before);
  std::vector<WatchRow> rows;
  for (const Watchlist& w : lists) {
    rows.push_back({w.name, "", 0, 0, false});  // the list's own row
    for (const std::string& s : w.symbols) {
      auto now = last.find(s), then = before.find(s);
      bool listed = now != last.end();
      float change = listed && then != before.end() ? now->second - then->second : 0;
      rows.push_back({w.name, s, listed ? now->second : 0, change, listed});
    }
  }
  return rows;
}

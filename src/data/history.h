// What the loaders of one security and of a group share: reading quote and
// history lines, dating days, empty weekdays, the list of day files, the
// kind letter of a company, and the window dates of a load.
#pragma once

#include <cstdint>
#include <ctime>
#include <vector>

#include "data/data.h"

namespace history {

struct Quote {
  float high, low, close;
  int64_t volume;
};

struct DayFile {
  time_t key;
  char name[8];
};

bool scan_quote(const char* p, Quote* q);  // "%f, %f, %f, %d"
// "%d, %f, %f, %f, %d": a history line's date (YYMMDD) and quote.
bool scan_history_line(const char* line, long* date, Quote* q);
void set_date(StockDay& s, time_t key);                   // key, weekday and both date triples
void fill_gap(std::vector<StockDay>& days, time_t key);   // empty weekdays before `key`
bool list_day_files(char kind, std::vector<DayFile>* files);  // in date order
// The same for a loader: false, with its message, when the day directory
// can not be read.
bool day_files_for(char kind, const char* loader, std::vector<DayFile>* files);
char kind_letter(char type);                              // 's', 'f', 'i' or 0
// The prices as the loaders keep them: funds and indexes have one price,
// indexes of market '2' take their volume from it.
void apply_kind(Quote& q, const CompanyRec& c);
void report(int line, const char* fmt, const char* a, const char* b = "");
extern float high_p, low_p;  // extremes of the load, for its scale
// The loaded and shown window from the days of member 0.
void set_window_dates(bool with_turnover_date = true);

}  // namespace history

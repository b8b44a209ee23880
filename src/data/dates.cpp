#include "data/data.h"

#include "core/core.h"

// ---- day keys ----

time_t whatday = 0;

time_t day_key(int y, int m, int d) {
  return valid_date(y, m, d) ? static_cast<time_t>(day_number(y, m, d)) * 86400 : NO_KEY;
}

time_t yymmdd_key(int yymmdd) {
  long days = yymmdd_days(yymmdd);
  return days == NO_DAY ? NO_KEY : static_cast<time_t>(days) * 86400;
}

int weekday_of_key(time_t key) { return weekday_of(static_cast<long>(key / 86400)); }

void date_of_key(time_t key, int* y, int* m, int* d) { civil_date(static_cast<long>(key / 86400), y, m, d); }

// Traced at level 2 only: it runs once per loaded day.
time_t timelocal(struct tm* t) noexcept {
  ++stkind;
  if (debuglvl >= 2) debug("%d-> timelocal(&intp=%ld)\n", stkind, reinterpret_cast<long>(t));
  int year = t->tm_year < 69 ? 2000 + t->tm_year : 1900 + t->tm_year;
  time_t key = day_key(year, t->tm_mon + 1, t->tm_mday);
  if (key != NO_KEY) whatday = key;
  if (debuglvl >= 2) debug("%d<- timelocal(whatday=%ld)\n", stkind, static_cast<long>(whatday));
  --stkind;
  return key;
}

// Day numbers of calendar dates with two-digit years (69..99 are 1969..1999,
// 00..68 are 2000..2068), and numbers cut to integers without overflow.
#include <algorithm>
#include <cmath>
#include <string>
#include <cstdio>

#include "core/core.h"

int full_year(int yy) { return yy >= 69 ? 1900 + yy : 2000 + yy; }

static bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int days_in_month(int y, int m) {
  static const int len[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m < 1 || m > 12) return 0;
  return m == 2 && leap(y) ? 29 : len[m - 1];
}

bool valid_date(int y, int m, int d) { return d >= 1 && d <= days_in_month(y, m); }

// Civil-calendar conversions on the proleptic Gregorian calendar, shifted so
// that years start in March and the leap day falls at the end of a year.
long day_number(int y, int m, int d) {
  long yy = y - (m <= 2);
  long era = (yy >= 0 ? yy : yy - 399) / 400;
  long yoe = yy - era * 400;
  long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civil_date(long days, int* y, int* m, int* d) {
  days += 719468;
  long era = (days >= 0 ? days : days - 146096) / 146097;
  long doe = days - era * 146097;
  long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = static_cast<int>(yoe + era * 400 + (*m <= 2));
}

int weekday_of(long days) {
  long w = (days + 4) % 7;  // 1970-01-01 was a Thursday
  return static_cast<int>(w < 0 ? w + 7 : w);
}

long yymmdd_days(int yymmdd) {
  if (yymmdd < 0 || yymmdd > 991231) return NO_DAY;
  int y = full_year(yymmdd / 10000), m = yymmdd / 100 % 100, d = yymmdd % 100;
  return valid_date(y, m, d) ? day_number(y, m, d) : NO_DAY;
}

int mmddyy_of(long days) {
  int y, m, d;
  civil_date(days, &y, &m, &d);
  return m * 10000 + d * 100 + y % 100;
}

long mmddyy_days(int mmddyy) {
  if (mmddyy < 0) return NO_DAY;
  int m = mmddyy / 10000, d = mmddyy / 100 % 100, y = full_year(mmddyy % 100);
  return valid_date(y, m, d) ? day_number(y, m, d) : NO_DAY;
}

int clamp_int(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::clamp(v, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

int64_t clamp_volume(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 9.2e18) return INT64_MAX;
  if (v <= -9.2e18) return INT64_MIN;
  return static_cast<int64_t>(v);
}

std::string mmddyy_text(int d) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d/%02d/%02d", d / 10000 % 100, d / 100 % 100, d % 100);
  return text;
}

// Market data: dates with two-digit years, day keys, and (later) the tables
// and histories the charts work on.
#pragma once

#include <ctime>

// Two-digit years: 69..99 are 1969..1999, 00..68 are 2000..2068. Every
// comparison of file dates goes through the full year.
int full_year(int yy);
// Days in month m (1..12) of a full year y; 0 for a month out of range.
int days_in_month(int y, int m);
bool valid_date(int y, int m, int d);  // full year, month 1..12, day of month
// Days since 1970-01-01 of a valid date (full year).
long day_number(int y, int m, int d);
// Calendar date of a day number; weekday 0 Sunday .. 6 Saturday.
void civil_date(long days, int* y, int* m, int* d);
int weekday_of(long days);

// A YYMMDD integer (file names, history lines) as a day number; -1 when it
// is no valid date.
long yymmdd_days(int yymmdd);
// MMDDYY integer of a day number, and the day number of one (-1 if invalid).
int mmddyy_of(long days);
long mmddyy_days(int mmddyy);

// ---- loaded history ----
extern int num_days;   // days of the loaded history (0: nothing loaded)
extern int work_days;  // days of the work list shown on the chart

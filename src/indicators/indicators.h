// The day record, the indicators computed in place on one member's loaded
// days, the commission schedules and the small linear solver.
#pragma once

#include <cstdint>
#include <ctime>

#include "core/core.h"

// One day of one security, loaded or shown; work entries are the same record.
struct StockDay {
  float high, low, close;
  float stochk, stochks, stochd, rsi, mvavg, avgvol, stdev, pvline, range, macdslow, macdfast;
  int64_t volume;       // hundreds of shares; a year's bar of an index exceeds 32 bits
  time_t date;          // day key
  int32_t xpix, ypix;   // where the chart drew the day
  int32_t smon, sday, syear;  // first day of the period (two-digit year)
  int32_t emon, eday, eyear;  // last day of the period
  int32_t wday;         // 0 Sunday .. 6 Saturday
  int32_t nodata;       // 1 for a weekday without trading
  int32_t turnover;     // set by the price chart where the volume passes the shares
  float cmpclose;       // the comparison's close on the day (or the period's last); 0 none
};
using WorkDay = StockDay;

extern float macd_high;   // largest |fast| or |slow| of the last MACD run
extern float value_high;  // largest |pvline| seen; only ever raised

constexpr float NO_VALUE = -123456.0f;  // a day without trading has no value

// Days 1 .. last_day - 1 of sp are used; sp[0] is the header day.
void calc_stock_macd(StockDay* sp, int last_day);
void calc_stock_stoch(StockDay* sp, int last_day);
void calc_stock_mvavgs(StockDay* sp, int last_day);

// Against the comparison: the first of n days with both closes (-1 none);
// the close over the comparison's, 100 on the base day; the comparison's
// close scaled to start at the security's on the base day. NaN on a day
// without both closes.
int compare_base(const StockDay* days, int n);
double relative_strength(const StockDay& day, const StockDay& base);
double compare_overlay(const StockDay& day, const StockDay& base);

float getcomission(char broker, float p, int n);
// Solves a x = b for an order-m system (m <= 2), indices from 1; 0 on
// success, 1 when singular. a and b are left unchanged.
int gauss(const float a[3][3], const float b[3], float x[3], int m);

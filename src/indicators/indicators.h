// Indicators computed in place on one member's loaded days, the commission
// schedules and the small linear solver.
#pragma once

#include "data/data.h"

extern float macd_high;   // largest |fast| or |slow| of the last MACD run
extern float value_high;  // largest |pvline| seen; only ever raised

constexpr float NO_VALUE = -123456.0f;  // a day without trading has no value

// Days 1 .. last_day - 1 of sp are used; sp[0] is the header day.
void calc_stock_macd(StockDay* sp, int last_day);
void calc_stock_stoch(StockDay* sp, int last_day);
void calc_stock_mvavgs(StockDay* sp, int last_day);

float getcomission(char broker, float p, int n);
// Solves a x = b for an order-m system (m <= 2), indices from 1; 0 on
// success, 1 when singular. a and b are left unchanged.
int gauss(const float a[3][3], const float b[3], float x[3], int m);

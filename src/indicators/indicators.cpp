// MACD, price-volume line and range; stochastics; moving averages, average
// volume, standard deviation and RSI. Stored values and running sums are
// single precision, each update is computed in double precision.
#include "indicators/indicators.h"

#include <cmath>

#include "core/core.h"

float macd_high = 0;
float value_high = 0;

namespace {

float f(double v) { return static_cast<float>(v); }
double d(float v) { return static_cast<double>(v); }
bool trading(const StockDay& s) { return s.close != 0; }

// The day range in percent of the low; a low of 0 gives no range.
float day_range(const StockDay& s) {
  return s.low == 0 ? 0.0f : f((d(s.high) - s.low) / s.low * 100);
}

}  // namespace

void calc_stock_macd(StockDay* sp, int last_day) {
  Trace t("calc_stock_macd", "&sp=%ld", reinterpret_cast<long>(sp));
  macd_high = 0;
  sp[0].pvline = sp[0].range = NO_VALUE;
  sp[0].macdslow = sp[0].macdfast = 0;
  float fast = 0, slow = 0, p = 0;
  const StockDay* q = nullptr;  // the previous trading day
  for (int i = 1; i < last_day; ++i) {
    StockDay& s = sp[i];
    if (!trading(s)) {
      s.pvline = s.macdslow = s.macdfast = NO_VALUE;
      continue;
    }
    if (p == 0 || !q) {
      s.pvline = 0;
      s.range = 0;
    } else {
      s.pvline = f(d(q->pvline) + (d(s.close) - q->close) * s.volume * 100);
      s.range = s.close < q->close ? -day_range(s) : day_range(s);
      value_high = std::fmax(value_high, std::fabs(s.pvline));
    }
    if (i > 1) {
      fast = f(d(fast) * 0.846 + (d(s.close) - p) * 0.154);
      slow = f(d(slow) * 0.923 + (d(s.close) - p) * 0.077);
    }
    p = s.close;
    s.macdfast = fast;
    s.macdslow = slow;
    macd_high = std::fmax(macd_high, std::fmax(std::fabs(fast), std::fabs(slow)));
    q = &s;
  }
}

namespace {

// Highest high and lowest low over m trading days back from g (g included).
void window_extremes(const StockDay* sp, int g, int m, float* hi, float* lo) {
  for (int i = g, n = 0; i >= 1 && n < m; --i) {
    if (!trading(sp[i])) continue;
    *hi = std::fmax(*hi, sp[i].high);
    *lo = std::fmin(*lo, sp[i].low);
    ++n;
  }
}

float stoch_raw(float close, float hi, float lo) {
  return hi == lo ? 0.0f : f((d(close) - lo) / (d(hi) - lo) * 100);
}

}  // namespace

void calc_stock_stoch(StockDay* sp, int last_day) {
  Trace t("calc_stock_stoch", "&sp=%ld, last_day=%d", reinterpret_cast<long>(sp), last_day);
  int m = stochdays;
  if (m < 1 || last_day < m) return;
  float hi = 0, lo = 100000;
  int first = 0;
  for (int i = 1, n = 0; i < last_day; ++i) {
    if (!trading(sp[i])) continue;
    sp[i].stochks = sp[i].stochd = 0;
    hi = std::fmax(hi, sp[i].high);
    lo = std::fmin(lo, sp[i].low);
    if (++n == m) {
      first = i;
      break;
    }
  }
  if (!first) return;
  float raw = stoch_raw(sp[first].close, hi, lo);
  sp[first].stochd = sp[first].stochks = sp[first].stochk = raw;
  float s = raw, tt = raw;
  for (int g = first + 1; g < last_day; ++g) {
    StockDay& day = sp[g];
    day.stochk = day.stochks = day.stochd = 0;
    if (!trading(day)) continue;
    float h = 0, l = 1000000;
    window_extremes(sp, g, m, &h, &l);
    day.stochk = stoch_raw(day.close, h, l);
    day.stochks = s = f(2.0 / 3.0 * s + 1.0 / 3.0 * day.stochk);
    day.stochd = tt = f(2.0 / 3.0 * tt + 1.0 / 3.0 * day.stochks);
  }
}

namespace {

// RSI over n trading days back from day i.
float rsi_at(const StockDay* sp, int i, int n) {
  float up = 0, down = 0, c = sp[i].close;
  for (int j = i - 1, k = 0; j >= 1 && k < n; --j) {
    if (!trading(sp[j])) continue;
    if (c > sp[j].close) up = f(d(up) + (d(c) - sp[j].close));
    else if (c < sp[j].close) down = f(d(down) + (d(sp[j].close) - c));
    c = sp[j].close;
    ++k;
  }
  double u = d(up) / n, w = d(down) / n;
  return u + w == 0 ? 50.0f : f(u / (u + w) * 100);
}

// The weight total of the day- and volume-weighted averages.
double weight_total(const StockDay* sp, int i, int n, int kind) {
  double volume = 0;
  int found = 0;
  for (int j = i; j >= 1 && found < n; --j) {
    if (!trading(sp[j])) continue;
    volume += sp[j].volume;
    ++found;
  }
  return kind == 3 ? volume : found * (found + 1) / 2.0;
}

void averages_at(StockDay* sp, int i, int n, int kind) {
  StockDay& day = sp[i];
  double weights = kind == 1 ? 1 : weight_total(sp, i, n, kind);
  float sum = 0, sumsq = 0, mv = 0, avgvol = 0;
  for (int j = i, k = 0; j >= 1 && k < n; --j) {
    const StockDay& s = sp[j];
    if (!trading(s)) continue;
    sum = f(d(sum) + s.close);
    avgvol = f(d(avgvol) + s.volume);
    sumsq = f(d(sumsq) + d(s.close) * s.close);
    if (kind == 1) mv = f(d(mv) + s.close);
    else if (kind == 2) mv = f(d(mv) + d(s.close) * (n - k) / weights);
    else if (kind == 3) mv = f(d(mv) + d(s.close) * s.volume / weights);
    ++k;
  }
  double mean = d(sum) / n;
  double var = d(sumsq) / n - mean * mean;
  day.stdev = var > 0 ? f(std::sqrt(var)) : 0.0f;  // rounding can leave a tiny negative
  day.avgvol = f(d(avgvol) / n);
  day.mvavg = kind == 1 ? f(d(mv) / n) : mv;
}

}  // namespace

void calc_stock_mvavgs(StockDay* sp, int last_day) {
  Trace t("calc_stock_mvavgs", "&sp=%ld, last_day=%d", reinterpret_cast<long>(sp), last_day);
  int n = mvavgdays;
  if (mvavgtype == 0 || n <= 0 || last_day - 1 <= n) return;
  for (int i = last_day - 1; i >= n + 1; --i) {
    StockDay& day = sp[i];
    day.rsi = day.mvavg = day.avgvol = day.stdev = 0;
    if (!trading(day)) continue;
    day.rsi = rsi_at(sp, i, n);
    averages_at(sp, i, n, mvavgtype);
  }
}

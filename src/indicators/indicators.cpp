// MACD, price-volume line and range; stochastics; moving averages, average
// volume, standard deviation and RSI. Running sums and averages are carried
// in double precision; only the results are stored in the days' floats.
#include "indicators/indicators.h"

#include <cfloat>
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
  double fast = 0, slow = 0, pv = 0;  // carried in double: pvline runs over decades
  float p = 0;
  const StockDay* q = nullptr;  // the previous trading day
  for (int i = 1; i < last_day; ++i) {
    StockDay& s = sp[i];
    if (!trading(s)) {
      s.pvline = s.macdslow = s.macdfast = NO_VALUE;
      continue;
    }
    if (p == 0 || !q) {
      pv = 0;
      s.range = 0;
    } else {
      pv += (d(s.close) - q->close) * s.volume * 100;
      s.range = s.close < q->close ? -day_range(s) : day_range(s);
      value_high = std::fmax(value_high, f(std::fabs(pv)));
    }
    s.pvline = f(pv);
    if (i > 1) {
      fast = fast * 0.846 + (d(s.close) - p) * 0.154;
      slow = slow * 0.923 + (d(s.close) - p) * 0.077;
    }
    p = s.close;
    s.macdfast = f(fast);
    s.macdslow = f(slow);
    macd_high = std::fmax(macd_high, f(std::fmax(std::fabs(fast), std::fabs(slow))));
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
  float hi = 0, lo = FLT_MAX;
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
  double s = raw, tt = raw;
  for (int g = first + 1; g < last_day; ++g) {
    StockDay& day = sp[g];
    day.stochk = day.stochks = day.stochd = 0;
    if (!trading(day)) continue;
    float h = 0, l = FLT_MAX;
    window_extremes(sp, g, m, &h, &l);
    day.stochk = stoch_raw(day.close, h, l);
    s = 2.0 / 3.0 * s + 1.0 / 3.0 * day.stochk;
    tt = 2.0 / 3.0 * tt + 1.0 / 3.0 * s;
    day.stochks = f(s);
    day.stochd = f(tt);
  }
}

namespace {

// RSI over n trading days back from day i.
float rsi_at(const StockDay* sp, int i, int n) {
  double up = 0, down = 0, c = sp[i].close;
  for (int j = i - 1, k = 0; j >= 1 && k < n; --j) {
    if (!trading(sp[j])) continue;
    if (c > sp[j].close) up += c - sp[j].close;
    else if (c < sp[j].close) down += sp[j].close - c;
    c = sp[j].close;
    ++k;
  }
  double u = up / n, w = down / n;
  return u + w == 0 ? 50.0f : f(u / (u + w) * 100);
}

// The average of kind 1, 2 or 3 and the deviation over the n trading days
// back from day i (i included). The deviation is taken about the window's
// mean: sumsq/n - mean^2 cancels most of its digits for a high price with
// small moves.
void averages_at(StockDay* sp, int i, int n, int kind) {
  StockDay& day = sp[i];
  double sum = 0, volume = 0, weighted = 0, by_volume = 0;
  int found = 0;
  for (int j = i; j >= 1 && found < n; --j) {
    const StockDay& s = sp[j];
    if (!trading(s)) continue;
    sum += s.close;
    volume += s.volume;
    weighted += d(s.close) * (n - found);
    by_volume += d(s.close) * s.volume;
    ++found;
  }
  double mean = sum / n, squares = 0;
  for (int j = i, k = 0; j >= 1 && k < n; --j) {
    if (!trading(sp[j])) continue;
    squares += (sp[j].close - mean) * (sp[j].close - mean);
    ++k;
  }
  // Days missing from a short window count as closes of 0, as in sumsq/n - mean^2.
  double var = (squares + (n - found) * mean * mean) / n;
  day.stdev = var > 0 ? f(std::sqrt(var)) : 0.0f;
  day.avgvol = f(volume / n);
  double days_weight = found * (found + 1) / 2.0;
  if (kind == 1) day.mvavg = f(sum / n);
  else if (kind == 2) day.mvavg = f(weighted / days_weight);
  else if (kind == 3) day.mvavg = volume > 0 ? f(by_volume / volume) : 0.0f;  // no volume: no average
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

// ---- against the comparison ----

namespace {
bool both(const StockDay& d) { return d.close > 0 && d.cmpclose > 0; }
}  // namespace

int compare_base(const StockDay* days, int n) {
  for (int i = 0; i < n; ++i)
    if (both(days[i])) return i;
  return -1;
}

double relative_strength(const StockDay& day, const StockDay& base) {
  if (!both(day) || !both(base)) return NAN;
  return d(day.close) / d(day.cmpclose) / (d(base.close) / d(base.cmpclose)) * 100;
}

double compare_overlay(const StockDay& day, const StockDay& base) {
  if (day.cmpclose <= 0 || !both(base)) return NAN;
  return d(day.cmpclose) * d(base.close) / d(base.cmpclose);
}

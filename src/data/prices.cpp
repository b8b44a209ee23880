// Prices in 32nds, the shown window, and the price and volume scale.
#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/core.h"
#include "data/data.h"

int KD_sd, KD_sm, KD_sy, KD_ed, KD_em, KD_ey;
int KD_csd, KD_csm, KD_csy, KD_ced, KD_cem, KD_cey;
int zoomlvl;
int queryvdate;

int price_steps = 50, org_price_steps = 50, volume_steps = 50, org_volume_steps = 50;
float price_bottom, org_price_bottom, price_incr, org_price_incr;
float volume_incr;
int64_t volume_high;
float price_highv;

const char* const fstr[32] = {
    " ",     " 1/32", " 1/16", " 3/32", " 1/8 ", " 5/32", " 3/16", " 7/32",
    " 1/4 ", " 9/32", " 5/16", "11/32", " 3/8 ", "13/32", " 7/16", "15/32",
    " 1/2 ", "17/32", " 9/16", "19/32", " 5/8 ", "21/32", "11/16", "23/32",
    " 3/4 ", "25/32", "13/16", "27/32", " 7/8 ", "29/32", "15/16", "31/32"};

void makefrac(char* buf, double price, char layout) {
  Trace t("makefrac", "price=%f layout=%c", price, layout);
  double whole = std::trunc(price);
  const char* frac = "     ";
  double part = price - whole;
  for (int n = 1; n < 32; ++n)
    if (part == n / 32.0) {
      frac = fstr[n];
      break;
    }
  char digits[32];
  std::snprintf(digits, sizeof digits, "%.0f", whole);
  std::string text;
  if (layout == 'l') {
    std::string d = digits;
    if (d.size() > 2) d = d.substr(d.size() - 2);
    text = std::string(2 - d.size(), ' ') + d + "  " + std::string(frac + 1, 4);
  } else {
    text = std::string(digits) + " " + frac;
  }
  text.resize(8, ' ');
  std::memcpy(buf, text.data(), 8);
  buf[8] = '\0';
}

int set_day(int value) {
  Trace t("set_day", "value=%d", value);
  if (worklist.empty() || disp_days >= work_days || disp_days < 1) return value;
  const WorkDay& w = worklist[0][work_days - disp_days];
  KD_csd = w.eday;
  KD_csm = w.emon;
  KD_csy = w.eyear;
  return value;
}

// The first multiple of the step that reaches want, step counted from `from`.
static float first_step_at_least(float from, float step, double want) {
  if (from >= want) return from;
  return from + static_cast<float>(std::ceil((want - from) / step)) * step;
}

// 10 up to 500, 100 up to 5000, then 1000: the first value from 100 on that
// reaches a fiftieth of the highest volume.
static float volume_step(int64_t high) {
  double want = static_cast<double>(high / 50);  // integer division, as the steps are counted
  float v = first_step_at_least(100, 10, want);
  if (want > 500) v = first_step_at_least(500, 100, want);
  if (want > 5000) v = first_step_at_least(5000, 1000, want);
  return v;
}

void set_scale(float bottom, float top) {
  if (bottom > top) bottom = 0;  // no low at all: lows start at FLT_MAX, so that any price can be the lowest
  price_steps = org_price_steps = 50;
  price_bottom = org_price_bottom = bottom;
  double want = (static_cast<double>(top) - bottom) / price_steps;
  price_incr = org_price_incr = first_step_at_least(0.0625f, 0.0625f, want);
  volume_steps = org_volume_steps = 50;
  volume_incr = volume_step(volume_high);
}

// Over every member: the members of a group drawn apart share the scale.
void calc_price() {
  Trace t("calc_price");
  if (stocklist.empty()) return;
  float highest = 0, lowest = FLT_MAX;
  volume_high = 0;
  price_highv = 0;
  for (const HistoryMember& m : stocklist)
    for (int d = 1; d < num_days && d < static_cast<int>(m.days.size()); ++d) {
      const StockDay& s = m.days[d];
      if (s.volume > volume_high) volume_high = s.volume;
      if (s.high > highest) highest = s.high;
      float value = static_cast<float>(static_cast<double>(s.close) * s.volume);
      if (value > price_highv) price_highv = value;
      if (s.low != 0 && s.low < lowest) lowest = s.low;
    }
  set_scale(lowest, highest < 10 ? highest + 0.5f : highest + 1);
}


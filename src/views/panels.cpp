// The indicator panels: RSI, stochastics, MACD, the movement line and the
// dollar value, each over the shown days of member 0.
#include <algorithm>
#include <cmath>
#include <string>

#include "views/views.h"
#include "core/core.h"
#include "data/data.h"
#include "indicators/indicators.h"
#include "paint/paint.h"

namespace {

struct Scale {
  int ya;     // baseline of the last step
  float top;  // its value
  float bottom;
  int y(double v) const {
    if (bottom == top) return std::max(ylb_indent - bw, ylt_indent);
    double y = (v - top) / (static_cast<double>(bottom) - top) * (ylb_indent - ya) + ya - bw;
    return static_cast<int>(std::clamp(y, -1e6, 1e6));  // beyond the area: cut where drawn
  }
};

struct Panel {
  int steps, pixel_incr, width;
  double base, step;  // the bottom label and the step from one to the next
  const char* format;
};

// The frame every panel shares; false when nothing is loaded.
bool frame(const Panel& p, Scale* s) {
  if (num_days <= 1 || worklist.empty() || worklist[0].empty()) return false;
  const CompanyRec& cop = find_co(symbolname);
  draw_grid();
  draw_comp(&cop);
  draw_hashmarks(p.steps, p.pixel_incr);
  draw_hashvalues(p.width, p.base, p.step, p.pixel_incr, p.steps, p.format, &s->ya, &s->top);
  s->bottom = static_cast<float>(p.base);
  drawn_axis = {s->ya - bw, ylb_indent - bw, s->top, s->bottom};
  draw_datemarks();
  draw_datevalues(worklist[0].data());
  return true;
}

// The value of a day for one line, false when it has none.
using ValueOf = bool (*)(const WorkDay&, float*);

// One pass over the shown days; records keep the points drawn. The pass
// bridges days without a value and ends after a point at the right edge.
void pass(const Scale& s, ValueOf value, Role role, bool count) {
  std::vector<WorkDay>& work = worklist[0];
  if (count) disp_days = 0;
  bool have = false;
  int px = 0, py = 0, x = xlb_indent;
  for (int i = 0; i < work_days && i < static_cast<int>(work.size()); ++i) {
    x += day_pixel_space;
    if (count) ++disp_days;
    float v;
    if (!value(work[i], &v)) continue;
    int y = s.y(v);
    work[i].xpix = x - 3;
    work[i].ypix = y;
    if (have) plot_line(role, px - 1, py, x - 1, y);
    px = x;
    py = y;
    have = true;
    if (x >= xrt_indent) break;
  }
}

double per_step(double span, int steps) { return span / std::max(1, steps - 1); }

// The days a pass draws: up to the first at or past the right axis.
int shown_days() {
  int fit = day_pixel_space > 0 ? (xrt_indent - xlb_indent) / day_pixel_space + 1 : 0;
  return std::clamp(fit, 0, work_days);
}

}  // namespace

void draw_rsi() {
  Trace t("draw_rsi");
  Scale s{};
  if (!frame({rsi_steps, rsi_pixel_incr, 3, 0, 100.0f / std::max(1, rsi_steps), "%3.0f"}, &s)) return;
  pass(s, [](const WorkDay& d, float* v) { *v = d.rsi; return d.rsi != 0; }, Role::Range, true);
  paint_flush();
}

void draw_stoch() {
  Trace t("draw_stoch");
  if (stochdays == 0) {
    status("chart", __LINE__, "draw_stoch: stoch days is zero.  Set via indicators menu");
    return;
  }
  Scale s{};
  if (!frame({rsi_steps, rsi_pixel_incr, 3, 0, 100.0f / std::max(1, rsi_steps), "%3.0f"}, &s)) return;
  pass(s, [](const WorkDay& d, float* v) { *v = d.stochks; return d.stochks != 0; }, Role::Range, true);
  pass(s, [](const WorkDay& d, float* v) { *v = d.stochd; return d.stochd != 0; }, Role::Bol, false);
  draw_legend({{"%K slow:", Role::Range}, {"%D:", Role::Bol}}, true);
  paint_flush();
}

void draw_macd() {
  Trace t("draw_macd");
  Scale s{};
  Panel p{macd_steps, macd_pixel_incr, 8, -macd_high, per_step(2.0 * macd_high, macd_steps), "%8.2f"};
  if (!frame(p, &s)) return;
  // Both lines in one pass: a day counts only when both values are there.
  std::vector<WorkDay>& work = worklist[0];
  disp_days = 0;
  bool have = false;
  int px = 0, slow_y = 0, fast_y = 0, x = xlb_indent;
  for (int i = 0; i < work_days && i < static_cast<int>(work.size()); ++i) {
    x += day_pixel_space;
    ++disp_days;
    WorkDay& d = work[i];
    if (d.macdslow == NO_VALUE || d.macdfast == NO_VALUE) continue;
    int ys = s.y(d.macdslow), yf = s.y(d.macdfast);
    d.xpix = x - 3;
    d.ypix = ys;
    if (have) {
      plot_line(Role::Range, px - 1, slow_y, x - 1, ys);
      plot_line(Role::Bol, px - 1, fast_y, x - 1, yf);
    }
    px = x;
    slow_y = ys;
    fast_y = yf;
    have = true;
    if (x >= xrt_indent) break;
  }
  draw_legend({{"Slow:", Role::Range}, {"Fast:", Role::Bol}}, true);
  paint_flush();
}

void draw_avalue() {
  Trace t("draw_avalue");
  Scale s{};
  // The scale fits the line shown, in round steps; without a value shown,
  // from minus to plus the largest of all days.
  Panel p{value_steps, value_pixel_incr, 8, -value_high, per_step(2.0 * value_high, value_steps), "%7.2f"};
  double low = INFINITY, high = -INFINITY;
  for (int i = 0; i < shown_days() && i < static_cast<int>(worklist[0].size()); ++i)
    if (float v = worklist[0][static_cast<std::size_t>(i)].pvline; v != NO_VALUE) low = std::min<double>(low, v), high = std::max<double>(high, v);
  if (low <= high) {  // as many steps as the line needs, each taller
    NiceScale n = nice_scale(low, std::max(high, low + 1), value_steps);
    p.base = n.base, p.step = n.step, p.steps = n.steps;
    p.pixel_incr = (ylb_indent - ylt_indent) / p.steps;
  }
  if (!frame(p, &s)) return;
  pass(s, [](const WorkDay& d, float* v) { *v = d.pvline; return d.pvline != NO_VALUE; }, Role::Range, true);
  paint_flush();
}

void draw_gvalue() {
  Trace t("draw_gvalue");
  Scale s{};
  Panel p{value_steps, value_pixel_incr, 8, 0, per_step(price_highv * 100.0, value_steps), "%7.2f"};
  if (!frame(p, &s)) return;
  auto dollars = [](const WorkDay& d, float* v) {
    *v = static_cast<float>(static_cast<double>(d.close) * d.volume * 100);
    return d.volume != 0;
  };
  pass(s, dollars, Role::Range, true);
  paint_flush();
}

// ---- against the comparison ----

namespace {

// One line over the shown days, broken where a day has no value; the
// records keep the points drawn when `keep`.
void broken_line(double (*value)(const WorkDay&, const WorkDay&), const ValueAxis& axis, Role role, bool keep) {
  std::vector<WorkDay>& work = worklist[0];
  int n = shown_days(), base = compare_base(work.data(), n);
  if (base < 0) return;
  bool have = false;
  int lx = 0, ly = 0;
  for (int i = 0; i < n; ++i) {
    double v = value(work[i], work[base]);
    int x = xlb_indent + (i + 1) * day_pixel_space;
    if (std::isnan(v)) {
      have = false;
      continue;
    }
    int y = axis.y(v);
    if (keep) work[i].xpix = x - 3, work[i].ypix = y;
    if (have) plot_line(role, lx - 1, ly, x - 1, y);
    lx = x, ly = y, have = true;
  }
}

}  // namespace

void draw_compare_overlay() {
  if (worklist.empty() || compare_base(worklist[0].data(), shown_days()) < 0 || !drawn_axis.known()) return;
  broken_line(compare_overlay, drawn_axis, Role::Compare, false);
  static std::string name;
  name = compare_shown() + ":";
  if (!drawing_panel) draw_legend({{name.c_str(), Role::Compare}}, true);
}

void draw_relstrength() {
  Trace t("draw_relstrength");
  if (num_days <= 1 || worklist.empty()) return;
  std::vector<WorkDay>& work = worklist[0];
  int n = shown_days(), base = compare_base(work.data(), n);
  double low = INFINITY, high = -INFINITY;
  for (int i = 0; base >= 0 && i < n; ++i)
    if (double v = relative_strength(work[i], work[base]); !std::isnan(v)) low = std::min(low, v), high = std::max(high, v);
  if (!(low <= high)) low = 100, high = 100;  // nothing to compare: an empty scale about 100
  NiceScale ns = nice_scale(low, std::max(high, low + 1), rsi_steps);
  Panel p{ns.steps, (ylb_indent - ylt_indent) / ns.steps, 6, ns.base, ns.step, "%6.1f"};
  Scale s{};
  if (!frame(p, &s)) return;
  disp_days = n;
  broken_line(relative_strength, drawn_axis, Role::Range, true);
  paint_flush();
}

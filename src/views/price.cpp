// The price chart of a security or of every member of a group, and the
// volume chart.
#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "views/views.h"
#include "core/core.h"
#include "indicators/indicators.h"
#include "paint/paint.h"

namespace {

bool nothing_loaded() { return num_days <= 1 || worklist.empty() || worklist[0].empty(); }

bool inside(int y) { return y >= ylt_indent && y <= ylb_indent; }

// A linear map from values to pixels through (top, yA) and (bottom, ylb);
// a flat scale puts everything on its bottom line.
int map_value(double v, double top, double bottom, int ya, int offset) {
  if (bottom == top) return ylb_indent + offset;
  double y = (v - top) / (bottom - top) * (ylb_indent - ya) + ya + offset;
  return static_cast<int>(std::clamp(y, -1e6, 1e6));
}

// ---- scales that fit the days shown ----

// The days the chart draws, x left of the right axis.
int days_drawn(const std::vector<WorkDay>& work) {
  int fit = day_pixel_space > 0 ? (xrt_indent - xlb_indent - 1) / day_pixel_space : 0;
  return std::clamp(fit, 0, std::min(work_days, static_cast<int>(work.size())));
}

// The price scale from the lowest low to the highest high of the days
// drawn.
void fit_prices() {
  double low = INFINITY, high = -INFINITY;
  for (const std::vector<WorkDay>& work : worklist)
    for (int i = 0; i < days_drawn(work); ++i) {
      if (work[i].close == 0) continue;  // a day without trading
      high = std::max({high, static_cast<double>(work[i].high), static_cast<double>(work[i].close)});
      for (float v : {work[i].low, work[i].close})
        if (v > 0) low = std::min(low, static_cast<double>(v));
    }
  fit_price_scale(low, high);
}

void fit_volumes() {
  double high = 0;
  for (int i = 0; i < days_drawn(worklist[0]); ++i) high = std::max(high, static_cast<double>(worklist[0][i].volume));
  // A panel of the split screen has as many steps as its height allows at most.
  int most = drawing_panel ? volume_steps : org_volume_steps;
  double step = std::max(1.0, std::ceil(nice_step(high / std::max(1, most - 1))));
  volume_incr = static_cast<float>(step);
  int needed = std::clamp(static_cast<int>(std::ceil(high / step - 1e-9)) + 1, 2, std::max(most, 2));
  if (needed != volume_steps) volume_steps = needed, drawing_panel ? replace_panel() : calculate_indexs();
}

// ---- turnover marks: where the volume since the shown start passes the shares ----

void mark_turnover() {
  double shares = static_cast<double>(curvol) * 1000;
  if (!volflag || shares == 0) return;
  struct tm t = {};
  t.tm_mon = queryvdate / 10000 - 1;
  t.tm_mday = queryvdate % 10000 / 100;
  t.tm_year = queryvdate % 100;
  time_t from = timelocal(&t);
  const std::vector<StockDay>& days = stocklist[0].days;
  std::vector<WorkDay>& work = worklist[0];
  double sum = 0;
  for (int i = 1; i < num_days && i < static_cast<int>(days.size()); ++i) {
    if (days[i].date < from) continue;
    sum += static_cast<double>(days[i].volume) * 100;
    if (sum <= shares) continue;
    for (int w = 0; w < work_days; ++w)
      if (work[w].date == days[i].date) {
        work[w].turnover = 1;
        break;
      }
    sum -= shares;
  }
}

// ---- price labels ----

// `places` decimals: four, fewer where a price of $10,000 and more would
// overrun the column of nine.
void price_label(char* out, std::size_t size, float v, char axis, bool left, int places) {
  if (axis == '%') {
    if (stockbuyprice == 0) std::snprintf(out, size, "        ");
    else std::snprintf(out, size, left ? "%8.1f" : "%-8.1f", (v - stockbuyprice) / stockbuyprice * 100);
  } else if (format == 'f') {
    makefrac(out, v, 'l');
  } else {
    std::snprintf(out, size, left ? "%8.*f" : "%-8.*f", places, v);
  }
}

// The decimals of a column whose highest label is `top`: the same for all.
int price_places(double top) {
  char label[64];
  int places = 4;
  while (places > 0 && std::snprintf(label, sizeof label, "%.*f", places, top) > 9) --places;
  return places;
}

// The baseline of the price scale's first label.
int first_label_y() { return ylb_indent - 2 * bw + font_ascent / 2 + 1; }

// One column of price labels.
void price_labels(int x, char axis, bool left, bool show) {
  int y = first_label_y();
  int gap = font_height + 1;
  float v = price_bottom;
  int places = price_places(price_bottom + static_cast<double>(price_incr) * std::max(0, price_steps - 1));
  for (int k = 0; k < price_steps; ++k) {
    if (gap > font_height) {
      char label[32];
      price_label(label, sizeof label, v, axis, left, places);
      if (show) paint_text(KD_MainWin, Role::Graph, x, y, label);
      if (gridstate == 1)
        paint_line(KD_MainWin, Role::Grid, xlb_indent, y - font_ascent / 2, xrb_indent, y - font_ascent / 2);
      gap = 0;
    }
    gap += price_pixel_incr;
    y -= price_pixel_incr;
    v = static_cast<float>(price_bottom + static_cast<double>(price_incr) * (k + 1));
  }
}

// ---- one member's days ----

struct PriceScale {
  int ya;       // baseline of the last label step
  float va;     // its value
  int y(double p) const { return map_value(p, va, price_bottom, ya, -bw); }
  // The price drawn at row y.
  double at(int y) const {
    if (va == price_bottom || ya == ylb_indent) return price_bottom;
    return va + static_cast<double>(y - ya + bw) * (price_bottom - va) / (ylb_indent - ya);
  }
  // Lines (averages, bands) map from one step higher, offset the other way.
  int line_y(double p) const {
    double top = price_bottom + static_cast<double>(price_incr) * price_steps;
    return map_value(p, top, price_bottom, ya, bw);
  }
};

PriceScale price_scale() {
  int last = std::max(0, price_steps - 1);
  return {first_label_y() - last * price_pixel_incr,
          static_cast<float>(price_bottom + static_cast<double>(price_incr) * last)};
}

void dot(Role role, int x, int y) {
  if (inside(y)) paint_fill(KD_MainWin, role, x - 3, y, 2, 2);
}

// Bar look: a high-low (or high-close, close-low) bar and the close dot.
int draw_bar(int x, int type, int yh, int yl, int yc) {
  switch (type) {
    case 7:
    case 3: plot_line(Role::Range, x - 1, yh, x - 1, yl); break;
    case 5: plot_line(Role::Range, x - 1, yh, x - 1, yc); break;
    case 6: plot_line(Role::Range, x - 1, yc, x - 1, yl); break;
    default: break;
  }
  switch (type) {
    case 3:
    case 5: return yh;
    case 6: return yc;
    case 1: dot(Role::Member, x, yh); return yh;
    case 2: dot(Role::Member, x, yl); return yl;
    default: dot(Role::Member, x, yc); return yc;  // 7, 4, and 0
  }
}

// Dot look: each chosen price as a dot; false when none is chosen.
bool draw_dots(int x, int type, int yh, int yl, int yc, int* last) {
  bool any = false;
  if (type & 1) { dot(Role::High, x, yh); *last = yh; any = true; }
  if (type & 2) { dot(Role::Low, x, yl); *last = yl; any = true; }
  if (type & 4) { dot(Role::Member, x, yc); *last = yc; any = true; }
  return any;
}

struct Extremes {
  float high = 0, low = FLT_MAX;  // of the closes, over every member drawn so far
};

void draw_member_days(std::vector<WorkDay>& work, const PriceScale& s, Extremes* e) {
  int type = pricetype & 7;
  disp_days = 0;
  for (int i = 0; i < work_days && i < static_cast<int>(work.size()); ++i) {
    int x = xlb_indent + (i + 1) * day_pixel_space;
    if (x >= xrt_indent) break;
    WorkDay& day = work[i];
    ++disp_days;
    if (mark == 2 && day.date == mark_rd) paint_line(KD_MainWin, Role::Grid, x, ylb_indent, x, ylt_indent);
    e->high = std::max(e->high, day.close);
    if (day.close > 0) e->low = std::min(e->low, day.close);
    int yh = s.y(day.high), yl = s.y(day.low), yc = s.y(day.close);
    day.xpix = x - 3;
    if (quotelook == 'b') day.ypix = draw_bar(x, type, yh, yl, yc);
    else draw_dots(x, type, yh, yl, yc, &day.ypix);
    if (volflag && day.turnover) {
      paint_line(KD_MainWin, Role::Graph, x, ylt_indent, x, ylb_indent);
      day.turnover = 0;
    }
  }
}

// A line through the days' values; days whose value is `skip` are left out.
template <typename Value>
void value_line(const std::vector<WorkDay>& work, Role role, Value value, float skip, int (*map)(double, const void*),
                const void* scale) {
  bool have = false;
  int px = 0, py = 0;
  for (int i = 0; i < work_days && i < static_cast<int>(work.size()); ++i) {
    int x = xlb_indent + (i + 1) * day_pixel_space;
    if (x >= xrt_indent) break;
    float v;
    if (!value(work[i], &v) || v == skip) continue;
    int y = map(v, scale);
    if (have) plot_line(role, px, py, x, y);
    px = x;
    py = y;
    have = true;
  }
}

int price_line_y(double p, const void* s) { return static_cast<const PriceScale*>(s)->line_y(p); }

void draw_averages(const std::vector<WorkDay>& work, const PriceScale& s) {
  if (mvavgflag && mvavgdays && mvavgtype)
    value_line(work, Role::Mvavg, [](const WorkDay& d, float* v) { *v = d.mvavg; return true; }, 0, price_line_y, &s);
  if (bollingerflag && bolstd != 0) {
    auto upper = [](const WorkDay& d, float* v) {
      *v = static_cast<float>(d.mvavg + static_cast<double>(bolstd) * d.stdev);
      return d.stdev != 0;
    };
    auto lower = [](const WorkDay& d, float* v) {
      *v = static_cast<float>(d.mvavg - static_cast<double>(bolstd) * d.stdev);
      return d.stdev != 0;
    };
    value_line(work, Role::Bol, upper, NAN, price_line_y, &s);
    value_line(work, Role::Bol, lower, NAN, price_line_y, &s);
  }
}

void level_line(int y) { plot_line(Role::Graph, xlt_indent, y, xrt_indent, y); }

void draw_fibonacci(const Extremes& e, const PriceScale& s) {
  if (!fibflag || e.high < e.low) return;
  double range = static_cast<double>(e.high) - e.low;
  level_line(s.y(range * fibhigh + e.low));
  level_line(s.y(range * fiblow + e.low));
}

void draw_break_even(const PriceScale& s) {
  if (buyvolume == 0 || stockbuyprice == 0) return;
  double b = stockbuyprice + static_cast<double>(getcomission(broker, stockbuyprice, buyvolume)) / buyvolume;
  if (b >= price_bottom && b <= s.va) level_line(s.y(b));
}

}  // namespace

void fit_price_scale(double low, double high) {
  if (!(low <= high)) return;
  // As many steps as the scale needs, taller; a panel of the split screen
  // has as many as its height allows at most.
  int most = drawing_panel ? price_steps : org_price_steps;
  NiceScale s = nice_scale(low, std::max(high, low + high * 0.01), most);
  price_bottom = static_cast<float>(s.base);
  price_incr = static_cast<float>(s.step);
  if (s.steps != price_steps) price_steps = s.steps, drawing_panel ? replace_panel() : calculate_indexs();
}

double price_at(int y) { return price_scale().at(y); }

void draw_stock() {
  Trace t("draw_stock");
  if (nothing_loaded()) return;
  const CompanyRec& cop = find_co(symbolname);
  if (fitshown) fit_prices();
  mark_turnover();
  draw_grid();
  draw_comp(&cop);
  draw_hashmarks(price_steps, price_pixel_incr);
  price_labels(xlb_indent - 4 * bw - 9 * font_width, laxis, true, laxis != 'n');
  if (raxis != 'n') price_labels(xrb_indent + 5 * bw, raxis, false, true);
  PriceScale s = price_scale();
  drawn_axis = {s.ya - bw, ylb_indent - bw, s.va, price_bottom};
  draw_datemarks();
  draw_datevalues(worklist[0].data());
  Extremes e;
  for (std::size_t g = 0; g < worklist.size() && !worklist[g].empty(); ++g) {
    member_gc = g < stocklist.size() ? stocklist[g].gc : nullptr;
    draw_member_days(worklist[g], s, &e);
    draw_averages(worklist[g], s);
    draw_fibonacci(e, s);
  }
  draw_break_even(s);
  draw_compare_overlay();
  paint_flush();
}

// ---- volume ----

namespace {

// "%6.1fM" and the like, with more decimals where labels `step` apart would
// read alike; on the right the number is left-aligned and the unit takes
// the first blank.
void volume_label(char* out, std::size_t size, double w, double step, bool left) {
  double divisor = w > 1e6 ? 1e6 : w > 1000 ? 1000 : 1, shown = w / divisor;
  char unit = w > 1e6 ? 'M' : w > 1000 ? 'K' : ' ';
  int places = std::max(unit == ' ' ? 0 : 1, step_places(step / divisor));
  if (left) {
    std::snprintf(out, size, "%6.*f", places, shown);
    if (unit != ' ') std::strncat(out, &unit, 1);
    return;
  }
  std::snprintf(out, size, "%-6.*f", places, shown);
  char* blank = static_cast<char*>(std::memchr(out, ' ', std::min<std::size_t>(7, std::strlen(out))));
  if (blank) {
    blank[0] = unit;
    blank[1] = '\0';
  } else if (std::strlen(out) > 8) {
    out[8] = '\0';
  }
}

struct VolumeScale {
  int ya;
  double ua;
  int y(double v) const { return map_value(v, ua, 0, ya, -bw); }
  double height(double v) const { return ua > 0 ? v / ua * (ylb_indent - ya) : 0; }  // in pixels, unrounded
};

VolumeScale volume_labels() {
  int y = ylb_indent - 2 * bw + font_ascent / 2 + 1;
  int gap = font_height + 1;
  // Labels stand a few steps apart where the steps are close.
  double label_step = std::trunc(static_cast<double>(volume_incr)) * 100 *
                      std::max(1, (font_height + volume_pixel_incr) / std::max(volume_pixel_incr, 1));
  double u = 0;
  VolumeScale s{y, 0};
  for (int k = 0; k < volume_steps && y >= ylt_indent; ++k) {
    if (gap > font_height) {
      char label[32];
      double w = u * 100;
      if (laxis == 'p') {
        volume_label(label, sizeof label, w, label_step, true);
        paint_text(KD_MainWin, Role::Graph, xlb_indent - 4 * bw - 8 * font_width, y, label);
      }
      if (raxis == 'p') {
        volume_label(label, sizeof label, w, label_step, false);
        paint_text(KD_MainWin, Role::Graph, xrb_indent + 5 * bw, y, label);
      }
      if (gridstate == 1)
        paint_line(KD_MainWin, Role::Grid, xlb_indent, y - font_ascent / 2, xrb_indent, y - font_ascent / 2);
      gap = 0;
    }
    s = VolumeScale{y, u};
    u = std::trunc(static_cast<double>(volume_incr)) * (k + 1);
    gap += volume_pixel_incr;
    if (volume_pixel_incr <= 0) break;
    y -= volume_pixel_incr;
  }
  return s;
}

// Multiples of the average volume on a percent axis, each where a bar of
// that volume reaches; an average below a pixel has no multiples to show.
void average_multiples(int x, const VolumeScale& s) {
  if (s.height(static_cast<double>(stockbuyavol)) < 1) return;
  int labelled = INT_MAX;
  for (int k = 1;; ++k) {
    int y = s.y(static_cast<double>(stockbuyavol) * k);
    if (y <= ylt_indent) break;
    if (labelled - y > font_height) {
      char text[16];
      std::snprintf(text, sizeof text, "%3dx", k);
      paint_text(KD_MainWin, Role::Graph, x, y + font_ascent / 2, text);
      labelled = y;
    }
  }
}

int volume_line_y(double a, const void* s) {
  const VolumeScale* v = static_cast<const VolumeScale*>(s);
  double top = static_cast<int>(static_cast<double>(volume_incr) * volume_steps);
  return map_value(a, top, 0, v->ya, bw);
}

}  // namespace

void draw_volume() {
  Trace t("draw_volume");
  if (debuglvl >= 2)
    debug("%d-> draw_volume: num_days=%d symbol=%s &worklist[0]=%d\n", stkind, num_days, symbolname, 0);
  if (nothing_loaded()) return;
  const CompanyRec& cop = find_co(symbolname);
  // A week's or longer bar adds the days up: a scale of single days would
  // cut it. Fitted for this drawing only, unless the scales fit the days
  // shown anyway; a zoom's box keeps its scale.
  struct Kept {
    bool on;
    int steps = volume_steps;
    float incr = volume_incr;
    ~Kept() {
      if (on) volume_steps = steps, volume_incr = incr, calculate_indexs();
    }
  } kept{!fitshown && !drawing_panel && graph_type != 1 && zoomlvl == 0};
  if (fitshown || (graph_type != 1 && zoomlvl == 0)) fit_volumes();
  draw_grid();
  draw_comp(&cop);
  draw_hashmarks(volume_steps, volume_pixel_incr);
  VolumeScale s = volume_labels();
  drawn_axis = {s.ya - bw, ylb_indent - bw, s.ua * 100, 0};  // in shares
  if (laxis == '%') average_multiples(xlb_indent - 6 * font_width, s);
  if (raxis == '%') average_multiples(xrb_indent, s);
  draw_datemarks();
  draw_datevalues(worklist[0].data());
  std::vector<WorkDay>& work = worklist[0];
  disp_days = 0;
  for (int i = 0; i < work_days && i < static_cast<int>(work.size()); ++i) {
    int x = xlb_indent + (i + 1) * day_pixel_space;
    if (x >= xrt_indent) break;
    ++disp_days;
    int y = std::max(s.y(work[i].volume), ylt_indent);
    if (work[i].volume != 0) paint_fill(KD_MainWin, Role::Close, x - 3, y, 2, ylb_indent - y);
    work[i].xpix = x - 3;
    work[i].ypix = y;
  }
  if (mvavgflag && mvavgdays && mvavgtype)
    value_line(work, Role::Mvavg, [](const WorkDay& d, float* v) { *v = d.avgvol; return true; }, 0, volume_line_y,
               &s);
  paint_flush();
}

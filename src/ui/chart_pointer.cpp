// The chart area under the pointer: the tracking read-out of the day under
// it, the zoom rectangle that becomes the shown prices and days, and the
// day of the volume mark.
#include <X11/cursorfont.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/core.h"
#include "data/data.h"
#include "indicators/indicators.h"
#include "ui/ui.h"
#include "views/views.h"

int zoom;
int z_x0 = -1, z_x1, z_y0, z_y1;
int Z_sd, Z_sm, Z_sy, Z_ed, Z_em, Z_ey;

namespace {

// One past the last work day of w that the chart drew (days not drawn have
// no position).
int drawn_end(const std::vector<WorkDay>& w) {
  int n = std::min(work_days, static_cast<int>(w.size()));
  while (n > 0 && w[n - 1].xpix < 0) --n;
  return n;
}

}  // namespace

void mark_day(int x) {
  set_cursor(XC_center_ptr);
  mark = 0;
  if (worklist.empty()) return;
  for (int i = 0; i < drawn_end(worklist[0]); ++i)
    if (worklist[0][i].xpix > x) {
      mark_rd = worklist[0][i].date;
      mark = 2;
      draw_chart();
      return;
    }
}

// The chosen rectangle becomes the shown range of prices and days.
void complete_zoom() {
  if (z_x0 != -1 && !worklist.empty() && work_days > 0 && drawn_end(worklist[0]) > 0) {  // some day placed to choose from
    double span = static_cast<double>(ylt_indent - ylb_indent);
    if (graphlook == View::Price) {  // the prices drawn at the box's edges, read back through the scale
      fit_price_scale(price_at(z_y0 + z_y1), price_at(z_y0));
    } else if (graphlook == View::Volume && volume_pixel_incr > 0) {
      volume_steps = std::max(1, (ylb_indent - z_y0) / volume_pixel_incr);
    } else if (graphlook == View::Split) {  // the days for every panel; prices when drawn in the price panel
      if (const SplitPanel* p = split_panel_at(z_y0); p && p->letter == 's')  // a box dragged on below stops at the panel
        fit_price_scale(split_price_at(*p, std::min(z_y0 + z_y1, p->bottom)), split_price_at(*p, z_y0));
    } else if (graphlook == View::Macd && span != 0 && macd_steps > 1) {
      double step = macd_high * 2.0 / (macd_steps - 1);
      macd_high = static_cast<float>((z_y0 + z_y1 - ylb_indent) / span * step * macd_steps / 2);
    }
    std::vector<WorkDay>& w0 = worklist[0];
    int n = drawn_end(w0);
    int i0 = 0;
    while (i0 < n && w0[i0].xpix <= z_x0) ++i0;
    if (i0 == n) i0 = 0;
    if (i0 > 0) --i0;
    int i1 = i0;
    while (i1 < n - 1 && w0[i1].xpix <= z_x0 + z_x1) ++i1;
    for (std::vector<WorkDay>& w : worklist)
      if (static_cast<int>(w.size()) >= n) std::copy(w.begin() + i0, w.begin() + i1 + 1, w.begin());
    work_days = i1 - i0 + 1;
    Z_sd = KD_csd, Z_sm = KD_csm, Z_sy = KD_csy, Z_ed = KD_ced, Z_em = KD_cem, Z_ey = KD_cey;
    KD_csd = w0[0].eday, KD_csm = w0[0].emon, KD_csy = w0[0].eyear;
    const WorkDay& l = w0[work_days - 1];
    KD_ced = l.eday, KD_cem = l.emon, KD_cey = l.eyear;
    ++zoomlvl;
  }
  z_x0 = -1;
  zoom_x = zoom_y = -1;
  zoom = 0;
  set_cursor(XC_center_ptr);
  if (KD_Display) XSelectInput(KD_Display, KD_MainWin, main_window_mask());
  calculate_globals();
  draw_chart();
}

namespace {

// An amount with a B (dollars only), M or K scale, or none.
void scaled(double v, bool billions, double* shown, char* unit) {
  double m = std::fabs(v);
  if (billions && m > 1e9) *shown = v / 1e9, *unit = 'B';
  else if (m > 1e6) *shown = v / 1e6, *unit = 'M';
  else if (m > 1000) *shown = v / 1000, *unit = 'K';
  else *shown = v, *unit = ' ';
}

double macd_shown(float v) { return v == NO_VALUE ? 0 : v; }

// The work day under the pointer: the one at or just left of it; before
// the first day the first, after the last the last.
const WorkDay* day_at(int x, int y) {
  for (std::size_t g = 0; g < worklist.size(); ++g) {
    const std::vector<WorkDay>& w = worklist[g];
    int n = drawn_end(w), i = -1;
    for (int k = 0; k < n; ++k)
      if (w[k].xpix >= 0 && (i < 0 || w[k].xpix <= x)) i = k;
    if (i < 0) continue;
    if (graphlook == View::Group && groupmode != 't' && std::abs(w[i].ypix - y) > 5) continue;
    return &w[i];
  }
  return nullptr;
}

// A read-out line: its values, each in the colour of the line or bars it
// reads, centred over the chart. The whole text, for what follows it.
using Pieces = std::vector<std::pair<std::string, Role>>;

std::string piece(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string piece(const char* format, ...) {
  char text[96];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

std::string track_line(int index, const Pieces& pieces) {
  int baseline = ylt_indent - static_cast<int>(2.5 * font_height) + index * font_height;
  paint_fill(KD_MainWin, Role::GC0, 0, baseline - font_ascent, main_win_width, font_height);
  std::string text;
  for (const auto& p : pieces) text += p.first;
  int len = static_cast<int>(text.size());
  int x = std::max(xlt_indent, xlt_indent + (main_win_width - len * font_width - 2 * xlt_indent) / 2);
  for (const auto& [t, role] : pieces) {
    paint_text(KD_MainWin, role, x, baseline, t.c_str());
    x += static_cast<int>(t.size()) * font_width;
  }
  return text;
}

// "Tot-Vol": the volume from the marked day up to the pointer's day.
void total_volume(const WorkDay& day, const char* line3) {
  const std::vector<WorkDay>& w = worklist[0];
  int n = drawn_end(w);
  int marked = -1, here = -1;
  for (int i = 0; i < n; ++i) {
    if (marked < 0 && w[i].date == mark_rd) marked = i;
    if (here < 0 && w[i].xpix >= 0 && w[i].xpix >= day.xpix) here = i;
  }
  if (marked < 0 || here < 0) return;
  double sum = 0;
  for (int i = std::min(marked, here); i < std::max(marked, here); ++i) sum += w[i].volume;
  double shown;
  char unit, text[48];
  scaled(sum * 100, false, &shown, &unit);
  std::snprintf(text, sizeof text, "Tot-Vol %6.2f%c", shown, unit);
  int len = static_cast<int>(std::strlen(line3));
  int x = std::max(xlt_indent, xlt_indent + (main_win_width - len * font_width - 2 * xlt_indent) / 2);
  int baseline = ylt_indent - static_cast<int>(2.5 * font_height) + 2 * font_height;
  paint_text(KD_MainWin, Role::Graph, x + (len + 1) * font_width, baseline, text);
}

// The crosshair drawn last: drawn again, in exclusive-or, it is gone, so
// that moving it redraws no panel.
struct Crosshair {
  unsigned long drawing = ~0UL;  // the clearing of the window it was drawn after: none shown
  int x = 0, top = 0, bottom = 0, y = -1, left = 0, right = 0;
  std::string value;
  void toggle() const {
    paint_line(KD_MainWin, Role::XOR, x, top, x, bottom);
    if (y < 0) return;
    paint_line(KD_MainWin, Role::XOR, left, y, right, y);
    if (!value.empty()) paint_text(KD_MainWin, Role::XOR, right + 5 * bw, y + font_ascent / 2, value.c_str());
  }
};
Crosshair crosshair;

std::string axis_value(double v) {
  char text[32];
  if (std::fabs(v) < 1000) {
    std::snprintf(text, sizeof text, "%.2f", v);
  } else {
    double shown;
    char unit;
    scaled(v, true, &shown, &unit);
    std::snprintf(text, sizeof text, "%.1f%c", shown, unit);
  }
  return text;
}

void hide_crosshair() {
  if (crosshair.drawing == chart_draws) crosshair.toggle();
  crosshair.drawing = ~0UL;
}

// A vertical line through every panel at the day's bar, and a horizontal
// one at the pointer in the panel under it, with the value of that height.
void move_crosshair(const WorkDay& day, int y) {
  hide_crosshair();
  Crosshair c;
  c.drawing = chart_draws;
  c.x = day.xpix + 2;
  const std::vector<SplitPanel>& panels = split_panels();
  bool split = graphlook == View::Split && !panels.empty();
  c.top = split ? panels.front().top : ylt_indent;
  c.bottom = split ? panels.back().bottom : ylb_indent;
  const SplitPanel* p = split ? split_panel_at(y) : nullptr;
  if (!split || p) {
    const ValueAxis& axis = p ? p->axis : drawn_axis;
    c.y = y, c.left = xlb_indent, c.right = xrt_indent;
    if (axis.known()) c.value = axis_value(axis.at(y));
  }
  c.toggle();
  crosshair = c;
}

void track(int x, int y) {
  const WorkDay* d = day_at(x, y);
  if (!d) return;
  hide_crosshair();  // first: its value may reach into the read-out's lines
  double dollars, vol, mvol;
  char u1, u2, u3;
  scaled(static_cast<double>(d->volume) * 100 * d->close, true, &dollars, &u1);
  scaled(static_cast<double>(d->volume) * 100, false, &vol, &u2);
  scaled(static_cast<double>(d->avgvol) * 100, false, &mvol, &u3);
  // The band as drawn, and the date as the screens write it (the column kept).
  double band = static_cast<double>(bolstd) * d->stdev;
  char date[16];
  std::snprintf(date, sizeof date, "%d/%d/%02d", d->emon, d->eday, d->eyear % 100);
  using enum Role;
  track_line(0, {{piece("Date %-8.8s ", date), Graph}, {piece("High %7.3f ", d->high), High},
                 {piece("Bol-top %7.3f     ", d->mvavg + band), Bol}, {piece("RSI %3.0f   ", d->rsi), Range},
                 {piece("Macd-f %7.3f ", macd_shown(d->macdfast)), Bol}, {piece("Cls*Vol $%6.2f%c", dollars, u1), Range}});
  Pieces l2 = {{piece(" Vol %6.2f%c   ", vol, u2), Close}, {piece("Low %7.3f ", d->low), Low},
               {piece("Bol-bot %7.3f ", d->mvavg - band), Bol}, {piece("Stoch-k %3.0f   ", d->stochks), Range},
               {piece("Macd-s %7.3f", macd_shown(d->macdslow)), Range}};
  Pieces l3 = {{piece("Mvol %6.2f%c ", mvol, u3), Mvavg}, {piece("Close %7.3f    ", d->close), Close},
               {piece("Mavg %7.3f ", d->mvavg), Mvavg}, {piece("Stoch-d %3.0f ", d->stochd), Bol},
               {piece("Volatity %7.3f", d->range), Graph}};
  // Against the comparison: its close, and the relative strength when the
  // day has both closes (the two ends of the shorter lines).
  int base = compare_base(worklist[0].data(), drawn_end(worklist[0]));
  if (d->cmpclose > 0 && base >= 0) {
    l2.emplace_back(piece(" Cmp %7.3f", d->cmpclose), Compare);
    double rs = relative_strength(*d, worklist[0][static_cast<std::size_t>(base)]);
    if (!std::isnan(rs)) l3.emplace_back(piece(" RS %6.1f", rs), Range);
  }
  track_line(1, l2);
  std::string line3 = track_line(2, l3);
  if (mark == 2) total_volume(*d, line3.c_str());
  move_crosshair(*d, y);
  paint_flush();
}

}  // namespace

void mousemove() {
  Trace t("mousemove");
  if (worklist.empty()) return;
  int x = KD_Event.xmotion.x, y = KD_Event.xmotion.y;
  if (zoom == 1) {
    if (zoom_x == -1) return;
    if (z_x0 != -1) paint_rect(KD_MainWin, Role::XOR, z_x0, z_y0, z_x1, z_y1);
    z_x0 = std::min(x, zoom_x);
    z_y0 = std::min(y, zoom_y);
    z_x1 = std::abs(x - zoom_x);
    z_y1 = std::abs(y - zoom_y);
    paint_rect(KD_MainWin, Role::XOR, z_x0, z_y0, z_x1, z_y1);
    paint_flush();
    return;
  }
  if (trackstate != 1 || graphlook == View::Query || graphlook == View::Groups || graphlook == View::Companies) return;
  if (x < xlt_indent || x > xrt_indent || y < ylt_indent || y > ylb_indent) return hide_crosshair();
  track(x, y);
}

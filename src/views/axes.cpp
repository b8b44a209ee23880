// The axis lines, hash marks, value labels, day ticks and date labels that
// every chart shares.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "views/views.h"
#include "core/core.h"
#include "paint/paint.h"

int mark;
time_t mark_rd;
int buyvolume;
int arrow_index;
int queryflag;

void draw_grid() {
  Trace t("draw_grid");
  if (laxis != 'n') paint_fill(KD_MainWin, Role::Graph, xlt_indent, ylt_indent, bw, ylb_indent - ylt_indent + 1);
  paint_fill(KD_MainWin, Role::Graph, xlb_indent, ylb_indent - bw + 1, xrb_indent - xlb_indent + bw, bw);
  if (raxis != 'n') paint_fill(KD_MainWin, Role::Graph, xrt_indent, yrt_indent, bw, yrb_indent - yrt_indent + 1);
}

void draw_hashmarks(int steps, int pixel_incr) {
  Trace t("draw_hashmarks", "steps=%d pixel_incr=%d", steps, pixel_incr);
  int y = ylb_indent - 2 * bw + 1;
  for (int k = 0; k < steps && y >= ylt_indent; ++k) {
    if (laxis != 'n') paint_fill(KD_MainWin, Role::Graph, xlb_indent - 4 * bw, y, 4 * bw, 2 * bw);
    if (raxis != 'n') paint_fill(KD_MainWin, Role::Graph, xrb_indent, y, 4 * bw, 2 * bw);
    if (pixel_incr <= 0) break;  // a flat scale has one mark
    y -= pixel_incr;
  }
}

// v with its sign and a K, M or B suffix, in the caller's format ("%7.2f"),
// with as many more decimals as a step of `step` needs to tell two labels
// apart, but no more than `most`.
static int magnitude_label(char* out, std::size_t size, const char* format, double v, double step, int most) {
  double m = std::fabs(v), unit = 1;
  char suffix = ' ';
  if (m >= 1e9) unit = 1e9, suffix = 'B';
  else if (m >= 1e6) unit = 1e6, suffix = 'M';
  else if (m >= 1000) unit = 1000, suffix = 'K';
  int width = 0, places = 0;
  std::sscanf(format, "%%%d.%df", &width, &places);
  places = std::min(most, std::max(places, step_places(step / unit)));
  double shown = v / unit;
  if (std::fabs(shown) < 0.5 * std::pow(10.0, -places)) shown = 0;  // no "-0.00" from a sum that drifted
  int n = std::snprintf(out, size, "%*.*f", width, places, shown);
  if (n >= 0 && static_cast<std::size_t>(n) + 1 < size) {
    out[n] = suffix;
    out[n + 1] = '\0';
  }
  return n + (suffix != ' ');
}

// The most decimals with which the labels from `low` to `high` keep to a
// column of `columns` characters (a MACD of 187.18 in five): the longest
// label is one of the two ends.
static int places_that_fit(int columns, const char* format, double low, double high, double step) {
  char label[64];
  int places = 9;
  for (double v : {low, high})
    while (places > 0 && magnitude_label(label, sizeof label, format, v, step, places) > columns) --places;
  return places;
}

double nice_step(double want, bool quarters) {
  if (!(want > 1e-6)) return 1e-6;
  double unit = std::pow(10.0, std::floor(std::log10(want)));
  for (double m : {1.0, 2.0, 2.5, 5.0})
    if ((m != 2.5 || quarters) && m * unit >= want * (1 - 1e-9)) return m * unit;
  return 10 * unit;
}

NiceScale nice_scale(double low, double high, int steps, bool quarters) {
  int spans = std::max(1, steps - 1);
  double step = nice_step((high - low) / spans, quarters), base = std::floor(low / step) * step;
  while (base + step * spans < high) step = nice_step(step * 1.001, quarters), base = std::floor(low / step) * step;
  int needed = static_cast<int>(std::ceil((high - base) / step - 1e-9)) + 1;
  return {base, step, std::clamp(needed, 2, std::max(steps, 2))};
}

void draw_legend(const std::vector<LegendEntry>& entries, bool inside) {
  struct Placed { int column, row; };
  std::vector<Placed> placed;
  int columns = font_width > 0 ? (main_win_width - xlt_indent) / font_width : 0, column = 0, row = 0;
  for (const LegendEntry& e : entries) {
    int len = static_cast<int>(std::strlen(e.name)) + 6;  // the name, a blank, a sample of four, a gap
    if (column > 0 && column + len > columns) column = 0, ++row;
    placed.push_back({column, row});
    column += len + 1;
  }
  for (std::size_t k = 0; k < entries.size(); ++k) {
    int first = inside ? ylt_indent + font_ascent + 2 : ylt_indent - row * font_height - font_height;
    int x = xlt_indent + (placed[k].column + inside) * font_width, base = first + placed[k].row * font_height;
    int from = x + (static_cast<int>(std::strlen(entries[k].name)) + 1) * font_width;
    if (inside)  // over the lines: on a cleared patch, to be read
      paint_fill(KD_MainWin, Role::GC0, x - font_width / 2, base - font_ascent - 1, from + 5 * font_width - x,
                 font_height + 1);
    draw_text_cut(Role::Graph, x, base, entries[k].name);
    paint_line(KD_MainWin, entries[k].role, from, base - font_ascent / 2, from + 4 * font_width, base - font_ascent / 2);
  }
}

int step_places(double step) {
  int places = 0;
  for (double tenth = 1; places < 6 && step > 0 && step < tenth * 0.999; tenth /= 10) ++places;
  return places;
}

void draw_hashvalues(int width, double base, double bincr, int pincr, int steps, const char* format,
                     int* lastpixel, float* lastvalue) {
  Trace t("draw_hashvalues", "width=%d base=%f bincr=%f pincr=%d steps=%d", width, base, bincr, pincr, steps);
  int lx = xlb_indent - 4 * bw - width * font_width, rx = xrb_indent + 5 * bw;
  int y = ylb_indent - 2 * bw + font_ascent / 2 + 1;
  int gap = font_height + 1;
  double v = base;
  *lastpixel = y;
  *lastvalue = static_cast<float>(v);
  double shown_step = bincr * std::max(1, (font_height + pincr) / std::max(pincr, 1));
  int most = places_that_fit(width, format, base, base + bincr * std::max(0, steps - 1), shown_step);
  for (int k = 0; k < steps && y >= ylt_indent; ++k) {
    if (gap > font_height) {
      char label[64];
      magnitude_label(label, sizeof label, format, v, shown_step, most);
      if (laxis != 'n') paint_text(KD_MainWin, Role::Graph, lx, y, label);
      if (raxis == 'p') paint_text(KD_MainWin, Role::Graph, rx, y, label);
      gap = 0;
    }
    if (gridstate == 1)
      paint_line(KD_MainWin, Role::Grid, xlb_indent, y - font_ascent / 2, xrb_indent, y - font_ascent / 2);
    *lastpixel = y;
    *lastvalue = static_cast<float>(v);
    v = base + bincr * (k + 1);  // a running sum drifts
    gap += pincr;
    if (pincr <= 0) break;
    y -= pincr;
  }
}

void draw_datemarks() {
  Trace t("draw_datemarks");
  if (day_pixel_space <= 0) return;
  for (int x = xlb_indent + day_pixel_space; x < xrb_indent; x += day_pixel_space)
    paint_fill(KD_MainWin, Role::Graph, x, ylb_indent, bw, 4 * bw);
}

void plot_line(Role r, int x1, int y1, int x2, int y2) {
  if (ylb_indent < ylt_indent || std::max(y1, y2) < ylt_indent || std::min(y1, y2) > ylb_indent) return;
  // An end beyond the area moves along the line to the row where it leaves.
  auto x_at = [&](int y) { return x1 + static_cast<int>(std::lround(double(x2 - x1) * (y - y1) / (y2 - y1))); };
  int c1 = std::clamp(y1, ylt_indent, ylb_indent), c2 = std::clamp(y2, ylt_indent, ylb_indent);
  paint_line(KD_MainWin, r, c1 == y1 ? x1 : x_at(c1), c1, c2 == y2 ? x2 : x_at(c2), c2);
}

namespace {

// The day key of an MMDDYY date, or -1.
time_t mmddyy_key(int d) {
  struct tm t = {};
  t.tm_mon = d / 10000 - 1;
  t.tm_mday = d % 10000 / 100;
  t.tm_year = d % 100;
  return timelocal(&t);
}

// One row of date labels: the year is shown on the first label and whenever
// it changes from the last label that showed it. A label that would run
// into the one before ("12/19/24" then "1/3/25") waits for a later day.
struct DateRow {
  int baseline;
  int last_year = -1;
  int right = -1000000;  // where the last label ends
  bool with_year(int y, bool first) const { return first || y != last_year; }
  std::string text(int m, int d, int y, bool first) const {
    char t[32];
    if (with_year(y, first)) std::snprintf(t, sizeof t, "%d/%d/%d", m, d, y);
    else std::snprintf(t, sizeof t, "%d/%d", m, d);
    return t;
  }
  int left(int x, int y, bool first) const { return x - (with_year(y, first) ? 3 * font_width / 2 : 0) - 2 * font_width; }
  bool fits(int x, int y, bool first) const { return left(x, y, first) > right; }
  void label(int x, Role role, int m, int d, int y, bool first) {
    std::string t = text(m, d, y, first);
    int from = left(x, y, first);
    if (with_year(y, first)) last_year = y;
    if (date_labels) paint_text(KD_MainWin, role, from, baseline, t.c_str());
    right = from + static_cast<int>(t.size()) * font_width;
  }
};

}  // namespace

void draw_datevalues(const WorkDay* days) {
  Trace t("draw_datevalues");
  time_t start = 0, end = 0;
  if (queryflag) {
    start = mmddyy_key(querysdate);
    end = mmddyy_key(queryedate);
  }
  DateRow first{ylb_indent + 8 * bw + font_height}, second{ylb_indent + 8 * bw + 2 * font_height};
  int x = xlb_indent + day_pixel_space;
  int spacing = 7 * font_width + 1;
  for (int i = 0; i < work_days && x + font_width <= xrb_indent; ++i) {
    const WorkDay& day = days[i];
    bool in_query = queryflag && day.date >= start && day.date <= end;
    Role label = in_query ? Role::Highlight : Role::Graph, grid = in_query ? Role::Highlight : Role::Grid;
    if (in_query) {
      paint_fill(KD_MainWin, Role::Highlight, x, ylb_indent, bw, 4 * bw);
      if ((day.date == start || day.date == end) && gridstate == 1)
        paint_line(KD_MainWin, Role::Highlight, x, ylb_indent, x, ylt_indent);
    }
    bool room = first.fits(x, day.syear, i == 0) && (graph_type == 1 || second.fits(x, day.eyear, i == 0));
    if (spacing > 7 * font_width && room) {
      // A panel above others lays its labels out as the lowest does, for
      // grid lines in the same places, and draws none.
      if (date_labels) paint_fill(KD_MainWin, label, x, ylb_indent, bw, 8 * bw);
      first.label(x, label, day.smon, day.sday, day.syear, i == 0);
      if (graph_type != 1) second.label(x, label, day.emon, day.eday, day.eyear, i == 0);
      spacing = 0;
      if (gridstate == 1 && grid != Role::Highlight) paint_line(KD_MainWin, grid, x, ylb_indent, x, ylt_indent);
    }
    if (day_pixel_space <= 0) break;
    x += day_pixel_space;
    spacing += day_pixel_space;
  }
}

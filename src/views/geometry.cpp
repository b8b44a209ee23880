// The chart area: corners from the window size, font and margins; pixel
// increments of the scales.
#include <algorithm>

#include "views/views.h"
#include "core/core.h"
#include "data/data.h"
#include "paint/paint.h"

int xlt_indent, xlb_indent, xrt_indent, xrb_indent;
int ylt_indent, yrt_indent, ylb_indent, yrb_indent;
int day_pixel_space;
int price_pixel_incr, volume_pixel_incr;
int rsi_pixel_incr, macd_pixel_incr, value_pixel_incr;
unsigned long chart_draws;

// Below the margin, the message line and the title line.
static int chart_top() { return (indent_top + HEADING_LINES) * font_height; }

void calculate_globals() {
  Trace t("calculate_globals");
  xlt_indent = xlb_indent = indent_side * font_width;
  xrt_indent = xrb_indent = main_win_width - bw - indent_side * font_width;
  ylt_indent = yrt_indent = chart_top();
  ylb_indent = yrb_indent = main_win_height - bw - indent_bot * font_height;
  calculate_indexs();
}

int days_that_fit() { return (main_win_width - 22 * font_width) / 4; }

// A step count of 0 is taken as 1 so that no scale divides by zero.
static int per_step(int height, int steps) { return height / (steps > 0 ? steps : 1); }

void calculate_indexs() {
  Trace t("calculate_indexs");
  if (num_days == 0 || price_steps == 0) return;
  price_pixel_incr = per_step(ylb_indent - ylt_indent, price_steps);
  ylt_indent = yrt_indent = ylb_indent - (price_steps + 1) * price_pixel_incr;
  if (ylt_indent < chart_top()) ylt_indent = yrt_indent = chart_top();
  calculate_day();
  int h = ylb_indent - ylt_indent;
  rsi_pixel_incr = per_step(h, rsi_steps);
  volume_pixel_incr = per_step(h, volume_steps);
  macd_pixel_incr = per_step(h, macd_steps);
  value_pixel_incr = per_step(h, value_steps);
}

void calculate_day() {
  Trace t("calculate_day");
  int days = work_days + 1 > 0 ? work_days + 1 : 1;
  day_pixel_space = (xrb_indent - xlb_indent) / days;
  if (day_pixel_space < 4) day_pixel_space = 4;
  else if (day_pixel_space > 20) day_pixel_space -= 1;
}

void draw_text_cut(Role r, int x, int y, std::string_view text, int right) {
  if (font_width <= 0) return;
  if (right < 0 || right > main_win_width) right = main_win_width;
  x = std::max(x, 0);
  std::size_t room = right > x ? static_cast<std::size_t>((right - x) / font_width) : 0;
  text = text.substr(0, std::min(room, text.size()));
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);  // no blank cells drawn past the column
  if (!text.empty()) paint_text(KD_MainWin, r, x, y, text.data(), static_cast<int>(text.size()));
}

void clear_graph() {
  Trace t("clear_graph");
  ++chart_draws;  // whatever was drawn on the window is gone, a crosshair too
  paint_fill(KD_MainWin, Role::GC0, 0, 0, main_win_width, main_win_height);
  paint_flush();
}

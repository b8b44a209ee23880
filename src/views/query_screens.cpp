// The two query screens that are not lists of securities: the group totals
// in two columns, and the histogram of the price changes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/core.h"
#include "paint/paint.h"
#include "query/query.h"
#include "views/views.h"

namespace {

// ---- groups ----

struct GroupColumns {
  int left, right;
};
// Two columns of 30 characters and their gaps; in a narrower window each
// takes half and is cut there.
GroupColumns group_columns() {
  int c = font_width > 0 ? main_win_width / font_width : 0;
  int g = std::max((c - 60) / 3, 1), w = std::min(30, (c - 3 * g) / 2);
  return {g * font_width, (2 * g + w) * font_width};
}

// One column of groups; the groups it shows (with `draw` false it only
// counts them).
int group_column(const std::vector<int>& order, bool left, int x, bool draw = true) {
  int y = list_top() + font_height, skip = arrow_index, shown = 0;
  int n = static_cast<int>(order.size());
  for (int k = 0; k < n && y < main_win_height - font_height && k + 1 < querycount; ++k) {
    GroupRec& g = groups[static_cast<std::size_t>(order[static_cast<std::size_t>(left ? k : n - 1 - k)])];
    if (left ? !(g.qchange > 0) : !(g.qchange < 0)) break;
    if (skip > 0) {
      --skip;
      continue;
    }
    ++shown;
    if (draw) {
      int right = left ? group_columns().right - font_width : -1;
      draw_text_cut(left ? Role::Qpos : Role::Qneg, x, y, group_line(g), right);
      g.qcol = x / font_width + 29;
      g.qrow = y / font_height;
      querybasex = left ? g.qcol + 1 : x / font_width;
    }
    y += font_height;
  }
  return shown;
}


bool groups_page_empty(const std::vector<int>& order) {
  GroupColumns at = group_columns();
  return group_column(order, true, at.left, false) == 0 && group_column(order, false, at.right, false) == 0;
}

// ---- distribution ----

// The slots on the screen: the first one and how many columns show.
struct Span {
  int first, count;
};

// The slot whose limit lies nearest to the change 0.
int zero_slot() { return static_cast<int>(std::round(std::clamp(10.0 / distr_class_width(), 0.0, DISTR_SLOTS - 1.0))); }

// A label every distr_incr_mod columns, one falling on the zero class; the
// first label h labels left of 0 (no further than the widest change, the
// middle of the axis or the first slot), moved by the arrows, which stop
// at either end of the table.
Span shown_slots(int columns, int mod) {
  double unit = mod * distr_class_width();  // change from one label to the next
  int zero = zero_slot();
  int h = static_cast<int>(std::min<double>({static_cast<double>(columns / mod / 2), distr_hv / unit + 1e-6,
                                             static_cast<double>(zero / mod)}));
  long wanted = zero + (static_cast<long>(distr_offx) - h) * mod;
  int first = static_cast<int>(std::clamp(wanted, 0L, static_cast<long>(DISTR_SLOTS - 1)));
  if (first != wanted) distr_offx = h + (first - zero - (first < zero ? mod - 1 : 0)) / mod;  // the arrows stop at the ends
  return {first, std::min(columns, DISTR_SLOTS - first)};
}

// The vertical scale: its top fits the tallest bar shown (a zoom divides
// it); a line a step, spread over the plot when there are few steps.
struct Scale {
  int top_label = 0, top_y = 0;  // value and baseline of the highest line
};

Scale vertical_axis(const Span& span) {
  int tallest = 0;
  for (int i = span.first; i < span.first + span.count; ++i) tallest = std::max(tallest, distr[i].cnt);
  int top = distr_offy < 1 ? tallest : tallest / (2 * distr_offy);
  int fh = std::max(font_height, 1);
  int lines = std::max(1, (ylb_indent - ylt_indent) / fh - 1);
  int step = std::max(1, (top + lines - 1) / lines);
  int n = std::max(1, (top + step - 1) / step);
  int spacing = std::max(fh, (ylb_indent - ylt_indent - fh) / n);
  int every = spacing >= 2 * fh ? 1 : 2;  // labels on every other line when they are a line apart
  Scale s;
  for (int k = 0; k < n; ++k) {
    int y = ylb_indent - (k + 1) * spacing;
    if (y <= ylt_indent) break;
    int value = (k + 1) * step;
    paint_fill(KD_MainWin, Role::Graph, xlb_indent - 4, y, 4, bw);
    paint_fill(KD_MainWin, Role::Graph, xrb_indent, y, 4, bw);
    if ((n - 1 - k) % every != 0) continue;
    char text[16];
    std::snprintf(text, sizeof text, "%4d", value);
    paint_text(KD_MainWin, Role::Graph, xlb_indent - 6 * font_width, y + font_ascent / 2, text);
    paint_text(KD_MainWin, Role::Graph, xrb_indent + font_width, y + font_ascent / 2, text);
    s = {value, y};
  }
  return s;
}
}  // namespace

void draw_distr() {
  Trace t("draw_distr");
  if (!querydistrloaded || (distr_hc == 0 && distr_hv == 0)) return;
  int mod = std::max(distr_incr_mod, 1);
  int columns = (xrb_indent - xlb_indent - 1) / std::max(font_width, 1);
  Span span = shown_slots(std::max(columns, 0), mod);
  draw_grid();
  Scale s = vertical_axis(span);
  int zero = zero_slot();
  auto label = [](char* text, std::size_t n, int i) {  // a class's own limit
    return std::snprintf(text, n, "%.4g", std::round(distr[i].limit * 1e4) / 1e4 + 0.0);
  };
  char text[16];
  int widest = 0;
  for (int i = span.first; i < span.first + span.count; ++i)
    if ((i - zero) % mod == 0) widest = std::max(widest, label(text, sizeof text, i));
  int every = mod * ((widest + mod) / mod);  // labels a blank apart
  int x = xlb_indent + font_width;
  for (int i = span.first; i < span.first + span.count; ++i, x += font_width) {
    paint_fill(KD_MainWin, Role::Graph, x, ylb_indent, bw, 6);
    if ((i - zero) % every == 0) {
      int len = label(text, sizeof text, i);
      paint_text(KD_MainWin, Role::Graph, x - len * font_width + font_ascent / 2,
                 ylb_indent + font_height + font_ascent / 2, text);
    }
    if (distr[i].cnt == 0 || s.top_label <= 0) continue;
    int c = std::min(distr[i].cnt, s.top_label);
    int top = s.top_y + (s.top_label - c) * (ylb_indent - s.top_y) / s.top_label - bw;
    Role role = distr[i].limit > 0 ? Role::Adv : distr[i].limit < 0 ? Role::Dec : Role::Unc;
    paint_fill(KD_MainWin, role, x - 2, top, 5, ylb_indent - top);
  }
}

void draw_qgroups() {
  Trace t("draw_qgroups");
  if (!querygroupsloaded) return;
  std::vector<int> order = group_order();
  if (arrow_index > 0 && groups_page_empty(order)) arrow_index = 0;
  GroupColumns at = group_columns();
  draw_text_cut(Role::Graph, at.left, list_top(), group_header, at.right - font_width);
  draw_text_cut(Role::Graph, at.right, list_top(), group_header);
  if (printflag) print_query_groups();
  for (int k = 0; k <= num_groups && k < static_cast<int>(groups.size()); ++k) groups[k].qcol = groups[k].qrow = 0;
  group_column(order, true, at.left);
  group_column(order, false, at.right);
}

bool query_groups_page_empty() { return !querygroupsloaded || groups_page_empty(group_order()); }

int query_group_at(int column, int row) {
  for (int k = 0; k <= num_groups && k < static_cast<int>(groups.size()); ++k) {
    const GroupRec& g = groups[static_cast<std::size_t>(k)];
    if (g.qrow != row + 1) continue;
    if ((column >= querybasex && column <= g.qcol) || (column >= 1 && column < querybasex && g.qcol <= querybasex))
      return k;
  }
  return -1;
}

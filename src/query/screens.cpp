// The two query screens that are not lists of securities: the group totals
// in two columns, and the histogram of the price changes.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "chart/chart.h"
#include "core/core.h"
#include "data/data.h"
#include "query/query.h"
#include "query/reading.h"
#include "ui/draw.h"
#include "ui/ui.h"

namespace {

// ---- groups ----

const char* const group_header = " grp# name               value  %chg";

// The groups by their change, highest first. A view: the group table keeps
// its order, since the rest of the program finds a group by its number.
std::vector<int> group_order() {
  std::vector<int> order;
  for (int g = 0; g <= num_groups && g < static_cast<int>(groups.size()); ++g) order.push_back(g);
  std::stable_sort(order.begin(), order.end(), [](int a, int b) { return groups[a].qchange > groups[b].qchange; });
  return order;
}

std::string group_line(const GroupRec& g) {
  char line[128];
  std::snprintf(line, sizeof line, "%4d %-15.15s %9.3f %5.1f", g.num, g.name, g.qendsum, g.qchange);
  return line;
}

void group_column(const std::vector<int>& order, bool left, int x) {
  int y = 5 * font_height, skip = arrow_index;
  int n = static_cast<int>(order.size());
  for (int k = 0; k < n && y < main_win_height - font_height && k + 1 < querycount; ++k) {
    GroupRec& g = groups[static_cast<std::size_t>(order[static_cast<std::size_t>(left ? k : n - 1 - k)])];
    if (left ? !(g.qchange > 0) : !(g.qchange < 0)) break;
    if (skip > 0) {
      --skip;
      continue;
    }
    paint_text(KD_MainWin, left ? Role::Qpos : Role::Qneg, x, y, group_line(g).c_str());
    g.qcol = x / font_width + 29;
    g.qrow = y / font_height;
    querybasex = left ? g.qcol + 1 : x / font_width;
    y += font_height;
  }
}

// ---- distribution ----

// The vertical scale: a line of labels every other character row.
struct Scale {
  int top_label = 0, top_y = 0;  // value and baseline of the last labelled line
};

Scale vertical_axis() {
  int top = distr_offy < 1 ? distr_hc : distr_hc / (2 * distr_offy);
  int lines = (ylb_indent - ylt_indent) / std::max(font_height, 1) - 1;
  int step = std::max(1, lines > 0 ? top / lines : top);
  Scale s;
  for (int k = 0;; ++k) {
    int y = ylb_indent - font_height - k * font_height;
    if (y <= ylt_indent) break;
    int value = (k + 1) * step;
    paint_fill(KD_MainWin, Role::Graph, xlb_indent - 4, y, 4, bw);
    paint_fill(KD_MainWin, Role::Graph, xrb_indent, y, 4, bw);
    if (k % 2 == 0) {
      char text[16];
      std::snprintf(text, sizeof text, "%4d", value);
      paint_text(KD_MainWin, Role::Graph, xlb_indent - 6 * font_width, y + font_ascent / 2, text);
      paint_text(KD_MainWin, Role::Graph, xrb_indent + font_width, y + font_ascent / 2, text);
      s = {value, y};
    }
  }
  return s;
}

}  // namespace

void draw_distr() {
  Trace t("draw_distr");
  if (!querydistrloaded || (distr_hc == 0 && distr_hv == 0)) return;
  draw_grid();
  Scale s = vertical_axis();
  int columns = (xrb_indent - xlb_indent) / std::max(font_width, 1);
  int mod = std::max(distr_incr_mod, 1);
  int h = std::min(columns / mod, static_cast<int>(distr_hv));
  int v = -h + distr_offx;
  int first = -1;
  for (int i = 0; i < DISTR_SLOTS && first < 0; ++i)
    if (distr[i].limit == static_cast<float>(v)) first = i;
  if (first < 0) {  // no slot starts exactly at the first label
    clear_graph();
    return;
  }
  int x = xlb_indent + font_width;
  for (int k = 0, i = first; x < xrb_indent && i < DISTR_SLOTS; ++k, ++i, x += font_width) {
    paint_fill(KD_MainWin, Role::Graph, x, ylb_indent, bw, 6);
    if (k % mod == 0) {
      char text[16];
      int len = std::snprintf(text, sizeof text, "%d", v++);
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
  int c = font_width > 0 ? main_win_width / font_width : 0;
  int g = (c - 60) / 3;
  int left = g * font_width, right = left + (g + 30) * font_width;
  paint_text(KD_MainWin, Role::Graph, left, 4 * font_height, group_header);
  paint_text(KD_MainWin, Role::Graph, right, 4 * font_height, group_header);
  if (printflag) query_reading::start_print_writer([](int fd) { return write_query_groups(fd); });
  for (int k = 0; k <= num_groups && k < static_cast<int>(groups.size()); ++k) groups[k].qcol = groups[k].qrow = 0;
  group_column(order, true, left);
  group_column(order, false, right);
}

int query_group_at(int column, int row) {
  for (int k = 0; k <= num_groups && k < static_cast<int>(groups.size()); ++k) {
    const GroupRec& g = groups[static_cast<std::size_t>(k)];
    if (g.qrow != row + 1) continue;
    if ((column >= querybasex && column <= g.qcol) || (column >= 1 && column < querybasex && g.qcol <= querybasex))
      return k;
  }
  return -1;
}

bool write_query_groups(int fd, bool csv) {
  if (!querygroupsloaded) return false;
  std::string out = csv ? "number,name,code,startsum,startcount,endsum,endcount,pct\n" : std::string(group_header) + "\n";
  for (int k : group_order()) {
    const GroupRec& g = groups[static_cast<std::size_t>(k)];
    if (g.qchange == 0 || std::isnan(g.qchange)) continue;
    if (!csv) {
      out += group_line(g) + "\n";
      continue;
    }
    char line[256];
    std::snprintf(line, sizeof line, "%d,\"%s\",%s,%.17g,%d,%.17g,%d,%.9g\n", g.num, g.name, g.code, g.qstartsum,
                  g.qstartcnt, g.qendsum, g.qendcnt, g.qchange);
    out += line;
  }
  return query_reading::write_all(fd, out);
}

bool write_query_distr(int fd, bool csv) {
  if (!querydistrloaded) return false;
  std::string out = csv ? "limit,count\n" : "";
  for (const DistrSlot& s : distr) {
    if (csv && s.cnt == 0) continue;
    char line[64];
    std::snprintf(line, sizeof line, csv ? "%.9g,%d\n" : "%g %d\n", s.limit, s.cnt);
    out += line;
  }
  return query_reading::write_all(fd, out);
}

// The advance/decline chart: up to five lines over the days of the
// pseudo-security that loadad built (the four counts, and the sum of
// advances minus declines from the first shown day), on a scale from minus
// to plus the largest count, or the largest sum when that line is shown.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/core.h"
#include "data/data.h"
#include "market/market.h"
#include "paint/paint.h"
#include "views/views.h"

void draw_adln() {
  Trace t("draw_adln");
  if (num_days <= 1 || worklist.empty() || worklist[0].empty()) return;
  bool all = std::strchr(adln_disp, 'a') != nullptr;
  bool shown[5] = {all || std::strchr(adln_disp, '+'), all || std::strchr(adln_disp, '-'),
                   all || std::strchr(adln_disp, 'd'), all || std::strchr(adln_disp, 'u'),
                   std::strchr(adln_disp, 'c') != nullptr};
  // Weeks to years sum their days' counts: the scale takes the largest.
  double most = adln_max, sum = 0;
  for (int i = 0; i < work_days && i < static_cast<int>(worklist[0].size()); ++i) {
    const WorkDay& d = worklist[0][static_cast<std::size_t>(i)];
    most = std::max({most, static_cast<double>(d.high), static_cast<double>(d.low), static_cast<double>(d.volume)});
    sum += d.close;
    if (shown[4]) most = std::max(most, std::fabs(sum));
  }
  int p = (ylb_indent - ylt_indent) / 40;
  calculate_day();
  draw_grid();
  draw_hashmarks(40, p);
  int ya;
  float top;
  draw_hashvalues(8, -most, 2.0 * most / 39, p, 40, "%7.2f", &ya, &top);
  draw_datemarks();
  draw_datevalues(worklist[0].data());
  static const LegendEntry names[] = {{"Advance:", Role::Adv}, {"Decline:", Role::Dec}, {"Adv-Dec:", Role::Dif},
                                      {"Unchanged:", Role::Unc}, {"Cumulative:", Role::Bol}};
  std::vector<LegendEntry> legend;
  for (int k = 0; k < 5; ++k)
    if (shown[k]) legend.push_back(names[k]);  // named only when drawn
  draw_legend(legend);
  const Role roles[5] = {Role::Adv, Role::Dec, Role::Dif, Role::Unc, Role::Bol};
  auto y_of = [&](double v) {
    double y = top == 0 ? ylb_indent : (v - top) / (-2.0 * top) * (ylb_indent - ya) + ya - bw;
    return std::max(static_cast<int>(std::clamp(y, -1e6, 1e6)), ylt_indent);
  };
  std::vector<WorkDay>& work = worklist[0];
  int px = 0, py[5] = {};
  bool have = false;
  sum = 0;
  for (int i = 0; i < work_days && i < static_cast<int>(work.size()); ++i) {
    WorkDay& d = work[static_cast<std::size_t>(i)];
    int x = xlb_indent + (i + 1) * day_pixel_space;
    if (d.close == 0 && d.high == 0 && d.low == 0) continue;  // an empty day is passed over
    sum += d.close;
    double v[5] = {d.high, d.low, d.close, static_cast<double>(d.volume), sum};
    for (int k = 0; k < 5; ++k) {
      int y = y_of(v[k]);
      if (shown[k] && have) paint_line(KD_MainWin, roles[k], px - 1, py[k], x - 1, y);
      py[k] = y;
    }
    d.xpix = x - 3;
    d.ypix = py[0];
    px = x;
    have = true;
    if (x >= xrt_indent) break;
  }
}

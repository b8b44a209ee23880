// The split screen: the panels of `comblist` stacked on one date axis. The
// price panel takes half the height, the others share the rest; each has
// its own value axis and a legend, and only the lowest labels the dates.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "core/core.h"
#include "data/data.h"
#include "views/views.h"

bool date_labels = true;
bool drawing_panel;

namespace {

std::vector<SplitPanel> panels;
std::size_t shown_panel;  // the one being drawn

using Drawer = void (*)();

Drawer panel_of(char letter) {
  switch (letter) {
    case 's': return draw_stock;
    case 'v': return draw_volume;
    case 'r': return draw_rsi;
    case 'm': return draw_macd;
    case 't': return draw_stoch;
    case 'a': return draw_avalue;
    case 'g': return draw_gvalue;
    case 'c': return draw_relstrength;
    default: return nullptr;
  }
}

bool average_shown() { return mvavgflag && mvavgdays && mvavgtype; }

// The lines of a panel by name, in their colours; the stochastics and MACD
// panels name theirs themselves.
std::vector<LegendEntry> legend_of(char letter) {
  std::vector<LegendEntry> l;
  switch (letter) {
    case 's':
      if (quotelook == 'b' && (pricetype & 3) != 0 && pricetype != 1 && pricetype != 2) l.push_back({"Range:", Role::Range});
      if ((pricetype & 4) != 0 || (quotelook == 'b' && pricetype == 0)) l.push_back({"Close:", Role::Close});
      if (quotelook != 'b' && (pricetype & 1)) l.push_back({"High:", Role::High});
      if (quotelook != 'b' && (pricetype & 2)) l.push_back({"Low:", Role::Low});
      if (average_shown()) l.push_back({"Avg:", Role::Mvavg});
      if (bollingerflag && bolstd != 0) l.push_back({"Band:", Role::Bol});
      if (!compare_shown().empty()) {
        static std::string name;
        name = compare_shown() + ":";
        l.push_back({name.c_str(), Role::Compare});
      }
      break;
    case 'v':
      l.push_back({"Volume:", Role::Close});
      if (average_shown()) l.push_back({"Avg:", Role::Mvavg});
      break;
    case 'r': l.push_back({"RSI:", Role::Range}); break;
    case 'a': l.push_back({"Movement:", Role::Range}); break;
    case 'g': l.push_back({"Value:", Role::Range}); break;
    case 'c': l.push_back({"RS:", Role::Range}); break;
    default: break;
  }
  return l;
}

// What a panel changes and draw_split puts back.
struct Saved {
  int corners[8] = {xlt_indent, xlb_indent, xrt_indent, xrb_indent, ylt_indent, yrt_indent, ylb_indent, yrb_indent};
  int volume_steps = ::volume_steps, price_steps = ::price_steps;
  float price_incr = ::price_incr, volume_incr = ::volume_incr, price_bottom = ::price_bottom;
  void restore() const {
    xlt_indent = corners[0], xlb_indent = corners[1], xrt_indent = corners[2], xrb_indent = corners[3];
    ylt_indent = corners[4], yrt_indent = corners[5], ylb_indent = corners[6], yrb_indent = corners[7];
    ::volume_steps = volume_steps, ::price_steps = price_steps;
    ::price_incr = price_incr, ::volume_incr = volume_incr, ::price_bottom = price_bottom;
    calculate_globals();
  }
};

// The panel's plot area and scales, from its bottom up: calculate_indexs
// puts the top one price step above the steps, so the height it is given
// leaves room for that step. Placing the area it made again makes the same.
void place(SplitPanel* p) {
  ylb_indent = yrb_indent = p->bottom;
  ylt_indent = yrt_indent = p->bottom - (p->bottom - p->top) / (price_steps + 1) * price_steps;
  calculate_indexs();
  p->top = ylt_indent;
}

// The panels' heights: a price panel weighs as much as all the others
// together, shared among the price panels when there are several.
std::vector<SplitPanel> layout(const char* letters, int n, int top, int bottom) {
  int prices = static_cast<int>(std::count(letters, letters + n, 's')), others = n - prices;
  int price_weight = prices > 0 ? std::max(1, others / prices) : 1;
  int weights = prices * price_weight + others;
  // Between two panels: room for half a label below the upper one and
  // above the lower one.
  int gap = font_height + 4 * bw;
  int room = std::max(0, bottom - top - (n - 1) * gap);
  std::vector<SplitPanel> out;
  int y = top, used = 0;
  for (int i = 0; i < n; ++i) {
    int w = letters[i] == 's' ? price_weight : 1;
    int h = i == n - 1 ? room - used : room * w / weights;
    out.push_back({letters[i], y, y + h, 0, 0, 0, 0, {}});
    used += h;
    y += h + gap;
  }
  return out;
}

}  // namespace

const std::vector<SplitPanel>& split_panels() { return panels; }

void replace_panel() {
  if (drawing_panel && shown_panel < panels.size()) place(&panels[shown_panel]);
}

void draw_split() {
  int n = static_cast<int>(strnlen(comblist, sizeof comblist));
  panels.clear();
  if (n > 0 && num_days > 0) {
    Saved saved;
    int full = std::max(1, ylb_indent - ylt_indent);
    panels = layout(comblist, n, ylt_indent, ylb_indent);
    int price_h = 0, volume_h = full;
    for (const SplitPanel& p : panels) {
      if (p.letter == 's') price_h = std::max(price_h, p.bottom - p.top);
      if (p.letter == 'v') volume_h = p.bottom - p.top;
    }
    // At most as many steps as dense as the whole chart's, in round steps
    // over the range the whole chart labels (or a zoom box chose), so that
    // a panel spans it and no more.
    if (price_h > 0 && saved.price_steps > 1) {
      double top = price_bottom + static_cast<double>(price_incr) * (saved.price_steps - 1);
      int most = std::max(2, saved.price_steps * price_h / full);  // a few steps: quarters fit closer
      NiceScale s = nice_scale(price_bottom, std::max(top, price_bottom + 0.01), most, true);
      price_bottom = static_cast<float>(s.base), price_incr = static_cast<float>(s.step), price_steps = s.steps;
    }
    volume_steps = std::max(2, saved.volume_steps * volume_h / full);
    volume_incr = std::ceil(saved.volume_incr * saved.volume_steps / volume_steps);
    for (std::size_t i = 0; i < panels.size(); ++i) {
      SplitPanel& p = panels[i];
      shown_panel = i;
      place(&p);
      date_labels = i + 1 == panels.size();
      drawing_panel = true;
      drawn_axis = {};
      if (Drawer d = panel_of(p.letter)) {
        d();
        p.axis = drawn_axis;
        draw_legend(legend_of(p.letter), true);
      }
      p.steps = price_steps, p.pixel_incr = price_pixel_incr, p.incr = price_incr, p.base = price_bottom;
    }
    date_labels = true;
    drawing_panel = false;
    drawn_axis = {};  // each panel has its own
    saved.restore();
  }
  View shown = graphlook;
  graphlook = View::Price;
  const CompanyRec& cop = find_co(symbolname);
  draw_comp(&cop);
  graphlook = shown;
}

const SplitPanel* split_panel_at(int y) {
  for (const SplitPanel& p : panels)
    if (y >= p.top && y <= p.bottom) return &p;
  return nullptr;
}

double split_price_at(const SplitPanel& panel, int y) {
  Saved saved;
  SplitPanel p = panel;
  price_steps = p.steps, price_incr = p.incr, price_bottom = p.base;
  place(&p);
  double v = price_at(y);
  saved.restore();
  return v;
}

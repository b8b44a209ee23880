// The views: the geometry of the chart area and its axes, the price, volume
// and indicator charts, the heading and the lists, the query lists and
// screens, the market summary, the advance/decline chart, and the
// dispatcher that draws the screen `graphlook` names. They draw through the
// drawing layer only, into whatever target it has.
#pragma once

#include <algorithm>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "data/data.h"
#include "market/market.h"
#include "paint/paint.h"
#include "query/query.h"
#include "query/screen.h"

// Chart-area corners in pixels (x to the right, y downwards).
extern int xlt_indent, xlb_indent, xrt_indent, xrb_indent;
extern int ylt_indent, yrt_indent, ylb_indent, yrb_indent;
extern int day_pixel_space;  // pixels between two shown days

// Pixel increments of the scale steps of each kind of chart.
extern int price_pixel_incr, volume_pixel_incr;
extern int rsi_pixel_incr, macd_pixel_incr, value_pixel_incr;

extern int mark;          // 2: the day whose date is mark_rd gets a line
extern time_t mark_rd;
extern int buyvolume;     // shares bought (0: none)
extern int arrow_index;   // list rows scrolled by the up and down arrows
extern int queryflag;     // a query period is highlighted on the date axis

// The display's number of its next request (installed by the user
// interface), and that number after the last chart drawing: an exposure
// the display made before it is covered by the drawing.
extern unsigned long (*next_request)();
extern unsigned long chart_drawn_to;

// ---- the heading area under the menu bar ----
// Two lines under the menu bar, the message line and the title line; the
// charts and lists start that many lines lower.
constexpr int HEADING_LINES = 2;
extern char message_text[256];  // what went wrong with the user's last action; empty: nothing
extern int message_left;        // pixels left of the message: the dialogs that cover the line's start
int message_baseline();
int title_baseline();
int list_top();  // baseline of the lists' first line (their header)
int heading_bottom();  // the first row below the menu bar and the heading lines
// What the screen `graphlook` names shows; "" for a screen without a title.
std::string title_text();
void draw_message();  // the message line, cleared first
void draw_title();

// Text on the main window at x (never left of the window), cut where it
// would pass `right` (pixels; the window's edge when -1): a column or the
// window is never overrun.
void draw_text_cut(Role r, int x, int y, std::string_view text, int right = -1);

void calculate_globals();
// The days a chart shows at first: 4 pixels a day beside 22 characters of
// labels.
int days_that_fit();
void calculate_indexs();
void calculate_day();
void clear_graph();
void draw_chart();

// Axes and labels.
void draw_grid();
void draw_hashmarks(int steps, int pixel_incr);
// The decimals that tell apart two labels `step` apart (0 for a step of 1 or more).
int step_places(double step);
// The name and a sample of each line a chart draws, one after the other
// above the plot (or inside it, at its top, where a heading stands above);
// what does not fit beside the others goes on the next row.
struct LegendEntry {
  const char* name;
  Role role;
};
void draw_legend(const std::vector<LegendEntry>& entries, bool inside = false);
// The first step of 1, 2 or 5 times a power of ten from `want` on.
double nice_step(double want, bool quarters = false);  // quarters: 2.5 times a power of ten too
// A scale of at most `steps` labels in such steps, from a multiple of the
// step at or below `low` to `high` or above, and the labels it needs.
struct NiceScale {
  double base, step;
  int steps;
};
NiceScale nice_scale(double low, double high, int steps, bool quarters = false);
void draw_hashvalues(int width, double base, double bincr, int pincr, int steps, const char* format,
                     int* lastpixel, float* lastvalue);
void draw_datemarks();
void draw_datevalues(const WorkDay* days);
// A line of the chart cut to the rows of the plot area, where a mark beyond
// the scale (a zoom's) would cover the heading or the date labels.
void plot_line(Role r, int x1, int y1, int x2, int y2);

// Charts and panels.
// The price a row of the price chart stands for; and the price scale in
// round steps from low to high, taller steps where fewer are needed.
double price_at(int y);
void fit_price_scale(double low, double high);
void draw_stock();
void draw_volume();
void draw_rsi();
void draw_stoch();
void draw_macd();
void draw_avalue();
void draw_gvalue();
// Against the comparison: its close over the price chart, scaled to the
// security's close on the first shown day (a legend names it on a chart
// alone); and the relative strength panel, 100 on that day. Days without
// both closes are gaps.
void draw_compare_overlay();
void draw_relstrength();

// The value scale of the chart or panel drawn last, for the crosshair: the
// values at two rows, and what a row stands for between them.
struct ValueAxis {
  int y0 = 0, y1 = 0;
  double v0 = 0, v1 = 0;
  bool known() const { return y0 != y1; }
  double at(int y) const { return v0 + (v1 - v0) * (y - y0) / (y1 - y0); }
  int y(double v) const {  // cut far beyond the area, where drawn; a flat scale at its bottom
    if (v1 == v0) return y1;
    return static_cast<int>(std::clamp(y0 + (v - v0) * (y1 - y0) / (v1 - v0), -1e6, 1e6));
  }
};
extern ValueAxis drawn_axis;  // unknown after draw_chart until a scale is drawn
extern unsigned long chart_draws;  // clearings of the window so far

// The split screen: the panels of `comblist` on one date axis.
struct SplitPanel {
  char letter;
  int top, bottom;           // its plot area
  int steps, pixel_incr;     // its price scale as drawn
  float incr, base;
  ValueAxis axis;            // its own value scale
};
extern bool date_labels;     // false: draw_datevalues draws ticks and grid lines, no dates
extern bool drawing_panel;   // draw_split is drawing a panel: its steps are fixed by its height
void draw_split();
const std::vector<SplitPanel>& split_panels();  // as last drawn
const SplitPanel* split_panel_at(int y);        // the panel over row y, or nullptr
void replace_panel();  // the panel drawn takes its steps anew
double split_price_at(const SplitPanel& p, int y);

// Heading and lists; the lists return the entry hit in mode 2 ("" for none).
void draw_comp(const CompanyRec* cop);
const char* draw_grps(int mode, int column, int row);
const char* draw_companys(int mode, int column, int row);
// The company list's row (from 0, scrolled or not) of the first symbol that
// begins with `prefix`, or -1; and the rows the list of all groups
// (View::Groups) or all companies takes.
int company_row_of(const char* prefix);
int list_rows();
// The watchlists view (View::Watchlists): the rows shown, as watch_rows made
// them; a hit on a symbol gives it, on a watchlist's name "=NAME".
extern std::vector<WatchRow> watch_shown;
const char* draw_watchlists(int mode, int column, int row);

// ---- the query lists and screens ----
void draw_query();
// Where the window's count passed over rows out of the price range, what
// it lists of those it examined: "19 examined, 16 and 19 in the price
// range"; "" where it passed over none.
std::string query_count_text();
// The row drawn under a text cell (column, row of the press), or -1.
int query_row_at(int column, int row);
// Whether the list shown would show no row at the rows scrolled by
// (arrow_index): the page lies beyond its end.
bool query_page_empty();
bool query_groups_page_empty();
// A screen's result (ListView::Screen): drawn, its title, the name the flip
// list gives it, the row under a press, and whether the page is past it.
void draw_screen_list();
std::string screen_title();
std::string screen_flip_name();
int screen_row_at(int row);
bool screen_page_empty();
void draw_qgroups();
void draw_distr();
int query_group_at(int column, int row);  // the group drawn under a cell, or -1

// Prints the view on display once to printpath ("stdout", "stderr" or a
// file): the lists are written by a copy of the program.
void do_print();

// ---- market overview ----
extern const char* const firstmsg[8];  // seven lines and an empty end entry
void draw_firstmsg();
void draw_adln();
// The market summary screen; the cells of the layout shown.
extern std::vector<LayoutCell> market_cells;
void draw_market();
void draw_code(const LayoutCell& c);  // in the cell's window, or in its place
// The display's windows of the codes, installed by the user interface.
struct MarketWindows {
  Surface (*create)(int x, int y, int width, int height);  // a new code window, shown
  void (*destroy)();  // removes the windows of the layout shown
};
extern MarketWindows market_windows;

// Chart display: the geometry of the chart area, its axes, the price,
// volume and indicator charts, the heading and the lists, and the
// dispatcher that draws the screen `graphlook` names.
#pragma once

#include <ctime>

#include "data/data.h"

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

// The market summary screen, which the user interface draws with windows of
// its own; installed when the display opens.
extern void (*market_screen)();

void calculate_globals();
void calculate_indexs();
void calculate_day();
void clear_graph();
void draw_chart();

// Axes and labels.
void draw_grid();
void draw_hashmarks(int steps, int pixel_incr);
void draw_hashvalues(int width, double base, double bincr, int pincr, int steps, const char* format,
                     int* lastpixel, float* lastvalue);
void draw_datemarks();
void draw_datevalues(const WorkDay* days);

// Charts and panels.
void draw_stock();
void draw_volume();
void draw_rsi();
void draw_stoch();
void draw_macd();
void draw_avalue();
void draw_gvalue();

// Heading and lists; the lists return the entry hit in mode 2 ("" for none).
void draw_comp(const CompanyRec* cop);
const char* draw_grps(int mode, int column, int row);
const char* draw_companys(int mode, int column, int row);

// Chart display: the geometry of the chart area, its axes, and the
// dispatcher that draws the screen `graphlook` names.
#pragma once

// Chart-area corners in pixels (x to the right, y downwards).
extern int xlt_indent, xlb_indent, xrt_indent, xrb_indent;
extern int ylt_indent, yrt_indent, ylb_indent, yrb_indent;
extern int day_pixel_space;  // pixels between two shown days

// Pixel increments of the scale steps of each kind of chart.
extern int price_pixel_incr, volume_pixel_incr;
extern int rsi_pixel_incr, macd_pixel_incr, value_pixel_incr;

void calculate_globals();
void calculate_indexs();
void calculate_day();
void clear_graph();
void draw_chart();

// Market overview: the figures of the market summary screen between two
// days, the layouts that place them, and the advance/decline counts.
#pragma once

#include <string>
#include <vector>

// ---- market summary ----
struct MarketEntry {
  int state;       // 1 read from the start-day file, 2 also in the end-day file
  char code[24];   // matched in full
  float start[4];  // high, low, close and volume in the start-day file
  float end[4];    // the same from the end-day file
};
extern std::vector<MarketEntry> mkt;  // grows as needed
extern int marketnum;                 // entries loaded

struct LayoutLabel {
  int column, row;
  char text[80];
};
struct LayoutCell {
  int column, row;                        // the label, in characters and text lines
  char label[20];
  int code_column, code_row, code_width;  // the window that shows the code
  char code[8];
  unsigned long window;                   // the display's window of the code while shown; a click charts it
  int start_column, start_row, end_column, end_row;
  char format[16];                        // of both values
  int change_column, change_row;
  char change_format[16];                 // empty: no change shown
};
constexpr int LAYOUT_LABELS = 4;  // the headings of every exchange's layout
struct Layout {
  const LayoutLabel* labels;  // LAYOUT_LABELS headings; nullptr: no layout
  std::vector<LayoutCell> cells;
};
// The layout of an exchange letter (n, o, a, either case).
Layout layout_of(char display);
// A cell's values as the screen shows them; empty where it shows nothing.
struct CellText {
  std::string start, end, change;
};
CellText cell_text(const LayoutCell& cell);
void fill_market();  // reads the start and end index files into mkt

// ---- advance/decline line ----
extern int adln_max;  // the largest daily count seen; the scale only grows
int loadad();         // 0 when the counts were built

// Queries: the query table read from the day files of a date range, the
// ranked lists drawn from it, and their printed form.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "data/data.h"

// One security of the query table.
// The query window's lists and screens by what they show. The numbers are
// the ones traces print.
enum class ListView : int {
  Unset = 0, Price = 1, Percent = 2, Volume = 3, DollarValue = 4, Volatility = 5, Gaps = 6, TopBottom = 7,
  MovingAvg = 8, Bollinger = 9, Groups = 10, HighVolume = 11, Rsi = 12, Fibonacci = 13, Distribution = 14,
  LowCount = 15, HighCount = 16, Screen = 17
};

struct QueryRec {
  char symbol[24];      // matched in full, never cut for matching
  int32_t lowcnt;       // days whose low was below the previous day's low
  int32_t highcnt;      // days whose high was above the previous day's high
  int32_t lowmost;      // longest finished run of lower lows
  int32_t lowlast;      // run of lower lows still going on
  int32_t highmost;     // longest finished run of higher highs
  int32_t highlast;     // run of higher highs still going on
  int32_t fibup;        // history days at or above fibhighlvl
  int32_t fibdown;      // history days at or below fiblowlvl
  int32_t fibstate;     // Fibonacci crossing state; afterwards the verdict -1, 0, 1
  float fibhighlvl;     // upper Fibonacci level of the close range
  float fiblowlvl;      // lower Fibonacci level
  int32_t distrslot;    // distribution slot of the change
  uint32_t key;         // symbol key
  int32_t days;         // day files the symbol was in; 1 when the range closed unchanged
  float gapchg;         // close minus previous close on the last gap day
  float gappct;         // gapchg over that day's close (a fraction)
  float bolpct;         // percent outside the Bollinger band (negative above it)
  float topbotpos;      // where the close lies in the close range
  float topbot;         // close range in percent, negative in the lower half
  float volat;          // high-low range in percent, signed like pct
  float hivol;          // last day's volume over the average volume
  float mvapct;         // (mvavg - close) / close x 100
  float mvavg;          // moving average of the close over the last mvavgdays
  float avgvol;         // average volume over the same days
  double volsum;        // volume of the range, hundreds of shares (by the mode)
  float change;         // close - firstclose
  float cmpclose;       // close on the compare date; 0 when not in that file
  float cmppct;         // (cmpclose - close) / close x 100; 0 without cmpclose
  float lowlow;         // lowest non-zero low
  float highhigh;       // highest high
  float prevclose;      // close of the day before the last day read
  float lastclose;      // close of the last day read
  float highclose;      // highest close
  float prevlow;        // low of the last day read
  float prevhigh;       // high of the last day read
  float lowclose;       // lowest close
  float close;          // last close
  float firstclose;     // close in the first file the symbol was in
  float pct;            // percent change; infinite when the first close is 0
  float bolwidth;       // bolstd x deviation of the close
  float rsi;            // relative strength index, 0..100
  int32_t col;          // end column of the row on screen, 0 when not shown
  int32_t row;          // screen row, 0 when not shown
  double value;         // dollar value: the sum of close x volume (by the mode)
};

// ---- the query table and its state ----
extern std::vector<QueryRec> qs;  // grows as needed; never loses a security
extern int querynum;              // rows in use
extern int queryend;              // rows that came from the start file
extern int querydays;             // day files read, the start file included
extern ListView querylastsort;    // the list qs was last sorted for; Unset after a load
extern ListView querylook;        // the list shown
extern int queryextraloaded, querygroupsloaded, querydistrloaded;  // steps done for this load
extern int querybasex;            // column where the right half of a list starts
extern int query_gn;              // group selection: 0 or -1 all, n > 0 group n
extern bool query_table_made;     // a query got as far as making the table

// ---- distribution ----
struct DistrSlot {
  int32_t cnt;   // rows in the slot
  float limit;   // the slot's price-change boundary
};
constexpr int DISTR_SLOTS = 321;
extern DistrSlot distr[DISTR_SLOTS];
extern int distr_hc;          // highest count outside the first and middle slots
extern float distr_hv;        // half-width of the horizontal axis
extern int distr_offx, distr_offy;  // shift and zoom of the distribution view
double distr_class_width();         // distr_incr as typed (0.1, not its float)

// ---- loading ----
// Reads the query range when queries are on (querycount not 0), and the
// step the current list needs; the chart data are gone afterwards.
void load_query();
int get_query_data();  // 0 when rows were read
void load_query_extra();   // each security's history: averages, bands, RSI, Fibonacci
// Why the lists of the averages (moving average, Bollinger, high volume,
// RSI) are empty for this query, or nullptr when they need not be.
const char* no_average_reason();
void load_query_groups();  // the group totals of the start and end files
void load_query_distr();   // the distribution of the price changes
// The group selection of distr_screen into query_gn; false for an unknown
// group (reported with `who` as the routine name).
bool select_query_group(const char* who);

// The hand-written number scanner of the day files: up to five numbers after
// the first comma. False for a line whose number fields hold anything but
// digits, one point per number, blanks and tabs.
struct Numbers {
  double v[5];
  int count;
};
bool scan_numbers(std::string_view text, Numbers* out);

// ---- lists ----
extern int printflag;  // 1 during the one redraw that prints

// One ranked list: how it sorts, its two headers and its line, and which
// rows each column takes. `line` writes a row's fields for the left column
// (side +1), the right one (-1) or a print (0), with their signs.
struct QueryList {
  using Test = bool (*)(const QueryRec& r);
  ListView look;
  const char* label;     // the menu item
  const char* routine;   // traced name
  double (*key)(const QueryRec&);  // sorted by, descending
  const char* header;
  const char* compare_header;  // with the compare close and percent
  int width;             // the numeric part of a line
  void (*line)(const QueryRec& r, int side, char* out, std::size_t n);
  Test left, right;      // the tests that admit a row to each column
  Test printed;          // rows a print writes (kadmer-scan's only, for the one-column lists)
  Test left_only = nullptr, right_only = nullptr;  // rows skipped (not ending the column)
  bool left_from_bottom = false;  // the rising side walks from the bottom
  bool right_from_top = false;
  bool needs_history = false;     // drawn only after the history step
  bool counts_listed = false;     // the count limits listed rows, not examined ones
  bool one_column = false;        // the low- and high-count lists
};
// The list of a look; nullptr for the groups list, the distribution and
// looks that are no list.
const QueryList* query_list(ListView look);
// Sorts qs for a list, as drawing it would (once for each load).
void sort_query_list(const QueryList& l);
void sort_query(ListView look);
bool query_compare_shown();                 // the compare date is not the end date
bool query_in_range(const QueryRec& r);     // in the price range and moved over the range
bool query_is_index(const QueryRec& r);     // an index: never listed
std::string query_header(const QueryList& l);
// The text of one row: the list's fields, the compare fields, and at most
// `name` characters of the company name (all of it when name < 0).
std::string query_row_text(const QueryList& l, const QueryRec& r, int side, int name);
// A copy of the program writes the list (or the group totals) to printfd.
void print_query_list(ListView look);
void print_query_groups();
// Writes the list `look` as print writes it (header, then every row that
// passes its tests), to fd; at most `limit` rows when limit > 0. False when
// the list has no printed form or its step has not run.
bool write_query_list(ListView look, int fd, int limit = 0);
// The same rows as CSV: symbol,firstclose,close,change,pct,days, then every
// other measure.
bool write_query_csv(ListView look, int fd, int limit = 0);
// Lists by menu label ("price", "dollar value", ...): their look, Unset if none.
ListView query_look_of(const char* label);
// Whether a list ranks by the moving average's measures.
bool query_look_needs_average(ListView look);
// The groups by their change, highest first (the table keeps its order),
// and the line a group shows.
std::vector<int> group_order();
std::string group_line(const GroupRec& g);
extern const char* const group_header;
// The printed forms of the groups list and the distribution.
bool write_query_groups(int fd, bool csv = false, int limit = 0);
bool write_query_distr(int fd, bool csv = false, int limit = 0);

// ---- printing ----
// A print writer was started for `path`: its end is reported when reaped,
// with the lines it writes (print_will_write, before it starts).
void print_started(long pid, const char* path);
void print_will_write(int lines);
extern int print_writers;  // writers started so far
// Collects finished print writers; reports a failed one on the status line.
void reap_print_children();

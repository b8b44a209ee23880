// Screens of one's own: a condition over the measures of a query row, read
// once into a small program, the sort that orders what it finds, and the
// measures by the names the CSV columns carry.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "query/query.h"

// ---- the measures of a row ----
struct QueryMeasure {
  enum class Form : uint8_t { Float, Double, Count, Money };  // how CSV writes it
  const char* name;
  Form form;
  double (*get)(const QueryRec&);
  bool (*has)(const QueryRec&);  // whether the row has it: no compare close, no average
  bool history;                  // made by the history step
};
// In the order of the CSV columns after symbol.
extern const QueryMeasure query_measures[];
extern const int query_measure_count;
// The measure of a name, or -1.
int query_measure_index(std::string_view name);
// The CSV header line (with its newline) and one row's line.
std::string query_csv_header();
void append_query_csv_row(std::string& out, const QueryRec& r);

// ---- the language ----
struct ScreenOp {
  enum Code : uint8_t {
    Number, Measure, Group, TextCompare,  // operands
    Neg, Not, Abs, Min, Max,
    Add, Sub, Mul, Div,
    Lt, Le, Gt, Ge, Eq, Ne,
    And, Or,
  };
  Code code;
  uint8_t compare = 0;  // TextCompare: the comparison, Lt..Ne
  int32_t index = 0;    // Measure: which; Group: the group; TextCompare: the text, -1 for the symbol
  int32_t other = 0;    // TextCompare: the right side's text, -1 for the symbol
  double number = 0;
};

struct ScreenProgram {
  std::string text;                // as typed
  std::vector<ScreenOp> code;      // postfix
  std::vector<std::string> texts;  // the quoted texts
  std::vector<int> named;          // the measures named, in the order first named
  int depth = 0;                   // the deepest the evaluation stack goes
  bool history = false;            // names a measure of the history step
  bool empty() const { return code.empty(); }
};

// Reads an expression, a condition or a sort: both are numbers (a text is
// only compared). False with the reason in `error`, as
// "screen: ')' expected at column 14".
bool read_screen(std::string_view text, ScreenProgram* out, std::string* error);

// The value of a program for a row; NaN when the row cannot be measured by
// it (a division by zero, a measure the row has not).
double screen_value(const ScreenProgram& p, const QueryRec& r);
// A condition holds when its value is a number other than 0.
bool screen_holds(const ScreenProgram& p, const QueryRec& r);

// ---- running one ----
// What a list or a screen is kept to: a watchlist's symbols or a group.
struct Within {
  std::string name;                  // as given; empty: everything
  int group = 0;                     // a group's number, or 0
  std::vector<std::string> symbols;  // a watchlist's, sorted
  bool holds(const QueryRec& r) const;
};
extern const Within* query_within;   // what the lists print are kept to; nullptr: all

struct ScreenRow {
  QueryRec rec;
  double key;  // the sort's value
};
struct Screening {
  ScreenProgram where, sort;
  bool ascending = false;
  std::string name;  // a saved screen's, or empty
  bool history() const { return where.history || sort.history; }
  // Why the averages it names can not be had (as no_average_reason says),
  // or nullptr: the Fibonacci verdicts need none.
  const char* no_average() const;
};
// Reads a condition and its sort ("pct" when `sort` is empty) into `s`.
bool read_screen_pair(std::string_view where, std::string_view sort, Screening* s, std::string* error);
// The rows of the query table the screen finds, in its order (ties by
// symbol): in the price range, moved over the range, no index, within
// query_within, the condition holding and the sort's value a number.
std::vector<ScreenRow> run_screen(const Screening& s);
// The measures a result shows after symbol, close, pct and the sort's value
// (titled by the sort's text): those the condition names, in its order.
std::vector<int> screen_columns(const Screening& s);
std::string screen_sort_title(const Screening& s);
// The result as text (a header, then a line a row: symbol, close, pct, the
// sort's value, the measures the condition names) or as CSV (the columns
// of every list's CSV); at most `limit` rows when limit > 0.
bool write_screen(const Screening& s, const std::vector<ScreenRow>& rows, int fd, bool csv, int limit = 0);
std::string screen_header(const Screening& s);
std::string screen_line(const Screening& s, const ScreenRow& row);

// The screen the window shows, and what it found.
extern Screening shown_screen;
extern std::vector<ScreenRow> screen_rows;
// A saved screen's name, or a condition with an optional "; sort EXPR", as
// the query window's Screen field takes it; false with what is wrong.
bool read_typed_screen(const char* text, Screening* s, std::string* error);

// ---- the files of screens and watchlists, in generaldir ----
struct SavedScreen {
  std::string name, where, sort;
  int line = 0;
};
struct Watchlist {
  std::string name;
  std::vector<std::string> symbols;  // as listed
  int line = 0;
};
// "screens": "NAME: EXPR" with an optional "; sort EXPR", # comments. What
// is wrong with a line is said in `said` with its line number; a name given
// again replaces the earlier one.
std::vector<SavedScreen> read_saved_screens(std::vector<std::string>* said);
// "CONDITION ; sort EXPR" into its parts; false when the text after ';' is
// not "sort" and an expression.
bool split_screen_sort(const std::string& text, std::string* where, std::string* sort);
// "watchlists": "NAME: SYM SYM ...". An unknown symbol is kept, and said once.
std::vector<Watchlist> read_watchlists(std::vector<std::string>* said);
std::string screens_path();
std::string watchlists_path();
// Writes one watchlist into the file (replacing the one of that name, every
// other line kept), under the importer's lock, beside it and renamed over.
bool save_watchlist(const Watchlist& w, std::string* error);
// A row of the watchlists view: a watchlist's name (symbol empty), or one
// of its symbols with its close in the newest stock day file and the change
// from the one before; `listed` false when the newest file lacks it.
struct WatchRow {
  std::string list, symbol;
  float close, change;
  bool listed;
};
std::vector<WatchRow> watch_rows(const std::vector<Watchlist>& lists);
// The watchlist or group a name gives, into `out`; false for neither.
bool find_within(const std::string& name, Within* out, std::vector<std::string>* said);

// Inside the dialogs: the record of a dialog window (size, fixed lines,
// fields, button, follow-up), the tables that fill it, and what follows a
// stored value in each dialog.
#pragma once

#include <X11/Xlib.h>

#include <cstddef>
#include <vector>

#include "ui/dialogs.h"

struct Field {
  Window* win;
  int row, col, width;
  const char* label;  // at x = fw on baseline label_row
  int label_row;
  const char* hint;   // a second text: after the label, or on its own line
  int hint_row, hint_col;
  Store store;
  void* var;
  std::size_t size;   // characters a text variable holds
  bool echo;          // while typing, show the typed text (else the stored value)
  void (*show)(char* out, std::size_t n);  // the stored value, formatted
};

struct Line {
  int row;
  void (*text)(char* out, std::size_t n);  // or a fixed text
  int col = 1;
  const char* fixed = nullptr;
};

struct Dialog {
  Window* win;
  Window* done;
  int width, height, done_col, done_row;
  std::vector<Line> lines;
  std::vector<Field> fields;
  void (*after)(const Field& f, bool on_return, long old);  // what follows a stored value; old: an int's value before
  bool (*keep_open)() = nullptr;  // after a commit: the entry stays open
};

// The tables, one a dialog (dialog_tables.cpp).
extern Dialog price_dialog, adjust_dialog, date_dialog, mvavg_dialog, database_dialog, stock_dialog, comb_dialog,
    query_dialog, group_dialog, market_dialog, adln_dialog;
constexpr int DIALOGS = 11;
extern Dialog* const dialogs[DIALOGS];

// What follows a stored value, one a dialog (dialog_commits.cpp); old is an
// int's value before the store, or for the print path whether there was none.
void after_price(const Field& f, bool on_return, long old);
void after_adjust(const Field& f, bool on_return, long old);
void after_date(const Field& f, bool on_return, long old);
void after_mvavg(const Field& f, bool on_return, long old);
void after_database(const Field& f, bool on_return, long old);
void after_stock(const Field& f, bool on_return, long old);
void after_group(const Field& f, bool on_return, long old);
void after_market(const Field& f, bool on_return, long old);
void after_adln(const Field& f, bool on_return, long old);
void after_comb(const Field& f, bool on_return, long old);
void after_query(const Field& f, bool on_return, long old);
bool adln_unset();     // nothing is drawn until both settings are given
bool no_print_path();  // an empty print path, or one that begins with a blank

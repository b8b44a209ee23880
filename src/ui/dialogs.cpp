// The one generic routine of the dialog windows: it opens, draws and closes
// each dialog from its table, and commits a field's entry through the
// dialog's follow-up.
#include "ui/dialogs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "views/views.h"
#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "ui/dialog_table.h"
#include "ui/ui.h"

namespace {

bool store(const Field& f, bool on_return) { return store_typed(f.store, key_buffer, f.var, f.size, on_return); }

std::vector<Dialog*> opened;  // the open dialogs, the newest last

// ---- generic routines ----

void draw_done(const Dialog& d, Role fgc, Role bgc) {
  Window w = *d.done;
  paint_fill(w, bgc, 0, 0, 6 * font_width, font_height);
  paint_text(w, fgc, font_width, font_ascent, "done");
}

void draw_value(const Field& f) {
  char text[1100];
  f.show(text, sizeof text);
  paint_fill(*f.win, Role::GC0, 0, 0, f.width * font_width, font_height);
  paint_text(*f.win, Role::GC1, 0, font_ascent, text);
}

// A field while an entry may be in progress: blank, or the typed text
// (echo fields, real values cut to 8 characters), or the stored value.
void draw_field(const Field& f) {
  paint_fill(*f.win, Role::GC0, 0, 0, f.width * font_width, font_height);
  if (key_index <= 0) return;
  if (!f.echo) {
    draw_value(f);
    return;
  }
  int n = f.store == Store::Float ? std::min(key_index, 8) : key_index;
  paint_text(*f.win, Role::GC1, 0, font_ascent, key_buffer, n);
}

void draw_dialog(const Dialog& d) {
  Window w = *d.win;
  if (!w) return;
  char text[128];
  for (const Line& l : d.lines) {
    if (l.fixed) copy_text(text, l.fixed);
    else l.text(text, sizeof text);
    paint_text(w, Role::GC1, l.col * font_width, l.row * font_height, text);
  }
  for (const Field& f : d.fields) {
    if (f.label) paint_text(w, Role::GC1, font_width, f.label_row * font_height, f.label);
    if (f.hint) paint_text(w, Role::GC1, f.hint_col * font_width, f.hint_row * font_height, f.hint);
    draw_value(f);
  }
  draw_done(d, Role::GC1, Role::GC0);
}

bool open_dialog(Dialog& d) {
  Trace t("open_dialog", "width=%d height=%d", d.width, d.height);
  if (*d.win || !KD_Display) return false;
  *d.win = create_dialog(d.width * font_width, d.height * font_height);
  for (Field& f : d.fields) {
    *f.win = create_child(*d.win, f.col * font_width, bw + f.row * font_height, f.width * font_width, font_height);
    XSelectInput(KD_Display, *f.win, event_mask_field);
  }
  *d.done = create_child(*d.win, d.done_col * font_width, bw + d.done_row * font_height, 6 * font_width, font_height);
  XSelectInput(KD_Display, *d.win, event_mask_window);
  XSelectInput(KD_Display, *d.done, event_mask_window);
  XMapRaised(KD_Display, *d.win);
  XMapSubwindows(KD_Display, *d.win);
  opened.push_back(&d);
  return true;
}

void close_dialog(Dialog& d) {
  opened.erase(std::remove(opened.begin(), opened.end(), &d), opened.end());
  if (*d.win && KD_Display) XDestroyWindow(KD_Display, *d.win);
  *d.win = 0;
  *d.done = 0;
  for (Field& f : d.fields) {
    if (KD_InputWin && KD_InputWin == *f.win) KD_InputWin = 0;
    *f.win = 0;
  }
}

struct Found {
  Dialog* dialog;
  const Field* field;
};

Found find_field(Window w) {
  if (!w) return {nullptr, nullptr};
  for (Dialog* d : dialogs)
    for (const Field& f : d->fields)
      if (*f.win == w) return {d, &f};
  return {nullptr, nullptr};
}

Dialog* dialog_of_done(Window w) {
  if (!w) return nullptr;
  for (Dialog* d : dialogs)
    if (*d->done == w) return d;
  return nullptr;
}

// Stores the entry of a field and runs its follow-up; false keeps it open.
bool commit(const Found& f, bool on_return) {
  Trace t("commit", "on_return=%d", on_return);
  begin_action();
  long old = f.field->store == Store::Int ? *static_cast<int*>(f.field->var)
             : f.field->var == printpath   ? no_print_path()
                                           : 0;
  if (!store(*f.field, on_return)) return false;
  f.dialog->after(*f.field, on_return, old);
  return true;
}

}  // namespace

void draw_pricewin() {
  Trace t("draw_pricewin");
  if (debuglvl >= 2) debug("%d-> draw_pricewin: pricetype=%x\n", stkind, pricetype);
  draw_dialog(price_dialog);
}
void draw_adjustwin() { Trace t("draw_adjustwin"); draw_dialog(adjust_dialog); }
void draw_datewin() { Trace t("draw_datewin"); draw_dialog(date_dialog); }
void draw_mvavgwin() { Trace t("draw_mvavgwin"); draw_dialog(mvavg_dialog); }
void draw_databasewin() { Trace t("draw_databasewin"); draw_dialog(database_dialog); }
void draw_stockwin() { Trace t("draw_stockwin"); draw_dialog(stock_dialog); }
void draw_combwin() { Trace t("draw_combwin"); draw_dialog(comb_dialog); }
void draw_groupwin() { Trace t("draw_groupwin"); draw_dialog(group_dialog); }
void draw_marketwin() { Trace t("draw_marketwin"); draw_dialog(market_dialog); }
void draw_adlnwin() { Trace t("draw_adlnwin"); draw_dialog(adln_dialog); }
void draw_querywin() { Trace t("draw_querywin"); draw_dialog(query_dialog); }
void make_querywin() {
  Trace t("make_querywin");
  open_dialog(query_dialog);
}

bool open_price_dialog() { return open_dialog(price_dialog); }
bool open_adjust_dialog() { return open_dialog(adjust_dialog); }
bool open_date_dialog() { return open_dialog(date_dialog); }
bool open_mvavg_dialog() { return open_dialog(mvavg_dialog); }
bool open_database_dialog() { return open_dialog(database_dialog); }
bool open_stock_dialog() { return open_dialog(stock_dialog); }
bool open_comb_dialog() { return open_dialog(comb_dialog); }
bool open_group_dialog() { return open_dialog(group_dialog); }
bool open_market_dialog() { return open_dialog(market_dialog); }
bool open_adln_dialog() { return open_dialog(adln_dialog); }
void close_group_dialog() { close_dialog(group_dialog); }
void close_stock_dialog() { close_dialog(stock_dialog); }

void forget_dialogs() {
  opened.clear();
  for (Dialog* d : dialogs) {
    *d->win = *d->done = 0;
    for (Field& f : d->fields) *f.win = 0;
  }
}

namespace {

void arrow(Window w, PaintPoint a, PaintPoint b, PaintPoint c) {
  PaintPoint p[3] = {a, b, c};
  paint_polygon(w, Role::GC1, p, 3);
}
short s(int v) { return static_cast<short>(v); }

}  // namespace

void draw_leftarrow() {
  arrow(KD_ArrowLeft, {0, s(font_height / 2)}, {s(2 * font_width), 0}, {s(2 * font_width), s(font_height)});
}
void draw_rightarrow() {
  arrow(KD_ArrowRight, {s(2 * font_width), s(font_height / 2)}, {0, 0}, {0, s(font_height)});
}
void draw_uparrow() { arrow(KD_ArrowUp, {s(font_width), 0}, {0, s(font_height)}, {s(2 * font_width), s(font_height)}); }
void draw_downarrow() { arrow(KD_ArrowDown, {s(font_width), s(font_height)}, {0, 0}, {s(2 * font_width), 0}); }

bool dialog_expose(Window w) {
  for (Dialog* d : dialogs)
    if (*d->win == w && w) {
      draw_dialog(*d);
      return true;
    }
  struct { Window* win; void (*draw)(); } arrows[] = {
      {&KD_ArrowLeft, draw_leftarrow}, {&KD_ArrowRight, draw_rightarrow},
      {&KD_ArrowUp, draw_uparrow}, {&KD_ArrowDown, draw_downarrow}};
  for (auto& a : arrows)
    if (*a.win == w && w) {
      a.draw();
      return true;
    }
  return false;
}

bool field_enter(Window w) {
  if (Found f = find_field(w); f.field) {
    draw_field(*f.field);
    return true;
  }
  if (Dialog* d = dialog_of_done(w)) {
    draw_done(*d, Role::GC0, Role::GC1);
    return true;
  }
  return false;
}

bool field_leave(Window w) {
  if (Dialog* d = dialog_of_done(w)) {
    draw_done(*d, Role::GC1, Role::GC0);
    return true;
  }
  Found f = find_field(w);
  if (!f.field) return false;
  if (key_index == 0) {
    draw_dialog(*f.dialog);  // nothing typed: the old value again
  } else if (!commit(f, false) || (f.dialog->keep_open && f.dialog->keep_open())) {
    return true;  // the entry stays open
  }
  KD_InputWin = 0;
  key_index = 0;
  key_buffer[0] = '\0';
  return true;
}

bool field_return(Window w) {
  Found f = find_field(w);
  if (!f.field) return false;
  if (!commit(f, true)) return true;
  if (f.field->var == printpath) return true;  // the print path keeps its entry
  if (f.dialog->keep_open && f.dialog->keep_open()) return true;
  key_index = 0;
  key_buffer[0] = '\0';
  return true;
}

bool done_release(Window w) {
  Dialog* d = dialog_of_done(w);
  if (!d) return false;
  begin_action();
  close_dialog(*d);
  return true;
}

std::vector<Window> open_dialog_windows() {
  std::vector<Window> out;
  for (const Dialog* d : opened) out.push_back(*d->win);
  if (KD_ColorWin) out.push_back(KD_ColorWin);
  return out;
}

bool close_newest_dialog() {
  if (opened.empty()) return false;
  close_dialog(*opened.back());
  return true;
}

std::size_t field_limit(Window w) {
  Found f = find_field(w);
  return f.field && f.field->size ? f.field->size : 255;
}

// Keys and the wheel in the main window, where no dialog field is under the
// pointer: a symbol typed there and charted with Return, the arrows, pages
// and ends of the charts and lists, Escape, Ctrl+F and Ctrl+S, and Ctrl+N,
// Ctrl+P and Ctrl+W for the lists of one's own.
#include <X11/keysym.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "ui/dialogs.h"
#include "ui/ui.h"
#include "views/views.h"

char typed_symbol[9];

namespace {

bool chart_view() { return chart_view(graphlook); }
bool distribution_view() { return graphlook == View::Query && querylook == ListView::Distribution; }
bool list_view() {
  return list_view(graphlook) && !distribution_view();
}

// A panel of one security stays that panel for the next one; every other
// screen gives way to the price chart.
bool security_panel() { return chart_view() && graphlook != View::Group && graphlook != View::AdLine; }

// The company list turns to the page of the first symbol typed so far.
void turn_to_typed() {
  int row = company_row_of(typed_symbol), rows = page_rows();
  if (row < 0 || rows <= 0) return;
  arrow_index = row / rows * rows;
  draw_chart();  // which clears the window first
}

void show_typed() {
  std::string text = std::string("symbol ") + typed_symbol + ": Return charts it, Escape drops it";
  if (graphlook == View::Companies && company_row_of(typed_symbol) < 0)
    text = std::string("no symbol begins with ") + typed_symbol;
  show_message(text);
}

void type_symbol(char c) {
  std::size_t n = std::strlen(typed_symbol);
  if (n + 1 >= sizeof typed_symbol) return;
  typed_symbol[n] = upper_char(c);
  typed_symbol[n + 1] = '\0';
  if (graphlook == View::Companies) turn_to_typed();
  show_typed();
}

void backspace() {
  std::size_t n = std::strlen(typed_symbol);
  if (n == 0) return;
  typed_symbol[n - 1] = '\0';
  if (n > 1) show_typed();
  else show_message("");
}

bool known(const char* sym) {
  char path[1100];
  std::snprintf(path, sizeof path, "%s/%s", symboldir, sym);
  return &find_co(sym) != &nocompany || data_file_readable(path);
}

// Return: the typed symbol is charted as the stock dialog charts it; one
// that nothing knows leaves the chart as it was.
void chart_typed() {
  char sym[sizeof typed_symbol];
  copy_text(sym, typed_symbol);
  begin_action();
  if (!sym[0]) return;
  if (!known(sym)) {
    std::string text = std::string("no security ") + sym + " in the company table or the symbol directory";
    tell(text.c_str());
    return;
  }
  chart_keeping_view(sym);
}

}  // namespace

void chart_keeping_view(const char* sym, bool query_days) {
  if (KD_GroupWin) clear_group_var();
  if (load == 2) clear_db_var();
  if (graphlook == View::Market) destroymarket();
  if (!security_panel()) graphlook = View::Price;
  copy_text(symbolname, sym);
  stockbuyavol = 0;
  stockbuyprice = 0;
  queryflag = query_days;
  set_arrow_updwn(3);
  bool loaded = loadstock() == 0;
  calculate_globals();
  draw_chart();
  if (loaded) set_arrow_leftright(2);
  if (KD_StockWin) draw_stockwin();
}

namespace {

void escape() {
  if (typed_symbol[0]) {
    begin_action();
    return;
  }
  begin_action();
  if (!close_newest_dialog()) close_colour_window();
}

void left() {
  if (chart_view() || distribution_view()) fn_arrowleft();
}
void right() {
  if (chart_view() || distribution_view()) fn_arrowright();
}
void up() {
  if (distribution_view()) fn_arrowup();
}
void down() {
  if (distribution_view()) fn_arrowdown();
}
void page_up() {
  if (list_view()) fn_arrowup();
}
void page_down() {
  if (list_view()) fn_arrowdown();
}
void home() {
  if (list_view()) fn_firstpage();
  else if (chart_view()) fn_firstdays();
}
void end() {
  if (list_view()) fn_lastpage();
  else if (chart_view()) fn_lastdays();
}

// clang-format off
const struct { unsigned long sym; void (*act)(); } keys[] = {
  {XK_Return, chart_typed}, {XK_KP_Enter, chart_typed}, {XK_BackSpace, backspace}, {XK_Escape, escape},
  {XK_Left, left},          {XK_Right, right},          {XK_Up, up},               {XK_Down, down},
  {XK_Prior, page_up},      {XK_Next, page_down},       {XK_Home, home},           {XK_End, end},
};
// clang-format on

bool symbol_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '.'; }

}  // namespace

void forget_typed_symbol() { typed_symbol[0] = '\0'; }

void main_window_key(unsigned long keysym, const char* text, int n, unsigned int state) {
  Trace t("main_window_key", "keysym=%lu", keysym);
  if (state & ControlMask) {
    if (keysym == XK_s || keysym == XK_S) save_dialog_settings();
    if (keysym == XK_f || keysym == XK_F) toggle_fit();
    if (keysym == XK_n || keysym == XK_N) flip(1);
    if (keysym == XK_p || keysym == XK_P) flip(-1);
    if (keysym == XK_w || keysym == XK_W) add_to_watchlist();
    return;
  }
  for (const auto& k : keys)
    if (k.sym == keysym) {
      if (k.act != chart_typed && k.act != backspace && k.act != escape) begin_action();
      k.act();
      return;
    }
  if (n == 1 && symbol_char(text[0])) type_symbol(text[0]);
}

void main_window_wheel(bool up) {
  Trace t("main_window_wheel", "up=%d", up);
  begin_action();
  if (list_view()) up ? fn_arrowup() : fn_arrowdown();
  else if (chart_view() || distribution_view()) up ? fn_arrowleft() : fn_arrowright();
}

void toggle_fit() {
  begin_action();
  fitshown = !fitshown;
  if (!fitshown && (load == 1 || load == 2)) calc_price();  // the scales of all loaded days again
  calculate_globals();
  draw_chart();
  show_message(fitshown ? "scales fit the days shown (Ctrl+F: all loaded days)"
                        : "scales fit all loaded days (Ctrl+F: the days shown)");
}

void save_dialog_settings() {
  begin_action();
  std::string path, error;
  int n = save_settings(&path, &error);
  path = whole_path(path);
  char text[1400];
  if (n > 0) std::snprintf(text, sizeof text, "settings: %d changed, saved to %s", n, path.c_str());
  else if (n == 0) std::snprintf(text, sizeof text, "settings: nothing changed, %s left as it was", path.c_str());
  else if (n == SAVE_READ_ONLY) std::snprintf(text, sizeof text, "settings: %s is read-only: settings not saved", path.c_str());
  else std::snprintf(text, sizeof text, "settings: can not write %s (%s); the file is as it was", path.c_str(),
                     error.c_str());
  tell(text);
}

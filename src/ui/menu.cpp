// The menu bar: one table of titles and items with the rules applied around
// each action, opening a menu, choosing an item, and the arrow rules.
#include <X11/cursorfont.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "views/views.h"
#include "core/core.h"
#include "core/text.h"
#include "ui/dialogs.h"
#include "ui/ui.h"

MenuEntry menu[MENUS][MENU_ENTRIES];
int active_menu = -1;

namespace {

struct Item {
  int menu, entry;
  const char* label;
  void (*action)();
  int updown, leftright, redraw;
  View graphlook;
  ListView querylook;
};

void redraw() { draw_chart(); }

// menu entry label            action        u  l  r   g   q
const Item items[] = {
    {0, 0, "query", nullptr, 1, 1, 2, View::Cleared, ListView::Unset},
    {0, 1, "price", fast_query, 2, 3, 1, View::Query, ListView::Price},
    {0, 2, "percent", fast_query, 2, 3, 1, View::Query, ListView::Percent},
    {0, 3, "volume", fast_query, 2, 3, 1, View::Query, ListView::Volume},
    {0, 4, "dollar value", fast_query, 2, 3, 1, View::Query, ListView::DollarValue},
    {0, 5, "volatity", fast_query, 2, 3, 1, View::Query, ListView::Volatility},
    {0, 6, "gaps", fast_query, 2, 3, 1, View::Query, ListView::Gaps},
    {0, 7, "top/bottom", fast_query, 2, 3, 1, View::Query, ListView::TopBottom},
    {0, 8, "moving avg", slow_query, 2, 3, 1, View::Query, ListView::MovingAvg},
    {0, 9, "bolinger", slow_query, 2, 3, 1, View::Query, ListView::Bollinger},
    {0, 10, "groups", fn_groups, 2, 3, 1, View::Query, ListView::Groups},
    {0, 11, "high volume", fast_query, 2, 3, 1, View::Query, ListView::HighVolume},
    {0, 12, "rsi", slow_query, 2, 3, 1, View::Query, ListView::Rsi},
    {0, 13, "fibonacci", slow_query, 2, 3, 1, View::Query, ListView::Fibonacci},
    {0, 14, "distribution", fn_distr, 2, 2, 1, View::Query, ListView::Distribution},
    {0, 15, "low count", fn_hl, 2, 3, 1, View::Query, ListView::LowCount},
    {0, 16, "high count", fn_hl, 2, 3, 1, View::Query, ListView::HighCount},
    {0, 17, "screen", fn_screen, 2, 3, 2, View::Cleared, ListView::Unset},
    {1, 0, "graph", nullptr, 1, 1, 2, View::Cleared, ListView::Unset},
    {1, 1, "stock", fn_stock, 3, 2, 1, View::Price, ListView::Unset},
    {1, 2, "volume", fn_volume, 3, 2, 1, View::Volume, ListView::Unset},
    {1, 3, "movement", fn_move, 3, 2, 1, View::Movement, ListView::Unset},
    {1, 4, "value", fn_gvalue, 3, 2, 1, View::Value, ListView::Unset},
    {1, 5, "rsi", fn_rsi, 3, 2, 1, View::Rsi, ListView::Unset},
    {1, 6, "macd", fn_macd, 3, 2, 1, View::Macd, ListView::Unset},
    {1, 7, "stochastic", fn_stoch, 3, 2, 1, View::Stoch, ListView::Unset},
    {1, 8, "group", fn_group, 3, 2, 1, View::Group, ListView::Unset},
    {1, 9, "split scr", fn_comb, 3, 2, 1, View::Split, ListView::Unset},
    {1, 10, "a/d line", fn_adln, 3, 2, 1, View::AdLine, ListView::Unset},
    {2, 0, "modify", nullptr, 1, 1, 2, View::Cleared, ListView::Unset},
    {2, 1, "date", fn_date, 1, 1, 3, View::Cleared, ListView::Unset},
    {2, 2, "price", fn_price, 1, 1, 3, View::Cleared, ListView::Unset},
    {3, 0, "indicators", nullptr, 1, 1, 2, View::Cleared, ListView::Unset},
    {3, 1, "moving avg", fn_mvavg, 1, 1, 3, View::Cleared, ListView::Unset},
    {3, 2, "market", fn_market, 3, 3, 3, View::Cleared, ListView::Unset},
    {4, 0, "action", nullptr, 1, 1, 2, View::Cleared, ListView::Unset},
    {4, 1, "adjust", fn_adjust, 1, 1, 2, View::Cleared, ListView::Unset},
    {4, 2, "zoom", fn_zoom, 1, 1, 3, View::Cleared, ListView::Unset},
    {4, 3, "unzoom", fn_unzoom, 1, 1, 3, View::Cleared, ListView::Unset},
    {4, 4, "mark vol", fn_mark, 1, 1, 3, View::Cleared, ListView::Unset},
    {4, 5, "unmark vol", fn_unmark, 1, 1, 3, View::Cleared, ListView::Unset},
    {4, 6, "print", fn_print, 1, 1, 3, View::Cleared, ListView::Unset},
    {4, 7, "grid on", fn_grid, 1, 1, 3, View::Cleared, ListView::Unset},
    {4, 8, "track on", fn_track, 1, 1, 3, View::Cleared, ListView::Unset},
    {4, 9, "status on", fn_status, 1, 1, 3, View::Cleared, ListView::Unset},
    {4, 10, "trace on", fn_trace, 1, 1, 3, View::Cleared, ListView::Unset},
    {5, 0, "configuration", nullptr, 1, 1, 2, View::Cleared, ListView::Unset},
    {5, 1, "colors", fn_colors, 1, 1, 3, View::Cleared, ListView::Unset},
    {5, 2, "database", fn_database, 1, 1, 3, View::Cleared, ListView::Unset},
    {5, 3, "companys", redraw, 2, 3, 1, View::Companies, ListView::Unset},
    {5, 4, "groups", redraw, 2, 3, 1, View::Groups, ListView::Unset},
    {5, 5, "watchlists", fn_watchlists, 2, 3, 1, View::Watchlists, ListView::Unset},
    {6, 0, "quit", nullptr, 1, 1, 2, View::Cleared, ListView::Unset},
};

// Title x and widths of titles and items, in character widths (x adds 4).
struct Column {
  int title_x, title_w, item_w;
};
const Column columns[MENUS - 1] = {{0, 7, 14}, {8, 7, 11}, {16, 8, 8}, {25, 12, 12}, {38, 8, 12}, {47, 15, 15}};

void place(MenuEntry& e, int m, int k) {
  int fw = font_width, fh = font_height;
  if (m == 6) {
    e.x = main_win_width - 8 * fw;
    e.width = 6 * fw;
  } else {
    e.x = columns[m].title_x * fw + 4;
    e.width = (k == 0 ? columns[m].title_w : columns[m].item_w) * fw;
  }
  e.y = k == 0 ? static_cast<int>(0.5 * fh) : static_cast<int>((0.6 + 2 * k) * fh);
  if (m == 6) e.y = fh / 2;
  e.height = 2 * fh;
}

}  // namespace

void set_switch_label(const char* format, bool on) {
  char as_on[24], as_off[24];
  std::snprintf(as_on, sizeof as_on, format, "on");
  std::snprintf(as_off, sizeof as_off, format, "off");
  for (auto& m : menu)
    for (MenuEntry& e : m)
      if (std::strcmp(e.label, as_on) == 0 || std::strcmp(e.label, as_off) == 0)
        copy_text(e.label, on ? as_off : as_on);
}

void initialize_menu() {
  Trace t("initialize_menu");
  for (auto& m : menu)
    for (MenuEntry& e : m) {
      e = MenuEntry{};
      e.updown = e.leftright = 1;
      e.redraw = 2;
      e.text_x = font_width;
      e.text_y = font_height;
      e.y = font_height / 2;
    }
  for (const Item& it : items) {
    MenuEntry& e = menu[it.menu][it.entry];
    copy_text(e.label, it.label);
    e.action = it.action;
    e.updown = it.updown;
    e.leftright = it.leftright;
    e.redraw = it.redraw;
    e.graphlook = it.graphlook;
    e.querylook = it.querylook;
    place(e, it.menu, it.entry);
  }
  set_switch_label("trace %s", debuglvl != 0);
  set_switch_label("status %s", KD_StatusWin != 0);
  set_switch_label("grid %s", gridstate == 1);
  set_switch_label("track %s", trackstate == 1);
  if (!KD_Display) return;
  for (auto& m : menu)
    for (MenuEntry& e : m)
      if (e.label[0]) e.window = create_child(KD_MainWin, e.x, e.y, e.width, e.height);
}

MenuEntry* menu_entry_of(Window w) {
  if (!w) return nullptr;
  for (auto& m : menu)
    for (MenuEntry& e : m)
      if (e.window == w && e.label[0]) return &e;
  return nullptr;
}

void draw_menu(Role fgc, Role bgc, Window w) {
  MenuEntry* e = menu_entry_of(w);
  if (!e) return;
  paint_fill(w, bgc, 0, 0, e->width, e->height);
  paint_text(w, fgc, e->text_x, e->text_y, e->label);
}

void set_arrow_updwn(int mode) {
  Trace t("set_arrow_updwn", "mode=%d", mode);
  if (!KD_Display) return;
  int y = main_win_height - font_height - 2 * bw;
  if (mode == 2) {
    XMoveWindow(KD_Display, KD_ArrowUp, 0, y);
    XMapRaised(KD_Display, KD_ArrowUp);
    XMoveWindow(KD_Display, KD_ArrowDown, main_win_width - 2 * font_width - 2 * bw, y);
    XMapRaised(KD_Display, KD_ArrowDown);
  } else if (mode == 3) {
    XUnmapWindow(KD_Display, KD_ArrowUp);
    XUnmapWindow(KD_Display, KD_ArrowDown);
  }
}

void set_arrow_leftright(int mode) {
  Trace t("set_arrow_leftright", "mode=%d", mode);
  if (!KD_Display) return;
  if (mode == 2) {
    XMoveWindow(KD_Display, KD_ArrowLeft, xlt_indent - 6 * font_width, ylb_indent + font_height - bw);
    XMapRaised(KD_Display, KD_ArrowLeft);
    XMoveWindow(KD_Display, KD_ArrowRight, xrt_indent + font_width, yrb_indent + font_height - bw);
    XMapRaised(KD_Display, KD_ArrowRight);
  } else if (mode == 3) {
    XUnmapWindow(KD_Display, KD_ArrowLeft);
    XUnmapWindow(KD_Display, KD_ArrowRight);
  }
}

namespace {

std::vector<Window> lowered;  // the dialogs put under the main window while a menu is down

// Whether a dialog covers an item of menu m (both in the screen's pixels).
bool over_items(Window w, int m) {
  Window child;
  XWindowAttributes a;
  int mx, my, x, y;
  if (!XGetWindowAttributes(KD_Display, w, &a) || !XTranslateCoordinates(KD_Display, w, KD_RootWin, 0, 0, &x, &y, &child) ||
      !XTranslateCoordinates(KD_Display, KD_MainWin, KD_RootWin, 0, 0, &mx, &my, &child))
    return false;
  for (int k = 1; k < MENU_ENTRIES; ++k) {
    const MenuEntry& e = menu[m][k];
    if (e.label[0] && e.window && x - a.border_width < mx + e.x + e.width && x + a.width + a.border_width > mx + e.x &&
        y - a.border_width < my + e.y + e.height && y + a.height + a.border_width > my + e.y)
      return true;
  }
  return false;
}

}  // namespace

// The dialogs over the menu's items wait under the main window until it
// closes: every item can be chosen, print too while the database dialog is
// open.
void open_menu(int m) {
  Trace t("open_menu", "m=%d", m);
  if (m == 6) fn_quit();
  if (m < 0 || m >= MENUS || !KD_Display) return;
  for (int k = 1; k < MENU_ENTRIES; ++k) {
    MenuEntry& e = menu[m][k];
    if (!e.label[0] || !e.window) continue;
    XSelectInput(KD_Display, e.window, event_mask_window);
    XMapRaised(KD_Display, e.window);
  }
  for (Window w : open_dialog_windows())
    if (over_items(w, m)) XLowerWindow(KD_Display, w), lowered.push_back(w);
  active_menu = m;
}

static void close_menu() {
  if (active_menu < 0 || active_menu >= MENUS || !KD_Display) return;
  for (int k = 1; k < MENU_ENTRIES; ++k)
    if (menu[active_menu][k].window) XUnmapWindow(KD_Display, menu[active_menu][k].window);
  for (Window w : lowered) XRaiseWindow(KD_Display, w);  // one closed meanwhile is gone: harmless
  lowered.clear();
}

void choose_item(Window w) {
  Trace t("choose_item");
  MenuEntry* found = nullptr;
  for (auto& m : menu)
    for (int k = 1; k < MENU_ENTRIES; ++k)
      if (m[k].window == w && m[k].label[0] && w) found = &m[k];
  close_menu();
  active_menu = -1;
  if (!found) return;
  begin_action();
  MenuEntry item = *found;  // the action may rewrite the label
  if (item.redraw == 1) clear_graph();
  if (item.graphlook != View::Cleared) graphlook = item.graphlook;
  if (item.querylook != ListView::Unset) querylook = item.querylook;
  if (item.updown == 3) set_arrow_updwn(3);
  if (item.leftright == 3) set_arrow_leftright(3);
  if (graphlook != View::Market) destroymarket();  // leaving the summary screen
  if (item.action) item.action();
  if (item.updown == 2) set_arrow_updwn(2);
  if (item.leftright == 2) set_arrow_leftright(2);
  if (item.redraw == 3) draw_chart();
  // A switch item's new label shows when the menu opens next.
  if (found->window && std::strcmp(found->label, item.label) != 0 && KD_Display)
    XClearArea(KD_Display, found->window, 0, 0, 0, 0, True);
}

// The X event handlers, looked up by event type. Each finds by window what
// the event is for: a menu entry, a dialog field or button, an arrow, the
// colour window, or the chart area (whose pointer work is chart_pointer.cpp).
#include <X11/Xutil.h>
#include <fcntl.h>
#include <sys/select.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <X11/keysym.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "views/views.h"
#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "ui/dialogs.h"
#include "ui/ui.h"

XEvent KD_Event;
Window KD_InputWin;
char key_buffer[256];
int key_index;

namespace {

using Handler = void (*)();

// Expose goes to its handler only for the last of a run of exposures.
void expose_last() {
  if (KD_Event.xexpose.count == 0) expose();
}

constexpr auto handlers = [] {
  std::array<Handler, LASTEvent> t{};
  t[KeyPress] = keypress;
  t[ButtonPress] = buttonpress;
  t[ButtonRelease] = buttonrelease;
  t[MotionNotify] = mousemove;
  t[EnterNotify] = enter;
  t[LeaveNotify] = leave;
  t[Expose] = expose_last;
  t[ConfigureNotify] = reconfigure;
  return t;
}();

int colour_field(Window w) {
  if (!w || !KD_ColorWin) return -1;
  for (int i = 0; i < COLOR_WIN_FIELDS; ++i)
    if (KD_ColorWinSet[i] == w) return i;
  return -1;
}

void start_entry(Window w) {
  key_index = 0;
  key_buffer[0] = '\0';
  KD_InputWin = w;
}

void end_entry() {
  KD_InputWin = 0;
  key_index = 0;
  key_buffer[0] = '\0';
}

void buy_values_cleared() {
  stockbuyavol = 0;
  stockbuyprice = 0;
}

}  // namespace

namespace {

int child_pipe[2] = {-1, -1};  // a byte arrives when a child process ends

void on_child(int) {
  int saved = errno;
  char c = 0;
  [[maybe_unused]] ssize_t n = write(child_pipe[1], &c, 1);
  errno = saved;
}

void watch_children() {
  if (child_pipe[0] >= 0 || pipe(child_pipe) != 0) return;
  for (int fd : child_pipe) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  struct sigaction sa = {};
  sa.sa_handler = on_child;
  sa.sa_flags = SA_RESTART | SA_NOCLDSTOP;
  sigaction(SIGCHLD, &sa, nullptr);
}

}  // namespace

void next_event() {
  watch_children();
  while (!XPending(KD_Display)) {  // flushes what was drawn
    fd_set fds;
    FD_ZERO(&fds);
    int x = ConnectionNumber(KD_Display);
    FD_SET(x, &fds);
    FD_SET(child_pipe[0], &fds);
    if (select(std::max(x, child_pipe[0]) + 1, &fds, nullptr, nullptr, nullptr) < 0 && errno != EINTR) break;
    if (FD_ISSET(child_pipe[0], &fds)) {
      char drain[64];
      while (read(child_pipe[0], drain, sizeof drain) > 0) {
      }
      reap_print_children();
    }
  }
  XNextEvent(KD_Display, &KD_Event);
}

void dispatch_event() {
  int type = KD_Event.type;
  if (type >= 0 && type < LASTEvent && handlers[type]) handlers[type]();
}

void expose() {
  Trace t("expose");
  const XExposeEvent& e = KD_Event.xexpose;
  if (debuglvl >= 2)
    dump("\ttype=%d serial=%ld window=%d x=%d y=%d width=%d height=%d count=%d\n", e.type,
         static_cast<long>(e.serial), static_cast<int>(e.window), e.x, e.y, e.width, e.height, e.count);
  if (e.window == KD_MainWin) {
    // An area cleared before the server had the last chart drawing is
    // covered by it (a menu action's own redraw, the market screen's code
    // windows made again); one cleared after it is drawn again.
    if (static_cast<long>(e.serial - chart_drawn_to) >= 0) draw_chart();
  } else if (KD_ColorWin && e.window == KD_ColorWin) {
    draw_colorwin();
  } else if (!dialog_expose(e.window) && !market_cell_expose(e.window)) {
    draw_menu(Role::GC1, Role::GC0, e.window);
  }
}

void reconfigure() {
  Trace t("reconfigure");
  const XConfigureEvent& e = KD_Event.xconfigure;
  if (debuglvl >= 2)
    dump("\ttype=%d serial=%ld window=%d x=%d y=%d width=%d height=%d count=%d\n", e.type,
         static_cast<long>(e.serial), static_cast<int>(e.window), e.x, e.y, e.width, e.height, 0);
  if (e.window != KD_MainWin) return;
  if (e.width == main_win_width && e.height == main_win_height) return;
  main_win_width = e.width;
  main_win_height = e.height;
  calculate_globals();
  MenuEntry& quit = menu[6][0];
  quit.x = main_win_width - 8 * font_width;
  if (quit.window && KD_Display) XMoveWindow(KD_Display, quit.window, quit.x, quit.y);
  set_arrow_updwn(3);
  set_arrow_leftright(3);
  clear_graph();
  if (graphlook == View::Cleared || graphlook == View::Market) return;
  if (graphlook == View::Query || graphlook == View::Groups || graphlook == View::Companies) {
    set_arrow_updwn(2);
    if (querylook == ListView::Distribution) set_arrow_leftright(2);
  } else {
    set_arrow_leftright(2);
  }
}

void enter() {
  Trace t("enter");
  const XCrossingEvent& e = KD_Event.xcrossing;
  if (debuglvl >= 2)
    dump("\ttype=%d serial=%ld window=%d x=%d y=%d\n", e.type, static_cast<long>(e.serial),
         static_cast<int>(e.window), e.x, e.y);
  if (menu_entry_of(e.window)) {
    draw_menu(Role::GC0, Role::GC1, e.window);
    return;
  }
  start_entry(e.window);
  if (int i = colour_field(e.window); i >= 0) draw_color_win(i);
  else if (KD_ColorWinDone && e.window == KD_ColorWinDone) draw_colorwin_done(Role::GC0, Role::GC1);
  else field_enter(e.window);
}

namespace {

// A colour typed into the colour window: allocated, or reported.
void commit_colour(int i, bool on_return) {
  begin_action();
  ColorEntry& entry = current_color_table()[i];
  long pixel = XMakeNamedColor(key_buffer);
  if (pixel >= 0) {
    copy_text(entry.name, key_buffer);
    color_pixel(i) = static_cast<unsigned long>(pixel);
    Reset_Colors(i);
    for (int m = 0; m < MENUS; ++m) draw_menu(Role::GC1, Role::GC0, menu[m][0].window);
  } else {
    status("event", __LINE__, on_return ? "keypress: XMakeNamedColor failed" : "leave: XMakeNamedColor failed");
  }
  draw_chart();
  key_index = 0;
  key_buffer[0] = '\0';
  paint_fill(KD_ColorWinSet[i], Role::GC0, 0, 0, 16 * font_width, font_height);
  paint_text(KD_ColorWinSet[i], Role::GC1, font_width, font_ascent, entry.name);
}

}  // namespace

void leave() {
  Trace t("leave");
  Window w = KD_Event.xcrossing.window;
  if (menu_entry_of(w)) {
    draw_menu(Role::GC1, Role::GC0, w);
    return;
  }
  if (int i = colour_field(w); i >= 0) {
    if (key_index > 0) commit_colour(i, false);
    else draw_colorwin();
    end_entry();
    return;
  }
  if (KD_ColorWinDone && w == KD_ColorWinDone) {
    draw_colorwin_done(Role::GC1, Role::GC0);
    return;
  }
  field_leave(w);
}

void keypress() {
  Trace t("keypress");
  char text[16];
  KeySym sym = 0;
  int n = XLookupString(&KD_Event.xkey, text, sizeof text, &sym, nullptr);
  Window w = KD_Event.xkey.window;
  if (w && w == KD_MainWin) {
    main_window_key(sym, text, n, KD_Event.xkey.state);
    return;
  }
  if (sym == XK_Shift_L || sym == XK_Shift_R || n <= 0 || text[0] == '\0') return;  // no character
  if (!KD_InputWin) KD_InputWin = w;
  char c = text[0];
  if (c == '\r' || c == '\n') {
    if (int i = colour_field(w); i >= 0) commit_colour(i, true);
    else field_return(w);
    return;
  }
  if (c == 8 || c == 127) {
    if (key_index > 0) {
      key_buffer[--key_index] = '\0';
      paint_fill(KD_InputWin, Role::GC0, key_index * font_width, 0, font_width, font_height);
    }
  } else {
    if (key_index == 0) paint_fill(KD_InputWin, Role::GC0, 0, 0, 24 * font_width, font_height);
    std::size_t limit = colour_field(w) >= 0 ? 15 : field_limit(w);
    if (static_cast<std::size_t>(key_index) < limit && key_index < 255) {
      key_buffer[key_index++] = c;
      key_buffer[key_index] = '\0';
    }
  }
  paint_text(KD_InputWin, Role::GC1, 0, font_ascent, key_buffer, key_index);
}

namespace {
// A code of the market summary charted as a security; one that does not
// load leaves the summary standing under the loader's message.
void chart_market_code(const char* code) {
  char sym[16];
  copy_text(sym, code);
  begin_action();
  buy_values_cleared();
  copy_text(symbolname, sym);
  if (loadstock() != 0) {
    draw_chart();
    return;
  }
  destroymarket();
  graphlook = View::Price;
  calculate_globals();
  draw_chart();
  set_arrow_updwn(3);
  set_arrow_leftright(2);
}

// Charts a group chosen in a list.
void chart_group(const char* name) {
  begin_action();
  clear_graph();
  buy_values_cleared();
  copy_text(groupname, name);
  graphlook = View::Group;
  loadgroup();
  calc_price();
  calculate_globals();
  draw_chart();
  set_arrow_updwn(3);
  set_arrow_leftright(2);
}

// A click on a row of a ranked list charts that security.
bool open_query_row(int column, int row) {
  int i = query_row_at(column, row);
  if (i < 0) return false;
  queryflag = 1;
  chart_chosen(qs[i].symbol);
  return true;
}

// A click in the company list opens the security under it.
bool open_listed_company(int column, int row) {
  std::string sym = draw_companys(2, column, row + 1);
  if (sym.empty()) return false;
  set_arrow_updwn(3);
  chart_chosen(sym.c_str());
  return true;
}

int title_menu(Window w) {
  for (int m = 0; m < MENUS; ++m)
    if (menu[m][0].window == w && w) return m;
  return -1;
}

}  // namespace

// Charts a security chosen in a list.
void chart_chosen(const char* sym) {
  begin_action();
  clear_graph();
  buy_values_cleared();
  copy_text(symbolname, sym);
  graphlook = View::Price;
  loadstock();
  calculate_globals();
  draw_chart();
  set_arrow_updwn(3);
  set_arrow_leftright(2);
}

void buttonpress() {
  Trace t("buttonpress");
  const XButtonEvent& e = KD_Event.xbutton;
  if (e.button == Button4 || e.button == Button5) {  // the wheel
    if (e.window == KD_MainWin && zoom != 1) main_window_wheel(e.button == Button4);
    return;
  }
  int column = font_width > 0 ? e.x / font_width : 0, row = font_height > 0 ? e.y / font_height : 0;
  if (e.window == KD_MainWin && graphlook == View::Query && querylook == ListView::Screen) {
    open_screen_row(row);
    return;
  }
  if (e.window == KD_MainWin && graphlook == View::Query && querylook != ListView::Groups && open_query_row(column, row))
    return;
  if (e.window == KD_MainWin && graphlook == View::Watchlists && open_watch_entry(column, row)) return;
  if (e.window == KD_MainWin && graphlook == View::Query && querylook == ListView::Groups) {
    if (int g = query_group_at(column, row); g >= 0) {
      queryflag = 1;
      char number[16];
      std::snprintf(number, sizeof number, "%d", groups[static_cast<std::size_t>(g)].num);
      chart_group(number);
      return;
    }
  }
  if (e.window == KD_MainWin && graphlook == View::Companies && open_listed_company(column, row)) return;
  if (e.window == KD_MainWin && graphlook == View::Groups) {
    std::string code = draw_grps(2, column, row + 1);
    if (!code.empty()) {
      set_arrow_updwn(3);
      chart_group(code.c_str());
    }
    return;
  }
  if (zoom == 1) {
    if (e.window != KD_MainWin) return;
    if (KD_Display) XSelectInput(KD_Display, KD_MainWin, event_mask_tracking | KeyPressMask);
    zoom_x = e.x;
    zoom_y = e.y;
    return;
  }
  if (int m = title_menu(e.window); m >= 0) open_menu(m);
}

namespace {

bool arrow_release(Window w) {
  if (!w || (w != KD_ArrowLeft && w != KD_ArrowRight && w != KD_ArrowUp && w != KD_ArrowDown)) return false;
  begin_action();
  if (w == KD_ArrowLeft) fn_arrowleft();
  else if (w == KD_ArrowRight) fn_arrowright();
  else if (w == KD_ArrowUp) fn_arrowup();
  else if (w == KD_ArrowDown) fn_arrowdown();
  else return false;
  return true;
}

bool colour_done(Window w) {
  if (!KD_ColorWinDone || w != KD_ColorWinDone) return false;
  return close_colour_window();
}

}  // namespace

bool close_colour_window() {
  if (!KD_ColorWin) return false;
  if (KD_Display) XDestroyWindow(KD_Display, KD_ColorWin);
  KD_ColorWin = KD_ColorWinDone = 0;
  for (Window& f : KD_ColorWinSet) {
    if (KD_InputWin == f) KD_InputWin = 0;
    f = 0;
  }
  return true;
}

void buttonrelease() {
  Trace t("buttonrelease");
  const XButtonEvent& e = KD_Event.xbutton;
  if (e.button == Button4 || e.button == Button5) return;  // the wheel acted on its press
  if (mark == 1) {
    mark_day(e.x);
    return;
  }
  if (arrow_release(e.window) || colour_done(e.window) || done_release(e.window)) return;
  if (const char* code = graphlook == View::Market ? market_code_of(e.window) : nullptr) {  // a cell of the summary
    chart_market_code(code);
    return;
  }
  choose_item(e.window);
  if (zoom == 1 && zoom_x != -1) complete_zoom();
}

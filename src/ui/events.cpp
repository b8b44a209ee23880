// The X event handlers, looked up by event type.
#include <array>
#include <ctime>

#include "chart/chart.h"
#include "core/core.h"
#include "ui/ui.h"

XEvent KD_Event;
Window KD_InputWin;
char key_buffer[256];
int key_index;
time_t last;

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

}  // namespace

void dispatch_event() {
  int type = KD_Event.type;
  if (type >= 0 && type < LASTEvent && handlers[type]) handlers[type]();
}

void expose() {
  Trace t("expose");
  const XExposeEvent& e = KD_Event.xexpose;
  if (debuglvl >= 2)
    dump("\ttype=%d serial=%ld window=%d x=%d y=%d width=%d height=%d count=%d\n", e.type,
         static_cast<long>(e.serial), static_cast<int>(e.window), e.x, e.y, e.width, e.height,
         e.count);
  if (e.window == KD_MainWin) {
    time_t now = time(nullptr);
    if (now - last >= 1) {
      draw_chart();
      last = now;
    }
  } else if (KD_ColorWin && e.window == KD_ColorWin) {
    draw_colorwin();
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
  clear_graph();
}

// The menu bar, dialogs and chart interaction answer these once they exist.
void keypress() { Trace t("keypress"); }
void buttonpress() { Trace t("buttonpress"); }
void buttonrelease() { Trace t("buttonrelease"); }
void mousemove() { Trace t("mousemove"); }
void enter() { Trace t("enter"); }
void leave() { Trace t("leave"); }

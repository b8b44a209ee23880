// The status window, fatal errors of the display, and the trace and status
// switches of the menu.
#include <cstdio>
#include <cstdlib>

#include "core/core.h"
#include "paint/paint.h"
#include "ui/ui.h"

Window KD_StatusWin = 0;

namespace {

// "file MODULE: line N: message" across the status window.
void show_status(const char* module, int linenum, const char* msg) {
  if (!KD_StatusWin) return;
  paint_fill(KD_StatusWin, Role::GC0, 0, 0, main_win_width, 2 * font_height);
  if (msg[0] != '\0') {
    char prefix[128];
    int n = std::snprintf(prefix, sizeof prefix, "file %s: line %d:", module, linenum);
    if (n < 0) n = 0;
    if (n >= static_cast<int>(sizeof prefix)) n = sizeof prefix - 1;
    paint_text(KD_StatusWin, Role::Graph, 0, font_height, prefix, n);
    paint_text(KD_StatusWin, Role::Graph, (n + 1) * font_width, font_height, msg);
  }
  paint_flush();
}

}  // namespace

void install_status_window() {
  status_sink = [](const char* module, int linenum, const char* msg) {
    show_status(module, linenum, msg);
    message_from_status(msg);
  };
}

void XError(const char* msg) {
  std::fprintf(stderr, "%s: %s\n", "kadmer", msg);
  std::exit(1);
}

void fn_trace() {
  Trace t("fn_trace");
  if (debuglvl == 0) {
    debuglvl = 1;
    stkind = 3;
  } else {
    debuglvl = 0;
  }
  set_switch_label("trace %s", debuglvl != 0);
}

void fn_status() {
  Trace t("fn_status");
  if (KD_StatusWin) {
    if (KD_Display) XDestroyWindow(KD_Display, KD_StatusWin);
    KD_StatusWin = 0;
  } else {
    KD_StatusWin = create_status_window();
    if (KD_StatusWin) status("fn", 37, "");
  }
  set_switch_label("status %s", KD_StatusWin != 0);
}

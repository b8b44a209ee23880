// kadmer: stock-market charts and queries for the X Window System.
//
// main runs the start-up steps in order and then serves X events for ever:
//   trace level from the arguments, start values (core/state.cpp), the
//   configuration file (core/config.cpp), the command line through the X
//   resource manager (ui/args.cpp), the group and company tables
//   (data/tables.cpp), then the display, colours, font, main window and
//   graphics contexts (ui/display.cpp, ui/colors.cpp).
// Each event goes to its handler by type (ui/events.cpp); the handlers draw
// through the dispatcher of the views (views/) and the drawing layer
// (paint/), whose X target is ui/xtarget.cpp; the queries live in query/.
// While waiting for events the loop also collects finished print writers.
#include <X11/Xlib.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

#include "core/core.h"
#include "data/data.h"
#include "ui/ui.h"

// "-t N" anywhere sets the trace level; the last pair wins, and a "-t" with
// nothing after it is ignored.
static int trace_level_of(int argc, char** argv) {
  int level = 0;
  for (int i = 0; i + 1 < argc; ++i)
    if (argv[i][0] == '-' && argv[i][1] == 't' && argv[i + 1][0] != '\0')
      level = std::atoi(argv[i + 1]);
  return level;
}

static void trace_arguments(int argc, char** argv) {
  debug("%d-> kadmer(argc=%d,", stkind, argc);
  for (int i = 0; i < argc; ++i)
    dump(" argv[%d]=%s%s", i, argv[i], i == argc - 1 ? ")\n" : ", ");
  if (argc == 0) dump(")\n");
  debug("%d-> kadmer: debuglvl=%d\n", stkind, debuglvl);
}

#ifdef KADMER_COVERAGE
// A coverage build writes its counts when stopped by SIGTERM too, as the
// window tests stop the program, then ends as the signal would have.
extern "C" void __gcov_dump();
static void write_counts_and_stop(int sig) {
  __gcov_dump();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}
#endif

int main(int argc, char** argv) {
#ifdef KADMER_COVERAGE
  std::signal(SIGTERM, write_counts_and_stop);
#endif
  prepare_trace_stamp();
  ++stkind;
  debuglvl = trace_level_of(argc, argv);
  if (debuglvl >= 1) trace_arguments(argc, argv);
  initial_vars();
  parse_config(0, argc, argv);
  parse_args(argc, argv);
  remember_settings();  // Ctrl+S writes back what changes from here on
  initial_groups();
  initial_companys();
  initial_graph();
  for (;;) {
    next_event();
    dispatch_event();
  }
}

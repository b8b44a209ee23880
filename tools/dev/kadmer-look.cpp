// kadmer-look: a developer harness, not installed. It starts like kadmer,
// then loads a security and sets the view from its own options, so that a
// chart can be looked at (and screenshot by the tests) before the menus
// exist. It prints "drawn" each time the main window has been redrawn.
//
//   kadmer-look [--symbol SYM] [--look N] [--comb LETTERS] [--quote b|d]
//               [--prices N] [--mvavg] [--bollinger] [--fib] [--grid]
//               [--period N] [--laxis C] [--raxis C] [--buy PRICE]
//               [--buyvolume N] [--turnover] [--format C] [X options...]
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "views/views.h"
#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "ui/ui.h"

namespace {

struct Shown {
  std::string symbol;
  int look = 1;
};

// Takes the harness's own options out of argv; the rest goes to kadmer's parsers.
Shown take_view_options(int* argc, char** argv) {
  Shown v;
  int out = 1;
  for (int i = 1; i < *argc; ++i) {
    std::string a = argv[i];
    auto next = [&]() -> const char* { return i + 1 < *argc ? argv[++i] : ""; };
    if (a == "--symbol") v.symbol = next();
    else if (a == "--look") v.look = std::atoi(next());
    else if (a == "--comb") copy_text(comblist, next());
    else if (a == "--quote") quotelook = next()[0];
    else if (a == "--prices") pricetype = std::atoi(next());
    else if (a == "--mvavg") mvavgflag = 1;
    else if (a == "--bollinger") bollingerflag = 1;
    else if (a == "--fib") fibflag = 1;
    else if (a == "--grid") gridstate = 1;
    else if (a == "--turnover") volflag = 1;
    else if (a == "--period") graph_type = std::atoi(next());
    else if (a == "--laxis") laxis = next()[0];
    else if (a == "--raxis") raxis = next()[0];
    else if (a == "--format") format = next()[0];
    else if (a == "--buy") stockbuyprice = static_cast<float>(std::atof(next()));
    else if (a == "--buyvolume") buyvolume = std::atoi(next());
    else argv[out++] = argv[i];
  }
  *argc = out;
  argv[out] = nullptr;
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  prepare_trace_stamp();
  ++stkind;
  initial_vars();
  parse_config(0, argc, argv);
  Shown view = take_view_options(&argc, argv);  // after the file: the options win
  parse_args(argc, argv);
  initial_groups();
  initial_companys();
  initial_graph();
  if (!view.symbol.empty()) {
    copy_text(symbolname, view.symbol);
    if (loadstock() != 0) std::fprintf(stderr, "kadmer-look: %s\n", last_status);
  }
  graphlook = static_cast<View>(view.look);  // the harness takes a screen's number
  calculate_globals();
  for (;;) {
    XNextEvent(KD_Display, &KD_Event);
    bool main_expose = KD_Event.type == Expose && KD_Event.xexpose.window == KD_MainWin &&
                       KD_Event.xexpose.count == 0;
    dispatch_event();
    if (main_expose) {
      XSync(KD_Display, False);
      std::printf("drawn\n");
      std::fflush(stdout);
    }
  }
}

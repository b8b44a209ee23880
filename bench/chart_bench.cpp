// Drawing into a real window (the display of $DISPLAY, normally a private
// Xvfb started by scripts/bench.sh), timed until XSync returns.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench/market.h"
#include "views/views.h"
#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "ui/dialogs.h"
#include "ui/ui.h"
#ifdef KADMER_HAVE_CAIRO
#include "paint/cairo/cairo_target.h"
#endif

namespace {

// A window wide enough for 500 days at four pixels each.
bool open_display() {
  static bool open = false;
  if (open) return true;
  const char* display = std::getenv("DISPLAY");
  if (!display) return false;
  copy_text(KD_DisplayName, display);
  width = 360;
  height = 60;
  initial_graph();
  XSync(KD_Display, False);
  open = true;
  return true;
}

void show_all_loaded_days() {
  KD_csd = KD_sd, KD_csm = KD_sm, KD_csy = KD_sy;
  fill_work();
  calculate_globals();
}

void chart_setup(benchmark::State& state, View look, const char* comb) {
  if (!open_display()) {
    state.SkipWithError("no DISPLAY");
    return;
  }
  use_market();
  copy_text(symbolname, steady_stock());
  if (loadstock() != 0) state.SkipWithError("load failed");
  show_all_loaded_days();
  mvavgflag = bollingerflag = 1;
  bolstd = 2;
  copy_text(comblist, comb);
  graphlook = look;
}

void BM_draw_chart_500_days_average_and_bands(benchmark::State& state) {
  chart_setup(state, View::Price, "sr");
  for (auto _ : state) {
    draw_chart();
    XSync(KD_Display, False);
  }
  state.counters["days"] = disp_days;
}
BENCHMARK(BM_draw_chart_500_days_average_and_bands)->Unit(benchmark::kMillisecond);

void BM_draw_chart_split_screen_smrtv(benchmark::State& state) {
  chart_setup(state, View::Split, "smrtv");
  for (auto _ : state) {
    graphlook = View::Split;
    draw_chart();
    XSync(KD_Display, False);
  }
}
BENCHMARK(BM_draw_chart_split_screen_smrtv)->Unit(benchmark::kMillisecond);

// The pointer over the split screen with tracking on: the read-out and the
// crosshair, which moving removes and draws again without a panel drawn.
void move_pointer(int x, int y) {
  KD_Event.type = MotionNotify;
  KD_Event.xmotion.window = KD_MainWin;
  KD_Event.xmotion.x = x, KD_Event.xmotion.y = y;
  mousemove();
}

// Four panels against the comparison, drawn, and the pointer moved over them.
void BM_draw_split_screen_svrm_with_the_crosshair(benchmark::State& state) {
  copy_text(comparename, steady_stock(1));
  chart_setup(state, View::Split, "svrm");
  trackstate = 1;
  int y = (ylt_indent + ylb_indent) / 2;
  for (auto _ : state) {
    draw_chart();
    move_pointer((xlb_indent + xrt_indent) / 2, y);
    XSync(KD_Display, False);
  }
  trackstate = 0, comparename[0] = '\0';
  state.counters["days"] = disp_days;
}
BENCHMARK(BM_draw_split_screen_svrm_with_the_crosshair)->Unit(benchmark::kMillisecond);

void BM_move_the_crosshair_over_500_days(benchmark::State& state) {
  chart_setup(state, View::Split, "svrm");
  trackstate = 1;
  draw_chart();
  int x = xlb_indent + 1, y = (ylt_indent + ylb_indent) / 2;
  for (auto _ : state) {
    x = x + 7 < xrt_indent ? x + 7 : xlb_indent + 1;
    move_pointer(x, y);
    XSync(KD_Display, False);
  }
  trackstate = 0;
}
BENCHMARK(BM_move_the_crosshair_over_500_days)->Unit(benchmark::kMicrosecond);

#ifdef KADMER_HAVE_CAIRO
// kadmer-plot's PNG of the same four panels: drawn by cairo and encoded.
void BM_png_of_the_split_screen_500_days(benchmark::State& state) {
  copy_text(comparename, steady_stock(1));
  chart_setup(state, View::Split, "svrc");
  for (auto _ : state) {
    CairoTarget png(CairoTarget::Format::Png);
    PaintTarget* window = install_target(&png);
    draw_chart();
    install_target(window);
    std::string bytes, error;
    if (!png.finish(&bytes, &error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(bytes);
  }
  comparename[0] = '\0';
}
BENCHMARK(BM_png_of_the_split_screen_500_days)->Unit(benchmark::kMillisecond);
#endif

void BM_draw_company_list_10000(benchmark::State& state) {
  if (!open_display()) {
    state.SkipWithError("no DISPLAY");
    return;
  }
  use_companies_10000();
  for (auto _ : state) {
    graphlook = View::Companies;
    draw_chart();
    XSync(KD_Display, False);
  }
  state.counters["companies"] = num_companys;
}
BENCHMARK(BM_draw_company_list_10000)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// From a symbol committed in the stock dialog to its chart drawn: the load
// from the day files of the whole market, the work days and the drawing.
void BM_commit_symbol_to_chart(benchmark::State& state) {
  if (!open_display()) {
    state.SkipWithError("no DISPLAY");
    return;
  }
  use_market();
  const char* sym = steady_stock();
  copy_text(comparename, state.range(0) ? steady_stock(1) : "");  // the comparison loads from the day files too
  graphlook = View::Price;
  fn_stock();
  for (auto _ : state) {
    key_index = static_cast<int>(std::strlen(sym));
    copy_text(key_buffer, sym);
    KD_InputWin = KD_StockWinName;
    field_return(KD_StockWinName);  // stores, loads, draws
    XSync(KD_Display, False);
  }
  state.counters["days"] = num_days - 1;
  comparename[0] = '\0';
}
BENCHMARK(BM_commit_symbol_to_chart)->Arg(0)->Arg(1)->ArgName("compared")->Unit(benchmark::kMillisecond);

}  // namespace

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

void chart_setup(benchmark::State& state, int look, const char* comb) {
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
  chart_setup(state, 1, "sr");
  for (auto _ : state) {
    draw_chart();
    XSync(KD_Display, False);
  }
  state.counters["days"] = disp_days;
}
BENCHMARK(BM_draw_chart_500_days_average_and_bands)->Unit(benchmark::kMillisecond);

void BM_draw_chart_split_screen_smrtv(benchmark::State& state) {
  chart_setup(state, 7, "smrtv");
  for (auto _ : state) {
    graphlook = 7;
    draw_chart();
    XSync(KD_Display, False);
  }
}
BENCHMARK(BM_draw_chart_split_screen_smrtv)->Unit(benchmark::kMillisecond);

void BM_draw_company_list_10000(benchmark::State& state) {
  if (!open_display()) {
    state.SkipWithError("no DISPLAY");
    return;
  }
  use_companies_10000();
  for (auto _ : state) {
    graphlook = 13;
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
  graphlook = 1;
  fn_stock();
  for (auto _ : state) {
    key_index = static_cast<int>(std::strlen(sym));
    copy_text(key_buffer, sym);
    KD_InputWin = KD_StockWinName;
    field_return(KD_StockWinName);  // stores, loads, draws
    XSync(KD_Display, False);
  }
  state.counters["days"] = num_days - 1;
}
BENCHMARK(BM_commit_symbol_to_chart)->Unit(benchmark::kMillisecond);

}  // namespace

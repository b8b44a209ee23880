// Loading and computing at the scale of a whole market: about 9,000
// securities and 500 trading days, generated once into a scratch folder.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/market.h"
#include "core/core.h"
#include "core/text.h"
#include "data/data.h"

namespace {

void BM_loadstock_day_files(benchmark::State& state) {
  use_market();
  const char* sym = steady_stock();
  for (auto _ : state) {
    copy_text(symbolname, sym);
    if (loadstock() != 0) state.SkipWithError("load failed");
  }
  state.counters["days"] = num_days - 1;
}
BENCHMARK(BM_loadstock_day_files)->Unit(benchmark::kMillisecond);

void BM_loadstock_symbol_file_30_years(benchmark::State& state) {
  use_market();
  copy_text(symboldir, thirty_years());
  for (auto _ : state) {
    copy_text(symbolname, "LONG");
    if (loadstock() != 0) state.SkipWithError("load failed");
  }
  state.counters["days"] = num_days - 1;
}
BENCHMARK(BM_loadstock_symbol_file_30_years)->Unit(benchmark::kMillisecond);

void BM_fill_work_7500_days(benchmark::State& state) {
  use_market();
  copy_text(symboldir, thirty_years());
  copy_text(symbolname, "LONG");
  if (loadstock() != 0) state.SkipWithError("load failed");
  for (auto _ : state) fill_work();
  state.counters["days"] = num_days - 1;
}
BENCHMARK(BM_fill_work_7500_days)->Unit(benchmark::kMillisecond);

void BM_initial_companys_10000(benchmark::State& state) {
  use_companies_10000();
  copy_text(generaldir, scratch() + "/companies");
  for (auto _ : state) initial_companys();
  state.counters["companies"] = num_companys;
}
BENCHMARK(BM_initial_companys_10000)->Unit(benchmark::kMillisecond);

}  // namespace


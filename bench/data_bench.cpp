// Loading and computing at the scale of a whole market: about 9,000
// securities and 500 trading days, generated once into a scratch folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/market.h"
#include "core/core.h"
#include "core/text.h"
#include "data/data.h"

namespace fs = std::filesystem;

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

// A per-symbol file of 30 years of weekdays.
std::string thirty_years() {
  std::string dir = scratch() + "/symbols30";
  if (!fs::exists(dir + "/LONG")) {
    fs::create_directories(dir);
    std::ofstream out(dir + "/LONG");
    double close = 20;
    for (long day = day_number(1996, 12, 2), n = 0; n < 7500; ++day) {
      int wd = weekday_of(day);
      if (wd == 0 || wd == 6) continue;
      int y, m, d;
      civil_date(day, &y, &m, &d);
      close = std::max(1.0, close + ((n * 7919) % 11 - 5) / 16.0);
      char line[96];
      std::snprintf(line, sizeof line, "%02d%02d%02d, %.4f, %.4f, %.4f, %ld\n", y % 100, m, d, close + 0.5,
                    close - 0.5, close, 1000 + n % 977);
      out << line;
      ++n;
    }
  }
  return dir;
}

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


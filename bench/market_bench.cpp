// Group charts, the advance/decline line and the market summary over a
// whole generated market (about 9,000 securities, 500 trading days).
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "bench/market.h"
#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "market/market.h"

namespace {

// A group of 50 stocks listed the whole time, added to the table once.
void use_group_of_50() {
  use_market();
  static bool made = false;
  if (!made) {
    GroupRec g{};
    g.num = num_groups + 1;
    copy_text(g.code, "BENCH50");
    copy_text(g.name, "Fifty");
    groups.push_back(g);
    ++num_groups;
    int members = 0;
    for (int i = 0; i < num_companys && members < 50; i += 97)
      for (int& slot : companys[i].group)
        if (companys[i].type == 'S' && slot == 0) {
          slot = g.num;
          ++members;
          break;
        }
    made = true;
  }
  copy_text(groupname, "BENCH50");
}

void BM_loadgroup_50_day_files(benchmark::State& state) {
  use_group_of_50();
  groupmode = 't';
  threads = static_cast<int>(state.range(0));
  for (auto _ : state)
    if (loadgroup() != 0) state.SkipWithError(last_status);
  state.counters["days"] = num_days - 1;
  threads = 0;
}
BENCHMARK(BM_loadgroup_50_day_files)->Arg(1)->Arg(0)->ArgName("threads")->Unit(benchmark::kMillisecond);

void BM_loadgroup_50_symbol_files(benchmark::State& state) {
  use_group_of_50();
  copy_text(symboldir, every_symbol_file());
  groupmode = 't';
  for (auto _ : state)
    if (loadgroup() != 0) state.SkipWithError(last_status);
  state.counters["days"] = num_days - 1;
}
BENCHMARK(BM_loadgroup_50_symbol_files)->Unit(benchmark::kMillisecond);

// The advance/decline line over every day of the market.
void BM_loadad_500_days(benchmark::State& state) {
  use_market();
  KD_csd = 1, KD_csm = 1, KD_csy = 25;  // before the first day file
  KD_ced = 4, KD_cem = 12, KD_cey = 26;
  threads = static_cast<int>(state.range(1));
  for (auto _ : state) {
    copy_text(adln_depth, state.range(0) ? "G" : "S");
    if (loadad() != 0) state.SkipWithError(last_status);
  }
  state.counters["days"] = num_days - 1;
  threads = 0;
}
BENCHMARK(BM_loadad_500_days)->ArgsProduct({{0, 1}, {1, 0}})->ArgNames({"groups", "threads"})->Unit(benchmark::kMillisecond);

void BM_fill_market(benchmark::State& state) {
  use_market();
  marketsday = 120326, marketeday = 120426, marketdisp = 'N';
  for (auto _ : state) fill_market();
  state.counters["codes"] = marketnum;
}
BENCHMARK(BM_fill_market)->Unit(benchmark::kMillisecond);

}  // namespace

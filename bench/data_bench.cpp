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

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"

namespace fs = std::filesystem;

namespace {

std::string scratch() {
  static std::string dir = [] {
    std::string d = (fs::temp_directory_path() / "kadmer-bench").string();
    if (!fs::exists(d + "/market/days/s261204")) {
      fs::create_directories(d);
      std::string cmd = std::string(KADMER_GEN) + " --out " + d +
                        "/market --stocks 9000 --funds 200 --days 500 --end 261204 --symbol-every 1000000";
      if (std::system(cmd.c_str()) != 0) std::abort();
    }
    return d;
  }();
  return dir;
}

void use_market() {
  std::string m = scratch() + "/market";
  copy_text(generaldir, m + "/general");
  copy_text(daydir, m + "/days");
  copy_text(symboldir, m + "/nosymbols");
  static bool tables = false;
  if (!tables) {
    initial_groups();
    initial_companys();
    tables = true;
  }
  mvavgtype = 1;
  mvavgdays = 20;
  stochdays = 14;
}

// A stock listed from the first day to the last, from the middle of the table.
const char* steady_stock() {
  static std::string sym;
  if (sym.empty()) {
    for (int i = num_companys / 2; i < num_companys; ++i) {
      copy_text(symbolname, companys[i].symbol);
      if (companys[i].type == 'S' && loadstock() == 0 && disp_days > 480) {
        sym = companys[i].symbol;
        break;
      }
    }
  }
  return sym.c_str();
}

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
  std::string dir = scratch() + "/companies";
  if (!fs::exists(dir + "/companys")) {
    fs::create_directories(dir);
    std::ofstream groups(dir + "/groups");
    for (int g = 1; g <= 60; ++g) groups << g << ":Group " << g << ":G" << g << ":\n";
    std::ofstream out(dir + "/companys");
    for (int i = 0; i < 10000; ++i) {
      std::string sym;
      for (int k = i + 17576; k > 0; k /= 26) sym += static_cast<char>('A' + k % 26);
      out << sym << ":Company " << i << ":S:N:G" << i % 60 + 1 << ",G" << (i * 7) % 60 + 1 << ":950310-" << i
          << ":\n";
    }
  }
  copy_text(generaldir, dir);
  initial_groups();
  for (auto _ : state) initial_companys();
  state.counters["companies"] = num_companys;
}
BENCHMARK(BM_initial_companys_10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

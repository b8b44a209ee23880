// kadmer-import as a user runs it (the whole process, start-up and company
// table included): 30 years of one security into a new per-symbol file, and
// one day of the whole market (about 9,000 stocks) into a new day file.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/market.h"
#include "data/data.h"

namespace fs = std::filesystem;

namespace {

// Runs kadmer-import in `dir` with its output thrown away; false on failure.
bool run_import(const std::string& dir, std::initializer_list<const char*> args) {
  pid_t pid = fork();
  if (pid == 0) {
    if (!std::freopen("/dev/null", "w", stdout) || chdir(dir.c_str()) != 0) _exit(127);
    std::vector<char*> argv{const_cast<char*>("kadmer-import")};
    for (const char* a : args) argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    execv(KADMER_IMPORT, argv.data());
    _exit(127);
  }
  int st;
  return waitpid(pid, &st, 0) == pid && WIFEXITED(st) && WEXITSTATUS(st) == 0;
}

void BM_import_30_years_into_a_symbol_file(benchmark::State& state) {
  std::string dir = scratch() + "/import30";
  fs::create_directories(dir + "/general");
  std::ofstream(dir + "/.kadmer") << "generaldir=general\nsymboldir=symbols\ndaydir=days\n";
  std::ofstream(dir + "/general/companys") << "# symbol:name:type:market:groups:YYMMDD-shares:\n";
  std::ofstream csv(dir + "/long.csv");
  csv << "Date,Open,High,Low,Close,Volume\n";
  int rows = 0;
  for (long day = day_number(1996, 12, 2); day <= day_number(2026, 12, 4); ++day) {
    if (weekday_of(day) == 0 || weekday_of(day) == 6) continue;
    int y, m, d;
    civil_date(day, &y, &m, &d);
    double c = 30 + (rows % 400) * 0.0625;
    char line[128];
    std::snprintf(line, sizeof line, "%04d-%02d-%02d,%.4f,%.4f,%.4f,%.4f,%d\n", y, m, d, c, c + 0.5, c - 0.5, c,
                  100000 + rows % 997 * 100);
    csv << line;
    ++rows;
  }
  csv.close();
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(dir + "/symbols");
    fs::remove(dir + "/general/companys");
    std::ofstream(dir + "/general/companys") << "# symbol:name:type:market:groups:YYMMDD-shares:\n";
    state.ResumeTiming();
    if (!run_import(dir, {"--symbol", "LONG", "long.csv"})) state.SkipWithError("kadmer-import failed");
  }
  state.counters["days"] = rows;
}
BENCHMARK(BM_import_30_years_into_a_symbol_file)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_import_one_day_of_the_market_into_a_day_file(benchmark::State& state) {
  std::string dir = scratch() + "/import1", market = scratch() + "/market";
  fs::create_directories(dir);
  std::ofstream(dir + "/.kadmer") << "generaldir=" << market << "/general\nsymboldir=symbols\ndaydir=days\n";
  std::ifstream day(market + "/days/s261204");
  std::ofstream csv(dir + "/day.csv");
  csv << "Symbol,Date,High,Low,Close,Volume\n";
  int rows = 0;
  for (std::string line; std::getline(day, line);) {
    std::size_t comma = line.find(',');
    if (line[0] == '#' || comma == std::string::npos) continue;
    std::string rest = line.substr(comma + 1);  // "high, low, close, volume"
    rest.erase(std::remove(rest.begin(), rest.end(), ' '), rest.end());
    csv << line.substr(0, comma) << ",2026-12-04," << rest << "\n";
    ++rows;
  }
  csv.close();
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(dir + "/days");
    state.ResumeTiming();
    if (!run_import(dir, {"--output", "day", "--volume-unit", "hundreds", "day.csv"}))
      state.SkipWithError("kadmer-import failed");
  }
  state.counters["securities"] = rows;
}
BENCHMARK(BM_import_one_day_of_the_market_into_a_day_file)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

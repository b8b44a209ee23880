// Queries over a whole generated market: the day files of the last 252 and
// of all 500 trading days read into the query table, against reading the
// same files and discarding them; kadmer-scan's peak memory on 500 days.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/market.h"
#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "query/query.h"

namespace {

// The stock day files of the market, oldest first.
const std::vector<std::string>& day_files() {
  static std::vector<std::string> files = [] {
    std::vector<std::string> f;
    for (const auto& e : std::filesystem::directory_iterator(scratch() + "/market/days"))
      if (e.path().filename().string()[0] == 's') f.push_back(e.path().string());
    std::sort(f.begin(), f.end());  // one century: names sort by date
    return f;
  }();
  return files;
}

int mmddyy_of_file(const std::string& path) {
  int v = std::atoi(path.c_str() + path.size() - 6);  // YYMMDD
  return v / 100 % 100 * 10000 + v % 100 * 100 + v / 10000;
}

// A query that reads the last `days` day files: its start date is the day
// after the first of them.
void set_range(int days) {
  const std::vector<std::string>& f = day_files();
  const std::string& first = f[f.size() - static_cast<std::size_t>(days)];
  querysdate = mmddyy_of(mmddyy_days(mmddyy_of_file(first)) + 1);
  queryedate = querycdate = mmddyy_of_file(f.back());
  querycount = 20;
  querylook = ListView::Percent;
}

// Days, and threads (0: every core).
void BM_load_query(benchmark::State& state) {
  use_market();
  set_range(static_cast<int>(state.range(0)));
  threads = static_cast<int>(state.range(1));
  for (auto _ : state) {
    load_query();
    if (querynum == 0) state.SkipWithError("nothing loaded");
  }
  state.counters["files"] = querydays;
  state.counters["rows"] = querynum;
  threads = 0;
}
BENCHMARK(BM_load_query)->ArgsProduct({{252, 500}, {1, 0}})->ArgNames({"days", "threads"})->Unit(benchmark::kMillisecond);

void BM_read_day_files(benchmark::State& state) {
  const std::vector<std::string>& f = day_files();
  std::vector<char> buffer(1 << 16);
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (std::size_t i = f.size() - static_cast<std::size_t>(state.range(0)); i < f.size(); ++i) {
      FILE* in = std::fopen(f[i].c_str(), "rb");
      std::size_t n;
      while ((n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) bytes += n;
      std::fclose(in);
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_read_day_files)->Arg(252)->Arg(500)->Unit(benchmark::kMillisecond);

// The steps of the history, group and distribution lists on the rows of a
// 252-day query.
void query_252() {
  use_market();
  set_range(252);
  querylook = ListView::Percent;
  load_query();
}

void BM_load_query_extra_252(benchmark::State& state) {
  query_252();
  copy_text(symboldir, every_symbol_file());
  for (auto _ : state) load_query_extra();
  int with_average = 0;
  for (int i = 0; i < querynum; ++i) with_average += qs[i].mvavg != 0;
  state.counters["rows"] = querynum;
  state.counters["averaged"] = with_average;
}
BENCHMARK(BM_load_query_extra_252)->Unit(benchmark::kMillisecond);

void BM_load_query_groups(benchmark::State& state) {
  query_252();
  for (auto _ : state) load_query_groups();
}
BENCHMARK(BM_load_query_groups)->Unit(benchmark::kMillisecond);

void BM_load_query_distr(benchmark::State& state) {
  query_252();
  for (auto _ : state) load_query_distr();
}
BENCHMARK(BM_load_query_distr)->Unit(benchmark::kMillisecond);

// kadmer-scan over all 500 days, as a script runs it: wall time and the
// largest resident size of the process.
void BM_kadmer_scan_500_days(benchmark::State& state) {
  use_market();
  set_range(500);
  std::string market = scratch() + "/market";  // its .kadmer names relative folders
  char start[16], end[16];
  std::snprintf(start, sizeof start, "%06d", querysdate % 100 * 10000 + querysdate / 100);
  std::snprintf(end, sizeof end, "%06d", queryedate % 100 * 10000 + queryedate / 100);
  long peak_kb = 0;
  for (auto _ : state) {
    pid_t pid = fork();
    if (pid == 0) {
      if (!std::freopen("/dev/null", "w", stdout) || chdir(market.c_str()) != 0) _exit(127);
      execl(KADMER_SCAN, "kadmer-scan", "--config", ".kadmer", "--start", start, "--end", end, "--list",
            "percent", static_cast<char*>(nullptr));
      _exit(127);
    }
    int st;
    struct rusage ru;
    if (wait4(pid, &st, 0, &ru) != pid || !WIFEXITED(st) || WEXITSTATUS(st) != 0) state.SkipWithError("kadmer-scan failed");
    peak_kb = std::max(peak_kb, ru.ru_maxrss);
  }
  state.counters["peak_rss_MB"] = static_cast<double>(peak_kb) / 1024;
}
BENCHMARK(BM_kadmer_scan_500_days)->Unit(benchmark::kMillisecond);

}  // namespace

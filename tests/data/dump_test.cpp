// kadmer-dump end to end: the numbers the chart works with, as CSV.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "support/market.h"
#include "support/xvfb.h"

namespace fs = std::filesystem;

namespace {

class Dump : public MarketTest {
 protected:
  static TempDir* db;
  static void SetUpTestSuite() {
    db = new TempDir;
    RunResult r = run_program(kadmer_gen(), {"--out", db->file("m"), "--stocks", "30", "--days", "120",
                                             "--end", "261204", "--absolute"});
    ASSERT_EQ(0, r.status) << r.err;
  }
  static void TearDownTestSuite() { delete db; }
  static std::string config() { return db->file("m/.kadmer"); }
  // The first per-symbol file, by name, that traded every day of the first
  // November week and holds most of the range.
  static std::string symbol_with_file() {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(db->file("m/symbols"))) names.insert(e.path().filename());
    for (const std::string& n : names) {
      std::string text = read_file(db->file("m/symbols/" + n));
      bool week = true;
      for (const char* day : {"261102,", "261103,", "261104,", "261105,", "261106,"})
        week = week && text.find(std::string("\n") + day) != std::string::npos;
      if (week && split_lines(text).size() > 110) return n;
    }
    return "";
  }
  RunResult dump(std::vector<std::string> args) {
    args.insert(args.begin(), {"--config", config()});
    return run_program(kadmer_dump(), args);
  }
  // The CSV rows kadmer itself computes for the loaded work days.
  std::vector<std::string> expected_rows() {
    std::vector<std::string> rows;
    char line[1024];
    for (const WorkDay& w : shown()) {
      int n = std::snprintf(line, sizeof line, "%04d-%02d-%02d,%04d-%02d-%02d,%.9g,%.9g,%.9g,%lld,%d",
                            full_year(w.syear), w.smon, w.sday, full_year(w.eyear), w.emon, w.eday, w.high,
                            w.low, w.close, static_cast<long long>(w.volume), w.nodata);
      for (float v : {w.mvavg, w.stdev, w.avgvol, w.rsi, w.stochk, w.stochks, w.stochd, w.macdfast,
                      w.macdslow, w.pvline, w.range})
        n += std::snprintf(line + n, sizeof line - n, ",%.9g", v + 0.0f);
      rows.push_back(line);
    }
    return rows;
  }
};
TempDir* Dump::db = nullptr;

TEST_F(Dump, PrintsTheNumbersOfTheLoadedWorkDays) {
  std::string sym = symbol_with_file();
  RunResult r = dump({"--mvavg-type", "2", "--mvavg-days", "10", "--stoch-days", "5", sym});
  ASSERT_EQ(0, r.status) << r.err;
  std::vector<std::string> lines = split_lines(r.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ("first,last,high,low,close,volume,nodata,mvavg,stdev,avgvol,rsi,stochk,stochks,stochd,"
            "macdfast,macdslow,pvline,range",
            lines[0]);
  lines.erase(lines.begin());

  work.write(".kadmer", read_file(config()));
  configure();
  initial_groups();
  initial_companys();
  mvavgtype = 2;
  mvavgdays = 10;
  stochdays = 5;
  ASSERT_EQ(0, load_symbol(sym.c_str()));
  EXPECT_EQ(expected_rows(), lines);
  EXPECT_GT(lines.size(), 100u);
}

TEST_F(Dump, PeriodsWindowsAndSplits) {
  std::string sym = symbol_with_file();
  RunResult daily = dump({sym});
  RunResult weekly = dump({"--period", "2", sym});
  ASSERT_EQ(0, weekly.status);
  std::vector<std::string> d = split_lines(daily.out), w = split_lines(weekly.out);
  EXPECT_GT(d.size(), 4 * (w.size() - 1));
  EXPECT_LT(w.size(), 30u);

  RunResult window = dump({"--first", "2026-11-02", "--last", "261106", sym});
  std::vector<std::string> rows = split_lines(window.out);
  ASSERT_EQ(6u, rows.size());  // the header and Monday to Friday
  EXPECT_EQ(0u, rows[1].find("2026-11-02,2026-11-02,"));
  EXPECT_EQ(0u, rows[5].find("2026-11-06,2026-11-06,"));

  RunResult split = dump({"--first", "2026-11-02", "--last", "261106", "--split-date", "261103",
                          "--split-ratio", "2", sym});
  std::vector<std::string> halved = split_lines(split.out);
  ASSERT_EQ(6u, halved.size());
  auto close_of = [](const std::string& row) {
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) at = row.find(',', at) + 1;
    return std::stod(row.substr(at));
  };
  EXPECT_DOUBLE_EQ(close_of(rows[1]) / 2, close_of(halved[1]));
  EXPECT_DOUBLE_EQ(close_of(rows[2]) / 2, close_of(halved[2]));
  EXPECT_DOUBLE_EQ(close_of(rows[3]), close_of(halved[3]));
}

TEST_F(Dump, AFailedLoadPrintsTheLoadersMessage) {
  RunResult r = dump({"NOSUCH"});
  EXPECT_EQ(1, r.status);
  EXPECT_EQ("kadmer-dump: load_day_stock: unknown symbol NOSUCH\n", r.err);
  EXPECT_EQ("", r.out);
}

TEST_F(Dump, ASecurityWithoutDataLinesExitsOne) {  // it crashed
  work.write("general/companys", "CD:Charlie:S:N::950101-1:\nEF:Echo:S:N::950101-1:\n");
  work.write("symbols/CD", "# nothing yet\n");
  work.write("days/s951204", "AB,2,1,1,1\n");
  work.write("k", "generaldir=" + work.file("general") + "\nsymboldir=" + work.file("symbols") +
                      "\ndaydir=" + work.file("days") + "\n");
  for (const char* sym : {"CD", "EF"}) {
    RunResult r = run_program(kadmer_dump(), {"--config", work.file("k"), sym});
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(std::string("kadmer-dump: loadstock: no data for ") + sym + "\n", r.err);
    EXPECT_EQ("", r.out);
  }
}

TEST_F(Dump, BadOptionsPrintTheUsageAndExitTwo) {
  for (auto args : {std::vector<std::string>{}, std::vector<std::string>{"--period", "6", "AB"},
                    std::vector<std::string>{"--first", "2026-02-30", "AB"},
                    std::vector<std::string>{"--split-date", "261103", "AB"},
                    std::vector<std::string>{"--mvavg-days", "x", "AB"},
                    std::vector<std::string>{"--bogus", "1", "AB"}, std::vector<std::string>{"AB", "CD"},
                    std::vector<std::string>{"--config", "/no/such/file", "AB"}}) {
    RunResult r = run_program(kadmer_dump(), args);
    EXPECT_EQ(2, r.status) << args.size();
    EXPECT_NE(std::string::npos, r.err.find("usage: kadmer-dump")) << r.err;
  }
}

}  // namespace

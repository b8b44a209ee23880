// Loading one security from its own file or from the day files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <string>

#include "indicators/indicators.h"
#include "support/market.h"
#include "support/xvfb.h"

namespace fs = std::filesystem;

namespace {

const char* const companies =
    "AB:Alpha Beta:S:N::950101-1000:\n"
    "CD:Charlie Delta:S:N::950101-2000:\n"
    "FUND:A Fund:M:O::950101-0:\n"
    "IDX1:Count Index:I:1::950101-0:\n"
    "IDX2:Price Index:I:2::950101-0:\n"
    "WEIRD:Odd Type:X:N::950101-0:\n";

class Loading : public MarketTest {
 protected:
  void SetUp() override {
    MarketTest::SetUp();
    tables("", companies);
  }
  std::string last_message() { return last_status; }
};

TEST_F(Loading, APerSymbolFileWinsOverTheDayFiles) {
  day_file("s951204", "AB,20, 19, 19.5, 100\n");
  symbol_file("AB", "951204, 10.5, 10, 10.25, 300\n");
  ASSERT_EQ(0, load_symbol("AB"));
  ASSERT_EQ(1u, loaded().size());
  EXPECT_FLOAT_EQ(10.25f, loaded()[0].close);
  EXPECT_EQ(300, loaded()[0].volume);
  EXPECT_EQ(1, load);
  EXPECT_EQ(1u, stocklist.size());
  EXPECT_STREQ("AB", stocklist[0].symbol);
  EXPECT_EQ(nullptr, stocklist[0].gc);  // no display, no context
  EXPECT_EQ(1000, curvol);
}

TEST_F(Loading, ASymbolOutsideTheTableStillLoadsFromItsFile) {
  symbol_file("ZZ", "951204, 10.5, 10, 10.25, 300\n951205, 11, 10, 10.5, 200\n");
  ASSERT_EQ(0, load_symbol("ZZ"));
  EXPECT_EQ(2u, loaded().size());
  EXPECT_EQ(0, curvol);
}

TEST_F(Loading, EmptyWeekdaysAreFilledBetweenTradingDays) {
  symbol_file("AB",
              "951201, 11, 10, 10.5, 100\n"   // Friday
              "951204, 11, 10, 10.5, 100\n"   // Monday
              "951206, 12, 11, 11.5, 100\n"); // Wednesday
  ASSERT_EQ(0, load_symbol("AB"));
  std::vector<StockDay> d = loaded();
  ASSERT_EQ(4u, d.size());
  EXPECT_EQ(951201, yymmdd_of(d[0]));
  EXPECT_EQ(5, d[0].wday);
  EXPECT_EQ(951204, yymmdd_of(d[1]));
  EXPECT_EQ(1, d[1].wday);
  EXPECT_EQ(951205, yymmdd_of(d[2]));  // Tuesday, empty
  EXPECT_EQ(1, d[2].nodata);
  EXPECT_EQ(0, d[2].close);
  EXPECT_EQ(0, d[2].high);
  EXPECT_EQ(0, d[2].volume);
  EXPECT_EQ(d[1].date + 86400, d[2].date);
  EXPECT_EQ(0, d[3].nodata);
  EXPECT_EQ(3, disp_days);
}

TEST_F(Loading, FundsAndIndexesTakeTheirPricesByKind) {
  day_file("f951204", "FUND,10.5, 10.2, 10.3, 0\n");
  day_file("i951204", "1IDX1,500, 400, 451, 7\n2IDX2,500, 400, 451.25, 9\n");
  ASSERT_EQ(0, load_symbol("FUND"));
  EXPECT_FLOAT_EQ(10.3f, loaded()[0].high);
  EXPECT_FLOAT_EQ(10.3f, loaded()[0].low);
  ASSERT_EQ(0, load_symbol("IDX1"));
  EXPECT_FLOAT_EQ(451, loaded()[0].high);
  EXPECT_EQ(7, loaded()[0].volume);
  ASSERT_EQ(0, load_symbol("IDX2"));
  EXPECT_FLOAT_EQ(451.25f, loaded()[0].low);
  EXPECT_EQ(4512500, loaded()[0].volume);
}

TEST_F(Loading, FailuresReportAndLeaveNothingLoaded) {
  day_file("s951204", "AB,20, 19, 19.5, 100\n");
  ASSERT_EQ(0, load_symbol("AB"));
  struct { const char* sym; const char* message; } cases[] = {
      {"NOSUCH", "load_day_stock: unknown symbol NOSUCH"},
      {"WEIRD", "load_day_stock: unknown type X"},
  };
  for (auto c : cases) {
    EXPECT_NE(0, load_symbol(c.sym));
    EXPECT_EQ(c.message, last_message());
    EXPECT_EQ(0, load);
    EXPECT_EQ(0, num_days);
    EXPECT_TRUE(stocklist.empty());
    EXPECT_TRUE(worklist.empty());
    EXPECT_STREQ("", symbolname);
  }
  copy_text(daydir, "nosuchdir");
  EXPECT_NE(0, load_symbol("AB"));
  EXPECT_EQ("load_day_stock: stat(nosuchdir) failed. errno=2", last_message());
}

// A history without a single data line is no history: reporting it loaded
// left the chart and kadmer-dump reading days that do not exist.
TEST_F(Loading, AHistoryWithoutDataFailsAndForgetsThePreviousWindow) {
  day_file("s951204", "AB,20, 19, 19.5, 100\nCD,1,1,1,1\n");
  struct { const char* sym; const char* file; } cases[] = {
      {"CD", ""}, {"CD", "# only a comment\n"}, {"CD", "not, a, data, line\n"}, {"FUND", nullptr}};
  for (auto c : cases) {
    ASSERT_EQ(0, load_symbol("AB"));
    std::filesystem::remove(work.file("symbols/CD"));
    if (c.file) symbol_file(c.sym, c.file);
    EXPECT_NE(0, load_symbol(c.sym)) << c.sym;
    EXPECT_EQ(std::string("loadstock: no data for ") + c.sym, last_message());
    EXPECT_EQ(0, load);
    EXPECT_TRUE(stocklist.empty());
    for (int v : {KD_sd, KD_sm, KD_sy, KD_ed, KD_em, KD_ey, KD_csd, KD_csm, KD_csy, KD_ced, KD_cem, KD_cey})
      EXPECT_EQ(0, v);
  }
}

// Day number -1 is 31 December 1969; it once doubled as "no date".
TEST_F(Loading, DatesOf1969AreDates) {
  EXPECT_EQ(-86400, yymmdd_key(691231));
  EXPECT_EQ(NO_KEY, yymmdd_key(691232));
  symbol_file("AB", "691230, 11, 10, 10.5, 100\n691231, 12, 11, 11.5, 100\n700102, 13, 12, 12.5, 100\n");
  ASSERT_EQ(0, load_symbol("AB"));
  ASSERT_EQ(4u, loaded().size());  // Thursday 1 January 1970 is an empty weekday
  EXPECT_EQ(-86400, loaded()[1].date);
  day_file("s691231", "CD,2, 1, 1.5, 10\n");
  day_file("s700102", "CD,3, 2, 2.5, 10\n");
  ASSERT_EQ(0, load_symbol("CD"));
  EXPECT_EQ(3u, loaded().size());
}

// A per-symbol name that cannot be read as a file sends the load to the day
// files, as a missing one does.
TEST_F(Loading, AnUnreadablePerSymbolFileFallsBackToTheDayFiles) {
  day_file("s951204", "AB,20, 19, 19.5, 100\n");
  work.mkdir("symbols/AB");
  ASSERT_EQ(0, load_symbol("AB"));
  EXPECT_FLOAT_EQ(19.5f, loaded()[0].close);
  if (geteuid() == 0) return;  // root reads any file
  fs::remove(work.file("symbols/AB"));
  symbol_file("AB", "951204, 11, 10, 10.5, 100\n");
  fs::permissions(work.file("symbols/AB"), fs::perms::none);
  ASSERT_EQ(0, load_symbol("AB"));
  EXPECT_FLOAT_EQ(19.5f, loaded()[0].close);
}

TEST_F(Loading, TheDayFileLoaderReportsEveryThirtiethFileAndItsListsAtLevelTwo) {
  for (int d = 1; d <= 31; ++d) day_file("s9501" + std::string(d < 10 ? "0" : "") + std::to_string(d), "AB,2,1,1,1\n");
  debuglvl = 2;
  testing::internal::CaptureStdout();
  ASSERT_EQ(0, load_symbol("AB"));
  std::string trace = testing::internal::GetCapturedStdout();
  std::size_t reading = 0;
  for (std::size_t at = trace.find("msg=load_day_stock: reading"); at != std::string::npos;
       at = trace.find("msg=load_day_stock: reading", at + 1))
    ++reading;
  EXPECT_EQ(1u, reading);
  EXPECT_NE(std::string::npos, trace.find("msg=load_day_stock: reading days/s950130)"));
  EXPECT_NE(std::string::npos, trace.find("-> load_day_stock: num_days=1 grpcnt=2\n"));
  EXPECT_NE(std::string::npos, trace.find("<- load_day_stock: num_days=32 grpcnt=2\n"));
  EXPECT_NE(std::string::npos, trace.find("-> load_day_stock: &stocklist="));
}

TEST_F(Loading, ASymbolMissingFromADayFileSkipsThatDay) {
  day_file("s951204", "AA,1, 1, 1, 1\nAB,11, 10, 10.5, 100\nCD,1, 1, 1, 1\n");
  day_file("s951205", "AA,1, 1, 1, 1\nAC,1, 1, 1, 1\nB,1, 1, 1, 1\nAB,12, 11, 11.5, 200\n");
  day_file("s951206", "AB,13, 12, 12.5, 300\n");
  debuglvl = 1;
  testing::internal::CaptureStdout();
  ASSERT_EQ(0, load_symbol("AB"));
  std::string trace = testing::internal::GetCapturedStdout();
  std::vector<StockDay> d = loaded();
  ASSERT_EQ(3u, d.size());
  EXPECT_EQ(1, d[1].nodata);  // after "B" the scan stops: AB is not in s951205
  EXPECT_NE(std::string::npos, trace.find("msg=load_day_stock: AB not in days/s951205)"));
  EXPECT_FLOAT_EQ(12.5f, d[2].close);
}

TEST_F(Loading, DayFilesOfBothCenturiesAreReadInDateOrder) {
  day_file("s000103", "AB,12, 11, 11.5, 200\n");
  day_file("s991231", "AB,11, 10, 10.5, 100\n");
  day_file("s991230", "AB,10, 9, 9.5, 100\n");
  ASSERT_EQ(0, load_symbol("AB"));
  std::vector<StockDay> d = loaded();
  ASSERT_EQ(3u, d.size());  // Thursday, Friday, Monday: no empty day
  EXPECT_EQ(991230, yymmdd_of(d[0]));
  EXPECT_EQ(991231, yymmdd_of(d[1]));
  EXPECT_EQ(103, yymmdd_of(d[2]));
  EXPECT_EQ(1, d[2].wday);
  EXPECT_EQ(day_key(2000, 1, 3), d[2].date);
}

TEST_F(Loading, TheExtensionFollowsTheLeastSquaresLine) {
  symbol_file("AB",
              "951127, 11, 10, 10, 100\n951128, 11, 10, 12, 100\n951129, 11, 10, 11, 100\n"
              "951130, 11, 10, 13, 100\n951201, 11, 10, 14, 700\n");
  extendday = 5;
  ASSERT_EQ(0, load_symbol("AB"));
  std::vector<StockDay> d = loaded();
  ASSERT_EQ(10u, d.size());
  // Through (0,10) (1,12) (2,11) (3,13) (4,14): slope 0.9, intercept 10.2.
  for (int i = 1; i <= 5; ++i) {
    const StockDay& e = d[4 + i];
    EXPECT_NEAR(0.9 * (4 + i) + 10.2, e.close, 1e-4) << i;
    EXPECT_EQ(e.close, e.high);
    EXPECT_EQ(e.close, e.low);
    EXPECT_EQ(700, e.volume);
    EXPECT_EQ(d[4].date + i * 86400, e.date);  // calendar days, weekend included
  }
  EXPECT_EQ(6, d[5].wday);
  EXPECT_EQ(951206, yymmdd_of(d[9]));
  EXPECT_EQ(5, disp_days);
}

TEST_F(Loading, DatesAndScaleAfterALoad) {
  symbol_file("AB", "951130, 9.5, 8.75, 9, 4000\n951201, 9.75, 8.5, 9.25, 40000\n");
  ASSERT_EQ(0, load_symbol("AB"));
  EXPECT_EQ(30, KD_sd);
  EXPECT_EQ(11, KD_sm);
  EXPECT_EQ(95, KD_sy);
  EXPECT_EQ(1, KD_ed);
  EXPECT_EQ(12, KD_em);
  EXPECT_EQ(113095, queryvdate);
  EXPECT_FLOAT_EQ(8, price_bottom);  // the lowest low, truncated
  EXPECT_FLOAT_EQ(0.0625f, price_incr);
  EXPECT_FLOAT_EQ(800, volume_incr);
  EXPECT_EQ(2, work_days);
}

TEST_F(Loading, TheFirstShownDayLeavesRoomForTheLabels) {
  std::string lines;
  for (long day = day_number(1995, 1, 2), n = 0; n < 400; ++day)
    if (weekday_of(day) > 0 && weekday_of(day) < 6) {
      int y, m, d;
      civil_date(day, &y, &m, &d);
      lines += std::to_string((y % 100) * 10000 + m * 100 + d) + ", 11, 10, 10.5, 100\n";
      ++n;
    }
  symbol_file("AB", lines);
  main_win_width = 602;
  font_width = 6;
  install_load_hooks();
  ASSERT_EQ(0, load_symbol("AB"));
  int fit = (602 - 22 * 6) / 4;  // 117 days
  EXPECT_EQ(fit, work_days);
  EXPECT_EQ(loaded()[400 - fit].date, shown()[0].date);
}

// ---- bad input ----

TEST_F(Loading, BadLinesInAPerSymbolFileAreSkipped) {
  std::string garbage;
  for (int i = 0; i < 3000; ++i) garbage += static_cast<char>((i * 37 + 11) % 255 + 1);
  symbol_file("AB",
              "# a comment first\n"
              "\n"
              "not a number at all\n"
              "951201, 11, 10, 10.5, 100\n"
              "951204\n"
              "951204, 1e50, 10, 10.5, 100\n"            // a price beyond float
              "951204, 11, 10, 10.5, 99999999999\n"      // a volume beyond int
              "951204, -11, -10, -10.5, -100\n"          // negative, but a number
              "951205, " + std::string(1 << 20, '7') + "\n"  // a 1 MB line
              "951130, 11, 10, 10.5, 100\n"              // out of order
              "951332, 11, 10, 10.5, 100\n"              // no such date
              + garbage + "\n"
              "951206, 1e9, 1, 5e8, 2147483647\n");
  ASSERT_EQ(0, load_symbol("AB"));
  std::vector<StockDay> d = loaded();
  ASSERT_EQ(4u, d.size());  // 1st, 4th, the empty 5th, 6th
  EXPECT_EQ(951201, yymmdd_of(d[0]));
  EXPECT_FLOAT_EQ(-10.5f, d[1].close);
  EXPECT_EQ(1, d[2].nodata);
  EXPECT_FLOAT_EQ(5e8f, d[3].close);
  EXPECT_EQ(2147483647, volume_high);
}

TEST_F(Loading, MoreDaysThanAnyEstimateAndALongSymbol) {
  std::string lines;
  for (long day = day_number(1990, 1, 1), n = 0; n < 9000; ++day, ++n) {
    int y, m, d;
    civil_date(day, &y, &m, &d);
    lines += std::to_string((y % 100) * 10000 + m * 100 + d) + ", 11, 10, 10.5, 100\n";
  }
  symbol_file("ABCDEFGH", lines);
  ASSERT_EQ(0, load_symbol("ABCDEFGHIJKLMNOPQRST"));  // cut to eight characters
  EXPECT_EQ(9000u, loaded().size());
  EXPECT_STREQ("ABCDEFGH", symbolname);
}

TEST_F(Loading, BadDayFilesNeitherCrashNorLoseGoodDays) {
  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 91 + 3) % 256);
  day_file("s951201", "AB,11, 10, 10.5, 100\n");
  day_file("s951204", "AB,no numbers here\nAB,12, 11, 11.5, 200\n");  // the good line after it counts
  day_file("s951205", std::string(1 << 20, 'A') + "\nAB,13, 12, 12.5, 300\n");
  day_file("s951206", garbage);
  day_file("s1", "AB,1, 1, 1, 1\n");
  day_file("s99999999", "AB,1, 1, 1, 1\n");
  day_file("sabcdef", "AB,1, 1, 1, 1\n");
  day_file("s951332", "AB,1, 1, 1, 1\n");
  for (int i = 0; i < 3000; ++i) day_file("unrelated" + std::to_string(i), "");
  ASSERT_EQ(0, load_symbol("AB"));
  std::vector<StockDay> d = loaded();
  ASSERT_EQ(3u, d.size());
  EXPECT_FLOAT_EQ(11.5f, d[1].close);
  EXPECT_FLOAT_EQ(12.5f, d[2].close);
}

// ---- the two paths agree, over a whole generated database ----

class GeneratedMarket : public MarketTest {
 protected:
  static TempDir* db;
  static void SetUpTestSuite() {
    db = new TempDir;
    RunResult r = run_program(kadmer_gen(), {"--out", db->file("m"), "--stocks", "150", "--funds", "10",
                                             "--days", "260", "--end", "010105", "--symbol-every", "2"});
    ASSERT_EQ(0, r.status) << r.err;
  }
  static void TearDownTestSuite() { delete db; }
  void SetUp() override {
    MarketTest::SetUp();
    copy_text(generaldir, db->file("m/general"));
    copy_text(daydir, db->file("m/days"));
    initial_groups();
    initial_companys();
    mvavgtype = 1;
    mvavgdays = 10;
    stochdays = 5;
  }
  std::vector<StockDay> load_from(const std::string& dir, const std::string& sym, int hint) {
    copy_text(symboldir, dir);
    use_seek_hint = hint;
    if (load_symbol(sym.c_str()) != 0) return {};
    return loaded();
  }
};
TempDir* GeneratedMarket::db = nullptr;

bool same_day(const StockDay& a, const StockDay& b) {
  return a.high == b.high && a.low == b.low && a.close == b.close && a.volume == b.volume &&
         a.date == b.date && a.wday == b.wday && a.nodata == b.nodata && a.eday == b.eday &&
         a.emon == b.emon && a.eyear == b.eyear && a.mvavg == b.mvavg && a.rsi == b.rsi &&
         a.stochd == b.stochd && a.pvline == b.pvline && a.macdfast == b.macdfast;
}

TEST_F(GeneratedMarket, DayFilesGiveWhatThePerSymbolFilesHold) {
  int compared = 0;
  for (const auto& e : fs::directory_iterator(db->file("m/symbols"))) {
    std::string sym = e.path().filename();
    std::vector<StockDay> own = load_from(db->file("m/symbols"), sym, 1);
    std::vector<StockDay> hinted = load_from("nosuchdir", sym, 1);
    std::vector<StockDay> plain = load_from("nosuchdir", sym, 0);
    ASSERT_FALSE(own.empty()) << sym;
    ASSERT_EQ(own.size(), hinted.size()) << sym;
    ASSERT_EQ(own.size(), plain.size()) << sym;
    for (std::size_t i = 0; i < own.size(); ++i) {
      ASSERT_TRUE(same_day(own[i], hinted[i])) << sym << " day " << i;
      ASSERT_TRUE(same_day(own[i], plain[i])) << sym << " day " << i;
    }
    ++compared;
  }
  EXPECT_EQ(80, compared);
}

TEST_F(GeneratedMarket, NoEmptyDayStandsOnATradingDayAcrossTheCenturyTurn) {
  std::set<time_t> trading;
  for (const auto& e : fs::directory_iterator(db->file("m/days")))
    if (e.path().filename().string()[0] == 's') trading.insert(yymmdd_key(std::stoi(e.path().filename().string().substr(1))));
  ASSERT_TRUE(trading.count(day_key(1999, 12, 31)));
  ASSERT_TRUE(trading.count(day_key(2000, 1, 3)));
  int checked = 0, empty_days = 0;
  for (int c = 0; c < num_companys && checked < 40; ++c) {
    if (companys[c].type != 'S') continue;
    std::vector<StockDay> days = load_from("nosuchdir", companys[c].symbol, 1);
    for (std::size_t i = 0; i < days.size(); ++i) {
      const StockDay& d = days[i];
      int y, m, dd;
      date_of_key(d.date, &y, &m, &dd);
      EXPECT_EQ(weekday_of(day_number(y, m, dd)), d.wday);
      EXPECT_TRUE(d.wday >= 1 && d.wday <= 5);
      EXPECT_EQ(y % 100, d.eyear);
      if (i > 0) {
        EXPECT_GT(d.date, days[i - 1].date);
      }
      if (d.nodata && trading.count(d.date)) {  // an empty day: the stock had no line that day
        char name[16];
        std::snprintf(name, sizeof name, "m/days/s%06d", (y % 100) * 10000 + m * 100 + dd);
        std::string text = "\n" + read_file(db->file(name));
        EXPECT_EQ(std::string::npos, text.find(std::string("\n") + companys[c].symbol + ","))
            << companys[c].symbol << " " << name;
        ++empty_days;
      }
    }
    ++checked;
  }
  EXPECT_EQ(40, checked);
  EXPECT_GT(empty_days, 0);
}

}  // namespace

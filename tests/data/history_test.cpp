// A security's history: loading it from its own file or from the day files,
// and the work days the chart draws from it.

#include "support/fixtures.h"

namespace {

// ---- loading one security from its own file or from the day files ----

class History : public MarketTest {
 protected:
  void SetUp() override {
    MarketTest::SetUp();
    tables("", "AB:Alpha Beta:S:N::950101-1000:\nCD:Charlie Delta:S:N::950101-2000:\nFUND:A Fund:M:O::950101-0:\n"
               "IDX1:Count Index:I:1::950101-0:\nIDX2:Price Index:I:2::950101-0:\nWEIRD:Odd Type:X:N::950101-0:\n");
  }
  // `count` weekdays from y-m-d; the close counts up from 10.25 by 0.25, high
  // and low 1 around it. Weekdays at the indexes in `skip` have no line.
  void weekdays(int y, int m, int d, int count, std::vector<int> skip = {}) {
    std::vector<float> closes;
    for (int i = 0; i < count; ++i) closes.push_back(10.25f + 0.25f * i);
    for (int i : skip) closes[i] = 0;
    load_ab(history_lines(y, m, d, closes, 100, 1));
  }
  // Writes AB's history file and loads it.
  void load_ab(const std::string& lines) {
    symbol_file("AB", lines);
    ASSERT_EQ(0, load_symbol("AB"));
  }
  void rebuild(int type) {
    graph_type = type;
    fill_work();
  }
  static int first_of(const WorkDay& w) { return w.syear * 10000 + w.smon * 100 + w.sday; }
};

TEST_F(History, APerSymbolFileWinsAndSetsTheDatesScaleAndFirstShownDay) {
  day_file("s951204", "AB,20, 19, 19.5, 100\n");
  load_ab("951204, 10.5, 10, 10.25, 300\n951204, 12, 11, 11.5, 200\n951205, 11, 0, 10.5, 100\n");
  ASSERT_EQ((std::vector<int>{951204, 951205}), loaded_dates());  // the first of a repeated date
  work.write(".kadmer", "width=70\n");
  int in = dup(0);  // standard input closed: the settings and the history file may take its descriptor
  close(0);
  parse_config(0, 0, nullptr);
  int rc = load_symbol("AB");
  dup2(in, 0), close(in);
  EXPECT_TRUE(width == 70 && rc == 0 && loaded_dates() == (std::vector<int>{951204, 951205}));
  EXPECT_EQ((std::array<double, 3>{10.25, 300, 10}),  // a low of 0 is no low
            (std::array<double, 3>{loaded()[0].close, double(loaded()[0].volume), price_bottom}));
  EXPECT_EQ((std::array{1, 1, 1000}), (std::array{load, static_cast<int>(stocklist.size()), curvol}));
  EXPECT_STREQ("AB", stocklist[0].symbol);
  symbol_file("ZZ", "951204, 10.5, 10, 10.25, 300\n951205, 11, 10, 10.5, 200\n");
  ASSERT_EQ(0, load_symbol("ZZ"));  // a symbol outside the table loads too
  EXPECT_EQ((std::array{2, 0}), (std::array{int(loaded().size()), curvol}));
  load_ab("951130, 9.5, 8.75, 9, 4000\n951201, 9.75, 8.5, 9.25, 40000\n");
  EXPECT_EQ((std::array{30, 11, 95, 1, 12, 95, 113095, 2}),
            (std::array{KD_sd, KD_sm, KD_sy, KD_ed, KD_em, KD_ey, queryvdate, work_days}));
  EXPECT_EQ((std::array{8.0f, 0.0625f, 800.0f}), (std::array{price_bottom, price_incr, volume_incr}));  // 8: the lowest low, truncated
  load_ab("951130, 260150, 250400.5, 255000, 10\n");  // above 100,000 too
  EXPECT_EQ(250400.f, price_bottom);

  // With a window, only the days that fit beside the labels are shown.
  symbol_file("AB", history_lines(1995, 1, 2, std::vector<float>(400, 10.5f)));
  load_hooks.days_that_fit = days_that_fit, font_width = 6;
  for (auto [width, fit] : {std::pair{602, (602 - 22 * 6) / 4}, {134, 1}}) {  // 117 days; none fits, the last is shown
    main_win_width = width;
    ASSERT_EQ(0, load_symbol("AB"));
    EXPECT_EQ((std::array<long, 2>{fit, loaded()[400 - fit].date}), (std::array<long, 2>{work_days, shown()[0].date}));
  }
}

TEST_F(History, EmptyWeekdaysAreFilledBetweenTradingDaysAndKindsTakeTheirPrices) {
  load_ab("951201, 11, 10, 10.5, 100\n951204, 11, 10, 10.5, 100\n951206, 12, 11, 11.5, 100\n");
  std::vector<StockDay> d = loaded();
  ASSERT_EQ((std::vector<int>{951201, 951204, -951205, 951206}), loaded_dates());
  EXPECT_EQ((std::array{5, 1, 2, 3}), (std::array{d[0].wday, d[1].wday, d[2].wday, d[3].wday}));
  EXPECT_EQ(0, d[2].close + d[2].high + d[2].volume);
  EXPECT_EQ((std::array<long, 2>{d[1].date + 86400, 3}), (std::array<long, 2>{d[2].date, disp_days}));

  day_file("f951204", "FUND,10.5, 10.2, 10.3, 0\n");
  day_file("i951204", "1IDX1,500, 400, 451, 7\n2IDX2,500, 400, 451.25, 9\n");
  struct { const char* sym; float high, low; long long volume; } kinds[] = {
      {"FUND", 10.3f, 10.3f, 0}, {"IDX1", 451, 451, 7}, {"IDX2", 451.25f, 451.25f, 4512500}};  // one price
  for (auto k : kinds) {
    ASSERT_EQ(0, load_symbol(k.sym));
    EXPECT_EQ((std::array<double, 3>{k.high, k.low, double(k.volume)}),
              (std::array<double, 3>{loaded()[0].high, loaded()[0].low, double(loaded()[0].volume)})) << k.sym;
  }
}

// A history without a single data line is no history: reporting it loaded
// left the chart and kadmer-dump reading days that do not exist.
TEST_F(History, FailuresReportAndForgetThePreviousHistoryAndAnUnreadableFileFallsBack) {
  day_file("s951204", "AB,20, 19, 19.5, 100\nCD,1,1,1,1\n");
  struct { const char* sym; const char* file; const char* message; } cases[] = {
      {"NOSUCH", nullptr, "load_day_stock: unknown symbol NOSUCH"}, {"WEIRD", nullptr, "load_day_stock: unknown type X"},
      {"CD", "", "loadstock: no data for CD"}, {"CD", "# only a comment\n", "loadstock: no data for CD"},
      {"CD", "not, a, data, line\n", "loadstock: no data for CD"}, {"FUND", nullptr, "loadstock: no data for FUND"}};
  for (auto c : cases) {
    ASSERT_EQ(0, load_symbol("AB"));
    fs::remove(work.file("symbols/CD"));
    if (c.file) symbol_file(c.sym, c.file);
    EXPECT_NE(0, load_symbol(c.sym)) << c.sym;
    EXPECT_STREQ(c.message, last_status);
    EXPECT_EQ((std::array{0, 0, 0, 0}),
              (std::array{load, num_days, static_cast<int>(stocklist.size() + worklist.size()), int(symbolname[0])}));
    EXPECT_EQ((std::array<int, 12>{}), (std::array{KD_sd, KD_sm, KD_sy, KD_ed, KD_em, KD_ey, KD_csd, KD_csm, KD_csy,
                                                   KD_ced, KD_cem, KD_cey}));
  }
  copy_text(daydir, "nosuchdir");
  EXPECT_NE(0, load_symbol("AB"));
  EXPECT_STREQ("load_day_stock: stat(nosuchdir) failed. errno=2", last_status);
  // A per-symbol name that cannot be read as a file sends the load to the day
  // files, as a missing one does.
  copy_text(daydir, "days");
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

// Day number -1 is 31 December 1969; it once doubled as "no date".
TEST_F(History, DatesOf1969AndDayFilesOfBothCenturiesInDateOrder) {
  load_ab("691230, 11, 10, 10.5, 100\n691231, 12, 11, 11.5, 100\n700102, 13, 12, 12.5, 100\n");
  EXPECT_EQ((std::vector<int>{691230, 691231, -700101, 700102}), loaded_dates());
  EXPECT_EQ(-86400, loaded()[1].date);
  day_file("s691231", "CD,2, 1, 1.5, 10\n");
  day_file("s700102", "CD,3, 2, 2.5, 10\n");
  ASSERT_EQ(0, load_symbol("CD"));
  EXPECT_EQ((std::vector<int>{691231, -700101, 700102}), loaded_dates());
  fs::remove(work.file("symbols/AB"));  // AB from the day files now
  day_file("s000103", "AB,12, 11, 11.5, 200\n");
  day_file("s991231", "AA,1, 1, 1, 1\nAC,1, 1, 1, 1\nB,1, 1, 1, 1\nAB,11, 10, 10.5, 100\n");
  day_file("s991230", "AA,1, 1, 1, 1\nAB,10, 9, 9.5, 100\nCD,1, 1, 1, 1\n");
  std::string trace = traced([&] { ASSERT_EQ(0, load_symbol("AB")); });
  // Thursday, Friday, Monday: no empty day between; AB after "B" is found
  // all the same, in a file out of order.
  EXPECT_EQ((std::vector<int>{991230, 991231, 103}), loaded_dates());
  EXPECT_EQ(std::string::npos, trace.find("AB not in days/s991231"));
  EXPECT_EQ((std::array{9.5f, 10.5f, 11.5f}), (std::array{loaded()[0].close, loaded()[1].close, loaded()[2].close}));
  EXPECT_EQ((std::array<long, 2>{1, day_key(2000, 1, 3)}), (std::array<long, 2>{loaded()[2].wday, loaded()[2].date}));
}

// Loads report their progress on the status line: every thirtieth day file,
// every 75th line of a security's file, the group being read.
TEST_F(History, LoadsReportTheirProgressAndTheDayFileLoaderItsListsAtLevelTwo) {
  for (int d = 1; d <= 31; ++d) day_file("s9501" + std::string(d < 10 ? "0" : "") + std::to_string(d), "AB,2,1,1,1\n");
  std::string trace = traced([&] { ASSERT_EQ(0, load_symbol("AB")); }, 2);
  std::size_t first = trace.find("msg=load_day_stock: reading");
  EXPECT_TRUE(first == trace.find("msg=load_day_stock: reading days/s950130)") &&
              first == trace.rfind("msg=load_day_stock: reading")) << trace;
  tables("1:Tech:TECH:\n", "AB:Alpha:S:N:TECH:950101-1:\n");
  copy_text(groupname, "TECH");
  trace += traced([] { loadgroup(); }, 2);
  symbol_file("AB", history_lines(1995, 1, 2, std::vector<float>(150, 10)));  // the progress of a long file
  trace += traced([&] { load_symbol("AB"), loadgroup(); }, 2);
  for (const char* line : {"-> load_day_stock: num_days=1 grpcnt=2\n", "<- load_day_stock: num_days=32 grpcnt=2\n",
                           "-> load_day_stock: &stocklist=", "msg=load_day_group: group id=1)",
                           "msg=load_sym_stock: reading AB line 150)", "msg=load_sym_group: group id=1)",
                           "msg=load_sym_group: reading AB line 150)"})
    EXPECT_NE(std::string::npos, trace.find(line)) << line;
}

TEST_F(History, TheExtensionFollowsTheLeastSquaresLine) {
  extendday = 5;
  load_ab("951127, 11, 10, 10, 100\n951128, 11, 10, 12, 100\n951129, 11, 10, 11, 100\n"
          "951130, 11, 10, 13, 100\n951201, 11, 10, 14, 700\n");
  std::vector<StockDay> d = loaded();
  ASSERT_EQ(10u, d.size());
  // Through (0,10) (1,12) (2,11) (3,13) (4,14): slope 0.9, intercept 10.2.
  for (int i = 1; i <= 5; ++i) {
    const StockDay& e = d[4 + i];
    EXPECT_NEAR(0.9 * (4 + i) + 10.2, e.close, 1e-4) << i;
    EXPECT_EQ((std::array{e.close, e.close}), (std::array{e.high, e.low}));
    EXPECT_EQ((std::array<long, 2>{700, d[4].date + i * 86400}), (std::array<long, 2>{e.volume, e.date}));
  }
  // Calendar days, the weekend included; the shown days are the loaded ones.
  EXPECT_EQ((std::array{6, 951206, 5}), (std::array{d[5].wday, yymmdd_of(d[9]), disp_days}));
}

// ---- bad input ----

// (Garbage and overlong lines are the fuzz targets' part.)
TEST_F(History, BadLinesAreSkippedAndLongSymbolsCut) {
  load_ab("# a comment first\n\nnot a number at all\n951201, 11, 10, 10.5, 100\n951204\n"
          "951204, 1e50, 10, 10.5, 100\n"            // a price beyond float
          "951204, 11, 10, 10.5, 99999999999\n"      // a volume beyond int
          "951204, -11, -10, -10.5, -100\n"          // negative, but a number
          "951205, 77777777777777777777\n"           // no quote
          "951130, 11, 10, 10.5, 100\n"              // out of order
          "951332, 11, 10, 10.5, 100\n"              // no such date
          "951206, 1e9, 1, 5e8, 2147483647\n");
  EXPECT_EQ((std::vector<int>{951201, 951204, -951205, 951206}), loaded_dates());
  EXPECT_EQ((std::array<double, 3>{-10.5, 5e8, 2147483647}), (std::array<double, 3>{loaded()[1].close, loaded()[3].close, double(volume_high)}));

  symbol_file("ABCDEFGH", history_lines(1990, 1, 1, std::vector<float>(9000, 10.5f)));
  ASSERT_EQ(0, load_symbol("ABCDEFGHIJKLMNOPQRST"));
  EXPECT_TRUE(loaded().size() == 9000 && std::string(symbolname) == "ABCDEFGH");  // more days than any estimate

  day_file("s951201", "CD,11, 10, 10.5, 100\n");
  day_file("s951204", "CD,no numbers here\nCD,12, 11, 11.5, 200\n");  // the good line after it counts
  for (const char* name : {"s1", "s99999999", "sabcdef", "s951332", "x951205"}) day_file(name, "CD,1, 1, 1, 1\n");
  ASSERT_EQ(0, load_symbol("CD"));
  EXPECT_EQ((std::vector<int>{951201, 951204}), loaded_dates());
  EXPECT_FLOAT_EQ(11.5f, loaded()[1].close);
}

// ---- the two paths agree, over a whole generated market ----

// Whether a and b hold the same days, every field alike.
// Every field, not the bytes: the record's tail padding is not part of it.
bool same_days(const std::vector<StockDay>& a, const std::vector<StockDay>& b) {
  auto fields = [](const StockDay& d) {
    return std::tie(d.high, d.low, d.close, d.stochk, d.stochks, d.stochd, d.rsi, d.mvavg, d.avgvol, d.stdev, d.pvline,
                    d.range, d.macdslow, d.macdfast, d.volume, d.date, d.xpix, d.ypix, d.smon, d.sday, d.syear, d.emon,
                    d.eday, d.eyear, d.wday, d.nodata, d.turnover);
  };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](const StockDay& x, const StockDay& y) { return fields(x) == fields(y); });
}

// Every per-symbol file of the generator repeats the security's day-file
// lines: both loads, with and without the seek hint, give the same days,
// indicators included, across the century turn, and whatever the order of
// a day file's lines (reversed, shuffled, a line moved to the end).
TEST_F(History, DayFilesGiveWhatThePerSymbolFilesHoldAcrossTheCenturyTurn) {
  TempDir db;
  RunResult r = run_program(KADMER_GEN, {"--out", db.file("m"), "--stocks", "80", "--funds", "6", "--days", "260",
                                           "--end", "010105", "--symbol-every", "2"});
  ASSERT_EQ(0, r.status) << r.err;
  ASSERT_TRUE(fs::exists(db.file("m/days/s991231")) && fs::exists(db.file("m/days/s000103")));
  std::vector<std::string> stocks = stock_day_files(db.file("m/days"));
  std::mt19937 random(7);
  for (int k : {100, 150, 200}) {
    std::vector<std::string> lines = split_lines(read_file(stocks[k]));
    if (k == 100) std::reverse(lines.begin(), lines.end());
    if (k == 150) std::shuffle(lines.begin(), lines.end(), random);
    if (k == 200) std::rotate(lines.begin(), lines.begin() + 1, lines.end());
    std::ofstream out(stocks[k]);
    for (const std::string& l : lines) out << l << "\n";
  }
  use_database(db.file("m"));
  mvavgtype = 1, mvavgdays = 10, stochdays = 5;
  auto load_from = [&](const std::string& dir, const std::string& sym, int hint) {
    copy_text(symboldir, dir);
    use_seek_hint = hint;
    return load_symbol(sym.c_str()) == 0 ? loaded() : std::vector<StockDay>{};
  };
  int compared = 0;
  for (const auto& e : fs::directory_iterator(db.file("m/symbols"))) {
    std::string sym = e.path().filename();
    std::vector<StockDay> own = load_from(db.file("m/symbols"), sym, 1);
    ASSERT_FALSE(own.empty()) << sym;
    ASSERT_TRUE(same_days(own, load_from("nosuchdir", sym, 1)) && same_days(own, load_from("nosuchdir", sym, 0))) << sym;
    ++compared;
  }
  EXPECT_GE(compared, 40);
}

// ---- work days: the shown window, period bars, the split adjustment and a typed day count ----

TEST_F(History, WorkDaysOfEachPeriod) {
  mvavgtype = 1, mvavgdays = 5, stochdays = 3;
  weekdays(1995, 11, 1, 40, {9, 14});  // 14 and 21 November without a line
  std::vector<WorkDay> w = shown();
  EXPECT_TRUE(same_days(loaded(), w) && w.back().mvavg != 0);
  // The buy defaults come from the shown days.
  EXPECT_EQ((std::array{w[0].close, 100.0f}), (std::array{stockbuyprice, float(stockbuyavol)}));
  stockbuyprice = 7.5f;
  KD_csd = 6, KD_csm = 11, KD_csy = 95, KD_ced = 4, KD_cem = 12, KD_cey = 95;  // 21 weekdays, two of them empty
  rebuild(1);
  EXPECT_FLOAT_EQ(7.5f, stockbuyprice);
  std::vector<int> days = dates(shown());
  ASSERT_EQ(21u, days.size());
  EXPECT_EQ((std::array{951106, -951114, -951121, 951204}), (std::array{days[0], days[6], days[11], days[20]}));
  EXPECT_EQ(2, std::count_if(days.begin(), days.end(), [](int d) { return d < 0; }));
  weekdays(1995, 11, 6, 15, {10});  // three weeks; the third Monday missing
  rebuild(2);
  ASSERT_EQ(3, work_days);
  w = shown();
  EXPECT_EQ((std::array{951106, 951110, 951121, 951124}),  // the third starts with Tuesday
            (std::array{first_of(w[0]), yymmdd_of(w[0]), first_of(w[2]), yymmdd_of(w[2])}));
  EXPECT_EQ((std::array{12.25f, 9.25f, 11.25f}), (std::array{w[0].high, w[0].low, w[0].close}));
  EXPECT_EQ((std::array<long long, 4>{500, 400, day_key(1995, 11, 10), 5}),  // a week stands on its Friday
            (std::array<long long, 4>{w[0].volume, w[2].volume, w[0].date, w[0].wday}));
  load_ab("951108, 11, 9, 10, 100\n951115, 11, 9, 10, 100\n");
  rebuild(2);
  EXPECT_EQ(2, work_days);  // two Wednesdays with nothing between are two weeks

  weekdays(1995, 2, 1, 300);
  // Each period's first and last day; 1 April 1995 was a Saturday.
  struct { int type, index, first, last; } periods[] = {
      {3, 1, 950301, 950331}, {4, 0, 950201, 950331}, {4, 1, 950403, 950630}, {5, 0, 950201, 951229}, {5, 1, 960101, 960326}};
  for (auto p : periods) {
    rebuild(p.type);
    EXPECT_EQ((std::array{p.first, p.last}), (std::array{first_of(shown()[p.index]), yymmdd_of(shown()[p.index])}));
  }
  EXPECT_EQ(2, work_days);
  rebuild(3);
  EXPECT_EQ(23 * 100, shown()[1].volume);  // the weekdays of March
  rebuild(6);
  EXPECT_EQ(0, work_days);

  load_ab("950215, 11, 9, 10, 100\n960214, 13, 8, 12, 200\n");
  rebuild(4);  // a gap of a year merges the same quarter
  ASSERT_EQ(1, work_days);
  EXPECT_EQ((std::array{950215, 960214, 300}),
            (std::array{first_of(shown()[0]), yymmdd_of(shown()[0]), static_cast<int>(shown()[0].volume)}));
}

// Scrolling and zooming rebuild the work days again and again: a split
// adjusts the history once. The adjust dialog commits a new ratio without a
// reload: the history is adjusted again from the prices as loaded.
TEST_F(History, ASplitAdjustsOnceAndANewOneReAdjustsFromTheLoadedPrices) {
  adjust_date = 951205, adjust_ratio = 2;
  load_ab("951204, 21, 19, 20, 100\n951205, 23, 21, 22, 100\n951206, 12, 10, 11, 200\n");
  for (int i = 0; i < 5; ++i) rebuild(1);
  EXPECT_FLOAT_EQ(10.5f, shown()[0].high);
  struct { int date; float ratio, first, second; long long volume; } steps[] = {
      {951205, 2, 10, 11, 200}, {951205, 4, 5, 5.5f, 400}, {951205, 4, 5, 5.5f, 400},
      {951204, 4, 5, 22, 400}, {0, 0, 5, 22, 400}};  // an empty dialog keeps the last split
  for (auto st : steps) {
    adjust_date = st.date, adjust_ratio = st.ratio;
    rebuild(1);
    std::vector<WorkDay> w = shown();
    EXPECT_EQ((std::array<double, 5>{st.first, st.second, double(st.volume), 11, 200}),
              (std::array<double, 5>{w[0].close, w[1].close, double(w[0].volume), w[2].close, double(w[2].volume)}))
        << st.date << " " << st.ratio;
  }
  adjust_date = 951205, adjust_ratio = 2;
  ASSERT_EQ(0, load_symbol("AB"));  // a fresh history takes the split again
  EXPECT_FLOAT_EQ(10, shown()[0].close);
}

// An index of market 2 takes its volume from its price: a year of them
// passes 2^31 hundreds of shares.
TEST_F(History, PeriodVolumesAndAveragesBeyondThirtyTwoBits) {
  mvavgtype = 1, mvavgdays = 2;
  load_ab(history_lines(1995, 12, 4, std::vector<float>(5, 1), 2000000000, 0));  // Monday 4 to Friday 8 December
  stockbuyavol = 0;
  rebuild(1);
  EXPECT_EQ(2000000000, stockbuyavol);
  rebuild(2);
  ASSERT_EQ(1, work_days);
  EXPECT_EQ(10000000000LL, shown()[0].volume);
  mvavgtype = 0;  // keeps the average set here
  stocklist[0].days[5].avgvol = 3e10f;  // an average no int holds
  stockbuyavol = 0;
  rebuild(1);
  EXPECT_EQ(2147483647, stockbuyavol);
}

}  // namespace

// ---- the comparison ----

// Each day takes the comparison's close of that day, none where it did not
// trade; a week the last close of its days. The relative strength is 100 on
// the first day with both closes, the overlay starts there at the
// security's close. The security's own buy price stays its own; a name that
// loads nothing is said, and a group's chart compares with nothing.
TEST_F(History, TheComparisonByDayAndByWeekAndWhatItLeavesAlone) {
  const std::vector<float> ab = {0, 10, 11, 12, 0, 13, 14, 15, 16, 18}, cd = {20, 0, 22, 24, 25, 26, 0, 28, 30, 0, 31};
  const int days[] = {2, 3, 4, 5, 6, 9, 10, 11, 12, 13};  // January 1995, weekdays
  auto of = [&](const std::vector<float>& v, int mday) { return v[std::find(days, days + 10, mday) - days]; };
  symbol_file("CD", history_lines(1995, 1, 2, cd));
  value_high = 0, load_ab(history_lines(1995, 1, 2, ab));
  float movement = value_high;  // AB's alone: CD's larger movement does not scale AB's panel
  copy_text(comparename, "cd"), stockbuyprice = 0, value_high = 0, graph_type = 1;
  load_ab(history_lines(1995, 1, 2, ab));
  EXPECT_EQ(movement, value_high);
  std::vector<WorkDay> w = shown();
  ASSERT_EQ(9u, w.size());  // from AB's first day; its empty Friday filled
  int base = -1;
  for (std::size_t i = 0; i < w.size(); ++i) {
    double a = of(ab, w[i].eday), c = of(cd, w[i].eday);
    if (base < 0 && a > 0 && c > 0) base = static_cast<int>(i);
    double a0 = base >= 0 ? of(ab, w[base].eday) : 0, c0 = base >= 0 ? of(cd, w[base].eday) : 0;
    double rs = base >= 0 && a > 0 && c > 0 ? a / c / (a0 / c0) * 100 : NAN, overlay = base >= 0 && c > 0 ? c * a0 / c0 : NAN;
    const WorkDay& b = w[base < 0 ? 0 : base];
    EXPECT_EQ(c, w[i].cmpclose) << i;
    EXPECT_EQ((std::array{std::isnan(rs), std::isnan(overlay)}),
              (std::array{std::isnan(relative_strength(w[i], b)), std::isnan(compare_overlay(w[i], b))})) << i;
    EXPECT_NEAR(std::isnan(rs) ? 0 : rs, std::isnan(rs) ? 0 : relative_strength(w[i], b), 1e-9) << i;
    EXPECT_NEAR(std::isnan(overlay) ? 0 : overlay, std::isnan(overlay) ? 0 : compare_overlay(w[i], b), 1e-9) << i;
  }
  EXPECT_EQ((std::array<double, 3>{1, 10, 100}), (std::array<double, 3>{double(base), stockbuyprice, relative_strength(w[1], w[1])}));
  EXPECT_EQ((std::array<std::string, 2>{"CD", ""}), (std::array{compare_shown(), compare_problem()}));
  rebuild(2);  // AB's first week ends on Thursday: CD's Friday is not in it; CD's second, on Thursday
  EXPECT_EQ((std::array{24.f, 30.f}), (std::array{shown()[0].cmpclose, shown()[1].cmpclose}));
  copy_text(comparename, "NOPE"), rebuild(1);
  load_ab(history_lines(1995, 1, 2, ab));
  EXPECT_EQ((std::array<std::string, 2>{"", "NOPE: load_day_stock: unknown symbol NOPE"}), (std::array{compare_shown(), compare_problem()}));
  EXPECT_TRUE(std::ranges::all_of(shown(), [](const WorkDay& d) { return d.cmpclose == 0; }));
  EXPECT_STREQ("AB", symbolname);
}

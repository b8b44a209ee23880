// Work days: the shown window, period bars and the split adjustment.
#include <gtest/gtest.h>

#include <string>

#include "support/market.h"

namespace {

class WorkDays : public MarketTest {
 protected:
  void SetUp() override {
    MarketTest::SetUp();
    tables("", "AB:Alpha Beta:S:N::950101-1000:\n");
  }
  // One line per weekday from `first` for `count` weekdays; the close counts up
  // from 10 by 0.25. Days in `skip` (YYMMDD) are left out.
  void weekdays(int y, int m, int d, int count, std::vector<int> skip = {}) {
    std::string lines;
    float close = 10;
    for (long day = day_number(y, m, d); count > 0; ++day) {
      int wd = weekday_of(day);
      if (wd == 0 || wd == 6) continue;
      --count;
      int yy, mm, dd;
      civil_date(day, &yy, &mm, &dd);
      int date = (yy % 100) * 10000 + mm * 100 + dd;
      close += 0.25f;
      if (std::find(skip.begin(), skip.end(), date) != skip.end()) continue;
      lines += std::to_string(date) + ", " + std::to_string(close + 1) + ", " + std::to_string(close - 1) +
               ", " + std::to_string(close) + ", 100\n";
    }
    symbol_file("AB", lines);
  }
  void rebuild(int type) {
    graph_type = type;
    fill_work();
  }
  void window(int yymmdd_first, int yymmdd_last) {
    KD_csy = yymmdd_first / 10000;
    KD_csm = yymmdd_first / 100 % 100;
    KD_csd = yymmdd_first % 100;
    KD_cey = yymmdd_last / 10000;
    KD_cem = yymmdd_last / 100 % 100;
    KD_ced = yymmdd_last % 100;
  }
  static int first_of(const WorkDay& w) { return w.syear * 10000 + w.smon * 100 + w.sday; }
};

TEST_F(WorkDays, DailyWindowKeepsEmptyDays) {
  weekdays(1995, 11, 1, 40, {951114, 951121});
  ASSERT_EQ(0, load_symbol("AB"));
  window(951106, 951204);  // 21 weekdays, two of them empty
  rebuild(1);
  ASSERT_EQ(21, work_days);
  EXPECT_EQ(951106, yymmdd_of(shown().front()));
  EXPECT_EQ(951204, yymmdd_of(shown().back()));
  int empty = 0;
  for (const WorkDay& w : shown()) empty += w.nodata;
  EXPECT_EQ(2, empty);
}

TEST_F(WorkDays, WeeksEndOnFridayAndHolidaysStartThemLater) {
  weekdays(1995, 11, 6, 15, {951120});  // three weeks; the third Monday missing
  ASSERT_EQ(0, load_symbol("AB"));
  rebuild(2);
  ASSERT_EQ(3, work_days);
  std::vector<WorkDay> w = shown();
  EXPECT_EQ(951106, first_of(w[0]));
  EXPECT_EQ(951110, yymmdd_of(w[0]));
  EXPECT_EQ(951121, first_of(w[2]));  // starts with Tuesday
  EXPECT_FLOAT_EQ(10.25f + 4 * 0.25f + 1, w[0].high);
  EXPECT_FLOAT_EQ(10.25f - 1, w[0].low);
  EXPECT_FLOAT_EQ(10.25f + 4 * 0.25f, w[0].close);
  EXPECT_EQ(500, w[0].volume);
  EXPECT_EQ(400, w[2].volume);
}

TEST_F(WorkDays, TwoWednesdaysWithNothingBetweenAreTwoWeeks) {
  symbol_file("AB", "951108, 11, 9, 10, 100\n951115, 11, 9, 10, 100\n");
  ASSERT_EQ(0, load_symbol("AB"));
  rebuild(2);
  EXPECT_EQ(2, work_days);
}

TEST_F(WorkDays, MonthsQuartersAndYears) {
  weekdays(1995, 2, 1, 300);
  ASSERT_EQ(0, load_symbol("AB"));
  rebuild(3);
  std::vector<WorkDay> w = shown();
  const WorkDay& march = w[1];
  EXPECT_EQ(950301, first_of(march));
  EXPECT_EQ(950331, yymmdd_of(march));
  EXPECT_EQ(23 * 100, march.volume);
  rebuild(4);
  EXPECT_EQ(950201, first_of(shown()[0]));
  EXPECT_EQ(950331, yymmdd_of(shown()[0]));
  EXPECT_EQ(950403, first_of(shown()[1]));  // 1 April 1995 was a Saturday
  rebuild(5);
  ASSERT_EQ(2, work_days);
  EXPECT_EQ(951229, yymmdd_of(shown()[0]));
  EXPECT_EQ(960101, first_of(shown()[1]));
  rebuild(6);
  EXPECT_EQ(0, work_days);
}

TEST_F(WorkDays, AQuarterlyGapOfAYearMergesTheSameQuarter) {
  symbol_file("AB", "950215, 11, 9, 10, 100\n960214, 13, 8, 12, 200\n");
  ASSERT_EQ(0, load_symbol("AB"));
  rebuild(4);
  ASSERT_EQ(1, work_days);
  EXPECT_EQ(950215, first_of(shown()[0]));
  EXPECT_EQ(960214, yymmdd_of(shown()[0]));
  EXPECT_EQ(300, shown()[0].volume);
}

TEST_F(WorkDays, ASplitHalvesPricesUpToItsDateOnceOnly) {
  symbol_file("AB", "951204, 21, 19, 20, 100\n951205, 23, 21, 22, 100\n951206, 12, 10, 11, 200\n");
  adjust_date = 951205;
  adjust_ratio = 2;
  ASSERT_EQ(0, load_symbol("AB"));
  for (int i = 0; i < 5; ++i) rebuild(1);  // scrolling and zooming rebuild again and again
  std::vector<WorkDay> w = shown();
  ASSERT_EQ(3u, w.size());
  EXPECT_FLOAT_EQ(10, w[0].close);
  EXPECT_FLOAT_EQ(10.5f, w[0].high);
  EXPECT_EQ(200, w[0].volume);
  EXPECT_FLOAT_EQ(11, w[1].close);
  EXPECT_FLOAT_EQ(11, w[2].close);
  EXPECT_EQ(200, w[2].volume);
  ASSERT_EQ(0, load_symbol("AB"));  // a fresh history takes the split again
  EXPECT_FLOAT_EQ(10, shown()[0].close);
}

// The adjust dialog commits a new ratio by leaving the field, without a
// reload: the history is adjusted again from the prices as loaded.
TEST_F(WorkDays, ANewSplitAdjustsFromTheLoadedPrices) {
  symbol_file("AB", "951204, 21, 19, 20, 100\n951205, 23, 21, 22, 100\n951206, 12, 10, 11, 200\n");
  ASSERT_EQ(0, load_symbol("AB"));
  struct { int date; float ratio, first, second; long long volume; } steps[] = {
      {951205, 2, 10, 11, 200}, {951205, 4, 5, 5.5f, 400}, {951205, 4, 5, 5.5f, 400},
      {951204, 4, 5, 22, 400}, {0, 0, 5, 22, 400}};  // an empty dialog keeps the last split
  for (auto st : steps) {
    adjust_date = st.date;
    adjust_ratio = st.ratio;
    rebuild(1);
    EXPECT_FLOAT_EQ(st.first, shown()[0].close) << st.date << " " << st.ratio;
    EXPECT_FLOAT_EQ(st.second, shown()[1].close);
    EXPECT_EQ(st.volume, shown()[0].volume);
    EXPECT_FLOAT_EQ(11, shown()[2].close);
  }
}

// An index of market 2 takes its volume from its price: a year of them
// passes 2^31 hundreds of shares.
TEST_F(WorkDays, PeriodVolumesAndAveragesBeyondThirtyTwoBits) {
  std::string lines;
  for (int d = 4; d <= 8; ++d) lines += "95120" + std::to_string(d) + ", 1, 1, 1, 2000000000\n";
  symbol_file("AB", lines);
  mvavgtype = 1;
  mvavgdays = 2;
  ASSERT_EQ(0, load_symbol("AB"));
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

TEST_F(WorkDays, BuyDefaultsComeFromTheShownDays) {
  weekdays(1995, 11, 1, 30);
  mvavgtype = 1;
  mvavgdays = 5;
  ASSERT_EQ(0, load_symbol("AB"));
  EXPECT_FLOAT_EQ(shown()[0].close, stockbuyprice);
  EXPECT_EQ(100, stockbuyavol);
  stockbuyprice = 7.5f;
  rebuild(1);
  EXPECT_FLOAT_EQ(7.5f, stockbuyprice);
}

TEST_F(WorkDays, AWorkDayIsAWholeCopyOfItsLoadedDay) {
  weekdays(1995, 11, 1, 30);
  mvavgtype = 1;
  mvavgdays = 5;
  stochdays = 3;
  ASSERT_EQ(0, load_symbol("AB"));
  std::vector<StockDay> d = loaded();
  std::vector<WorkDay> w = shown();
  ASSERT_EQ(d.size(), w.size());
  for (std::size_t i = 0; i < d.size(); ++i) EXPECT_EQ(0, std::memcmp(&d[i], &w[i], sizeof(StockDay))) << i;
  EXPECT_NE(0, w.back().mvavg);
}

}  // namespace

// Prices in 32nds, the price and volume scale, and day keys.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "data/data.h"
#include "support/market.h"

namespace {

struct FracCase {
  double price;
  char layout;
  const char* text;
};

class MakeFrac : public ::testing::TestWithParam<FracCase> {};

TEST_P(MakeFrac, WritesEightCharacters) {
  char buf[32];
  std::memset(buf, 'x', sizeof buf);
  makefrac(buf, GetParam().price, GetParam().layout);
  EXPECT_STREQ(GetParam().text, buf);
  EXPECT_EQ('x', buf[9]);  // nothing written past the text
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, MakeFrac,
    ::testing::Values(FracCase{12.375, 'l', "12  3/8 "}, FracCase{7.5, 'l', " 7  1/2 "},
                      FracCase{12.375, 'x', "12  3/8 "}, FracCase{123.375, 'x', "123  3/8"},
                      FracCase{3.1, 'l', " 3      "}, FracCase{3.1, 'x', "3       "},
                      FracCase{123.34375, 'l', "23  1/32"}, FracCase{40, 'l', "40      "},
                      FracCase{0.96875, 'l', " 0  1/32"}, FracCase{12345678.5, 'x', "12345678"},
                      FracCase{1e30, 'l', "56      "}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(PriceScale, VolumeStepsFollowTheirSequence) {
  struct { int high; float incr; } cases[] = {
      {0, 100}, {3000, 100}, {5000, 100}, {5050, 110}, {25000, 500}, {25050, 600},
      {40000, 800}, {250000, 5000}, {250050, 6000}, {12500000, 250000}, {2147483647, 42950000}};
  for (auto c : cases) {
    volume_high = c.high;
    set_scale(10, 20);
    EXPECT_FLOAT_EQ(c.incr, volume_incr) << c.high;
    EXPECT_EQ(50, volume_steps);
  }
}

TEST(PriceScale, PriceStepsAreSixteenthsThatCoverTheRange) {
  volume_high = 0;
  set_scale(10, 20);  // 10 / 50 = 0.2: the first sixteenth multiple above it
  EXPECT_FLOAT_EQ(0.25f, price_incr);
  EXPECT_FLOAT_EQ(10, price_bottom);
  EXPECT_EQ(50, price_steps);
  EXPECT_FLOAT_EQ(price_incr, org_price_incr);
  set_scale(10, 10);
  EXPECT_FLOAT_EQ(0.0625f, price_incr);
  set_scale(10, 13.125f);  // exactly 0.0625 a step
  EXPECT_FLOAT_EQ(0.0625f, price_incr);
  set_scale(0, 1e9f);  // a huge price ends at once
  EXPECT_GE(price_incr * 50, 1e9f);
  EXPECT_LT(price_incr * 50, 1e9f + 50);
}

using Scale = MarketTest;

TEST_F(Scale, CalcPriceRecomputesFromTheLoadedDays) {
  stocklist.resize(1);
  stocklist[0].days.assign(4, StockDay{});
  stocklist[0].days[1] = quote_day(9.5f, 8.25f, 9.0f, 40000);
  stocklist[0].days[3] = quote_day(9.75f, 0, 0);  // an empty day's low is no low
  num_days = 4;
  calc_price();
  EXPECT_EQ(40000, volume_high);
  EXPECT_FLOAT_EQ(8.25f, price_bottom);
  EXPECT_FLOAT_EQ(0.0625f, price_incr);  // (9.75 + 0.5 - 8.25) / 50 = 0.04
  EXPECT_FLOAT_EQ(360000, price_highv);
  EXPECT_FLOAT_EQ(800, volume_incr);
}

// ---- day keys, in several time zones ----

class DayKeys : public ::testing::TestWithParam<const char*> {
 protected:
  std::string old;
  void SetUp() override {
    const char* tz = std::getenv("TZ");
    old = tz ? tz : "";
    setenv("TZ", GetParam(), 1);
    tzset();
  }
  void TearDown() override {
    if (old.empty()) unsetenv("TZ");
    else setenv("TZ", old.c_str(), 1);
    tzset();
  }
  static time_t key(int yy, int m, int d) {
    struct tm t = {};
    t.tm_year = yy;
    t.tm_mon = m - 1;
    t.tm_mday = d;
    return timelocal(&t);
  }
};

TEST_P(DayKeys, ConsecutiveDaysAre86400Apart) {
  time_t prev = key(95, 12, 29);
  for (auto [yy, m, d] : {std::tuple{95, 12, 30}, {95, 12, 31}, {96, 1, 1}, {96, 1, 2}}) {
    time_t k = key(yy, m, d);
    EXPECT_EQ(prev + 86400, k);
    EXPECT_EQ(k, whatday);
    prev = k;
  }
  EXPECT_EQ(key(99, 12, 31) + 86400, key(0, 1, 1));  // across the century turn
  EXPECT_EQ(key(0, 2, 28) + 2 * 86400, key(0, 3, 1));  // 2000 was a leap year
  EXPECT_EQ(0, key(70, 1, 1));
}

TEST_P(DayKeys, WeekdaysComeFromTheKey) {
  EXPECT_EQ(5, weekday_of_key(key(26, 12, 4)));  // Friday 4 December 2026
  EXPECT_EQ(6, weekday_of_key(key(0, 1, 1)));    // Saturday 1 January 2000
  EXPECT_EQ(1, weekday_of_key(key(95, 12, 4)));  // Monday 4 December 1995
  int y, m, d;
  date_of_key(key(68, 12, 31), &y, &m, &d);
  EXPECT_EQ(2068, y);
  EXPECT_EQ(12, m);
  EXPECT_EQ(31, d);
}

TEST_P(DayKeys, ImpossibleDatesAreRefused) {
  time_t before = key(95, 6, 1);
  for (auto [yy, m, d] : {std::tuple{95, 2, 30}, {95, 13, 1}, {95, 0, 10}, {95, 4, 31}, {95, 1, 0}, {95, 1, 32},
                          {99, 2, 29}})
    EXPECT_EQ(-1, key(yy, m, d)) << yy << "/" << m << "/" << d;
  EXPECT_EQ(before, whatday);  // a refused date does not move the remembered day
  EXPECT_EQ(-1, yymmdd_key(951332));
  EXPECT_EQ(key(0, 2, 29), yymmdd_key(229));
}

INSTANTIATE_TEST_SUITE_P(Zones, DayKeys,
                         ::testing::Values("UTC", "America/New_York", "Europe/Berlin", "Asia/Tokyo"),
                         [](const auto& info) {
                           std::string n = info.param;
                           for (char& c : n)
                             if (c == '/') c = '_';
                           return n;
                         });

}  // namespace

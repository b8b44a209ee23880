// Prices in 32nds, the price and volume scale, and day keys.

#include "support/fixtures.h"

namespace {

using Scale = MarketTest;

TEST_F(Scale, PricesIn32ndsTheStepsAndTheScaleOfTheLoadedDays) {
  struct { double price; char layout; const char* text; } cases[] = {
      {12.375, 'l', "12  3/8 "}, {7.5, 'l', " 7  1/2 "},  {12.375, 'x', "12  3/8 "},   {123.375, 'x', "123  3/8"},
      {3.1, 'l', " 3      "},    {3.1, 'x', "3       "},  {123.34375, 'l', "23  1/32"}, {40, 'l', "40      "},
      {0.96875, 'l', " 0  1/32"},  // 31/32, its first character cut
      {12345678.5, 'x', "12345678"}, {1e30, 'l', "56      "}};
  for (auto c : cases) {
    char buf[32];
    std::memset(buf, 'x', sizeof buf);
    makefrac(buf, c.price, c.layout);
    EXPECT_STREQ(c.text, buf) << c.price << " " << c.layout;
    EXPECT_EQ('x', buf[9]);  // nothing written past the text
  }
  struct { int high; float incr; } volumes[] = {
      {0, 100}, {3000, 100}, {5000, 100}, {5050, 110}, {25000, 500}, {25050, 600},
      {40000, 800}, {250000, 5000}, {250050, 6000}, {12500000, 250000}, {2147483647, 42950000}};
  for (auto c : volumes) {
    volume_high = c.high;
    set_scale(10, 20);
    EXPECT_EQ((std::array{c.incr, 50.0f}), (std::array{volume_incr, float(volume_steps)})) << c.high;
  }
  // The first sixteenth multiple that reaches a fiftieth of the range.
  struct { float top, incr; } prices[] = {{20, 0.25f}, {10, 0.0625f}, {13.125f, 0.0625f}, {13.2f, 0.125f}};
  for (auto c : prices) {
    set_scale(10, c.top);
    EXPECT_EQ((std::array{c.incr, c.incr, 10.0f, 50.0f}), (std::array{price_incr, org_price_incr, price_bottom, float(price_steps)}))
        << c.top;
  }
  set_scale(0, 1e9f);  // a huge price ends at once
  EXPECT_TRUE(price_incr * 50 >= 1e9f && price_incr * 50 < 1e9f + 50) << price_incr;
  // calc_price recomputes the scale from the loaded days.
  stocklist.resize(1);
  // Day 3 without trading: its low of 0 is no low.
  stocklist[0].days = {StockDay{}, quote_day(9.5f, 8.25f, 9.0f, 40000), StockDay{}, quote_day(9.75f, 0, 0)};
  num_days = 4;
  calc_price();
  // 0.0625: the first step above (9.75 + 0.5 - 8.25) / 50 = 0.04
  EXPECT_EQ((std::array{8.25f, 0.0625f, 360000.0f, 800.0f, 40000.0f}),
            (std::array{price_bottom, price_incr, price_highv, volume_incr, float(volume_high)}));
  for (float low : {250000.0f, 0.0f})  // a price above 100,000; no low at all: the scale from 0
    EXPECT_EQ(low, (stocklist[0].days[1] = quote_day(low + 1, low, low), calc_price(), price_bottom));
}

// Day keys are whole days since Thursday 1 January 1970 in every time zone,
// from a struct tm or a YYMMDD date alike; two-digit years 69-99 are
// 1969-1999 and 00-68 2000-2068, and 2000 is a leap year.
TEST(DayKeys, AreWholeDaysSince1970InEveryZoneAndRefuseImpossibleDates) {
  auto key = [](int yymmdd) {
    struct tm t = {};
    t.tm_year = yymmdd / 10000, t.tm_mon = yymmdd / 100 % 100 - 1, t.tm_mday = yymmdd % 100;
    return timelocal(&t);
  };
  struct { int yymmdd; long days, weekday; } dates[] = {
      {700101, 0, 4},    {690102, -364, 4}, {691231, -1, 3},    {951231, 9495, 0}, {960101, 9496, 1},
      {960229, 9555, 4}, {991231, 10956, 5}, {101, 10957, 6},   {229, 11016, 2},   {301, 11017, 3},
      {681231, 36159, 1}, {261204, 20791, 5}};
  for (const char* zone : {"UTC", "America/New_York", "Europe/Berlin", "Asia/Tokyo"}) {
    ScopedTz tz(zone);
    for (auto c : dates) {
      time_t k = key(c.yymmdd);
      EXPECT_EQ((std::array{c.days * 86400, c.days * 86400, c.days * 86400, c.weekday}),
                (std::array<long, 4>{k, whatday, yymmdd_key(c.yymmdd), weekday_of_key(k)})) << zone << " " << c.yymmdd;
    }
    time_t before = whatday;  // a refused date does not move the remembered day
    for (int bad : {950230, 951301, 950010, 950431, 950100, 950132, 990229, 230})
      EXPECT_EQ((std::array{NO_KEY, NO_KEY, before}), (std::array{key(bad), yymmdd_key(bad), whatday})) << bad;
  }
  for (int bad : {1000229, 690100, -1}) EXPECT_EQ(NO_KEY, yymmdd_key(bad)) << bad;
}

}  // namespace

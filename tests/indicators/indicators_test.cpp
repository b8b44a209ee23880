// The indicators, the commission schedules and the linear solver.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "indicators/indicators.h"
#include "support/market.h"

namespace {

// Days 1.. from closes (0: an empty day); high and low around the close.
std::vector<StockDay> history(const std::vector<float>& closes, float spread = 0.5f, int volume = 100) {
  std::vector<StockDay> days(1);
  for (float c : closes) days.push_back(c == 0 ? StockDay{} : quote_day(c + spread, c - spread, c, volume));
  return days;
}

class Indicators : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    value_high = 0;
  }
  void mvavgs(std::vector<StockDay>& d, int type, int n) {
    mvavgtype = type;
    mvavgdays = n;
    calc_stock_mvavgs(d.data(), static_cast<int>(d.size()));
  }
};

TEST_F(Indicators, RsiCountsUpsAndDownsOverTheAverageDays) {
  auto d = history({10, 11, 12, 11, 12});
  mvavgs(d, 1, 4);
  EXPECT_FLOAT_EQ(75, d[5].rsi);  // up 3, down 1
  EXPECT_FLOAT_EQ(11.5f, d[5].mvavg);
  EXPECT_EQ(0, d[4].rsi);  // days 1..n keep 0
  EXPECT_EQ(0, d[4].mvavg);
}

TEST_F(Indicators, DayWeightedAverageWeighsTheLatestDayMost) {
  auto d = history({9, 10, 11, 12});
  mvavgs(d, 2, 3);
  EXPECT_NEAR(11.3333333, d[4].mvavg, 1e-5);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(0, d[i].mvavg);
}

TEST_F(Indicators, VolumeWeightedAverageAndAverageVolume) {
  auto d = history({10, 20, 30});
  d[2].volume = 300;
  d[3].volume = 600;
  mvavgs(d, 3, 2);
  EXPECT_FLOAT_EQ((20.0f * 300 + 30.0f * 600) / 900, d[3].mvavg);
  EXPECT_FLOAT_EQ(450, d[3].avgvol);
  EXPECT_FLOAT_EQ(5, d[3].stdev);  // population deviation of 20 and 30
}

TEST_F(Indicators, AShortHistoryOrNoKindLeavesTheAverageAtZero) {
  auto d = history({10, 11, 12});
  mvavgs(d, 1, 3);
  for (const StockDay& s : d) EXPECT_EQ(0, s.mvavg);
  d = history({10, 11, 12, 13, 14});
  mvavgs(d, 0, 2);
  for (const StockDay& s : d) EXPECT_EQ(0, s.mvavg);
}

TEST_F(Indicators, EmptyDaysAreNotCountedInTheWindows) {
  auto d = history({10, 0, 12, 0, 14});
  mvavgs(d, 1, 2);
  EXPECT_FLOAT_EQ(13, d[5].mvavg);  // 12 and 14
  EXPECT_EQ(0, d[4].mvavg);
  EXPECT_FLOAT_EQ(11, d[3].mvavg);  // 10 and 12
}

TEST_F(Indicators, AConstantFundHasNoDeviationAnEvenRsiAndNoStochastic) {
  auto d = history(std::vector<float>(12, 10.25f), 0);
  mvavgs(d, 1, 5);
  stochdays = 3;
  calc_stock_stoch(d.data(), static_cast<int>(d.size()));
  for (int i = 6; i <= 12; ++i) {
    EXPECT_EQ(0, d[i].stdev);
    EXPECT_FLOAT_EQ(50, d[i].rsi);
    EXPECT_EQ(0, d[i].stochk);
  }
}

TEST_F(Indicators, StochasticsSmoothTwice) {
  auto d = history({10, 12, 11, 13, 12});
  stochdays = 3;
  calc_stock_stoch(d.data(), 6);
  // First window days 1..3: high 12.5, low 9.5, close 11.
  EXPECT_FLOAT_EQ(50, d[3].stochk);
  EXPECT_FLOAT_EQ(50, d[3].stochd);
  // Day 4 over days 2..4: high 13.5, low 10.5, close 13.
  float k4 = (13 - 10.5f) / 3 * 100;
  EXPECT_FLOAT_EQ(k4, d[4].stochk);
  float ks4 = static_cast<float>(2.0 / 3 * 50 + 1.0 / 3 * k4);
  EXPECT_FLOAT_EQ(ks4, d[4].stochks);
  EXPECT_FLOAT_EQ(static_cast<float>(2.0 / 3 * 50 + 1.0 / 3 * ks4), d[4].stochd);
}

TEST_F(Indicators, StochasticsNeedAFullWindow) {
  auto d = history({10, 12, 11, 13});
  stochdays = 5;
  calc_stock_stoch(d.data(), 5);
  for (const StockDay& s : d) EXPECT_EQ(0, s.stochk);
}

TEST_F(Indicators, AnEmptyDayHasNoMacdAndThePvLineContinues) {
  auto d = history({10, 11, 0, 12});
  calc_stock_macd(d.data(), 5);
  EXPECT_EQ(NO_VALUE, d[0].pvline);
  EXPECT_EQ(0, d[1].pvline);
  EXPECT_FLOAT_EQ(100 * 100, d[2].pvline);  // (11 - 10) x 100 x 100
  EXPECT_EQ(NO_VALUE, d[3].pvline);
  EXPECT_EQ(NO_VALUE, d[3].macdfast);
  EXPECT_EQ(NO_VALUE, d[3].macdslow);
  EXPECT_FLOAT_EQ(2 * 100 * 100, d[4].pvline);
  EXPECT_FLOAT_EQ(0.154f, d[2].macdfast);
  EXPECT_FLOAT_EQ(0.077f, d[2].macdslow);
  EXPECT_FLOAT_EQ(static_cast<float>(0.154 * 0.846 + 0.154), d[4].macdfast);
  EXPECT_FLOAT_EQ(d[4].macdfast, macd_high);
  EXPECT_FLOAT_EQ(20000, value_high);
  EXPECT_FLOAT_EQ(1.0f / 10.5f * 100, d[2].range);
}

// Every indicator against a plain double computation of its definition,
// over 20 years of a price near 1.00 and one near 5,000 that moves by cents:
// single-precision running sums lose most of the deviation's digits there.
TEST_F(Indicators, EveryIndicatorIsWithinTwoPartsIn100000OfAnExactComputation) {
  const int n = 20, days = 5000;
  for (double base : {1.0, 5000.0})
    for (int kind : {1, 2, 3}) {
      std::vector<StockDay> d(1);
      unsigned seed = 12345;
      auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 8 & 0xffff; };
      double price = base;
      for (int i = 0; i < days; ++i) {
        price += (static_cast<double>(next()) / 65536 - 0.5) * base * 4e-5;
        float c = static_cast<float>(price);
        d.push_back(quote_day(c * 1.001f, c * 0.999f, c, 1000 + static_cast<int>(next())));
      }
      mvavgs(d, kind, n);
      calc_stock_macd(d.data(), days + 1);
      auto near = [](double got, double exact, double scale, const char* what, int i) {
        return std::fabs(got - exact) <= 2e-5 * std::max(std::fabs(exact), scale)
                   ? ::testing::AssertionSuccess()
                   : ::testing::AssertionFailure() << what << " day " << i << ": " << got << " vs " << exact;
      };
      double pv = 0, fast = 0, pv_top = 0, macd_top = 0;
      std::vector<double> pvs(days + 1), fasts(days + 1);
      for (int i = 2; i <= days; ++i) {
        double move = static_cast<double>(d[i].close) - d[i - 1].close;
        pv += move * static_cast<double>(d[i].volume) * 100;
        fast = fast * 0.846 + move * 0.154;
        pvs[i] = pv, fasts[i] = fast;
        pv_top = std::max(pv_top, std::fabs(pv)), macd_top = std::max(macd_top, std::fabs(fast));
      }
      for (int i = n + 1; i <= days; i += 7) {
        double sum = 0, volume = 0, by_day = 0, by_volume = 0, up = 0, down = 0, squares = 0;
        for (int k = 0; k < n; ++k) {
          const StockDay& s = d[i - k];
          sum += s.close, volume += static_cast<double>(s.volume);
          by_day += static_cast<double>(s.close) * (n - k), by_volume += static_cast<double>(s.close) * s.volume;
          double change = static_cast<double>(s.close) - d[i - k - 1].close;
          (change > 0 ? up : down) += std::fabs(change);
        }
        double mean = sum / n;
        for (int k = 0; k < n; ++k) squares += (d[i - k].close - mean) * (d[i - k].close - mean);
        double average[] = {0, mean, by_day / (n * (n + 1) / 2.0), by_volume / volume};
        SCOPED_TRACE(::testing::Message() << "base " << base << " kind " << kind);
        ASSERT_TRUE(near(d[i].stdev, std::sqrt(squares / n), 0, "deviation", i));
        ASSERT_TRUE(near(d[i].mvavg, average[kind], 0, "average", i));
        ASSERT_TRUE(near(d[i].avgvol, volume / n, 0, "average volume", i));
        ASSERT_TRUE(near(d[i].rsi, up + down == 0 ? 50 : up / (up + down) * 100, 0, "rsi", i));
        ASSERT_TRUE(near(d[i].pvline, pvs[i], 1e-3 * pv_top, "price-volume line", i));
        ASSERT_TRUE(near(d[i].macdfast, fasts[i], 1e-3 * macd_top, "macd", i));
      }
    }
}

TEST_F(Indicators, AWindowWithoutVolumeHasNoVolumeWeightedAverage) {
  auto d = history({10, 11, 12, 13}, 0.5f, 0);  // a fund or an index: no volume
  d[2].volume = 50;
  mvavgs(d, 3, 2);
  EXPECT_FLOAT_EQ(11, d[3].mvavg);  // only day 2 has volume
  EXPECT_EQ(0, d[4].mvavg);         // none: no average, not 0/0
  EXPECT_FLOAT_EQ(0.5f, d[4].stdev);
}

TEST_F(Indicators, AFallingDayHasANegativeRangeAndAZeroLowNone) {
  auto d = history({12, 11});
  d[2].low = 0;
  calc_stock_macd(d.data(), 3);
  EXPECT_EQ(0, d[2].range);
  d = history({12, 11});
  calc_stock_macd(d.data(), 3);
  EXPECT_FLOAT_EQ(-1.0f / 10.5f * 100, d[2].range);
}

// ---- commissions ----

struct Trade {
  char broker;
  float price;
  int shares;
  float commission;
};

class Commission : public ::testing::TestWithParam<Trade> {};

TEST_P(Commission, FollowsItsSchedule) {
  const Trade& t = GetParam();
  EXPECT_FLOAT_EQ(t.commission, getcomission(t.broker, t.price, t.shares));
}

INSTANTIATE_TEST_SUITE_P(
    Schedules, Commission,
    ::testing::Values(Trade{'s', 20, 500, 49.5f}, Trade{'s', 20, 1000, 72}, Trade{'s', 20, 1001, 72.036f},
                      Trade{'s', 5, 2000, 99}, Trade{'s', 0.5f, 1000, 37.5f}, Trade{'s', 5, 200, 31.5f},
                      Trade{'s', 20, 200, 36}, Trade{'s', 5, 500, 40.5f}, Trade{'g', 2, 10000, 1250},
                      Trade{'g', 100, 100, 75}, Trade{'c', 10, 100, 47}, Trade{'c', 10, 10, 39},
                      Trade{'c', 50, 2000, 265}, Trade{'c', 0.5f, 100, 41}, Trade{'c', 100, 300, 165},
                      Trade{'c', 30, 100, 55}, Trade{'x', 20, 500, 0}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

// ---- the solver ----

TEST(Gauss, SolvesAndLeavesItsInputs) {
  float a[3][3] = {{0, 0, 0}, {0, 1, 1}, {0, 1, 2}};
  float b[3] = {0, 3, 5};
  float x[3] = {-1, -1, -1};
  ASSERT_EQ(0, gauss(a, b, x, 2));
  EXPECT_FLOAT_EQ(1, x[1]);
  EXPECT_FLOAT_EQ(2, x[2]);
  EXPECT_EQ(2, a[2][2]);
  EXPECT_EQ(5, b[2]);
}

TEST(Gauss, PivotsOnTheLargerRow) {
  float a[3][3] = {{0, 0, 0}, {0, 0.001f, 1}, {0, 1, 1}};
  float b[3] = {0, 1, 2};
  float x[3];
  ASSERT_EQ(0, gauss(a, b, x, 2));
  EXPECT_NEAR(1.001, x[1], 1e-3);
  EXPECT_NEAR(0.999, x[2], 1e-3);
}

TEST(Gauss, ASingularSystemWritesNothing) {
  float a[3][3] = {{0, 0, 0}, {0, 0, 1}, {0, 0, 2}};
  float b[3] = {0, 3, 5};
  float x[3] = {7, 7, 7};
  EXPECT_EQ(1, gauss(a, b, x, 2));
  float c[3][3] = {{0, 0, 0}, {0, 1, 2}, {0, 2, 4}};
  EXPECT_EQ(1, gauss(c, b, x, 2));
  EXPECT_EQ(7, x[1]);
  EXPECT_EQ(7, x[2]);
  EXPECT_EQ(1, gauss(c, b, x, 3));  // no room for a larger system
}

}  // namespace

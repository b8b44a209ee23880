// The indicators, the commission schedules and the linear solver.

#include "support/fixtures.h"

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
    mvavgtype = type, mvavgdays = n;
    calc_stock_mvavgs(d.data(), static_cast<int>(d.size()));
  }
};

// The first value stands on the day after the first n; empty days are not
// counted in a window.
TEST_F(Indicators, AveragesStartAfterTheirDaysAndSkipEmptyDays) {
  struct { std::vector<float> closes; std::vector<int> volumes; int type, n; std::vector<float> mvavg; } cases[] = {
      {{10, 11, 12, 11, 12}, {}, 1, 4, {0, 0, 0, 0, 11.5f}},
      {{10, 11, 12}, {}, 1, 3, {0, 0, 0}},                // too short
      {{10, 11, 12, 13, 14}, {}, 0, 2, {0, 0, 0, 0, 0}},  // no kind
      {{10, 0, 12, 0, 14}, {}, 1, 2, {0, 0, 11, 0, 13}},
      // A window without volume (a fund, an index) has no such average, not 0/0.
      {{10, 11, 12, 13}, {0, 50, 0, 0}, 3, 2, {0, 0, 11, 0}}};
  for (const auto& c : cases) {
    auto d = history(c.closes);
    for (std::size_t i = 0; i < c.volumes.size(); ++i) d[i + 1].volume = c.volumes[i];
    mvavgs(d, c.type, c.n);
    for (std::size_t i = 0; i < c.mvavg.size(); ++i)
      EXPECT_NEAR(c.mvavg[i], d[i + 1].mvavg, 1e-5) << "type " << c.type << " n " << c.n << " day " << i + 1;
    // The first case's RSI too: up 3, down 1.
    if (&c == &cases[0]) { EXPECT_EQ((std::array{0.0f, 75.0f}), (std::array{d[4].rsi, d[5].rsi})); }
  }
}

TEST_F(Indicators, StochasticsMacdPvLineAndRange) {
  auto d = history(std::vector<float>(12, 10.25f), 0);  // no deviation and an even RSI either
  mvavgs(d, 1, 5);
  stochdays = 3;
  calc_stock_stoch(d.data(), static_cast<int>(d.size()));
  for (int i = 6; i <= 12; ++i) EXPECT_EQ((std::array{0.0f, 50.0f, 0.0f}), (std::array{d[i].stdev, d[i].rsi, d[i].stochk})) << i;
  d = history({10, 12, 11, 13});
  stochdays = 5;
  calc_stock_stoch(d.data(), 5);
  for (const StockDay& s : d) EXPECT_EQ(0, s.stochk);
  stochdays = 3;
  for (float base : {0.0f, 2000000.0f}) {  // at any height of price
    d = history({base + 10, base + 12, base + 11, base + 13, base + 12, 0});  // the last day empty
    calc_stock_stoch(d.data(), 7);
    // First window days 1..3: high 12.5, low 9.5, close 11; day 4 over days
    // 2..4: high 13.5, low 10.5, close 13. Each smoothing is 2/3 old, 1/3 new.
    EXPECT_EQ((std::array{50.0f, 50.0f}), (std::array{d[3].stochk, d[3].stochd}));
    double k4 = (13 - 10.5) / 3 * 100, ks4 = 2.0 / 3 * 50 + 1.0 / 3 * k4;
    for (auto [want, got] : {std::pair{k4, d[4].stochk}, {ks4, d[4].stochks}, {2.0 / 3 * 50 + 1.0 / 3 * ks4, d[4].stochd}})
      EXPECT_NEAR(want, got, 1e-4);
    EXPECT_EQ((std::array{0.0f, 0.0f, 0.0f}), (std::array{d[6].stochk, d[6].stochks, d[6].stochd}));
  }
  d = history({10, 11, 0, 12});
  calc_stock_macd(d.data(), 5);
  // Each step moves 1 at a volume of 100 hundreds: 10,000 dollars.
  EXPECT_EQ((std::array{NO_VALUE, 0.0f, 10000.0f, NO_VALUE, 20000.0f}),
            (std::array{d[0].pvline, d[1].pvline, d[2].pvline, d[3].pvline, d[4].pvline}));
  EXPECT_EQ((std::array{NO_VALUE, NO_VALUE}), (std::array{d[3].macdfast, d[3].macdslow}));
  // The fast average keeps 0.846 of itself, the slow one 0.923; the empty day is passed over.
  for (auto [want, got] : {std::pair{0.154 * 0.846 + 0.154, d[4].macdfast}, {0.077 * 0.923 + 0.077, d[4].macdslow},
                           {1.0 / 10.5 * 100, d[2].range}})
    EXPECT_FLOAT_EQ(static_cast<float>(want), got);
  EXPECT_EQ((std::array{d[4].macdfast, 20000.0f}), (std::array{macd_high, value_high}));
  d = history({12, 11});  // a falling day has a negative range, a low of 0 none
  calc_stock_macd(d.data(), 3);
  EXPECT_FLOAT_EQ(-1.0f / 10.5f * 100, d[2].range);
  d[2].low = 0;
  calc_stock_macd(d.data(), 3);
  EXPECT_EQ(0, d[2].range);
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
      double pv = 0, fast = 0, slow = 0, pv_top = 0, macd_top = 0;
      std::vector<double> pvs(days + 1), fasts(days + 1), slows(days + 1);
      for (int i = 2; i <= days; ++i) {
        double move = static_cast<double>(d[i].close) - d[i - 1].close;
        pv += move * static_cast<double>(d[i].volume) * 100;
        fast = fast * 0.846 + move * 0.154, slow = slow * 0.923 + move * 0.077;
        pvs[i] = pv, fasts[i] = fast, slows[i] = slow;
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
        // Within 2 parts in 100,000 of the exact value (the running sums: of a thousandth of their largest).
        struct { const char* what; double got, exact, scale; } values[] = {
            {"deviation", d[i].stdev, std::sqrt(squares / n), 0}, {"average", d[i].mvavg, average[kind], 0},
            {"average volume", d[i].avgvol, volume / n, 0},
            {"rsi", d[i].rsi, up + down == 0 ? 50 : up / (up + down) * 100, 0},
            {"price-volume line", d[i].pvline, pvs[i], 1e-3 * pv_top}, {"macd", d[i].macdfast, fasts[i], 1e-3 * macd_top},
            {"slow macd", d[i].macdslow, slows[i], 1e-3 * macd_top}};
        for (auto v : values)
          ASSERT_LE(std::fabs(v.got - v.exact), 2e-5 * std::max(std::fabs(v.exact), v.scale))
              << v.what << ", base " << base << " kind " << kind << " day " << i << ": " << v.got << " vs " << v.exact;
      }
    }
}

// ---- commissions, at and between the schedules' thresholds ----

TEST(Commission, FollowsEachScheduleAtItsThresholdsAndCaps) {
  struct { char broker; float price; int shares; float commission; } trades[] = {
      // s: 90% of 35 up to 100 shares, 5 cents a share more above 100 (above
      // 300 when the price is at most 10), 4 cents above 1000; under $1 by value.
      {'s', 0.5f, 1000, 37.5f}, {'s', 1, 100, 31.5f},    {'s', 10, 100, 31.5f},  {'s', 10, 200, 31.5f},
      {'s', 10, 300, 31.5f},    {'s', 10, 301, 31.545f}, {'s', 20, 300, 40.5f},  {'s', 5, 200, 31.5f},
      {'s', 20, 200, 36},       {'s', 5, 500, 40.5f},    {'s', 20, 500, 49.5f},  {'s', 10, 1000, 63},
      {'s', 10, 1001, 63.036f}, {'s', 20, 1000, 72},     {'s', 20, 1001, 72.036f}, {'s', 5, 2000, 99},
      // g: 25 and half a percent of the value, at least 12.5 cents a share.
      {'g', 2, 10000, 1250}, {'g', 100, 100, 75}, {'g', 5, 250, 31.25f}, {'g', 10, 1000, 125},
      // c: by value bands up to 2500, 6000, 22000, 50000 and 500000; at least
      // 39, at most 55 for 100 shares and 55 cents a share more above.
      {'c', 10, 10, 39},      {'c', 10, 100, 47},       {'c', 0.5f, 100, 41},  {'c', 1, 1000, 47},
      {'c', 2.5f, 1000, 72.5f}, {'c', 6, 1000, 95.6f},  {'c', 22, 1000, 150.8f}, {'c', 50, 1000, 210},
      {'c', 50, 2000, 265},   {'c', 250, 2000, 705},    {'c', 30, 100, 55},    {'c', 100, 300, 165}, {'x', 20, 500, 0}};
  for (auto t : trades) EXPECT_FLOAT_EQ(t.commission, getcomission(t.broker, t.price, t.shares))
        << t.broker << " " << t.price << " x " << t.shares;
}

// ---- the solver ----

// Rows and columns count from 1.
TEST(Gauss, SolvesOnTheLargerPivotLeavesItsInputsAndASingularSystemWritesNothing) {
  float a[3][3] = {{0, 0, 0}, {0, 1, 1}, {0, 1, 2}}, p[3][3] = {{0, 0, 0}, {0, 0.001f, 1}, {0, 1, 1}};
  float s[3][3] = {{0, 0, 0}, {0, 0, 1}, {0, 0, 2}}, c[3][3] = {{0, 0, 0}, {0, 1, 2}, {0, 2, 4}};
  float b[3] = {0, 3, 5}, q[3] = {0, 1, 2}, x[3] = {-1, -1, -1}, y[3] = {7, 7, 7};
  ASSERT_EQ(0, gauss(a, b, x, 2));
  EXPECT_EQ((std::array{-1.0f, 1.0f, 2.0f, 2.0f, 5.0f}), (std::array{x[0], x[1], x[2], a[2][2], b[2]}));  // x[0] unused
  ASSERT_EQ(0, gauss(p, q, x, 2));
  EXPECT_TRUE(std::fabs(x[1] - 1.001) < 1e-3 && std::fabs(x[2] - 0.999) < 1e-3) << x[1] << " " << x[2];
  // Singular, and no room for a larger system.
  EXPECT_EQ((std::array{1, 1, 1}), (std::array{gauss(s, b, y, 2), gauss(c, b, y, 2), gauss(c, b, y, 3)}));
  EXPECT_EQ((std::array{7.0f, 7.0f}), (std::array{y[1], y[2]}));
}

}  // namespace

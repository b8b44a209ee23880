// Charts of odd data and odd windows draw what they can and never divide by
// zero or write past an array (run under the sanitizers).
#include <gtest/gtest.h>

#include <cstdlib>

#include "chart/chart_support.h"
#include "indicators/indicators.h"

namespace {

class OddCharts : public ChartTest {
 protected:
  void SetUp() override {
    ChartTest::SetUp();
    mvavgtype = mvavgflag = 1;
    mvavgdays = 3;
    stochdays = 3;
    bollingerflag = 1;
    bolstd = 2;
    fibflag = 1;
    volflag = 1;
    gridstate = 1;
    raxis = 'p';
    tables("1:Tech:TECH:\n", "AB:Alpha:S:N:TECH:950101-1:\n");
  }
  // Every screen that draws the loaded data, in every combination of looks;
  // whatever is drawn stays inside the window's coordinate range.
  void draw_every_screen() {
    for (int look : {1, 2, 3, 4, 5, 6, 7, 9, 10, 12, 13}) {
      for (char q : {'b', 'd'}) {
        graphlook = look;
        quotelook = q;
        rec.ops.clear();
        draw_chart();
        graphlook = look;
        for (const DrawOp& op : rec.ops) {
          ASSERT_LT(std::abs(op.x), 1 << 20) << look;
          ASSERT_LT(std::abs(op.y), 1 << 20) << look;
        }
      }
    }
  }
};

TEST_F(OddCharts, AOneDayHistory) {
  symbol_file("AB", "951204, 11, 9, 10, 100\n");
  load();
  draw_every_screen();
  EXPECT_EQ(2, num_days);
}

TEST_F(OddCharts, ShownDaysThatAreAllEmpty) {
  symbol_file("AB", "951201, 11, 9, 10, 100\n951215, 11, 9, 10, 100\n");
  load();
  KD_csd = 4, KD_csm = 12, KD_csy = 95, KD_ced = 14, KD_cem = 12, KD_cey = 95;
  fill_work();
  ASSERT_EQ(9, work_days);
  for (int i = 0; i < work_days; ++i) ASSERT_EQ(1, worklist[0][i].nodata);
  draw_every_screen();
  EXPECT_TRUE(ops(DrawOp::Kind::Fill, Role::Member).empty());
}

TEST_F(OddCharts, PricesOfZeroAndOfABillion) {
  symbol_file("AB", "951201, 0, 0, 0, 100\n951204, 1e9, 1e9, 1e9, 100\n951205, 1e9, 0.01, 5, 100\n");
  load();
  draw_every_screen();
  EXPECT_FLOAT_EQ(0, price_bottom);
}

TEST_F(OddCharts, NoVolumeAtAll) {
  history({10, 11, 12, 13, 12, 11}, 0);
  load();
  draw_every_screen();
  EXPECT_TRUE(ops(DrawOp::Kind::Fill, Role::Close).empty());
}

TEST_F(OddCharts, AWindowTwentyCharactersWide) {
  history({10, 11, 12, 13, 12, 11, 10, 9, 10, 11});
  load();
  window(20, 60);
  draw_every_screen();
  EXPECT_GE(day_pixel_space, 4);
  window(1, 1);
  draw_every_screen();
  EXPECT_GE(day_pixel_space, 4);
}

TEST_F(OddCharts, OddSplitScreens) {
  history({10, 11, 12, 13, 12, 11, 10, 9, 10, 11});
  load();
  for (const char* letters : {"sssss", "xyz", "", "vvvvv", "smrtv", "q"}) {
    copy_text(comblist, letters);
    graphlook = 7;
    draw_chart();
    EXPECT_EQ(7, graphlook) << letters;
    EXPECT_EQ(50, price_steps) << letters;
  }
}

TEST_F(OddCharts, StepCountsOfZeroAndOne) {
  history({10, 11, 12, 13, 12, 11, 10, 9, 10, 11});
  load();
  rsi_steps = macd_steps = value_steps = 1;
  volume_steps = 1;
  price_steps = 1;
  calculate_globals();
  draw_every_screen();
  EXPECT_GT(price_pixel_incr, 0);
  rsi_steps = macd_steps = value_steps = volume_steps = 0;
  calculate_globals();
  draw_every_screen();
  EXPECT_GT(rsi_pixel_incr, 0);
  EXPECT_GT(volume_pixel_incr, 0);
}

}  // namespace

// The price and volume charts and the split screen.
#include <gtest/gtest.h>

#include <cmath>

#include "chart/chart_support.h"
#include "indicators/indicators.h"

namespace {

class PriceChart : public ChartTest {
 protected:
  int x_of(int i) const { return xlb_indent + (i + 1) * day_pixel_space; }
};

TEST_F(PriceChart, BarLookDrawsTheRangeAndTheCloseDot) {
  history({10, 11, 12});
  load();
  draw_stock();
  std::vector<const DrawOp*> bars = ops(DrawOp::Kind::Line, Role::Range);
  std::vector<const DrawOp*> dots = ops(DrawOp::Kind::Fill, Role::Member);
  ASSERT_EQ(3u, bars.size());
  ASSERT_EQ(3u, dots.size());
  EXPECT_EQ(x_of(0) - 1, bars[0]->x);
  EXPECT_EQ(x_of(0) - 3, dots[0]->x);
  EXPECT_EQ(2, dots[0]->w);
  EXPECT_LT(bars[0]->y, bars[0]->h);  // from the high down to the low
  EXPECT_EQ(dots[0]->y, worklist[0][0].ypix);
  EXPECT_EQ(x_of(2) - 3, worklist[0][2].xpix);
  EXPECT_EQ(3, disp_days);

  rec.ops.clear();
  pricetype = 4;
  draw_stock();
  EXPECT_TRUE(ops(DrawOp::Kind::Line, Role::Range).empty());
  EXPECT_EQ(3u, ops(DrawOp::Kind::Fill, Role::Member).size());
}

TEST_F(PriceChart, DotLookDrawsEachChosenPrice) {
  history({10, 11, 12});
  load();
  quotelook = 'd';
  draw_stock();
  EXPECT_EQ(3u, ops(DrawOp::Kind::Fill, Role::High).size());
  EXPECT_EQ(3u, ops(DrawOp::Kind::Fill, Role::Low).size());
  EXPECT_EQ(3u, ops(DrawOp::Kind::Fill, Role::Member).size());
  EXPECT_TRUE(ops(DrawOp::Kind::Line, Role::Range).empty());
  rec.ops.clear();
  pricetype = 0;
  worklist[0][0].ypix = -5;
  draw_stock();
  EXPECT_TRUE(ops(DrawOp::Kind::Fill, Role::Member).empty());
  EXPECT_EQ(-5, worklist[0][0].ypix);  // nothing drawn, nothing kept
}

TEST_F(PriceChart, ThePriceScaleMapsTheBottomToTheAxis) {
  history({10, 20});
  load();
  draw_stock();
  // price_bottom 9 (the lowest low, truncated) maps to ylb - bw.
  EXPECT_FLOAT_EQ(9, price_bottom);
  std::vector<std::string> left = texts_at_x(xlb_indent - 4 - 9 * 6);
  ASSERT_FALSE(left.empty());
  EXPECT_EQ("  9.0000", left[0]);
}

struct LabelCase {
  char format, axis;
  float buy;
  const char* left;
  const char* right;
};

class PriceLabels : public PriceChart, public ::testing::WithParamInterface<LabelCase> {};

TEST_P(PriceLabels, FollowFormatAndAxisLetter) {
  const LabelCase& c = GetParam();
  history({12.375f, 13});
  load();
  format = c.format;
  laxis = raxis = c.axis;
  stockbuyprice = c.buy;
  draw_stock();
  std::vector<std::string> left = texts_at_x(xlb_indent - 4 - 9 * 6);
  std::vector<std::string> right = texts_at_x(xrb_indent + 5);
  ASSERT_FALSE(left.empty());
  ASSERT_FALSE(right.empty());
  EXPECT_EQ(c.left, left[0]);
  EXPECT_EQ(c.right, right[0]);
}

INSTANTIATE_TEST_SUITE_P(FormatsAndAxes, PriceLabels,
                         ::testing::Values(LabelCase{'d', 'p', 0, " 11.0000", "11.0000 "},
                                           LabelCase{'d', '%', 10, "    10.0", "10.0    "},
                                           LabelCase{'d', '%', 0, "        ", "        "},
                                           LabelCase{'f', 'p', 0, "11      ", "11      "},
                                           LabelCase{'f', '%', 22, "   -50.0", "-50.0   "}),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(PriceChart, TheMovingAverageStartsAtItsFirstValue) {
  history({10, 11, 12, 13, 14, 15, 16});
  mvavgtype = 1;
  mvavgdays = 3;
  mvavgflag = 1;
  load();
  draw_stock();
  std::vector<const DrawOp*> lines = ops(DrawOp::Kind::Line, Role::Mvavg);
  ASSERT_EQ(3u, lines.size());  // days 3 to 6 (of 0..6) have an average
  EXPECT_EQ(x_of(3), lines[0]->x);
  EXPECT_EQ(x_of(4), lines[0]->w);
  EXPECT_GT(lines[0]->y, lines[1]->h);  // rising
  bolstd = 2;
  bollingerflag = 1;
  rec.ops.clear();
  draw_stock();
  EXPECT_EQ(6u, ops(DrawOp::Kind::Line, Role::Bol).size());  // three segments a band
}

TEST_F(PriceChart, FibonacciLevelsOfTheSecondMemberUseBothMembers) {
  history({10, 20});
  load();
  // A second member with closes 5 and 30.
  stocklist.push_back(stocklist[0]);
  worklist.push_back(worklist[0]);
  worklist[1][0].close = 5;
  worklist[1][1].close = 30;
  fibflag = 1;
  fibhigh = 0.5f;
  fiblow = 0.25f;
  draw_stock();
  std::vector<const DrawOp*> lines = ops(DrawOp::Kind::Line, Role::Graph);
  ASSERT_EQ(4u, lines.size());
  // The first member's levels lie within 10..20, the second's within 5..30.
  EXPECT_LT(lines[2]->y, lines[0]->y);  // 17.5 above 15
  EXPECT_GT(lines[3]->y, lines[1]->y);  // 11.25 below 12.5
  EXPECT_EQ(xlt_indent, lines[0]->x);
  EXPECT_EQ(xrt_indent, lines[0]->w);
}

TEST_F(PriceChart, TurnoverMarksWhereTheVolumePassesTheShares) {
  history(std::vector<float>(8, 10), 8000);
  load();
  curvol = 2000;  // 2 million shares; each day trades 800,000
  volflag = 1;
  draw_stock();
  std::vector<int> marked;
  for (const DrawOp* l : ops(DrawOp::Kind::Line, Role::Graph))
    if (l->x == l->w && l->y == ylt_indent) marked.push_back((l->x - xlb_indent) / day_pixel_space - 1);
  EXPECT_EQ((std::vector<int>{2, 5, 7}), marked);  // 2.4M, then 2.8M carried, then 2.4M
  for (int i = 0; i < work_days; ++i) EXPECT_EQ(0, worklist[0][i].turnover);  // cleared when drawn
}

TEST_F(PriceChart, TheBreakEvenLineLiesAboveTheBuyPrice) {
  history({10, 20});
  load();
  stockbuyprice = 15;
  buyvolume = 100;
  broker = 'g';  // 25 + 7.5 = 32.5 dollars: 0.325 a share
  draw_stock();
  std::vector<const DrawOp*> lines = ops(DrawOp::Kind::Line, Role::Graph);
  ASSERT_EQ(1u, lines.size());
  buyvolume = 0;
  rec.ops.clear();
  draw_stock();
  EXPECT_TRUE(ops(DrawOp::Kind::Line, Role::Graph).empty());
}

// ---- volume ----

using VolumeChart = ChartTest;

TEST_F(VolumeChart, LabelsInMillionsOnBothSides) {
  history({10, 11}, 6250000);
  load();
  raxis = 'p';
  EXPECT_FLOAT_EQ(125000, volume_incr);  // two steps a label: the second reads 25 million
  draw_volume();
  std::vector<std::string> left = texts_at_x(xlb_indent - 4 - 48);
  std::vector<std::string> right = texts_at_x(xrb_indent + 5);
  ASSERT_GE(left.size(), 2u);
  EXPECT_EQ("     0", left[0]);
  EXPECT_EQ("  25.0M", left[1]);
  EXPECT_EQ("0", right[0].substr(0, 1));
  EXPECT_EQ("25.0M", right[1]);
  EXPECT_EQ(2u, ops(DrawOp::Kind::Fill, Role::Close).size());
}

TEST_F(VolumeChart, AverageVolumeMultiplesOnAPercentAxis) {
  history(std::vector<float>(10, 10), 1000);
  load();
  laxis = '%';
  stockbuyavol = 1000;
  draw_volume();
  std::vector<std::string> marks = texts_at_x(xlb_indent - 36);
  ASSERT_GE(marks.size(), 2u);
  EXPECT_EQ("  1x", marks[0]);
  EXPECT_EQ("  2x", marks[1]);
}

// ---- the split screen ----

TEST_F(PriceChart, TheSplitScreenSharesTheStepsAndRestoresThem) {
  history(std::vector<float>(30, 10));
  load();
  copy_text(comblist, "sv");
  graphlook = 7;
  int top = ylt_indent, bottom = ylb_indent;
  debuglvl = 1;
  testing::internal::CaptureStdout();
  draw_chart();
  std::string trace = testing::internal::GetCapturedStdout();
  EXPECT_NE(std::string::npos, trace.find("draw_hashmarks(steps=37 "));
  EXPECT_NE(std::string::npos, trace.find("draw_hashmarks(steps=12 "));
  EXPECT_EQ(50, price_steps);
  EXPECT_EQ(50, volume_steps);
  EXPECT_FLOAT_EQ(org_price_incr, price_incr);
  EXPECT_EQ(top, ylt_indent);
  EXPECT_EQ(bottom, ylb_indent);
  EXPECT_EQ(7, graphlook);
  EXPECT_NE(nullptr, rec.find_text("Symbol Market Company name                 Shares Group(s)"));
}

TEST_F(PriceChart, SplitScreenPanelsSpanTheWholeRange) {
  history({10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32}, 5000);
  load();
  copy_text(comblist, "sv");
  graphlook = 7;
  draw_chart();
  // No bar is clamped into the top of its panel: the top label of each scale
  // reaches past the highest high and the largest volume.
  float top_price = 0, top_volume = 0;
  for (const DrawOp* t : rec.texts()) {
    if (t->x == xlb_indent - 4 - 54) top_price = std::max(top_price, std::stof(t->text));
    if (t->x == xlb_indent - 4 - 48 && t->text.find('K') != std::string::npos)
      top_volume = std::max(top_volume, std::stof(t->text) * 1000);
  }
  EXPECT_GE(top_price, 30.0f);
  EXPECT_GE(top_volume, 400000.0f);  // 5000 hundreds a day, in shares; labels every other step
}

}  // namespace

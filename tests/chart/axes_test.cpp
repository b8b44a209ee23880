// Geometry, axes and labels.
#include <gtest/gtest.h>

#include "chart/chart_support.h"

namespace {

using Geometry = ChartTest;

TEST_F(Geometry, DaySpacingIsAtLeastFourAndOneLessAboveTwenty) {
  main_win_width = 721;  // 600 pixels between the axes
  calculate_globals();
  ASSERT_EQ(600, xrb_indent - xlb_indent);
  num_days = 2;
  work_days = 200;
  calculate_day();
  EXPECT_EQ(4, day_pixel_space);
  work_days = 10;
  calculate_day();
  EXPECT_EQ(53, day_pixel_space);
  work_days = 0;
  calculate_day();
  EXPECT_EQ(599, day_pixel_space);
}

TEST_F(Geometry, TheTopCornerFollowsThePriceSteps) {
  num_days = 2;
  work_days = 100;
  price_steps = 50;
  calculate_indexs();
  EXPECT_EQ(13, price_pixel_incr);  // (742 - 78) / 50
  EXPECT_EQ(742 - 51 * 13, ylt_indent);
  calculate_globals();
  price_steps = 10;
  calculate_indexs();
  EXPECT_EQ(78, ylt_indent);  // would lie above the margin
  EXPECT_EQ(78, yrt_indent);
}

TEST_F(Geometry, StepCountsOfZeroAreTakenAsOne) {
  num_days = 2;
  price_steps = 50;
  rsi_steps = volume_steps = macd_steps = value_steps = 0;
  calculate_indexs();
  int h = ylb_indent - ylt_indent;
  EXPECT_EQ(h, rsi_pixel_incr);
  EXPECT_EQ(h, volume_pixel_incr);
  EXPECT_EQ(h, value_pixel_incr);
  num_days = 0;
  rsi_steps = 20;
  calculate_indexs();  // nothing loaded: increments stay
  EXPECT_EQ(h, rsi_pixel_incr);
}

using Labels = ChartTest;

TEST_F(Labels, MagnitudesCarryKMAndBWithoutASign) {
  int y;
  float v;
  struct { float value; const char* text; } cases[] = {
      {-2500, " 2.50K"}, {2500, " 2.50K"}, {999, "999.00 "}, {2e6f, " 2.00M"}, {-3e9f, " 3.00B"}};
  for (auto c : cases) {
    rec.ops.clear();
    draw_hashvalues(5, c.value, 1, 13, 1, "%5.2f", &y, &v);
    ASSERT_EQ(1u, rec.texts().size());
    EXPECT_EQ(c.text, rec.texts()[0]->text);
    EXPECT_EQ(xlb_indent - 4 - 30, rec.texts()[0]->x);
  }
}

TEST_F(Labels, OneLabelPerFontHeightAndAGridLineAtEveryStep) {
  gridstate = 1;
  int y;
  float v;
  draw_hashvalues(3, 0, 1, 5, 10, "%3.0f", &y, &v);
  std::vector<std::string> labels;
  for (const DrawOp* t : rec.texts()) labels.push_back(t->text);
  EXPECT_EQ((std::vector<std::string>{"  0 ", "  3 ", "  6 ", "  9 "}), labels);
  EXPECT_EQ(10u, ops(DrawOp::Kind::Line, Role::Grid).size());
  EXPECT_EQ(ylb_indent - 2 + 5 + 1 - 9 * 5, y);  // the last step's baseline
  EXPECT_FLOAT_EQ(9, v);
}

TEST_F(Labels, NoAxesMeanNoValueLabels) {
  laxis = raxis = 'n';
  int y;
  float v;
  draw_grid();
  draw_hashmarks(10, 5);
  draw_hashvalues(3, 0, 1, 5, 10, "%3.0f", &y, &v);
  EXPECT_TRUE(rec.texts().empty());
  ASSERT_EQ(1u, rec.ops.size());  // the date axis alone
  EXPECT_EQ(ylb_indent, rec.ops[0].y);
  raxis = 'p';
  rec.ops.clear();
  draw_hashvalues(3, 0, 1, 5, 1, "%3.0f", &y, &v);
  ASSERT_EQ(1u, rec.texts().size());
  EXPECT_EQ(xrb_indent + 5, rec.texts()[0]->x);
}

TEST_F(Labels, DailyChartsHaveOneDateRowWeeklyChartsTwo) {
  history(std::vector<float>(100, 10));  // all of them fit
  load();
  draw_datevalues(worklist[0].data());
  int row1 = ylb_indent + 8 + 13;
  std::vector<const DrawOp*> first, second;
  for (const DrawOp* t : rec.texts()) (t->y == row1 ? first : second).push_back(t);
  EXPECT_TRUE(second.empty());
  ASSERT_GT(first.size(), 5u);
  EXPECT_EQ("1/2/95", first[0]->text);  // the year on the first label
  EXPECT_EQ(xlb_indent + day_pixel_space - 9 - 12, first[0]->x);
  EXPECT_EQ(std::string::npos, first[1]->text.find("/95"));

  graph_type = 2;
  fill_work();
  calculate_globals();
  rec.ops.clear();
  draw_datevalues(worklist[0].data());
  first.clear();
  second.clear();
  for (const DrawOp* t : rec.texts()) (t->y == row1 ? first : second).push_back(t);
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(row1 + 13, second[0]->y);
  EXPECT_EQ("1/2/95", first[0]->text);
  EXPECT_EQ("1/6/95", second[0]->text);  // the week's last day
}

TEST_F(Labels, TheYearReturnsWhenItChanges) {
  symbol_file("AB", "951228, 11, 9, 10, 1\n951229, 11, 9, 10, 1\n960102, 11, 9, 10, 1\n");
  load();
  day_pixel_space = 60;
  draw_datevalues(worklist[0].data());
  std::vector<std::string> labels;
  for (const DrawOp* t : rec.texts()) labels.push_back(t->text);
  // New Year's Day is an empty weekday, and the first label of 1996.
  EXPECT_EQ((std::vector<std::string>{"12/28/95", "12/29", "1/1/96", "1/2"}), labels);
}

TEST_F(Labels, AQueryPeriodIsHighlighted) {
  history(std::vector<float>(20, 10));
  load();
  queryflag = 1;
  querysdate = 10495;
  queryedate = 10695;
  gridstate = 1;
  draw_datevalues(worklist[0].data());
  EXPECT_GE(ops(DrawOp::Kind::Fill, Role::Highlight).size(), 3u);  // a tick on each day of the period
  std::vector<const DrawOp*> lines = ops(DrawOp::Kind::Line, Role::Highlight);
  ASSERT_EQ(2u, lines.size());  // first and last day of the period
  EXPECT_EQ(xlb_indent + 3 * day_pixel_space, lines[0]->x);
  EXPECT_EQ(xlb_indent + 5 * day_pixel_space, lines[1]->x);
}

}  // namespace

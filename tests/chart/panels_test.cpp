// The indicator panels, the heading and the lists.
#include <gtest/gtest.h>

#include "chart/chart_support.h"
#include "indicators/indicators.h"

namespace {

using Panels = ChartTest;

TEST_F(Panels, RsiLabelsRunFromZeroInFives) {
  history({10, 11, 12, 11, 12, 13, 12, 14});
  mvavgtype = 1;
  mvavgdays = 3;
  load();
  draw_rsi();
  std::vector<std::string> labels = texts_at_x(xlb_indent - 4 - 18);
  ASSERT_GE(labels.size(), 5u);
  EXPECT_EQ("  0 ", labels[0]);
  for (const std::string& l : labels) EXPECT_EQ(0, std::stoi(l) % 5) << l;
  EXPECT_EQ("  0 ", labels.front());
  EXPECT_GE(std::stoi(labels.back()), 90);
}

TEST_F(Panels, AnRsiOfZeroIsAGapTheLineBridges) {
  history({10, 11, 12, 11, 12, 13, 12, 14});
  mvavgtype = 1;
  mvavgdays = 3;
  load();
  worklist[0][5].rsi = 0;
  draw_rsi();
  std::vector<const DrawOp*> lines = ops(DrawOp::Kind::Line, Role::Range);
  ASSERT_EQ(3u, lines.size());  // days 3, 4, 6 and 7 have a value; day 5 is bridged
  auto x = [](int i) { return xlb_indent + (i + 1) * day_pixel_space; };
  EXPECT_EQ(x(3) - 1, lines[0]->x);
  EXPECT_EQ(x(4) - 1, lines[1]->x);
  EXPECT_EQ(x(6) - 1, lines[1]->w);
  EXPECT_EQ(8, disp_days);
}

TEST_F(Panels, MacdLabelsRunFromHighThroughZeroToHigh) {
  history(std::vector<float>(20, 10));
  load();
  macd_high = 0.5f;
  gridstate = 0;
  calculate_globals();
  rec.ops.clear();
  draw_macd();
  std::vector<std::string> labels = texts_at_x(xlb_indent - 4 - 30);
  EXPECT_EQ((std::vector<std::string>{" 0.50 ", " 0.40 ", " 0.30 ", " 0.20 ", " 0.10 ", " 0.00 ", " 0.10 ",
                                      " 0.20 ", " 0.30 ", " 0.40 ", " 0.50 "}),
            labels);
}

// Labels are base + k x step: a running float sum drifts off zero in the
// middle of a scale that runs from -high to +high.
TEST_F(Panels, TheMovementScaleIsSymmetricAboutAnExactZero) {
  history(std::vector<float>(20, 10));
  load();
  gridstate = 0;
  for (float high : {1394996.25f, 0.37f, 5.55e9f}) {
    value_high = high;
    rec.ops.clear();
    draw_avalue();
    std::vector<std::string> labels = texts_at_x(xlb_indent - 4 - 48);
    ASSERT_EQ(41u, labels.size());
    EXPECT_EQ("   0.00 ", labels[20]) << high;
    for (std::size_t k = 0; k < labels.size(); ++k) EXPECT_EQ(labels[k], labels[40 - k]) << high << " " << k;
  }
}

TEST_F(Panels, StochasticsNeedTheirDays) {
  history(std::vector<float>(20, 10));
  load();
  stochdays = 0;
  draw_stoch();
  EXPECT_TRUE(rec.ops.empty());
  EXPECT_STREQ("draw_stoch: stoch days is zero.  Set via indicators menu", last_status);
  stochdays = 3;
  history({10, 12, 11, 13, 12, 14, 13});
  load();
  draw_stoch();
  EXPECT_FALSE(ops(DrawOp::Kind::Line, Role::Range).empty());
  EXPECT_FALSE(ops(DrawOp::Kind::Line, Role::Bol).empty());
}

TEST_F(Panels, ValuePanelsSkipDaysWithoutAValue) {
  history({10, 11, 0, 12, 13}, 100);
  load();
  draw_avalue();
  EXPECT_EQ(3u, ops(DrawOp::Kind::Line, Role::Range).size());  // four days with a value, one bridge
  rec.ops.clear();
  draw_gvalue();
  EXPECT_EQ(3u, ops(DrawOp::Kind::Line, Role::Range).size());
}

// ---- heading ----

class Heading : public ChartTest {
 protected:
  void SetUp() override {
    ChartTest::SetUp();
    tables("1:Tech:TECH:\n2:Drugs:DRUG:\n3:Oil:OIL:\n",
           "AB:Alpha Beta Corporation of America:S:N:TECH,DRUG,OIL:950101-12500:\n"
           "CD:Charlie:S:Q::950101-7:\n"
           "EF:Fund:M:O:OIL:950101-0:\n");
  }
  std::string line_of(const char* sym) {
    rec.ops.clear();
    draw_comp(&find_co(sym));
    return rec.texts().size() == 2 ? rec.texts()[1]->text : "";
  }
};

TEST_F(Heading, TheCompanyLineShowsMarketSharesAndTwoGroups) {
  EXPECT_EQ("    AB NYSE   Alpha Beta Corporation of    12500K   1   2  ", line_of("AB"));
  EXPECT_EQ("    CD  ???   Charlie                          7K          ", line_of("CD"));
  EXPECT_EQ("    EF FUND   Fund                             0K   3      ", line_of("EF"));
  EXPECT_EQ("    ZZ  ???                                    0K          ", line_of("ZZ"));
  EXPECT_EQ((602 - 420) / 2, rec.texts()[0]->x);
  EXPECT_EQ(ylt_indent - 26, rec.texts()[0]->y);
}

TEST_F(Heading, NoHeadingWhileTrackingOrOnTheSplitScreen) {
  trackstate = 1;
  draw_comp(&find_co("AB"));
  trackstate = 0;
  graphlook = 7;
  draw_comp(&find_co("AB"));
  EXPECT_TRUE(rec.ops.empty());
  graphlook = 1;
  draw_comp(nullptr);
  ASSERT_EQ(1u, rec.ops.size());
  EXPECT_EQ(Role::GC0, rec.ops[0].role);
}

TEST_F(Heading, AGroupChartNamesItsMembers) {
  graphlook = 4;
  copy_text(groupname, "OIL");
  draw_comp(nullptr);
  ASSERT_EQ(2u, rec.texts().size());
  EXPECT_EQ("AB EF ", rec.texts()[0]->text);
  EXPECT_EQ("Oil", rec.texts()[1]->text);
  rec.ops.clear();
  copy_text(groupname, "NOSUCH");
  draw_comp(nullptr);
  EXPECT_TRUE(rec.ops.empty());
}

// ---- lists ----

class Lists : public ChartTest {
 protected:
  void SetUp() override {
    ChartTest::SetUp();
    std::string g, c;
    for (int i = 1; i <= 9; ++i)
      g += std::to_string(i) + ":Group name number " + std::to_string(i) + (i == 9 ? "x" : "") + ":G" +
           std::to_string(i) + ":\n";
    for (int i = 0; i < 7; ++i) c += std::string(1, static_cast<char>('A' + i)) + "A:Company " + std::to_string(i) + ":S:N::950101-1:\n";
    tables(g, c);
  }
};

TEST_F(Lists, GroupCellsOf43GiveTwoColumnsWithAGapOfFour) {
  draw_grps(1, 0, 0);  // longest name 20 characters: cell 43
  auto rows = rec.texts();
  ASSERT_EQ(5u, rows.size());
  EXPECT_EQ(4 * 13, rows[0]->y);
  EXPECT_EQ(101u, rows[0]->text.size());
  EXPECT_EQ("        1 G1 Group name number 1", rows[0]->text.substr(0, 32));
  EXPECT_EQ("    2 G2", rows[0]->text.substr(51, 8));
  EXPECT_EQ("    9 G9", rows[4]->text.substr(4, 8));
}

TEST_F(Lists, CompanyCellsOf46GiveAGapOfTwo) {
  draw_companys(1, 0, 0);
  auto rows = rec.texts();
  ASSERT_EQ(4u, rows.size());
  EXPECT_EQ("     AA Company 0", rows[0]->text.substr(0, 17));
  EXPECT_EQ("   BA Company 1", rows[0]->text.substr(50, 15));
}

TEST_F(Lists, AClickFindsTheEntryUnderIt) {
  EXPECT_STREQ("BA", draw_companys(2, 52, 4));
  EXPECT_STREQ("AA", draw_companys(2, 2, 4));
  EXPECT_STREQ("CA", draw_companys(2, 10, 5));
  EXPECT_STREQ("", draw_companys(2, 30, 4));   // between the entries
  EXPECT_STREQ("", draw_companys(2, 0, 4));    // in the gap before the first
  EXPECT_STREQ("", draw_companys(2, 10, 9));   // below the last row
  EXPECT_STREQ("3", draw_grps(2, 10, 5));
}

TEST_F(Lists, ScrolledRowsAreNeitherDrawnNorHit) {
  arrow_index = 2;
  draw_companys(1, 0, 0);
  auto rows = rec.texts();
  ASSERT_EQ(3u, rows.size());  // the first row is hidden
  EXPECT_EQ("   CA", rows[0]->text.substr(2, 5));
  EXPECT_STREQ("", draw_companys(2, 2, 4));
}

}  // namespace

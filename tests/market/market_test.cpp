// Group charts, the advance/decline line and the market summary, against
// small markets written here and a generated one read independently.
#include "support/fixtures.h"

namespace {

std::string quote(const char* sym, double close, int volume = 100) {
  char line[96];
  std::snprintf(line, sizeof line, "%s,%g, %g, %g, %d\n", sym, close + 1, close - 1, close, volume);
  return line;
}

class Groups : public MarketTest {
 protected:
  void SetUp() override {
    MarketTest::SetUp();
    tables("7:Tech:TECH:\n9:Pair:PAIR:\n12:Oil:OIL:\n",  // a company listed twice is one member
           "AB:Alpha:S:N:TECH,PAIR:950101-1:\nCD:Charlie:S:N:TECH,OIL:950101-1:\nEF:Echo:S:N:TECH:950101-1:\n"
           "GH:Golf:S:N:PAIR:950101-1:\nAB:Alpha again:S:N:TECH:950101-1:\n");
  }
  int load_group(const char* name, char mode) {
    copy_text(groupname, name);
    groupmode = mode;
    return loadgroup();
  }
  // Monday 4 to Friday 8 Dec 1995 (0: no line): AB and GH every day, CD
  // not on Tuesday, EF from Wednesday on; in the day files, and with
  // own_files in per-symbol files too.
  void write_days(bool own_files) {
    const struct { const char* sym; float close[5]; int volume; } members[] = {
        {"AB", {10, 11, 12, 12, 13}, 100}, {"CD", {20, 0, 22, 24, 24}, 10}, {"EF", {0, 0, 30, 33, 30}, 1},
        {"GH", {5, 6, 7, 8, 9}, 1000}};
    std::string files[5];
    for (const auto& m : members) {
      for (int k = 0; k < 5; ++k) files[k] += m.close[k] ? quote(m.sym, m.close[k], m.volume) : "";
      if (own_files) symbol_file(m.sym, history_lines(1995, 12, 4, {m.close, m.close + 5}, m.volume, 1));
    }
    for (int k = 0; k < 5; ++k) day_file("s95120" + std::to_string(4 + k), files[k]);
  }
  // High, low, close, volume and members of each loaded day.
  std::vector<std::array<double, 5>> index() const {
    std::vector<std::array<double, 5>> out;
    for (const StockDay& d : loaded()) out.push_back({d.high, d.low, d.close, double(d.volume), double(d.nodata)});
    return out;
  }
};

// Together, each day's close is the day before's times the ratio of the
// sums of the members that traded on both days: CD's missing Tuesday and
// EF's first day do not move it; high and low stand to it as the day's
// members' sums do. Where every member trades every day (PAIR) it is the
// plain sum; a weekday without a member is empty (OIL). Both loaders agree.
// Apart, CD's missing day leaves the others theirs, on one scale.
TEST_F(Groups, TheIndexIsChainedOverTheMembersThatTradedOnBothDays) {
  const std::vector<std::array<double, 5>> tech = {
      {32, 28, 30, 110, 2}, {36, 30, 33, 100, 1}, {36 * 67 / 64., 36 * 61 / 64., 36, 111, 3},
      {36 * 72 / 64., 36 * 66 / 64., 36 * 69 / 64., 111, 3}, {36 * 70 / 64., 36, 36 * 67 / 64., 111, 3}};
  const std::vector<std::array<double, 5>> pair = {
      {17, 13, 15, 1100, 2}, {19, 15, 17, 1100, 2}, {21, 17, 19, 1100, 2}, {22, 18, 20, 1100, 2}, {24, 20, 22, 1100, 2}},
      oil = {{21, 19, 20, 10, 1}, {0, 0, 0, 0, 1}, {23, 21, 22, 10, 1}, {25, 23, 24, 10, 1}, {25, 23, 24, 10, 1}};
  write_days(false);
  ASSERT_EQ(0, load_group("TECH", 's'));
  ASSERT_EQ(3u, stocklist.size());
  EXPECT_EQ((std::array<float, 3>{11, 0, 0}), (std::array{stocklist[0].days[2].close, stocklist[1].days[2].close,
                                                          stocklist[2].days[2].close}));
  calc_price();  // one scale for every member: AB's 9 to EF's 34
  EXPECT_TRUE(price_bottom <= 9 && price_bottom + price_steps * price_incr >= 34) << price_bottom;
  for (bool own_files : {false, true}) {
    write_days(own_files);
    ASSERT_EQ(0, load_group("tech", 't'));  // upper-cased, found by code
    EXPECT_EQ((std::tuple{std::string("TECH"), tech}), (std::tuple{std::string(groupname), index()})) << own_files;
    ASSERT_EQ(0, load_group("PAIR", 't'));
    EXPECT_EQ(pair, index()) << own_files;
    // From the lowest low to the highest high and a point: 12 / 50 steps of a sixteenth or more.
    EXPECT_EQ((std::array{13.f, 0.25f}), (std::array{price_bottom, price_incr})) << own_files;
    ASSERT_EQ(0, load_group("12", 't'));  // a number needs no code
    EXPECT_EQ(oil, index()) << own_files;
  }
  EXPECT_NE(0, load_group("NOSUCH", 't'));  // a failed load keeps the name, for the field to show
  EXPECT_EQ((std::tuple{std::string("load_group: unknown group NOSUCH"), 0, std::string("NOSUCH")}),
            (std::tuple{std::string(last_status), load, std::string(groupname)}));
}

// Apart, the range every member's file covers; together, every day one of
// them traded, a member's first and last day moving nothing.
TEST_F(Groups, PerSymbolFilesGiveTheRangeEveryMemberCoversApartAndEachDayTogether) {
  for (auto [sym, from, to, close] : {std::tuple{"AB", 1990, 1995, 1.0}, {"CD", 1992, 1995, 2}, {"EF", 1991, 1994, 3}}) {
    std::string lines;
    for (int m = from * 12; m < to * 12 + 12; ++m)  // the 15th of every month, counted from year 0
      lines += std::to_string(m / 12 % 100 * 10000 + m % 12 * 100 + 115) + ", 2, 1, " + std::to_string(close) + ", 10\n";
    symbol_file(sym, lines);
  }
  for (auto [mode, first, last] : {std::tuple{'s', 920115, 941215}, {'t', 900115, 951215}}) {
    ASSERT_EQ(0, load_group("TECH", mode));
    std::vector<StockDay> d = loaded();
    EXPECT_EQ((std::array{first, last, 3}), (std::array{yymmdd_of(d.front()), yymmdd_of(d.back()), grpcnt})) << mode;
    EXPECT_EQ(0, std::count_if(d.begin(), d.end(), [](const StockDay& s) { return s.close != 0 && s.close != 1; }));
  }
  for (const char* sym : {"AB", "CD", "EF"}) symbol_file(sym, "950113, 300002, 300001, 300001, 10\n950116, 300003, 300001.5, 300002, 10\n");
  EXPECT_EQ(300001.0f, (load_group("TECH", 's'), price_bottom));  // the lowest low, above 100,000 too
}

// The day files are read once a day for all members; the history must be
// what reading each member's line file by file gives.
TEST_F(Groups, OnePassEqualsReadingEachMemberOfAGeneratedMarket) {
  TempDir db;
  ASSERT_EQ(0, run_program(KADMER_GEN, {"--out", db.file("m"), "--stocks", "80", "--days", "40", "--end", "951229"}).status);
  use_database(db.file("m"));
  const std::vector<std::string> files = stock_day_files(db.file("m/days"));  // in date order
  auto close_in = [&](const std::string& file, const char* sym) {  // the member's close that day, or 0
    for (const std::string& line : split_lines(read_file(file)))
      if (line.rfind(std::string(sym) + ",", 0) == 0) return std::stod(line.substr(line.rfind(',', line.rfind(',') - 1) + 1));
    return 0.0;
  };
  for (int g = 1; g <= 6; ++g) {
    std::string name = std::to_string(g);
    copy_text(symboldir, "symbols");  // none there: the day files
    ASSERT_EQ(0, load_group(name.c_str(), 's'));
    std::vector<HistoryMember> apart = stocklist;
    ASSERT_EQ(files.size() + 1, apart[0].days.size());
    for (std::size_t k = 0; k < files.size(); ++k)
      for (const HistoryMember& m : apart)
        EXPECT_DOUBLE_EQ(close_in(files[k], m.symbol), m.days[k + 1].close) << m.symbol << " " << files[k];
  }
}

// ---- advance/decline ----

class AdLine : public MarketTest {
 protected:
  void SetUp() override {
    MarketTest::SetUp();
    tables("1:Tech:TECH:\n7:Oil:OIL:\n", "AB:A:S:N:TECH:950101-1:\nCD:C:S:N:TECH,OIL:950101-1:\nEF:E:S:N:OIL:950101-1:\n");
  }
  int range(int from, int to, const char* depth) {
    KD_csy = from / 10000, KD_csm = from / 100 % 100, KD_csd = from % 100;
    KD_cey = to / 10000, KD_cem = to / 100 % 100, KD_ced = to % 100;
    copy_text(adln_depth, depth);
    return loadad();
  }
  // Advances, declines, unchanged and nodata of each record.
  std::vector<std::vector<int>> counts() {
    std::vector<std::vector<int>> out;
    for (const StockDay& d : loaded()) out.push_back({int(d.high), int(d.low), int(d.volume), d.nodata});
    return out;
  }
};

TEST_F(AdLine, CountsAgainstThePreviousCloseDayByDay) {
  day_file("s951201", quote("AB", 10) + quote("CD", 20) + quote("EF", 30));  // Friday
  day_file("s951204", quote("AB", 11) + quote("CD", 19) + quote("EF", 30) + quote("AB", 1));  // Monday, AB twice
  day_file("s951205", quote("AB", 12) + quote("EF", 31));                    // Tuesday: CD missing
  day_file("s951207", quote("AB", 11) + quote("CD", 21) + quote("EF", 31));  // Thursday
  ASSERT_EQ(0, range(951130, 951208, "S"));  // shown from the first loaded day to the last
  EXPECT_EQ((std::array{3, 951201, 951207}), (std::array{load, KD_sy * 10000 + KD_sm * 100 + KD_sd, KD_ey * 10000 + KD_em * 100 + KD_ed}));
  EXPECT_EQ((std::vector<std::vector<int>>{{0, 0, 0, 0}, {1, 1, 1, 0}, {2, 0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1, 0}}),
            counts());  // nothing seen before Friday; no Wednesday file; CD against Monday's close
  ASSERT_EQ(0, range(951201, 951207, "g"));  // every group one unit
  EXPECT_STREQ("G", adln_depth);
  EXPECT_EQ((std::vector<int>{0, 1, 1, 0}), counts()[1]);  // TECH even (AB up, CD down), OIL down
  ASSERT_EQ(0, range(951201, 951207, "7"));  // CD counts in both its groups
  EXPECT_EQ((std::vector<int>{0, 1, 1, 0}), counts()[1]);
  graph_type = 2, adln_max = 0;  // a week sums its days' counts: Monday, Tuesday and Thursday
  ASSERT_EQ(0, range(951201, 951207, "S"));
  ASSERT_EQ(2, work_days);
  const WorkDay& week = worklist[0][1];
  EXPECT_EQ((std::array{4.0f, 2.0f, 2.0f, 2.0f}), (std::array{week.high, week.low, week.close, float(week.volume)}));
  RecordingWindow screen(100, 60);
  copy_text(adln_disp, "a");
  draw_adln();
  EXPECT_TRUE(screen.rec.find_text("   4.00 ")) << "the scale reaches the week's 4 advances";
  graph_type = 1;
  day_file("s991231", quote("AB", 10) + quote("CD", 20));  // over the turn of the century: 00 is a year
  day_file("s000103", quote("AB", 11) + quote("CD", 20));
  ASSERT_EQ(0, range(991231, 103, "S")) << last_status;
  EXPECT_EQ((std::vector<std::vector<int>>{{0, 0, 0, 0}, {1, 0, 1, 0}}), counts());
  ASSERT_EQ(0, range(103, 103, "S")) << last_status;
  EXPECT_EQ(1u, counts().size());
  struct { int from, to; const char* depth, *why; } failed[] = {
      {0, 951207, "S", "loadad: the line needs a range of days"},
      {951201, 951207, "xyz", "loadad: unknown group XYZ"}, {951201, 951207, "999", "loadad: unknown group 999"},
      {951207, 951201, "S", "loadad: the start date lies after the end date"},
      {951211, 951215, "S", "loadad: no day files from 12/11/95 to 12/15/95"}};
  for (auto f : failed)  // braces: the load runs before the message and the state are read
    EXPECT_EQ((std::tuple{1, std::string(f.why), 0}), (std::tuple{range(f.from, f.to, f.depth), std::string(last_status), load}));
}

TEST_F(AdLine, TheScaleRunsFromMinusToPlusTheLargestCount) {
  day_file("s951201", quote("AB", 10));
  day_file("s951204", quote("AB", 11));
  ASSERT_EQ(0, range(951201, 951204, "S"));
  RecordingWindow screen(100, 60);
  adln_max = 1500;
  copy_text(adln_disp, "a");
  calculate_globals();
  draw_adln();
  std::vector<std::string> labels;
  for (const DrawOp* t : screen.rec.texts())
    if (t->x < xlb_indent && t->y > ylt_indent) labels.push_back(t->text);
  ASSERT_GE(labels.size(), 20u);
  EXPECT_EQ((std::array<std::string, 2>{"  -1.50K", "   1.50K"}), (std::array{labels.front(), labels.back()}));
  EXPECT_NE(labels.end(), std::find(labels.begin(), labels.end(), "  38.46 "));
  // The cumulative line, named in the legend: its sum outgrows the daily
  // counts and the scale follows it only while it is shown.
  for (int d = 0; d < 3; ++d) day_file("s95120" + std::to_string(5 + d), quote("AB", 11 + d) + quote("CD", 9 + d));
  ASSERT_EQ(0, range(951201, 951207, "S"));
  adln_max = 0;
  for (const char* lines : {"a", "ac"}) {
    copy_text(adln_disp, lines);
    screen.rec.ops.clear();
    draw_adln();
    bool cumulative = lines[1] == 'c';
    std::vector<const DrawOp*> sum = ops_of(screen.rec, DrawOp::Kind::Line, Role::Bol);
    // The legend's line, and two segments over the days with a move: Monday 1, Wednesday 2, Thursday 2
    EXPECT_EQ((std::array<std::size_t, 2>{cumulative ? 3u : 0u, cumulative ? 1u : 0u}),
              (std::array{sum.size(), std::size_t(screen.rec.find_text("Cumulative:") != nullptr)}));
    EXPECT_NE(nullptr, screen.rec.find_text(cumulative ? "   5.00 " : "   2.00 ")) << lines;  // 1 + 2 + 2 at the top
    EXPECT_TRUE(!cumulative || sum.back()->h < sum[1]->y);  // rising
  }
}

// ---- market summary ----

class Summary : public MarketTest {
 protected:
  void SetUp() override {
    MarketTest::SetUp();
    day_file("i950601", "1NADV,1,1,800,0\n# a comment\n1NTCK,1,1,-200,0\n2DJ30,1,1,4500.25,0\n2NYA,1,1,0,0\n"
                        "1NUVL,1,1,1133.97,0\n");
    day_file("i950602", "1NADV,1,1,1000,0\n1NTCK,1,1,300,0\n2DJ30,1,1,4545.25,0\n2NYA,1,1,250\n2NEW,1,1,5,0\n"
                        "1NUVL,1,1,1152.94,0\n");
    marketsday = 60195, marketeday = 60295, marketdisp = 'N';
  }
  std::map<std::string, CellText> cells() {
    std::map<std::string, CellText> out;
    for (const LayoutCell& c : layout_of('n').cells) out[c.code] = cell_text(c);
    return out;
  }
};

TEST_F(Summary, TheFiguresOfTwoIndexFiles) {
  fill_market();
  ASSERT_EQ(5, marketnum);  // a code only in the end file is not kept
  auto c = cells();
  // NUVL a blank between; no change of the tick, nor of NYA's start of 0; NYA's
  // line of three numbers left out; NDCL not loaded: label and code only.
  EXPECT_EQ((std::array<std::string, 10>{"1133.97M", "1152.940M", "  800", " 1000", " 25.0", "4545.25", "", "", "", ""}),
            (std::array{c["NUVL"].start, c["NUVL"].end, c["NADV"].start, c["NADV"].end, c["NADV"].change, c["DJ30"].end,
                        c["NTCK"].change, c["NYA"].change, c["NYA"].end, c["NDCL"].start}));
  std::filesystem::remove(work.file("days/i950602"));
  fill_market();
  EXPECT_STREQ("fill_work: end day is not valid", last_status);
  EXPECT_EQ("", cells()["NADV"].end);  // no end file: blank, not 0 and -100
  marketsday = 60395;
  fill_market();
  EXPECT_STREQ("fill_market: start day before end day", last_status);
}

TEST_F(Summary, TheLayoutIsCentredInTheWindow) {
  fill_market();
  RecordingWindow screen(100, 60);
  draw_market();
  const DrawOp* heading = screen.rec.find_text("New York Stock Market");
  ASSERT_NE(nullptr, heading);
  EXPECT_EQ((15 + 1) * 6, heading->x);  // (100 - 70) / 2 columns in, then its own column 1
  EXPECT_EQ((5 + HEADING_LINES) * 13, heading->y);  // below the message and title lines
  graphlook = View::Market;
  EXPECT_EQ("New York Stock Market summary: " + mmddyy_text(marketsday) + " to " + mmddyy_text(marketeday) +
                ", a click on a code charts it", title_text());
  const DrawOp *from = screen.rec.find_text("06/01/95"), *to = screen.rec.find_text("06/02/95      %");
  ASSERT_TRUE(from && to);  // the two dates over their columns, on one line
  EXPECT_EQ((std::array{(15 + 30) * 6, (15 + 39) * 6, to->y}), (std::array{from->x, to->x, from->y}));
  EXPECT_EQ((std::array<std::size_t, 3>{18, 22, 31}),
            (std::array{layout_of('N').cells.size(), layout_of('o').cells.size(), layout_of('A').cells.size()}));
}

}  // namespace

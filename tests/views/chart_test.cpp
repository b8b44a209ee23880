// The chart screens drawn into the recorder: the dispatcher and the opening
// message, geometry, axes and labels, the price and volume charts, the split
// screen, the indicator panels, the heading and lists, and odd data and
// windows (under the sanitizers: no division by zero, no write past an
// array).

#include "support/fixtures.h"

namespace {

using Charts = ChartTest;

// ---- events and the dispatcher ----

TEST_F(Charts, TheDispatcherDrawsTheOpeningMessageOnceAndEventsReachTheirHandlers) {
  draw_chart();
  ASSERT_TRUE(!rec.ops.empty() && rec.ops[0].kind == DrawOp::Kind::Fill && rec.ops[0].role == Role::GC0);  // cleared first
  EXPECT_EQ(std::string(firstmsg[0]), rec.texts().at(0)->text);
  for (int look : {0, -3, 11, 18, 1000}) {  // 0: the message, once; no such screen: the window cleared
    rec.ops.clear();
    graphlook = View(look);
    draw_chart();
    EXPECT_TRUE(rec.ops.size() == 1 && rec.ops[0].kind == DrawOp::Kind::Fill) << look;
  }
}

// ---- geometry, axes and labels ----

TEST_F(Charts, DaySpacingIsAtLeastFourAndOneLessAboveTwentyAndTheTopCornerFollowsThePriceSteps) {
  main_win_width = 721;  // 600 pixels between the axes
  calculate_globals();
  ASSERT_EQ(600, xrb_indent - xlb_indent);
  num_days = 2;
  // 600 / (days + 1): exactly 20 stays 20, 21 becomes 20.
  struct { int days, space; } cases[] = {{200, 4}, {150, 4}, {149, 4}, {29, 20}, {28, 20}, {27, 20}, {26, 21},
                                        {10, 53}, {0, 599}};
  for (auto c : cases) {
    work_days = c.days;
    calculate_day();
    EXPECT_EQ(c.space, day_pixel_space) << c.days;
  }
  // The top corner follows the price steps (step counts of 0: the odd data test).
  work_days = 100, price_steps = 50;
  calculate_indexs();
  // 12: (742 - 104) / 50, below the margin of six lines, the message line and the title line
  EXPECT_EQ((std::array{12, 742 - 51 * 12}), (std::array{price_pixel_incr, ylt_indent}));
  calculate_globals();
  price_steps = 10;
  calculate_indexs();
  EXPECT_EQ((std::array{104, 104}), (std::array{ylt_indent, yrt_indent}));  // would lie above the margin
}

TEST_F(Charts, ValueAndPriceLabelsFollowMagnitudeFormatAndAxisLetter) {
  int y;
  float v;
  // With their signs; steps too small for the format's decimals get more,
  // as many as the column holds.
  struct { float value, step; int width; const char* text; } cases[] = {
      {-2500, 100, 6, "-2.50K"}, {2500, 100, 6, " 2.50K"}, {999, 1, 6, "999.00 "}, {2e6f, 1e5f, 6, " 2.00M"},
      {-3e9f, 1e8f, 6, "-3.00B"}, {1e6f, 100, 7, "1.0000M"}, {1e6f, 100, 6, "1.000M"}, {-1e-9f, 0.5f, 5, " 0.00 "},
      {-187.18f, 37.44f, 5, " -187 "}, {187.18f, 37.44f, 5, "187.2 "}, {1000, 100, 6, " 1.00K"}};
  for (auto c : cases) {
    rec.ops.clear();
    draw_hashvalues(c.width, c.value, c.step, 13, 1, "%5.2f", &y, &v);
    EXPECT_EQ(std::vector<std::string>{c.text}, texts(xlb_indent - 4 - c.width * 6));
  }
  rec.ops.clear();
  gridstate = 1;
  draw_hashvalues(3, 0, 1, 5, 10, "%3.0f", &y, &v);
  EXPECT_EQ((std::vector<std::string>{"  0 ", "  3 ", "  6 ", "  9 "}), texts());
  EXPECT_EQ(10u, ops(DrawOp::Kind::Line, Role::Grid).size());  // a grid line at every step
  EXPECT_EQ((std::array{ylb_indent - 2 + 5 + 1 - 9 * 5, 9}), (std::array{y, int(v)}));  // the last step's baseline

  rec.ops.clear();
  laxis = raxis = 'n';  // no axes, no value labels
  draw_grid();
  draw_hashmarks(10, 5);
  draw_hashvalues(3, 0, 1, 5, 10, "%3.0f", &y, &v);
  EXPECT_TRUE(rec.texts().empty() && ops(DrawOp::Kind::Fill, Role::Graph).size() == 1u);  // the date axis alone
  raxis = 'p';
  rec.ops.clear();
  draw_hashvalues(3, 0, 1, 5, 1, "%3.0f", &y, &v);
  ASSERT_EQ(1u, rec.texts().size());  // on the right alone
  EXPECT_EQ(xrb_indent + 5, rec.texts()[0]->x);
  history({12.375f, 13});  // from 11, the lowest low truncated
  struct { char format, axis; float buy; const char* left; const char* right; } prices[] = {
      {'d', 'p', 0, " 11.0000", "11.0000 "}, {'d', '%', 10, "    10.0", "10.0    "}, {'d', '%', 0, "        ", "        "},
      {'f', 'p', 0, "11      ", "11      "}, {'f', '%', 22, "   -50.0", "-50.0   "}};
  for (auto c : prices) {
    format = c.format, laxis = raxis = c.axis, stockbuyprice = c.buy;
    draw(7);
    EXPECT_EQ((std::array<std::string, 2>{c.left, c.right}),
              (std::array{texts(xlb_indent - 4 - 9 * 6).at(0), texts(xrb_indent + 5).at(0)})) << c.format << c.axis;
  }
  history({12375, 13000});  // a price of five digits gives up a decimal to keep to its column
  format = 'd', laxis = raxis = 'p';
  draw(7);
  EXPECT_EQ("12374.000", texts(xlb_indent - 4 - 9 * 6).at(0));
}

// Dates below the chart: one row for daily charts, two for weekly ones; the
// year returns when it changes; a query period is highlighted.
TEST_F(Charts, DateLabels) {
  history(std::vector<float>(100, 10));  // all of them fit
  int row1 = ylb_indent + 8 + 13;
  for (int type : {1, 2}) {
    graph_type = type;
    fill_work();
    calculate_globals();
    rec.ops.clear();
    draw_datevalues(worklist[0].data());
    std::vector<const DrawOp*> first, second;
    for (const DrawOp* t : rec.texts()) (t->y == row1 ? first : second).push_back(t);
    ASSERT_GT(first.size(), 5u);
    // The year on the first label only; a week's second row shows its last day.
    EXPECT_EQ((std::tuple{std::string("1/2/95"), std::string::npos, xlb_indent + day_pixel_space - 9 - 12}),
              (std::tuple{first[0]->text, first[1]->text.find("/95"), first[0]->x}));
    EXPECT_EQ(type == 1 ? 0u : first.size(), second.size());
    if (type == 2) { EXPECT_EQ((std::tuple{row1 + 13, std::string("1/6/95")}), (std::tuple{second[0]->y, second[0]->text})); }
  }
  graph_type = 1;
  load_lines("951228, 11, 9, 10, 1\n951229, 11, 9, 10, 1\n960102, 11, 9, 10, 1\n");
  day_pixel_space = 60;
  draw_datevalues(worklist[0].data());
  // New Year's Day is an empty weekday, and the first label of 1996.
  EXPECT_EQ((std::vector<std::string>{"12/28/95", "12/29", "1/1/96", "1/2"}), texts());

  history(std::vector<float>(20, 10));
  queryflag = 1, querysdate = 10495, queryedate = 10695, gridstate = 1;
  draw_datevalues(worklist[0].data());
  EXPECT_EQ(3u, ops(DrawOp::Kind::Fill, Role::Highlight).size() - ops(DrawOp::Kind::Text, Role::Highlight).size());
  std::vector<const DrawOp*> lines = ops(DrawOp::Kind::Line, Role::Highlight);
  ASSERT_EQ(2u, lines.size());  // first and last day of the period
  EXPECT_EQ((std::array{x_of(2), x_of(4)}), (std::array{lines[0]->x, lines[1]->x}));
}

// ---- the price and volume charts ----

// Bar look: types 3 and 7 draw high to low, 5 high to close, 6 close to low;
// 1, 2 and the others a dot at the high, the low or the close.
TEST_F(Charts, EachPriceTypeDrawsItsBarOrDotInEitherLook) {
  history({10, 11, 12});
  draw(3);  // how many bars and dots each type draws: the table's rows
  const DrawOp* bar = ops(DrawOp::Kind::Line, Role::Range).at(0);
  EXPECT_EQ(x_of(0) - 1, bar->x);
  std::map<char, int> y{{'h', bar->y}, {'l', bar->h}};
  draw(4);
  y['c'] = ops(DrawOp::Kind::Fill, Role::Member).at(0)->y;
  EXPECT_TRUE(y['h'] < y['c'] && y['c'] < y['l']);
  struct { int type; const char* line; char dot, ypix; } cases[] = {
      {0, "", 'c', 'c'}, {1, "", 'h', 'h'}, {2, "", 'l', 'l'}, {3, "hl", 0, 'h'},
      {4, "", 'c', 'c'}, {5, "hc", 0, 'h'}, {6, "cl", 0, 'c'}, {7, "hl", 'c', 'c'}};
  for (auto c : cases) {
    draw(c.type);
    SCOPED_TRACE(c.type);
    std::vector<const DrawOp*> lines = ops(DrawOp::Kind::Line, Role::Range), dots = ops(DrawOp::Kind::Fill, Role::Member);
    ASSERT_EQ((std::array<std::size_t, 2>{c.line[0] ? 3u : 0u, c.dot ? 3u : 0u}), (std::array{lines.size(), dots.size()}));
    if (c.line[0]) { EXPECT_EQ((std::array{y[c.line[0]], y[c.line[1]]}), (std::array{lines[0]->y, lines[0]->h})); }
    if (c.dot) { EXPECT_EQ((std::array{y[c.dot], x_of(0) - 3}), (std::array{dots[0]->y, dots[0]->x})); }
    EXPECT_EQ((std::array{y[c.ypix], x_of(2) - 3}), (std::array{worklist[0][0].ypix, worklist[0][2].xpix}));
  }
  quotelook = 'd';  // the dot look: a dot for each chosen price
  draw(7);
  for (Role r : {Role::High, Role::Low, Role::Member}) EXPECT_EQ(3u, ops(DrawOp::Kind::Fill, r).size());
  EXPECT_TRUE(ops(DrawOp::Kind::Line, Role::Range).empty());
  worklist[0][0].ypix = -5;
  draw(0);
  EXPECT_TRUE(ops(DrawOp::Kind::Fill, Role::Member).empty() && worklist[0][0].ypix == -5);  // nothing drawn, nothing kept
}

TEST_F(Charts, TheAverageBandsFibonacciTurnoverAndBreakEvenLinesOverThePrices) {
  mvavgtype = mvavgflag = 1, mvavgdays = 3;
  history({10, 11, 12, 13, 14, 15, 16});
  draw(7);
  std::vector<const DrawOp*> lines = ops(DrawOp::Kind::Line, Role::Mvavg);
  ASSERT_EQ(3u, lines.size());  // days 3 to 6 (of 0..6) have an average
  EXPECT_EQ((std::array{x_of(3), x_of(4)}), (std::array{lines[0]->x, lines[0]->w}));
  EXPECT_GT(lines[0]->y, lines[1]->h);  // rising
  bolstd = 2, bollingerflag = 1;
  draw(7);
  EXPECT_EQ(6u, ops(DrawOp::Kind::Line, Role::Bol).size());  // three segments a band
  history({10, 20});
  stocklist.push_back(stocklist[0]);  // a second member with closes 5 and 30
  worklist.push_back(worklist[0]);
  worklist[1][0].close = 5, worklist[1][1].close = 30;
  fibflag = 1, fibhigh = 0.5f, fiblow = 0.25f;
  draw(7);
  lines = ops(DrawOp::Kind::Line, Role::Graph);
  ASSERT_EQ(4u, lines.size());
  // The first member's levels lie within 10..20, the second's within 5..30.
  // 17.5 above 15 above 12.5 above 11.25, across the chart.
  EXPECT_TRUE(lines[2]->y < lines[0]->y && lines[0]->y < lines[1]->y && lines[1]->y < lines[3]->y);
  EXPECT_EQ((std::array{xlt_indent, xrt_indent}), (std::array{lines[0]->x, lines[0]->w}));
  history({2000000, 2000010});  // a price in millions: its levels inside the plot too
  draw(7);
  for (const DrawOp* l : lines = ops(DrawOp::Kind::Line, Role::Graph)) EXPECT_TRUE(l->y > ylt_indent && l->y < ylb_indent);
  EXPECT_EQ(2u, lines.size());
  history(std::vector<float>(8, 10), 8000);
  curvol = 2000, volflag = 1;  // 2 million shares; each day trades 800,000
  draw(7);
  std::vector<int> marked;
  for (const DrawOp* l : ops(DrawOp::Kind::Line, Role::Graph))
    if (l->x == l->w && l->y == ylt_indent) marked.push_back((l->x - xlb_indent) / day_pixel_space - 1);
  EXPECT_EQ((std::vector<int>{2, 5, 7}), marked);  // 2.4M, then exactly 2M carried is not past, 2.8M, then 2.4M
  for (int i = 0; i < work_days; ++i) EXPECT_EQ(0, worklist[0][i].turnover);  // cleared when drawn

  volflag = fibflag = 0;  // the break-even line
  history({10, 20});
  stockbuyprice = 15, buyvolume = 100, broker = 'g';  // 25 + 7.5 = 32.5 dollars: 0.325 a share
  draw(7);
  ASSERT_EQ(1u, ops(DrawOp::Kind::Line, Role::Graph).size());
  EXPECT_LT(ops(DrawOp::Kind::Line, Role::Graph)[0]->y, worklist[0][0].ypix);
  buyvolume = 0;
  draw(7);
  EXPECT_TRUE(ops(DrawOp::Kind::Line, Role::Graph).empty());
}

// ---- volume ----

TEST_F(Charts, VolumeLabelsAndTheSplitScreenSharingTheSteps) {
  history({10, 11}, 6250000);
  raxis = 'p';
  EXPECT_FLOAT_EQ(125000, volume_incr);  // two steps a label: the second reads 25 million
  draw_volume();
  std::vector<std::string> left = texts(xlb_indent - 4 - 48), right = texts(xrb_indent + 5);
  ASSERT_TRUE(left.size() >= 2 && right.size() >= 2);
  EXPECT_EQ((std::array<std::string, 4>{"     0", "  25.0M", "0", "25.0M"}),
            (std::array{left[0], left[1], right[0].substr(0, 1), right[1]}));
  EXPECT_EQ(2u, ops(DrawOp::Kind::Fill, Role::Close).size());
  graph_type = 2, fill_work();  // weeks add their days up: fitted for their drawing only
  float daily_incr = volume_incr;
  draw_volume();
  EXPECT_EQ(daily_incr, volume_incr);
  graph_type = 1, fill_work();
  history({10, 11}, 25000);  // labels a tenth of a million apart: one decimal
  draw_volume();
  EXPECT_EQ("   1.1M", texts(xlb_indent - 4 - 48).at(11));

  history(std::vector<float>(10, 10), 1000);
  laxis = '%';
  for (long avol : {1000L, 1L, 0L}) {  // an average below a pixel has no multiples
    stockbuyavol = avol, rec.ops.clear();
    draw_volume();
    std::vector<std::string> marks = texts(xlb_indent - 36);
    marks.resize(2);
    EXPECT_EQ((std::array<std::string, 2>{avol > 1 ? "  1x" : "", avol > 1 ? "  2x" : ""}), (std::array{marks[0], marks[1]}));
    const DrawOp *one = rec.find_text("  1x"), *bar = ops(DrawOp::Kind::Fill, Role::Close).at(0);
    EXPECT_EQ(avol > 1, one && one->y - font_ascent / 2 == bar->y);  // 1x where the bars of the average volume reach
  }
  history({10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32}, 5000);
  laxis = 'p', raxis = 'n';
  copy_text(comblist, "sv");
  graphlook = View::Split;
  int top = ylt_indent, bottom = ylb_indent, incr = price_pixel_incr;
  std::string trace = traced([] { draw_chart(); }, 2);  // level 2 names each panel drawn
  EXPECT_NE(std::string::npos, trace.find("-> draw_volume: num_days=13 symbol=AB")) << trace;
  EXPECT_EQ((std::array{50, 50, top, bottom, 7}), (std::array{price_steps, volume_steps, ylt_indent, ylb_indent, int(graphlook)}));
  // The price panel about as tall as the others together (each keeps the
  // room its steps leave over at its top), its steps no denser than
  // the whole chart's; one row of dates, below the lowest panel; a legend
  // inside each panel.
  for (const char* letters : {"sv", "svrm", "rsm"}) {
    copy_text(comblist, letters), rec.ops.clear(), draw_chart();
    const std::vector<SplitPanel>& p = split_panels();
    ASSERT_EQ(std::strlen(letters), p.size());
    int price = 0, others = 0;
    for (const SplitPanel& q : p) (q.letter == 's' ? price : others) += q.bottom - q.top;
    const SplitPanel& s = *std::find_if(p.begin(), p.end(), [](const SplitPanel& q) { return q.letter == 's'; });
    EXPECT_TRUE(std::abs(price - others) <= price / 10 && s.pixel_incr + 1 >= incr && p.front().top - top <= s.steps &&
                p.back().bottom == bottom) << letters << " " << price << " " << others << " " << s.pixel_incr;
    int dates = 0;
    for (const DrawOp* t : rec.texts())
      if (std::strchr(t->text.c_str(), '/') && !std::strchr(t->text.c_str(), ',')) dates += 1 - 1000 * (t->y <= p.back().bottom);
    EXPECT_GT(dates, 2) << letters;
    const DrawOp* legend = rec.find_text("Close:");  // on a cleared patch
    auto under = [&](const DrawOp* op) {  // a patch of a line's height, not the window cleared
      return op->y < legend->y && op->y + op->h > legend->y && op->x < legend->x && op->h <= font_height + 1;
    };
    EXPECT_TRUE(legend && legend->y > s.top && legend->y < s.top + font_height + 3 &&
                std::ranges::any_of(ops(DrawOp::Kind::Fill, Role::GC0), under)) << letters;
  }
  copy_text(comblist, "sv"), rec.ops.clear(), draw_chart();
  EXPECT_TRUE(org_price_incr == price_incr && rec.find_text("Symbol Market Company name                 Shares Group(s)"));
  // No bar is clamped into the top of its panel: the top label of each scale
  // reaches past the highest high and the largest volume.
  float top_price = 0, top_volume = 0;
  for (const std::string& t : texts(xlb_indent - 4 - 54)) top_price = std::max(top_price, std::stof(t));
  for (const std::string& t : texts(xlb_indent - 4 - 48))
    if (t.find('K') != std::string::npos) top_volume = std::max(top_volume, std::stof(t) * 1000);
  // 5000 hundreds a day, in shares; labels every other step.
  EXPECT_TRUE(top_price >= 30.0f && top_volume >= 400000.0f) << top_price << " " << top_volume;

  // The comparison over the price chart breaks where it did not trade.
  symbol_file("CD", history_lines(1995, 1, 2, {20, 21, 0, 23, 24, 25, 26, 27, 28, 29, 30, 31}));
  copy_text(comparename, "CD"), graphlook = View::Price, load(), draw_chart();
  int gap = worklist[0][2].xpix + 2;  // where the third day's line would stand
  std::vector<const DrawOp*> overlay;
  for (const DrawOp* l : ops(DrawOp::Kind::Line, Role::Compare))
    if (l->x >= xlb_indent + day_pixel_space - 1) overlay.push_back(l);  // its legend's sample aside
  EXPECT_TRUE(overlay.size() >= 8 && std::ranges::none_of(overlay, [&](const DrawOp* l) { return l->x < gap && l->w > gap; }));
  comparename[0] = '\0';
}

// ---- the split screen ----

// ---- indicator panels, heading and lists ----

TEST_F(Charts, IndicatorPanelsScalesGapsAndBridges) {
  mvavgtype = 1, mvavgdays = 3;
  history({10, 11, 12, 11, 12, 13, 12, 14});
  worklist[0][5].rsi = 0;
  draw_rsi();
  std::vector<std::string> labels = texts(xlb_indent - 4 - 18);
  ASSERT_GE(labels.size(), 5u);
  EXPECT_TRUE(labels.front() == "  0 " && std::stoi(labels.back()) >= 90) << labels.front() << labels.back();
  for (const std::string& l : labels) EXPECT_EQ(0, std::stoi(l) % 5) << l;
  std::vector<const DrawOp*> lines = ops(DrawOp::Kind::Line, Role::Range);
  ASSERT_EQ(3u, lines.size());  // days 3, 4, 6 and 7 have a value; day 5 is bridged
  EXPECT_EQ((std::array{x_of(3) - 1, x_of(4) - 1, x_of(6) - 1, 8}), (std::array{lines[0]->x, lines[1]->x, lines[1]->w, disp_days}));
  // Labels are base + k x step: a running float sum drifts off zero in the
  // middle of a scale that runs from -high to +high.
  history(std::vector<float>(20, 10));
  macd_high = 0.5f;
  draw_macd();
  EXPECT_EQ((std::vector<std::string>{"   -0.50 ", "   -0.40 ", "   -0.30 ", "   -0.20 ", "   -0.10 ", "    0.00 ",
                                      "    0.10 ", "    0.20 ", "    0.30 ", "    0.40 ", "    0.50 "}),
            texts(xlb_indent - 4 - 48));
  EXPECT_TRUE(rec.find_text("Slow:") && rec.find_text("Fast:"));  // the legend of the two lines
  // Scales fitted to what is shown step in 1, 2 or 5 times a power of ten
  // and take as many steps as they need.
  struct { double low, high, base, step; int steps; } fits[] = {
      {1.75, 3.30, 1.75, 0.05, 32}, {2183, 2222, 2183, 1, 40}, {-0.5e6, 1.3e6, -0.5e6, 0.05e6, 37}, {0, 7, 0, 0.2, 36}};
  for (auto f : fits) {
    NiceScale n = nice_scale(f.low, f.high, 50);
    EXPECT_NEAR(f.base, n.base, 1e-9 * f.step);
    EXPECT_EQ((std::tuple{f.step, f.steps}), (std::tuple{n.step, n.steps})) << f.low << ".." << f.high;
  }
  std::vector<float> falling;
  for (int i = 0; i < 40; ++i) falling.push_back(60 - i);
  history(falling);
  macd_high = 0.01f;  // a MACD far below its scale (a zoom's): cut at the plot's edge
  draw_macd();
  for (const DrawOp& l : rec.ops) EXPECT_TRUE(l.kind != DrawOp::Kind::Line || std::max(l.y, l.h) <= ylb_indent);
  history({10, 11, 0, 12, 13, 14, 13}, 100);
  stochdays = 0;
  draw_stoch();
  EXPECT_TRUE(rec.ops.empty() && std::string(last_status) == "draw_stoch: stoch days is zero.  Set via indicators menu");
  stochdays = 3;
  load();
  draw_stoch();  // four days with a full window: three segments of each line, and its legend's sample
  EXPECT_EQ((std::array<std::size_t, 2>{4, 4}),
            (std::array{ops(DrawOp::Kind::Line, Role::Range).size(), ops(DrawOp::Kind::Line, Role::Bol).size()}));
  for (void (*panel)() : {draw_avalue, draw_gvalue}) {
    rec.ops.clear();
    panel();
    EXPECT_EQ(5u, ops(DrawOp::Kind::Line, Role::Range).size());  // six days with a value, one bridge
  }
}

// ---- heading ----

TEST_F(Charts, TheHeadingAndTheLists) {
  tables("1:Tech:TECH:\n2:Drugs:DRUG:\n3:Oil:OIL:\n",
         "AB:Alpha Beta Corporation of America:S:N:TECH,DRUG,OIL:950101-12500:\nCD:Charlie:S:Q::950101-7:\n"
         "EF:Fund:M:O:OIL:950101-0:\n");
  auto heading = [&](const CompanyRec* c) {
    rec.ops.clear();
    draw_comp(c);
    return texts();
  };
  struct { const char* sym; const char* line; } cases[] = {
      {"AB", "    AB NYSE   Alpha Beta Corporation of    12500K   1   2"},
      {"CD", "    CD  ???   Charlie                          7K"},
      {"EF", "    EF FUND   Fund                             0K   3"},
      {"ZZ", "    ZZ  ???                                    0K"}};
  for (auto c : cases)
    EXPECT_EQ((std::vector<std::string>{"Symbol Market Company name                 Shares Group(s)", c.line}),
              heading(&find_co(c.sym)));
  EXPECT_EQ((std::array{(602 - 420) / 2, ylt_indent - 26}), (std::array{rec.texts()[0]->x, rec.texts()[0]->y}));
  trackstate = 1;  // none while tracking or on the split screen
  EXPECT_TRUE(heading(&find_co("AB")).empty());
  trackstate = 0, graphlook = View::Split;
  EXPECT_TRUE(heading(&find_co("AB")).empty() && rec.ops.empty());
  graphlook = View::Price;
  heading(nullptr);
  EXPECT_TRUE(rec.ops.size() == 1 && rec.ops[0].role == Role::GC0);  // no company: the heading is cleared
  graphlook = View::Group;
  copy_text(groupname, "OIL");
  EXPECT_EQ((std::vector<std::string>{"AB EF", "Oil"}), heading(nullptr));
  const DrawOp* members = rec.texts().at(0);  // centred in the window
  EXPECT_LE(std::abs(2 * members->x + static_cast<int>(members->text.size()) * font_width - main_win_width), font_width);
  copy_text(groupname, "NOSUCH");
  EXPECT_TRUE(heading(nullptr).empty());
  // A row of 100 columns holds n cells with n + 1 equal gaps (a one-letter
  // name is listed too); rows scrolled away are neither drawn nor hit.
  std::string g, c;
  for (int i = 1; i <= 9; ++i)
    g += std::to_string(i) + (i == 8 ? ":H" : ":Group name number " + std::to_string(i) + (i == 9 ? "x" : "")) + ":G" + std::to_string(i) + ":\n";
  for (int i = 0; i < 7; ++i) c += std::string(1, static_cast<char>('A' + i)) + "A:Company " + std::to_string(i) + ":S:N::950101-1:\n";
  tables(g, c);
  auto list = [&](const char* (*draw)(int, int, int)) {  // the rows drawn
    rec.ops.clear();
    draw(1, 0, 0);
    return rec.texts();
  };
  auto rows = list(draw_grps);  // longest name 20 characters: cells of 43, gaps of 4
  ASSERT_EQ(5u, rows.size());
  EXPECT_EQ((std::array{78, 79}), (std::array{rows[0]->y, int(rows[0]->text.size())}));  // below the title, within the window
  EXPECT_EQ((std::array<std::string, 3>{"        1 G1 Group name number 1", "    2 G2", "    9 G9"}),
            (std::array{rows[0]->text.substr(0, 32), rows[0]->text.substr(51, 8), rows[4]->text.substr(4, 8)}));
  rows = list(draw_companys);  // cells of 46, gaps of 2; the last row holds one
  ASSERT_TRUE(rows.size() == 4 && rows[3]->text.find("FA") == std::string::npos);
  EXPECT_EQ((std::array<std::string, 2>{"     AA Company 0", "   BA Company 1"}),
            (std::array{rows[0]->text.substr(0, 17), rows[0]->text.substr(50, 15)}));
  struct { int column, row; const char* hit; } clicks[] = {
      {52, 6, "BA"}, {2, 6, "AA"}, {10, 7, "CA"},
      {30, 6, ""}, {0, 6, ""}, {10, 11, ""}};  // between entries, before the first, below the last row
  for (auto c : clicks) EXPECT_STREQ(c.hit, draw_companys(2, c.column, c.row)) << c.column << "," << c.row;
  EXPECT_STREQ("3", draw_grps(2, 10, 7));
  arrow_index = 2;
  rows = list(draw_companys);
  ASSERT_EQ(3u, rows.size());  // the first row is hidden
  EXPECT_EQ((std::array<std::string, 2>{"   CA", ""}), (std::array<std::string, 2>{rows[0]->text.substr(2, 5), draw_companys(2, 2, 6)}));
  // Typed letters find the row of the first symbol that begins with them;
  // the rows of each list, two entries a row.
  struct { const char* typed; int row; } found[] = {{"", 0}, {"C", 1}, {"GA", 3}, {"B", 0}, {"AB", -1}};
  for (auto f : found) EXPECT_EQ(f.row, company_row_of(f.typed)) << f.typed;
  for (auto [look, rows, title] : {std::tuple{View::Companies, 4, "companies: 7, type a symbol's first letters to go to it"},
                                   {View::Groups, 5, "groups: 9, a click charts one"}}) {
    graphlook = look;
    EXPECT_EQ((std::tuple{rows, std::string(title)}), (std::tuple{list_rows(), title_text()})) << int(look);
  }
}

// ---- odd data and odd windows ----

// Every screen that draws the loaded data, in both looks, for odd data and
// odd windows; whatever is drawn stays inside the window's coordinate range.
TEST_F(Charts, OddDataAndOddWindowsDrawWhatTheyCan) {
  mvavgtype = mvavgflag = fibflag = volflag = gridstate = bollingerflag = 1;
  mvavgdays = stochdays = 3, bolstd = 2, raxis = 'p';
  tables("1:Tech:TECH:\n", "AB:Alpha:S:N:TECH:950101-1:\n");
  auto every_screen = [&](DrawOp::Kind kind, Role role) {  // the operations of that kind and role
    std::size_t n = 0;
    for (int look : {1, 2, 3, 4, 5, 6, 7, 9, 10, 12, 13})
      for (char q : {'b', 'd'}) {
        graphlook = View(look), quotelook = q;
        rec.ops.clear();
        draw_chart();
        for (const DrawOp& op : rec.ops) EXPECT_TRUE(std::abs(op.x) < 1 << 20 && std::abs(op.y) < 1 << 20) << look;
        n += ops(kind, role).size();
      }
    return n;
  };
  symbol_file("AB", "# nothing yet\n");  // no history: nothing loaded
  EXPECT_TRUE(load_symbol("AB") != 0 && every_screen(DrawOp::Kind::Fill, Role::Member) == 0u);
  load_lines("951204, 11, 9, 10, 100\n");
  EXPECT_GT(every_screen(DrawOp::Kind::Fill, Role::Member), 0u);  // one day
  load_lines("951201, 11, 9, 10, 100\n951215, 11, 9, 10, 100\n");
  KD_csd = 4, KD_csm = 12, KD_csy = 95, KD_ced = 14, KD_cem = 12, KD_cey = 95;
  fill_work();
  std::vector<int> days = dates(shown());  // 4 to 14 December: nine empty weekdays
  EXPECT_TRUE(days.size() == 9 && std::all_of(days.begin(), days.end(), [](int d) { return d < 0; }));
  EXPECT_EQ(0u, every_screen(DrawOp::Kind::Fill, Role::Member));  // shown days all empty
  load_lines("951201, 0, 0, 0, 100\n951204, 1e9, 1e9, 1e9, 100\n951205, 1e9, 0.01, 5, 100\n");
  every_screen(DrawOp::Kind::Fill, Role::Member);
  EXPECT_FLOAT_EQ(0, price_bottom);
  history({10, 11, 12, 13, 12, 11, 10, 9, 10, 11}, 0);
  EXPECT_EQ(0u, every_screen(DrawOp::Kind::Fill, Role::Close));  // no volume at all
  for (int columns : {20, 1}) {
    fake_window(columns, columns == 1 ? 1 : 60);
    every_screen(DrawOp::Kind::Fill, Role::Close);
    EXPECT_GE(day_pixel_space, 4);
  }
  fake_window(100, 60);
  for (const char* letters : {"sssss", "xyz", "", "vvvvv", "smrtv", "q"}) {  // odd split screens
    copy_text(comblist, letters);
    every_screen(DrawOp::Kind::Fill, Role::Close);
  }
  for (int steps : {1, 0}) {  // step counts of 1 and 0
    rsi_steps = macd_steps = value_steps = volume_steps = steps, price_steps = steps ? steps : 50;
    calculate_globals();
    every_screen(DrawOp::Kind::Fill, Role::Close);
    EXPECT_TRUE(price_pixel_incr > 0 && rsi_pixel_incr > 0 && volume_pixel_incr > 0);
  }
}

}  // namespace

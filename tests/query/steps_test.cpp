// The query's further steps: history measures, group totals, the
// distribution and its screen; kadmer-scan's group totals against the day
// files.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <string>

#include "query/query.h"
#include "support/fixtures.h"
#include "support/run.h"
#include "ui/ui.h"

namespace {

// Weekdays from Monday 4 December 1995.
class Steps : public MarketTest {
 protected:
  RecordingWindow* screen = nullptr;
  void SetUp() override {
    MarketTest::SetUp();
    tables("1:Tech:TECH:\n2:Oil:OIL:\n3:Empty:EMPTY:\n",
           "AB:Alpha:S:N:TECH:950101-1:\nCD:Charlie:S:N:TECH,OIL:950101-1:\nEF:Echo:S:N:OIL:950101-1:\n");
    querycount = 100;
    querylprice = 0;
    queryhprice = 1000;
    mvavgtype = 1;
    mvavgdays = 3;
    bolstd = 2;
    querysmode = 's';
  }
  void TearDown() override {
    delete screen;
    qs.clear();
    querynum = 0;
    queryextraloaded = querygroupsloaded = querydistrloaded = 0;
    MarketTest::TearDown();
  }
  static std::string date_of(int k) {  // the k-th weekday from 4 Dec 1995
    long day = day_number(1995, 12, 4);
    for (int n = 0; n < k || weekday_of(day) % 6 == 0;)
      if (weekday_of(++day) % 6 != 0) ++n;
    int y, m, d;
    civil_date(day, &y, &m, &d);
    char text[8];
    std::snprintf(text, sizeof text, "%02d%02d%02d", y % 100, m, d);
    return text;
  }
  static int mmddyy(const std::string& yymmdd) {
    int v = std::stoi(yymmdd);
    return v / 100 % 100 * 10000 + v % 100 * 100 + v / 10000;
  }
  // Day files of these closes (one column a security, 0: not listed that day)
  // and history files of the same days.
  void market(const std::vector<std::vector<double>>& days, std::vector<std::string> symbols = {"AB", "CD", "EF"}) {
    std::map<std::string, std::string> history;
    for (std::size_t k = 0; k < days.size(); ++k) {
      std::string file;
      for (std::size_t s = 0; s < symbols.size(); ++s) {
        double c = days[k][s];
        if (c == 0) continue;
        char line[96];
        std::snprintf(line, sizeof line, "%s,%g, %g, %g, %d\n", symbols[s].c_str(), c + 1, c - 1, c, 100 * int(k + 1));
        file += line;
        std::snprintf(line, sizeof line, "%s, %g, %g, %g, %d\n", date_of(static_cast<int>(k)).c_str(), c + 1, c - 1,
                      c, 100 * int(k + 1));
        history[symbols[s]] += line;
      }
      day_file("s" + date_of(static_cast<int>(k)), file);
    }
    for (auto& [sym, text] : history) symbol_file(sym, text);
    querysdate = mmddyy(date_of(1));
    queryedate = querycdate = mmddyy(date_of(static_cast<int>(days.size()) - 1));
  }
  const QueryRec& row(const std::string& sym) {
    for (int i = 0; i < querynum; ++i)
      if (sym == qs[i].symbol) return qs[i];
    static QueryRec none{};
    return none;
  }
  DrawRecorder& draw(int look) {
    delete screen;
    screen = new RecordingWindow(100, 60);
    graphlook = 8;
    querylook = look;
    draw_query();
    return screen->rec;
  }
};

TEST_F(Steps, HistoryMeasuresOfTheLastWindowDays) {
  market({{10, 20, 30}, {11, 20, 31}, {12, 21, 29}, {11, 21, 33}, {13, 22, 30}});
  ASSERT_EQ(0, get_query_data());
  load_query_extra();
  EXPECT_EQ(1, queryextraloaded);
  const QueryRec& ab = row("AB");  // window: the 5th .. 8th; the last three 12, 11, 13
  EXPECT_FLOAT_EQ(12, ab.mvavg);
  EXPECT_FLOAT_EQ((12.0f - 13) / 13 * 100, ab.mvapct);
  EXPECT_FLOAT_EQ(400, ab.avgvol);  // volumes 300, 400, 500
  EXPECT_FLOAT_EQ(500 / 400.0f, ab.hivol);
  EXPECT_FLOAT_EQ(2 * std::sqrt(2.0f / 3), ab.bolwidth);
  EXPECT_FLOAT_EQ(3.0f / (3 + 1) * 100, ab.rsi);  // up 1 and 2, down 1
  struct { int type; float average; } kinds[] = {{2, (12 * 1 + 11 * 2 + 13 * 3) / 6.0f},
                                                 {3, (12 * 300 + 11 * 400 + 13 * 500) / 1200.0f}};
  for (auto k : kinds) {
    mvavgtype = k.type;
    load_query_extra();
    EXPECT_FLOAT_EQ(k.average, row("AB").mvavg) << k.type;
  }
}

TEST_F(Steps, TooFewDaysOrNoHistoryGiveNoHistoryMeasures) {
  market({{10, 20, 30}, {11, 20, 31}, {12, 21, 29}, {11, 21, 33}, {13, 22, 30}});
  ASSERT_EQ(0, get_query_data());
  std::filesystem::remove(work.file("symbols/CD"));
  mvavgdays = 3;
  load_query_extra();
  EXPECT_EQ(0, row("CD").mvavg);  // no history file
  EXPECT_NE(0, row("AB").mvavg);
  for (int look : {8, 9, 11, 12})
    for (const DrawOp* t : draw(look).texts()) EXPECT_EQ(std::string::npos, t->text.find(" CD ")) << look;
  mvavgdays = 4;  // four window days: not more than the average's days
  load_query_extra();
  EXPECT_EQ(0, row("AB").mvavg);
  EXPECT_EQ(0, row("AB").rsi);
  queryextraloaded = 0;
  mvavgdays = querydays + 1;  // longer than the query: the step does nothing
  load_query_extra();
  EXPECT_EQ(0, queryextraloaded);
}

// The Fibonacci verdict needs the close to go from one zone of the range to
// the other; a path that stays in the middle has none.
TEST_F(Steps, FibonacciVerdicts) {
  // AB climbs from the low zone of its range to the high one, EF falls from
  // the high zone to the low one, CD's history stays in the middle.
  market({{10, 20, 30}, {10, 22, 30}, {10.5, 22, 21}, {19, 22, 20.5}, {19.5, 22, 20}, {20, 25, 20}});
  std::string middle;
  for (int k = 1; k <= 5; ++k) middle += date_of(k) + ", 23, 22, 22.5, 100\n";
  symbol_file("CD", middle);
  ASSERT_EQ(0, get_query_data());
  fibtop = 0.4f;
  fibbot = 0.4f;
  fibpolar = '+';
  load_query_extra();
  EXPECT_EQ(-1, row("AB").fibstate);  // up 3 of 5 days, down 2, ending high
  EXPECT_EQ(1, row("EF").fibstate);   // up 1 of 5, down 4, ending low
  EXPECT_EQ(0, row("CD").fibstate);
  fibpolar = '-';  // the other direction: neither path is what it asks for
  load_query_extra();
  EXPECT_EQ(0, row("AB").fibstate);
  EXPECT_EQ(0, row("EF").fibstate);
}

TEST_F(Steps, GroupTotalsAndWhenAGroupHasNoChange) {
  market({{10, 20, 30}, {11, 20, 31}, {12, 22, 33}});
  ASSERT_EQ(0, get_query_data());
  load_query_groups();
  ASSERT_EQ(1, querygroupsloaded);
  EXPECT_EQ(2, groups[1].qstartcnt);  // TECH: AB and CD
  EXPECT_DOUBLE_EQ(30, groups[1].qstartsum);
  EXPECT_DOUBLE_EQ(34, groups[1].qendsum);
  EXPECT_FLOAT_EQ(4.0f / 30 * 100, groups[1].qchange);
  EXPECT_FLOAT_EQ(5.0f / 50 * 100, groups[2].qchange);
  EXPECT_EQ(300 + 300, groups[1].qvolume);  // separate: the end day's volume
  EXPECT_EQ(0, groups[3].qchange);          // no members
  std::vector<std::string> lines = split_lines([&] {
    std::string path = work.file("g");
    FILE* f = std::fopen(path.c_str(), "w");
    write_query_groups(fileno(f));
    std::fclose(f);
    return read_file(path);
  }());
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ(" grp# name               value  %chg", lines[0]);
  EXPECT_EQ("   1 Tech               34.000  13.3", lines[1]);
  day_file("s" + date_of(2), "AB,1,1,12,1\nEF,1,1,33,1\n");  // CD missing at the end
  load_query_groups();
  EXPECT_EQ(0, groups[1].qchange);
  EXPECT_EQ(0, groups[2].qchange);
  queryedate = 120995;  // a Saturday: no end file, no change anywhere
  load_query_groups();
  for (int g = 1; g <= num_groups; ++g) EXPECT_EQ(0, groups[g].qchange);
  queryedate = 110195;
  load_query_groups();
  EXPECT_STREQ("load_query_groups: end day before start day", last_status);
}

TEST_F(Steps, TheDistributionCountsChangesInSlots) {
  market({{10, 20, 30}, {10, 20, 30}, {10.3, 19.5, 110}});  // +0.3, -0.5, +80: beyond the table
  ASSERT_EQ(0, get_query_data());
  distr_incr = 0.25f;
  load_query_distr();
  ASSERT_EQ(1, querydistrloaded);
  EXPECT_EQ(1, distr[42].cnt);  // 0.25 < 0.3 <= 0.5
  EXPECT_EQ(1, distr[38].cnt);  // -0.5 <= -0.5 < -0.25
  int counted = 0;
  for (const DistrSlot& s : distr) counted += s.cnt;
  EXPECT_EQ(2, counted);
  EXPECT_EQ(1, distr_hc);
  EXPECT_FLOAT_EQ(0.5f, distr_hv);
  copy_text(distr_screen, "OIL");
  load_query_distr();
  EXPECT_EQ(1, distr[38].cnt);  // CD only: EF's move is outside the table
  EXPECT_EQ(0, distr[42].cnt);
}

TEST_F(Steps, TheDistributionScreen) {
  std::vector<std::vector<double>> days = {std::vector<double>(400, 10), std::vector<double>(400, 10), {}};
  std::vector<std::string> symbols;
  std::string companies;
  for (int i = 0; i < 400; ++i) {
    symbols.push_back("S" + std::to_string(100 + i));
    companies += symbols.back() + ":S:S:N::950101-1:\n";
    days[2].push_back(i < 200 ? 11 : i < 300 ? 8 : 10);  // 200 up 1, 100 down 2, 100 unchanged
  }
  tables("", companies);
  market(days, symbols);
  ASSERT_EQ(0, get_query_data());
  distr_incr = 0.25f;
  distr_incr_mod = 4;
  load_query_distr();
  auto labels = [&](DrawRecorder& rec) {
    std::vector<std::string> out;
    for (const DrawOp* t : rec.texts())
      if (t->y > ylb_indent) out.push_back(t->text);
    return out;
  };
  auto bars = [&](DrawRecorder& rec, Role role) {
    std::vector<const DrawOp*> out;
    for (const DrawOp& op : rec.ops)
      if (op.kind == DrawOp::Kind::Fill && op.role == role) out.push_back(&op);
    return out;
  };
  distr_offx = distr_offy = 0;
  DrawRecorder& rec = draw(14);
  std::vector<std::string> shown = labels(rec);
  ASSERT_GE(shown.size(), 3u);
  EXPECT_EQ("-2", shown[0]);  // the half-width is the largest change
  EXPECT_EQ("-1", shown[1]);
  ASSERT_EQ(1u, bars(rec, Role::Adv).size());
  ASSERT_EQ(1u, bars(rec, Role::Dec).size());
  ASSERT_EQ(1u, bars(rec, Role::Unc).size());
  int up = bars(rec, Role::Adv)[0]->h, down = bars(rec, Role::Dec)[0]->h;
  EXPECT_GT(up, down);
  ++distr_offx;  // the right arrow: the labels move by one unit
  EXPECT_EQ("-1", labels(draw(14))[0]);
  distr_offx = 0;
  distr_offy = 2;  // a quarter of the highest count: both bars reach the top label
  DrawRecorder& zoomed = draw(14);
  EXPECT_GT(bars(zoomed, Role::Dec)[0]->h, down);
  EXPECT_EQ(bars(zoomed, Role::Dec)[0]->h, bars(zoomed, Role::Adv)[0]->h);
  distr_offy = 0;
  distr_incr = 0.1f;  // no slot starts exactly at a whole label: the area is cleared
  distr_incr_mod = 10;
  load_query_distr();
  DrawRecorder& none = draw(14);
  EXPECT_TRUE(bars(none, Role::Adv).empty() && bars(none, Role::Dec).empty() && bars(none, Role::Unc).empty());
  ASSERT_FALSE(none.ops.empty());
  EXPECT_EQ(Role::GC0, none.ops.back().role);
}

// kadmer-scan's group totals against the day files read here, with the
// company table's group codes resolved as the program resolves them.
TEST(ScanGroups, TotalsOfAGeneratedMarket) {
  TempDir db;
  RunResult g = run_program(kadmer_gen(), {"--out", db.file("m"), "--stocks", "150", "--days", "30", "--end", "951229",
                                           "--absolute"});
  ASSERT_EQ(0, g.status) << g.err;
  std::map<std::string, int> number;
  for (const std::string& line : split_lines(read_file(db.file("m/general/groups")))) {
    if (line.empty() || line[0] == '#') continue;
    std::size_t a = line.find(':'), b = line.find(':', a + 1), c = line.find(':', b + 1);
    number[line.substr(b + 1, c - b - 1)] = std::stoi(line.substr(0, a));
  }
  auto group_of = [&](const std::string& code) {  // the lowest number whose code begins with it
    int best = 0;
    for (auto& [full, n] : number)
      if (full.rfind(code, 0) == 0 && (best == 0 || n < best)) best = n;
    return best;
  };
  std::map<std::string, std::vector<int>> member;
  for (const std::string& line : split_lines(read_file(db.file("m/general/companys")))) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> f;
    std::size_t at = 0;
    for (std::size_t next; (next = line.find(':', at)) != std::string::npos; at = next + 1)
      f.push_back(line.substr(at, next - at));
    for (std::size_t at2 = 0; f.size() > 4 && at2 <= f[4].size() && !f[4].empty();) {
      std::size_t comma = f[4].find(',', at2);
      std::string code = f[4].substr(at2, comma == std::string::npos ? std::string::npos : comma - at2);
      if (int n = group_of(code)) member[f[0]].push_back(n);
      if (comma == std::string::npos) break;
      at2 = comma + 1;
    }
  }
  struct Total { double start = 0, end = 0; int starts = 0, ends = 0; };
  std::map<int, Total> totals;
  auto add = [&](const std::string& file, bool end) {
    for (const std::string& line : split_lines(read_file(db.file("m/days/" + file)))) {
      if (line.empty() || line[0] == '#') continue;
      std::size_t c1 = line.find(','), c2 = line.find(',', c1 + 1), c3 = line.find(',', c2 + 1);
      double close = std::stod(line.substr(c3 + 1, line.find(',', c3 + 1) - c3 - 1));  // symbol, high, low, close
      for (int n : member[line.substr(0, c1)]) {
        Total& t = totals[n];
        (end ? t.end : t.start) += close;
        ++(end ? t.ends : t.starts);
      }
    }
  };
  add("s951218", false);  // the last file before the 19th
  add("s951228", true);
  std::string config;  // the generated settings without the group of the user's own
  for (const std::string& line : split_lines(read_file(db.file("m/.kadmer"))))
    if (line.rfind("group", 0) != 0) config += line + "\n";
  db.write("k", config);
  RunResult r = run_program(kadmer_scan(), {"--config", db.file("k"), "--start", "951219", "--end", "951228",
                                            "--list", "groups", "--csv"});
  ASSERT_EQ(0, r.status) << r.err;
  std::vector<std::string> rows = split_lines(r.out);
  ASSERT_GT(rows.size(), 3u);
  EXPECT_EQ("number,name,code,startsum,startcount,endsum,endcount,pct", rows[0]);
  for (std::size_t i = 1; i < rows.size(); ++i) {
    int n, starts, ends;
    double start, end, pct;
    std::size_t close_quote = rows[i].rfind('"');
    ASSERT_EQ(1, std::sscanf(rows[i].c_str(), "%d,", &n));
    ASSERT_EQ(5, std::sscanf(rows[i].c_str() + rows[i].find(',', close_quote + 2) + 1, "%lf,%d,%lf,%d,%lf", &start,
                             &starts, &end, &ends, &pct));
    const Total& t = totals[n];
    EXPECT_NEAR(t.start, start, 1e-6) << n;
    EXPECT_NEAR(t.end, end, 1e-6) << n;
    EXPECT_EQ(t.starts, starts) << n;
    EXPECT_EQ(t.ends, ends) << n;
    EXPECT_NEAR((t.end - t.start) / t.start * 100, pct, 1e-4) << n;
  }
}

}  // namespace

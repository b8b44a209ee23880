// Queries: the table read from the day files, the ranked lists drawn and
// printed from it, and kadmer-scan against a computation of its own.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>

#include "query/query.h"
#include "support/fixtures.h"
#include "support/run.h"
#include "ui/ui.h"

namespace {

// December 1995: Friday the 1st, Monday the 4th .. Friday the 8th.
class Query : public MarketTest {
 protected:
  RecordingWindow* screen = nullptr;
  void SetUp() override {
    MarketTest::SetUp();
    tables("1:Tech:TECH:\n2:Oil:OIL:\n",
           "AB:Alpha Beta:S:N:TECH:950101-1:\nCD:Charlie Delta:S:N:OIL:950101-1:\nEF:Echo:S:N:TECH:950101-1:\n"
           "IX:An Index:I:1::950101-1:\n");
    querycount = 100;
    querylprice = 0;
    queryhprice = 1000;
    querylook = 1;
    arrow_index = 0;
  }
  void TearDown() override {
    delete screen;
    qs.clear();
    querynum = 0;
    query_table_made = false;
    MarketTest::TearDown();
  }
  void range(int from, int to, int compare = 0) {
    querysdate = from;
    queryedate = to;
    querycdate = compare ? compare : to;
  }
  const QueryRec* row(const std::string& sym) {
    for (int i = 0; i < querynum; ++i)
      if (sym == qs[i].symbol) return &qs[i];
    return nullptr;
  }
  std::string printed(int look, int limit = 0, bool csv = false) {
    std::string path = work.file("print");
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    EXPECT_TRUE(csv ? write_query_csv(look, fd, limit) : write_query_list(look, fd, limit));
    close(fd);
    return read_file(path);
  }
  DrawRecorder& draw(int look, int columns = 100, int lines = 60) {
    delete screen;
    screen = new RecordingWindow(columns, lines);
    querylook = look;
    draw_query();
    return screen->rec;
  }
  // The drawn lines of one colour: Qpos the left column, Qneg the right.
  std::vector<std::string> column(const DrawRecorder& rec, Role role) {
    std::vector<std::string> out;
    for (const DrawOp& op : rec.ops)
      if (op.kind == DrawOp::Kind::Text && op.role == role) out.push_back(op.text);
    return out;
  }
};

TEST_F(Query, TheStartFileIsTheLastDayFileBeforeTheStartDate) {
  day_file("s951201", "AB,11, 9, 10, 100\n");
  day_file("s951205", "AB,12, 10, 11, 100\n");
  range(120495, 120595);  // a Monday: Friday's file starts
  ASSERT_EQ(0, get_query_data());
  EXPECT_EQ(2, querydays);
  EXPECT_FLOAT_EQ(10, row("AB")->firstclose);
  EXPECT_FLOAT_EQ(11, row("AB")->close);
  range(10596, 10696);  // 31 days after the last file
  EXPECT_NE(0, get_query_data());
  EXPECT_STREQ("get_query_data: no starting date found", last_status);
  EXPECT_EQ(0, querynum);
  status("query", 1, "");
  range(120695, 120295);  // the start file lies after the end: nothing, silently
  EXPECT_NE(0, get_query_data());
  EXPECT_EQ(0, querynum);
  EXPECT_STREQ("", last_status);
}

TEST_F(Query, ABlankLineEndsTheStartFileButNotALaterOne) {
  day_file("s951201", "AB,11, 9, 10, 100\n\nCD,21, 19, 20, 100\n");
  day_file("s951204", "AB,12, 10, 11, 100\n\nCD,22, 20, 21, 100\n# a comment\nEF,5,4,4.5,10\n");
  day_file("s951205", "AB,13, 11, 12, 100\nCD,23, 21, 22, 100\nEF,6,5,5.5,10\n");
  range(120495, 120595);
  ASSERT_EQ(0, get_query_data());
  EXPECT_EQ(1, queryend);  // only AB came from the start file
  const QueryRec* cd = row("CD");
  ASSERT_NE(nullptr, cd);
  EXPECT_FLOAT_EQ(21, cd->firstclose);  // first listed on the 4th: its close there
  EXPECT_EQ(2, cd->days);               // not counted on the day it appeared
  EXPECT_FLOAT_EQ(1, cd->change);
  EXPECT_EQ(3, row("AB")->days);
}

TEST_F(Query, DayFilesOfTheCenturyTurnAreReadInCalendarOrder) {
  day_file("s991230", "AB,11, 9, 10, 100\n");
  day_file("s991231", "AB,12, 10, 11, 100\n");
  day_file("s000103", "AB,14, 12, 13, 100\n");
  day_file("s000104", "AB,15, 13, 14, 100\n");
  range(123199, 10300);
  ASSERT_EQ(0, get_query_data());
  EXPECT_EQ(3, querydays);  // the 30th, the 31st and the 3rd
  EXPECT_FLOAT_EQ(10, row("AB")->firstclose);
  EXPECT_FLOAT_EQ(13, row("AB")->close);
}

// A day's high and low against the previous day's: gaps, runs of lower lows
// and higher highs, the range and where the close ends in it.
TEST_F(Query, GapsRunsAndTheRange) {
  const char* days[] = {"AB,11, 9, 10, 100\n", "AB,10.5, 8, 9, 100\n", "AB,9, 7, 8, 100\n",
                        "AB,13, 12, 12.5, 100\n", "AB,14, 12.5, 13, 100\n", "AB,13.5, 12, 12, 100\n"};
  const char* names[] = {"s951201", "s951204", "s951205", "s951206", "s951207", "s951208"};
  for (int i = 0; i < 6; ++i) day_file(names[i], days[i]);
  range(120495, 120895);
  ASSERT_EQ(0, get_query_data());
  const QueryRec& r = *row("AB");
  EXPECT_EQ(6, r.days);
  EXPECT_EQ(3, r.lowcnt);     // the 4th, the 5th and the 8th
  EXPECT_EQ(2, r.lowmost);    // the run of the 4th and 5th ended on the 6th
  EXPECT_EQ(1, r.lowlast);    // the 8th goes on
  EXPECT_EQ(2, r.highcnt);    // the 6th and 7th
  EXPECT_EQ(2, r.highmost);
  EXPECT_EQ(0, r.highlast);
  EXPECT_FLOAT_EQ(4.5f, r.gapchg);  // the 6th opened above the 5th's high
  EXPECT_FLOAT_EQ(4.5f / 12.5f, r.gappct);
  EXPECT_FLOAT_EQ(7, r.lowlow);
  EXPECT_FLOAT_EQ(14, r.highhigh);
  EXPECT_FLOAT_EQ(20, r.pct);
  EXPECT_FLOAT_EQ((14.0f - 7) / 7 * 100, r.volat);
  EXPECT_FLOAT_EQ((13.0f - 8) / 8 * 100, r.topbot);  // 12 lies in the upper half of 8..13
  EXPECT_FLOAT_EQ(1 + 1 / 12.0f, r.topbotpos);
  EXPECT_FLOAT_EQ(13, r.prevclose);
}

TEST_F(Query, VolumeModesAndUnchangedSecurities) {
  day_file("s951201", "AB,11, 9, 10, 100\nCD,11, 9, 10, 100\nEF,11,9,10,100\n");
  day_file("s951204", "AB,11, 9, 9, 200\nCD,11, 9, 11, 200\nEF,11,9,10,100\n");
  day_file("s951205", "AB,11, 9, 9, 300\nCD,11, 9, 10.5, 400\nEF,11,9,10,100\n");
  range(120495, 120595);
  struct { char mode; double ab, cd; } cases[] = {
      {'s', -500, 200 - 400},  // separate: unchanged and down days subtract
      {'a', -500, 600},        // accumulate: the total takes the sign of the move
  };
  for (auto c : cases) {
    querysmode = c.mode;
    ASSERT_EQ(0, get_query_data());
    EXPECT_DOUBLE_EQ(c.ab, row("AB")->volsum) << c.mode;
    EXPECT_DOUBLE_EQ(c.cd, row("CD")->volsum) << c.mode;
    EXPECT_EQ(1, row("EF")->days);  // closed where it started
    for (int look : {1, 2, 3, 4, 5, 6, 7, 15, 16})
      EXPECT_EQ(std::string::npos, printed(look).find("Echo")) << look;
  }
  EXPECT_DOUBLE_EQ(9 * 200 + 9 * 300, -row("AB")->value);
}

TEST_F(Query, ALaterLargerQueryKeepsEverySecurity) {
  day_file("s951201", "AB,11, 9, 10, 100\n");
  day_file("s951204", "AB,11, 9, 11, 100\n");
  range(120495, 120495);
  ASSERT_EQ(0, get_query_data());
  EXPECT_EQ(1, querynum);
  std::string big;
  for (int i = 0; i < 3000; ++i) big += "S" + std::to_string(100000 + i) + ",2,1,1.5,10\n";
  day_file("s951205", big);
  std::string moved = big;
  for (std::size_t at = moved.find("1.5"); at != std::string::npos; at = moved.find("1.5", at)) moved.replace(at, 3, "1.7");
  day_file("s951206", moved);
  range(120695, 120695);
  ASSERT_EQ(0, get_query_data());
  EXPECT_EQ(3000, querynum);
  EXPECT_EQ(3000u, split_lines(printed(1)).size() - 1);
}

TEST_F(Query, SymbolsAreMatchedByTheirWholeText) {
  ASSERT_EQ(symbol_key("YSUJAB"), symbol_key("BGCWWP"));  // keys wrap from six characters on
  day_file("s951201", "YSUJAB,11, 9, 10, 100\nBGCWWP,21, 19, 20, 100\nLONGNAME1,2,1,1,1\nLONGNAME2,2,1,2,1\n");
  day_file("s951204", "BGCWWP,23, 21, 22, 100\nYSUJAB,12, 10, 11, 100\nLONGNAME2,2,1,3,1\nLONGNAME1,2,1,4,1\n");
  range(120495, 120495);
  ASSERT_EQ(0, get_query_data());
  EXPECT_EQ(4, querynum);
  EXPECT_FLOAT_EQ(1, row("YSUJAB")->change);
  EXPECT_FLOAT_EQ(2, row("BGCWWP")->change);
  EXPECT_FLOAT_EQ(3, row("LONGNAME1")->change);  // eight characters and more are not cut
  EXPECT_FLOAT_EQ(1, row("LONGNAME2")->change);
}

// What a query makes of bad lines: a clear message or nothing, never a
// number read from text that holds none.
TEST_F(Query, BadLinesAreSkipped) {
  std::string start = "AB,11, 9, 10, 100\nCD,21, 19, 20, 100\nEF,5,4,4.5,10\n";
  day_file("s951201", start);
  day_file("s951204", "AB,N/A, 9, 10.5, 100\nCD,22, -20, 21, 100\nno comma here\nEF,5.1.2,4,4.6,10\n" +
                          std::string(100000, 'x') + "\n" + ",1,1,1,1\nAB,12,10,11\n");
  day_file("s951205", "");
  range(120495, 120595);
  ASSERT_EQ(0, get_query_data());
  EXPECT_EQ(3, querynum);
  EXPECT_EQ(1, row("CD")->days);  // its only later line had a minus sign
  EXPECT_EQ(1, row("AB")->days);  // "N/A", and a line of three numbers
  EXPECT_EQ(1, row("EF")->days);
  Numbers n;
  EXPECT_TRUE(scan_numbers(" 12 .5 ,\t3, 4,1 0", &n));
  EXPECT_EQ(4, n.count);
  EXPECT_DOUBLE_EQ(12.5, n.v[0]);
  EXPECT_DOUBLE_EQ(10, n.v[3]);
  for (const char* bad : {"1,2,x,4", "1,-2,3,4", "1..5,2,3,4", "99999999999999999,1,1,1"}) EXPECT_FALSE(scan_numbers(bad, &n)) << bad;
  copy_text(distr_screen, "NOSUCH");
  EXPECT_NE(0, get_query_data());
  EXPECT_STREQ("load_query_distr: unknown group NOSUCH", last_status);
  EXPECT_EQ(0, querynum);
}

TEST_F(Query, TheDistrFieldSelectsAGroup) {
  day_file("s951201", "AB,11, 9, 10, 100\nCD,21, 19, 20, 100\nEF,5,4,4.5,10\nZZ,1,1,1,1\n");
  day_file("s951204", "AB,11, 9, 11, 100\nCD,21, 19, 21, 100\nEF,5,4,5,10\nZZ,1,1,2,1\n");
  range(120495, 120495);
  struct { const char* text; int rows; } cases[] = {{"A", 4}, {"G", 4}, {"TECH", 2}, {"2", 1}, {"OIL", 1}};
  for (auto c : cases) {
    copy_text(distr_screen, c.text);
    ASSERT_EQ(0, get_query_data()) << c.text;
    EXPECT_EQ(c.rows, querynum) << c.text;
  }
}

TEST_F(Query, TheCompareFileAddsItsCloseAndPercent) {
  day_file("s951201", "AB,11, 9, 10, 100\nCD,21, 19, 20, 100\n");
  day_file("s951204", "AB,12, 10, 11, 100\n");
  day_file("s951205", "AB,13, 11, 12, 100\nCD,23, 21, 22, 100\n");
  range(120595, 120595, 120495);
  ASSERT_EQ(0, get_query_data());
  EXPECT_FLOAT_EQ(11, row("AB")->cmpclose);
  EXPECT_FLOAT_EQ((11.0f - 12) / 12 * 100, row("AB")->cmppct);
  EXPECT_EQ(0, row("CD")->cmpclose);  // not in the compare file
  EXPECT_EQ(0, row("CD")->cmppct);
  range(120595, 120595, 120395);  // a Sunday: no file
  ASSERT_EQ(0, get_query_data());
  EXPECT_EQ(0, row("AB")->cmpclose);
}

// ---- lists ----

class QueryLists : public Query {
 protected:
  // Five rising and five falling stocks, one index, and one above the price range.
  void SetUp() override {
    Query::SetUp();
    std::string companies, first, last;
    for (int i = 0; i < 10; ++i) {
      std::string sym = std::string(1, static_cast<char>('A' + i)) + "X";
      companies += sym + ":Company " + sym + ":S:N::950101-1:\n";
      first += sym + ",11,9,10,1000\n";
      double close = i < 5 ? 11 + i : 9 - (i - 5) * 0.5;
      last += sym + "," + std::to_string(close + 1) + ",9," + std::to_string(close) + "," + std::to_string(2000 + 100 * i) + "\n";
    }
    tables("", companies + "ZIDX:Index:I:1::950101-1:\nBIG:Big:S:N::950101-1:\n");
    day_file("s951201", first + "ZIDX,2,1,1,1\nBIG,500,400,450,10\n");
    day_file("s951204", last + "ZIDX,3,2,3,1\nBIG,600,500,550,10\n");
    range(120495, 120495);
    queryhprice = 100;
    ASSERT_EQ(0, get_query_data());
  }
};

TEST_F(QueryLists, HeadersAndLinesOfEveryList) {
  struct { int look; const char* header; const char* compare; const char* line; } cases[] = {
      {1, " change symbol   price   %   name", " change symbol   price    %  compare     % name",
       "   5.00     EX   15.00  50.0 Company EX"},
      {2, "   %   symbol   price change name", "   %   symbol   price change compare     % name",
       "  50.0     EX   15.00   5.00 Company EX"},
      {3, "   volume symbol   price change   % name", "   volume symbol   price change   % compare     % name",
       " 240.000K     EX   15.00   5.00  50 Company EX"},
      {4, "  value symbol   price change   % name", "  value symbol   price change   % compare     % name",
       "   3.6M     EX   15.00   5.00  50 Company EX"},
      {5, "   %   symbol    high     low   price hh-low name",
       "   %   symbol    high     low   price hh-low compare     % name",
       "  77.8     EX   16.00    9.00   15.00   7.00 Company EX"},
      {7, "    %   symbol    high     low   price change name",
       "    %   symbol    high     low   price change compare     % name",
       "   50.0     EX  15.000  10.000  15.000   5.00 Company EX"},
      {15, " cnt most last symbol   price change name total days 2", nullptr,
       "   0    0    0     AX   11.00   1.00 Company AX"},
      {16, " cnt most last symbol    price change name total days 2", nullptr,
       "   1    0    1     AX   11.00   1.00 Company AX"},
  };
  for (auto c : cases) {
    std::vector<std::string> lines = split_lines(printed(c.look));
    ASSERT_GE(lines.size(), 2u) << c.look;
    EXPECT_EQ(c.header, lines[0]) << c.look;
    EXPECT_EQ(c.line, lines[1]) << c.look;
    querycdate = 120195;
    querylastsort = 0;
    if (c.compare) {
      EXPECT_EQ(c.compare, split_lines(printed(c.look))[0]) << c.look;
    }
    querycdate = queryedate;
  }
}

TEST_F(QueryLists, PrintTakesEveryRowThatMovedInListOrder) {
  std::vector<std::string> lines = split_lines(printed(2));
  ASSERT_EQ(11u, lines.size());  // ten stocks; not the index, not the one above the range
  EXPECT_NE(std::string::npos, lines[1].find("EX"));
  EXPECT_NE(std::string::npos, lines[10].find("JX"));  // the steepest fall last
  EXPECT_EQ(4u, split_lines(printed(2, 3)).size());
  std::vector<std::string> csv = split_lines(printed(2, 0, true));
  EXPECT_EQ(0u, csv[0].rfind("symbol,firstclose,close,change,pct,days,", 0));
  EXPECT_EQ(0u, csv[1].rfind("EX,10,15,5,50,2,", 0));
}

TEST_F(QueryLists, ColumnsCountsScrollingAndClicks) {
  std::vector<std::string> left = column(draw(2), Role::Qpos), right = column(draw(2), Role::Qneg);
  ASSERT_EQ(5u, left.size());  // five risers; no index, nothing above the range
  ASSERT_EQ(5u, right.size());
  EXPECT_NE(std::string::npos, left[0].find("EX"));
  EXPECT_NE(std::string::npos, right[0].find("JX"));  // the right column starts at the bottom
  for (int i = 0; i < querynum; ++i) {  // a click on a drawn row finds it, in either column
    if (qs[i].row == 0) continue;
    int x = qs[i].col < querybasex ? qs[i].col - 5 : querybasex + 3;
    EXPECT_EQ(i, query_row_at(x, qs[i].row - 1)) << qs[i].symbol;
  }
  EXPECT_EQ(-1, query_row_at(10, 40));
  querycount = 1;
  EXPECT_EQ(2u, draw(2).texts().size());  // only the headers
  querycount = 4;  // three rows examined per column: the index on top is one of them
  EXPECT_EQ(2u, column(draw(2), Role::Qpos).size());
  querycount = 100;
  arrow_index = 3;
  EXPECT_EQ(2u, column(draw(2), Role::Qpos).size());
  arrow_index = 9;  // past the end: empty columns
  EXPECT_EQ(0u, column(draw(2), Role::Qpos).size());
  arrow_index = 0;
  querylprice = 12;  // only closes from 12 on
  EXPECT_EQ(4u, column(draw(2), Role::Qpos).size());
  EXPECT_EQ(0u, column(draw(2), Role::Qneg).size());
  EXPECT_TRUE(draw(14).ops.empty());  // the distribution needs its own step
}

TEST_F(QueryLists, ACompareColumnNarrowsTheNames) {
  querycdate = 120195;
  ASSERT_EQ(0, get_query_data());
  std::vector<std::string> left = column(draw(1, 100), Role::Qpos);
  ASSERT_GE(left.size(), 1u);
  // 100 columns, 44 wide each: 12 / 2 - 3 = 3 characters of the name
  EXPECT_EQ("   5.00     EX   15.00  50.0   10.00 -33.3 Com", left[0]);
}

// "print" hands the list to a writer process and goes on; the writers are
// collected, and one that cannot write is reported.
TEST_F(QueryLists, PrintingWritesTheWholeListToTheDestination) {
  auto settle = [] {
    for (int i = 0; i < 200; ++i) {
      reap_print_children();
      if (waitpid(-1, nullptr, WNOHANG) < 0) return;  // no child left, not even a zombie
      usleep(10000);
    }
  };
  screen = new RecordingWindow(100, 60);
  graphlook = 8;
  querylook = 2;
  std::string file = work.file("list.txt");
  work.write("list.txt", std::string(100000, '#'));  // a longer earlier print leaves no tail
  copy_text(printpath, file);
  for (int i = 0; i < 100; ++i) do_print();
  settle();
  std::vector<std::string> lines = split_lines(read_file(file));
  ASSERT_EQ(11u, lines.size());
  EXPECT_EQ("   %   symbol   price change name", lines[0]);
  EXPECT_EQ(std::string::npos, read_file(file).find('#'));
  EXPECT_EQ(-1, printfd);
  EXPECT_EQ(0, printflag);
  EXPECT_FALSE(column(screen->rec, Role::Qpos).empty());  // the window keeps its rows
  copy_text(printpath, "/dev/full");
  do_print();
  settle();
  EXPECT_STREQ("do_print: write /dev/full errno=28", last_status);
  copy_text(printpath, "/no/such/dir/list");
  do_print();
  EXPECT_STREQ("do_print: open /no/such/dir/list errno=2", last_status);
  querylook = 15;  // the count lists are not printed
  copy_text(printpath, file);
  do_print();
  settle();
  EXPECT_EQ(11u, split_lines(read_file(file)).size());
}

// ---- kadmer-scan ----

TEST(Scan, PercentOfAGeneratedMarketAgainstItsDayFiles) {
  TempDir db;
  RunResult g = run_program(kadmer_gen(), {"--out", db.file("m"), "--stocks", "120", "--funds", "5", "--days", "40",
                                           "--end", "951229", "--absolute"});
  ASSERT_EQ(0, g.status) << g.err;
  // Each stock's first and last close in the day files of the range, read
  // here: from the last file before the 29th to the 6th.
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(db.file("m/days"))) {
    std::string name = e.path().filename();
    if (name[0] == 's' && name <= "s951206") files.push_back(name);
  }
  std::sort(files.begin(), files.end());
  while (files.size() > 1 && files[1] < "s951129") files.erase(files.begin());
  std::map<std::string, std::pair<double, double>> closes;
  for (const std::string& day : files) {
    for (const std::string& line : split_lines(read_file(db.file("m/days/" + day)))) {
      if (line.empty() || line[0] == '#') continue;
      std::vector<std::string> f;
      std::size_t at = 0;
      for (std::size_t next; (next = line.find(',', at)) != std::string::npos; at = next + 1)
        f.push_back(line.substr(at, next - at));
      f.push_back(line.substr(at));
      double close = std::stod(f[3]);
      auto [it, fresh] = closes.emplace(f[0], std::make_pair(close, close));
      if (!fresh) it->second.second = close;
    }
  }
  RunResult r = run_program(kadmer_scan(), {"--config", db.file("m/.kadmer"), "--start", "1995-11-29", "--end",
                                            "951206", "--list", "percent", "--csv"});
  ASSERT_EQ(0, r.status) << r.err;
  std::vector<std::string> rows = split_lines(r.out);
  std::size_t moved = 0;
  for (auto& [sym, c] : closes) moved += c.first != c.second;
  ASSERT_EQ(moved + 1, rows.size());
  double last_pct = 1e9;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    char sym[32];
    double first, close, change, pct;
    ASSERT_EQ(5, std::sscanf(rows[i].c_str(), "%31[^,],%lf,%lf,%lf,%lf", sym, &first, &close, &change, &pct));
    auto c = closes.at(sym);
    EXPECT_DOUBLE_EQ(c.first, first) << sym;
    EXPECT_DOUBLE_EQ(c.second, close) << sym;
    EXPECT_NEAR(c.second - c.first, change, 1e-4) << sym;
    EXPECT_NEAR((c.second - c.first) / c.first * 100, pct, 1e-4 * std::fabs(pct)) << sym;
    EXPECT_LE(pct, last_pct);
    last_pct = pct;
  }
  for (std::vector<std::string> bad : {std::vector<std::string>{"--start", "951206"},
                                       {"--start", "951206", "--end", "951129"},
                                       {"--start", "951129", "--end", "951206", "--list", "nosuch"},
                                       {"--start", "951129", "--end", "951206", "--mode", "x"}}) {
    RunResult u = run_program(kadmer_scan(), bad);
    EXPECT_EQ(2, u.status);
    EXPECT_NE(std::string::npos, u.err.find("usage: kadmer-scan")) << u.err;
  }
  RunResult none = run_program(kadmer_scan(), {"--config", db.file("m/.kadmer"), "--start", "1990-01-01", "--end",
                                               "1990-02-01"});
  EXPECT_EQ(1, none.status);
  EXPECT_EQ("kadmer-scan: get_query_data: no starting date found\n", none.err);
}

}  // namespace

// Queries: the table read from the day files, the ranked lists drawn and
// printed from it, the history, group and distribution steps and their
// screens, and kadmer-scan's options and failures.
#include "support/fixtures.h"

#include <sys/wait.h>

#include "query/reading.h"
#include "query/screen.h"

namespace {

// December 1995: Friday the 1st, Monday the 4th .. Friday the 8th.
class Query : public MarketTest {
 protected:
  std::unique_ptr<RecordingWindow> screen;  // outlives TearDown harmlessly: its end only uninstalls the recorder
  void SetUp() override {
    MarketTest::SetUp();
    tables("1:Tech:TECH:\n2:Oil:OIL:\n3:Empty:EMPTY:\n",
           "AB:Alpha Beta:S:N:TECH:950101-1:\nCD:Charlie Delta:S:N:TECH,OIL:950101-1:\nEF:Echo:S:N:OIL:950101-1:\n");
    querycount = 100;
    querylprice = 0, queryhprice = 1000;
    querylook = ListView::Price;
    arrow_index = 0;
    mvavgtype = 1, mvavgdays = 3, bolstd = 2;
  }
  void range(int from, int to, int compare = 0) {
    querysdate = from, queryedate = to, querycdate = compare ? compare : to;
  }
  // Reads the table of the query from `from` to `to`, compared with its end.
  int query_over(int from, int to) {
    range(from, to);
    return get_query_data();
  }
  // Day files of the k-th weekday from 4 December (a row of closes, one a
  // symbol; 0: not listed) and history files of the same days; the query
  // range starts the day after the first file.
  void market(const std::vector<std::vector<double>>& days, std::vector<std::string> symbols = {"AB", "CD", "EF"}) {
    std::map<std::string, std::string> history;
    long day = day_number(1995, 12, 4);
    for (std::size_t k = 0; k < days.size(); ++k, ++day) {
      while (weekday_of(day) % 6 == 0) ++day;
      int y, m, d;
      civil_date(day, &y, &m, &d);
      char date[8], line[96];
      std::snprintf(date, sizeof date, "%02d%02d%02d", y % 100, m, d);
      std::string file;
      for (std::size_t s = 0; s < symbols.size(); ++s) {
        double c = days[k][s];
        if (c == 0) continue;
        std::snprintf(line, sizeof line, ", %g, %g, %g, %d\n", c + 1, c - 1, c, 100 * int(k + 1));
        file += symbols[s] + line;
        history[symbols[s]] += date + std::string(line);
      }
      day_file(std::string("s") + date, file + symbols[0] + ", 1, 1, 1, 1\n");  // a repeated line counts nowhere
      if (k == 1) querysdate = m * 10000 + d * 100 + y % 100;
      queryedate = querycdate = m * 10000 + d * 100 + y % 100;
    }
    for (auto& [sym, text] : history) symbol_file(sym, text);
  }
  const QueryRec& row(const std::string& sym) {
    static QueryRec none{};
    for (int i = 0; i < querynum; ++i)
      if (sym == qs[i].symbol) return qs[i];
    return none;
  }
  // Lists by the numbers traces print them with.
  std::string printed(bool (*write)(ListView, int, int), int look, int limit = 0) {
    std::string path = work.file("print");
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    EXPECT_TRUE(write(ListView(look), fd, limit)) << look;
    close(fd);
    return read_file(path);
  }
  std::vector<std::string> printed_lines(int look) { return split_lines(printed(write_query_list, look)); }
  DrawRecorder& draw(int look, int lines = 60) {
    screen.reset();  // first: a window's end uninstalls the recorder, the new one's too if it came before
    screen = std::make_unique<RecordingWindow>(100, lines);
    graphlook = View::Query;
    querylook = ListView(look);
    draw_query();
    return screen->rec;
  }
};

TEST_F(Query, TheStartFileSearchAndTheCenturyTurn) {
  day_file("s951201", "AB,11, 9, 10, 100\n");
  day_file("s951205", "AB,12, 10, 11, 100\n");
  ASSERT_EQ(0, query_over(120495, 120595));  // a Monday: Friday's file starts
  EXPECT_EQ((std::array{2.0f, 10.0f}), (std::array{float(querydays), row("AB").firstclose}));
  EXPECT_EQ((std::tuple{true, std::string("get_query_data: no starting date found")}),
            (std::tuple{query_over(10596, 10696) != 0, std::string(last_status)}));  // 31 days after the last file
  status("query", 1, "");
  EXPECT_NE(0, query_over(120695, 120295));  // the start file lies after the end: nothing, silently
  EXPECT_TRUE(querynum == 0 && !last_status[0]) << last_status;
  for (const char* f : {"s991230", "s991231", "s000103", "s000104"}) day_file(f, "AB,1,1," + std::string(f + 5) + ",1\n");
  ASSERT_EQ(0, query_over(123199, 10300));
  // The 30th, the 31st and the 3rd, in calendar order.
  EXPECT_EQ((std::array{3.0f, 30.0f, 3.0f}), (std::array{float(querydays), row("AB").firstclose, row("AB").close}));
}

TEST_F(Query, BlankLinesLateListingsAndBadLines) {
  day_file("s951201", "AB,11, 9, 10, 100\n\nCD,21, 19, 20, 100\n");  // a blank line ends the start file
  day_file("s951204", "AB,12, 10, 11, 100\n\nCD,22, 20, 21, 100\n# a comment\nEF,N/A,4,4.5,10\nEF,5,-4,4.5,10\n" +
                          std::string(100000, 'x') + "\nno comma\n,1,1,1,1\nEF,5,4,4.5\nEF,5.1.2,4,4.6,10\n");
  day_file("s951205", "AB,13, 11, 12, 100\nCD,23, 21, 22, 100\nEF,6,5,5.5,10\n");
  ASSERT_EQ(0, query_over(120495, 120595));
  // Only AB came from the start file; CD first listed on the 4th: its close
  // there, not counted on the day it appeared; none of EF's lines on the 4th scanned.
  EXPECT_EQ((std::array{1.0f, 3.0f, 21.0f, 2.0f, 3.0f, 5.5f}), (std::array{float(queryend), float(querynum), row("CD").firstclose,
                                                                      float(row("CD").days), float(row("AB").days), row("EF").firstclose}));
  Numbers n;
  EXPECT_TRUE(scan_numbers(" 12 .5 ,\t3, 4,1 0", &n) && n.count == 4);
  EXPECT_EQ((std::array{12.5, 10.0}), (std::array{n.v[0], n.v[3]}));
  for (const char* bad : {"1,2,x,4", "1,-2,3,4", "1..5,2,3,4", "9999999999999999,1,1,1"})
    EXPECT_FALSE(scan_numbers(bad, &n)) << bad;
  // The Distr field selects the members of a group; one it can not select fails the query and says why.
  struct { const char* distr; int rows; const char* why = ""; } groups_of[] = {
      {"A", 3}, {"G", 3}, {"TECH", 2}, {"2", 2}, {"OIL", 2}, {"NOSUCH", 0, "load_query_distr: unknown group NOSUCH"},
      {"9", 0, "load_query_distr: unknown group 9"}, {"EMPTY", 0, "load_query_distr: group EMPTY has no members"}};
  for (auto g : groups_of) {
    copy_text(distr_screen, g.distr);
    ASSERT_EQ(g.rows == 0, get_query_data() != 0) << g.distr;
    EXPECT_TRUE(g.rows ? querynum == g.rows : last_status == std::string(g.why)) << g.distr << ": " << last_status;
  }
}

// The quick reader of whole files against the careful one, line by line:
// random lines of digits, points, blanks, signs and letters, fields of any
// count and length (a long run of digits leaves the quick path), a file
// with and without its last newline. Both must take the same quotes.
TEST(QuickLines, ReadEveryShapeAsTheCarefulScannerDoes) {
  using namespace query_reading;
  std::mt19937 random(19);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  auto field = [&] {
    static const char* const odd[] = {"", " ", "\t", "\r", "-", "x", ".", "+", "e"};
    std::string f;
    if (pick(4) == 0) f += ' ';
    for (int i = pick(pick(5) == 0 ? 18 : 7); i > 0; --i) f += static_cast<char>('0' + pick(10));
    if (pick(2)) f += '.';
    for (int i = pick(pick(5) == 0 ? 12 : 4); i > 0; --i) f += static_cast<char>('0' + pick(10));
    if (pick(8) == 0) f.insert(static_cast<std::size_t>(pick(static_cast<int>(f.size()) + 1)), odd[pick(9)]);
    return f + (pick(5) == 0 ? " " : "");
  };
  TempDir dir;
  DayText file;
  auto as_text = [](const DayLine& d) {
    char out[160];
    std::snprintf(out, sizeof out, "%s|%a|%a|%a|%a", std::string(d.symbol).c_str(), d.high, d.low, d.close, d.volume);
    return std::string(out);
  };
  struct { const char* line; Quick how; } shapes[] = {  // plain lines take the quick way, others the careful
      {"AB,12.5,11,12,1000", Quick::Quote}, {"XYZ, 1.25 ,2, 3 \t,40", Quick::Quote}, {"AB,12345678,1.1234567,0,99999999", Quick::Quote},
      {"AB,12345678.1234567,1,1,1", Quick::Quote}, {"AB,12345678.12345678,1,1,1", Quick::Careful},
      {"AB,1,2", Quick::Bad}, {"#AB,1,2,3,4", Quick::Comment}, {"AB", Quick::NoComma}, {",1,2,3,4", Quick::Bad},
      {"AB,1,2,3,4,5,6", Quick::Careful}, {"AB,123456789,1,1,1", Quick::Careful}, {"AB,1,-2,3,4", Quick::Careful}};
  for (auto [line, how] : shapes) {
    std::string padded = line + std::string("\n") + std::string(16, '\0');
    const char* next = nullptr;
    DayLine d{};
    EXPECT_EQ(how, quick_line(padded.data(), padded.data() + std::strlen(line), &d, &next)) << line;
    EXPECT_TRUE(how == Quick::Careful || next == padded.data() + std::strlen(line) + 1) << line;  // past its newline
  }
  for (int round = 0; round < 300; ++round) {
    std::string text;
    static const char* const symbols[] = {"AB", "X", "LONGSYMBOLNAME12345", "", "#C", "A B"};
    for (int n = pick(40); n > 0; --n) {
      std::string line = symbols[pick(6)];
      if (pick(12)) line += ',';
      for (int k = pick(8); k > 0; --k) line += field() + (k > 1 ? "," : "");
      text += line + "\n";
    }
    if (pick(3) == 0 && !text.empty()) text.pop_back();
    dir.write("s", text);
    for (bool start : {false, true}) {
      std::vector<std::string> quick, careful;
      ASSERT_TRUE(file.open(dir.file("s").c_str()));
      each_quote(file, start, [&](const DayLine& d) { quick.push_back(as_text(d)); });
      DayLine d;
      for (const std::string& line : split_lines(text)) {
        Parse p = parse_line(line, &d);
        if (p == Parse::NoComma && start) break;
        if (p == Parse::Quote) careful.push_back(as_text(d));
      }
      ASSERT_EQ(careful, quick) << round << start << "\n" << text;
    }
  }
}

// A day file larger than the reader's buffer is read in pieces: lines that
// straddle a piece, a line longer than the buffer (kept to its size, the
// rest skipped), a NUL in a later piece (the careful way from there, a line
// that begins with one ends the file), no newline at the end.
TEST(QuickLines, AFileLargerThanTheBufferReadsAsOneText) {
  using namespace query_reading;
  TempDir dir;
  std::string text;
  auto quotes = [&](int from, int n) {
    for (int i = from; i < from + n; ++i)  // appended: GCC 12 at -O3 sees an overlap in "S" + text
      ((((text += 'S') += std::to_string(i)) += ',') += std::to_string(i % 97)) += ".5,1, 2," + std::to_string(i) + "\n";
  };
  quotes(0, 40000);
  text += "LONG,1,1,1,1" + std::string(DAY_PIECE + DAY_PIECE / 2, ' ') + "x\n";  // the letter lies beyond the buffer
  quotes(40000, 60000);
  text += std::string("CUT,1,1,1\0,5\n", 13);
  quotes(100000, 30000);
  text += "LAST,1,1,1,7";
  std::string tail = text + "\n" + std::string(1, '\0') + "GONE,1,1,1,1\n";
  for (const std::string& t : {text, tail}) {
    dir.write("s", t);
    std::vector<std::string> lines;  // what the reader must give
    for (std::size_t at = 0, end; at < t.size() && t[at] != '\0'; at = end + 1) {
      end = std::min(t.find('\n', at), t.size());
      std::string l = t.substr(at, end - at);
      lines.push_back(l.substr(0, std::min(l.find('\0'), DAY_PIECE)));
    }
    ASSERT_EQ(130003u, lines.size());
    DayText file;
    std::vector<std::string> got, quick, careful;
    ASSERT_TRUE(file.open(dir.file("s").c_str()));
    for (std::string_view line; file.next(&line);) got.emplace_back(line);
    EXPECT_TRUE(got == lines) << got.size();
    ASSERT_TRUE(file.open(dir.file("s").c_str()));
    each_quote(file, false, [&](const DayLine& d) { quick.push_back(std::string(d.symbol) + " " + std::to_string(d.volume)); });
    DayLine d;
    for (const std::string& line : lines)
      if (parse_line(line, &d) == Parse::Quote) careful.push_back(std::string(d.symbol) + " " + std::to_string(d.volume));
    EXPECT_EQ(130002u, careful.size());  // LONG is cut before its letter: a quote
    EXPECT_TRUE(careful == quick) << quick.size();
  }
}

// A day's high and low against the previous day's: gaps, runs of lower lows
// and higher highs, the range and where the close ends in it.
TEST_F(Query, GapsRunsAndTheRange) {
  const char* days[][2] = {{"s951201", "AB,11, 9, 10, 100\n"}, {"s951204", "AB,10.5, 8, 9, 100\n"},
                           {"s951205", "AB,9, 7, 8, 100\n"},   {"s951206", "AB,13, 12, 12.5, 100\n"},
                           {"s951207", "AB,14, 12, 13, 100\n"}, {"s951208", "AB,14, 11.5, 12, 100\n"}};  // equal: no new low or high
  for (auto& d : days) day_file(d[0], d[1]);
  ASSERT_EQ(0, query_over(120495, 120895));
  const QueryRec& r = row("AB");
  int runs[] = {r.days, r.lowcnt, r.lowmost, r.lowlast, r.highcnt, r.highmost, r.highlast};
  EXPECT_EQ((std::vector<int>{6, 3, 2, 1, 2, 2, 0}), std::vector<int>(runs, runs + 7));
  // The 4th opened above the 3rd's high; 12 lies in the upper half of 8..13; 13 closed the day before.
  for (auto [want, got] : {std::pair{4.5f, r.gapchg}, {4.5f / 12.5f, r.gappct}, {20.0f, r.pct}, {(14.0f - 7) / 7 * 100, r.volat},
                           {(13.0f - 8) / 8 * 100, r.topbot}, {1 + 1 / 12.0f, r.topbotpos}, {13.0f, r.prevclose}})
    EXPECT_FLOAT_EQ(want, got);
}

TEST_F(Query, VolumeModesCompareFileAndUnchangedSecurities) {
  // A symbol's first line in a file counts; a repeated one is skipped.
  day_file("s951201", "AB,11, 9, 10, 100\nCD,11, 9, 10, 100\nEF,11,9,10,100\nCD,1,1,1,1\n");
  day_file("s951204", "AB,11, 9, 9, 200\nCD,11, 9, 11, 200\nAB,50,50,50,50\nEF,11,9,10,100\n");
  day_file("s951205", "AB,11, 9, 9, 300\nCD,11, 9, 10.5, 400\nEF,11,9,10,100\nEF,11,9,12,100\n");
  struct { char mode; double ab, cd; } cases[] = {
      {'s', -500, 200 - 400},  // separate: unchanged and down days subtract
      {'a', -500, 600},        // accumulate: the total takes the sign of the move
  };
  range(120495, 120595, 120495);  // from the 1st to the 5th, compared with the 4th
  std::string trace;
  for (auto c : cases) {
    querysmode = c.mode;
    trace = traced([] { ASSERT_EQ(0, get_query_data()); }, 2);
    // EF closed where it started: never listed.
    EXPECT_EQ((std::array{c.ab, c.cd, 1.0}), (std::array{row("AB").volsum, row("CD").volsum, double(row("EF").days)})) << c.mode;
    for (int look : {1, 2, 3, 4, 5, 6, 7, 15, 16}) EXPECT_EQ(std::string::npos, printed(write_query_list, look).find("Echo"));
  }
  EXPECT_EQ((std::array{9.0 * 200 + 9 * 300, 11.0, 9.0}), (std::array{-row("AB").value, double(row("CD").cmpclose), double(row("AB").cmpclose)}));
  EXPECT_FLOAT_EQ((11.0f - 10.5f) / 10.5f * 100, row("CD").cmppct);
  std::size_t reads = 0;  // the progress on the status line: the 4th read as a later file and as the compare file
  for (std::size_t at = 0; (at = trace.find("msg=get_query_data: reading days/s951204)", at)) != std::string::npos; ++at) ++reads;
  EXPECT_TRUE(reads == 2 && trace.find("msg=get_query_data: calculating percents)") != std::string::npos) << trace;
  day_file("s951204", "AB,11, 9, 9, 200\n");
  ASSERT_EQ(0, get_query_data());
  EXPECT_EQ((std::array{0.0f, 0.0f}), (std::array{row("CD").cmpclose, row("CD").cmppct}));  // not in the compare file: not an old one
}

TEST_F(Query, RowsAreMatchedByTheirWholeTextAndTheTableGrows) {
  ASSERT_EQ(symbol_key("YSUJAB"), symbol_key("BGCWWP"));  // keys wrap from six characters on
  day_file("s951201", "YSUJAB,11, 9, 10, 100\nBGCWWP,21, 19, 20, 100\nLONGNAME1,2,1,1,1\nLONGNAME2,2,1,2,1\n");
  day_file("s951204", "BGCWWP,23, 21, 22, 100\nYSUJAB,12, 10, 11, 100\nLONGNAME2,2,1,3,1\nLONGNAME1,2,1,4,1\n");
  ASSERT_EQ(0, query_over(120495, 120495));
  EXPECT_EQ(4, querynum);
  float changes[] = {row("YSUJAB").change, row("BGCWWP").change, row("LONGNAME1").change, row("LONGNAME2").change};
  EXPECT_EQ((std::vector<float>{1, 2, 3, 1}), std::vector<float>(changes, changes + 4));
  for (auto [file, quote] : {std::pair{"s951205", ",2,1,1.5,10\n"}, {"s951206", ",2,1,1.7,10\n"}}) {
    std::string text;  // appended: GCC 12 at -O3 sees an overlap in "S" + text
    for (int i = 0; i < 3000; ++i) ((text += 'S') += std::to_string(100000 + i)) += quote;
    day_file(file, text);
  }
  ASSERT_EQ(0, query_over(120695, 120695));  // a later query with a larger start file keeps every security
  EXPECT_EQ(3000u, printed_lines(1).size() - 1);
}

// ---- lists ----

// Five rising and five falling stocks, an index, one above the price range.
class QueryLists : public Query {
 protected:
  void SetUp() override {
    Query::SetUp();
    std::string companies, first, last;
    for (int i = 0; i < 10; ++i) {
      std::string sym = std::string(1, static_cast<char>('A' + i)) + "X";
      double close = i < 5 ? 11 + i : 9 - (i - 5) * 0.5;
      companies += sym + ":Company " + sym + (i ? "" : " and Sons Holdings Corporation") + ":S:N::950101-1:\n";
      first += sym + ",11,9,10,1000\n";
      last += sym + "," + std::to_string(close + 1) + ",9," + std::to_string(close) + "," + std::to_string(2000 + 100 * i) + "\n";
    }
    tables("", companies + "ZIDX:Index:I:1::950101-1:\nBIG:Big:S:N::950101-1:\n");
    day_file("s951201", first + "ZIDX,2,1,1,1\nBIG,500,400,450,10\n");
    day_file("s951204", last + "ZIDX,3,2,3,1\nBIG,600,500,550,10\n");
    queryhprice = 100;
    ASSERT_EQ(0, query_over(120495, 120495));
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
       "   0    0    0     AX   11.00   1.00 Company AX and Sons Holdings Corporation"},
      {16, " cnt most last symbol    price change name total days 2", nullptr,
       "   1    0    1     AX   11.00   1.00 Company AX and Sons Holdings Corporation"}};
  // BIG, above the price range, is passed over: the title says what is listed.
  const std::string settings = ": 12/04/95-12/04/95, count 100 (12 examined, 5 and 5 in the price range), price 0-100, "
                               "up-down volume, all securities";
  for (auto c : cases) {
    std::vector<std::string> lines = printed_lines(c.look);
    ASSERT_GE(lines.size(), 2u) << c.look;
    EXPECT_EQ((std::array<std::string, 2>{c.header, c.line}), (std::array{lines[0], lines[1]}));
    graphlook = View::Query, querylook = ListView(c.look);  // the title line: the list's name and every setting that picks its rows
    std::string title = query_list(ListView(c.look))->label + settings;
    if (query_list(ListView(c.look))->one_column) title.replace(title.find("5 and 5"), 7, "10");
    EXPECT_EQ(title, title_text());
    querycdate = 120195;
    EXPECT_EQ(c.compare ? c.compare : c.header, printed_lines(c.look)[0]);  // the count lists have no compare columns
    querycdate = queryedate;
  }
  std::vector<std::string> lines = printed_lines(2);  // every row that moved, in list order
  ASSERT_EQ(11u, lines.size());                        // not the index, not the one above the range
  EXPECT_NE(std::string::npos, lines[10].find("JX"));  // the steepest fall last
  EXPECT_EQ(4u, split_lines(printed(write_query_list, 2, 3)).size());
  tables("7:Technology:TECH:\n", "");
  struct { int look; const char* distr; char mode; float low, high; int compare; const char* title; } titles[] = {
      {10, "A", 'a', 1.5f, 20, 0, "groups: 12/04/95-12/04/95, count 100, price 1.5-20, total volume, all securities"},
      {14, "TECH", 's', 0, 100, 120195, "distribution: 12/04/95-12/04/95 vs 12/01/95, count 100, price 0-100, "
                                        "up-down volume, group TECH Technology, class 0.25"},
      {16, "7", 's', 0, 1e6f, 0, "high count: 12/04/95-12/04/95, count 100, price 0-1000000, up-down volume, "
                                 "group 7 Technology"},
      {15, "G", 's', 0, 100, 0, "low count: 12/04/95-12/04/95, count 100 (12 examined, 11 in the price range), "
                                "price 0-100, up-down volume, all groups"}};
  for (auto t : titles) {
    querylook = ListView(t.look), querysmode = t.mode, querylprice = t.low, queryhprice = t.high;
    querycdate = t.compare ? t.compare : queryedate;
    copy_text(distr_screen, t.distr);
    EXPECT_EQ(t.title, title_text());
  }
}

TEST_F(QueryLists, ColumnsCountsScrollingClicksAndNarrowNames) {
  auto rows = [&](int look, Role role) { return ops_of(draw(look), DrawOp::Kind::Text, role); };
  std::vector<const DrawOp*> left = rows(2, Role::Qpos), right = ops_of(screen->rec, DrawOp::Kind::Text, Role::Qneg);
  ASSERT_TRUE(left.size() == 5 && right.size() == 5);  // five risers and fallers; no index, nothing above the range
  EXPECT_NE(std::string::npos, left[0]->text.find("EX"));
  EXPECT_NE(std::string::npos, right[0]->text.find("JX"));  // the right column starts at the bottom
  EXPECT_EQ((std::array{row("EX").row, row("JX").row}), (std::array{left[0]->y / font_height, right[0]->y / font_height}));
  for (int i = 0; i < querynum; ++i) {  // a click on a drawn row finds it, in either column
    if (qs[i].row == 0) continue;
    int x = qs[i].col < querybasex ? qs[i].col - 5 : querybasex + 3;
    EXPECT_EQ(i, query_row_at(x, qs[i].row - 1)) << qs[i].symbol;
  }
  EXPECT_EQ(-1, query_row_at(10, 40));
  struct { int count, scrolled; float low; std::size_t left, right; const char* title; } cases[] = {
      {1, 0, 0, 0, 0, ""},                               // nothing listed
      {4, 0, 0, 2, 3, ""},                               // three rows examined a column: the index on top is one of them
      {100, 3, 0, 2, 2, ""},                             // scrolled by three
      {100, 9, 0, 5, 5, ""},                             // past the end of both columns: the first page
      {100, 0, 12, 4, 0, "(12 examined, 4 and 0 in the"},  // closes from 12 on
      {6, 0, 12, 3, 0, "(5 examined, 3 and 0 in the"}
  };
  for (auto c : cases) {
    querycount = c.count, arrow_index = c.scrolled, querylprice = c.low;
    std::size_t l = rows(2, Role::Qpos).size();
    EXPECT_EQ((std::array{c.left, c.right}), (std::array{l, ops_of(screen->rec, DrawOp::Kind::Text, Role::Qneg).size()}))
        << c.count << " " << c.scrolled;
    EXPECT_NE(std::string::npos, title_text().find(c.title)) << title_text();
  }
  querycount = 100, arrow_index = 0, querylprice = 0;
  EXPECT_EQ(printed_lines(15)[1], rows(15, Role::Qpos)[0]->text);  // one column: names of up to 40
  querycdate = 120195;  // compare columns: 44 wide, and no name where 12 / 2 - 3 letters would fit
  ASSERT_EQ(0, get_query_data());
  EXPECT_EQ("   5.00     EX   15.00  50.0   10.00 -33.3", rows(1, Role::Qpos)[0]->text);
  for (auto [columns, name] : {std::pair{105, "-33.3"}, std::pair{107, "-33.3 Compan"}}) {  // 5 letters: none; 6
    fake_window(columns, 60);
    screen->rec.ops.clear();
    draw_query();
    EXPECT_TRUE(ops_of(screen->rec, DrawOp::Kind::Text, Role::Qpos).at(0)->text.ends_with(name)) << columns;
  }
  std::vector<const DrawOp*> texts = rows(1, Role::Graph);  // nor "name" in its header
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                          [](const DrawOp* t) { return t->text == " change symbol   price    %  compare     %"; }));
}

// A first close of 0 rose infinitely: it tops the lists by percent and
// stops no column.
TEST_F(QueryLists, AFirstCloseOfZeroTopsTheListsByPercentAndStopsNoColumn) {
  day_file("s951201", read_file(work.file("days/s951201")) + "ZZ,0,0,0,0\n");
  day_file("s951204", read_file(work.file("days/s951204")) + "ZZ,3,2,2.5,10\n");
  ASSERT_EQ(0, get_query_data());
  for (int look : {2, 5, 7}) {
    DrawRecorder& rec = draw(look);
    EXPECT_EQ(5u, ops_of(rec, DrawOp::Kind::Text, Role::Qneg).size()) << look;
    EXPECT_NE(std::string::npos, ops_of(rec, DrawOp::Kind::Text, Role::Qpos)[0]->text.find("inf     ZZ")) << look;
  }
}

// "print" hands the list to a writer process and goes on; the writers are
// collected, and one that cannot write is reported.
TEST_F(QueryLists, PrintingWritesTheWholeListToTheDestination) {
  auto print = [] {  // and collect the writers
    do_print();
    for (int i = 0; i < 200; ++i) {
      reap_print_children();
      siginfo_t child;  // asked without reaping it: a writer's report is the program's to collect
      if (waitid(P_ALL, 0, &child, WEXITED | WNOHANG | WNOWAIT) < 0) return;  // no child left, not even a zombie
      usleep(10000);
    }
  };
  screen = std::make_unique<RecordingWindow>(100, 60);
  graphlook = View::Query;
  querylook = ListView::Percent;
  std::string file = work.file("list.txt");
  work.write("list.txt", std::string(100000, '#'));  // a longer earlier print leaves no tail
  copy_text(printpath, file);
  for (int i = 0; i < 99; ++i) do_print();  // a hundred writers at once
  print();
  std::vector<std::string> lines = split_lines(read_file(file));
  ASSERT_EQ(11u, lines.size());
  EXPECT_EQ("print: 11 lines written to " + file, last_status);  // how many and where, once it is done
  EXPECT_EQ("   %   symbol   price change name", lines[0]);
  EXPECT_TRUE(read_file(file).find('#') == std::string::npos && printfd == -1);
  EXPECT_FALSE(ops_of(screen->rec, DrawOp::Kind::Text, Role::Qpos).empty());  // the window keeps its rows
  copy_text(printpath, "/dev/full");
  print();
  EXPECT_STREQ("do_print: write /dev/full errno=28", last_status);
  copy_text(printpath, "/no/such/dir/list");
  do_print();
  EXPECT_STREQ("do_print: open /no/such/dir/list errno=2", last_status);
  querylook = ListView::LowCount;  // the count lists are not printed
  copy_text(printpath, file);
  print();
  EXPECT_EQ(11u, split_lines(read_file(file)).size());
  EXPECT_STREQ("print: the distribution and the count lists are not printed", last_status);
  load_query_groups();
  querylook = ListView::Groups;  // the group totals print as they are drawn
  print();
  EXPECT_EQ(" grp# name               value  %chg", split_lines(read_file(file)).at(0));
  std::string error;  // a screen prints every row it found, as kadmer-scan writes them
  ASSERT_TRUE(read_screen_pair("close > 0", "-pct", &shown_screen, &error));
  screen_rows = run_screen(shown_screen), querylook = ListView::Screen;
  print();
  lines = split_lines(read_file(file));
  ASSERT_EQ(screen_rows.size() + 1, lines.size());
  EXPECT_EQ(screen_header(shown_screen) + "|" + screen_line(shown_screen, screen_rows.back()), lines[0] + "|" + lines.back());
  graphlook = View::Price;
  do_print();
  EXPECT_STREQ("print: nothing written, the screen shows no query list", last_status);
  QueryRec jx = row("JX");  // a list written in pieces fails at the first piece that does not go
  qs.assign(2000, jx), querynum = 2000;
  int full = open("/dev/full", O_WRONLY);
  EXPECT_FALSE(write_query_list(ListView::Percent, full, 0) || write_query_csv(ListView::Percent, full, 0));
  close(full);
}

// Each way a writer ends is said once it is collected, with where it wrote.
TEST(PrintWriters, EachEndIsSaidWithItsDestination) {
  struct { const char* path; int lines, end; const char* said; } ends[] = {  // end: the exit status, or minus a signal
      {"stdout", 3, 0, "print: 3 lines written to standard output"}, {"/x/list", -1, 0, ""},  // a count not known: nothing
      {"/x/list", 5, 28, "do_print: write /x/list errno=28"}, {"/x/list", 5, -9, "do_print: write /x/list signal=9"}};
  for (const auto& e : ends) {
    last_status[0] = '\0';
    print_will_write(e.lines);
    pid_t pid = fork();
    if (pid == 0 && e.end < 0) raise(-e.end);
    if (pid == 0) _exit(e.end);  // the writer never goes on into the tests
    print_started(pid, e.path);
    siginfo_t child;  // ended, and left for the program to collect
    waitid(P_PID, static_cast<id_t>(pid), &child, WEXITED | WNOWAIT);
    reap_print_children();
    EXPECT_STREQ(e.said, last_status) << e.path << " " << e.end;
  }
}

// ---- the history, group and distribution steps ----

TEST_F(Query, HistoryMeasuresAndWhenThereAreNone) {
  market({{10, 20, 1}, {11, 20, 1}, {12, 21, 1}, {11, 21, 1}, {13, 22, 1}});  // EF: an average of exactly 1
  symbol_file("AB", " 951201, 1001, 999, 1000, 100\n" + read_file(work.file("symbols/AB")));  // before the window
  ASSERT_EQ(0, get_query_data());
  std::filesystem::remove(work.file("symbols/CD"));
  load_query_extra();
  ASSERT_EQ(1, queryextraloaded);
  const QueryRec& ab = row("AB");  // window: four days; the last three 12, 11, 13
  float got[] = {ab.mvavg, ab.mvapct, ab.avgvol, ab.hivol, ab.bolwidth, ab.rsi};
  float want[] = {12, (12.0f - 13) / 13 * 100, 400, 500 / 400.0f, 2 * std::sqrt(2.0f / 3), 75};  // RSI: up 3, down 1
  for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(want[i], got[i]) << i;
  EXPECT_EQ(1, row("EF").mvavg);
  for (auto [type, average] : {std::pair{2, (12 * 1 + 11 * 2 + 13 * 3) / 6.0f},
                               std::pair{3, (12 * 300 + 11 * 400 + 13 * 500) / 1200.0f}}) {
    mvavgtype = type;
    load_query_extra();
    EXPECT_FLOAT_EQ(average, row("AB").mvavg) << type;
  }
  EXPECT_EQ(0, row("CD").mvavg);  // no history file
  for (int look : {8, 9, 11, 12})
    for (const DrawOp* t : draw(look).texts()) EXPECT_EQ(std::string::npos, t->text.find(" CD ")) << look;
  mvavgdays = 4;  // four window days: not more than the average's days
  load_query_extra();
  EXPECT_EQ(0, row("AB").mvavg + row("AB").rsi);
  // No average, and the lists of the averages say why they are empty.
  for (auto [days, why] : {std::pair{0, "load_query_extra: moving-average days is 0"},
                           {querydays + 1, "load_query_extra: moving-average days (6) exceed the query's days (5)"}}) {
    mvavgdays = days;
    load_query_extra();
    EXPECT_EQ(0, row("AB").mvavg + row("AB").rsi);
    EXPECT_TRUE(draw(8).texts().size() == 2 && std::string(why) == last_status) << last_status;
  }
}

// The RSI list counts only the rows it could list: rows without history
// (an RSI of 0) use up nothing.
TEST_F(Query, TheRsiListCountsOnlyTheRowsItLists) {
  market({{10, 20, 5, 6, 7}, {11, 19, 5, 6, 7}, {12, 19.5, 6, 7, 8}, {13, 18, 7, 8, 9}, {14, 17, 8, 9, 10}},
         {"AB", "CD", "EF", "GH", "IJ"});
  for (const char* sym : {"EF", "GH", "IJ"}) std::filesystem::remove(work.file(std::string("symbols/") + sym));
  ASSERT_EQ(0, get_query_data());
  load_query_extra();
  querycount = 3;
  std::vector<const DrawOp*> right = ops_of(draw(12), DrawOp::Kind::Text, Role::Qneg);
  ASSERT_EQ(1u, right.size());
  EXPECT_NE(std::string::npos, right[0]->text.find(" CD "));
}

// The Fibonacci verdict needs the close to go from one zone of the range to
// the other; a path that stays in the middle has none.
TEST_F(Query, FibonacciVerdicts) {
  // AB climbs from the low zone to the high one; EF falls from the high zone to the low one.
  market({{10, 20, 30}, {10, 22, 30}, {10.5, 22, 21}, {19, 22, 20.5}, {19.5, 22, 20}, {20, 25, 20}});
  symbol_file("CD", "951205, 23, 22, 22.5, 100\n951206, 23, 22, 22.5, 100\n951207, 23, 22, 22.5, 100\n"
                    "951208, 23, 22, 22.5, 100\n951211, 23, 22, 22.5, 100\n");
  ASSERT_EQ(0, get_query_data());
  fibtop = fibbot = 0.4f;
  struct { char polarity; int days; int ab, cd, ef; } cases[] = {  // no average needed
      {'+', 3, -1, 0, 1}, {'-', 3, 0, 0, 0}, {'+', 0, -1, 0, 1}, {'+', 99, -1, 0, 1}};
  for (auto c : cases) {
    fibpolar = c.polarity, mvavgdays = c.days;
    load_query_extra();
    EXPECT_EQ((std::array{c.ab, c.cd, c.ef}), (std::array{row("AB").fibstate, row("CD").fibstate, row("EF").fibstate}))
        << c.polarity;
  }
}

TEST_F(Query, GroupTotalsAndWhenAGroupHasNoChange) {
  market({{10, 20, 30}, {11, 20, 31}, {12, 22, 33}});
  ASSERT_EQ(0, get_query_data());
  load_query_groups(), load_query_groups();  // twice: each load counts afresh
  ASSERT_EQ((std::tuple{1, std::string()}), (std::tuple{querygroupsloaded, std::string(last_status)}));  // no file named
  EXPECT_EQ(2, groups[1].qstartcnt);  // TECH: AB and CD, from 30 to 34
  EXPECT_FLOAT_EQ(4.0f / 30 * 100, groups[1].qchange);
  EXPECT_FLOAT_EQ(5.0f / 50 * 100, groups[2].qchange);
  EXPECT_EQ(300 + 300, groups[1].qvolume);  // separate: the end day's volume
  EXPECT_EQ(0, groups[3].qchange);          // no members
  // Past the two risers a page of groups is empty: the list starts again.
  EXPECT_EQ((std::array{1, 0}), (std::array{(arrow_index = 1, draw(10), arrow_index), (arrow_index = 2, draw(10), arrow_index)}));
  std::vector<std::string> lines = split_lines(printed([](ListView, int fd, int) { return write_query_groups(fd); }, 0));
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ(" grp# name               value  %chg", lines[0]);
  EXPECT_EQ("   1 Tech               34.000  13.3", lines[1]);
  day_file("s951206", "AB,1,1,12,1\nEF,1,1,33,1\n");  // CD missing at the end
  load_query_groups();
  EXPECT_EQ(0, groups[1].qchange + groups[2].qchange);
  queryedate = 120995;  // a Saturday: no end file, no change anywhere
  load_query_groups();
  for (int g = 1; g <= num_groups; ++g) EXPECT_EQ(0, groups[g].qchange);
  queryedate = 110195;
  load_query_groups();
  EXPECT_STREQ("load_query_groups: end day before start day", last_status);
}

// A symbol of a day file or a group's name or code holding a quote, a comma,
// a CR or a leading = + - @ broke the rows or became a formula: each stays
// one field, quoted as RFC 4180 has it, text guarded with an apostrophe
// (one more before an apostrophe). A number is the shortest text of what the
// program holds (41.42, not 41.4199982), unguarded when negative; a sum of
// money has no more decimals than its prices (10603, not 10603.0009765625).
TEST_F(Query, CsvTextIsQuotedAndGuardedAndNumbersAreTheShortestText) {
  struct { const char* symbol; const char* field; const char* group; const char* group_field; } cases[] = {
      {"\"Q\"", "\"\"\"Q\"\"\"", "1:Big \"Q\" Banks:G1:", "1,\"Big \"\"Q\"\" Banks\",G1,"},
      {"=1+2", "'=1+2", "2:=SUM(A1),x:+Y:", "2,\"'=SUM(A1),x\",'+Y,"},
      {"+P", "'+P", "3:@home\r:@H:", "3,\"'@home\r\",'@H,"}, {"-M", "'-M", "4:-5:-X:", "4,'-5,'-X,"},
      {"@S", "'@S", "5:'quoted:G5:", "5,''quoted,G5,"}, {"'T", "''T", "6:a-b=c@d+e:G6:", "6,a-b=c@d+e,G6,"},
      {"X\rY", "\"X\rY\"", "", ""}, {"-\"x\"", "\"'-\"\"x\"\"\"", "", ""}};
  const double base[] = {41.42, 3.07, 1234.56, 7.1, 12.34, 56.78, 2.5, 99.99};  // cents: no float holds them
  std::string groups_file, companys_file;
  std::vector<std::string> symbols;
  std::vector<std::vector<double>> closes(5);
  std::map<std::string, std::string> symbol_of;  // by its field
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    groups_file += cases[i].group + std::string(cases[i].group[0] ? "\n" : "");
    std::string code = cases[i].group[0] ? fields(cases[i].group, ':')[2] : "";
    companys_file += cases[i].symbol + (":Name:S:N:" + code + ":950101-1:\n");
    symbols.push_back(cases[i].symbol), symbol_of[cases[i].field] = cases[i].symbol;
    for (std::size_t k = 0; k < 5; ++k)
      closes[k].push_back(std::round(base[i] * (1 + 0.01 * ((k + 1) * (i + 1) % 11 - 5.0)) * 100) / 100);
  }
  tables(groups_file, companys_file);
  market(closes, symbols);
  queryhprice = 1e6, distr_incr = 0.1f, distr_incr_mod = 10;
  ASSERT_EQ(0, get_query_data());
  load_query_extra(), load_query_groups(), load_query_distr();
  auto money = [](const std::string& f, double v) {  // within a float's precision; cents at most
    return shortest_text(f, v, std::fabs(v) * 0x1p-23) && (f.find('.') == f.npos || f.find('.') + 3 >= f.size());
  };
  auto csv = [&](int look) {  // a list, the groups (10) or the distribution (14)
    return split_lines(printed([](ListView l, int fd, int) {
      return l == ListView::Groups ? write_query_groups(fd, true)
             : l == ListView::Distribution ? write_query_distr(fd, true) : write_query_csv(l, fd);
    }, look));
  };
  for (int look : {2, 4, 8}) {
    std::vector<std::string> rows = csv(look);
    EXPECT_TRUE(rows.size() == std::size(cases) + 1 && rows[0].rfind("symbol,firstclose,close,change,pct,", 0) == 0);
    for (std::size_t i = 1; i < rows.size(); ++i) {
      std::vector<std::string> f = fields(rows[i], ',');
      ASSERT_TRUE(symbol_of.count(f[0])) << rows[i];
      const QueryRec& r = row(symbol_of[f[0]]);
      const float held[] = {r.firstclose, r.close, r.change, r.pct, r.volat, r.gapchg, r.gappct, r.topbot,
                            r.topbotpos, r.lowlow, r.highhigh, r.lowclose, r.highclose, r.prevclose, r.cmpclose,
                            r.cmppct, r.mvavg, r.mvapct, r.avgvol, r.hivol, r.rsi, r.bolwidth, r.bolpct};
      for (std::size_t k = 0; k < std::size(held); ++k) EXPECT_TRUE(shortest_text(f[k < 4 ? k + 1 : k + 10], held[k]));
      EXPECT_TRUE(shortest_text(f[12], r.volsum) && money(f[13], r.value)) << rows[i];
    }
  }
  std::vector<std::string> rows = csv(10);
  EXPECT_EQ(7u, rows.size());
  for (std::size_t i = 1; i < rows.size(); ++i) {
    std::vector<std::string> f = fields(rows[i], ',');  // the name may hold a comma: the numbers from the end
    const GroupRec& g = groups[std::stoul(f[0])];
    std::size_t n = f.size();
    EXPECT_EQ(0u, rows[i].rfind(cases[g.num - 1].group_field, 0)) << rows[i];
    EXPECT_TRUE(money(f[n - 5], g.qstartsum) && money(f[n - 3], g.qendsum) && shortest_text(f[n - 1], g.qchange));
  }
  rows = csv(14);
  std::size_t k = 1;
  for (const DistrSlot& d : distr) EXPECT_TRUE(!d.cnt || shortest_text(fields(rows.at(k++), ',')[0], d.limit));
  EXPECT_EQ(rows.size(), k);
}

TEST_F(Query, TheDistributionCountsChangesInSlots) {
  market({{10, 20, 30}, {10, 20, 30}, {10.3, 19.5, 110}});  // +0.3, -0.5, +80: beyond the table
  ASSERT_EQ(0, get_query_data());
  load_query_distr();
  ASSERT_EQ(1, querydistrloaded);
  // +0.3 in slot 42 (0.25 < 0.3 <= 0.5), -0.5 in slot 38 (-0.5 <= -0.5 < -0.25), nothing in any other.
  int counted = 0;
  for (const DistrSlot& s : distr) counted += s.cnt;
  EXPECT_EQ((std::array{1, 1, 2, 1}), (std::array{distr[42].cnt, distr[38].cnt, counted, distr_hc}));
  EXPECT_FLOAT_EQ(0.5f, distr_hv);
  copy_text(distr_screen, "OIL");
  load_query_distr();
  EXPECT_EQ(1, distr[38].cnt + distr[42].cnt);  // CD only: EF's move is outside the table
}

// The histogram always draws, whatever the largest change: its zero class
// under the label 0 at every class width, its scale up to the tallest bar.
TEST_F(Query, TheDistributionScreen) {
  std::vector<std::vector<double>> days(3);
  std::vector<std::string> symbols;
  std::string companies;
  for (int i = 0; i < 798; ++i) {  // up 1, down 2, unchanged; 350 up 60, past the axis at 0.25
    symbols.push_back(std::string("S") + std::to_string(100 + i));
    companies += symbols.back() + ":S:S:N::950101-1:\n";
    days[0].push_back(10), days[1].push_back(10);
    days[2].push_back(i < 249 ? 11 : i < 348 ? 8 : i < 448 ? 10 : 70);
  }
  tables("", companies);
  market(days, symbols);
  ASSERT_EQ(0, get_query_data());
  auto labels = [&](const DrawRecorder& rec) {  // under the axis
    std::vector<const DrawOp*> out;
    for (const DrawOp* t : rec.texts())
      if (t->y > ylb_indent) out.push_back(t);
    return out;
  };
  auto bars = [&](const DrawRecorder& rec, Role role) { return ops_of(rec, DrawOp::Kind::Fill, role); };
  auto top_label = [&](const DrawRecorder& rec) {
    int top = 0;
    for (const DrawOp* t : rec.texts())
      if (t->x < xlb_indent) top = std::max(top, std::stoi(t->text));
    return top;
  };
  struct { float incr; int mod; const char* first_two; int top; } widths[] = {
      {0.25f, 4, "-10 -9", 249}, {0.1f, 10, "-2 -1", 249}, {2, 3, "0 12", 350}, {1, 1, "0 3", 350}};  // labels a blank apart
  for (auto w : widths) {
    distr_incr = w.incr, distr_incr_mod = w.mod;
    load_query_distr();
    DrawRecorder& rec = draw(14);
    EXPECT_EQ(w.first_two, labels(rec).at(0)->text + " " + labels(rec).at(1)->text) << w.incr;
    ASSERT_TRUE(rec.find_text("0") && bars(rec, Role::Unc).size() == 1) << w.incr;
    EXPECT_EQ(rec.find_text("0")->x, bars(rec, Role::Unc)[0]->x + 1) << w.incr;
    EXPECT_TRUE(top_label(rec) >= w.top && top_label(rec) < w.top * 1.05) << w.incr;  // the tallest bar shown
    auto marks = [&](int x) {  // the hash marks of either axis
      return std::count_if(rec.ops.begin(), rec.ops.end(), [&](const DrawOp& o) { return o.role == Role::Graph && o.x == x; });
    };
    EXPECT_TRUE(marks(xlb_indent - 4) > 1 && marks(xlb_indent - 4) == marks(xrb_indent) &&
                marks(xlb_indent - 6 * font_width) == marks(xrb_indent + font_width)) << w.incr;  // and their labels
  }
  distr_incr = 0.25f, distr_incr_mod = 4;
  load_query_distr();
  int up = bars(draw(14), Role::Adv)[0]->h;
  distr_offx = 1;  // the right arrow: the labels move by one unit
  EXPECT_EQ("-9", labels(draw(14)).at(0)->text);
  distr_offx = 0, distr_offy = 2;  // a quarter of the highest count: both bars reach the top label
  DrawRecorder& zoomed = draw(14);
  EXPECT_GT(bars(zoomed, Role::Dec)[0]->h, up / 2);
  EXPECT_EQ(bars(zoomed, Role::Dec)[0]->h, bars(zoomed, Role::Adv)[0]->h);
  EXPECT_FALSE(bars(draw(14, 12), Role::Unc).empty());  // a plot too low for a line of its scale
}

// ---- kadmer-scan ----

// kadmer-scan's options and failures, on the demo database (its lists are the
// window's, checked above and against the window's print in the window tests).
TEST(Scan, BadOptionsExitTwoAndFailuresOne) {
  auto scan = [](std::vector<std::string> args) {
    args.insert(args.begin(), {"--start", "261123", "--end", "261204", "--csv"});
    return run_program(KADMER_SCAN, args, in_dir(KADMER_SOURCE_DIR "/data/sample"));
  };
  for (const char* list : {"groups", "distribution"})  // the count limits these lists too
    EXPECT_EQ(3u, split_lines(scan({"--list", list, "--count", "2"}).out).size()) << list;
  EXPECT_NE(scan({"--list", "volume", "--mode", "s"}).out, scan({"--list", "volume", "--mode", "a"}).out);  // down days subtracted or not
  for (std::vector<std::string> bad : {std::vector<std::string>{"--start", "951206"},
                                       {"--start", "951206", "--end", "951129"},
                                       {"--start", "951129", "--end", "951206", "--list", "nosuch"},
                                       {"--start", "951129", "--end", "951206", "--mode", "x"},
                                       {"--start", "951129", "--end", "951206", "--distr", "ABCDEFGHIJKLMNOPQ"},
                                       {"--config", "/no/such/settings", "--screens"}}) {
    RunResult u = run_program(KADMER_SCAN, bad);
    EXPECT_TRUE(u.status == 2 && u.err.find("usage: kadmer-scan") != std::string::npos) << u.err;
  }
  struct { std::vector<std::string> args; const char* why; } failed[] = {
      {{"--start", "900101", "--end", "900201"}, "get_query_data: no starting date found"},
      {{"--list", "moving avg"}, "load_query_extra: moving-average days (20) exceed the query's days (10)"},
      {{"--market", "n", "--end", "261205"}, "fill_work: end day is not valid"}};  // a Saturday: no index file
  for (const auto& f : failed) {
    RunResult r = scan(f.args);
    EXPECT_EQ((std::tuple{1, "kadmer-scan: " + std::string(f.why) + "\n"}), (std::tuple{r.status, r.err}));
  }
}

}  // namespace

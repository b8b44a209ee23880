// Screens of one's own: the language read and run over a row, its errors,
// a screen over the query table, the files of screens and watchlists, and
// kadmer-scan's screens against the lists they must agree with.
#include "support/fixtures.h"

#include "query/screen.h"

namespace {

const double none = std::nan("");

class OwnScreens : public MarketTest {
 protected:
  void SetUp() override {
    MarketTest::SetUp();
    tables("1:Tech:TECH:\n2:Oil:OIL:\n", "AB:Alpha Beta:S:N:TECH:950101-1:\nCD:Charlie:S:N:OIL:950101-1:\n"
                                         "EF:Echo:S:N:TECH:950101-1:\nIX:Index:I:1::950101-1:\n");
    querylprice = 0, queryhprice = 1000;
  }
  static QueryRec rec(const char* sym, float close, float pct, float mvavg = 11, float cmpclose = 0) {
    QueryRec r{};
    copy_text(r.symbol, sym);
    r.close = close, r.pct = pct, r.firstclose = 10, r.days = 5, r.volsum = 1000, r.avgvol = 300;
    r.mvavg = mvavg, r.rsi = 70, r.cmpclose = cmpclose, r.cmppct = 4;
    return r;
  }
  static ScreenProgram program(const std::string& text) {
    ScreenProgram p;
    std::string error;
    EXPECT_TRUE(read_screen(text, &p, &error)) << text << ": " << error;
    return p;
  }
  static std::string error_of(const std::string& text) {
    ScreenProgram p;
    std::string error = "read";
    read_screen(text, &p, &error);
    return error;
  }
};

TEST_F(OwnScreens, ValuesOfEveryOperatorFunctionAndMissingMeasure) {
  const QueryRec ab = rec("AB", 12, 20);
  struct { const char* text; double want; } cases[] = {
      {"2 + 3 * 4", 14}, {"(2 + 3) * 4", 20}, {"10 - 4 - 3", 3}, {"12 / 3 / 2", 2}, {"-2 * 3", -6}, {"- -2", 2},
      {"+2 - -pct", 22}, {"2 * -close", -24}, {"1e2 + .5 + 2.5E-1", 100.75},
      {"pct > 19.5", 1}, {"pct >= 20", 1}, {"pct > 20", 0}, {"pct <= 20", 1}, {"pct < 20", 0}, {"pct == 20", 1},
      {"pct != 20", 0}, {"10 <= close <= 12", 1}, {"10 <= close < 12", 0}, {"1 < 3 < 2", 0}, {"3 > 2 > 1", 1},
      {"close < pct >= 20 > 19", 1}, {"not 0 and 0", 0}, {"1 or 0 and 0", 1}, {"(1 or 0) and 0", 0},
      {"not pct > 30", 1}, {"NOT 1 OR 0", 0}, {"pct > 5 && !(close < 5) || 0", 1},
      {"abs(-3.5)", 3.5}, {"min(close, pct)", 12}, {"max(close, pct)", 20}, {"min(1, 2) + max(1, 2) * abs(-2)", 5},
      {"volsum > 3 * avgvol", 1}, {"PCT - Close", 8}, {"change == 0 and days == 5 and firstclose == 10", 1},
      {"symbol == \"AB\"", 1}, {"\"AB\" != symbol", 0}, {"symbol < \"B\"", 1}, {"symbol >= \"AC\"", 0},
      {"symbol == \"AB\" and pct > 5", 1}, {"group(\"TECH\") and not group(2)", 1}, {"group(\"OIL\")", 0},
      // a division by zero and a measure the row has not: no value, through every operator
      {"1 / 0", none}, {"close / (days - 5)", none}, {"cmppct", none}, {"not (cmppct > 5)", none},
      {"cmppct > 5 or 1", none}, {"min(cmpclose, 1)", none}, {"0 * cmpclose", none}, {"abs(-cmppct)", none}};
  for (const auto& c : cases) {
    double got = screen_value(program(c.text), ab);
    EXPECT_TRUE(std::isnan(c.want) ? std::isnan(got) : got == c.want) << c.text << " = " << got;
    EXPECT_EQ(!std::isnan(c.want) && c.want != 0, screen_holds(program(c.text), ab)) << c.text;
  }
  // A compare close and an average are measures the row has or has not.
  EXPECT_EQ(4, screen_value(program("cmppct"), rec("AB", 12, 20, 11, 9)));
  for (const char* history : {"mvavg", "mvapct", "avgvol", "hivol", "rsi", "bolwidth", "bolpct"}) {
    EXPECT_TRUE(std::isnan(screen_value(program(history), rec("AB", 12, 20, 0))) && program(history).history) << history;
    EXPECT_FALSE(std::isnan(screen_value(program(history), ab))) << history;
  }
  ScreenProgram p = program("rsi < 30 and pct > close or rsi > 90");
  EXPECT_EQ((std::vector<std::string>{"rsi", "pct", "close"}), [&] {
    std::vector<std::string> names;
    for (int m : p.named) names.push_back(query_measures[m].name);
    return names;
  }());
  EXPECT_FALSE(program("pct > 0 and fibstate == 0 or cmppct > 1").history != program("fibstate").history);
}

TEST_F(OwnScreens, ErrorsSayWhatAndTheColumn) {
  struct { std::string text; const char* said; } cases[] = {
      {"pcnt > 5", "unknown measure 'pcnt' at column 1 (did you mean pct?)"},
      {"close > 5 and volume > 2", "unknown measure 'volume' at column 15 (did you mean volsum?)"},
      {"xyzzy", "unknown measure 'xyzzy' at column 1"},
      {"(pct > 5 and close", "')' expected at column 19"}, {"max(1 2)", "',' expected at column 7"},
      {"abs 1", "'(' expected at column 5"}, {"pct > ", "a number, a measure or '(' expected at column 7"},
      {"pct > 5)", "unmatched ')' at column 8"}, {"pct > 5 close", "unexpected 'close' at column 9"},
      {"5abc", "unexpected 'a' at column 2"}, {"pct $ 5", "unexpected '$' at column 5"},
      {"pct > \xc3\xa9", "unexpected '\xc3\xa9' at column 7"}, {"pct = 5", "'=' is '==' at column 5"},
      {"pct & 1", "'&' is 'and' at column 5"}, {"symbol == 5", "a text compares only with a text at column 11"},
      {"pct + \"A\" > 1", "a text compares only with a text at column 7"},
      {"symbol", "a number or a condition expected, not a text at column 1"},
      {"symbol == \"A\" < \"B\"", "texts compare one pair at a time at column 8"},
      {"\"AB", "'\"' not closed at column 1"}, {"group(\"NONE\")", "unknown group 'NONE' at column 7"},
      {"group(9)", "unknown group '9' at column 7"},
      {"group(close)", "a group's code in quotes or its number expected at column 7"},
      {"1e999 > 1", "a number too large at column 1"}, {" \t", "nothing to screen by"},
      {std::string(150, '(') + "1" + std::string(150, ')'), "the expression is too deep at column 101"},
      {std::string(150, '-') + "1", "the expression is too deep at column 100"},
      {[] { std::string t = "1"; while (t.size() < 12000) t += " +1"; return t; }(), "the expression is too long at column 1"}};
  for (const auto& c : cases) EXPECT_EQ("screen: " + std::string(c.said), error_of(c.text)) << c.text;
  Screening s;
  std::string error;
  EXPECT_FALSE(read_screen_pair("pct > 1", "pct +", &s, &error));
  EXPECT_EQ("sort: a number, a measure or '(' expected at column 6", error);
}

// The rows found: the lists' range, no index, within, the condition and a
// sort value; highest first (or lowest), ties by symbol.
TEST_F(OwnScreens, ARunKeepsTheListsRowsAndOrdersThem) {
  qs = {rec("EF", 12, 5), rec("AB", 30, 5), rec("IX", 50, 50), rec("CD", 9, 8), rec("GH", 2000, 9),
        rec("KL", 20, 0, 0), rec("MN", 11, -3)};
  qs[6].days = 1;  // did not move over the range
  querynum = static_cast<int>(qs.size());
  auto found = [](const char* where, const char* sort, bool up = false) {
    Screening s;
    s.ascending = up;
    std::string error;
    EXPECT_TRUE(read_screen_pair(where, sort, &s, &error)) << error;
    std::string out;
    for (const ScreenRow& r : run_screen(s)) out += std::string(r.rec.symbol) + " ";
    return out;
  };
  EXPECT_EQ("CD AB EF KL ", found("1", ""));
  EXPECT_EQ("KL AB EF CD ", found("pct >= 0", "pct", true));
  EXPECT_EQ("AB CD EF ", found("close > 0", "rsi"));  // KL has no RSI to place it by
  EXPECT_EQ("CD EF ", found("close < 20", "-close"));
  Within tech{"TECH", 1, {}}, list{"w", 0, {"CD", "EF", "ZZ"}};
  query_within = &tech;
  EXPECT_EQ("AB EF ", found("1", ""));
  query_within = &list;
  EXPECT_EQ("CD EF ", found("1", ""));
  query_within = nullptr;
  Screening s;
  std::string error;
  ASSERT_TRUE(read_screen_pair("rsi > 50 and volsum > avgvol and pct > close", " rsi ", &s, &error));
  EXPECT_EQ((std::vector<int>{query_measure_index("volsum"), query_measure_index("avgvol")}), screen_columns(s));
  ASSERT_TRUE(read_screen_pair("volsum > 2 * avgvol and rsi > 50 and close > 1", "close / 2", &s, &error));
  std::vector<ScreenRow> rows = run_screen(s);
  TempDir out;
  int fd = open(out.file("f").c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_TRUE(write_screen(s, rows, fd, false, 2) && write_screen(s, rows, fd, true, 1));
  close(fd);
  EXPECT_EQ("symbol       close       pct close / 2    volsum    avgvol       rsi\n"
            "AB           30.00      5.00     15.00   1000.00    300.00     70.00\n"
            "EF           12.00      5.00      6.00   1000.00    300.00     70.00\n" +
                query_csv_header() + [&] {
                  std::string row;
                  append_query_csv_row(row, rows[0].rec);
                  return row;
                }(),
            read_file(out.file("f")));
}

// The files: comments, blank lines, CRLF, a name given twice (the later one
// counts and is said), bad lines said with their number, unknown symbols.
TEST_F(OwnScreens, FilesOfScreensAndWatchlists) {
  work.write("general/screens", "# mine\r\nup: pct > 5\r\n\r\nbad line\n: pct\nsorted: close > 1 ; sort -pct\n"
                                "up:pct > 6;sort volsum\nworse: pct > 1; order pct\nnone:  \n");
  std::vector<std::string> said;
  std::vector<SavedScreen> s = read_saved_screens(&said);
  ASSERT_EQ(2u, s.size());
  EXPECT_EQ((std::vector<std::string>{"up", "pct > 6", "volsum", "7", "sorted", "close > 1", "-pct", "6"}),
            (std::vector<std::string>{s[0].name, s[0].where, s[0].sort, std::to_string(s[0].line), s[1].name,
                                      s[1].where, s[1].sort, std::to_string(s[1].line)}));
  EXPECT_EQ((std::vector<std::string>{"screens:4: no ':' after a name", "screens:5: no name before ':'",
                                      "screens:7: 'up' again: this one counts, not line 2",
                                      "screens:8: '; sort' and an expression expected after the condition",
                                      "screens:9: no condition after 'none:'"}),
            said);
  work.write("general/watchlists", "# keep\nmine: AB CD\r\ntech: EF,ZZ, ZZ\nmine: CD\tQQ\n");
  said.clear();
  std::vector<Watchlist> w = read_watchlists(&said);
  ASSERT_EQ(2u, w.size());
  EXPECT_EQ((std::vector<std::string>{"CD", "QQ"}), w[0].symbols);
  EXPECT_EQ((std::vector<std::string>{"EF", "ZZ", "ZZ"}), w[1].symbols);
  EXPECT_EQ((std::vector<std::string>{"watchlists:3: 'ZZ' is no security of the company table (kept)",
                                      "watchlists:4: 'QQ' is no security of the company table (kept)",
                                      "watchlists:4: 'mine' again: this one counts, not line 2"}),
            said);
  std::string error;
  ASSERT_TRUE(save_watchlist({"mine", {"AB", "EF"}}, &error)) << error;
  ASSERT_TRUE(save_watchlist({"new", {}}, &error)) << error;
  EXPECT_EQ("# keep\nmine: AB EF\r\ntech: EF,ZZ, ZZ\nnew:\n", read_file(work.file("general/watchlists")));
  EXPECT_FALSE(save_watchlist({"a:b", {"AB"}}, &error));
  Within within;
  EXPECT_TRUE(find_within("tech", &within, &said) && within.group == 0 && within.symbols.size() == 3);
  EXPECT_TRUE(find_within("2", &within, &said) && within.group == 2 && within.symbols.empty());
  EXPECT_FALSE(find_within("nosuch", &within, &said));
}

// kadmer-scan's screens agree with the lists they restate, on a copy of the
// demo database (a watchlist is written into it).
TEST(ScanScreens, AgreeWithTheListsAndSayWhatIsWrong) {
  TempDir dir;
  fs::copy(KADMER_SOURCE_DIR "/data/sample", dir.path(), fs::copy_options::recursive);
  auto scan = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--start", "2026-09-01", "--end", "2026-12-04"});
    return run_program(KADMER_SCAN, args, in_dir(dir.path()));
  };
  // The rows of a list's CSV, and the first of them for which `keep` holds.
  auto rows = [&](std::vector<std::string> args, int column, bool (*keep)(double)) {
    std::vector<std::string> lines = split_lines(scan(args).out), kept;
    for (std::size_t i = 1; i < lines.size(); ++i)
      if (keep(std::stod(fields(lines[i], ',')[static_cast<std::size_t>(column)]))) kept.push_back(lines[i]);
    return kept;
  };
  auto all = [](double) { return true; };
  auto rising = [](double v) { return v > 0; };
  EXPECT_EQ(rows({"--list", "percent", "--csv"}, 4, rising), rows({"--where", "pct > 0", "--csv"}, 4, all));
  std::vector<std::string> volume = rows({"--list", "volume", "--csv"}, 12, rising),
                           every = rows({"--where", "1", "--sort", "volsum", "--csv"}, 12, all);
  ASSERT_GT(every.size(), volume.size() - 1);
  EXPECT_EQ(volume, std::vector<std::string>(every.begin(), every.begin() + static_cast<long>(volume.size())));
  auto strong = [](double v) { return v > 60; };
  EXPECT_EQ(rows({"--list", "rsi", "--csv"}, 30, strong), rows({"--where", "rsi > 60", "--sort", "rsi", "--csv"}, 30, all));
  EXPECT_FALSE(rows({"--where", "rsi > 60", "--csv"}, 30, all).empty());
  // Saved screens and watchlists; --within keeps a list and a screen to one.
  std::ofstream(dir.file("general/screens")) << "risers: pct > 0 and group(\"TECH\"); sort close\nbad: pct >\n";
  RunResult saved = scan({"--screen", "risers", "--save-watchlist", "up", "--count", "2"});
  std::vector<std::string> up = split_lines(saved.out);
  ASSERT_EQ(3u, up.size()) << saved.err;
  std::string listed = "up: " + fields(up[1], ' ')[0] + " " + fields(up[2], ' ')[0] + "\n";
  EXPECT_EQ(listed, read_file(dir.file("general/watchlists")));
  EXPECT_EQ(2u, split_lines(scan({"--list", "price", "--within", "up", "--csv"}).out).size() - 1);
  EXPECT_EQ(rows({"--screen", "risers", "--csv"}, 4, all), rows({"--where", "pct > 0", "--within", "TECH", "--sort",
                                                                 "close", "--csv"}, 4, all));
  EXPECT_EQ(rows({"--screen", "risers", "--sort", "pct", "--csv"}, 4, all),
            rows({"--where", "pct > 0", "--within", "TECH", "--csv"}, 4, all));
  RunResult list = run_program(KADMER_SCAN, {"--screens"}, in_dir(dir.path()));
  EXPECT_EQ("risers: pct > 0 and group(\"TECH\"); sort close\nbad: pct >\n", list.out);
  // A bad screen is said before any day file is read: status 2 even without data.
  struct { std::vector<std::string> args; const char* said; } bad[] = {
      {{"--where", "pcnt > 1"}, "screen: unknown measure 'pcnt' at column 1 (did you mean pct?)"},
      {{"--screen", "bad"}, "screens:2: screen: a number, a measure or '(' expected at column 6"},
      {{"--screen", "nosuch"}, "no screen 'nosuch' in ./general/screens"},
      {{"--where", "1", "--within", "nosuch"}, "no watchlist or group 'nosuch'"}};
  // The Fibonacci verdicts need no average: a screen of them runs without one.
  std::ofstream(dir.file(".kadmer"), std::ios::app) << "mvavgdays=0\n";
  EXPECT_EQ(0, scan({"--where", "fibstate == 0"}).status);
  EXPECT_EQ("kadmer-scan: load_query_extra: moving-average days is 0\n", scan({"--where", "rsi > 0"}).err);
  for (const auto& b : bad) {
    std::vector<std::string> args = b.args;
    args.insert(args.end(), {"--start", "1990-01-01", "--end", "1990-02-01"});
    RunResult r = run_program(KADMER_SCAN, args, in_dir(dir.path()));
    EXPECT_EQ((std::tuple{2, "kadmer-scan: " + std::string(b.said) + "\n"}), (std::tuple{r.status, r.err}));
  }
  for (std::vector<std::string> usage : {std::vector<std::string>{"--sort", "pct"}, {"--where", "1", "--list", "rsi"},
                                         {"--where", "1", "--screen", "x"}, {"--save-watchlist", "x"}})
    EXPECT_EQ(2, scan(usage).status) << usage[0];
}

}  // namespace

// kadmer-import end to end: CSV in its common shapes into the database, read
// back through the loader (kadmer-dump); merging, refusing, and files that a
// failed write leaves as they were or complete.

#include "support/fixtures.h"

#include "tools/kadmer-import.h"

namespace {

struct Csv {
  int y, m, d;
  double high, low, close, volume;
};

// Weekdays from 13 Dec 1999 across the century turn.
std::vector<Csv> days(int n, double base = 20) {
  std::vector<Csv> out;
  for (long day = day_number(1999, 12, 13); static_cast<int>(out.size()) < n; ++day) {
    if (weekday_of(day) == 0 || weekday_of(day) == 6) continue;
    Csv c{};
    civil_date(day, &c.y, &c.m, &c.d);
    double i = static_cast<double>(out.size());
    c.close = base + std::round(std::sin(i / 7) * 80) / 16;  // sixteenths: exact in a float
    c.high = c.close + 0.375, c.low = c.close - 0.8125, c.volume = 123456 + i * 1000;
    out.push_back(c);
  }
  return out;
}

class Import : public ::testing::Test {
 protected:
  TempDir db;
  void SetUp() override {
    db.write(".kadmer", "generaldir=general\nsymboldir=symbols\ndaydir=days\n");
    for (const char* d : {"general", "symbols", "days"}) db.mkdir(d);
    db.write("general/groups", "1:Technology:TECH:\n2:Drugs:DRUG:\n");
    db.write("general/companys", "# companies\nAN:Existing:S:N::261204-0:\nFND:A fund:M:::261204-0:\n"
                                 "IDX:An index:I:2::261204-0:\n");
  }
  RunResult import(std::vector<std::string> args) { return run_program(KADMER_IMPORT, args, in_dir(db.path())); }
  // The exit status and the counts line of a run, in one text to compare.
  static std::string said(const RunResult& r) { return std::to_string(r.status) + " " + r.out; }
  // The loaded days with trading: date, high, low, close, volume.
  std::vector<std::string> loaded(const std::string& sym) {
    RunResult r = run_program(KADMER_DUMP, {sym}, in_dir(db.path()));
    EXPECT_EQ(0, r.status) << r.err;
    std::vector<std::string> out;
    for (const std::string& l : split_lines(r.out)) {
      std::vector<std::string> f = fields(l, ',');
      if (f.size() > 6 && f[6] == "0") out.push_back(f[0] + " " + f[2] + " " + f[3] + " " + f[4] + " " + f[5]);
    }
    return out;
  }
  // Every file of the database, hidden ones too, but the imports' lock.
  std::map<std::string, std::string> files() {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(db.path()))
      if (e.is_regular_file() && e.path().extension() != ".csv" && e.path().filename() != ".kadmer-import.lock")
        out[e.path().string()] = read_file(e.path().string());
    return out;
  }
};

std::string g9(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%.9g", static_cast<double>(static_cast<float>(v)));
  return b;
}

// 0: 1999-12-13, 1: 12/13/1999, 2: 19991213.
std::string date_text(int style, const Csv& q) {
  char b[16];
  if (style == 1) std::snprintf(b, sizeof b, "%02d/%02d/%04d", q.m, q.d, q.y);
  else std::snprintf(b, sizeof b, style ? "%04d%02d%02d" : "%04d-%02d-%02d", q.y, q.m, q.d);
  return b;
}

std::vector<std::string> expected(const std::vector<Csv>& cs, double volume_divisor) {
  std::vector<std::string> out;
  for (const Csv& c : cs)
    out.push_back(date_text(0, c) + " " + g9(c.high) + " " + g9(c.low) + " " + g9(c.close) + " " +
                  std::to_string(std::llround(c.volume / volume_divisor)));
  return out;
}

TEST_F(Import, EveryDateStyleAndShapeRoundTripsThroughTheLoader) {
  struct Case {
    const char *lead, *header, *line_end;
    std::vector<std::string> args;
    std::string (*row)(const Csv&, const std::string& date);
  };
  const std::vector<Case> cases = {
      {"", "Date,Open,High,Low,Close,Adj Close,Volume", "\n", {"new.csv"},
       [](const Csv& q, const std::string& d) { return d + ",1," + g9(q.high) + "," + g9(q.low) + "," + g9(q.close) +
                                                       ",9," + std::to_string(long(q.volume)); }},
      {"\xEF\xBB\xBF", "date;close;HIGH;low;volume", "\r\n", {"--output", "day", "new.csv"},
       [](const Csv& q, const std::string& d) {
         std::string r = d + ";" + g9(q.close) + ";" + g9(q.high) + ";" + g9(q.low) + ";" + std::to_string(long(q.volume));
         std::replace(r.begin(), r.end(), '.', ',');  // decimal commas
         return r;
       }},
      {"\n\n", "\"Volume\",Close,Low,High,Date,volume", "\n\n", {"--output", "both", "new.csv"},
       [](const Csv& q, const std::string& d) { return std::string("\"") + std::to_string(long(q.volume)) + "\"," + g9(q.close) +
                                                       "," + g9(q.low) + "," + g9(q.high) + "," + d + ","; }},
      {"", "Symbol,Date,High,Low,Close,Volume", "\n", {"--volume-unit", "hundreds", "new.csv"},
       [](const Csv& q, const std::string& d) { return "new," + d + "," + g9(q.high) + "," + g9(q.low) + "," +
                                                       g9(q.close) + "," + std::to_string(long(q.volume)); }},
  };
  std::vector<Csv> cs = days(30);
  for (std::size_t k = 0; k < cases.size(); ++k) {
    SCOPED_TRACE(k);
    const Case& c = cases[k];
    for (const char* d : {"symbols", "days"}) fs::remove_all(db.file(d));
    std::string text = std::string(c.lead) + c.header + c.line_end;
    for (const Csv& q : cs) text += c.row(q, date_text(k % 3, q)) + c.line_end;
    db.write("new.csv", text);
    RunResult r = import(c.args);
    std::string records = k == 2 ? "60" : "30";
    ASSERT_EQ("0 kadmer-import: " + records + " added, 0 replaced, 0 unchanged, 0 refused, 0 bad\n", said(r)) << r.err;
    EXPECT_EQ(expected(cs, k == 3 ? 1 : 100), loaded("NEW"));
    // The new company is listed once, whatever the outputs, and its history
    // file starts with a day (the loader sizes its array by the first line);
    // an import to the day files alone writes none.
    std::string companys = read_file(db.file("general/companys"));
    std::string line = "NEW:NEW:S:N::" + date_text(2, cs.back()).substr(2) + "-0:\n";
    EXPECT_TRUE(companys.find(line) != std::string::npos && companys.find("\nNEW:") == companys.rfind("\nNEW:")) << companys;
    EXPECT_EQ(k == 1 ? "" : "991213, ", read_file(db.file("symbols/NEW")).substr(0, 8));
  }
}

TEST_F(Import, ASecondImportChangesNothingAConflictIsRefusedAndReplaceWins) {
  auto csv = [&](const std::vector<Csv>& cs) {
    std::string t = "Date,High,Low,Close,Volume\n";
    for (const Csv& q : cs)
      t += date_text(0, q) + "," + g9(q.high) + "," + g9(q.low) + "," + g9(q.close) + "," +
           std::to_string(long(q.volume)) + "\n";
    return t;
  };
  std::vector<Csv> cs = days(8);
  db.write("AN.csv", csv(cs));
  ASSERT_EQ(0, import({"--output", "both", "AN.csv"}).status);
  auto before = files();
  auto stamp = fs::last_write_time(db.file("symbols/AN"));
  RunResult again = import({"--output", "both", "AN.csv"});
  EXPECT_EQ("0 kadmer-import: 0 added, 0 replaced, 16 unchanged, 0 refused, 0 bad\n", said(again));
  EXPECT_TRUE(before == files() && stamp == fs::last_write_time(db.file("symbols/AN")));

  // A day that differs from the files, and one given twice with other values:
  // refused, nothing touched, with or without --strict.
  cs[2].high += 1;
  Csv twice = cs[5];
  twice.close = 99;
  cs.push_back(twice);
  db.write("AN.csv", csv(cs));
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--output", "both", "AN.csv"}, {"--strict", "--output", "both", "AN.csv"}}) {
    RunResult r = import(args);
    std::string counts = args[0] == "--strict" ? "0 unchanged, 1 refused" : "14 unchanged, 3 refused";
    EXPECT_EQ("1 kadmer-import: 0 added, 0 replaced, " + counts + ", 0 bad\n", said(r));  // a strict run says it too
    std::vector<std::string> whys = {"AN.csv:10: AN 1999-12-20 differs from AN.csv:7: refused",
                                     "AN.csv:4: AN 1999-12-15 differs from symbols/AN: refused",
                                     "AN.csv:4: AN 1999-12-15 differs from days/s991215: refused"};
    if (args[0] == "--strict") whys.resize(1);  // it stops before it reads the files
    for (const std::string& why : whys) EXPECT_NE(std::string::npos, r.err.find(why)) << why << r.err;
    EXPECT_TRUE(before == files());
  }
  RunResult r = import({"--output", "symbol", "--replace", "AN.csv"});
  EXPECT_EQ("0 kadmer-import: 0 added, 2 replaced, 6 unchanged, 0 refused, 0 bad\n", said(r));
  std::vector<std::string> rows = loaded("AN");
  ASSERT_EQ(8u, rows.size());
  EXPECT_EQ((std::array<std::string, 2>{g9(cs[2].high), "99"}),
            (std::array{fields(rows[2], ' ')[1], fields(rows[5], ' ')[3]}));  // the later line of the day holds
}

TEST_F(Import, DayFilesStaySortedAndEachKindGoesToItsFile) {
  db.write("days/s991213", "# stocks\nA,1, 1, 1, 1\nAN,2, 2, 2, 2\nC,3, 3, 3, 3\nX,bad line\n");
  db.write("many.csv", "Ticker,Date,Close,Volume\nd,1999-12-13,4,400\nB,1999-12-13,5,500\nAB,1999-12-13,6,600\n"
                       "FND,1999-12-13,7.000000004,0\nIDX,1999-12-13,450.25,0\nAN,1999-12-13,2,300\n");
  RunResult r = import({"--output", "day", "--name", "Imported Co", "--groups", "tech,,DR,", "many.csv"});
  EXPECT_EQ("1 kadmer-import: 5 added, 0 replaced, 0 unchanged, 1 refused, 0 bad\n", said(r));  // AN's volume differs
  EXPECT_EQ("# stocks\nA,1, 1, 1, 1\nAB,6, 6, 6, 6\nAN,2, 2, 2, 2\nB,5, 5, 5, 5\nC,3, 3, 3, 3\nD,4, 4, 4, 4\n"
            "X,bad line\n", read_file(db.file("days/s991213")));
  EXPECT_EQ("FND,7, 7, 7, 0\n", read_file(db.file("days/f991213")));
  EXPECT_EQ("2IDX,450.25, 450.25, 450.25, 0\n", read_file(db.file("days/i991213")));
  EXPECT_EQ(std::string::npos, read_file(db.file("general/companys")).find("FND:FND"));
  EXPECT_NE(std::string::npos, read_file(db.file("general/companys")).find("AB:Imported Co:S:N:TECH,DR:991213-0:\n"));
  EXPECT_EQ(std::vector<std::string>{"1999-12-13 6 6 6 6"}, loaded("AB"));
  EXPECT_EQ(std::vector<std::string>{"1999-12-13 4 4 4 4"}, loaded("D"));  // found before the scan stops at X
}

TEST_F(Import, BadLinesAreNamedAndCountedAndBadOptionsWriteNothing) {
  db.write("AN.csv", "Date,High,Low,Close,Volume\n2000-01-03,2,1,1.5,100\n2000-13-01,2,1,1.5,100\n"
                     "2000-01-04,2,1,,100\n2000-01-05,1,2,1.5,100\n1968-12-31,2,1,1.5,100\n2000-01-06,2,1\n"
                     "2000-01-07,2,1,1.5,-5\n2000-01-10,2,1,1.5e1,100\n2000-01-11,2,1,1" + std::string(39, '0') +
                     ",1\n2000-01-12,1,0,0.0000004,1\n2000-01-13,2,1,1.5,1.5\n"
                     "2000-01-14,2,1,\"12\"5\",1\n2000-01-17,2,1,1.5,\"100\n2000-01-18,2,1,12,5,1000\n2000-01-19,2,1,1\"5,1\n"
                     "\"2000-01-20\", \"2\" ,\"1\",\"1.5\",\"100\"\n");  // quotes as RFC 4180 has them
  RunResult r = import({"AN.csv"});
  EXPECT_EQ("1 kadmer-import: 2 added, 0 replaced, 0 unchanged, 1 refused, 13 bad\n", said(r));
  for (int line = 3; line <= 17; ++line)
    EXPECT_EQ(line < 17, r.err.find("AN.csv:" + std::to_string(line) + ": ") != std::string::npos) << line << r.err;
  EXPECT_EQ("000103, 2, 1, 1.5, 1\n000120, 2, 1, 1.5, 1\n", read_file(db.file("symbols/AN")));
  // Between semicolons points group thousands, every three digits or not at all.
  db.write("S.csv", "Date;Close;Volume\n2000-01-03;1.234,5;12.345.678\n2000-01-04;150.000;150.000\n2000-01-05;12.5;1\n"
                    "2000-01-06;1.23.456;1\n2000-01-07;1.5;1\n");
  EXPECT_EQ("kadmer-import: 2 added, 0 replaced, 0 unchanged, 0 refused, 3 bad\n", import({"--symbol", "semi", "S.csv"}).out);
  EXPECT_EQ("000103, 1234.5, 1234.5, 1234.5, 123457\n000104, 150000, 150000, 150000, 1500\n", read_file(db.file("symbols/SEMI")));

  auto before = files();
  db.write("x.csv", "When,Close\n2000-01-03,1\n");
  // Nothing that would break the company table's lines gets in.
  const std::string name = "a name is at most 40 characters, without ':' or control characters";
  struct { std::vector<std::string> args; std::string says; } bad_options[] = {
      {{}, "no CSV file"}, {{"--output", "all"}, "--output"}, {{"--type", "Q"}, "--type"}, {{"--groups", "NOPE"}, "no group NOPE"},
      {{"--groups", "TECH,,DR,NOPE"}, "no group NOPE"}, {{"--groups", "TE-CH"}, "groups are codes of letters, digits and '.'"},
      {{"--symbol", "AB", "x.csv"}, "--symbol names the security of one file"}, {{"--symbol", "../etc"}, "no valid symbol"},
      {{"--symbol", "LONGSYMBOLXYZ"}, "the symbol \"LONGSYMBOLXYZ\" is longer than 8 characters"},
      {{"--name", "a:b"}, name}, {{"--name", "a\rb"}, name}, {{"--name", "\x1b[31mred"}, name},
      {{"--market", "\n"}, "--market is one letter or digit"}, {{"--market", ":"}, "--market is one letter or digit"}};
  for (auto& [args, says] : bad_options) {
    if (!args.empty()) args.push_back("AN.csv");
    RunResult u = import(args);
    EXPECT_TRUE(u.status == 2 && u.err.find("kadmer-import: " + says) == 0 && u.err.find("\nusage: kadmer-import") != std::string::npos)
        << says << u.err;
  }
  RunResult no_date = import({"x.csv"});
  EXPECT_EQ(1, no_date.status);
  EXPECT_NE(std::string::npos, no_date.err.find("x.csv:1: the header names no Date or no Close column"));
  EXPECT_TRUE(before == files());  // files() leaves out every .csv
}

// What the loaders would not see is never written: a new history file would
// hide the security's day files, a line out of order or without a comma
// stops the stock scan, a line beginning with NUL ends a file.
TEST_F(Import, NothingIsWrittenWhereTheLoadersWouldNotSeeIt) {
  db.write("days/s991213", "A,1, 1, 1, 1\nAN,2.0000002, 2, 2.0000002, 200\nBADLINE\nC,3, 3, 3, 3\n");
  db.write("days/s991214", "AN,2.5, 2.5, 2.5, 250\n");
  db.write("days/f991213", "FND,7, 6, 7, 0\n");
  db.write("symbols/UNS", "991215, 5, 5, 5, 5\n991213, 3, 3, 3, 3\n");
  db.write("symbols/NUL", std::string("991213, 3, 3, 3, 3\n\0\n", 22));
  ASSERT_EQ(0, mkfifo(db.file("symbols/FIF").c_str(), 0644));  // it hung the import
  db.write("in.csv", "Symbol,Date,Close,Volume\nAN,1999-12-15,4,400\nUNS,1999-12-13,4,4\nNUL,1999-12-14,4,4\n"
                     "FIF,1999-12-14,4,4\n");
  RunResult r = import({"--replace", "in.csv"});  // UNS's line out of order is not read: not replaced
  EXPECT_EQ("1 kadmer-import: 1 added, 0 replaced, 0 unchanged, 3 refused, 0 bad\n", said(r));
  EXPECT_NE(std::string::npos, r.err.find("symbols/FIF is not a regular file\nkadmer-import: symbols/FIF: 1 day refused"));
  EXPECT_NE(std::string::npos, r.err.find("AN: its 2 days of the day files start its new history file")) << r.err;
  EXPECT_EQ((std::vector<std::string>{"1999-12-13 2.0000002 2 2.0000002 200", "1999-12-14 2.5 2.5 2.5 250",
                                      "1999-12-15 4 4 4 4"}),
            loaded("AN"));  // as the day files gave them: written with six digits, 2.0000002 became 2
  EXPECT_EQ("991213, 2.0000002, 2, 2.0000002, 200\n991214, 2.5, 2.5, 2.5, 250\n",
            read_file(db.file("symbols/AN")).substr(0, 64));  // no more digits than they take
  EXPECT_EQ("991215, 5, 5, 5, 5\n991213, 3, 3, 3, 3\n", read_file(db.file("symbols/UNS")));  // not twice
  EXPECT_EQ(22u, read_file(db.file("symbols/NUL")).size());

  // A fund's high and low are its close: a CSV that differs there only is
  // unchanged. A new stock goes before the line without a comma. A day-file
  // import of a security with a history file is told it will not be charted.
  // A line of a day file out of order is the day all the same.
  db.write("days/s991215", "ZZ,1, 1, 1, 1\nAA,1, 1, 1, 1\n");
  db.write("day.csv", "Symbol,Date,High,Low,Close,Volume\nFND,1999-12-13,9,1,7,0\nAA,1999-12-13,1,1,1,0\n"
                      "AN,1999-12-14,2.5,2.5,2.5,25000\nAA,1999-12-15,1,1,1,100\n");
  r = import({"--output", "day", "day.csv"});
  EXPECT_EQ("kadmer-import: 1 added, 0 replaced, 3 unchanged, 0 refused, 0 bad\n", r.out);
  EXPECT_NE(std::string::npos, r.err.find("AN: the chart reads its history file, not the day files")) << r.err;
  EXPECT_EQ((std::vector<std::string>{"1999-12-13 1 1 1 0", "1999-12-15 1 1 1 1"}), loaded("AA"));

  // Without directory settings, or with a company table the readers stop in, nothing is written.
  db.write("general/companys", read_file(db.file("general/companys")) + std::string(1, '\0') + "\n");
  auto before = files();
  db.write("new.csv", "Date,Close\n1999-12-13,1\n");
  EXPECT_EQ(1, import({"new.csv"}).status);
  fs::remove(db.file(".kadmer"));
  RunResult none = import({"new.csv"});
  EXPECT_EQ((std::tuple{2, std::string("kadmer-import: no generaldir in the settings (.kadmer): nothing written\n")}),
            (std::tuple{none.status, none.err}));
  before.erase(db.file(".kadmer"));
  EXPECT_TRUE(before == files());
}

// A write that fails at any byte (the file size limit makes it fail) leaves
// every file as it was or complete, and no temporary file behind.
TEST_F(Import, AFailedWriteLeavesEveryFileAsItWasOrComplete) {
  db.write("days/s991213", "A,2, 2, 2, 2\nC,3, 3, 3, 3\n");
  db.write("symbols/AN", "991210, 2, 2, 2, 2\n");
  db.write("general/companys", read_file(db.file("general/companys")) + "#" + std::string(3000, '-') + "\n");
  std::string csv = "Symbol,Date,Close\n";
  std::vector<Csv> cs = days(40);
  for (std::size_t i = 0; i < cs.size(); ++i)
    for (const char* s : {"AN", "B", "ZZ"})
      if (i < 3 || s[0] == 'Z') csv += std::string(s) + "," + date_text(2, cs[i]) + "," + g9(cs[i].close) + "\n";
  db.write("in.csv", csv);
  auto before = files();
  ASSERT_EQ(0, import({"--output", "both", "in.csv"}).status);
  auto complete = files();
  std::vector<int> written;  // files changed and complete, by limit
  for (int limit : {0, 400, 2500}) {
    for (const auto& [path, text] : files()) fs::remove(path);
    for (const auto& [path, text] : before) db.write(path.substr(db.path().size() + 1), text);
    RunResult r = run_program("/usr/bin/prlimit", {"--fsize=" + std::to_string(limit), KADMER_IMPORT, "--output",
                                                   "both", "in.csv"}, in_dir(db.path()));
    EXPECT_EQ(3, r.status) << limit << r.err;
    int n = 0;
    for (const auto& [path, text] : files()) {
      bool as_was = before.count(path) && before[path] == text, done = complete.count(path) && complete[path] == text;
      EXPECT_TRUE(as_was || done) << limit << " " << path;
      n += done && !as_was;
    }
    written.push_back(n);
  }
  // Nothing, then some of the histories, then everything but the company table.
  EXPECT_EQ((std::vector<int>{0, written[1], int(complete.size() - before.size()) + 2}), written);
  EXPECT_GT(written[1], 0);
}

// Imports take turns on every folder they write to. Rounds of three at once
// lose nothing: P and Q write into two databases that share their history
// or day files (each with a company table of its own), each a security of
// its own and a day of one they share, S; R shares P's company table only.
// Each used to keep one run's lines, or one's clean-up removed the file
// another was about to rename.
TEST_F(Import, ImportsAtOnceLoseNoDay) {
  db.write("q.kadmer", "generaldir=general2\nsymboldir=symbols\ndaydir=days\n");
  db.write("r.kadmer", "generaldir=general\nsymboldir=symbols-r\ndaydir=days-r\n");
  db.mkdir("general2");
  std::vector<Csv> cs = days(20);
  std::vector<std::string> symbols;  // P0 to P9 (one a round), Q0 to Q9, R0 to R9, S
  for (int i = 0; i < 31; ++i) symbols.push_back(i < 30 ? "PQR"[i / 10] + std::to_string(i % 10) : "S");
  for (std::string output : {"day", "symbol"}) {
    // Each output starts without folders: new history files start empty, not with these days.
    for (const char* d : {"days", "symbols"}) fs::remove_all(db.file(d));
    for (int round = 0; round < 10; ++round) {
      for (int k = 0; k < 3; ++k) {
        std::string csv = "Symbol,Date,Close\n" + (k < 2 ? "S," + date_text(0, cs[2 * round + k]) + ",1\n" : "");
        for (const Csv& q : cs) csv += symbols[10 * k + round] + "," + date_text(0, q) + "," + g9(q.close) + "\n";
        db.write(std::to_string(k) + ".csv", csv);
      }
      Running p(KADMER_IMPORT, {"--output", output, "0.csv"}, in_dir(db.path()));
      Running q(KADMER_IMPORT, {"--config", "q.kadmer", "--output", output, "1.csv"}, in_dir(db.path()));
      Running r(KADMER_IMPORT, {"--config", "r.kadmer", "--output", output, "2.csv"}, in_dir(db.path()));
      for (Running* run : {&p, &q, &r}) EXPECT_EQ(0, run->wait(60).status) << output << round << run->err_so_far();
    }
    // The symbols of each shared day file or the days of each shared history
    // file, and the company table of P and R.
    std::map<std::string, std::vector<std::string>> want{{"companys", {"# companies", "AN", "FND", "IDX"}}}, got;
    for (const std::string& sym : symbols) {
      if (sym[0] != 'Q') want["companys"].push_back(sym);
      for (std::size_t i = 0; i < cs.size() && sym[0] != 'R'; ++i)
        if (std::string day = date_text(2, cs[i]).substr(2); output == "day") want["s" + day].push_back(sym);
        else want[sym].push_back(day);
    }
    for (const auto& e : fs::directory_iterator(db.file(output == "day" ? "days" : "symbols")))
      if (std::string name = e.path().filename(); name[0] != '.')
        for (const std::string& l : split_lines(read_file(e.path()))) got[name].push_back(l.substr(0, l.find(',')));
    for (const std::string& l : split_lines(read_file(db.file("general/companys"))))
      got["companys"].push_back(l.substr(0, l.find(':')));
    std::sort(got["companys"].begin(), got["companys"].end());
    EXPECT_EQ(want, got) << output;
  }
}

// An import takes the folders it writes to in one order, by device and
// inode, whatever the settings name first, and holds none while it waits for
// the first, saying so; a folder named twice (here through a link) is one lock.
TEST_F(Import, AnImportWaitsForItsFoldersInOneOrder) {
  for (const char* d : {"x", "y"}) db.mkdir(d);
  struct stat x, y;
  ASSERT_EQ(0, stat(db.file("x").c_str(), &x) + stat(db.file("y").c_str(), &y));
  std::string first = std::pair{x.st_dev, x.st_ino} < std::pair{y.st_dev, y.st_ino} ? "x" : "y",
              last = first == "x" ? "y" : "x";
  fs::create_symlink(first, db.file("link"));
  db.write("three.kadmer", "generaldir=" + last + "\nsymboldir=" + first + "\ndaydir=link\n");
  db.write("AN.csv", "Date,Close\n1999-12-13,1\n");
  int lock = open(db.file(first + "/.kadmer-import.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  ASSERT_EQ(0, flock(lock, LOCK_EX));
  Running three(KADMER_IMPORT, {"--config", "three.kadmer", "--output", "both", "AN.csv"}, in_dir(db.path()));
  for (int i = 0; i < 500 && three.err_so_far().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ("kadmer-import: waiting for another import to finish (" + first + "/.kadmer-import.lock)\n", three.err_so_far());
  int other = open(db.file(last + "/.kadmer-import.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  EXPECT_EQ(0, flock(other, LOCK_EX | LOCK_NB));
  close(other);
  EXPECT_TRUE(three.alive());
  close(lock);
  EXPECT_EQ(0, three.wait(20).status);
  db.write("three.kadmer", "generaldir=" + last + "\nsymboldir=" + last + "\ndaydir=" + first + "\n");
  lock = open(db.file(first + "/.kadmer-import.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  ASSERT_EQ(0, flock(lock, LOCK_EX));  // a new history file starts with the day files: they are locked too
  Running history(KADMER_IMPORT, {"--config", "three.kadmer", "--symbol", "NEW", "AN.csv"}, in_dir(db.path()));
  for (int i = 0; i < 500 && history.err_so_far().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(history.alive());
  close(lock);
  EXPECT_EQ(0, history.wait(20).status);
}

// A link in the database stays a link: the file it names is written. The
// folder it points into is not locked, so what stands there is left alone.
TEST_F(Import, WritesGoThroughSymbolicLinks) {
  db.mkdir("shared");
  db.write("shared/AN", "991210, 2, 2, 2, 2\n");
  fs::create_symlink("../shared/AN", db.file("symbols/AN"));
  fs::rename(db.file("general/companys"), db.file("shared/companys"));
  fs::create_symlink(db.file("shared/companys"), db.file("general/companys"));
  db.write("shared/.AN.kadmer-import-Zz9Yy8", "another import's, being written\n");
  db.write("in.csv", "Symbol,Date,Close\nAN,1999-12-13,3\nNEW,1999-12-13,4\n");
  RunResult r = import({"in.csv"});
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_TRUE(fs::is_symlink(db.file("symbols/AN")) && fs::is_symlink(db.file("general/companys")));
  EXPECT_EQ("991210, 2, 2, 2, 2\n991213, 3, 3, 3, 0\n", read_file(db.file("shared/AN")));
  EXPECT_NE(std::string::npos, read_file(db.file("shared/companys")).find("\nNEW:NEW:S:N::991213-0:\n"));
  EXPECT_EQ(8u, files().size());  // the links, the files they name, NEW's history, .kadmer, the groups, the other's: no more
}

// An import killed at a random moment leaves each file as it was or
// complete; the next one removes the temporary files a killed one left
// (they stayed for ever) and finishes the work.
TEST_F(Import, AKilledImportLeavesFilesOldOrNewAndTheNextFinishesIt) {
  std::string csv = "Symbol,Date,Close\n";
  std::vector<Csv> cs = days(60);
  for (const char* s : {"AN", "B", "ZZ"})
    for (const Csv& q : cs) csv += std::string(s) + "," + date_text(2, q) + "," + g9(q.close) + "\n";
  db.write("in.csv", csv);
  for (const char* left : {"symbols/.AN.kadmer-import-Ab12Cd", "days/.s991213.kadmer-import-000000",
                           "general/.companys.kadmer-import-zZ9yX8", "symbols/.kadmer-import-keep"})
    db.write(left, "a killed import's\n");
  auto before = files();
  auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(0, import({"--output", "both", "in.csv"}).status);
  auto took = std::chrono::steady_clock::now() - start;
  auto complete = files();
  EXPECT_EQ(before.size() - 3 + 3 + 60, complete.size());  // three left over gone (not the one named otherwise)
  std::mt19937 random(std::random_device{}());
  for (int trial = 0; trial < 4; ++trial) {
    for (const auto& [path, text] : files()) fs::remove(path);
    for (const auto& [path, text] : before) db.write(path.substr(db.path().size() + 1), text);
    auto delay = std::chrono::duration_cast<std::chrono::microseconds>(took) * (random() % 1000) / 1000;
    SCOPED_TRACE(delay.count());
    Running killed(KADMER_IMPORT, {"--output", "both", "in.csv"}, in_dir(db.path()));
    std::this_thread::sleep_for(delay);
    killed.stop();
    for (const auto& [path, text] : files())
      EXPECT_TRUE((before.count(path) && before[path] == text) || (complete.count(path) && complete[path] == text) ||
                  path.find(".kadmer-import-") != std::string::npos) << path;
    EXPECT_EQ(0, import({"--output", "both", "in.csv"}).status);
    EXPECT_TRUE(complete == files());
  }
}

// Two imports in one process (as the fuzz target runs them): the second
// reads the company table again, where the first added NEW.
TEST_F(Import, ASecondImportInOneProcessReadsTheTablesAgain) {
  db.write("in.csv", "Symbol,Date,Close\nNEW,1999-12-13,4\n");
  db.write("two.csv", "Symbol,Date,Close\nTWO,1999-12-13,5\n");
  std::vector<std::vector<std::string>> runs = {{"kadmer-import", "--name", "First Co", "in.csv"},
                                                {"kadmer-import", "in.csv", "two.csv"}};  // no name: its own
  std::FILE *sink = std::fopen("/dev/null", "w"), *out = std::tmpfile();
  std::string home = fs::current_path();
  fs::current_path(db.path());
  for (auto& args : runs) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    EXPECT_EQ(0, run_import(static_cast<int>(argv.size()), argv.data(), {out, sink, nullptr})) << args.size();
  }
  fs::current_path(home);
  std::fclose(sink);
  char said[256] = {};  // each run counts its own lines
  std::rewind(out);
  std::size_t n = std::fread(said, 1, sizeof said - 1, out);
  std::fclose(out);
  EXPECT_STREQ("kadmer-import: 1 added, 0 replaced, 0 unchanged, 0 refused, 0 bad\n"
               "kadmer-import: 1 added, 0 replaced, 1 unchanged, 0 refused, 0 bad\n", said) << n;
  std::string table = read_file(db.file("general/companys"));
  EXPECT_TRUE(table.find("\nNEW:First Co:") != std::string::npos && table.find("\nNEW:") == table.rfind("\nNEW:") &&
              table.find("\nTWO:TWO:") != std::string::npos) << table;
}

}  // namespace

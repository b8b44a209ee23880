// The tools end to end: the database generator and kadmer-dump. (That the
// generator's per-symbol files repeat its day files is checked by the
// loader's tests, which load a generated market both ways.)

#include "support/fixtures.h"

namespace {

// ---- kadmer-gen: deterministic, with a trading calendar ----

// The demo profile writes the bundled database byte for byte, on every
// machine: up to the end day, no Thanksgiving, no Saturday, but the Friday
// between them.
TEST(Generator, TheDemoProfileIsTheSampleDatabaseAndBadOptionsExitTwo) {
  TempDir a, b;
  ASSERT_EQ(0, run_program(KADMER_GEN, {"--out", a.file("db"), "--profile", "demo"}).status);
  std::map<std::string, std::string> made, sample;  // the text by path
  for (auto [root, text] : {std::pair{a.file("db"), &made}, {KADMER_SOURCE_DIR "/data/sample", &sample}})
    for (const auto& e : fs::recursive_directory_iterator(root))
      if (e.is_regular_file()) (*text)[fs::relative(e.path(), root)] = read_file(e.path());
  EXPECT_TRUE(made == sample) << "the demo is no longer data/sample";
  std::map<char, int> files;  // day files by kind
  for (auto& [path, text] : made) ++files[path.rfind("days/", 0) ? '-' : path[5]];
  auto has = [&](const char* f) { return int(made.count(std::string("days/") + f)); };
  EXPECT_EQ((std::array{300, 300, 300, 1, 0, 0, 1}), (std::array{files['s'], files['f'], files['i'], has("s261204"),
                                                              has("s261126"), has("s261128"), has("s261127")}));
  for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"--out"}, {"--out", "/tmp/x", "--days", "-3"},
                                               {"--out", "/tmp/x", "--end", "261304"}, {"--bogus"},
                                               {"--out", "/tmp/x", "--profile", "big"}}) {
    RunResult r = run_program(KADMER_GEN, args);
    EXPECT_TRUE(r.status == 2 && r.err.find("usage: kadmer-gen") != std::string::npos) << args.size() << r.err;
  }
  // A file it can not write ends it with the reason, also where the failure
  // shows only as the close writes out the buffer (the first, small file).
  b.write("plain", "");
  for (auto [limit, out, says] : {std::tuple{"--fsize=100", b.file("cut"), "/general/groups: File too large"},
                                  std::tuple{"--fsize=unlimited", b.file("plain/db"), "/general/groups: Not a directory"}}) {
    RunResult r = run_program("/usr/bin/prlimit", {limit, KADMER_GEN, "--out", out});
    EXPECT_EQ((std::tuple{1, "kadmer-gen: can not write " + out + says + "\n"}), (std::tuple{r.status, r.err}));
  }
}

// The real profile, read from its files: penny stocks and stocks over
// $1,000, a group of many members that no day has whole, a halt, names that
// fill the table's 40 characters and longer, a crash, and a company for
// every code of the market summary.
using RealProfile = MarketTest;

TEST_F(RealProfile, HasWhatTheDemoLacks) {
  TempDir db;
  ASSERT_EQ(0, run_program(KADMER_GEN, {"--out", db.file("m"), "--profile", "real", "--stocks", "300", "--days", "250"}).status);
  const std::vector<std::string> paths = stock_day_files(db.file("m/days"));  // in date order
  std::map<std::string, std::map<int, double>> closes;  // by symbol and day
  int days = 0;
  for (const std::string& path : paths) {
    for (const std::string& line : split_lines(read_file(path)))
      if (line[0] != '#') closes[fields(line, ',')[0]][days] = std::stod(fields(line, ',')[3]);
    ++days;
  }
  double low = 1e9, high = 0;
  int halts = 0, crashes = 0, never_whole = 0;
  std::vector<int> fell(days), both(days);  // over 10 %, of those that traded the day before
  for (auto& [sym, c] : closes)
    for (auto it = c.begin(), before = it; it != c.end(); before = it++) {
      low = std::min(low, it->second), high = std::max(high, it->second);
      halts += it->first - before->first > 3;
      if (it->first == before->first + 1) ++both[it->first], fell[it->first] += it->second < 0.9 * before->second;
    }
  for (int d = 0; d < days; ++d) crashes += fell[d] > both[d] / 2;
  std::map<std::string, std::set<std::string>> members;  // by group code
  std::set<std::size_t> name_sizes;
  for (const std::string& line : split_lines(read_file(db.file("m/general/companys")))) {
    std::vector<std::string> f = fields(line, ':');
    for (const std::string& g : line[0] == '#' ? std::vector<std::string>{} : fields(f[4], ',')) members[g].insert(f[0]);
    name_sizes.insert(line[0] == '#' ? 0 : f[1].size());
  }
  members.erase("");
  for (auto& [code, m] : members) {
    int d = 0;
    while (d < days && !std::all_of(m.begin(), m.end(), [&](auto& sym) { return closes[sym].count(d) > 0; })) ++d;
    never_whole += m.size() > 20 && d == days;
  }
  EXPECT_EQ((std::tuple{true, true, true, true, true, true}),
            (std::tuple{low < 1, high > 1000, never_whole > 0, halts > 0, crashes > 0,
                        name_sizes.count(40) && *name_sizes.rbegin() > 40}));
  use_database(db.file("m"));
  for (char market : {'N', 'O', 'A'})
    for (const LayoutCell& c : layout_of(market).cells) EXPECT_EQ('I', find_co(c.code).type) << c.code;
}

// ---- kadmer-dump: the numbers the chart works with, as CSV ----

using Dump = MarketTest;

TEST_F(Dump, PrintsTheChartsNumbersForTheChosenPeriodWindowAndSplit) {
  TempDir db;
  ASSERT_EQ(0, run_program(KADMER_GEN, {"--out", db.file("m"), "--stocks", "30", "--days", "120", "--end", "261204",
                                          "--absolute"}).status);
  std::string sym, config = db.file("m/.kadmer");  // the security with the longest history file
  std::uintmax_t longest = 0;
  for (const auto& e : fs::directory_iterator(db.file("m/symbols")))
    if (e.file_size() > longest) longest = e.file_size(), sym = e.path().filename();
  auto rows = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--config", config, "--mvavg-type", "2", "--mvavg-days", "10", "--stoch-days", "5"});
    args.push_back(sym);
    RunResult r = run_program(KADMER_DUMP, args);
    EXPECT_EQ(0, r.status) << r.err;
    std::vector<std::string> lines = split_lines(r.out);
    EXPECT_EQ("first,last,high,low,close,volume,nodata,mvavg,stdev,avgvol,rsi,stochk,stochks,stochd,"
              "macdfast,macdslow,pvline,range", lines.empty() ? "" : lines[0]);
    return std::vector<std::string>(lines.begin() + !lines.empty(), lines.end());
  };
  std::vector<std::string> daily = rows({});
  std::vector<std::string> ad =
      split_lines(run_program(KADMER_DUMP, {"--config", config, "--adline", "S", "--first", "261102", "--last", "261204"}).out);
  ASSERT_GT(ad.size(), 20u);
  double cumulative = 0;  // the A/D line: a day a line, in order, the sum of advances less declines running on
  for (std::size_t i = 1; i < ad.size(); ++i) {
    std::vector<std::string> f = fields(ad[i], ',');
    ASSERT_EQ(8u, f.size()) << ad[i];
    cumulative += std::stod(f[4]);
    EXPECT_TRUE((i == 1 || ad[i - 1] < ad[i]) && std::stod(f[7]) == cumulative) << ad[i];
  }
  configure_from(read_file(config));
  initial_groups(), initial_companys();
  mvavgtype = 2, mvavgdays = 10, stochdays = 5;
  ASSERT_EQ(0, load_symbol(sym.c_str()));
  const std::vector<WorkDay> computed = shown();  // as kadmer itself computes them
  ASSERT_EQ(computed.size(), daily.size());
  ASSERT_GT(daily.size(), 100u);
  for (std::size_t i = 0; i < daily.size(); ++i) {
    const WorkDay& w = computed[i];
    std::vector<std::string> f = fields(daily[i], ',');
    char dates[32];
    std::snprintf(dates, sizeof dates, "%04d-%02d-%02d,%04d-%02d-%02d", full_year(w.syear), w.smon, w.sday,
                  full_year(w.eyear), w.emon, w.eday);
    ASSERT_EQ((std::tuple{18u, std::string(dates), w.volume, w.nodata}),
              (std::tuple{f.size(), f[0] + "," + f[1], std::stoll(f[5]), std::stoi(f[6])})) << daily[i];
    const float held[] = {w.high, w.low, w.close, w.mvavg, w.stdev, w.avgvol, w.rsi, w.stochk, w.stochks,
                          w.stochd, w.macdfast, w.macdslow, w.pvline, w.range};
    for (std::size_t k = 0; k < std::size(held); ++k) EXPECT_TRUE(shortest_text(f[k < 3 ? k + 2 : k + 4], held[k])) << i;
  }
  std::vector<std::string> weekly = rows({"--period", "2"});
  EXPECT_TRUE(weekly.size() > daily.size() / 6 && weekly.size() < daily.size() / 4) << weekly.size();

  // Five rows from the middle, the last day written YYMMDD; a split on the
  // second halves the first two closes.
  auto yymmdd = [](const std::string& row) { return row.substr(2, 2) + row.substr(5, 2) + row.substr(8, 2); };
  std::vector<std::string> window = {daily.begin() + 50, daily.begin() + 55};
  EXPECT_EQ(window, rows({"--first", daily[50].substr(0, 10), "--last", yymmdd(daily[54])}));
  std::vector<std::string> split = rows({"--first", daily[50].substr(0, 10), "--last", yymmdd(daily[54]), "--split-date",
                                         yymmdd(daily[51]), "--split-ratio", "2"});
  ASSERT_EQ(5u, split.size());
  for (int i = 0; i < 5; ++i)
    EXPECT_DOUBLE_EQ(std::stod(fields(window[i], ',')[4]) / (i < 2 ? 2 : 1), std::stod(fields(split[i], ',')[4])) << i;

  // Against another security: its close of the same day (empty where it has
  // none), and the close over it, 100 on the first row with both.
  std::string other;
  for (const auto& e : fs::directory_iterator(db.file("m/symbols")))
    if (other.empty() && e.path().filename() != sym) other = e.path().filename();
  std::map<std::string, std::string> closes;  // the other's own dump: by day
  for (const std::string& row : split_lines(run_program(KADMER_DUMP, {"--config", config, other}).out))
    if (fields(row, ',')[4] != "0") closes[fields(row, ',')[1]] = fields(row, ',')[4];
  RunResult r = run_program(KADMER_DUMP, {"--config", config, "--compare", other, sym});
  std::vector<std::string> compared = split_lines(r.out);
  ASSERT_EQ(daily.size() + 1, compared.size()) << r.err;
  EXPECT_TRUE(compared[0].ends_with(",range,cmpclose,relstrength"));
  double base = 0;
  for (std::size_t i = 1; i < compared.size(); ++i) {
    std::vector<std::string> f = fields(compared[i], ',');
    ASSERT_EQ(20u, f.size()) << compared[i];
    auto c = closes.find(f[1]);
    EXPECT_EQ(c == closes.end() ? "" : c->second, f[18]) << compared[i];
    bool both = f[4] != "0" && !f[18].empty();
    if (both && base == 0) base = std::stod(f[4]) / std::stod(f[18]);
    EXPECT_EQ(both, !f[19].empty()) << compared[i];
    EXPECT_NEAR(both ? std::stod(f[4]) / std::stod(f[18]) / base * 100 : 0, both ? std::stod(f[19]) : 0, 1e-6) << compared[i];
  }
}

TEST_F(Dump, FailedLoadsExitOneAndBadOptionsTwo) {
  work.write("general/companys", "CD:Charlie:S:N::950101-1:\n");
  work.write("symbols/CD", "# nothing yet\n");
  work.write("days/s951204", "AB,2,1,1,1\n");
  work.write(".kadmer", "generaldir=general\nsymboldir=symbols\ndaydir=days\n");  // read from the working directory
  struct { std::vector<std::string> args; const char* why; } failed[] = {
      {{"CD"}, "loadstock: no data for CD"},  // a security without data lines: it crashed
      {{"--adline", "S", "--first", "951211", "--last", "951215"}, "loadad: no day files from 12/11/95 to 12/15/95"},
      {{"--adline", "999", "--first", "951201", "--last", "951205"}, "loadad: unknown group 999"}};
  for (const auto& f : failed) {
    RunResult r = run_program(KADMER_DUMP, f.args);
    EXPECT_EQ((std::tuple{1, "kadmer-dump: " + std::string(f.why) + "\n", std::string()}),
              (std::tuple{r.status, r.err, r.out}));
  }
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"--period", "6", "AB"}, {"--first", "2026-02-30", "AB"},
        {"--split-date", "261103", "AB"}, {"--mvavg-days", "x", "AB"}, {"--bogus", "1", "AB"}, {"AB", "CD"},
        {"--split-date", "261103", "--split-ratio", "2", "--split-ratio", "x", "AB"},
        {"--config", "/no/such/file", "AB"}, {"LONGSYMBOLXYZ"}, {"--group", "ABCDEFGHIJKLMNOPQ"},
        {"--first", "2026-12-01", "--last", "2026-11-01", "AB"}, {"--adline", "S", "--first", "951205", "--last", "951201"}}) {
    RunResult r = run_program(KADMER_DUMP, args);
    EXPECT_TRUE(r.status == 2 && r.err.find("usage: kadmer-dump") != std::string::npos) << args.size() << r.err;
  }
}

// The members' symbol column is CSV text like every other: quoted, quotes
// doubled, a leading = + - @ guarded.
TEST_F(Dump, GroupMembersSymbolsAreCsvText) {
  work.write(".kadmer", "generaldir=general\nsymboldir=symbols\ndaydir=days\n");
  tables("1:Odd:ODD:\n",
         "=X:a:S:N:ODD:950101-1:\n\"Q\":b:S:N:ODD:950101-1:\n-1:c:S:N:ODD:950101-1:\n@A:d:S:N:ODD:950101-1:\n");
  for (const char* d : {"s951201", "s951204"}) day_file(d, "=X,2,1,1.5,1\n\"Q\",2,1,1.5,1\n-1,2,1,1.5,1\n@A,2,1,1.5,1\n");
  RunResult r = run_program(KADMER_DUMP, {"--group", "ODD", "--group-mode", "s"}, in_dir(work.path()));
  std::multiset<std::string> symbols;  // the first field of each line: two days of each member
  for (const std::string& line : split_lines(r.out)) symbols.insert(line.substr(0, line.find(',')));
  EXPECT_EQ((std::multiset<std::string>{"symbol", "'=X", "'=X", "\"\"\"Q\"\"\"", "\"\"\"Q\"\"\"", "'-1", "'-1", "'@A", "'@A"}),
            symbols) << r.err;
}

// A FIFO, a directory, a symlink loop or a file far too large where a data
// file should be: each reader names it and goes on as if it were missing
// (a FIFO hung them all; a sparse file of 2 TiB ran them out of memory).
// A line of 64 KiB holding a NUL stays one line: its tail injected a day.
TEST_F(Dump, ReadersNameWhatIsNoRegularFileAndGoOnWithoutIt) {
  work.write(".kadmer", "generaldir=general\nsymboldir=symbols\ndaydir=days\nmvavgdays=2\n");
  tables("1:Tech:TECH:\n", "AB:Alpha:S:N:TECH:950101-1:\nCD:Charlie:S:N:TECH:950101-1:\n");
  for (const char* day : {"951201", "951204", "951208"}) {
    day_file(std::string("s") + day, "AB,9, 1, " + std::string(day + 4) + ", 100\nCD,3, 1, 2, 100\n");
    day_file(std::string("i") + day, "1NADV,1, 1, " + std::string(day + 4) + ", 1\n");
  }
  symbol_file("EF", "951201, 2, 1, 1.5, 100\n#" + std::string(1, '\0') + std::string(65533, 'x') +
                        "951205, 99, 99, 99, 99\n951206, 2, 1, 1.5, 100\n");
  RunResult ef = run_program(KADMER_DUMP, {"EF"}, in_dir(work.path()));
  EXPECT_EQ((std::tuple{0, std::string::npos, 5u}), (std::tuple{ef.status, ef.out.find(",99,"), split_lines(ef.out).size()}));
  const std::vector<std::string> bad = {"days/s951205", "days/s951206", "days/s951207", "days/i951205", "symbols/CD",
                                        "days/s951209"};
  for (int i : {0, 3, 4}) ASSERT_EQ(0, mkfifo(work.file(bad[i]).c_str(), 0644));
  work.mkdir(bad[1]);
  fs::create_symlink("s951207", work.file(bad[2]));  // itself
  work.write(bad[5], "");
  fs::resize_file(work.file(bad[5]), 2LL << 40);  // 2 TiB, sparse: no buffer may be sized by it
  struct Run { const char* tool; std::vector<std::string> args; std::set<std::string> named; };
  const std::set<std::string> days = {bad[0], bad[1], bad[2], bad[5]};
  const std::set<std::string> days_cd = {bad[0], bad[1], bad[2], bad[4], bad[5]};
  const std::vector<Run> runs = {
      {KADMER_DUMP, {"AB"}, days}, {KADMER_DUMP, {"CD"}, days_cd}, {KADMER_DUMP, {"--group", "TECH"}, days},
      {KADMER_DUMP, {"--adline", "S", "--first", "951201", "--last", "951209"}, days},
      {KADMER_SCAN, {"--start", "951204", "--end", "951209"}, days},
      {KADMER_SCAN, {"--start", "951204", "--end", "951209", "--list", "moving avg"}, days_cd},
      {KADMER_SCAN, {"--market", "n", "--start", "951204", "--end", "951205"}, {bad[3]}}};
  std::vector<RunResult> with;
  for (const Run& run : runs) with.push_back(Running(run.tool, run.args, in_dir(work.path())).wait(10));
  for (const std::string& b : bad) fs::remove(work.file(b));
  for (std::size_t k = 0; k < runs.size(); ++k) {
    RunResult without = run_program(runs[k].tool, runs[k].args, in_dir(work.path()));
    std::set<std::string> named;
    std::string err;  // the rest of what it said
    for (const std::string& line : split_lines(with[k].err)) {
      std::size_t at = std::min({line.find(" is not a regular file"), line.find(" can not be read: Too many levels"),
                                 line.find(" is over 4 GiB, larger than any data file: skipped")});
      if (at == std::string::npos) err += line + "\n";
      else named.insert(line.substr(line.find(": ") + 2, at - line.find(": ") - 2));
    }
    EXPECT_EQ((std::tuple{false, without.status, without.out, without.err, runs[k].named}),
              (std::tuple{with[k].timed_out, with[k].status, with[k].out, err, named})) << k;
  }
  // A FIFO as the settings file: named, never waited on.
  ASSERT_EQ(0, mkfifo(work.file("fifo").c_str(), 0644));
  for (const Run& run : {Run{KADMER_DUMP, {"AB"}, {}}, {KADMER_IMPORT, {"x.csv"}, {}}, {KADMER_PLOT, {"--symbol", "AB"}, {}},
                         {KADMER_SCAN, {"--start", "951204", "--end", "951208"}, {}}}) {
    std::vector<std::string> args = run.args;
    args.insert(args.begin(), {"--config", "fifo"});
    RunResult r = Running(run.tool, args, in_dir(work.path())).wait(10);
    EXPECT_EQ((std::tuple{false, 2}), (std::tuple{r.timed_out, r.status})) << run.tool;
    EXPECT_NE(std::string::npos, r.err.find(": fifo is not a regular file\n")) << run.tool << r.err;
  }
  work.mkdir("home");
  fs::rename(work.file(".kadmer"), work.file("home/.kadmer"));
  fs::rename(work.file("fifo"), work.file(".kadmer"));
  RunOptions here = in_dir(work.path());
  here.env = {"HOME=" + work.file("home")};
  RunResult r = Running(KADMER_DUMP, {"AB"}, here).wait(10);
  EXPECT_EQ((std::tuple{false, 0, "kadmer: ./.kadmer is not a regular file: settings not read\n"}),
            (std::tuple{r.timed_out, r.status, r.err}));
}

// A database copied from elsewhere with CR LF line ends everywhere (the
// settings, the tables, the histories, the day files) reads as it was.
TEST(CrLf, TheDemoDatabaseWithCrLfLineEndsReadsAsItWas) {
  TempDir db;
  fs::copy(KADMER_SOURCE_DIR "/data/sample", db.file("lf"), fs::copy_options::recursive);
  fs::copy(db.file("lf"), db.file("crlf"), fs::copy_options::recursive);
  for (const auto& e : fs::recursive_directory_iterator(db.file("crlf")))
    if (e.is_regular_file()) {
      std::string text = read_file(e.path()), crlf;
      for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
      std::ofstream(e.path(), std::ios::binary) << crlf;
    }
  const std::vector<std::vector<std::string>> runs = {
      {KADMER_DUMP, "AN"}, {KADMER_DUMP, "ETF"}, {KADMER_DUMP, "--group", "PICKS", "--group-mode", "s"},
      {KADMER_DUMP, "--adline", "G", "--first", "261102", "--last", "261204"},
      {KADMER_SCAN, "--list", "moving avg", "--start", "261102", "--end", "261204", "--compare", "261110"},
      {KADMER_SCAN, "--list", "groups", "--start", "261102", "--end", "261204"},
      {KADMER_SCAN, "--market", "n", "--start", "261102", "--end", "261204"}};
  for (const auto& run : runs) {
    std::vector<std::string> args(run.begin() + 1, run.end());
    RunResult lf = run_program(run[0], args, in_dir(db.file("lf"))), crlf = run_program(run[0], args, in_dir(db.file("crlf")));
    EXPECT_EQ((std::tuple{0, lf.out, lf.err}), (std::tuple{crlf.status, crlf.out, crlf.err})) << run[1];
    EXPECT_GT(lf.out.size(), 200u) << run[1];
  }
}

// ---- every core: one thread and several read alike ----

// Several workers split the files and the rows; what they make, and the
// order of what they say, is one thread's. A directory and a file cut at a
// NUL among the day files: reported in their place.
TEST(Threads, OneAndSeveralGiveTheSameListsAdLinesGroupsAndMessages) {
  TempDir db;
  ASSERT_EQ(0, run_program(KADMER_GEN, {"--out", db.file("m"), "--stocks", "400", "--funds", "10", "--days", "60",
                                          "--end", "261204", "--absolute"}).status);
  std::vector<std::string> stocks = stock_day_files(db.file("m/days"));
  ASSERT_EQ(60u, stocks.size());
  fs::remove(stocks[20]);
  fs::create_directory(stocks[20]);
  std::string cut = read_file(stocks[33]);
  cut[cut.size() / 2] = '\0';
  std::ofstream(stocks[33], std::ios::binary) << cut;
  for (int t : {1, 3}) std::ofstream(db.file("k" + std::to_string(t))) << read_file(db.file("m/.kadmer")) << "threads=" << t << "\n";
  const std::vector<std::vector<std::string>> runs = {
      {KADMER_SCAN, "--list", "percent", "--csv", "--start", "260915", "--end", "261204"},
      {KADMER_SCAN, "--list", "groups", "--csv", "--start", "260915", "--end", "261204", "--compare", "261102"},
      {KADMER_SCAN, "--list", "distribution", "--distr", "A", "--start", "261001", "--end", "261130"},
      {KADMER_DUMP, "--adline", "S", "--first", "260915", "--last", "261204"},
      {KADMER_DUMP, "--adline", "G", "--first", "260915", "--last", "261204"},
      {KADMER_DUMP, "--adline", "1", "--first", "260915", "--last", "261204"},
      {KADMER_DUMP, "--group", "TECH", "--group-mode", "s"}, {KADMER_DUMP, "--group", "TECH", "--group-mode", "t"}};
  for (const auto& run : runs) {
    std::vector<RunResult> r;
    for (int t : {1, 3}) {
      std::vector<std::string> args(run.begin() + 1, run.end());
      args.insert(args.begin(), {"--config", db.file("k" + std::to_string(t))});
      r.push_back(run_program(run[0], args));
    }
    EXPECT_EQ((std::tuple{0, r[0].out, r[0].err}), (std::tuple{r[1].status, r[1].out, r[1].err})) << run[1] << run[2];
    EXPECT_GT(split_lines(r[0].out).size(), 2u) << run[1] << run[2];
    EXPECT_NE(std::string::npos, r[0].err.find(stocks[20] + " is not a regular file")) << run[1] << run[2];
  }
}

// ---- kadmer-plot: any screen as a picture ----

TEST(Plot, EveryKindOfViewOfTheDemoDatabaseAndWhatFails) {
  struct { std::vector<std::string> args; int status; const char* has; } cases[] = {
      {{"--symbol", "AN", "--grid"}, 0, ">AN, daily, 6/25/26 to 12/4/26, scales fit all loaded days<"},  // the title
      {{"--symbol", "AN", "--fit", "--first", "2026-06-30"}, 0, ">AN, daily, 6/30/26 to 12/4/26, scales fit the days shown<"},
      {{"--symbol", "AN", "--graph", "rsi", "--period", "2", "--first", "2026-09-01"}, 0, ">9/4/26<"},  // its first week
      {{"--group", "3", "--group-mode", "s"}, 0, ">Banks<"},
      {{"--symbol", "AN", "--graph", "split", "--panels", "svt"}, 0, ">%K slow:<"},  // the panels asked for
      {{"--symbol", "AN", "--compare", "BANK"}, 0, "to 12/4/26, against BANK, scales"},  // a group's index
      {{"--symbol", "AN", "--graph", "split", "--panels", "sx"}, 2, "--panels takes up to five of the letters"},
      {{"--query", "percent", "--start", "2026-11-02", "--end", "2026-12-04", "--count", "5"}, 0,
       ">percent: 11/02/26-12/04/26, count 5, price 0 and above, up-down volume, all securities<"},
      {{"--query", "volume", "--start", "2026-11-02", "--end", "2026-12-04"}, 0, ">volume: 11/02/26-12/04/26, every row,"},
      {{"--query", "distribution", "--start", "2026-11-02", "--end", "2026-12-04"}, 0, ">0<"},
      {{"--market", "n", "--start", "2026-12-03", "--end", "2026-12-04"}, 0, ">New York Stock Market<"},
      {{"--adline", "S", "--lines", "+-c", "--first", "2026-10-01", "--last", "2026-12-04"}, 0, ">Cumulative:<"},
      // The range asked for from its first day, every week of it (it was cut to the last days that fit).
      {{"--adline", "S", "--period", "2", "--first", "2025-10-02", "--last", "2026-12-04"}, 0, "weekly, 10/2/25 to 12/4/26<"},
      {{"--symbol", "NOSUCH"}, 1, "kadmer-plot: load_day_stock: unknown symbol NOSUCH\n"},
      {{"--query", "rsi", "--start", "1990-01-01", "--end", "1990-02-01"}, 1, "no starting date found"},
      {{"--symbol", "AN", "--group", "3"}, 2, "one view"},
      {{"--symbol", "AN", "--graph", "pie"}, 2, "no view pie"}, {{"--symbol", "AN", "--font-size", "100x100"}, 0, "<svg"},
      {{"--symbol", "AN", "--font-size", "101x13"}, 2, "--font-size is WxH"},
      {{"--market", "n", "--start", "2026-12-04"}, 2, "needs --start and --end"},
      {{"--symbol", "LONGSYMBOLXYZ"}, 2, "the symbol \"LONGSYMBOLXYZ\" is longer than 8 characters"},
      {{"--symbol", "AN", "--first", "2026-12-01", "--last", "2026-11-01"}, 2, "the first date lies after the last"},
      {{"--symbol", "AN", "--first", "1968-12-31"}, 2, "no such date"}, {{"--symbol", "AN", "--last", "2069-01-01"}, 2, "no such date"}};
  for (const auto& c : cases) {
    RunResult r = run_program(KADMER_PLOT, c.args, in_dir(KADMER_SOURCE_DIR "/data/sample"));
    EXPECT_EQ(c.status, r.status) << c.args[0] << r.err;
    EXPECT_NE(std::string::npos, (c.status ? r.err : r.out).find(c.has)) << c.args[0] << " " << c.args[1];
    EXPECT_EQ(c.status == 0, r.out.size() > 7 && r.out.rfind("</svg>\n") == r.out.size() - 7) << c.args[0];
  }
  TempDir out;  // the window's size in characters, the font's cell, a file
  RunResult r = run_program(KADMER_PLOT, {"--symbol", "AN", "--width", "80", "--height", "40", "--font-size", "7x14",
                                          "-o", out.file("an.svg")}, in_dir(KADMER_SOURCE_DIR "/data/sample"));
  EXPECT_TRUE(r.status == 0 && r.out.empty()) << r.err;
  std::string picture = read_file(out.file("an.svg"));
  auto y_of = [&](const char* has) {  // of the first element holding that text
    return std::atoi(picture.c_str() + picture.find("y=\"", picture.rfind('<', picture.find(has))) + 3);
  };
  // The lowest value label sits on its hash mark, half the font's ascent (11 of 13 of the cell) lower.
  EXPECT_TRUE(picture.find("width=\"562\" height=\"562\"") != std::string::npos &&
              y_of("<text x=\"3\"") - y_of("width=\"4\" height=\"2\"") == (14 * 11 + 6) / 13 / 2);
  // A full disk: the old picture stays whole, nothing is left beside it,
  // and every tool says why it could not write.
  r = run_program("/usr/bin/prlimit", {"--fsize=4000", KADMER_PLOT, "--symbol", "AN", "-o", out.file("an.svg")},
                  in_dir(KADMER_SOURCE_DIR "/data/sample"));
  EXPECT_EQ((std::tuple{1, "kadmer-plot: can not write " + out.file("an.svg") + ": File too large\n", picture}),
            (std::tuple{r.status, r.err, read_file(out.file("an.svg"))}));
  EXPECT_EQ(1, std::distance(fs::directory_iterator(out.path()), fs::directory_iterator()));
  for (std::string run : {std::string(KADMER_SCAN) + " --start 261102 --end 261204",
                          std::string(KADMER_SCAN) + " --market n --start 261102 --end 261204",
                          std::string(KADMER_DUMP) + " AN", std::string(KADMER_DUMP) + " --adline S --first 261102 --last 261204",
                          std::string(KADMER_PLOT) + " --symbol AN"}) {
    r = run_program("/bin/sh", {"-c", "exec " + run + " >/dev/full"}, in_dir(KADMER_SOURCE_DIR "/data/sample"));
    EXPECT_EQ(1, r.status) << run;
    EXPECT_NE(std::string::npos, r.err.find(": can not write standard output: No space left on device\n")) << run << r.err;
  }
  // PNG and PDF by the name's end, through cairo where it was built in; a
  // light picture on white.
  for (const char* name : {"an.png", "an.PDF", "light.svg"}) {
    r = run_program(KADMER_PLOT, {"--symbol", "AN", "--graph", "split", "--panels", "svc", "--compare", "BANK", "--theme",
                                  "light", "--width", "80", "--height", "40", "-o", out.file(name)},
                    in_dir(KADMER_SOURCE_DIR "/data/sample"));
    std::string p = read_file(out.file(name)), kind = name + 3;
#ifdef KADMER_HAVE_CAIRO
    auto be32 = [&](std::size_t at) { return p.size() < at + 4 ? 0u : unsigned(uint8_t(p[at])) << 24 | uint8_t(p[at + 1]) << 16 | uint8_t(p[at + 2]) << 8 | uint8_t(p[at + 3]); };
    std::size_t pages = 0;
    for (std::size_t at = p.find("/Type /Page"); at != std::string::npos; at = p.find("/Type /Page", at + 1)) pages += p[at + 11] != 's';
    EXPECT_TRUE(r.status == 0 && (kind == "png"   ? p.starts_with("\x89PNG\r\n\x1a\n") && be32(16) == 482 && be32(20) == 522
                                  : kind == "PDF" ? p.starts_with("%PDF-") && pages == 1 && p.find("0 0 482 522") != p.npos
                                                  : p.find("height=\"522\" fill=\"#ffffff\"/>") != p.npos && p.find("fill=\"#000000\" font") != p.npos))
        << name << r.err;
#else
    EXPECT_TRUE(kind == "svg" ? r.status == 0 && p.find("height=\"522\" fill=\"#ffffff\"/>") != p.npos : r.status == 2 && r.err.find("need kadmer-plot built with cairo") != r.err.npos) << name;
#endif
  }
  // A group compared with is its index: kadmer-dump's close of the group, day by day.
  std::map<std::string, std::string> index;
  for (const std::string& row : split_lines(run_program(KADMER_DUMP, {"--group", "3"}, in_dir(KADMER_SOURCE_DIR "/data/sample")).out))
    if (fields(row, ',')[4] != "0") index[fields(row, ',')[1]] = fields(row, ',')[4];
  std::vector<std::string> rows = split_lines(run_program(KADMER_DUMP, {"--compare", "3", "AN"}, in_dir(KADMER_SOURCE_DIR "/data/sample")).out);
  ASSERT_GT(rows.size(), 100u);
  for (std::size_t i = 1; i < rows.size(); ++i)
    EXPECT_EQ(index.count(fields(rows[i], ',')[1]) ? index[fields(rows[i], ',')[1]] : "", fields(rows[i], ',')[18]) << rows[i];
  r = run_program(KADMER_PLOT, {"--symbol", "AN", "--width", "1000", "--height", "1000", "--font-size", "12x20", "-o", "x.png"},
                  in_dir(KADMER_SOURCE_DIR "/data/sample"));
  EXPECT_EQ(2, r.status);  // a PNG too large to hold, or none at all
  r = run_program(KADMER_PLOT, {"--symbol", "AN", "-o", "/dev/full"}, in_dir(KADMER_SOURCE_DIR "/data/sample"));
  EXPECT_EQ((std::tuple{1, std::string("kadmer-plot: can not write /dev/full: No space left on device\n")}),
            (std::tuple{r.status, r.err}));  // a device is written, never replaced
}

// ---- the layers ----

TEST(Layers, TheScriptFindsAnIncludeThatPointsUp) {
  TempDir tree;
  fs::copy(KADMER_SOURCE_DIR "/src", tree.file("src"), fs::copy_options::recursive);
  fs::copy(KADMER_SOURCE_DIR "/tools", tree.file("tools"), fs::copy_options::recursive);
  auto check = [&] { return run_program("/bin/bash", {KADMER_SOURCE_DIR "/scripts/check-layers.sh", tree.path()}); };
  EXPECT_EQ(0, check().status) << check().out;
  tree.write("src/data/lines.cpp", "#include \"views/views.h\"\n" + read_file(tree.file("src/data/lines.cpp")));
  tree.write("src/paint/extra.h", "#include <X11/Xlib.h>\n");
  RunResult r = check();
  EXPECT_EQ(1, r.status);
  EXPECT_NE(std::string::npos, r.out.find("src/data/lines.cpp:1: includes a layer above its own")) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("src/paint/extra.h:1: an X header below the user interface")) << r.out;
}

}  // namespace

// The settings: the configuration file (keys, blanks, switches, invalid
// lines, where the file is found, bad input), and the start dates.

#include "support/fixtures.h"

#include <sys/resource.h>

#include <csignal>
#include <sstream>

namespace {

time_t fake_now;

class Settings : public SettingsTest {
 protected:
  void TearDown() override {
    kd_clock = [] { return time(nullptr); };
    SettingsTest::TearDown();
  }
  void expect_dates(int end, int start, const std::string& where) {
    EXPECT_EQ((std::array{end, end, end, end, start}), (std::array{queryedate, querysdate, querycdate, marketeday, marketsday}))
        << where;
  }
};

// ---- the configuration file ----

TEST_F(Settings, BlanksCaseCommentsLinesWithoutAnEqualsSignAndValuesThatDoNotScan) {
  for (const char* line : {"width=120", "width = 120", "   width   =   120", "\twidth\t=\t120"}) {
    width = 100;
    work.write(".kadmer", std::string(line) + "\n");
    EXPECT_EQ((std::pair<std::string, int>{"", 120}), (std::pair<std::string, int>{configure(), width})) << line;
  }
  width = 100;
  // Keys are case-sensitive, unknown keys silent; the last line has no end.
  work.write(".kadmer", "Width=120\nnosuchkey=5\nwidth 120\n\n# a comment\nheight=70\nthreads=3\nstochdays=123");
  EXPECT_EQ("kadmer: line width 120 is invalid\nkadmer: line  is invalid\n", configure());
  EXPECT_EQ((std::array{100, 70, 123, 3}), (std::array{width, height, stochdays, worker_count()}));
  threads = 1000;  // a pool of its own size at most
  EXPECT_EQ(64, worker_count());
  reset_settings();  // values that do not scan leave the setting; no count of threads is every core
  EXPECT_EQ(std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 64), worker_count());
  work.write(".kadmer", "width=\nheight=tall\nstdev=wide\nfibpolar=\nmvavgdays=99999999999999\nfibtop=nan\ndaydir=\n");
  EXPECT_EQ("", configure());
  EXPECT_EQ((std::array<double, 6>{100, 60, 0, '+', 0, 0.75}),
            (std::array<double, 6>{double(width), double(height), double(mvavgdays), double(fibpolar), bolstd, fibtop}));
  EXPECT_STREQ("/", daydir);
  // A count of threads that is none is said, with the count used instead.
  struct { const char* value; int used; const char* said; } counts[] = {
      {"4", 4, ""}, {"0", 0, ""}, {"64", 64, ""},
      {"abc", 0, "kadmer: line threads=abc is invalid: threads=0 (every core) is used\n"},
      {"-1", 0, "kadmer: line threads=-1 is invalid: threads=0 (every core) is used\n"},
      {"", 0, "kadmer: line threads= is invalid: threads=0 (every core) is used\n"},
      {"999999", 64, "kadmer: line threads=999999 is invalid: threads=64 is used\n"}};
  for (const auto& c : counts) {
    threads = 7;
    work.write(".kadmer", std::string("threads = ") + c.value + "\n");
    EXPECT_EQ((std::pair<std::string, int>{c.said, c.used}), (std::pair<std::string, int>{configure(), threads})) << c.value;
  }
}

// Files written elsewhere end their lines with CR LF, and a comment may
// follow a value after a blank: neither is part of the value.
TEST_F(Settings, CrLfLineEndsAndTrailingCommentsAreNoPartOfAValue) {
  for (const char* end : {"\n", "\r\n"})
    for (const char* note : {"", " # mine", "\t#mine"}) {
      reset_settings();
      std::string file;
      for (const char* line : {"daydir = /data/days", "broker=c", "width=90", "closecolor=red", "fibpolar=-",
                               "queryclass=0.5", "group=PICKS AB CD"})
        file += line + std::string(note) + end;
      std::string where = std::string(note) + (end[0] == '\r' ? " crlf" : " lf");
      // The last line without its newline.
      EXPECT_EQ("", configure_from(file + "# all\r" + end + "fitshown = off\r")) << where;
      EXPECT_EQ((std::array<std::string, 6>{"/data/days", "0", "90", "red", "-", "c"}),
                (std::array<std::string, 6>{daydir, std::to_string(fitshown), std::to_string(width),
                                            colors_vr[COLOR_CLOSE].name, std::string(1, fibpolar), std::string(1, broker)}))
          << where;
      EXPECT_EQ((std::array{0.5f, 1.0f}), (std::array{distr_incr, float(grpcnt)})) << where;
    }
  configure_from("printpath=/tmp/a#b\nwidth=9#0\n");  // a '#' inside a value stays
  EXPECT_EQ((std::array<std::string, 2>{"/tmp/a#b", "9"}), (std::array<std::string, 2>{printpath, std::to_string(width)}));
}

TEST_F(Settings, EveryKeyReachesItsSetting) {
  const std::string file =
      "extendday=5\nfibtop=0.8\nfibbot=0.1\nfibpolar=-\nfibhigh=0.7\nfiblow=0.3\nstdev=2.5\nmvavgtype=3\n"
      "mvavgdays=21\nstochdays=14\ngraphtype=2\nxpos=-10\nypos=20\nwidth=90\nheight=40\ngraphadv=5\nraxis=%\n"
      "laxis=n\nformat=f\nbroker=c\ndaydir=/data/days\nsymboldir=/data/sym\ngeneraldir=/data/gen\n"
      "printpath=/tmp/out\n";
  configure_from(file + "mvavg=no\nfib=\nvolturnover=off\nbollinger=0\ntrack=x\ngrid=no\ngroup=A B C\n");
  std::ostringstream got;
  got << "extendday=" << extendday << "\nfibtop=" << fibtop << "\nfibbot=" << fibbot << "\nfibpolar=" << fibpolar
      << "\nfibhigh=" << fibhigh << "\nfiblow=" << fiblow << "\nstdev=" << bolstd << "\nmvavgtype=" << mvavgtype
      << "\nmvavgdays=" << mvavgdays << "\nstochdays=" << stochdays << "\ngraphtype=" << graph_type
      << "\nxpos=" << xpos << "\nypos=" << ypos << "\nwidth=" << width << "\nheight=" << height
      << "\ngraphadv=" << graph_adv << "\nraxis=" << raxis << "\nlaxis=" << laxis << "\nformat=" << format
      << "\nbroker=" << broker << "\ndaydir=" << daydir << "\nsymboldir=" << symboldir
      << "\ngeneraldir=" << generaldir << "\nprintpath=" << printpath << "\n";
  EXPECT_EQ(file, got.str());
  // Switches are on whatever their value; group lines are counted for later.
  for (int flag : {mvavgflag, fibflag, volflag, bollingerflag, trackstate, gridstate, grpcnt}) EXPECT_EQ(1, flag);
  EXPECT_EQ('d', (configure_from("broker=discount\n"), broker));  // a character key takes the first one
  // The query's settings; fitshown is off only when it says so; the class
  // width within what the distribution holds.
  configure_from("querycount=20\nquerylow=5\nqueryhigh=250.5\nquerymode=a\nquerydistr=tech\nqueryclass=100\n"
                 "fitshown=yes\n");
  EXPECT_EQ((std::array<double, 7>{20, 5, 250.5, 'a', 10, 3, 1}),
            (std::array<double, 7>{double(querycount), querylprice, queryhprice, double(querysmode), distr_incr,
                                   double(distr_incr_mod), double(fitshown)}));
  EXPECT_STREQ("TECH", distr_screen);
  for (const char* off : {"off", "0", "no"}) {
    configure_from(std::string("fitshown=") + off + "\nqueryclass=0.125\n");
    EXPECT_EQ((std::array{0, 8}), (std::array{fitshown, distr_incr_mod})) << off;
  }
}

// Ctrl+S: the settings of the dialogs changed since the start go back into
// the file read, in place or at its end; every other line stays. The file
// is replaced whole, a link stays a link, and a file that can not be
// written stays as it was.
TEST_F(Settings, ASaveWritesTheChangedSettingsBackAndKeepsEveryOtherLine) {
  const std::string kept = "nosuchkey=1\nwidth=90\ngroup=PICKS AB CD\nno equals sign\n";
  configure_from("# my settings\nmvavgdays = 20\nmvavg=on\n" + kept + "closecolor=red\nmvavgdays=21");
  remember_settings();
  std::string path, error;
  EXPECT_EQ(0, save_settings(&path, &error));  // nothing changed: the file is left alone
  struct stat before, after;
  ASSERT_EQ(0, stat(".kadmer", &before));
  mvavgdays = 30, mvavgflag = 0, fibflag = 1, fitshown = 1, querycount = 20, width = 120;
  copy_text(screen_text, "pct > 5 and hivol > 2; sort pct"), copy_text(watchlist_name, "mine");
  set_color_name(colors_vr, COLOR_CLOSE, "green");
  set_color_name(colors_vr, COLOR_BACKGROUND, "navy");  // the first key: no other line is it
  EXPECT_EQ(9, save_settings(&path, &error)) << error;  // the window's width is no dialog's
  EXPECT_EQ("./.kadmer", path);
  EXPECT_EQ("# my settings\nmvavgdays = 30\n#mvavg=on\n" + kept + "closecolor=green\nmvavgdays=30\nbackground=navy\nfib=on\n"
            "fitshown=on\nquerycount=20\nscreen=pct > 5 and hivol > 2; sort pct\nwatchlist=mine\n", read_file(".kadmer"));
  ASSERT_EQ(0, stat(".kadmer", &after));
  EXPECT_NE(before.st_ino, after.st_ino);  // a new file renamed over the old one
  reset_settings();
  configure();
  EXPECT_EQ((std::array{30, 0, 1, 1, 20, 90}), (std::array{mvavgdays, mvavgflag, fibflag, fitshown, querycount, width}));
  EXPECT_EQ("pct > 5 and hivol > 2; sort pct|mine", std::string(screen_text) + "|" + watchlist_name);
  // A link stays a link to the file it names; a file that can not be
  // written in full stays as it was, and so does the link.
  work.mkdir("real");
  work.write("real/settings", "stdev=2\n");
  std::remove(".kadmer");
  ASSERT_EQ(0, symlink("real/settings", ".kadmer"));
  configure();
  remember_settings();
  bolstd = 2.5f;
  struct rlimit limit;
  getrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = {4, limit.rlim_max};
  setrlimit(RLIMIT_FSIZE, &small);
  EXPECT_EQ(-1, save_settings(&path, &error));
  setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_EQ((std::array<std::string, 2>{"File too large", "stdev=2\n"}), (std::array{error, read_file(".kadmer")}));
  EXPECT_EQ(1, save_settings(&path, &error));
  EXPECT_TRUE(fs::is_symlink(".kadmer"));
  EXPECT_EQ("stdev=2.5\n", read_file("real/settings"));
  for (const auto& e : std::filesystem::directory_iterator("real"))  // no copy left beside it
    EXPECT_EQ("settings", e.path().filename().string());
  // Nothing read and no HOME: nowhere to write.
  std::remove(".kadmer");
  unsetenv("HOME");
  configure();
  EXPECT_EQ(-1, save_settings(&path, &error));
}

// A changed line keeps its comment and its CR LF; a file without write
// permission is not written, even by its owner, and one written keeps its
// mode; saves take turns on the folder, so that two windows saving at once
// both land.
TEST_F(Settings, ASaveKeepsCommentsAndLineEndsSparesAReadOnlyFileAndTakesTurns) {
  const std::string file = "# mine\r\nmvavgdays = 20   # a month\r\nmvavg=on # drawn\r\nwidth=90\r";  // its LF lost
  configure_from(file);
  remember_settings();
  mvavgdays = 30, mvavgflag = 0, stochdays = 9;
  std::string path, error;
  chmod(".kadmer", 0444);
  EXPECT_EQ(SAVE_READ_ONLY, save_settings(&path, &error));
  EXPECT_EQ(file, read_file(".kadmer"));
  chmod(".kadmer", 0640);
  EXPECT_EQ(3, save_settings(&path, &error)) << error;
  EXPECT_EQ(0640, int(fs::status(".kadmer").permissions()));  // the file written in its place keeps its permissions
  EXPECT_EQ("# mine\r\nmvavgdays = 30   # a month\r\n#mvavg=on # drawn\r\nwidth=90\r\nstochdays=9\r\n",
            read_file(".kadmer"));
  int folder = open(".", O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(0, flock(folder, LOCK_EX));  // another save is writing
  bolstd = 3;
  int saved = 0;
  std::thread waiting([&] { saved = save_settings(&path, &error); });
  usleep(100000);
  EXPECT_EQ(std::string::npos, read_file(".kadmer").find("stdev"));
  close(folder);
  waiting.join();
  EXPECT_EQ(1, saved);
  EXPECT_NE(std::string::npos, read_file(".kadmer").find("stochdays=9\r\nstdev=3\r\n"));
  fibtop = 0.1f, fibbot = 1.0000001f;  // the fewest digits that read back as the same float
  EXPECT_EQ(2, save_settings(&path, &error));
  EXPECT_NE(std::string::npos, read_file(".kadmer").find("fibtop=0.1\r\nfibbot=1.0000001\r\n"));
  reset_settings();
  configure_from("stochdays" + std::string(70000, ' ') + "=5\n");  // past the reader's line: no setting
  remember_settings();
  stochdays = 9;
  EXPECT_EQ(1, save_settings(&path, &error)) << error;
  reset_settings();
  configure();
  EXPECT_EQ(9, stochdays);
  ASSERT_EQ(0, mkfifo("fifo", 0644));  // what is no regular file is never replaced by one
  EXPECT_FALSE(replace_file("fifo", "x", ".t-", &error));
  EXPECT_TRUE(fs::is_fifo("fifo"));
}

TEST_F(Settings, TheFileIsFoundInTheWorkingDirectoryOrHomeAndALongLineIsCut) {
  home.write(".kadmer", "width=90\nheight=50\n");
  configure();
  EXPECT_EQ((std::array{90, 50}), (std::array{width, height}));
  reset_settings();
  configure_from("width=80\n");
  EXPECT_EQ((std::array{80, 60}), (std::array{width, height}));  // the home file is not read at all
  reset_settings();
  std::remove(".kadmer");
  unsetenv("HOME");
  EXPECT_EQ((std::pair<std::string, int>{"", 100}), (std::pair<std::string, int>{configure(), width}));
  // A long line is cut to the line buffer (a line without '=' reported once).
  std::string err = configure_from("printpath=" + std::string(100000, 'p') + "\nwidth=81\n" +
                                   std::string(100000, 'x') + "\n");
  EXPECT_EQ((std::array<std::size_t, 2>{1023, 81}), (std::array<std::size_t, 2>{std::strlen(printpath), std::size_t(width)}));
  EXPECT_EQ(0u, err.find("kadmer: line xxx"));
  EXPECT_TRUE(err.find("kadmer: line", 1) == std::string::npos && err.size() < 66000) << err.size();
}

// ---- start dates: the last weekday before today, and the newest day file ----

TEST_F(Settings, StartDatesAreTheLastWeekdayBeforeTodayOrTheNewestDayFiles) {
  struct { int y, m, d, end, start; } days[] = {  // end and start as MMDDYY
      {2026, 12, 6, 120426, 120326},  {2026, 12, 7, 120426, 120326},  {2026, 12, 8, 120726, 120426},
      {2026, 12, 9, 120826, 120726},  {2026, 12, 10, 120926, 120826}, {2026, 12, 11, 121026, 120926},
      {2026, 12, 12, 121126, 121026},  // Sunday to Saturday
      {2000, 1, 3, 123199, 123099},   {2001, 1, 2, 10101, 122900},    {1995, 12, 5, 120495, 120195},
      {2000, 3, 1, 22900, 22800},     {2000, 3, 2, 30100, 22900}};    // the leap day of 2000
  kd_clock = [] { return fake_now; };
  copy_text(symbolname, "ABC");  // and the text settings start empty or as set up
  copy_text(comblist, "smrtv");
  copy_text(daydir, "/x");
  initial_vars();
  EXPECT_EQ((std::array<std::string, 4>{"", "sr", "/", "A"}),
            (std::array<std::string, 4>{symbolname, comblist, daydir, distr_screen}));
  for (const char* zone : {"UTC", "America/New_York", "Europe/Berlin", "Asia/Tokyo"}) {
    ScopedTz tz(zone);
    for (auto c : days)
      for (int hour : {0, 12, 23}) {
        struct tm t = {};
        t.tm_year = c.y - 1900, t.tm_mon = c.m - 1, t.tm_mday = c.d, t.tm_hour = hour, t.tm_isdst = -1;
        fake_now = mktime(&t);
        initial_vars();
        expect_dates(c.end, c.start,
                     std::string(zone) + " " + std::to_string(c.y * 10000 + c.m * 100 + c.d) + " " + std::to_string(hour));
      }
  }
  // Without a stock day file for the default end date (120426 here) the dates
  // move to the newest two stock day files.
  struct { std::vector<std::string> files; int end, start; } cases[] = {
      {{"s951201", "s951204", "f951205"}, 120495, 120195},  // only stock files count
      {{"s951204"}, 120495, 120495}, {{"s991230", "s991231", "s000103", "s981231"}, 10300, 123199},
      {{"s690102", "s681231"}, 123168, 10269},  // 69 is 1969, 68 is 2068
      {{"s000229", "s000228", "s990229"}, 22900, 22800},
      {{"s261204", "s270105"}, 120426, 120326},  // the default end date has its file
      {{"s1", "s99999999", "sabcdef", "s991332", "s990230", "s95120x", "S951204", "s-51204"}, 120426, 120326},
      {{"s1", "s991332", "s950601"}, 60195, 60195}};
  auto check = [&](const std::string& dir, int end, int start) {
    queryedate = querysdate = querycdate = marketeday = 120426, marketsday = 120326;
    configure_from("daydir=" + dir + "\n");
    expect_dates(end, start, dir);
  };
  int n = 0;
  for (const auto& c : cases) {
    std::string dir = "days" + std::to_string(++n);
    work.mkdir(dir);
    for (const std::string& f : c.files) work.write(dir + "/" + f, "");
    check(dir, c.end, c.start);
  }
  check("nosuchdir", 120426, 120326);
  for (int i = 0; i < 3000; ++i) work.write("days1/x" + std::to_string(i), "");  // thousands of unrelated files
  check("days1", 120495, 120195);
}

}  // namespace

// The database generator: deterministic, and holding what real data holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "support/run.h"
#include "support/xvfb.h"

namespace fs = std::filesystem;

namespace {

struct Quote { std::string high, low, close, volume; };

// symbol -> quote, from one day file.
std::map<std::string, Quote> read_day(const std::string& path, bool index) {
  std::map<std::string, Quote> out;
  for (const std::string& line : split_lines(read_file(path))) {
    if (line.empty() || line[0] == '#') continue;
    std::size_t comma = line.find(',');
    std::string sym = line.substr(index ? 1 : 0, comma - (index ? 1 : 0));
    std::stringstream rest(line.substr(comma + 1));
    Quote q;
    std::getline(rest, q.high, ',');
    std::getline(rest, q.low, ',');
    std::getline(rest, q.close, ',');
    std::getline(rest, q.volume);
    for (std::string* s : {&q.high, &q.low, &q.close, &q.volume}) s->erase(0, s->find_first_not_of(' '));
    out[sym] = q;
  }
  return out;
}

class Generator : public ::testing::Test {
 protected:
  static TempDir* dir;
  static void SetUpTestSuite() {
    dir = new TempDir;
    RunResult r = run_program(kadmer_gen(), {"--out", dir->file("db"), "--stocks", "60", "--funds",
                                             "5", "--days", "80", "--end", "261204", "--absolute"});
    ASSERT_EQ(0, r.status) << r.err;
  }
  static void TearDownTestSuite() { delete dir; }
  std::string db(const std::string& f) { return dir->file("db/" + f); }
  std::vector<std::string> day_files(char kind) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(db("days")))
      if (e.path().filename().string()[0] == kind) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};
TempDir* Generator::dir = nullptr;

TEST_F(Generator, TheSameSeedGivesTheSameDatabase) {
  TempDir other;
  RunResult r = run_program(kadmer_gen(), {"--out", other.file("db"), "--stocks", "60", "--funds", "5",
                                           "--days", "80", "--end", "261204", "--absolute"});
  ASSERT_EQ(0, r.status);
  for (const char* f : {"general/companys", "general/groups", "days/s261204", "days/i261015", "days/f261104"})
    EXPECT_EQ(read_file(db(f)), read_file(other.file(std::string("db/") + f))) << f;
}

TEST_F(Generator, WeekendsAndHolidaysHaveNoFiles) {
  std::vector<std::string> s = day_files('s');
  EXPECT_EQ(80u, s.size());
  EXPECT_EQ("s261204", s.back());
  std::set<std::string> names(s.begin(), s.end());
  EXPECT_FALSE(names.count("s261126"));  // Thanksgiving
  EXPECT_FALSE(names.count("s261128"));  // a Saturday
  EXPECT_TRUE(names.count("s261127"));
  EXPECT_EQ(s.size(), day_files('f').size());
  EXPECT_EQ(s.size(), day_files('i').size());
}

TEST_F(Generator, StockFilesAreSortedAndFundsHaveOnePrice) {
  for (const std::string& name : day_files('s')) {
    std::string prev;
    for (const std::string& line : split_lines(read_file(db("days/" + name)))) {
      if (line[0] == '#') continue;
      std::string sym = line.substr(0, line.find(','));
      EXPECT_LT(prev, sym) << name;
      prev = sym;
    }
  }
  for (const auto& [sym, q] : read_day(db("days/f261204"), false)) {
    EXPECT_EQ(q.high, q.close) << sym;
    EXPECT_EQ(q.low, q.close) << sym;
  }
}

TEST_F(Generator, PerSymbolFilesRepeatTheDayFileQuotes) {
  int checked = 0;
  for (const auto& e : fs::directory_iterator(db("symbols"))) {
    std::string sym = e.path().filename();
    for (const std::string& line : split_lines(read_file(e.path()))) {
      std::string date = line.substr(0, 6);
      char kind = fs::exists(db("days/s" + date)) && read_day(db("days/s" + date), false).count(sym) ? 's' : 'f';
      std::map<std::string, Quote> day = read_day(db(std::string("days/") + kind + date), false);
      ASSERT_TRUE(day.count(sym)) << sym << " " << date;
      const Quote& q = day[sym];
      EXPECT_EQ(date + ", " + q.high + ", " + q.low + ", " + q.close + ", " + q.volume, line);
      ++checked;
    }
  }
  EXPECT_GT(checked, 500);
}

TEST_F(Generator, SecuritiesComeAndGoAndMissDays) {
  std::vector<std::string> s = day_files('s');
  std::map<std::string, int> seen;
  for (const std::string& name : s)
    for (const auto& [sym, q] : read_day(db("days/" + name), false)) ++seen[sym];
  auto first = read_day(db("days/" + s.front()), false), last = read_day(db("days/" + s.back()), false);
  int listed_later = 0, delisted = 0, gaps = 0;
  for (const auto& [sym, n] : seen) {
    listed_later += !first.count(sym);
    delisted += !last.count(sym);
    gaps += first.count(sym) && last.count(sym) && n < static_cast<int>(s.size());
  }
  EXPECT_GT(listed_later, 0);
  EXPECT_GT(delisted, 0);
  EXPECT_GT(gaps, 0);
}

TEST_F(Generator, IndexFilesHoldEveryMarketSummaryCode) {
  std::map<std::string, Quote> idx = read_day(db("days/i261204"), true);
  for (const char* code : {"NADV", "NDCL", "NUNCH", "NTVL", "DJ30", "NTCK", "QADV", "COMPQ", "IXW",
                           "QTRIN", "IADV", "ADCL", "AUNCH", "XAU", "XMI", "ATCK"})
    EXPECT_TRUE(idx.count(code)) << code;
  std::string companys = read_file(db("general/companys"));
  EXPECT_NE(std::string::npos, companys.find("\nDJ30:DJ30 index:I:2::"));
  EXPECT_NE(std::string::npos, companys.find("\nNADV:NADV index:I:1::"));
  EXPECT_NE(std::string::npos, read_file(db(".kadmer")).find("daydir=" + db("days") + "\n"));
}

TEST(GeneratorOptions, BadOptionsExitTwo) {
  for (auto args : {std::vector<std::string>{}, std::vector<std::string>{"--out"},
                    std::vector<std::string>{"--out", "/tmp/x", "--days", "-3"},
                    std::vector<std::string>{"--out", "/tmp/x", "--end", "261304"},
                    std::vector<std::string>{"--bogus"}}) {
    RunResult r = run_program(kadmer_gen(), args);
    EXPECT_EQ(2, r.status);
    EXPECT_NE(std::string::npos, r.err.find("usage: kadmer-gen"));
  }
}

}  // namespace

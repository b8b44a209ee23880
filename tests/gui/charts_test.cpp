// The charts of the demo database in a real window, through the developer
// harness; each screen is kept as a screenshot and checked by its colours.
#include <gtest/gtest.h>
// after gtest: X defines None
#include <X11/Xutil.h>

#include <chrono>
#include <map>
#include <set>
#include <string>
#include <thread>

#include "support/run.h"
#include "support/xvfb.h"

namespace {

// Each drawing role in its own colour, so that a screenshot tells them apart.
const unsigned long RANGE = 0x00ff00, CLOSE = 0xff0000, MVAVG = 0xffff00, BOL = 0x00ffff, HIGH = 0xff00ff,
                    LOW = 0xffa500, GRAPH = 0xffffff, GRID = 0x808080;

class Charts : public ::testing::Test {
 protected:
  static std::unique_ptr<Xvfb> x;
  static TempDir* dir;
  static void SetUpTestSuite() {
    x = std::make_unique<Xvfb>(24, 1024, 900);
    dir = new TempDir;
    std::string sample = source_dir() + "/data/sample";
    dir->write(".kadmer", "generaldir=" + sample + "/general\nsymboldir=" + sample + "/symbols\ndaydir=" + sample +
                              "/days\nmvavgtype=1\nmvavgdays=20\nstdev=2.0\nstochdays=14\n"
                              "rangecolor=green\nclosecolor=red\nmvavgcolor=yellow\nbolcolor=cyan\n"
                              "highcolor=magenta\nlowcolor=orange\ngraphcolor=white\ngridcolor=#808080\n");
  }
  static void TearDownTestSuite() {
    x.reset();
    delete dir;
  }

  std::map<unsigned long, int> colours;  // pixels of each colour in the main window
  std::set<int> columns_of(unsigned long colour) const {
    std::set<int> out;
    for (std::size_t i = 0; i < pix.size(); ++i)
      if ((pix[i] & 0xffffff) == colour) out.insert(static_cast<int>(i % width));
    return out;
  }
  std::vector<unsigned long> pix;
  int width = 0, height = 0;

  // Shows one view, waits until it is drawn, keeps a screenshot.
  void show(const std::string& name, std::vector<std::string> args) {
    ASSERT_TRUE(x->ok());
    RunOptions o;
    o.cwd = dir->path();
    o.env = {"HOME=" + dir->path()};
    args.insert(args.begin(), {"-d", x->display()});
    Running look(kadmer_look(), args, o);
    Window w = x->wait_for_window("kadmer Vers 1.0");
    ASSERT_NE(0u, w) << look.stop().err;
    for (int i = 0; i < 200 && look.out_so_far().find("drawn") == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    ASSERT_NE(std::string::npos, look.out_so_far().find("drawn"));
    pix = x->pixels(w, &width, &height);
    colours.clear();
    for (unsigned long p : pix) ++colours[p & 0xffffff];
    EXPECT_TRUE(x->screenshot(artifact_path("chart-" + name + ".png")));
    RunResult r = look.stop();
    EXPECT_EQ("", r.err);
  }
};
std::unique_ptr<Xvfb> Charts::x;
TempDir* Charts::dir = nullptr;

TEST_F(Charts, BarsWithAverageBandsAndFibonacciLevels) {
  show("bars", {"--symbol", "AN", "--mvavg", "--bollinger", "--fib"});
  EXPECT_GT(colours[RANGE], 500);
  EXPECT_GT(colours[CLOSE], 100);
  EXPECT_GT(colours[MVAVG], 100);
  EXPECT_GT(colours[BOL], 200);
  EXPECT_GT(columns_of(RANGE).size(), 100u);  // a bar on every shown day
  EXPECT_EQ(0, colours[HIGH]);
}

TEST_F(Charts, DotLook) {
  show("dots", {"--symbol", "AN", "--quote", "d", "--mvavg", "--bollinger", "--fib"});
  EXPECT_GT(colours[BOL], 200);
  EXPECT_EQ(0, colours[RANGE]);
  EXPECT_GT(colours[HIGH], 200);
  EXPECT_GT(colours[LOW], 200);
  EXPECT_GT(colours[CLOSE], 200);
}

TEST_F(Charts, WeeklyBars) {
  show("daily", {"--symbol", "AN"});
  std::size_t daily = columns_of(RANGE).size();
  show("weekly", {"--symbol", "AN", "--period", "2", "--grid"});
  std::size_t weekly = columns_of(RANGE).size();
  EXPECT_GT(weekly, 20u);
  EXPECT_LT(weekly, daily);
  EXPECT_GT(colours[GRID], 1000);
}

TEST_F(Charts, Volume) {
  show("volume", {"--symbol", "AN", "--look", "2", "--mvavg"});
  EXPECT_GT(colours[CLOSE], 2000);  // the volume bars
  EXPECT_GT(colours[MVAVG], 100);
  EXPECT_EQ(0, colours[RANGE]);
}

TEST_F(Charts, SplitScreen) {
  show("smrtv", {"--symbol", "AN", "--look", "7", "--comb", "smrtv"});
  EXPECT_GT(colours[RANGE], 500);  // price bars and the first line of each panel
  EXPECT_GT(colours[BOL], 100);    // MACD and stochastics second lines
  EXPECT_GT(colours[CLOSE], 500);  // close dots and volume bars
}

TEST_F(Charts, CompanyAndGroupLists) {
  show("companys", {"--look", "13"});
  int companies_text = colours[GRAPH];
  EXPECT_GT(companies_text, 3000);
  show("groups", {"--look", "12"});
  EXPECT_GT(colours[GRAPH], 500);
  EXPECT_LT(colours[GRAPH], companies_text);
}

}  // namespace

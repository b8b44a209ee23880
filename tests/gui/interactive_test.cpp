// The real program under Xvfb, driven with xdotool as a user drives it:
// press on a title, drag to the item, release; move into a field, type,
// press Return or move out. Each test checks what the program drew (pixels
// of the window) or did (its level-1 trace).
#include <gtest/gtest.h>
// after gtest: X defines None
#include <X11/Xutil.h>

#include <chrono>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "support/run.h"
#include "support/xvfb.h"

namespace {

const unsigned long GREEN = 0x00ff00, CYAN = 0x00ffff, RED = 0xff0000, GREY = 0x808080, WHITE = 0xffffff;
const int FW = 6, FH = 13;

struct Point {
  int x, y;
};

// Menu geometry of a 100 x 60 window: title x and the title and item widths.
const int title_x[7] = {4, 8 * FW + 4, 16 * FW + 4, 25 * FW + 4, 38 * FW + 4, 47 * FW + 4, 602 - 8 * FW};
const int title_w[7] = {7, 7, 8, 12, 8, 15, 6};
const int item_w[7] = {14, 11, 8, 12, 12, 15, 0};

class Interactive : public ::testing::Test {
 protected:
  TempDir dir;
  std::unique_ptr<Xvfb> x;
  std::unique_ptr<Running> kadmer;
  Window main_window = 0;

  void SetUp() override {
    std::string sample = source_dir() + "/data/sample";
    dir.write(".kadmer", "generaldir=" + sample + "/general\nsymboldir=" + sample + "/symbols\ndaydir=" + sample +
                             "/days\nmvavgtype=1\nmvavgdays=20\nstdev=2.0\nstochdays=14\ngraphadv=2\n"
                             "rangecolor=green\nbolcolor=cyan\ngridcolor=#808080\n");
    x = std::make_unique<Xvfb>(24, 1024, 900);
    ASSERT_TRUE(x->ok());
    RunOptions o;
    o.cwd = dir.path();
    o.env = {"HOME=" + dir.path()};
    o.unset = {"DISPLAY"};
    kadmer = std::make_unique<Running>(kadmer_bin(), std::vector<std::string>{"-d", x->display(), "-t", "1"}, o);
    main_window = x->wait_for_window("kadmer Vers 1.0");
    ASSERT_NE(0u, main_window);
    settle();
  }
  void TearDown() override {
    if (kadmer && kadmer->alive()) {
      RunResult r = kadmer->stop();
      EXPECT_EQ(std::string::npos, r.err.find("Sanitizer")) << r.err;
      EXPECT_EQ(std::string::npos, r.err.find("runtime error")) << r.err;
    }
  }

  std::string trace() const { return kadmer->out_so_far(); }
  // Waits until the program has drawn what the last input asked for.
  void settle() {
    std::size_t size = 0;
    for (int i = 0; i < 100; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(60));
      std::size_t now = trace().size();
      if (now == size && i > 2) break;
      size = now;
    }
  }
  void xdo(std::vector<std::string> args) {
    RunResult r = x->xdotool(args);
    ASSERT_EQ(0, r.status) << r.err;
    settle();
  }
  static std::string s(int v) { return std::to_string(v); }

  static Point title(int m) { return {1 + title_x[m] + title_w[m] * FW / 2, 1 + FH / 2 + FH}; }
  static Point item(int m, int k) {
    return {1 + title_x[m] + item_w[m] * FW / 2, 1 + static_cast<int>((0.6 + 2 * k) * FH) + FH};
  }
  // Press on the title, drag down to the item, release.
  void choose(int m, int k) {
    Point t = title(m), i = item(m, k);
    xdo({"mousemove", s(t.x), s(t.y), "mousedown", "1", "sleep", "0.15", "mousemove", s(i.x), s(t.y + FH),
         "sleep", "0.05", "mousemove", s(i.x), s(i.y), "sleep", "0.15", "mouseup", "1"});
  }
  // A field of a dialog at the top left of the screen: its centre.
  static Point field(int row, int col, int width) { return {2 + col * FW + width * FW / 2, 3 + row * FH + FH / 2}; }
  void type_into(Point f, const std::string& text, bool press_return) {
    xdo({"mousemove", s(f.x), s(f.y), "sleep", "0.1", "type", "--delay", "30", text});
    if (press_return) xdo({"key", "Return"});
    else xdo({"mousemove", "400", "500"});
  }
  // Loads a security through the stock dialog, then closes the dialog with
  // its "done" button so that it covers no menu title.
  void load(const std::string& sym) {
    choose(1, 1);  // graph -> stock
    type_into(field(1, 9, 8), sym, true);
    Point done = field(9, 10, 6);
    xdo({"mousemove", s(done.x), s(done.y), "click", "1"});
  }

  // The window once two captures 50 ms apart agree: the server has drawn
  // everything the program sent.
  std::vector<unsigned long> pixels() {
    int w, h;
    std::vector<unsigned long> last = x->pixels(main_window, &w, &h);
    for (int i = 0; i < 40; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      std::vector<unsigned long> now = x->pixels(main_window, &w, &h);
      if (now == last) break;
      last = std::move(now);
    }
    return last;
  }
  // Waits (up to 6 s) until the trace holds n lines with `what`.
  void wait_for(const std::string& what, std::size_t n) {
    for (int i = 0; i < 120 && occurrences(what) < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_GE(occurrences(what), n) << what;
  }
  int count(unsigned long colour) {
    int n = 0;
    for (unsigned long p : pixels()) n += (p & 0xffffff) == colour;
    return n;
  }
  // Columns of the chart area in which the colour appears.
  std::size_t columns(unsigned long colour) {
    std::set<int> cols;
    std::vector<unsigned long> p = pixels();
    for (std::size_t i = 0; i < p.size(); ++i)
      if ((p[i] & 0xffffff) == colour) cols.insert(static_cast<int>(i % 602));
    return cols.size();
  }
  std::size_t occurrences(const std::string& what) {
    std::string t = trace();
    std::size_t n = 0;
    for (std::size_t at = t.find(what); at != std::string::npos; at = t.find(what, at + 1)) ++n;
    return n;
  }
  int mapped_arrows() {
    Window root, parent, *kids = nullptr;
    unsigned int n = 0;
    int mapped = 0;
    XQueryTree(x->connection(), main_window, &root, &parent, &kids, &n);
    for (unsigned int i = 0; i < n; ++i) {
      XWindowAttributes a;
      if (XGetWindowAttributes(x->connection(), kids[i], &a) && a.width == 2 * FW && a.height == FH &&
          a.map_state == IsViewable)
        ++mapped;
    }
    if (kids) XFree(kids);
    return mapped;
  }
};

TEST_F(Interactive, TheStockDialogLoadsAndDrawsASecurity) {
  EXPECT_EQ(0, mapped_arrows());
  load("AN");
  EXPECT_NE(std::string::npos, trace().find("loadstock(symbol=AN)"));
  EXPECT_GT(columns(GREEN), 100u);  // a bar a day
  EXPECT_EQ(2, mapped_arrows());    // left and right
  EXPECT_TRUE(x->screenshot(artifact_path("menus-stock.png")));
}

TEST_F(Interactive, TheDateDialog) {
  load("AN");
  std::size_t daily = columns(GREEN);
  choose(2, 1);  // modify -> date
  type_into(field(6, 13, 2), "2", true);  // graph type: weekly
  std::size_t weekly = columns(GREEN);
  EXPECT_LT(weekly, daily / 3);
  EXPECT_GT(weekly, 10u);
  type_into(field(9, 13, 5), "9999", false);  // more days than loaded
  EXPECT_NE(std::string::npos, trace().find("msg=leave: exceed stock days"));
  std::vector<unsigned long> before = pixels();
  type_into(field(10, 13, 9), "12-05-95", false);  // no date: ignored
  EXPECT_TRUE(before == pixels());
}

TEST_F(Interactive, ThePriceDialogKeepsItsFieldOpenOnReturn) {
  load("AN");
  choose(2, 2);  // modify -> price
  Point steps = field(3, 15, 3);
  type_into(steps, "12", true);
  EXPECT_EQ(1u, occurrences("draw_hashmarks(steps=12 "));
  xdo({"type", "--delay", "30", "15"});  // still in the field
  xdo({"mousemove", "400", "500"});
  EXPECT_EQ(1u, occurrences("draw_hashmarks(steps=15 "));
}

TEST_F(Interactive, BollingerBandsAreSwitchedWithOn) {
  load("AN");
  EXPECT_EQ(0, count(CYAN));
  choose(3, 1);  // indicators -> moving avg
  type_into(field(1, 17, 4), "on", false);
  EXPECT_GT(count(CYAN), 100);
  type_into(field(1, 17, 4), "of", false);
  EXPECT_EQ(0, count(CYAN));
}

TEST_F(Interactive, ZoomAndUnzoom) {
  load("AN");
  std::vector<unsigned long> whole = pixels();
  std::size_t all = columns(GREEN);
  // Each step waits for the redraws it causes: the item's and the release's.
  auto redraws = [&] { return occurrences("<- draw_chart("); };
  auto zoom = [&] {
    std::size_t n = redraws();
    choose(4, 2);  // action -> zoom
    xdo({"mousemove", "200", "300", "mousedown", "1", "mousemove", "300", "500", "sleep", "0.1", "mousemove",
         "400", "650", "sleep", "0.1", "mouseup", "1"});
    wait_for("<- draw_chart(", n + 2);
  };
  auto unzoom = [&] {
    std::size_t n = redraws();
    choose(4, 3);
    wait_for("<- draw_chart(", n + 1);
  };
  zoom();
  std::size_t zoomed = columns(GREEN);
  EXPECT_LT(zoomed, all);
  EXPECT_GT(zoomed, 0u);
  EXPECT_TRUE(x->screenshot(artifact_path("menus-zoom.png")));
  unzoom();  // after one zoom: the window saved before it
  EXPECT_TRUE(whole == pixels());
  zoom();
  zoom();
  unzoom();  // after two: the whole loaded range, from its first day
  EXPECT_FALSE(whole == pixels());
  EXPECT_GT(columns(GREEN), zoomed);
}

TEST_F(Interactive, ArrowsScrollAWeekAndStopAtTheEnds) {
  load("AN");
  std::vector<unsigned long> start = pixels();
  Point left{1 + 60 - 36 + FW + 1, 1 + 742 + FH - 1 + FH / 2 + 1};
  xdo({"mousemove", s(left.x), s(left.y), "click", "1"});
  EXPECT_FALSE(start == pixels());
  EXPECT_EQ(1u, occurrences("-> fn_arrowleft()"));
  xdo({"click", "--repeat", "60", "--delay", "40", "1"});
  std::vector<unsigned long> first_day = pixels();
  xdo({"click", "1"});
  EXPECT_TRUE(first_day == pixels());  // the first loaded day holds
  Point right{1 + 541 + FW + FW + 1, left.y};
  xdo({"mousemove", s(right.x), s(right.y), "click", "--repeat", "80", "--delay", "40", "1"});
  std::vector<unsigned long> last_day = pixels();
  xdo({"click", "1"});
  EXPECT_TRUE(last_day == pixels());  // pinned to the last loaded day
}

TEST_F(Interactive, GridAndTracking) {
  load("AN");
  EXPECT_EQ(0, count(GREY));
  choose(4, 7);  // grid on
  EXPECT_GT(count(GREY), 1000);
  choose(4, 7);  // the same item now reads "grid off"
  EXPECT_EQ(0, count(GREY));
  choose(4, 8);  // track on
  xdo({"mousemove", "300", "500", "sleep", "0.1", "mousemove", "310", "500"});
  EXPECT_GT(occurrences("-> mousemove()"), 0u);
  // The three read-out lines above the chart.
  int lines = 0;
  std::vector<unsigned long> p = pixels();
  for (int y = 78 - 35; y < 78; ++y)
    for (int xx = 0; xx < 602; ++xx) lines += (p[y * 602 + xx] & 0xffffff) == WHITE;
  EXPECT_GT(lines, 300);
  EXPECT_TRUE(x->screenshot(artifact_path("menus-track.png")));
}

TEST_F(Interactive, RsiWithNothingLoadedAsksForTheSecurity) {
  choose(1, 5);  // graph -> rsi
  EXPECT_NE(std::string::npos, trace().find("-> fn_stock()"));
  type_into(field(1, 9, 8), "AN", true);
  EXPECT_NE(std::string::npos, trace().find("-> draw_rsi()"));
  EXPECT_GT(count(GREEN), 200);  // the RSI line
}

TEST_F(Interactive, AClickInTheCompanyListOpensItsChart) {
  choose(5, 3);  // configuration -> companys
  EXPECT_NE(std::string::npos, trace().find("-> draw_companys(mode=1"));
  xdo({"mousemove", "61", "46", "click", "1"});
  EXPECT_NE(std::string::npos, trace().find("draw_companys(mode=2 column=10 row=4)"));
  EXPECT_NE(std::string::npos, trace().find("loadstock(symbol=A)"));
  EXPECT_GT(columns(GREEN), 50u);
}

TEST_F(Interactive, ColoursAreTypedByName) {
  load("AN");
  EXPECT_LT(count(RED), 10);
  choose(5, 1);  // configuration -> colors
  Point close{1 + 13 * FW + 6 * FW + 1, 1 + 1 + 3 * FH + FH / 2 + 1};
  type_into(close, "red", false);
  EXPECT_GT(count(RED), 50);  // the close dots
  type_into(close, "nosuchcolour", false);
  EXPECT_NE(std::string::npos, trace().find("msg=leave: XMakeNamedColor failed"));
}

TEST_F(Interactive, QuitEndsAtOnceOnThePress) {
  Point q = title(6);
  ASSERT_EQ(0, x->xdotool({"mousemove", s(q.x), s(q.y), "mousedown", "1"}).status);
  RunResult end = kadmer->wait(10);
  EXPECT_FALSE(end.timed_out);
  EXPECT_EQ(0, end.status);
  x->xdotool({"mouseup", "1"});
}

TEST_F(Interactive, TwoThousandRandomEventsLeaveItAliveAndClean) {
  load("AN");
  std::mt19937 rng(1995);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const char* keys[] = {"a", "b", "1", "2", "slash", "Return", "BackSpace", "o", "n", "period", "Delete", "s"};
  int events = 0;
  while (events < 2000) {
    std::vector<std::string> chain;
    for (int i = 0; i < 50; ++i, ++events) {
      int what = pick(0, 9);
      int px = pick(0, 600), py = pick(0, 780);
      if (px > 600 - 9 * FW && py < 3 * FH) py += 3 * FH;  // never the quit title
      if (what < 4) {
        chain.insert(chain.end(), {"mousemove", s(px), s(py)});
      } else if (what < 6) {
        chain.insert(chain.end(), {"mousemove", s(px), s(py), "mousedown", "1"});
      } else if (what < 8) {
        chain.insert(chain.end(), {"mousemove", s(px), s(py), "mouseup", "1"});
      } else {
        chain.insert(chain.end(), {"key", keys[pick(0, 11)]});
      }
    }
    RunResult r = x->xdotool(chain);
    ASSERT_EQ(0, r.status) << r.err;
    ASSERT_TRUE(kadmer->alive()) << "kadmer ended after " << events << " events: " << kadmer->stop().err;
  }
  x->xdotool({"mouseup", "1"});
  settle();
  ASSERT_TRUE(kadmer->alive());
  choose(1, 1);  // it still answers
  EXPECT_TRUE(kadmer->alive());
}

}  // namespace

// The real program under a private Xvfb with the 6x13 "fixed" font: its
// window's size, position, hints, colours on PseudoColor and TrueColor
// screens and fatal start-up failures; and sessions driven with xdotool as a
// user drives it: press on a title, drag to the item, release; move into a
// field, type, press Return or move out. Each session checks what the program
// drew (pixels of the window) or did (its level-1 trace).
#include "support/fixtures.h"
#include "support/xvfb.h"
// after gtest: X defines None
#include <X11/Xutil.h>

namespace {

const unsigned long GREEN = 0x00ff00, CYAN = 0x00ffff, RED = 0xff0000, BLUE = 0x0000ff;
const int FW = 6, FH = 13;
const int DIALOG_TOP = 1 + FH / 2 + 4 * FH + 2;  // the border, the menu bar, the message and title lines

struct Point { int x, y; };

// Menu geometry of a 100 x 60 window: title x and the title and item widths.
const int title_x[7] = {4, 8 * FW + 4, 16 * FW + 4, 25 * FW + 4, 38 * FW + 4, 47 * FW + 4, 602 - 8 * FW};
const int title_w[7] = {7, 7, 8, 12, 8, 15, 6};
const int item_w[7] = {14, 11, 8, 12, 12, 15, 0};

class Program : public ::testing::Test {
 protected:
  TempDir dir;
  std::unique_ptr<Xvfb> x;
  std::unique_ptr<Running> kadmer;
  Window main_window = 0;
  XWindowAttributes a{};

  // Starts kadmer on the server (a TrueColor one unless started already),
  // waits for its main window and reads its attributes.
  Window start(std::vector<std::string> args = {}) {
    if (!x) x = std::make_unique<Xvfb>(24, 1280, 1024);
    EXPECT_TRUE(x->ok()) << "Xvfb did not start";
    args.insert(args.begin(), {"-d", x->display()});
    kadmer = std::make_unique<Running>(KADMER_BIN, args, in_dir(dir.path()));
    if ((main_window = x->wait_for_window("kadmer Vers 1.0"))) XGetWindowAttributes(x->connection(), main_window, &a);
    return main_window;
  }
  // What it wrote on standard error, stopped before it ended by itself.
  std::string stop() {
    RunResult r = kadmer->stop();
    EXPECT_EQ(128 + 15, r.status) << "kadmer ended before it was stopped: " << r.err;
    return r.err;
  }
  void TearDown() override {
    if (!kadmer || !kadmer->alive()) return;
    std::string err = kadmer->stop().err;
    EXPECT_TRUE(err.find("Sanitizer") == std::string::npos && err.find("runtime error") == std::string::npos) << err;
  }
};

TEST_F(Program, SizePositionAndHintsFromTheSettings) {
  ASSERT_NE(0u, start());
  Display* d = x->connection();
  // 100 x 60 cells of 6 x 13 and a border, at the origin.
  EXPECT_EQ((std::array{602, 782, 1, 0, 0}), (std::array{a.width, a.height, a.border_width, a.x, a.y}));
  XSizeHints hints;
  long supplied;
  ASSERT_TRUE(XGetWMNormalHints(d, main_window, &hints, &supplied));
  EXPECT_EQ((std::tuple{long(USSize | PPosition), std::string()}), (std::tuple{long(hints.flags & (USSize | PPosition)), stop()}));

  dir.write(".kadmer", "xpos=-10\nypos=-20\nwidth=80\nheight=50\n");  // from the right and bottom edges
  ASSERT_NE(0u, start({"-iconic"}));
  EXPECT_EQ((std::array{80 * 6 + 2, 50 * 13 + 2, 1280 - 10, 1024 - 20}),
            (std::array{a.width, a.height, a.x + a.width, a.y + a.height}));
  XWMHints* h = XGetWMHints(d, main_window);
  ASSERT_NE(nullptr, h);
  EXPECT_EQ((std::array<long, 2>{IconicState, True}), (std::array<long, 2>{h->initial_state, h->input}));  // it takes keys
  EXPECT_TRUE(h->flags & IconPixmapHint);
  XImage* icon = XGetImage(d, h->icon_pixmap, 0, 0, 64, 64, 1, XYPixmap);  // the built-in one: framed
  ASSERT_NE(nullptr, icon);
  int frame = 0;
  for (int i = 0; i < 64; ++i)
    frame += XGetPixel(icon, i, 0) + XGetPixel(icon, i, 63) + XGetPixel(icon, 0, i) + XGetPixel(icon, 63, i);
  EXPECT_EQ((std::array<unsigned long, 2>{256, 0}), (std::array{static_cast<unsigned long>(frame), XGetPixel(icon, 32, 2)}));
  XDestroyImage(icon);
  XFree(h);
  stop();
}

TEST_F(Program, AMisspeltColourOrAFatalFailureAtTheStart) {
  dir.write(".kadmer", "closecolor=rde\n");
  x = std::make_unique<Xvfb>(8, 1280, 1024);
  ASSERT_NE(0u, start());
  std::array<XColor, 256> cells{};  // its own colormap, the colours stored in it before the window shows
  for (int i = 0; i < 256; ++i) cells[i].pixel = static_cast<unsigned long>(i);
  XQueryColors(x->connection(), a.colormap, cells.data(), 256);
  bool white = std::any_of(cells.begin(), cells.end(), [](const XColor& c) { return c.red + c.green + c.blue == 3 * 0xffff; });
  EXPECT_EQ((std::tuple{true, true, std::string()}),
            (std::tuple{DefaultColormap(x->connection(), 0) != a.colormap, white, stop()}));
  x.reset();
  dir.write(".kadmer", "closecolor=rde\nbackground=" + std::string(40, 'z') + "\n");
  ASSERT_NE(0u, start());
  EXPECT_EQ(DefaultColormap(x->connection(), 0), a.colormap);
  EXPECT_EQ(0x000000u, x->pixels(main_window)[700 * 602 + 300]);  // the default background
  EXPECT_EQ("kadmer: unknown color rde for close, using white\n"
            "kadmer: unknown color zzzzzzzzzzzzzzz for background, using black\n", stop());
  x = std::make_unique<Xvfb>(24, 1280, 1024);
  ASSERT_TRUE(x->ok());
  dir.write("bad.xbm", "this is not a bitmap\n");
  struct { std::vector<std::string> args; const char* kadmer_file; const char* message; } cases[] = {
      {{"-d", x->display(), "-fn", "nosuchfont"}, "", "kadmer: XLoadQueryFont failed\n"},
      {{"-d", x->display(), "-ib", "/no/such/icon.xbm"}, "", "kadmer: BitmapOpenFailed\n"},
      {{"-d", x->display(), "-ib", "bad.xbm"}, "", "kadmer: BitmapFileInvalid\n"}};
  for (const auto& c : cases) {
    dir.write(".kadmer", c.kadmer_file);
    RunResult r = run_program(KADMER_BIN, c.args, in_dir(dir.path()));
    EXPECT_EQ((std::tuple{1, std::string(c.message)}), (std::tuple{r.status, r.err}));
  }
  dir.write(".kadmer", "width=-5\nheight=" + std::string(100000, '9') + "\ndaydir=/no/such/dir\n");
  ASSERT_NE(0u, start());
  EXPECT_GE(a.width, 6);
  stop();
}

// ---- sessions on the demo database ----

class Interactive : public Program {
 protected:
  void SetUp() override {
    std::string sample = KADMER_SOURCE_DIR "/data/sample";  // its tables copied: a watchlist is written beside them
    fs::copy(sample + "/general", dir.file("general"));
    dir.write(".kadmer", "# the demo database\ngeneraldir=" + dir.file("general") + "\nsymboldir=" + sample + "/symbols\ndaydir=" + sample +
                             "/days\nmvavgtype=1\nmvavgdays=20\nstdev=2.0\nstochdays=14\ngraphadv=3\n"
                             "rangecolor=green\nbolcolor=cyan\n");
    ASSERT_NE(0u, start({"-t", "1"}));
    settle();
  }

  // Waits until the program has done what the last input asked for: its
  // trace stops growing after the exit of a handler (level 2), not inside
  // one that a busy machine holds up between two lines.
  void settle() {
    for (std::size_t i = 0, size = 0, stable = 0; i < 200; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(40));
      std::string t = kadmer->out_so_far();
      stable = t.size() == size ? stable + 1 : 0;
      size = t.size();
      std::size_t in = t.rfind("-> "), out = t.rfind("<- ");
      bool idle = out != std::string::npos && out >= 2 && (in == std::string::npos || out > in) &&
                  t.compare(out - 2, 2, " 2") == 0;
      if (stable >= 3 && idle) break;
    }
  }
  void xdo(const std::vector<std::string>& args) {
    ASSERT_EQ(0, x->xdotool(args).status) << args[0];
    settle();
  }
  static std::string s(int v) { return std::to_string(v); }
  void click(Point p, int times = 1) { xdo({"mousemove", s(p.x), s(p.y), "click", "--repeat", s(times), "--delay", "40", "1"}); }
  // Press on the title of menu m, drag down to its item k, release.
  void choose(int m, int k) {
    Point t{1 + title_x[m] + title_w[m] * FW / 2, 1 + FH / 2 + FH};
    Point i{1 + title_x[m] + item_w[m] * FW / 2, 1 + static_cast<int>((0.6 + 2 * k) * FH) + FH};
    xdo({"mousemove", s(t.x), s(t.y), "mousedown", "1", "sleep", "0.15", "mousemove", s(i.x), s(t.y + FH),
         "sleep", "0.05", "mousemove", s(i.x), s(i.y), "sleep", "0.15", "mouseup", "1"});
  }
  // A field of a dialog, which opens at the main window's left edge below
  // the menu bar, the message line and the title line: its centre.
  static Point field(int row, int col, int width) {
    return {3 + col * FW + width * FW / 2, DIALOG_TOP + 3 + row * FH + FH / 2};
  }
  void type_into(Point f, const std::string& text, bool press_return) {
    xdo({"mousemove", s(f.x), s(f.y), "sleep", "0.1", "type", "--delay", "30", text});
    xdo(press_return ? std::vector<std::string>{"key", "Return"} : std::vector<std::string>{"mousemove", "400", "500"});
  }
  // Loads a security through the stock dialog, then closes the dialog with
  // its "done" button so that it covers no menu title.
  void load(const std::string& sym) {
    choose(1, 1);  // graph -> stock
    type_into(field(1, 9, 8), sym, true);
    click(field(10, 10, 6));  // done
  }
  // The window once two captures 50 ms apart agree: the server has drawn
  // everything the program sent.
  std::vector<unsigned long> pixels() {
    std::vector<unsigned long> last = x->pixels(main_window), now;
    for (int i = 0; i < 40; ++i, last = std::move(now)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      if ((now = x->pixels(main_window)) == last) break;
    }
    return last;
  }
  // Whether the window comes to show `want` within 3 s: a late expose may
  // still redraw a part of it after two captures agreed.
  bool shows(const std::vector<unsigned long>& want) {
    for (int i = 0; i < 60; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(50)))
      if (x->pixels(main_window) == want) return true;
    return false;
  }
  int count(unsigned long colour) { return static_cast<int>(std::ranges::count(pixels(), colour)); }
  // The columns of the window in which the colour appears.
  std::size_t columns(unsigned long colour) {
    std::set<std::size_t> cols;
    std::vector<unsigned long> p = pixels();
    for (std::size_t i = 0; i < p.size(); ++i)
      if (p[i] == colour) cols.insert(i % 602);
    return cols.size();
  }
  std::size_t occurrences(const std::string& what) {
    std::string t = kadmer->out_so_far();
    std::size_t n = 0;
    for (std::size_t at = t.find(what); at != std::string::npos; at = t.find(what, at + 1)) ++n;
    return n;
  }
  // Waits (up to 6 s) until the trace holds n lines with `what`.
  void wait_for(const std::string& what, std::size_t n) {
    for (int i = 0; i < 120 && occurrences(what) < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_GE(occurrences(what), n) << what;
  }
};

TEST_F(Interactive, AStockChartZoomsAndScrolls) {
  load("AN");
  EXPECT_EQ(1u, occurrences("loadstock(symbol=AN)"));
  std::vector<unsigned long> whole = pixels();
  std::size_t all = columns(GREEN);
  EXPECT_GT(all, 100u);  // a bar a day

  // Zoom waits for the redraws of the item and of the release; unzoom after
  // one zoom shows the window saved before it, after two the whole loaded
  // range from its first day.
  auto zoom = [&](int item) {
    std::size_t n = occurrences("<- draw_chart("), redraws = item == 2 ? 2 : 1;
    choose(4, item);  // action -> zoom or unzoom
    if (item == 2)
      xdo({"mousemove", "200", "300", "mousedown", "1", "mousemove", "300", "500", "sleep", "0.1", "mousemove", "400",
           "650", "sleep", "0.1", "mouseup", "1"});
    wait_for("<- draw_chart(", n + redraws);
  };
  zoom(2);
  std::size_t zoomed = columns(GREEN);
  EXPECT_TRUE(zoomed > 0 && zoomed < all) << zoomed;
  zoom(3);
  EXPECT_TRUE(shows(whole));
  for (int item : {2, 2, 3}) zoom(item);
  std::vector<unsigned long> start = pixels();
  EXPECT_TRUE(whole != start && columns(GREEN) > zoomed);

  // The arrows beside the chart scroll by a month.
  Point left{1 + 60 - 36 + FW + 1, 1 + 742 + FH - 1 + FH / 2 + 1}, right{1 + 541 + FW + FW + 1, left.y};
  click(right);
  EXPECT_TRUE(occurrences("-> fn_arrowright()") == 1u && start != pixels());
  click(left);  // a step back shows the same days again
  EXPECT_TRUE(shows(start));

  // Tracking on, a crosshair follows the pointer over the plot: a line
  // through it at the day under the pointer and one across it; moved on,
  // the first is gone to the last pixel (but where the new one crosses it),
  // and another stands where it went.
  choose(4, 8);  // action -> track on
  std::vector<unsigned long> before = pixels();
  auto changed = [&](const std::vector<unsigned long>& p, int col, int row, int len) {  // down a column, or along a row
    int n = 0;
    for (int i = 0; i < len; ++i) n += col >= 0 ? p[(150 + i) * 602 + col] != before[(150 + i) * 602 + col]
                                               : p[row * 602 + 70 + i] != before[row * 602 + 70 + i];
    return n;
  };
  auto line_near = [&](const std::vector<unsigned long>& p, int x) {
    for (int c = x - 8; c <= x + 8; ++c)
      if (changed(p, c, 0, 550) > 450) return c;
    return -1;
  };
  xdo({"mousemove", "300", "400", "sleep", "0.3"});
  std::vector<unsigned long> crossed = pixels();
  int first = line_near(crossed, 299);
  xdo({"mousemove", "420", "450", "sleep", "0.3"});
  std::vector<unsigned long> moved = pixels();
  EXPECT_TRUE(first > 0 && changed(crossed, -1, 399, 400) > 350 && changed(moved, first, 0, 550) <= 1 &&
              line_near(moved, 419) > 0) << first;
}

TEST_F(Interactive, DialogsListsSwitchesAndColoursThenQuitOnThePress) {
  load("AN");
  EXPECT_EQ(0, count(CYAN));
  choose(3, 1);  // indicators -> moving avg
  type_into(field(1, 17, 4), "on", false);
  EXPECT_GT(count(CYAN), 100);
  type_into(field(1, 17, 4), "of", false);
  EXPECT_EQ(0, count(CYAN));
  click(field(15, 14, 6));
  choose(5, 3);  // configuration -> companys: a click opens one
  EXPECT_NE(0u, occurrences("-> draw_companys(mode=1"));
  click({61, 72});  // the first row under the heading's two lines
  EXPECT_EQ((std::array<std::size_t, 2>{1, 1}),
            (std::array{occurrences("draw_companys(mode=2 column=10 row=6)"), occurrences("loadstock(symbol=A)")}));
  EXPECT_GT(columns(GREEN), 50u);

  EXPECT_LT(count(RED), 10);
  choose(5, 1);  // configuration -> colors
  Point close{2 + 13 * FW + 6 * FW + 1, DIALOG_TOP + 2 + 3 * FH + FH / 2 + 1};
  type_into(close, "red", false);
  EXPECT_GT(count(RED), 50);  // the close dots
  type_into(close, "nosuchcolour", false);
  EXPECT_EQ(1u, occurrences("msg=leave: XMakeNamedColor failed"));

  ASSERT_EQ(0, x->xdotool({"mousemove", s(1 + title_x[6] + title_w[6] * FW / 2), "20", "mousedown", "1"}).status);
  RunResult end = kadmer->wait(10);
  EXPECT_TRUE(!end.timed_out && end.status == 0) << end.status;
  x->xdotool({"mouseup", "1"});
}

// Over the main window, with no dialog field under the pointer: a typed
// symbol and Return chart it, and Ctrl+S writes a changed setting back into
// .kadmer (unknown symbols, the keys and the wheel: the in-process tests).
TEST_F(Interactive, KeysAndTheWheelInTheMainWindowAndCtrlSSavesTheSettings) {
  type_into({300, 400}, "an", true);
  EXPECT_TRUE(occurrences("loadstock(symbol=AN)") == 1u && columns(GREEN) > 100u);
  choose(3, 1);  // indicators -> moving avg: 30 days, the average built again at once, then Ctrl+S
  std::size_t averages = occurrences("-> calc_stock_mvavgs(");
  type_into(field(10, 20, 3), "30", true);
  EXPECT_GT(occurrences("-> calc_stock_mvavgs("), averages);
  click(field(15, 14, 6));
  xdo({"mousemove", "300", "400", "sleep", "0.1", "key", "ctrl+s"});
  wait_for("msg=settings: 1 changed, saved to ", 1);
  std::string saved = read_file(dir.file(".kadmer"));
  EXPECT_TRUE(saved.rfind("# the demo database\n", 0) == 0 && saved.find("\nmvavgdays=30\n") != std::string::npos)
      << saved;
}

// ---- screening ----

// The query window: a field's centre at (row, column, width).
TEST_F(Interactive, AQueryListsChartsARowAndPrintsTheWholeList) {
  choose(5, 2);  // configuration -> database: print to standard output; it stays open under the menus
  type_into(field(11, 1, 48), "stdout", true);
  choose(0, 2);  // query -> percent: the window opens, nothing is read yet
  EXPECT_EQ(0u, occurrences("-> get_query_data("));
  type_into(field(9, 13, 4), "20", true);  // Count: 20, Return
  EXPECT_EQ(1u, occurrences("-> get_query_data("));
  click(field(25, 10, 6));  // done
  EXPECT_TRUE(count(RED) > 200 && count(BLUE) > 200);  // risers on the left, fallers on the right
  std::size_t before = kadmer->out_so_far().size();
  choose(4, 6);  // action -> print
  // The writer is said to have written only once it has ended: all it printed is there.
  wait_for(" lines written to ", 1);
  std::string printed = kadmer->out_so_far().substr(before);
  // Every row the list holds, as kadmer-scan writes it for the same query.
  RunResult scan = run_program(KADMER_SCAN, {"--config", dir.file(".kadmer"), "--start", "2026-12-04", "--end",
                                               "2026-12-04", "--list", "percent", "--high", "100"});
  ASSERT_EQ(0, scan.status) << scan.err;
  for (const std::string& line : split_lines(scan.out)) EXPECT_NE(std::string::npos, printed.find(line + "\n")) << line;
  EXPECT_GT(split_lines(scan.out).size(), 20u);  // more than the page shows
  xdo({"mousemove", "360", "87", "click", "1"});  // the first row of the right column
  EXPECT_TRUE(occurrences("-> loadstock(symbol=") == 1u && columns(GREEN) > 50u);  // its chart
}

// The history step works on the table of the list before it: no day file is
// read again (the group and distribution steps alike: the in-process tests).
TEST_F(Interactive, TheHistoryStepUsesTheTableOfTheListBeforeIt) {
  choose(0, 1);  // query -> price, over two months
  type_into(field(2, 13, 8), "10/01/26", false);
  type_into(field(9, 13, 4), "20", true);
  click(field(25, 10, 6));  // done
  choose(0, 8);  // moving avg: the history step only, no new read of the day files
  click(field(25, 10, 6));
  EXPECT_EQ((std::array<std::size_t, 2>{1, 1}), (std::array{occurrences("-> get_query_data("), occurrences("-> load_query_extra(")}));
}

// A screen typed into the query window lists what kadmer-scan finds; a click
// charts a row, Ctrl+N and Ctrl+P the rows after and before it, in the chart
// kind shown, and Ctrl+W keeps the one charted in a watchlist.
TEST_F(Interactive, AScreenChartsItsRowsOneAfterAnotherAndCtrlWKeepsOne) {
  choose(0, 17);  // query -> screen: nothing typed yet, the window says how
  wait_for("msg=screen: type a condition", 1);
  type_into(field(2, 13, 8), "09/01/26", false);
  type_into(field(23, 9, 18), "rsi < 45 and close > 5; sort -rsi", true);
  click(field(25, 10, 6));  // done
  RunResult scan = run_program(KADMER_SCAN, {"--config", dir.file(".kadmer"), "--start", "2026-09-01", "--end",
                                             "2026-12-04", "--where", "rsi < 45 and close > 5", "--sort", "-rsi"});
  std::vector<std::string> found = split_lines(scan.out);
  ASSERT_GT(found.size(), 4u) << scan.err;
  auto symbol = [&](std::size_t row) { return fields(found[row], ' ')[0]; };
  xdo({"mousemove", "300", "100", "click", "1"});  // the second row
  choose(1, 2);  // graph -> volume: flipping keeps it
  for (const char* key : {"ctrl+n", "ctrl+n", "ctrl+p"}) xdo({"mousemove", "300", "400", "key", key});
  std::string t = kadmer->out_so_far(), charted;
  for (std::size_t at = t.find("loadstock(symbol="); at != std::string::npos; at = t.find("loadstock(symbol=", at + 1))
    charted += t.substr(at + 17, t.find(')', at) - at - 17) + " ";
  EXPECT_EQ(symbol(2) + " " + symbol(3) + " " + symbol(4) + " " + symbol(3) + " ", charted);
  EXPECT_GE(occurrences("-> draw_volume("), 4u);  // each of the three flipped to drew the volume chart
  xdo({"mousemove", "300", "400", "key", "ctrl+w", "key", "ctrl+w"});
  wait_for("msg=" + symbol(3) + " is in watchlist mine already", 1);
  EXPECT_EQ("mine: " + symbol(3) + "\n", read_file(dir.file("general/watchlists")));
}

// ---- market overview ----

TEST_F(Interactive, MarketSummaryAndTheAdvanceDeclineLine) {
  choose(3, 2);  // indicators -> market: the NYSE summary of the last two days
  type_into(field(4, 12, 2), "n", true);
  EXPECT_EQ(1u, occurrences("-> draw_layout("));
  xdo({"mousemove", s(field(7, 8, 6).x), s(field(7, 8, 6).y), "click", "1"});  // done
  xdo({"mousemove", "248", "242", "click", "1"});  // the DJ30 code, 15 columns in, below the heading: its chart
  EXPECT_TRUE(occurrences("loadstock(symbol=DJ30)") == 1u && columns(GREEN) > 50u);
  choose(1, 10);  // graph -> a/d line of all stocks, every line
  type_into(field(1, 10, 8), "S", false);
  EXPECT_EQ(0u, occurrences("-> loadad("));  // nothing until the lines are chosen too
  type_into(field(5, 10, 4), "a", true);
  EXPECT_TRUE(occurrences("-> loadad(") == 1u && count(RED) > 100);  // the advances
}

}  // namespace

// The real window under a private Xvfb with the 6x13 "fixed" font: size,
// position, hints, colours on PseudoColor and TrueColor screens, reverse
// video, and the fatal start-up failures.
#include <gtest/gtest.h>
// after gtest: X defines None
#include <X11/Xutil.h>

#include <string>
#include <vector>

#include "support/run.h"
#include "support/xvfb.h"

namespace {

const char* const title = "kadmer Vers 1.0";

class ProgramWindow : public ::testing::Test {
 protected:
  TempDir dir;
  std::unique_ptr<Xvfb> x;
  std::unique_ptr<Running> program;

  void start_server(int depth = 24, int visual_class = -1) {
    x = std::make_unique<Xvfb>(depth, 1280, 1024, visual_class);
    ASSERT_TRUE(x->ok()) << "Xvfb did not start";
  }
  RunOptions options() {
    RunOptions o;
    o.cwd = dir.path();
    o.env = {"HOME=" + dir.path()};
    o.unset = {"DISPLAY"};
    return o;
  }
  // Starts kadmer on the private server and waits for its main window.
  Window start(std::vector<std::string> args = {}) {
    if (!x) start_server();
    args.insert(args.begin(), {"-d", x->display()});
    program = std::make_unique<Running>(kadmer_bin(), args, options());
    return x->wait_for_window(title);
  }
  XWindowAttributes attributes(Window w) {
    XWindowAttributes a{};
    XGetWindowAttributes(x->connection(), w, &a);
    return a;
  }
  RunResult stop() {
    RunResult r = program->stop();
    EXPECT_EQ(128 + 15, r.status) << "kadmer ended before it was stopped: " << r.err;
    return r;
  }
};

TEST_F(ProgramWindow, HundredBySixtyCellsOfSixByThirteenGive602By782) {
  Window w = start();
  ASSERT_NE(0u, w);
  XWindowAttributes a = attributes(w);
  EXPECT_EQ(602, a.width);
  EXPECT_EQ(782, a.height);
  EXPECT_EQ(1, a.border_width);
  EXPECT_EQ(0, a.x);
  EXPECT_EQ(0, a.y);
  char* icon_name = nullptr;
  ASSERT_TRUE(XGetIconName(x->connection(), w, &icon_name));
  EXPECT_STREQ("kadmer", icon_name);
  XFree(icon_name);
  XSizeHints hints;
  long supplied;
  ASSERT_TRUE(XGetWMNormalHints(x->connection(), w, &hints, &supplied));
  EXPECT_TRUE(hints.flags & USSize);
  EXPECT_TRUE(hints.flags & PPosition);
  stop();
}

TEST_F(ProgramWindow, GeometryPlacesTheWindowFromTheBottomEdge) {
  Window w = start({"-geometry", "80x50+10-20"});
  ASSERT_NE(0u, w);
  XWindowAttributes a = attributes(w);
  EXPECT_EQ(80 * 6 + 2, a.width);
  EXPECT_EQ(50 * 13 + 2, a.height);
  EXPECT_EQ(10, a.x);
  EXPECT_EQ(1024 - 20 - (50 * 13 + 2), a.y);
  stop();
}

TEST_F(ProgramWindow, ANegativeXposCountsFromTheRightEdge) {
  dir.write(".kadmer", "xpos=-10\nwidth=50\n");
  Window w = start();
  ASSERT_NE(0u, w);
  XWindowAttributes a = attributes(w);
  EXPECT_EQ(1280 - 10, a.x + a.width);
  stop();
}

TEST_F(ProgramWindow, IconicAsksTheWindowManagerForAnIcon) {
  Window w = start({"-iconic"});
  ASSERT_NE(0u, w);
  XWMHints* h = XGetWMHints(x->connection(), w);
  ASSERT_NE(nullptr, h);
  EXPECT_EQ(IconicState, h->initial_state);
  EXPECT_TRUE(h->flags & IconPixmapHint);
  XFree(h);
  stop();
}

TEST_F(ProgramWindow, ReverseVideoGivesAWhiteBackground) {
  Window w = start();
  ASSERT_NE(0u, w);
  EXPECT_EQ(0x000000u, x->pixel_at(300, 700));
  stop();
  w = start({"-rv"});
  ASSERT_NE(0u, w);
  EXPECT_EQ(0xffffffu, x->pixel_at(300, 700));
  stop();
}

TEST_F(ProgramWindow, AMisspeltColourOnPseudoColorUsesAPrivateColormap) {
  start_server(8);
  dir.write(".kadmer", "closecolor=rde\n");
  Window w = start();
  ASSERT_NE(0u, w);
  XWindowAttributes a = attributes(w);
  EXPECT_NE(DefaultColormap(x->connection(), 0), a.colormap);
  RunResult r = stop();
  EXPECT_EQ("", r.err);
}

TEST_F(ProgramWindow, AMisspeltColourOnTrueColorKeepsTheDefaultWithAMessage) {
  dir.write(".kadmer", "closecolor=rde\nbackground=" + std::string(40, 'z') + "\n");
  Window w = start();
  ASSERT_NE(0u, w);
  XWindowAttributes a = attributes(w);
  EXPECT_EQ(DefaultColormap(x->connection(), 0), a.colormap);
  EXPECT_EQ(0x000000u, x->pixel_at(300, 700));  // the default background
  RunResult r = stop();
  EXPECT_EQ("kadmer: unknown color rde for close, using white\n"
            "kadmer: unknown color zzzzzzzzzzzzzzz for background, using black\n",
            r.err);
}

TEST_F(ProgramWindow, TheOpeningScreenShowsTheMessage) {
  Window w = start();
  ASSERT_NE(0u, w);
  // The seven lines start at column 7, baselines from row 7 on.
  int lit = 0;
  for (int y = 7 * 13 - 10; y < 14 * 13; y += 2)
    for (int x0 = 7 * 6; x0 < 7 * 6 + 60 * 6; x0 += 3) lit += x->pixel_at(x0 + 1, y + 1) != 0;
  EXPECT_GT(lit, 100);
  EXPECT_TRUE(x->screenshot(artifact_path("opening-screen.png")));
  stop();
}

struct Fatal {
  const char* name;
  std::vector<std::string> args;
  std::string kadmer_file;
  std::string message;
};

class FatalStart : public ProgramWindow, public ::testing::WithParamInterface<Fatal> {};

TEST_P(FatalStart, EndsWithStatusOneAndTheMessage) {
  start_server();
  const Fatal& f = GetParam();
  if (!f.kadmer_file.empty()) dir.write(".kadmer", f.kadmer_file);
  dir.write("bad.xbm", "this is not a bitmap\n");
  std::vector<std::string> args = f.args;
  for (std::string& a : args)
    if (a == "DISPLAY") a = x->display();
  RunResult r = run_program(kadmer_bin(), args, options());
  EXPECT_EQ(1, r.status);
  EXPECT_EQ(f.message, r.err);
}

INSTANTIATE_TEST_SUITE_P(
    StartUpFailures, FatalStart,
    ::testing::Values(
        Fatal{"NoSuchFont", {"-d", "DISPLAY", "-fn", "nosuchfont"}, "", "kadmer: XLoadQueryFont failed\n"},
        Fatal{"UnreachableDisplay", {"-d", ":none"}, "", "kadmer: XOpenDisplay failed\n"},
        Fatal{"NoDisplaySet", {}, "width=50\n", "kadmer: XOpenDisplay failed\n"},
        Fatal{"MissingIcon", {"-d", "DISPLAY", "-ib", "/no/such/icon.xbm"}, "", "kadmer: BitmapOpenFailed\n"},
        Fatal{"InvalidIcon", {"-d", "DISPLAY", "-ib", "bad.xbm"}, "", "kadmer: BitmapFileInvalid\n"}),
    [](const ::testing::TestParamInfo<Fatal>& i) { return std::string(i.param.name); });

TEST_F(ProgramWindow, BadConfigurationNeverStopsTheStart) {
  std::string garbage;
  for (int i = 0; i < 2048; ++i) garbage += static_cast<char>((i * 131 + 7) % 256);
  dir.write(".kadmer", garbage + "\nwidth=\nheight=" + std::string(100000, '9') +
                           "\ndaydir=/no/such/dir\nwidth=-5\n");
  Window w = start();
  ASSERT_NE(0u, w);
  EXPECT_GE(attributes(w).width, 6);
  stop();
}

}  // namespace

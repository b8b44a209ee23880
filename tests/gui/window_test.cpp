// The window under a private Xvfb with the 6x13 "fixed" font: the real
// program's size, position, hints, colours on PseudoColor and TrueColor
// screens and fatal start-up failures; and, in this process, the graphics
// contexts in both video modes, monochrome screens, colour changes and the
// status window.
#include <gtest/gtest.h>
// after gtest: X defines None
#include <X11/Xutil.h>

#include <array>
#include <string>
#include <vector>

#include "support/fixtures.h"
#include "support/xvfb.h"

namespace {

// ---- the real program's window ----

class ProgramWindow : public ::testing::Test {
 protected:
  TempDir dir;
  std::unique_ptr<Xvfb> x;
  std::unique_ptr<Running> program;
  XWindowAttributes a{};

  // Starts kadmer on the server (a TrueColor one unless started already),
  // waits for its main window and reads its attributes.
  Window start(std::vector<std::string> args = {}) {
    if (!x) x = std::make_unique<Xvfb>(24, 1280, 1024);
    EXPECT_TRUE(x->ok()) << "Xvfb did not start";
    args.insert(args.begin(), {"-d", x->display()});
    program = std::make_unique<Running>(KADMER_BIN, args, in_dir(dir.path()));
    Window w = x->wait_for_window("kadmer Vers 1.0");
    if (w) XGetWindowAttributes(x->connection(), w, &a);
    return w;
  }
  std::string stop() {
    RunResult r = program->stop();
    EXPECT_EQ(128 + 15, r.status) << "kadmer ended before it was stopped: " << r.err;
    return r.err;
  }
};

TEST_F(ProgramWindow, SizePositionAndHintsFromTheSettings) {
  Window w = start();
  ASSERT_NE(0u, w);
  // 100 x 60 cells of 6 x 13 and a border, at the origin.
  EXPECT_EQ((std::array{602, 782, 1, 0, 0}), (std::array{a.width, a.height, a.border_width, a.x, a.y}));
  char* icon_name = nullptr;
  ASSERT_TRUE(XGetIconName(x->connection(), w, &icon_name));
  EXPECT_STREQ("kadmer", icon_name);
  XFree(icon_name);
  XSizeHints hints;
  long supplied;
  ASSERT_TRUE(XGetWMNormalHints(x->connection(), w, &hints, &supplied));
  EXPECT_EQ(USSize | PPosition, hints.flags & (USSize | PPosition));
  EXPECT_EQ("", stop());

  dir.write(".kadmer", "xpos=-10\nypos=-20\nwidth=80\nheight=50\n");  // from the right and bottom edges
  ASSERT_NE(0u, w = start({"-iconic"}));
  EXPECT_EQ((std::array{80 * 6 + 2, 50 * 13 + 2, 1280 - 10, 1024 - 20}),
            (std::array{a.width, a.height, a.x + a.width, a.y + a.height}));
  XWMHints* h = XGetWMHints(x->connection(), w);
  ASSERT_NE(nullptr, h);
  EXPECT_EQ(IconicState, h->initial_state);
  EXPECT_TRUE(h->flags & IconPixmapHint);
  XFree(h);
  stop();
}

TEST_F(ProgramWindow, AMisspeltColourOrAFatalFailureAtTheStart) {
  dir.write(".kadmer", "closecolor=rde\n");
  x = std::make_unique<Xvfb>(8, 1280, 1024);
  ASSERT_NE(0u, start());
  EXPECT_NE(DefaultColormap(x->connection(), 0), a.colormap);
  EXPECT_EQ("", stop());
  x.reset();
  dir.write(".kadmer", "closecolor=rde\nbackground=" + std::string(40, 'z') + "\n");
  Window w = start();
  ASSERT_NE(0u, w);
  EXPECT_EQ(DefaultColormap(x->connection(), 0), a.colormap);
  EXPECT_EQ(0x000000u, x->pixels(w)[700 * 602 + 300]);  // the default background
  EXPECT_EQ("kadmer: unknown color rde for close, using white\n"
            "kadmer: unknown color zzzzzzzzzzzzzzz for background, using black\n",
            stop());
  x = std::make_unique<Xvfb>(24, 1280, 1024);
  ASSERT_TRUE(x->ok());
  dir.write("bad.xbm", "this is not a bitmap\n");
  struct { std::vector<std::string> args; const char* kadmer_file; const char* message; } cases[] = {
      {{"-d", x->display(), "-fn", "nosuchfont"}, "", "kadmer: XLoadQueryFont failed\n"},
      {{"-d", ":none"}, "", "kadmer: XOpenDisplay failed\n"},
      {{}, "width=50\n", "kadmer: XOpenDisplay failed\n"},  // no DISPLAY set
      {{"-d", x->display(), "-ib", "/no/such/icon.xbm"}, "", "kadmer: BitmapOpenFailed\n"},
      {{"-d", x->display(), "-ib", "bad.xbm"}, "", "kadmer: BitmapFileInvalid\n"}};
  for (const auto& c : cases) {
    dir.write(".kadmer", c.kadmer_file);
    RunResult r = run_program(KADMER_BIN, c.args, in_dir(dir.path()));
    EXPECT_EQ(1, r.status) << c.message;
    EXPECT_EQ(c.message, r.err);
  }
  std::string garbage;
  for (int i = 0; i < 2048; ++i) garbage += static_cast<char>((i * 131 + 7) % 256);
  dir.write(".kadmer", garbage + "\nwidth=\nheight=" + std::string(100000, '9') + "\ndaydir=/no/such/dir\nwidth=-5\n");
  ASSERT_NE(0u, start());
  EXPECT_GE(a.width, 6);
  stop();
}

// ---- initial_graph in this process: contexts, monochrome, child windows, colour changes ----

class InProcessGraph : public SettingsTest {
 protected:
  std::unique_ptr<Xvfb> x;
  void open(int depth = 24, int visual_class = -1) {
    if (!x) x = std::make_unique<Xvfb>(depth, 1024, 800, visual_class);
    ASSERT_TRUE(x->ok());
    open_graph(*x);
  }
  void TearDown() override {
    close_graph();
    x.reset();
    SettingsTest::TearDown();
  }
  unsigned long fg(GC gc) { return values(gc, GCForeground).foreground; }
  XGCValues values(GC gc, unsigned long mask) {
    XGCValues v{};
    XGetGCValues(KD_Display, gc, mask, &v);
    return v;
  }
  unsigned long rgb(unsigned long pixel) {
    XColor c;
    c.pixel = pixel;
    XQueryColor(KD_Display, KD_ColorMap, &c);
    return ((c.red >> 8) << 16) | ((c.green >> 8) << 8) | (c.blue >> 8);
  }
};

// The zoom rectangle flips background and foreground into each other.
TEST_F(InProcessGraph, EachRoleTakesItsConfiguredColourInEitherVideoMode) {
  struct { int entry; const char* name; unsigned long rgb; GC* gc; } roles[] = {
      {COLOR_RANGE, "green", 0x00ff00, &KD_GC_Range}, {COLOR_CLOSE, "red", 0xff0000, &KD_GC_Close},
      {COLOR_MVAVG, "yellow", 0xffff00, &KD_GC_Mvavg}, {COLOR_BOL, "cyan", 0x00ffff, &KD_GC_Bol},
      {COLOR_HIGH, "magenta", 0xff00ff, &KD_GC_High},  {COLOR_LOW, "orange", 0xffa500, &KD_GC_Low},
      {COLOR_GRID, "#808080", 0x808080, &KD_GC_Grid},  {COLOR_HIGHLIGHT, "navy", 0x000080, &KD_GC_Highlight}};
  for (int rv : {0, 1}) {
    SCOPED_TRACE(rv ? "reverse video" : "normal video");
    reset_color_tables();
    KD_ReverseVideo = rv;
    for (auto r : roles) set_color_name(current_color_table(), r.entry, r.name);
    open();
    EXPECT_EQ((std::array{6, 13}), (std::array{font_width, font_height}));
    for (auto r : roles) EXPECT_EQ(r.rgb, rgb(fg(*r.gc))) << r.name;
    EXPECT_EQ((std::array{rv ? 0xffffffUL : 0UL, rv ? 0UL : 0xffffffUL}), (std::array{rgb(KD_BgColor), rgb(KD_FgColor)}));
    EXPECT_EQ((std::array{KD_FgColor, KD_BgColor, KD_FgColor, KD_FgColor, KD_BgColor ^ KD_FgColor}),
              (std::array{fg(KD_GC_Graph), fg(KD_GC0), values(KD_GC0, GCBackground).background, fg(KD_GC1), fg(KD_XOR)}));
    EXPECT_EQ(GXxor, values(KD_XOR, GCFunction).function);
    // Query and advance/decline colours are the same in both modes.
    EXPECT_EQ((std::array{0xff0000UL, 0x0000ffUL, 0x0000ffUL, 0x00ff00UL}),
              (std::array{rgb(fg(KD_GC_Qpos)), rgb(fg(KD_GC_Qneg)), rgb(fg(KD_GC_Dec)), rgb(fg(KD_GC_Dif))}));
    EXPECT_EQ(LineSolid, values(KD_GC_Dif, GCLineStyle).line_style);
    GC member = create_member_gc();  // close dots of a loaded member
    EXPECT_EQ(0xff0000u, rgb(fg(member)));
    free_member_gc(member);
    close_graph();
  }
}

TEST_F(InProcessGraph, MonochromeDrawsEveryRoleInTheForegroundWithADashedDifference) {
  open(8, StaticGray);
  ASSERT_TRUE(is_monochrome());
  EXPECT_EQ(WhitePixel(KD_Display, KD_Screen), KD_BgColor);
  EXPECT_EQ(BlackPixel(KD_Display, KD_Screen), KD_FgColor);
  for (unsigned long p : {KD_LowColor, KD_HighColor, KD_CloseColor, KD_GridColor, KD_GraphColor, KD_MvavgColor,
                          KD_QueryPosColor, KD_AdvColor, KD_DifColor, KD_HighlightColor})
    EXPECT_EQ(KD_FgColor, p);
  EXPECT_EQ(LineOnOffDash, values(KD_GC_Dif, GCLineStyle).line_style);
  EXPECT_EQ(LineSolid, values(KD_GC_Adv, GCLineStyle).line_style);
  EXPECT_EQ(CapRound, values(KD_GC_Unc, GCCapStyle).cap_style);
  fn_colors();
  EXPECT_EQ(0u, KD_ColorWin);  // no colours to choose
}

TEST_F(InProcessGraph, ResetColorsMovesANewPixelIntoItsContextsAndTheStatusWindowOpensAndCloses) {
  open();
  long red = XMakeNamedColor("red");
  ASSERT_GE(red, 0);
  EXPECT_EQ(-1, XMakeNamedColor("nosuchcolour"));
  KD_CloseColor = static_cast<unsigned long>(red);
  Reset_Colors(COLOR_CLOSE);
  EXPECT_EQ(KD_CloseColor, fg(KD_GC_Close));
  KD_BgColor = static_cast<unsigned long>(XMakeNamedColor("navy"));
  Reset_Colors(COLOR_BACKGROUND);
  for (GC gc : {KD_GC1, KD_GC_Graph, KD_GC_Close, KD_GC_Range, KD_GC_Mvavg, KD_GC_Grid})
    EXPECT_EQ(KD_BgColor, values(gc, GCBackground).background);
  EXPECT_EQ((std::array{KD_BgColor, KD_BgColor ^ KD_FgColor}), (std::array{fg(KD_GC0), fg(KD_XOR)}));
  KD_FgColor = static_cast<unsigned long>(red);
  Reset_Colors(COLOR_FOREGROUND);
  EXPECT_EQ((std::array{KD_FgColor, KD_BgColor ^ KD_FgColor, KD_FgColor}),
            (std::array{fg(KD_GC1), fg(KD_XOR), values(KD_GC0, GCBackground).background}));
  // The status window follows its menu item.
  fn_status();
  XWindowAttributes a;
  ASSERT_TRUE(KD_StatusWin && XGetWindowAttributes(KD_Display, KD_StatusWin, &a));
  EXPECT_EQ((std::array{main_win_width, 26}), (std::array{a.width, a.height}));
  status("load", 12, "load_sym_stock: open /x");
  fn_status();
  EXPECT_EQ(0u, KD_StatusWin);
  status("load", 12, "no window, no drawing");
}

}  // namespace

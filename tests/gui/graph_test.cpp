// initial_graph in this process against a private Xvfb: graphics contexts,
// monochrome screens, the colour window and colour changes.
#include <gtest/gtest.h>
// after gtest: X defines None
#include <X11/Xutil.h>

#include "chart/chart.h"
#include "core/core.h"
#include "core/text.h"
#include "support/fixtures.h"
#include "support/xvfb.h"
#include "ui/draw.h"
#include "ui/ui.h"

namespace {

class InProcessGraph : public SettingsTest {
 protected:
  std::unique_ptr<Xvfb> x;
  void open(int depth = 24, int visual_class = -1) {
    x = std::make_unique<Xvfb>(depth, 1024, 800, visual_class);
    ASSERT_TRUE(x->ok());
    copy_text(KD_DisplayName, x->display());
    copy_text(KD_FontName, "fixed");
    KD_BorderWidth = 1;
    initial_graph();
  }
  void TearDown() override {
    close_graph();
    x.reset();
    SettingsTest::TearDown();
  }
  XGCValues gc_values(GC gc, unsigned long mask) {
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

TEST_F(InProcessGraph, ContextsTakeTheirColoursAndFunctions) {
  open();
  EXPECT_EQ(6, font_width);
  EXPECT_EQ(13, font_height);
  EXPECT_EQ(KD_BgColor, gc_values(KD_GC0, GCForeground).foreground);
  EXPECT_EQ(KD_FgColor, gc_values(KD_GC0, GCBackground).background);
  EXPECT_EQ(KD_FgColor, gc_values(KD_GC1, GCForeground).foreground);
  // The zoom rectangle flips background and foreground into each other.
  XGCValues x_or = gc_values(KD_XOR, GCFunction | GCForeground);
  EXPECT_EQ(GXxor, x_or.function);
  EXPECT_EQ(KD_BgColor ^ KD_FgColor, x_or.foreground);
  EXPECT_EQ(0xff0000u, rgb(gc_values(KD_GC_Qpos, GCForeground).foreground));
  EXPECT_EQ(0x0000ffu, rgb(gc_values(KD_GC_Dec, GCForeground).foreground));
  EXPECT_EQ(0x00ff00u, rgb(gc_values(KD_GC_Dif, GCForeground).foreground));
  EXPECT_EQ(LineSolid, gc_values(KD_GC_Dif, GCLineStyle).line_style);
  EXPECT_EQ(0x000000u, rgb(KD_BgColor));
  EXPECT_EQ(0xffffffu, rgb(KD_CloseColor));
}

TEST_F(InProcessGraph, ReverseVideoKeepsQueryAndAdvanceDeclineColours) {
  KD_ReverseVideo = 1;
  open();
  EXPECT_EQ(0xffffffu, rgb(KD_BgColor));
  EXPECT_EQ(0x000000u, rgb(KD_FgColor));
  EXPECT_EQ(0x000000u, rgb(KD_GraphColor));
  EXPECT_EQ(0xff0000u, rgb(KD_QueryPosColor));
  EXPECT_EQ(0x0000ffu, rgb(KD_QueryNegColor));
  EXPECT_EQ(0x00ff00u, rgb(KD_DifColor));
  EXPECT_EQ(KD_FgColor ^ KD_BgColor, gc_values(KD_XOR, GCForeground).foreground);
}

TEST_F(InProcessGraph, MonochromeDrawsEveryRoleInTheForegroundWithADashedDifference) {
  open(8, StaticGray);
  ASSERT_TRUE(is_monochrome());
  EXPECT_EQ(WhitePixel(KD_Display, KD_Screen), KD_BgColor);
  EXPECT_EQ(BlackPixel(KD_Display, KD_Screen), KD_FgColor);
  for (unsigned long p : {KD_LowColor, KD_HighColor, KD_CloseColor, KD_GridColor, KD_GraphColor,
                          KD_MvavgColor, KD_QueryPosColor, KD_AdvColor, KD_DifColor, KD_HighlightColor})
    EXPECT_EQ(KD_FgColor, p);
  EXPECT_EQ(LineOnOffDash, gc_values(KD_GC_Dif, GCLineStyle).line_style);
  EXPECT_EQ(LineSolid, gc_values(KD_GC_Adv, GCLineStyle).line_style);
  EXPECT_EQ(CapRound, gc_values(KD_GC_Unc, GCCapStyle).cap_style);
  fn_colors();
  EXPECT_EQ(0u, KD_ColorWin);
}

TEST_F(InProcessGraph, ArrowWindowsSitBesideTheChartAndStayUnmapped) {
  open();
  struct { Window w; int x, y; } arrows[] = {
      {KD_ArrowLeft, xlt_indent - 36, ylb_indent + 13 - 1},
      {KD_ArrowRight, xrt_indent + 6, yrb_indent + 13 - 1},
      {KD_ArrowUp, 0, main_win_height - 13 - 1},
      {KD_ArrowDown, main_win_width - 12 - 1, main_win_height - 13 - 1}};
  for (auto& a : arrows) {
    XWindowAttributes attr;
    ASSERT_TRUE(XGetWindowAttributes(KD_Display, a.w, &attr));
    EXPECT_EQ(a.x, attr.x);
    EXPECT_EQ(a.y, attr.y);
    EXPECT_EQ(12, attr.width);
    EXPECT_EQ(13, attr.height);
    EXPECT_EQ(IsUnmapped, attr.map_state);
  }
  EXPECT_EQ(60, xlt_indent);
  EXPECT_EQ(602 - 1 - 60, xrt_indent);
  EXPECT_EQ(782 - 1 - 39, ylb_indent);
}

TEST_F(InProcessGraph, TheColourWindowShowsSeventeenEntries) {
  open();
  DrawRecorder rec;
  install_recorder(&rec);
  fn_colors();
  ASSERT_NE(0u, KD_ColorWin);
  XWindowAttributes a;
  XGetWindowAttributes(KD_Display, KD_ColorWin, &a);
  EXPECT_EQ(32 * 6, a.width);
  EXPECT_EQ(21 * 13, a.height);
  XGetWindowAttributes(KD_Display, KD_ColorWinSet[16], &a);
  EXPECT_EQ(13 * 6, a.x);
  EXPECT_EQ(1 + 17 * 13, a.y);
  EXPECT_EQ(12 * 6, a.width);
  fn_colors();  // already open: nothing new
  draw_colorwin();
  install_recorder(nullptr);
  const DrawOp* label = rec.find_text("  unchanged");
  ASSERT_NE(nullptr, label);
  EXPECT_EQ(KD_ColorWin, label->win);
  EXPECT_EQ(6, label->x);
  EXPECT_EQ(18 * 13, label->y);
  EXPECT_EQ(nullptr, rec.find_text("  highlight"));  // the 18th entry is not shown
  const DrawOp* done = rec.find_text("done");
  ASSERT_NE(nullptr, done);
  EXPECT_EQ(KD_ColorWinDone, done->win);
  int names = 0;
  for (const DrawOp* t : rec.texts()) names += t->text == "white" && t->win == KD_ColorWinSet[2];
  EXPECT_EQ(1, names);
}

TEST_F(InProcessGraph, ResetColorsMovesANewPixelIntoItsContexts) {
  open();
  long red = XMakeNamedColor("red");
  ASSERT_GE(red, 0);
  EXPECT_EQ(-1, XMakeNamedColor("nosuchcolour"));
  KD_CloseColor = static_cast<unsigned long>(red);
  Reset_Colors(COLOR_CLOSE);
  EXPECT_EQ(KD_CloseColor, gc_values(KD_GC_Close, GCForeground).foreground);
  KD_BgColor = static_cast<unsigned long>(XMakeNamedColor("navy"));
  Reset_Colors(COLOR_BACKGROUND);
  EXPECT_EQ(KD_BgColor, gc_values(KD_GC0, GCForeground).foreground);
  for (GC gc : {KD_GC1, KD_GC_Graph, KD_GC_Close, KD_GC_Range, KD_GC_Mvavg, KD_GC_Grid})
    EXPECT_EQ(KD_BgColor, gc_values(gc, GCBackground).background);
  EXPECT_EQ(KD_BgColor ^ KD_FgColor, gc_values(KD_XOR, GCForeground).foreground);
  KD_FgColor = static_cast<unsigned long>(red);
  Reset_Colors(COLOR_FOREGROUND);
  EXPECT_EQ(KD_FgColor, gc_values(KD_GC1, GCForeground).foreground);
  EXPECT_EQ(KD_BgColor ^ KD_FgColor, gc_values(KD_XOR, GCForeground).foreground);
  EXPECT_EQ(KD_FgColor, gc_values(KD_GC0, GCBackground).background);
}

TEST_F(InProcessGraph, TheStatusWindowOpensAndClosesFromTheMenuAction) {
  open();
  fn_status();
  ASSERT_NE(0u, KD_StatusWin);
  XWindowAttributes a;
  XGetWindowAttributes(KD_Display, KD_StatusWin, &a);
  EXPECT_EQ(main_win_width, a.width);
  EXPECT_EQ(26, a.height);
  status("load", 12, "load_sym_stock: open /x");
  fn_status();
  EXPECT_EQ(0u, KD_StatusWin);
  status("load", 12, "no window, no drawing");
}

}  // namespace

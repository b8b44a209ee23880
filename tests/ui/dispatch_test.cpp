// Events reach their handlers by type; the chart dispatcher draws the
// screen `graphlook` names (the opening message once).
#include <gtest/gtest.h>

#include "chart/chart.h"
#include "core/core.h"
#include "market/market.h"
#include "support/fixtures.h"
#include "ui/draw.h"
#include "ui/ui.h"

namespace {

class Dispatch : public SettingsTest {
 protected:
  RecordingWindow window;
  DrawRecorder& rec = window.rec;
  void SetUp() override {
    SettingsTest::SetUp();
    last = 0;
  }
  void send_expose(Window w, int count) {
    KD_Event = XEvent{};
    KD_Event.type = Expose;
    KD_Event.xexpose.window = w;
    KD_Event.xexpose.count = count;
    dispatch_event();
  }
};

TEST_F(Dispatch, TheOpeningMessageIsDrawnOnceBelowTheMargin) {
  draw_chart();
  ASSERT_FALSE(rec.ops.empty());
  EXPECT_EQ(DrawOp::Kind::Fill, rec.ops[0].kind);  // the window is cleared first
  EXPECT_EQ(Role::GC0, rec.ops[0].role);
  auto texts = rec.texts();
  ASSERT_EQ(7u, texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(firstmsg[i], texts[i]->text);
    EXPECT_EQ(42, texts[i]->x);
    EXPECT_EQ(static_cast<int>(7 + i) * 13, texts[i]->y);
    EXPECT_EQ(Role::Graph, texts[i]->role);
    EXPECT_LE(texts[i]->text.size(), 64u);
  }
  EXPECT_EQ(0, graphlook);
  rec.ops.clear();
  draw_chart();
  EXPECT_TRUE(rec.texts().empty());
}

TEST_F(Dispatch, ScreensWithoutADrawerAreLeftEmpty) {
  for (int look : {-3, 0, 11, 17, 1000}) {
    rec.ops.clear();
    graphlook = look;
    draw_chart();
    ASSERT_EQ(1u, rec.ops.size()) << look;
    EXPECT_EQ(DrawOp::Kind::Fill, rec.ops[0].kind);
  }
}

TEST_F(Dispatch, OnlyTheLastExposeOfARunRedraws) {
  send_expose(KD_MainWin, 2);
  send_expose(KD_MainWin, 1);
  EXPECT_TRUE(rec.ops.empty());
  send_expose(KD_MainWin, 0);
  EXPECT_EQ(7u, rec.texts().size());
}

TEST_F(Dispatch, AnExposeWithinASecondOfTheLastRedrawIsIgnored) {
  last = time(nullptr);
  send_expose(KD_MainWin, 0);
  EXPECT_TRUE(rec.ops.empty());
}

TEST_F(Dispatch, EventsOfOtherTypesAreDropped) {
  for (int type : {0, 1, MapNotify, PropertyNotify, ClientMessage, LASTEvent, LASTEvent + 5, -1}) {
    KD_Event = XEvent{};
    KD_Event.type = type;
    dispatch_event();
  }
  EXPECT_TRUE(rec.ops.empty());
  EXPECT_EQ(0, stkind);
}

TEST_F(Dispatch, AResizeRelaysTheChartArea) {
  KD_Event = XEvent{};
  KD_Event.type = ConfigureNotify;
  KD_Event.xconfigure.window = KD_MainWin;
  KD_Event.xconfigure.width = 302;
  KD_Event.xconfigure.height = 402;
  dispatch_event();
  EXPECT_EQ(302, main_win_width);
  EXPECT_EQ(402, main_win_height);
  EXPECT_EQ(302 - 1 - 60, xrt_indent);
  EXPECT_EQ(402 - 1 - 39, ylb_indent);
  ASSERT_EQ(1u, rec.ops.size());
  EXPECT_EQ(302, rec.ops[0].w);
}

}  // namespace

// Typing into dialog fields, in this process against a private Xvfb: the
// events are made here and handed to the program's handlers.
#include <gtest/gtest.h>
// after gtest: X defines None
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include "chart/chart.h"
#include "core/core.h"
#include "core/text.h"
#include "support/market.h"
#include "support/xvfb.h"
#include "ui/dialogs.h"
#include "ui/draw.h"
#include "ui/ui.h"

namespace {

class Fields : public MarketTest {
 protected:
  std::unique_ptr<Xvfb> x;
  DrawRecorder rec;

  void SetUp() override {
    MarketTest::SetUp();
    x = std::make_unique<Xvfb>(24, 1024, 800);
    ASSERT_TRUE(x->ok());
    copy_text(KD_DisplayName, x->display());
    copy_text(KD_FontName, "fixed");
    KD_BorderWidth = 1;
    initial_graph();
    tables("", "AB:Alpha Beta:S:N::950101-1000:\nCD:Charlie:S:N::950101-2000:\n");
    std::string lines;
    for (int d = 4; d <= 29; ++d)
      if (weekday_of(day_number(1995, 12, d)) % 6 != 0)
        lines += "9512" + std::string(d < 10 ? "0" : "") + std::to_string(d) + ", 11, 9, 10, 100\n";
    symbol_file("AB", lines);
    symbol_file("CD", lines);
    graphlook = 1;
    install_recorder(&rec);
  }
  void TearDown() override {
    install_recorder(nullptr);
    close_graph();
    x.reset();
    MarketTest::TearDown();
  }

  void crossing(int type, Window w) {
    KD_Event = XEvent{};
    KD_Event.type = type;
    KD_Event.xcrossing.window = w;
    KD_Event.xcrossing.display = KD_Display;
    dispatch_event();
  }
  void key(Window w, KeySym sym, bool shift = false) {
    KD_Event = XEvent{};
    KD_Event.type = KeyPress;
    KD_Event.xkey.display = KD_Display;
    KD_Event.xkey.window = w;
    KD_Event.xkey.keycode = XKeysymToKeycode(KD_Display, sym);
    KD_Event.xkey.state = shift ? ShiftMask : 0;
    dispatch_event();
  }
  void type(Window w, const std::string& text) {
    for (char c : text) {
      if (c >= 'A' && c <= 'Z') key(w, XK_a + (c - 'A'), true);
      else if (c == '/') key(w, XK_slash);
      else if (c == '.') key(w, XK_period);
      else if (c == '-') key(w, XK_minus);
      else if (c == ' ') key(w, XK_space);
      else if (c == '%') key(w, XK_5, true);
      else key(w, static_cast<KeySym>(c));
    }
  }
  // The pointer enters the field, the text is typed, and the pointer leaves
  // (or Return is pressed).
  void enter_text(Window w, const std::string& text, bool press_return = false) {
    crossing(EnterNotify, w);
    type(w, text);
    if (press_return) key(w, XK_Return);
    else crossing(LeaveNotify, w);
  }
};

TEST_F(Fields, TheSymbolIsUpperCasedCutAndLoaded) {
  fn_stock();
  ASSERT_NE(0u, KD_StockWinName);
  enter_text(KD_StockWinName, "ab", true);
  EXPECT_STREQ("AB", symbolname);
  EXPECT_EQ(1, load);
  EXPECT_EQ(KD_StockWinName, KD_InputWin);  // Return keeps the field open
  EXPECT_EQ(0, key_index);
  enter_text(KD_StockWinName, "cdefghijklmn");
  EXPECT_STREQ("", symbolname);  // CDEFGHIJ is no symbol: the failed load clears it
  EXPECT_EQ(0, load);
  EXPECT_EQ(0u, KD_InputWin);
  enter_text(KD_StockWinName, "cd");
  EXPECT_STREQ("CD", symbolname);
}

TEST_F(Fields, DatesTakeMonthDayYearAndRefuseTheRest) {
  copy_text(symbolname, "AB");
  ASSERT_EQ(0, loadstock());
  fn_date();
  enter_text(KD_DateWinStartDay, "12/11/95");
  EXPECT_EQ(12, KD_csm);
  EXPECT_EQ(11, KD_csd);
  EXPECT_EQ(95, KD_csy);
  for (const char* bad : {"12-05-95", "12/05", "2/30/95", "13/1/95", "x/y/z"}) {
    enter_text(KD_DateWinStartDay, bad);
    EXPECT_EQ(11, KD_csd) << bad;
  }
  fn_stock();
  enter_text(KD_StockWinVolt, "12/6/1995");
  EXPECT_EQ(120695, queryvdate);
  fn_adjust();
  enter_text(KD_AdjustWinDate, "12/13/95");
  EXPECT_EQ(951213, adjust_date);
}

TEST_F(Fields, SwitchesLettersAndNumbers) {
  fn_mvavg();
  enter_text(KD_MvAvgWinBol, "on");
  EXPECT_EQ(1, bollingerflag);
  enter_text(KD_MvAvgWinBol, "yes");
  EXPECT_EQ(0, bollingerflag);
  enter_text(KD_MvAvgWinDays, "21");
  EXPECT_EQ(21, mvavgdays);
  enter_text(KD_MvAvgWinDays, "lots");
  EXPECT_EQ(21, mvavgdays);
  enter_text(KD_MvAvgWinStd, "2.5");
  EXPECT_FLOAT_EQ(2.5f, bolstd);
  fn_price();
  enter_text(KD_PriceWinDisplay, "hcx");
  EXPECT_EQ(5, pricetype);
  enter_text(KD_PriceWinDisplay, "lzzc");
  EXPECT_EQ(2, pricetype);  // only the first three letters count
  enter_text(KD_PriceWinLook, "dots");
  EXPECT_EQ('d', quotelook);
  enter_text(KD_PriceWinLook, "bars");
  EXPECT_EQ('b', quotelook);
  enter_text(KD_PriceWinLaxis, "%");
  EXPECT_EQ('%', laxis);
}

TEST_F(Fields, TextFieldsAreBoundedByTheirVariables) {
  fn_comb();
  enter_text(KD_CombWinList, "smrtvsmrtv");
  EXPECT_STREQ("smrtv", comblist);
  EXPECT_EQ(7, graphlook);
  fn_database();
  std::string dir(1100, 'd');
  enter_text(KD_DatabaseWinDay, dir.substr(0, 300));
  EXPECT_EQ(255u, std::strlen(daydir));  // one entry holds 255 characters
}

TEST_F(Fields, BackspaceEditsAndLeavingWithoutTypingKeepsTheValue) {
  fn_price();
  crossing(EnterNotify, KD_PriceWinSteps);
  key(KD_PriceWinSteps, XK_BackSpace);  // nothing typed: nothing happens
  EXPECT_EQ(0, key_index);
  type(KD_PriceWinSteps, "129");
  key(KD_PriceWinSteps, XK_BackSpace);
  key(KD_PriceWinSteps, XK_Shift_L);
  EXPECT_STREQ("12", key_buffer);
  crossing(LeaveNotify, KD_PriceWinSteps);
  EXPECT_EQ(12, price_steps);
  crossing(EnterNotify, KD_PriceWinSteps);
  crossing(LeaveNotify, KD_PriceWinSteps);
  EXPECT_EQ(12, price_steps);
  EXPECT_NE(nullptr, rec.find_text(" 12"));  // the old value shown again
}

TEST_F(Fields, TheDayCountStaysOpenWhenItCannotBeShown) {
  fn_date();
  enter_text(KD_DateWinDayCount, "5");
  EXPECT_STREQ("leave: no stock data", last_status);
  EXPECT_EQ(KD_DateWinDayCount, KD_InputWin);
  EXPECT_EQ(1, key_index);
  copy_text(symbolname, "AB");
  ASSERT_EQ(0, loadstock());
  crossing(EnterNotify, KD_DateWinDayCount);
  type(KD_DateWinDayCount, "500");
  crossing(LeaveNotify, KD_DateWinDayCount);
  EXPECT_STREQ("leave: exceed stock days", last_status);
  EXPECT_EQ(3, key_index);
  enter_text(KD_DateWinDayCount, "5");
  EXPECT_EQ(5, work_days);
  EXPECT_EQ(0u, KD_InputWin);
}

TEST_F(Fields, DoneClosesTheDialog) {
  fn_price();
  Window done = KD_PriceWinDone;
  ASSERT_NE(0u, done);
  EXPECT_FALSE(open_price_dialog());  // open already: nothing new
  KD_Event = XEvent{};
  KD_Event.type = ButtonRelease;
  KD_Event.xbutton.window = done;
  dispatch_event();
  EXPECT_EQ(0u, KD_PriceWin);
  EXPECT_EQ(0u, KD_PriceWinSteps);
}

TEST_F(Fields, WindowSizesFollowTheFont) {
  fn_price();
  XWindowAttributes a;
  ASSERT_TRUE(XGetWindowAttributes(KD_Display, KD_PriceWin, &a));
  EXPECT_EQ(168, a.width);
  EXPECT_EQ(247, a.height);
  pricetype = 5;
  rec.ops.clear();
  draw_pricewin();
  int hc = 0;
  for (const DrawOp* t : rec.texts()) hc += t->win == KD_PriceWinDisplay && t->text == "hc";
  EXPECT_EQ(1, hc);
  fn_adjust();
  rec.ops.clear();
  draw_adjustwin();
  for (const DrawOp* t : rec.texts()) EXPECT_FALSE(t->win == KD_AdjustWinDate && !t->text.empty());
}

TEST_F(Fields, TheVolumeMarkSumsTheVolumeUpToThePointer) {
  copy_text(symbolname, "AB");
  ASSERT_EQ(0, loadstock());
  calculate_globals();
  draw_chart();
  graphlook = 1;
  fn_mark();
  EXPECT_EQ(1, mark);
  KD_Event = XEvent{};
  KD_Event.type = ButtonRelease;
  KD_Event.xbutton.window = KD_MainWin;
  KD_Event.xbutton.x = worklist[0][2].xpix - 1;  // just left of the third day
  dispatch_event();
  EXPECT_EQ(2, mark);
  EXPECT_EQ(worklist[0][2].date, mark_rd);
  trackstate = 1;
  rec.ops.clear();
  KD_Event = XEvent{};
  KD_Event.type = MotionNotify;
  KD_Event.xmotion.window = KD_MainWin;
  KD_Event.xmotion.x = worklist[0][6].xpix + 1;
  KD_Event.xmotion.y = (ylt_indent + ylb_indent) / 2;
  dispatch_event();
  const DrawOp* total = nullptr;
  for (const DrawOp* t : rec.texts())
    if (t->text.rfind("Tot-Vol", 0) == 0) total = t;
  ASSERT_NE(nullptr, total);
  EXPECT_EQ("Tot-Vol  40.00K", total->text);  // four days of 100 hundreds of shares
  fn_unmark();
  EXPECT_EQ(0, mark);
  graphlook = 3;
  fn_mark();
  EXPECT_STREQ("fn_mark: deferred implementation", last_status);
}

// More days loaded than fit: the days past the right edge were never drawn,
// and the read-out once walked on to the last loaded day.
TEST_F(Fields, TrackingReadsOutOnlyDrawnDays) {
  std::string lines;
  for (long day = day_number(1995, 1, 2), n = 0; n < 300; ++day)
    if (weekday_of(day) % 6 != 0) {
      int y, m, d;
      civil_date(day, &y, &m, &d);
      char line[64];
      std::snprintf(line, sizeof line, "%02d%02d%02d, 11, 9, 10, 100\n", y % 100, m, d);
      lines += line;
      ++n;
    }
  symbol_file("AB", lines);
  copy_text(symbolname, "AB");
  ASSERT_EQ(0, loadstock());
  KD_csd = KD_sd, KD_csm = KD_sm, KD_csy = KD_sy;  // all 300 days: about 117 fit
  fill_work();
  calculate_globals();
  draw_chart();
  int drawn = 0;
  while (drawn < work_days && worklist[0][drawn].xpix >= 0) ++drawn;
  ASSERT_GT(drawn, 50);
  ASSERT_LT(drawn, work_days);
  const WorkDay& edge = worklist[0][drawn - 1];
  fn_track();
  rec.ops.clear();
  KD_Event = XEvent{};
  KD_Event.type = MotionNotify;
  KD_Event.xmotion.window = KD_MainWin;
  KD_Event.xmotion.x = xrt_indent - 1;
  KD_Event.xmotion.y = (ylt_indent + ylb_indent) / 2;
  dispatch_event();
  char date[16];
  std::snprintf(date, sizeof date, "Date %02d/%02d ", edge.emon, edge.eday);
  ASSERT_FALSE(rec.texts().empty());
  EXPECT_EQ(0u, rec.texts()[0]->text.rfind(date, 0)) << rec.texts()[0]->text;
  fn_track();
}

TEST_F(Fields, TheUpAndDownArrowsPageTheLists) {
  arrow_adv = 2;
  arrow_index = 0;
  graphlook = 13;
  fn_arrowdown();
  int page = (main_win_height - 4 * font_height) / font_height;
  EXPECT_EQ(page, arrow_index);
  fn_arrowup();
  fn_arrowup();
  EXPECT_EQ(0, arrow_index);
  arrow_adv = 1;
  fn_arrowdown();
  EXPECT_EQ(page / 2, arrow_index);
  arrow_index = 0;
}

TEST_F(Fields, SwitchItemsRenameThemselves) {
  fn_grid();
  EXPECT_EQ(1, gridstate);
  EXPECT_STREQ("grid off", menu[4][7].label);
  fn_grid();
  EXPECT_STREQ("grid on", menu[4][7].label);
  fn_track();
  EXPECT_STREQ("track off", menu[4][8].label);
  fn_track();
  EXPECT_STREQ("track on", menu[4][8].label);
  fn_trace();
  EXPECT_STREQ("trace off", menu[4][10].label);
  fn_trace();
  EXPECT_STREQ("trace on", menu[4][10].label);
  fn_status();
  EXPECT_STREQ("status off", menu[4][9].label);
  fn_status();
  EXPECT_STREQ("status on", menu[4][9].label);
}

}  // namespace

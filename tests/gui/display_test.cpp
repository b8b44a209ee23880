// The window in this process against a private Xvfb: typing into dialog
// fields (the events are made here and handed to the program's handlers),
// lists and switches; the graphics contexts in both video modes, monochrome
// screens, colour changes and the status window.
#include "support/fixtures.h"
#include "support/ui_fixtures.h"
#include "support/xvfb.h"
#include "ui/dialogs.h"
// after gtest: X defines None
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {

// Records the drawing and names every text that does not fit the window it
// is drawn in; a field shows the start of what is typed, or of a text
// longer than the field (a path).
struct FittingRecorder : DrawRecorder {
  std::vector<std::string> outside;
  void text(Surface w, Role r, int x, int y, const char* t, int len) override {
    DrawRecorder::text(w, r, x, y, t, len);
    bool cut = (w == KD_InputWin && len == key_index) || field_limit(w) != field_limit(0);  // 0: no field, no text
    if (XWindowAttributes a; XGetWindowAttributes(KD_Display, w, &a) &&
        (x < 0 || (!cut && x + len * font_width > a.width) || y < font_ascent || y - font_ascent + font_height > a.height))
      outside.push_back(std::string(t, len) + " at " + std::to_string(x) + "," + std::to_string(y));
  }
};

class InProcess : public MarketTest {
 protected:
  std::unique_ptr<Xvfb> x;
  FittingRecorder rec;

  void SetUp() override {
    MarketTest::SetUp();
    reopen(std::make_unique<Xvfb>(24, 1024, 800));
    tables("", "AB:Alpha Beta:S:N::950101-1000:\nCD:Charlie:S:N::950101-2000:\n");
    std::string lines = history_lines(1995, 12, 4, std::vector<float>(20, 10), 100, 1);  // 4 to 29 December
    for (const char* sym : {"AB", "CD"}) symbol_file(sym, lines);
    graphlook = View::Price, arrow_index = 0;
    install_recorder(&rec);
  }
  void TearDown() override {
    EXPECT_EQ(std::vector<std::string>{}, rec.outside);
    install_recorder(nullptr);
    close_graph();
    x.reset();
    MarketTest::TearDown();
  }
  // Opens the window (again: after a change of colours, or on another
  // server) with the "fixed" font.
  void reopen(std::unique_ptr<Xvfb> server = nullptr) {
    close_graph();
    if (server) x = std::move(server);
    ASSERT_TRUE(x->ok());
    copy_text(KD_DisplayName, x->display());
    copy_text(KD_FontName, "fixed");
    KD_BorderWidth = 1;
    initial_graph();
  }
  XGCValues values(GC gc, unsigned long mask) {
    XGCValues v{};
    XGetGCValues(KD_Display, gc, mask, &v);
    return v;
  }
  unsigned long fg(GC gc) { return values(gc, GCForeground).foreground; }
  unsigned long rgb(unsigned long pixel) {
    XColor c;
    c.pixel = pixel;
    XQueryColor(KD_Display, KD_ColorMap, &c);
    return ((c.red >> 8) << 16) | ((c.green >> 8) << 8) | (c.blue >> 8);
  }
  void key(Window w, KeySym sym, unsigned state = 0) {
    send_event(KeyPress, w, XKeysymToKeycode(KD_Display, sym), state);
  }
  void type(Window w, const std::string& text) {  // '%' is a shifted 5
    for (char c : text)
      key(w, c == '%' ? XK_5 : c == '/' ? XK_slash : c == '.' ? XK_period : c == '-' ? XK_minus : KeySym(c),
          c == '%' ? ShiftMask : 0);
  }
  // The pointer enters the field, the text is typed, and the pointer leaves
  // (or Return is pressed).
  void enter_text(Window w, const std::string& text, bool press_return = false) {
    send_event(EnterNotify, w);
    type(w, text);
    if (press_return) key(w, XK_Return);
    else send_event(LeaveNotify, w);
  }
};

std::string str(long v) { return std::to_string(v); }

TEST_F(InProcess, TheSymbolAndEachFieldStoreTheirKindOfValueAndBackspaceEdits) {
  fn_stock();
  ASSERT_NE(0u, KD_StockWinName);
  XSizeHints hints;  // where it opens, told to a window manager
  XWindowAttributes at;
  long supplied;
  ASSERT_TRUE(XGetWMNormalHints(KD_Display, KD_StockWin, &hints, &supplied) && XGetWindowAttributes(KD_Display, KD_StockWin, &at));
  EXPECT_EQ((std::array{at.x, at.y}), (std::array{hints.x, hints.y}));
  show_message("below");  // the message starts right of a dialog moved over its line only
  XMoveWindow(KD_Display, KD_StockWin, 0, 0);
  XSync(KD_Display, False);
  int below = message_left;
  show_message("over");
  // A character right of the dialog's outer edge, within the main window's border.
  EXPECT_EQ((std::array{0, at.width + 2 * at.border_width - 1 + font_width}), (std::array{below, message_left}));
  XMoveWindow(KD_Display, KD_StockWin, at.x, at.y);
  graphlook = View::Volume;  // a new symbol keeps the chart kind; a list gives way to the price chart
  enter_text(KD_StockWinName, "ab", true);  // Return keeps the field open
  EXPECT_EQ((std::array<long, 4>{1, long(KD_StockWinName), 0, 2}),
            (std::array<long, 4>{load, long(KD_InputWin), key_index, long(graphlook)}));
  EXPECT_STREQ("AB", symbolname);
  enter_text(KD_StockWinName, "cdefghijklmn");  // CDEFGHIJ is no symbol: the failed load clears it
  EXPECT_EQ((std::array<long, 3>{0, 0, 0}), (std::array<long, 3>{symbolname[0], load, long(KD_InputWin)}));
  graphlook = View::Query;
  enter_text(KD_StockWinName, "cd");
  EXPECT_EQ((std::array<long, 2>{'C', 1}), (std::array<long, 2>{symbolname[0], long(graphlook)}));
  // Each field stores what it can read and keeps its value otherwise.
  ASSERT_EQ(0, load_symbol("AB"));
  const std::string long_dir(300, 'd');
  auto mdy = [] { return str(KD_csm * 10000 + KD_csd * 100 + KD_csy); };
  auto said = [] { return std::string(message_text); };
  // Each field's value after each text typed into it; what can not be
  // stored, or shows nothing, is named on the message line.
  struct { void (*open)(); Window* field; std::function<std::string()> value; std::vector<std::array<const char*, 2>> typed; }
  entries[] = {
      {fn_date, &KD_DateWinStartDay, mdy, {{"12/11/95", "121195"}, {"12-05-95", "121195"}, {"12/05", "121195"},
                                           {"2/30/95", "121195"}, {"13/1/95", "121195"}, {"x/y/z", "121195"}}},
      {fn_stock, &KD_StockWinVolt, [] { return str(queryvdate); }, {{"12/6/1995", "120695"}}},
      {fn_date, &KD_DateWinGraphType, [] { return str(graph_type) + str(work_days); },  // from 12/11/95: 3 weeks
       {{"2", "23"}, {"1", "115"}}},
      {fn_adjust, &KD_AdjustWinDate, [] { return str(adjust_date); },
       {{"2/29/00", "229"}, {"2/29/99", "229"}, {"12/13/95", "951213"}}},
      {fn_mvavg, &KD_MvAvgWinBol, [] { return str(bollingerflag); }, {{"on", "1"}, {"yes", "0"}}},
      {fn_mvavg, &KD_MvAvgWinDays, [] { return str(mvavgdays); }, {{"21", "21"}, {"lots", "21"}}},
      {fn_mvavg, &KD_MvAvgWinStd, [] { return str(static_cast<long>(bolstd * 10)); }, {{"2.5", "25"}}},
      {fn_price, &KD_PriceWinDisplay, [] { return str(pricetype); }, {{"hcx", "5"}, {"lzzc", "2"}}},  // three letters
      {fn_price, &KD_PriceWinLook, [] { return std::string(1, quotelook); }, {{"dots", "d"}, {"bars", "b"}}},
      {fn_price, &KD_PriceWinLaxis, [] { return std::string(1, laxis); }, {{"%", "%"}}},
      {fn_comb, &KD_CombWinList, [] { return comblist + str(int(graphlook)); }, {{"smrtvsmrtv", "smrtv7"}}},
      {fn_database, &KD_DatabaseWinDay, [] { return str(std::strlen(daydir)); }, {{long_dir.c_str(), "255"}}},
      // A first print path prints (the chart: an empty file); a new one does not.
      {fn_database, &KD_DatabaseWinPrint, [] { return str(access("one", F_OK) == 0) + str(access("two", F_OK) == 0); },
       {{"one", "10"}, {"two", "10"}}},
      {make_querywin, &KD_QueryWinDistrIncr, [] { return str(std::lround(distr_incr * 1e5)); },
       {{"0.5", "50000"}, {"1e-12", "3125"}, {"1e12", "1000000"}}},
      {fn_mvavg, &KD_MvAvgWinDays, said, {{"l", "l is not a whole number: the old value stays"}}},  // one letter too
      {fn_date, &KD_DateWinStartDay, said,
       {{"2/30/95", "2/30/95 is not a date (month/day/year, as 12/4/26): the old value stays"},
        {"1/2/96", "the chart's start 1/2/96 lies after its end 12/29/95: no day is shown"}, {"12/29/95", ""}}},  // one day
      {make_querywin, &KD_QueryWinDistrIncr, said, {{"-1", "-1 is not a class width above 0: the old value stays"}}}};
  for (auto& e : entries)
    for (auto [typed, stored] : e.typed) {
      e.open();
      enter_text(*e.field, typed);
      EXPECT_EQ(stored, e.value()) << typed;
    }
  // Backspace edits; leaving without typing keeps the value.
  fn_price();
  send_event(EnterNotify, KD_PriceWinSteps);
  key(KD_PriceWinSteps, XK_BackSpace);  // nothing typed: nothing happens
  EXPECT_EQ(0, key_index);
  type(KD_PriceWinSteps, "129");
  key(KD_PriceWinSteps, XK_BackSpace);
  key(KD_PriceWinSteps, XK_Shift_L);
  EXPECT_STREQ("12", key_buffer);
  send_event(LeaveNotify, KD_PriceWinSteps);
  enter_text(KD_PriceWinSteps, "");
  EXPECT_TRUE(price_steps == 12 && rec.find_text(" 12"));  // the old value shown again
}

TEST_F(InProcess, TheDayCountStaysOpenWhenItCannotBeShownAndDoneCloses) {
  fn_date();
  enter_text(KD_DateWinDayCount, "5");
  EXPECT_STREQ("leave: no stock data", last_status);
  EXPECT_EQ((std::array<long, 2>{long(KD_DateWinDayCount), 1}), (std::array<long, 2>{long(KD_InputWin), key_index}));
  ASSERT_EQ(0, load_symbol("AB"));  // 20 days, 4 to 29 December
  enter_text(KD_DateWinDayCount, "500");
  EXPECT_EQ((std::array<std::string, 2>{"leave: exceed stock days", "3"}), (std::array{std::string(last_status), str(key_index)}));
  // The window ends where it ends and starts that many days before; the field closed.
  for (auto [typed, first, days] : {std::array<long, 3>{20, 951204, 20}, {1, 951229, 1}, {2, 951228, 2}, {5, 951225, 5}}) {
    enter_text(KD_DateWinDayCount, str(typed));
    EXPECT_EQ((std::array<long, 4>{first, days, 0, 0}),
              (std::array<long, 4>{yymmdd_of(shown()[0]), work_days, key_index, long(KD_InputWin)})) << typed;
  }

  fn_price();
  ASSERT_NE(0u, KD_PriceWinDone);
  EXPECT_FALSE(open_price_dialog());  // open already: nothing new
  pricetype = 5, price_incr = 0.0625f, volume_incr = 1234567;  // a large value drops decimals, not digits
  rec.ops.clear();
  draw_pricewin();
  const DrawOp* hc = rec.find_text("hc");
  EXPECT_TRUE(hc && hc->win == KD_PriceWinDisplay && rec.find_text("  0.0625") && rec.find_text(" 1234567"));
  send_event(ButtonRelease, KD_PriceWinDone);
  EXPECT_EQ(0u, KD_PriceWin | KD_PriceWinSteps);
  fn_adjust();  // no split yet: an empty date
  rec.ops.clear();
  draw_adjustwin();
  for (const DrawOp* t : rec.texts()) EXPECT_FALSE(t->win == KD_AdjustWinDate && !t->text.empty());
}

// Keys over the main window: a typed symbol charted with Return (or named
// when nothing knows it); Ctrl+F fitting the scales to the days shown; Home,
// End and the wheel on a chart; pages, ends and typed letters on the company
// list; Escape dropping the typed symbol, then closing the newest dialog.
TEST_F(InProcess, KeysAndTheWheelOverTheMainWindow) {
  std::string companies;
  for (int i = 0; i < 300; ++i) companies.append("S").append(std::to_string(100 + i)).append(":Company:S:N::950101-1:\n");
  tables("", "AB:Alpha Beta:S:N::950101-1:\n" + companies);
  std::vector<float> closes;
  for (int i = 0; i < 300; ++i) closes.push_back(10 + i * 0.1f);
  symbol_file("AB", history_lines(1995, 1, 2, closes, 100, 1));
  auto press = [&](KeySym sym, unsigned state = 0) { key(KD_MainWin, sym, state); };
  auto typed = [&](const std::string& text) { type(KD_MainWin, text); };  // letters and digits: their own keys
  graphlook = View::FirstMessage;
  typed("zz");
  press(XK_Return);
  EXPECT_EQ((std::array<std::string, 2>{"no security ZZ in the company table or the symbol directory", ""}),
            (std::array<std::string, 2>{message_text, symbolname}));
  symbol_file("ZZ", history_lines(1995, 1, 2, {10, 11}));  // a history file alone is known
  EXPECT_EQ("ZZ", (typed("zz"), press(XK_Return), std::string(symbolname)));
  graphlook = View::Market, market_cells.resize(1);  // over the market summary: its cells go
  typed("ab");
  press(XK_Return);
  EXPECT_EQ((std::array<long, 5>{'A', 1, 1, 0, 0}),
            (std::array<long, 5>{symbolname[0], load, long(graphlook), message_text[0], long(market_cells.size())}));
  auto bars = [&] {  // the highest and the lowest end of the drawn bars
    rec.ops.clear();
    draw_chart();
    std::array<int, 2> ends{ylb_indent, ylt_indent};
    for (const DrawOp* l : ops_of(rec, DrawOp::Kind::Line, Role::Range))
      ends = {std::min({ends[0], l->y, l->h}), std::max({ends[1], l->y, l->h})};
    return ends;
  };
  int span = ylb_indent - ylt_indent;
  EXPECT_LT(bars()[1], ylt_indent + span / 2);  // the shown days in the upper half of all loaded days' scale
  press(XK_f, ControlMask);
  std::array<int, 2> fitted = bars();
  EXPECT_TRUE(fitted[0] < ylt_indent + span / 10 && fitted[1] > ylb_indent - span / 10) << fitted[0] << " " << fitted[1];
  EXPECT_NE(nullptr, rec.find_text("AB, daily, 9/14/95 to 2/23/96, scales fit the days shown"));
  press(XK_f, ControlMask);
  EXPECT_EQ(0, fitshown);
  press(XK_Home);  // the days shown move whole, to the first loaded day, then back to the last 117
  EXPECT_EQ((std::array{KD_sd, KD_sm, KD_sy, 117}), (std::array{KD_csd, KD_csm, KD_csy, work_days}));
  press(XK_End);
  KD_Event = XEvent{};  // the wheel up: back in time, a day
  KD_Event.xbutton = {ButtonPress, 0, False, KD_Display, KD_MainWin, 0, 0, 0, 300, 300, 0, 0, 0, Button4, True};
  dispatch_event();
  EXPECT_EQ((std::array{9, 13, 95, 2, 22, 96}), (std::array{KD_csm, KD_csd, KD_csy, KD_cem, KD_ced, KD_cey}));
  graphlook = View::Companies;  // 301 companies, two a row, 54 rows a page
  for (auto [sym, index] : std::vector<std::pair<KeySym, int>>{{XK_Next, 54}, {XK_End, 108}, {XK_Home, 0}}) {
    press(sym);
    EXPECT_EQ(index, arrow_index);
  }
  std::string erased = (typed("q"), press(XK_BackSpace), message_text);  // the last letter erased: no message
  typed("s3");  // S300 is the 202nd entry, on the 101st row
  EXPECT_EQ((std::array<std::string, 3>{"", "54", "symbol S3: Return charts it, Escape drops it"}),
            (std::array<std::string, 3>{erased, std::to_string(arrow_index), message_text}));
  for (void (*open)() : {fn_colors, fn_date, fn_price}) open();
  for (std::array<bool, 3> open : {std::array{true, true, true}, {false, true, true}, {false, false, true}, {false, false, false}}) {
    if (!typed_symbol[0]) show_message("old news");
    press(XK_Escape);  // the typed symbol first, then the newest dialog, the colour window last; the message line cleared
    EXPECT_EQ((std::array<bool, 5>{false, open[0], open[1], open[2], false}), (std::array<bool, 5>{typed_symbol[0] != 0,
              KD_PriceWin != 0, KD_DateWin != 0, KD_ColorWin != 0, message_text[0] != 0}));
  }
}

TEST_F(InProcess, TheUpAndDownArrowsPageTheListsAndSwitchItemsRenameThemselves) {
  graphlook = View::Companies;
  int page = (main_win_height - list_top()) / font_height;  // the rows below the heading
  struct { int adv; void (*arrow)(); int index; } steps[] = {
      {2, fn_arrowdown, page}, {2, fn_arrowup, 0}, {2, fn_arrowup, 0}, {1, fn_arrowdown, page / 2}};
  for (auto st : steps) {
    arrow_adv = st.adv, st.arrow();
    EXPECT_EQ(st.index, arrow_index);
  }
  arrow_index = 0;
  struct { void (*action)(); int item; const char* name; } switches[] = {
      {fn_grid, 7, "grid"}, {fn_track, 8, "track"}, {fn_trace, 10, "trace"}, {fn_status, 9, "status"}};
  for (auto s : switches)
    for (const char* state : {" off", " on"}) {
      rec.ops.clear();
      open_menu(4);
      choose_item(menu[4][s.item].window);
      EXPECT_TRUE(std::string(s.name) + state == menu[4][s.item].label && !rec.texts().empty()) << menu[4][s.item].label;  // drawn again
    }
  EXPECT_EQ(0, gridstate);
  rec.ops.clear();
  send_event(Expose, menu[4][1].window);  // a label a column in, on its first line
  EXPECT_TRUE(rec.find_text("adjust") && rec.find_text("adjust")->x == font_width && rec.find_text("adjust")->y == font_height);
  for (int m : {0, 4}) {  // a release away from the items closes the menu, the first one too
    open_menu(m);
    choose_item(0);
    XWindowAttributes item;
    EXPECT_TRUE(XGetWindowAttributes(KD_Display, menu[m][1].window, &item) && item.map_state == IsUnmapped) << m;
  }
  auto mapped = [](Window w) { XWindowAttributes a; return XGetWindowAttributes(KD_Display, w, &a) && a.map_state != IsUnmapped; };
  auto arrows = [&] {  // with charts, with lists: each pair shown or hidden together (else -1)
    bool l = mapped(KD_ArrowLeft), u = mapped(KD_ArrowUp);
    return std::array{l == mapped(KD_ArrowRight) ? int(l) : -1, u == mapped(KD_ArrowDown) ? int(u) : -1};
  };
  struct { Window w; int x, y; } tips[] = {{KD_ArrowLeft, 0, font_height / 2}, {KD_ArrowRight, 2 * font_width, font_height / 2},
                                          {KD_ArrowUp, font_width, 0}, {KD_ArrowDown, font_width, font_height}};
  for (auto t : tips) {  // each arrow is drawn in its window, pointing its way
    rec.ops.clear(), send_event(Expose, t.w);
    const std::vector<PaintPoint> none, &p = rec.ops.empty() ? none : rec.ops.back().points;
    EXPECT_TRUE(p.size() == 3 && rec.ops.back().win == t.w && p[0].x == t.x && p[0].y == t.y) << t.w;
  }
  for (auto [m, item, left, up] : {std::array{1, 2, 1, 0}, {0, 1, 0, 1}, {1, 5, 1, 0}, {0, 14, 1, 1}, {0, 10, 0, 1}}) {
    open_menu(m);
    choose_item(menu[m][item].window);
    EXPECT_EQ((std::array{left, up}), arrows()) << menu[m][item].label;
    EXPECT_NE(0u, KD_StockWin);  // a chart with nothing loaded asks for a security first
  }
  graphlook = View::Companies, zoom = 1, zoom_x = -1;  // a company charted from its list, at once; a zoom left armed stays unstarted
  draw_chart(), rec.ops.clear();
  send_event(ButtonPress, KD_MainWin, 61, 72);
  bool drawn = !ops_of(rec, DrawOp::Kind::Line, Role::Range).empty() && zoom_x == -1;
  zoom = 0;
  XResizeWindow(KD_Display, KD_MainWin, 1000, 780);
  send_event(ConfigureNotify, KD_MainWin, 1000, 780);  // a resize keeps the chart's arrows
  EXPECT_TRUE(drawn && arrows() == (std::array{1, 0}) && graphlook == View::Price && symbolname == std::string("AB")) << symbolname;
  marketdisp = 'N', marketsday = 120495, marketeday = 120695, rec.ops.clear(), fn_market();  // the market dialog opens; pressed again while it is open, the summary is drawn
  std::size_t opened = rec.ops.size();
  fn_market();
  EXPECT_TRUE(KD_MarketWin && opened == 0 && !rec.ops.empty()) << opened;
  symbol_file("DJ30", history_lines(1995, 12, 4, {5000, 5100}));  // a code of the summary charted: the chart's arrows
  for (const LayoutCell& c : market_cells)
    if (c.code == std::string("DJ30")) send_event(ButtonRelease, c.window);
  EXPECT_TRUE(graphlook == View::Price && arrows() == (std::array{1, 0})) << int(graphlook);
}

// ---- colours ----

// Every dialog keeps its fields and its button inside it and apart, and the
// words of its labels off them.
TEST_F(InProcess, EveryDialogHoldsItsFieldsApartAndItsLabelsOffThem) {
  struct Part { std::string name; int x0, y0, x1, y1; };
  auto inside = [](Window w, const std::string& name) {  // within its border: fields a row apart share theirs
    XWindowAttributes a;
    XGetWindowAttributes(KD_Display, w, &a);
    return Part{name, a.x + a.border_width, a.y + a.border_width, a.x + a.border_width + a.width, a.y + a.border_width + a.height};
  };
  for (void (*open)() : {fn_price, fn_date, fn_mvavg, fn_database, fn_stock, fn_group, fn_comb, fn_adjust, make_querywin,
                         fn_market, fn_adln, fn_colors}) {
    open();
    for (Window d : open_dialog_windows()) {
      rec.ops.clear(), send_event(Expose, d);
      Window root, parent, *kids = nullptr;
      unsigned n = 0;
      XQueryTree(KD_Display, d, &root, &parent, &kids, &n);
      std::vector<Part> parts;
      for (unsigned i = 0; i < n; ++i) parts.push_back(inside(kids[i], "window " + std::to_string(i)));
      if (kids) XFree(kids);
      for (const DrawOp* t : rec.texts())
        for (std::size_t at = 0, end = 0; t->win == d && (at = t->text.find_first_not_of(' ', end)) != std::string::npos;) {
          end = std::min(t->text.find(' ', at), t->text.size());
          int x = t->x, y = t->y - font_ascent;
          parts.push_back({t->text.substr(at, end - at), x + int(at) * font_width, y, x + int(end) * font_width, y + font_height});
        }
      Part whole = inside(d, "");
      for (std::size_t i = 0; i < parts.size(); ++i) {
        const Part& p = parts[i];
        EXPECT_TRUE(p.x0 >= 0 && p.y0 >= 0 && p.x1 <= whole.x1 - whole.x0 && p.y1 <= whole.y1 - whole.y0) << p.name;
        for (const Part& q : std::vector<Part>(parts.begin() + long(i) + 1, parts.end()))
          EXPECT_FALSE(p.x0 < q.x1 && q.x0 < p.x1 && p.y0 < q.y1 && q.y0 < p.y1) << p.name << " over " << q.name;
      }
    }
  }
}

// The zoom rectangle flips background and foreground into each other.
TEST_F(InProcess, EachRoleTakesItsConfiguredColourInEitherVideoMode) {
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
    EXPECT_NE(std::string::npos, traced([&] { reopen(); }).find("<- initialize_colors(rc=1)\n"));  // every colour its own
    EXPECT_EQ((std::array{6, 13}), (std::array{font_width, font_height}));
    for (auto r : roles) EXPECT_EQ(r.rgb, rgb(fg(*r.gc))) << r.name;
    EXPECT_EQ((std::array{rv ? 0xffffffUL : 0UL, rv ? 0UL : 0xffffffUL}), (std::array{rgb(KD_BgColor), rgb(KD_FgColor)}));
    EXPECT_EQ((std::array{KD_FgColor, KD_BgColor, KD_FgColor, KD_FgColor, KD_BgColor ^ KD_FgColor}),
              (std::array{fg(KD_GC_Graph), fg(KD_GC0), values(KD_GC0, GCBackground).background, fg(KD_GC1), fg(KD_XOR)}));
    // Query and advance/decline colours are the same in both modes.
    EXPECT_EQ((std::array{0xff0000UL, 0x0000ffUL, 0x0000ffUL, 0x00ff00UL}),
              (std::array{rgb(fg(KD_GC_Qpos)), rgb(fg(KD_GC_Qneg)), rgb(fg(KD_GC_Dec)), rgb(fg(KD_GC_Dif))}));
    EXPECT_EQ((std::array{GXxor, LineSolid}),
              (std::array{values(KD_XOR, GCFunction).function, values(KD_GC_Dif, GCLineStyle).line_style}));
    GC member = static_cast<GC>(create_member_gc());  // close dots of a loaded member
    EXPECT_EQ(0xff0000u, rgb(fg(member)));
    free_member_gc(member);
  }
}

TEST_F(InProcess, MonochromeDrawsEveryRoleInTheForegroundWithADashedDifference) {
  reopen(std::make_unique<Xvfb>(8, 1024, 800, StaticGray));
  ASSERT_TRUE(is_monochrome());
  EXPECT_EQ((std::array{WhitePixel(KD_Display, KD_Screen), BlackPixel(KD_Display, KD_Screen)}),
            (std::array{KD_BgColor, KD_FgColor}));
  for (unsigned long p : {KD_LowColor, KD_HighColor, KD_CloseColor, KD_GridColor, KD_GraphColor, KD_MvavgColor,
                          KD_QueryPosColor, KD_AdvColor, KD_DifColor, KD_HighlightColor})
    EXPECT_EQ(KD_FgColor, p);
  EXPECT_EQ((std::array{LineOnOffDash, LineSolid, CapRound}), (std::array{values(KD_GC_Dif, GCLineStyle).line_style,
            values(KD_GC_Adv, GCLineStyle).line_style, values(KD_GC_Unc, GCCapStyle).cap_style}));
  fn_colors();
  EXPECT_EQ(0u, KD_ColorWin);  // no colours to choose
}

TEST_F(InProcess, ResetColorsMovesANewPixelIntoItsContextsAndTheStatusWindowOpensAndCloses) {
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
  fn_colors(), send_event(Expose, KD_ColorWin);  // drawn whole; a colour shows in its field as it is typed
  send_event(EnterNotify, KD_ColorWinSet[1]), type(KD_ColorWinSet[1], "re");
  EXPECT_NE(nullptr, rec.find_text("re"));
  // The status window follows its menu item.
  fn_status();
  XWindowAttributes a;
  ASSERT_TRUE(KD_StatusWin && XGetWindowAttributes(KD_Display, KD_StatusWin, &a));
  EXPECT_EQ((std::array{main_win_width, 26}), (std::array{a.width, a.height}));
  status("load", 12, "load_sym_stock: open /x");
  fn_status();
  EXPECT_EQ(0u, KD_StatusWin);
  status("load", 12, "no window, no drawing");
  close_graph();  // a message after the display closed is kept, and drawn nowhere; no context stays
  rec.ops.clear();
  show_message("closed");
  EXPECT_TRUE(rec.ops.empty() && std::string(message_text) == "closed");
  for (Role r = Role::GC0; r != Role::Count; r = static_cast<Role>(static_cast<int>(r) + 1)) EXPECT_EQ(nullptr, gc_of(r));
}

}  // namespace

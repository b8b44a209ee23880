// The user interface without a display: the command line through the X
// resource manager, the status window, events handed to their handlers,
// paging a list, and the program's own trace up to where the display fails.
#include "support/fixtures.h"
#include "support/ui_fixtures.h"
#include "ui/dialogs.h"
#include "query/screen.h"
// after gtest: X defines None
#include <X11/keysym.h>

namespace {

// ---- the command line ----

class CommandLine : public SettingsTest {
 protected:
  std::vector<std::string> args;
  std::vector<char*> argv;  // parse_args keeps pointers into it
  void parse(std::vector<std::string> a) {
    args = std::move(a);
    args.insert(args.begin(), "./some/other/name");
    argv.clear();
    for (std::string& s : args) argv.push_back(s.data());
    argv.push_back(nullptr);
    parse_args(static_cast<int>(args.size()), argv.data());
  }
};

TEST_F(CommandLine, SetsSwitchesValuesAndTheGeometryItGives) {
  KD_BorderWidth = 7;
  parse({});
  EXPECT_EQ((std::array{1, 0, 1}), (std::array{KD_StartupIconic, KD_ReverseVideo, KD_BorderWidth}));
  EXPECT_EQ((std::array<std::string, 3>{"fixed", "", ""}), (std::array<std::string, 3>{KD_FontName, KD_DisplayName, KD_IconFile}));

  // -t is taken here too: left behind it would end in the usage message.
  parse({"-iconic", "-sync", "-rv", "-bw", "3", "-width", "70", "-height", "44", "-fn", "6x13", "-ib",
         "/tmp/icon.xbm", "-t", "1", "-d", ":5"});
  EXPECT_EQ((std::array{3, 1, 1, 3, 70, 44}),
            (std::array{KD_StartupIconic, syncflag, KD_ReverseVideo, KD_BorderWidth, width, height}));
  EXPECT_EQ((std::array<std::string, 4>{"6x13", "/tmp/icon.xbm", ":5", "kadmer"}),  // resources are named after the program
            (std::array<std::string, 4>{KD_FontName, KD_IconFile, KD_DisplayName, argv[0]}));
  struct { const char* geometry; int width, height, x, y; } steps[] = {
      {"80x50+10-20", 80, 50, 10, -20}, {"90x40", 90, 40, 10, -20}, {"-5+7", 90, 40, -5, 7}};
  for (auto s : steps) {
    parse({"-geometry", s.geometry});
    EXPECT_EQ((std::array{s.width, s.height, s.x, s.y}), (std::array{width, height, xpos, ypos})) << s.geometry;
  }
}

TEST(Usage, UnknownOptionsAndStrayArgumentsPrintEveryOptionAndExitOne) {
  TempDir dir;
  for (const std::vector<std::string>& bad : {std::vector<std::string>{"-x"}, {"stray"}, {"-t", "1", "-x"},
                                              {"-rv", "-geometry", "80x50", "extra"}}) {
    RunResult r = run_program(KADMER_BIN, bad, in_dir(dir.path()));
    EXPECT_TRUE(r.status == 1 && r.err.find("kadmer: [-d name] display\n") == 0) << bad[0] << r.err;
    for (const char* o : {"-display", "-t", "-bg", "-fg", "-bc", "-cg", "-cG", "-cm", "-cr", "-cc", "-bw", "-fn",
                          "-sync", "-rv", "-ib", "-iconic", "-width", "-height"})
      EXPECT_TRUE(r.err.find(std::string("\t[") + o + " ") != std::string::npos ||
                  r.err.find(std::string("\t[") + o + "]") != std::string::npos) << o;
  }
}

// Colour names go to the table of the video mode (-rv anywhere after the
// program's name), cut to the field; the command line overrides the file.
TEST_F(CommandLine, ColoursGoToTheTableOfTheVideoModeFromTheFileOrTheCommandLine) {
  configure_from("closecolor=red\nbackground = navy \nhlccolor=yellow\ngridcolor=" + std::string(40, 'q') + "\n");
  EXPECT_EQ((std::array<std::string, 5>{"red", "navy ", "yellow", std::string(15, 'q'), "white"}),  // trailing blanks stay
            (std::array<std::string, 5>{colors_vr[COLOR_CLOSE].name, colors_vr[COLOR_BACKGROUND].name,
                                        colors_vr[COLOR_HIGHLIGHT].name, colors_vr[COLOR_GRID].name,
                                        colors_rv[COLOR_BACKGROUND].name}));
  struct { const char* option; int entry; } colours[] = {
      {"-cc", COLOR_CLOSE}, {"-bg", COLOR_BACKGROUND}, {"-qp", COLOR_QUERYPOS}, {"-qn", COLOR_QUERYNEG}, {"-cG", COLOR_GRID},
      {"-cm", COLOR_MVAVG}, {"-cr", COLOR_RANGE}, {"-fg", COLOR_FOREGROUND}, {"-bc", COLOR_BORDER}};
  std::vector<std::string> a;
  for (auto c : colours) a.insert(a.end(), {c.option, std::string("c") + c.option});
  parse(a);
  for (auto c : colours) EXPECT_EQ(std::string("c") + c.option, colors_vr[c.entry].name) << c.option;
  EXPECT_STREQ("yellow", colors_vr[COLOR_HIGHLIGHT].name);  // not on the command line
  for (std::vector<std::string> args :
       {std::vector<std::string>{"kadmer", "-rv", "-cc", "red"}, {"kadmer", "-fn", "fixed", "-rv"}}) {
    reset_color_tables();
    configure(args);
    parse({args.begin() + 1, args.end()});
    EXPECT_EQ((std::array<std::string, 2>{"red", "white"}),
              (std::array<std::string, 2>{colors_rv[COLOR_CLOSE].name, colors_vr[COLOR_CLOSE].name}));
  }
}

// ---- the status window and the program's trace ----

TEST_F(CommandLine, TheStatusWindowShowsModuleLineAndMessageAndTheMessageLineItsPlainWords) {
  RecordingWindow window;
  DrawRecorder& rec = window.rec;
  install_status_window();
  KD_StatusWin = 42;
  status("load", 123, "load_day_stock: unknown symbol XYZ");
  ASSERT_EQ(5u, rec.ops.size());  // each line cleared first
  EXPECT_EQ((std::array{0, 0, 602, 26, int(Role::GC0)}),
            (std::array{rec.ops[0].x, rec.ops[0].y, rec.ops[0].w, rec.ops[0].h, int(rec.ops[0].role)}));
  const DrawOp* prefix = rec.find_text("file load: line 123:");
  const DrawOp* msg = rec.find_text("load_day_stock: unknown symbol XYZ");
  const DrawOp* line = rec.find_text("no security XYZ in the company table or the symbol directory");
  ASSERT_TRUE(prefix && msg && line);
  // The message follows the 20-character prefix and a blank; the message
  // line stands under the menu bar of the main window, in the highlight colour.
  EXPECT_EQ((std::array<long, 6>{0, 13, 21 * 6, 13, int(Role::Graph), 42}),
            (std::array<long, 6>{prefix->x, prefix->y, msg->x, msg->y, int(msg->role), long(msg->win)}));
  EXPECT_EQ((std::array<long, 4>{6, 45, int(Role::Highlight), 7}),
            (std::array<long, 4>{line->x, line->y, int(line->role), long(line->win)}));
  // Plain words where the system's text is cryptic; none for progress.
  querysdate = 122024, querycdate = 111524, printpath[0] = '\0', num_days = 21, marketeday = 120695;
  copy_text(key_buffer, "rde"), copy_text(symbolname, "AB"), copy_text(daydir, "/d");
  struct { const char* system, *plain; } words[] = {
      {"get_query_data: no starting date found", "no day file before 12/20/24: start the query a day later"},
      {"load_query_groups: no starting date found", "no day file before 12/20/24: start the query a day later"},
      {"get_query_data: no compare date", "no day file on the compare date 11/15/24: the compare columns stay empty"},
      {"do_print: open /x/y errno=2", "print: can not write /x/y: No such file or directory"},
      {"do_print: write /dev/full errno=28", "print: writing /dev/full: No space left on device"},
      {"leave: XMakeNamedColor failed", "the display knows no colour named rde"},
      {"loadad: unknown group XYZ", "no group XYZ for the a/d line: type S, G, a group number or code"},
      {"load_group: unknown group XYZ", "no group XYZ: type a group number or code (configuration -> groups)"},
      {"load_query_distr: unknown group Q", "no group Q for the query: type A, G, a group number or code"},
      {"load_query_distr: group 3 has no members", "group 3 has no members"},
      {"loadad: no day files from 1/2/95 to 1/6/95", "no day files from 1/2/95 to 1/6/95"},
      {"/d/s951204 is not a regular file", "/d/s951204 is not a regular file"},
      {"print: 47 lines written to /l.txt", "print: 47 lines written to /l.txt"},
      {"do_print: write /l.txt signal=9", "print: writing /l.txt: stopped by signal 9"},
      {"leave: exceed stock days", "only 20 days are loaded"},
      {"load_day_stock: unknown type Q", "the company table gives AB no type of S, M or I"},
      {"get_query_data: unknown day directory", "can not read the day directory /d (configuration -> database)"},
      {"get_query_data: can not access /d/s951204", "can not read /d/s951204"},
      {"loadgroup: no data for TECH", "no prices for the group TECH in the symbol or day files"},
      {"loadstock: no data for AB", "no prices for AB in its history file or the day files"},
      {"fill_market: can not access /d/i951204", "no index file /d/i951204"},
      {"fill_work: end day is not valid", "no index file on the market's end date 12/06/95"},
      {"get_query_data: reading /d/s951204", ""}, {"load_sym_stock: open /s/AB", ""}, {"", ""}};
  for (auto w : words) EXPECT_EQ(w.plain, plain_words(w.system)) << w.system;
  rec.ops.clear();
  status("fn", 37, "");  // an empty message only clears
  EXPECT_TRUE(rec.ops.size() == 1 && rec.ops[0].kind == DrawOp::Kind::Fill);
  rec.ops.clear();
  KD_StatusWin = 0;
  status("fn", 1, "closed");  // no window: nothing drawn
  EXPECT_TRUE(rec.ops.empty());
  status_sink = nullptr;
}

TEST(TraceOfTheProgram, LevelOneTracesFromTheFirstLineAndOnlyWithTheOption) {
  TempDir dir;
  RunResult r = run_program(KADMER_BIN, {"-t", "1", "-d", ":none"}, in_dir(dir.path()));
  EXPECT_EQ((std::tuple{1, std::string("kadmer: XOpenDisplay failed\n")}), (std::tuple{r.status, r.err}));
  std::vector<std::string> lines = split_lines(r.out);
  ASSERT_GE(lines.size(), 8u);  // from the program's own entry to where the display fails
  EXPECT_EQ((std::array<std::string, 2>{"1-> kadmer(argc=5, argv[0]=", "2-> initial_graph()"}),
            (std::array{lines[0].substr(9, 27), lines.back().substr(9)}));
  for (const std::vector<std::string>& args : {std::vector<std::string>{"-d", ":none"}, {"-d", ":none", "-t"}}) {
    r = run_program(KADMER_BIN, args, in_dir(dir.path()));
    EXPECT_EQ((std::array{1, 0}), (std::array{r.status, static_cast<int>(r.out.size())}));
  }
}

// ---- events and arrows ----

using Events = ChartTest;

TEST_F(Events, OnlyTheLastExposeOfARunDrawsAndOnlyWhenTheChartCameBeforeIt) {
  // Only the last expose of a run redraws, and not when the chart was drawn
  // after it; events of other types are dropped; a resize lays the chart
  // area out again.
  graphlook = View::FirstMessage;  // the opening message
  for (int count : {2, 1}) send_event(Expose, KD_MainWin, count);
  EXPECT_TRUE(rec.ops.empty());
  send_event(Expose, KD_MainWin, 0);
  EXPECT_EQ(7u, rec.texts().size());
  rec.ops.clear();
  chart_drawn_to = 1;  // the exposure came before the drawing's end
  graphlook = View::FirstMessage;
  send_event(Expose, KD_MainWin, 0);
  for (int type : {0, 1, MapNotify, PropertyNotify, ClientMessage, LASTEvent, LASTEvent + 5, -1})
    send_event(type, KD_MainWin);
  EXPECT_TRUE(rec.ops.empty() && stkind == 0);  // neither the expose nor the others drew
  for (auto [w, h] : {std::pair{302, 402}, {302, 502}, {402, 502}}) {  // either side changed is a new size
    rec.ops.clear();
    send_event(ConfigureNotify, KD_MainWin, w, h);
    EXPECT_EQ((std::array{w, h, w - 1 - 60, h - 1 - 39}), (std::array{main_win_width, main_win_height, xrt_indent, ylb_indent}));
    EXPECT_TRUE(rec.ops.size() == 1 && rec.ops[0].w == w);  // the window cleared
  }
}

// Five risers and five fallers, three rows a page: the down arrow stops at
// the last page that has rows, and a click on a row charts it.
TEST_F(Events, TheDownArrowStopsAtTheLastPageOfAList) {
  std::string first, last;
  for (int i = 0; i < 10; ++i) {
    std::string sym = std::string(1, static_cast<char>('A' + i)) + "X";
    first += sym + ",11,9,10,1000\n";
    last += sym + "," + std::to_string(i < 5 ? 12 + i : 8 - i / 2) + ",7," + std::to_string(i < 5 ? 11 + i : 8 - i / 2) +
            ",1000\n";
  }
  day_file("s951201", first);
  day_file("s951204", last);
  querysdate = queryedate = querycdate = 120495, querycount = 100, querylprice = 0, queryhprice = 1000;
  fast_query();  // the first list reads the day files, the next ones use its table
  day_file("s951204", last + "NEW,5,4,4.5,10\n");
  fn_hl();
  ASSERT_EQ(10, querynum);
  RecordingWindow small(100, 12);
  graphlook = View::Query, querylook = ListView::Percent, arrow_adv = 1;
  // Down twice, Home and End; End with a row a page: the fifth row is the last page.
  auto one_row = [] { main_win_height = list_top() + 3 * font_height, fn_lastpage(); };
  for (auto [step, page] : {std::pair<void (*)(), int>{fn_arrowdown, 3}, {fn_arrowdown, 3}, {fn_firstpage, 0},
                             {fn_lastpage, 3}, {one_row, 4}}) {
    step();
    EXPECT_EQ(page, arrow_index);
  }
  arrow_index = 0;  // a click on the top row charts it (a symbol of the day files alone: unknown)
  draw_chart();
  send_event(ButtonPress, KD_MainWin, (qs[0].col - 5) * font_width + 1, (qs[0].row - 1) * font_height + 1);
  EXPECT_EQ((std::array<std::string, 3>{"load_day_stock: unknown symbol EX", "1", "percent list 10"}),
            (std::array<std::string, 3>{last_status, std::to_string(int(graphlook)),
                                        flip_list.name + " " + std::to_string(flip_list.symbols.size())}));
  // A range with no day file after the start file, and one the wrong way
  // round, in words.
  struct { int start, end; const char* words; } ranges[] = {
      {120595, 120695, "no day file from 12/05/95 to 12/06/95: nothing moved"},
      {120495, 120195, "the query's end 12/01/95 lies before its start 12/04/95"}};
  KD_QueryWin = 80, KD_QueryWinSdate = 81;  // typed into the query window's start field
  for (auto r : ranges) {
    message_text[0] = '\0';
    queryedate = querycdate = r.end;
    key_index = std::snprintf(key_buffer, sizeof key_buffer, "%d/%d/%d", r.start / 10000, r.start / 100 % 100, r.start % 100);
    field_return(KD_QueryWinSdate);
    EXPECT_STREQ(r.words, message_text);
  }
  KD_QueryWin = KD_QueryWinSdate = 0;
}

// A screen typed into the query window lists its rows a page at a time; a
// click charts one, Ctrl+N and Ctrl+P the next and previous and stop at the
// ends; a bad screen is said and the list stays; Ctrl+W and the watchlists.
TEST_F(Events, AScreenListsPagesChartsAndFlipsAndABadOneLeavesIt) {
  std::string first, last;
  for (int i = 0; i < 8; ++i) {  // risers by 10 to 40 %, two of them tied twice, and two fallers
    std::string sym = std::string(1, static_cast<char>('A' + i)) + "X";
    first += sym + ",11,9,10,1000\n";
    last += sym + ",20,7," + std::to_string(std::array{11, 12, 13, 14, 12, 11, 8, 9}[static_cast<std::size_t>(i)]) + ",1000\n";
  }
  tables("1:Tech:TECH:\n", "AX:A:S:N:TECH:950101-1:\nBX:B:S:N::950101-1:\n");
  day_file("s951201", first);
  day_file("s951204", last);
  querysdate = queryedate = querycdate = 120495, querycount = 0, querylprice = 0, queryhprice = 1000;
  copy_text(screen_text, " pct > 5 ");
  run_typed_screen();
  ASSERT_EQ(6u, screen_rows.size());
  EXPECT_EQ("screen pct > 5: 6 found, 12/04/95-12/04/95, a click charts one", title_text());
  std::string order;
  for (const ScreenRow& r : screen_rows) order += r.rec.symbol;
  EXPECT_EQ("DXCXBXEXAXFX", order);  // highest pct first, a tie by symbol
  RecordingWindow small(100, 12);
  arrow_adv = 1;
  for (auto [step, page] : {std::pair<void (*)(), int>{fn_arrowdown, 3}, {fn_arrowdown, 3}, {fn_firstpage, 0},
                             {fn_lastpage, 3}}) {
    step();
    EXPECT_EQ(page, arrow_index);
  }
  draw_chart();
  send_event(ButtonPress, KD_MainWin, 20, list_top() + 2 * font_height + 1);  // the third row of the page
  EXPECT_EQ((std::array<std::string, 2>{"load_day_stock: unknown symbol FX", "1"}),
            (std::array<std::string, 2>{last_status, std::to_string(int(graphlook))}));
  EXPECT_EQ((std::array<int, 2>{6, 6}), (std::array{flip_position() + 1, static_cast<int>(flip_list.symbols.size())}));
  main_window_key(XK_n, "", 0, ControlMask);
  EXPECT_STREQ("last of 6 in screen pct > 5", message_text);
  main_window_key(XK_p, "", 0, ControlMask);
  EXPECT_STREQ("", message_text);  // the message of the end goes with the next key
  EXPECT_EQ(1, queryflag);  // a screen's row: the query's days marked on the chart
  EXPECT_NE(std::string::npos, title_text().find("AX, daily, 12/1/95 to 12/4/95, 5 of 6 in screen pct > 5")) << title_text();
  graphlook = View::Query, querylook = ListView::Screen;
  KD_QueryWin = 80, KD_QueryWinScreen = 82;  // typed into the query window's Screen field
  auto type = [](const char* text, bool enter) {
    key_index = std::snprintf(key_buffer, sizeof key_buffer, "%s", text);
    enter ? field_return(KD_QueryWinScreen) : field_leave(KD_QueryWinScreen);
  };
  type("pct < 0", false);  // moving out keeps the text and runs nothing
  EXPECT_TRUE(std::string(screen_text) == "pct < 0" && screen_rows.size() == 6u);
  type("pct > 5 and close >", true);
  EXPECT_STREQ("screen: a number, a measure or '(' expected at column 20", message_text);
  EXPECT_TRUE(screen_rows.size() == 6u && querylook == ListView::Screen && graphlook == View::Query);
  KD_QueryWin = KD_QueryWinScreen = 0;
  copy_text(screen_text, "group(\"TECH\")");  // a saved screen's name is looked up first
  work.write("general/screens", "group(\"TECH\"): pct < 0\n");
  run_typed_screen();
  EXPECT_EQ("screen group(\"TECH\") (pct < 0): 2 found, 12/04/95-12/04/95, a click charts one", title_text());
  KD_QueryWin = 80, KD_QueryWinLprice = 83, KD_QueryWinSdate = 81;
  for (auto [field, text, found] : {std::tuple{KD_QueryWinLprice, "8.5", 1u},  // a price range keeps the rows in it
                                    {KD_QueryWinSdate, "12/1/95", 0u}}) {   // a range is read again: no start file
    key_index = std::snprintf(key_buffer, sizeof key_buffer, "%s", text);
    field_return(field);
    EXPECT_EQ(found, screen_rows.size()) << text;
  }
  KD_QueryWin = KD_QueryWinLprice = KD_QueryWinSdate = 0;
  ::load = 0;
  main_window_key(XK_w, "", 0, ControlMask);
  EXPECT_STREQ("Ctrl+W: chart a security first; its symbol is what a watchlist takes", message_text);
  work.write("general/watchlists", "mine: AX\nother: BX QX\n");
  day_file("f951204", "QX,5,4,4.5,1\n");  // a fund: its close is in the funds' file
  copy_text(watchlist_name, "gone");  // no such watchlist: the first one takes it
  copy_text(symbolname, "AX"), ::load = 1;
  main_window_key(XK_w, "", 0, ControlMask);
  EXPECT_EQ("AX is in watchlist mine already|mine", std::string(message_text) + "|" + watchlist_name);
  copy_text(watchlist_name, "other");
  main_window_key(XK_w, "", 0, ControlMask);
  EXPECT_STREQ("AX added to watchlist other (3 symbols)", message_text);
  fn_watchlists();
  EXPECT_EQ(3, list_rows());  // three entries a row, a watchlist on a row of its own
  EXPECT_EQ(1.0f, watch_shown.at(1).change);  // AX: 10 in the day file before, 11 in the last
  EXPECT_TRUE(watch_shown.at(4).listed && watch_shown.at(4).close == 4.5f);
  send_event(ButtonPress, KD_MainWin, 2 * font_width, list_top() - font_height + 1);  // the name of "mine"
  EXPECT_STREQ("watchlist mine: Ctrl+W adds to it, Ctrl+N charts its first symbol", message_text);
  EXPECT_EQ("watchlist mine", flip_list.name);
  graphlook = View::Companies;
  draw_chart();
  EXPECT_EQ("company list", flip_list.name);
  copy_text(groupname, "TECH");
  ASSERT_EQ(0, loadgroup());
  EXPECT_EQ((std::pair<std::string, std::size_t>{"group TECH", 1}), (std::pair{flip_list.name, flip_list.symbols.size()}));
}

// The keys and the wheel over the main window move what the view shows:
// charts scroll, lists page, the distribution does both; the others stay.
TEST_F(Events, EachKeyAndTheWheelActOnTheViewsTheyMove) {
  // Moves 0 to 7 are these keys, 8 and 9 the wheel up and down.
  const KeySym keys[] = {XK_Left, XK_Right, XK_Up, XK_Down, XK_Prior, XK_Next, XK_Home, XK_End};
  using Acts = std::array<std::string, 10>;  // {}: nothing moves
  const Acts chart = {"arrowleft", "arrowright", "", "", "", "", "firstdays", "lastdays", "arrowleft", "arrowright"},
             list = {"", "", "", "", "arrowup", "arrowdown", "firstpage", "lastpage", "arrowup", "arrowdown"};
  using enum View;
  const ListView percent = ListView::Percent;
  struct { View look; ListView query; Acts acts; } views[] = {
      {Price, percent, chart}, {Group, percent, chart}, {Split, percent, chart}, {AdLine, percent, chart},
      {Query, percent, list}, {Groups, percent, list}, {Companies, percent, list}, {Watchlists, percent, list},
      {Query, ListView::Screen, list},
      {Query, ListView::Distribution, {"arrowleft", "arrowright", "arrowup", "arrowdown", "", "", "", "", "arrowleft", "arrowright"}},
      {Market, percent, {}}, {Cleared, percent, {}}, {FirstMessage, percent, {}}};
  for (auto v : views)
    for (std::size_t k = 0; k < v.acts.size(); ++k) {
      graphlook = v.look, querylook = v.query, arrow_index = 0;
      std::string t = traced([&] { k < 8 ? main_window_key(keys[k], "", 0, 0) : main_window_wheel(k == 8); });
      std::size_t at = t.find("-> fn_");
      EXPECT_EQ(v.acts[k], at == std::string::npos ? "" : t.substr(at + 6, t.find('(', at) - at - 6)) << int(v.look) << " " << k;
    }
}

// Zoom starts on every chart; the volume mark on the price chart alone.
TEST_F(Events, ZoomAndTheVolumeMarkStartOnTheChartsThatHaveThem) {
  const std::set<int> zooming = {1, 2, 3, 4, 5, 6, 7, 9, 10, 14};
  for (int look = 0; look <= 17; ++look) {
    graphlook = View(look), zoom = mark = 0, last_status[0] = '\0';
    fn_zoom();
    EXPECT_EQ((std::tuple{zooming.count(look) == 1, std::string()}), (std::tuple{zoom == 1, std::string(last_status)})) << look;
    last_status[0] = '\0', fn_mark();
    EXPECT_EQ((std::tuple{look == 1, std::string(look == 1 ? "" : "fn_mark: deferred implementation")}),
              (std::tuple{mark == 1, std::string(last_status)})) << look;
  }
}

// A dialog's commit keeps what was typed: a group name that finds no prices
// stays in its field (it went blank); a start before the A/D line's loaded
// days (a day without a file) loads the line from there and stays the
// chart's start, on Return and on leaving the field alike (it went back to
// the days that fit, or to the loaded first day).
TEST_F(Events, DialogCommitsKeepWhatWasTyped) {
  tables("1:Tech:TECH:\n2:Banks:BANK:\n", "AB:Alpha:S:N:BANK:950101-1:\nZZ:Zulu:S:N:TECH:950101-1:\n");
  for (int d = 1; d <= 29; ++d)  // the weekdays of December 1995
    if (weekday_of(day_number(1995, 12, d)) % 6) day_file("s" + std::to_string(951200 + d), "AB,9,1,5,1\n");
  KD_GroupWin = 50, KD_GroupWinName = 51, KD_DateWin = 60, KD_DateWinStartDay = 61;
  copy_text(key_buffer, "tech"), key_index = 4, field_return(KD_GroupWinName);
  EXPECT_STREQ("loadgroup: no data for TECH", last_status);
  EXPECT_TRUE(std::any_of(rec.ops.begin(), rec.ops.end(), [](const DrawOp& op) { return op.win == 51 && op.text == "TECH"; }));
  graphlook = View::Group;  // a group found is charted at once
  rec.ops.clear();
  copy_text(key_buffer, "bank"), key_index = 4, field_return(KD_GroupWinName);
  EXPECT_TRUE(std::any_of(rec.ops.begin(), rec.ops.end(), [](const DrawOp& op) {
    return op.win == KD_MainWin && op.text.find("BANK") != std::string::npos;
  }));
  // A comparison typed loads the security shown again against it.
  KD_StockWin = 70, KD_StockWinCmp = 71, graphlook = View::Price, copy_text(symbolname, "AB");
  KD_csd = 4, KD_csm = 12, KD_csy = 95, KD_ced = 8, KD_cem = 12, KD_cey = 95;  // and keeps the days shown
  copy_text(key_buffer, "bank"), key_index = 4, field_return(KD_StockWinCmp);  // a group: its index
  EXPECT_EQ((std::array<std::string, 3>{"BANK", "AB", "951204"}),
            (std::array<std::string, 3>{compare_shown(), symbolname, std::to_string(KD_csy * 10000 + KD_csm * 100 + KD_csd)}));
  trackstate = 1, draw_chart(), rec.ops.clear();  // the read-out: the index's close (AB's own) and a strength of 100
  send_event(MotionNotify, KD_MainWin, worklist[0][1].xpix + 1, (ylt_indent + ylb_indent) / 2);
  EXPECT_TRUE(rec.find_text(" Cmp   5.000") && rec.find_text(" RS  100.0"));
  trackstate = 0;
  fake_window(30, 30), load_hooks.days_that_fit = days_that_fit;  // 12 days fit
  graphlook = View::AdLine, copy_text(adln_depth, "S"), copy_text(adln_disp, "a");
  for (bool on_return : {true, false}) {
    KD_csd = 27, KD_csm = 12, KD_csy = 95, KD_ced = 29, KD_cem = 12, KD_cey = 95;
    ASSERT_EQ(0, loadad());
    copy_text(key_buffer, "11/30/95"), key_index = 8;
    on_return ? field_return(KD_DateWinStartDay) : field_leave(KD_DateWinStartDay);
    EXPECT_EQ((std::array{951130, 951201, 951229}), (std::array{KD_csy * 10000 + KD_csm * 100 + KD_csd,
                                                                yymmdd_of(loaded().front()), yymmdd_of(loaded().back())}))
        << on_return;
  }
  forget_dialogs();  // the display is gone: no dialog stays open
  EXPECT_EQ((std::array<Window, 3>{}), (std::array{KD_GroupWin, KD_GroupWinName, KD_DateWin}));
}

// The read-out of the day under the pointer: the date with its year, the
// band as drawn, the volume from the marked day, and at the right edge the
// last day drawn, not the last loaded. A zoom's scale covers the box of
// prices chosen, nothing is drawn beyond the plot (no bar pinned to its
// top), and the title says so.
TEST_F(Events, TheReadOutTheVolumeMarkAndAZoomToTheBoxChosenWithinThePlot) {
  graphlook = View::Price, mvavgtype = mvavgflag = bollingerflag = 1, mvavgdays = 2, bolstd = 3, quotelook = 'b';
  std::vector<float> closes;
  for (int i = 0; i < 300; ++i) closes.push_back(i % 2 ? 14 : 10);  // a two-day average of 12, a deviation of 2
  history(closes);  // all 300 days in the window, 120 drawn
  draw_chart();
  fn_mark();
  rec.ops.clear();
  send_event(ButtonRelease, KD_MainWin, worklist[0][2].xpix - 1);  // just left of the third day: drawn with its mark
  EXPECT_FALSE(rec.texts().empty());
  fn_track();
  auto readout = [&](int x) {
    rec.ops.clear();
    send_event(MotionNotify, KD_MainWin, x, (ylt_indent + ylb_indent) / 2);
    std::string lines = "|";  // the pieces of a line, in their colours, joined
    int y = 0;
    for (const DrawOp* t : rec.texts()) lines += (t->y == y || lines == "|" ? "" : "|") + t->text, y = t->y;
    return lines + "|";
  };
  std::string at = readout(worklist[0][6].xpix + 1) + readout(xrt_indent - 1);
  for (const char* part : {"|Date 1/10/95  High ", "Bol-top  18.000 ", "Bol-bot   6.000 ", "Tot-Vol  40.00K|",
                           "|Date 6/16/95  High "})
    EXPECT_NE(std::string::npos, at.find(part)) << part << at;
  fn_track();
  graphlook = View::Rsi;
  fn_mark();  // marking again: the price chart only
  EXPECT_STREQ("fn_mark: deferred implementation", last_status);
  graphlook = View::Price;
  std::vector<float> rising;
  for (int i = 0; i < 40; ++i) rising.push_back(1 + i * 0.15f);
  history(rising);
  draw(7);
  auto bar = [&](int day) {  // the day's line from its high down to its low, if drawn
    for (const DrawOp* b : ops(DrawOp::Kind::Line, Role::Range))
      if (b->x == x_of(day) - 1) return b;
    return static_cast<const DrawOp*>(nullptr);
  };
  zoom = 1, zoom_x = 200, z_x0 = -1;  // a click without a box zooms nothing
  send_event(ButtonRelease, KD_MainWin);
  EXPECT_EQ((std::array{0, 0}), (std::array{zoomlvl, zoom}));
  // A box dragged from right to left, from day 30 to just left of day 5 and
  // from day 20's high, 4.5, to day 10's low, 2.0: days 4 to 31 are shown.
  int right = worklist[0][30].xpix, left = worklist[0][5].xpix - 1, top = bar(20)->y, bottom = bar(10)->h;
  zoom = 1, rec.ops.clear();
  for (auto [type, x, y] : {std::array{ButtonPress, right, bottom}, {MotionNotify, (left + right) / 2, top},
                            {MotionNotify, left, top}, {ButtonRelease, left, top}})
    send_event(type, KD_MainWin, x, y);
  EXPECT_EQ((std::array{28.f, rising[4], rising[31]}), (std::array{float(work_days), worklist[0][0].close, worklist[0][27].close}));
  const DrawOp *high = bar(16), *low = bar(6);  // whole, and filling most of the plot
  ASSERT_TRUE(high && low);
  EXPECT_TRUE(high->y > ylt_indent && low->h < ylb_indent && low->h - high->y > (ylb_indent - ylt_indent) * 2 / 3)
      << high->y << " " << low->h;
  for (Role r : {Role::Range, Role::Mvavg, Role::Bol})  // days 28 on lie above the scale: not drawn
    for (const DrawOp* b : ops(DrawOp::Kind::Line, r))
      EXPECT_TRUE(std::min(b->y, b->h) >= ylt_indent && std::max(b->y, b->h) <= ylb_indent && (r != Role::Range || b->y != b->h));
  EXPECT_NE(std::string::npos, title_text().find(", zoomed, scales fit the box chosen")) << title_text();
  load();
  EXPECT_EQ(std::string::npos, title_text().find("zoomed"));
  // The same box on the split screen's price panel: the days for both
  // panels, the prices for the price panel; a box on the volume panel
  // keeps the prices.
  graphlook = View::Split, copy_text(comblist, "sv"), rec.ops.clear(), draw_chart();
  right = worklist[0][30].xpix, left = worklist[0][5].xpix - 1, top = bar(20)->y, bottom = bar(10)->h;
  auto drag = [&](int y0, int y1) {
    zoom = 1, rec.ops.clear();
    for (auto [type, x, y] : {std::array{ButtonPress, right, y0}, {MotionNotify, left, y1}, {ButtonRelease, left, y1}})
      send_event(type, KD_MainWin, x, y);
  };
  drag(bottom, top);
  high = bar(16), low = bar(6);
  const SplitPanel zoomed = split_panels().at(0);
  ASSERT_TRUE(high && low && ops(DrawOp::Kind::Fill, Role::Close).size() == 28u);  // 28 days of volume below
  EXPECT_TRUE(high->y > zoomed.top && low->h < zoomed.bottom && low->h - high->y > (zoomed.bottom - zoomed.top) * 2 / 3)
      << high->y << " " << low->h;
  load(), draw_chart();
  std::array<float, 3> prices = {price_bottom, price_incr, float(price_steps)};
  right = worklist[0][30].xpix, left = worklist[0][5].xpix - 1;
  drag(split_panels().at(1).bottom - 2, split_panels().at(1).top + 2);
  EXPECT_EQ((std::array{28.f, prices[0], prices[1], prices[2]}), (std::array{float(work_days), price_bottom, price_incr, float(price_steps)}));
  // The crosshair: a line through every panel at the day under the pointer
  // and one across the panel under it, with that height's value by the
  // axis; the next move draws them again (in exclusive-or: gone) and draws
  // no panel anew; the read-out names the year.
  trackstate = 1, load(), draw_chart();
  const std::vector<SplitPanel> p = split_panels();
  auto amount = [](const std::string& t) { return std::stod(t) * (t.back() == 'K' ? 1e3 : t.back() == 'M' ? 1e6 : 1); };
  std::vector<std::pair<int, double>> scale;  // the volume panel's labels: their hash marks' rows, their amounts
  for (const DrawOp* t : rec.texts())
    if (t->x < xlb_indent && t->y > p[1].top && t->y <= p[1].bottom + font_height) scale.push_back({t->y - font_ascent / 2, amount(t->text)});
  ASSERT_GE(scale.size(), 2u);
  int y1 = (p[1].top + p[1].bottom) / 2, y2 = p[0].top + 5;
  double between = scale[0].second + (scale[1].second - scale[0].second) * (y1 - scale[0].first) / (scale[1].first - scale[0].first);
  rec.ops.clear();
  send_event(MotionNotify, KD_MainWin, worklist[0][10].xpix + 1, y1);
  send_event(MotionNotify, KD_MainWin, worklist[0][20].xpix + 1, y2);
  std::vector<std::array<int, 4>> lines, want;
  for (const DrawOp* l : ops(DrawOp::Kind::Line, Role::XOR)) lines.push_back({l->x, l->y, l->w, l->h});
  for (auto [day, y] : {std::pair{10, y1}, {10, y1}, {20, y2}})
    for (std::array<int, 4> l : {std::array{worklist[0][day].xpix + 2, p[0].top, worklist[0][day].xpix + 2, p[1].bottom},
                                 {xlb_indent, y, xrt_indent, y}})
      want.push_back(l);
  EXPECT_EQ(want, lines);
  std::vector<const DrawOp*> values = ops(DrawOp::Kind::Text, Role::XOR);
  ASSERT_EQ(3u, values.size());
  EXPECT_TRUE(values[1]->text == values[0]->text && std::fabs(amount(values[0]->text) - between) < between * 0.02 &&
              std::stod(values[2]->text) > rising[20] &&
              std::ranges::none_of(ops(DrawOp::Kind::Fill, Role::GC0), [](const DrawOp* f) { return f->h > 2 * font_height; }))
      << values[0]->text << " " << between << " " << values[2]->text;
  EXPECT_TRUE(std::ranges::any_of(rec.texts(), [](const DrawOp* t) { return t->text.starts_with("Date 1/30/95"); }));
  // Off the plot it goes; a window cleared took it along: nothing to remove.
  rec.ops.clear(), send_event(MotionNotify, KD_MainWin, 1, y2);
  EXPECT_EQ(2u, ops(DrawOp::Kind::Line, Role::XOR).size());
  send_event(MotionNotify, KD_MainWin, worklist[0][20].xpix + 1, y2), clear_graph(), rec.ops.clear();
  send_event(MotionNotify, KD_MainWin, worklist[0][20].xpix + 1, y2);
  EXPECT_EQ(2u, ops(DrawOp::Kind::Line, Role::XOR).size());
  // A zoom on a split screen that placed no day leaves the days alone.
  copy_text(comblist, "c"), draw_chart();
  int days = work_days;
  drag(p[0].top + 5, p[0].top + 50);
  EXPECT_EQ(days, work_days);
}

// The arrows, Home and End move the days shown whole, by a step of loaded
// days (weekdays), and stop at the ends of the loaded days.
TEST_F(Events, ScrollingMovesTheShownDaysWholeByTheStep) {
  history(std::vector<float>(200, 10));  // 2 Jan to 6 Oct 1995; 120 days fit
  graphlook = View::Price;
  draw_chart();
  struct { void (*act)(); int adv, first, last; } steps[] = {
      {fn_lastdays, 1, 950424, 951006}, {fn_arrowleft, 1, 950421, 951005}, {fn_arrowright, 1, 950424, 951006},
      {fn_arrowright, 1, 950424, 951006}, {fn_arrowleft, 2, 950417, 950929}, {fn_firstdays, 2, 950102, 950616},
      {fn_arrowleft, 3, 950102, 950616}, {fn_arrowright, 3, 950131, 950717}};
  for (auto s : steps) {
    graph_adv = s.adv;
    s.act();
    EXPECT_EQ((std::array{s.first, s.last, 120}), (std::array{KD_csy * 10000 + KD_csm * 100 + KD_csd,
                                                             KD_cey * 10000 + KD_cem * 100 + KD_ced, work_days}));
  }
}

// A code of the summary that does not load leaves the summary standing
// under the loader's message; one that loads is charted.
TEST_F(Events, ACodeOfTheMarketSummaryThatDoesNotLoadLeavesTheSummary) {
  static Surface next = 100;
  market_windows = {[](int, int, int, int) { return ++next; }, [] {}};
  install_status_window();
  symbol_file("DJ30", history_lines(1995, 12, 4, {5000, 5100, 5050}));
  marketsday = 120495, marketeday = 120695, marketdisp = 'N', graphlook = View::Market;
  draw_chart();
  send_event(ButtonRelease, market_cells[0].window);  // NADV: neither a company nor a history
  EXPECT_TRUE(graphlook == View::Market && ::load == 0 && rec.find_text("New York Stock Market"));
  EXPECT_STREQ("no security NADV in the company table or the symbol directory", message_text);
  stockbuyprice = 7, stockbuyavol = 9;  // not DJ30's: its buy price starts at its first close
  send_event(ButtonRelease, market_cells[7].window);  // DJ30
  EXPECT_EQ((std::array<long, 5>{1, 1, 5000, 0, 0}),  // the NADV message gone
            (std::array<long, 5>{long(graphlook), ::load, long(stockbuyprice), stockbuyavol, message_text[0]}));
  market_windows = {};
  status_sink = nullptr;
}

}  // namespace

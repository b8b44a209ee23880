// The settings every part of the program reads and changes, with their
// start values.
#include <algorithm>
#include <cstring>

#include "core/core.h"
#include "core/text.h"

int width;
int height;
int xpos, ypos;
int graph_type;
int graph_adv;
View graphlook;

bool chart_view(View v) {
  using enum View;
  return v == Price || v == Volume || v == Rsi || v == Group || v == Macd || v == Stoch || v == Split || v == Movement ||
         v == Value || v == AdLine;
}

bool list_view(View v) {
  return v == View::Query || v == View::Groups || v == View::Companies || v == View::Watchlists;
}
int pricetype;
char quotelook;
char laxis, raxis;
char format;
int mvavgflag;
int mvavgtype;
int mvavgdays;
int bollingerflag;
float bolstd;
int stochdays;
int fibflag;
float fibhigh, fiblow;
float fibtop, fibbot;
char fibpolar;
int volflag;
int extendday;
char broker;
int querycount;
char querysmode;
float querylprice, queryhprice;
float distr_incr;
int distr_incr_mod;
char distr_screen[16];
char groupmode;
char groupname[16];
char comparename[16];
char symbolname[9];
char comblist[6];
char adln_disp[8], adln_depth[16];
char marketdisp;
int value_steps, macd_steps, rsi_steps;
int bw;
int indent_top, indent_side, indent_bot;
int zoom_x, zoom_y;
int arrow_adv;
int gridstate, trackstate;
int fitshown;
int printfd;
int NUM_COLORS;
char daydir[1024], symboldir[1024], generaldir[1024];
char printpath[1024];
char screen_text[256];
char watchlist_name[64];
FlipList flip_list;
int queryedate, querysdate, querycdate;
int marketeday, marketsday;
int grpcnt;
int syncflag;
int threads;

// The start values of the settings; the program starts with them and tests
// return to them.
void reset_settings() {
  width = 100;
  height = 60;
  xpos = 0;
  ypos = 0;
  graph_type = 1;
  graph_adv = 1;
  graphlook = View::FirstMessage;
  pricetype = 7;
  quotelook = 'b';
  laxis = 'p';
  raxis = 'n';
  format = 'd';
  mvavgflag = 0;
  mvavgtype = 0;
  mvavgdays = 0;
  bollingerflag = 0;
  bolstd = 0;
  stochdays = 0;
  fibflag = 0;
  fibhigh = 0.618f;
  fiblow = 0.382f;
  fibtop = 0.75f;
  fibbot = 0.15f;
  fibpolar = '+';
  volflag = 0;
  extendday = 0;
  broker = 's';
  querycount = 0;
  querysmode = 's';
  querylprice = 0;
  queryhprice = 100;
  distr_incr = 0.25f;
  distr_incr_mod = 4;
  copy_text(distr_screen, "A");
  groupmode = 't';
  copy_text(comblist, "sr");
  copy_text(adln_disp, "    ");
  copy_text(adln_depth, "    ");
  marketdisp = ' ';
  value_steps = 41;
  macd_steps = 11;
  rsi_steps = 20;
  bw = 1;
  indent_top = 6;
  indent_side = 10;
  indent_bot = 3;
  zoom_x = -1;
  zoom_y = -1;
  arrow_adv = 2;
  gridstate = 0;
  trackstate = 0;
  fitshown = 0;
  printfd = -1;
  NUM_COLORS = 19;
  copy_text(daydir, "/");
  copy_text(symboldir, "/");
  copy_text(generaldir, "/");
  printpath[0] = groupname[0] = symbolname[0] = screen_text[0] = watchlist_name[0] = comparename[0] = '\0';
  flip_list = FlipList{};
  queryedate = querysdate = querycdate = marketeday = marketsday = 0;
  grpcnt = 0;
  syncflag = 0;
  threads = 0;
}

[[maybe_unused]] static const bool settings_ready = (reset_settings(), true);

// The table starts at -10: narrower than 1/32 it never reaches 0, and wider
// than 10 a class holds most changes of a market.
void set_class_width(float w) {
  distr_incr = std::clamp(w, 1 / 32.0f, 10.0f);
  distr_incr_mod = distr_incr <= 1 ? static_cast<int>(1 / distr_incr) : 3;
}

char genbuf[65536];

static time_t system_clock() { return time(nullptr); }
time_t (*kd_clock)() = system_clock;

// The weekday before `days`, stepping over Saturday and Sunday.
static long weekday_before(long days) {
  long d = days - 1;
  int wd = weekday_of(d);
  if (wd == 0) d -= 2;
  if (wd == 6) d -= 1;
  return d;
}

void initial_vars() {
  Trace t("initial_vars");
  time_t now = kd_clock();
  struct tm lt;
  localtime_r(&now, &lt);
  long today = day_number(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday);
  long last = weekday_before(today);
  queryedate = querysdate = querycdate = marketeday = mmddyy_of(last);
  marketsday = mmddyy_of(weekday_before(last));

  std::memset(comblist, 0, sizeof comblist);
  copy_text(comblist, "sr");
  NUM_COLORS = 19;
  copy_text(adln_disp, "    ");
  copy_text(adln_depth, "    ");
  copy_text(daydir, "/");
  copy_text(symboldir, "/");
  copy_text(generaldir, "/");
  copy_text(distr_screen, "A");
  std::memset(symbolname, 0, sizeof symbolname);
  std::memset(groupname, 0, sizeof groupname);
  marketdisp = ' ';
}


void keep_flip_list(std::string name, std::vector<std::string> symbols, bool query) {
  if (name == flip_list.name && symbols == flip_list.symbols) return;
  flip_list = FlipList{std::move(name), std::move(symbols), -1, query};
}

int flip_position() {
  const std::vector<std::string>& s = flip_list.symbols;
  int at = flip_list.at;
  // A symbol that failed to load leaves no name: the place it was charted from stays.
  if (at >= 0 && at < static_cast<int>(s.size()) && (s[static_cast<std::size_t>(at)] == symbolname || !symbolname[0]))
    return at;
  auto it = std::find(s.begin(), s.end(), std::string(symbolname));
  return it == s.end() ? -1 : static_cast<int>(it - s.begin());
}


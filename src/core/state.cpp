// The settings every part of the program reads and changes, with their
// start values.
#include <cstring>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"

int width = 100;
int height = 60;
int xpos = 0, ypos = 0;
int graph_type = 1;
int graph_adv = 1;
int graphlook = 16;
int pricetype = 7;
char quotelook = 'b';
char laxis = 'p', raxis = 'n';
char format = 'd';
int mvavgflag = 0;
int mvavgtype = 0;
int mvavgdays = 0;
int bollingerflag = 0;
float bolstd = 0;
int stochdays = 0;
int fibflag = 0;
float fibhigh = 0.618f, fiblow = 0.382f;
float fibtop = 0.75f, fibbot = 0.15f;
char fibpolar = '+';
int volflag = 0;
int extendday = 0;
char broker = 's';
int querycount = 0;
char querysmode = 's';
float querylprice = 0, queryhprice = 100;
float distr_incr = 0.25f;
int distr_incr_mod = 4;
char distr_screen[16] = "A";
char groupmode = 't';
char groupname[16];
char symbolname[9];
char comblist[6] = "sr";
char adln_disp[8] = "    ", adln_depth[16] = "    ";
char marketdisp = ' ';
int value_steps = 41, macd_steps = 11, rsi_steps = 20;
int bw = 1;
int indent_top = 6, indent_side = 10, indent_bot = 3;
int zoom_x = -1, zoom_y = -1;
int arrow_adv = 2;
int gridstate = 0, trackstate = 0;
int printfd = -1;
int NUM_COLORS = 18;
char daydir[1024] = "/", symboldir[1024] = "/", generaldir[1024] = "/";
char printpath[1024];
int queryedate, querysdate, querycdate;
int marketeday, marketsday;
int grpcnt;
int syncflag;

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
  NUM_COLORS = 18;
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

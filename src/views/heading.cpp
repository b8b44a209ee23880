// The heading area under the menu bar: the message line, which says what
// went wrong with the user's last action, and the title line, which says
// what the screen shows and from which settings.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/core.h"
#include "core/text.h"
#include "paint/paint.h"
#include "market/market.h"
#include "query/query.h"
#include "views/views.h"

char message_text[256];
int message_left;

namespace {

// The menu titles stand half a line down, two lines high, with a border.
int menu_bottom() { return font_height / 2 + 2 * font_height + 2 * bw; }

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", v);
  return text;
}

// A group by its number or code, with its name when the table knows it.
std::string group_named(const char* text) {
  int g = group_of_text(text);
  std::string out = std::string("group ") + text;
  if (g) out += std::string(" ") + groups[g].name;
  return out;
}

std::string selection() {
  if (std::strcmp(distr_screen, "A") == 0) return "all securities";
  if (std::strcmp(distr_screen, "G") == 0) return "all groups";
  return group_named(distr_screen);
}

// Name, range, count, price range, volume mode and group selection: every
// setting that decides which rows a query screen shows.
std::string query_title() {
  if (querylook == ListView::Screen) return screen_title();
  const QueryList* l = query_list(querylook);
  const char* name = l                                    ? l->label
                     : querylook == ListView::Groups       ? "groups"
                     : querylook == ListView::Distribution ? "distribution"
                                                           : nullptr;
  if (!name) return "";
  std::string t = std::string(name) + ": " + mmddyy_text(querysdate) + "-" + mmddyy_text(queryedate);
  if (query_compare_shown()) t += " vs " + mmddyy_text(querycdate);
  t += querycount == INT_MAX ? std::string(", every row") : ", count " + std::to_string(querycount);  // the tools' default
  if (std::string examined = query_count_text(); !examined.empty()) t += " (" + examined + ")";
  t += ", price " + number(querylprice);
  if (queryhprice < 1e30f) t.append("-").append(number(queryhprice));
  else t += " and above";  // the tools' default: any price
  t += querysmode == 'a' ? ", total volume" : ", up-down volume";  // down days subtracted
  t += ", " + selection();
  if (querylook == ListView::Distribution) t += ", class " + number(distr_class_width());
  return t;
}

const char* const periods[] = {"", "daily", "weekly", "monthly", "quarterly", "yearly"};

std::string short_date(int m, int d, int yy) {
  char text[16];
  std::snprintf(text, sizeof text, "%d/%d/%02d", m, d, yy % 100);
  return text;
}

std::string adline_name() {
  char depth[16];
  copy_text(depth, adln_depth);
  upcase(depth);
  if (std::strcmp(depth, "S") == 0) return "advance/decline of all stocks";
  if (std::strcmp(depth, "G") == 0) return "advance/decline of all groups";
  return "advance/decline of " + group_named(depth);
}

// What is charted, its period, its shown days and whether a zoom chose
// them; the price and volume charts say where their scales come from.
std::string chart_title() {
  if (num_days < 2 || worklist.empty() || worklist[0].empty() || work_days < 1) return "";
  const std::vector<WorkDay>& w = worklist[0];
  int last = std::min(work_days, static_cast<int>(w.size())) - 1;
  while (last > 0 && w[last].xpix < 0) --last;  // the days past the right edge are not shown
  std::string t = graphlook == View::AdLine  ? adline_name()
                  : graphlook == View::Group ? group_named(groupname)
                                             : symbolname;
  t += std::string(", ") + periods[graph_type >= 1 && graph_type <= 5 ? graph_type : 1] + ", ";
  t += short_date(w[0].smon, w[0].sday, w[0].syear) + " to " + short_date(w[last].emon, w[last].eday, w[last].eyear);
  if (zoomlvl > 0) t += ", zoomed";
  if (graphlook != View::Group && graphlook != View::AdLine && !compare_shown().empty())
    t += ", against " + compare_shown();
  else if (graphlook != View::Group && graphlook != View::AdLine && !compare_problem().empty())
    t += ", no comparison (" + compare_problem() + ")";
  if (int at = graphlook == View::Group || graphlook == View::AdLine ? -1 : flip_position(); at >= 0)
    t += ", " + std::to_string(at + 1) + " of " + std::to_string(flip_list.symbols.size()) + " in " + flip_list.name;
  bool box = zoomlvl > 0 && (graphlook == View::Price || graphlook == View::Volume || graphlook == View::Split);
  if (graphlook == View::Price || graphlook == View::Volume || graphlook == View::Group || graphlook == View::Split)
    t += fitshown ? ", scales fit the days shown" : box ? ", scales fit the box chosen" : ", scales fit all loaded days";
  return t;
}

// The exchange, its two days and what a click does.
std::string market_title() {
  Layout l = layout_of(marketdisp);
  if (!l.labels || marketsday == 0 || marketeday == 0) return "";
  return std::string(l.labels[0].text) + " summary: " + mmddyy_text(marketsday) + " to " + mmddyy_text(marketeday) +
         ", a click on a code charts it";
}

int named_groups() {
  int n = 0;
  for (int g = 1; g <= num_groups && g < static_cast<int>(groups.size()); ++g) n += groups[g].name[0] != '\0';
  return n;
}

}  // namespace

int message_baseline() { return menu_bottom() + font_ascent; }
int title_baseline() { return message_baseline() + font_height; }
int list_top() { return (4 + HEADING_LINES) * font_height; }
int heading_bottom() { return menu_bottom() + HEADING_LINES * font_height; }

std::string title_text() {
  if (chart_view(graphlook)) return chart_title();
  switch (graphlook) {
    case View::Query: return query_title();
    case View::Groups: return "groups: " + std::to_string(named_groups()) + ", a click charts one";
    case View::Companies:
      return "companies: " + std::to_string(num_companys) + ", type a symbol's first letters to go to it";
    case View::Watchlists:
      return "watchlists: a click on a symbol charts it, on a name makes it the one Ctrl+W adds to";
    case View::Market: return market_title();
    default: return "";
  }
}

void draw_message() {
  paint_fill(KD_MainWin, Role::GC0, 0, message_baseline() - font_ascent, main_win_width, font_height);
  if (message_text[0]) draw_text_cut(Role::Highlight, std::max(font_width, message_left), message_baseline(), message_text);
  paint_flush();
}

void draw_title() {
  std::string t = title_text();
  draw_text_cut(Role::Graph, font_width, title_baseline(), t);
}

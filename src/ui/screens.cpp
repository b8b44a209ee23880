// Screens of one's own in the window: the query window's Screen field run
// over the range, the watchlists view, Ctrl+W adding to a watchlist, and
// Ctrl+N and Ctrl+P flipping through the list shown last.
#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "query/screen.h"
#include "ui/dialogs.h"
#include "ui/ui.h"
#include "views/views.h"

namespace {

// The query table of the range, read when it has not been; false when it
// has no rows.
bool query_read() {
  if (!query_table_made) {
    int count = querycount;
    querycount = INT_MAX;  // a count of 0 turns the lists off, not a screen
    load_query();
    querycount = count;
    explain_query();
  }
  return querynum > 0;
}

// What Ctrl+W adds to: the watchlist last opened, else the first.
std::string watchlist_for_adding(const std::vector<Watchlist>& all) {
  for (const Watchlist& w : all)
    if (w.name == watchlist_name) return w.name;
  return all.empty() ? "mine" : all.front().name;  // "mine": the first one a trader makes
}

}  // namespace

void run_typed_screen() {
  Trace t("run_typed_screen", "text=%s", screen_text);
  begin_action();
  Screening s;
  std::string error;
  if (!read_typed_screen(screen_text, &s, &error)) {  // the list shown stays
    tell(error.c_str());
    return;
  }
  if (!query_read()) {
    draw_chart();
    return;
  }
  if (s.history() && !queryextraloaded) {
    if (const char* why = s.no_average()) {
      tell(why);
      return;
    }
    load_query_extra();
  }
  shown_screen = std::move(s);
  screen_rows = run_screen(shown_screen);
  graphlook = View::Query;
  querylook = ListView::Screen;
  arrow_index = 0;
  set_arrow_updwn(2);
  draw_chart();
}

void rerun_screen(bool reload) {
  Trace t("rerun_screen", "reload=%d", reload);
  if (reload) query_table_made = false;  // read again, whatever the count
  if (!query_read()) {
    screen_rows.clear();
    return;
  }
  if (shown_screen.history() && !queryextraloaded && !shown_screen.no_average()) load_query_extra();
  screen_rows = run_screen(shown_screen);
}

void fn_screen() {
  Trace t("fn_screen");
  make_querywin();
  if (screen_text[0]) return run_typed_screen();
  tell("screen: type a condition (pct > 5 and hivol > 2) or a saved screen's name in the Screen field");
}

void open_screen_row(int row) {
  int i = screen_row_at(row);
  if (i < 0) return;  // between or below the rows
  queryflag = 1;
  flip_list.at = i;
  chart_chosen(screen_rows[static_cast<std::size_t>(i)].rec.symbol);
}

// The watchlists view, read afresh.
void fn_watchlists() {
  Trace t("fn_watchlists");
  begin_action();
  std::vector<std::string> said;
  std::vector<Watchlist> all = read_watchlists(&said);
  watch_shown = watch_rows(all);
  graphlook = View::Watchlists;
  arrow_index = 0;
  set_arrow_updwn(2);
  std::string name = watchlist_for_adding(all);
  for (const Watchlist& w : all)
    if (w.name == name) {
      keep_flip_list("watchlist " + w.name, w.symbols);
      copy_text(watchlist_name, w.name);
    }
  draw_chart();
  if (!said.empty()) tell(said.front().c_str());
  else if (all.empty()) tell(("watchlists: none yet; Ctrl+W on a chart adds its symbol to " + watchlists_path()).c_str());
}

bool open_watch_entry(int column, int row) {
  std::string hit = draw_watchlists(2, column, row + 1);
  if (hit.empty()) return false;
  std::vector<std::string> said;
  std::vector<Watchlist> all = read_watchlists(&said);
  std::string list;
  for (const WatchRow& w : watch_shown)  // the watchlist of the entry hit
    if (w.symbol == hit || "=" + w.list == hit) {
      list = w.list;
      break;
    }
  for (const Watchlist& w : all)
    if (w.name == list) keep_flip_list("watchlist " + w.name, w.symbols);
  copy_text(watchlist_name, list);
  if (hit[0] == '=') {
    tell(("watchlist " + list + ": Ctrl+W adds to it, Ctrl+N charts its first symbol").c_str());
    return true;
  }
  set_arrow_updwn(3);
  chart_chosen(hit.c_str());
  return true;
}

void add_to_watchlist() {
  Trace t("add_to_watchlist");
  begin_action();
  if (!symbolname[0] || load != 1) {
    tell("Ctrl+W: chart a security first; its symbol is what a watchlist takes");
    return;
  }
  std::vector<std::string> said;
  std::vector<Watchlist> all = read_watchlists(&said);
  Watchlist w{watchlist_for_adding(all), {}, 0};
  for (const Watchlist& x : all)
    if (x.name == w.name) w = x;
  copy_text(watchlist_name, w.name);
  if (std::find(w.symbols.begin(), w.symbols.end(), symbolname) != w.symbols.end()) {
    tell((std::string(symbolname) + " is in watchlist " + w.name + " already").c_str());
    return;
  }
  w.symbols.emplace_back(symbolname);
  std::string error;
  if (!save_watchlist(w, &error)) {
    tell(("watchlist " + w.name + " not saved: " + error).c_str());
    return;
  }
  if (graphlook == View::Watchlists) watch_shown = watch_rows(read_watchlists(&said));
  tell((std::string(symbolname) + " added to watchlist " + w.name + " (" + std::to_string(w.symbols.size()) +
        (w.symbols.size() == 1 ? " symbol)" : " symbols)")).c_str());
}

void flip(int step) {
  Trace t("flip", "step=%d", step);
  begin_action();
  const FlipList& f = flip_list;
  int n = static_cast<int>(f.symbols.size());
  if (n == 0) {
    tell("Ctrl+N, Ctrl+P: show a list first (a query list, a screen, a watchlist, a group, the companies)");
    return;
  }
  int at = flip_position();
  int next = at < 0 ? (step > 0 ? 0 : n - 1) : at + step;
  if (next < 0 || next >= n) {
    tell((std::string(next < 0 ? "first" : "last") + " of " + std::to_string(n) + " in " + f.name).c_str());
    return;
  }
  flip_list.at = next;
  chart_keeping_view(f.symbols[static_cast<std::size_t>(next)].c_str(), f.query);
}

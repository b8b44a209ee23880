// kadmer-scan: runs a query over the day files between two dates, as the
// query window does, and writes one ranked list as "print" writes it (or as
// CSV) on standard output. It needs no display: scripts and cron use it.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "market/market.h"
#include "query/query.h"
#include "query/screen.h"
#include "tools/tool_args.h"
#include "tools/view_args.h"

const char* const tool::name = "kadmer-scan";
const char* const tool::usage_text =
    "usage: kadmer-scan [options] --start DATE --end DATE\n"
    "       kadmer-scan [--config FILE] --market n|o|a --start DATE --end DATE\n"
    "  --market X          the summary screen of NYSE (n), OTC (o) or AMEX (a): a line a cell,\n"
    "                      label, code, start value, end value and change, separated by tabs\n"
    "  --config FILE       settings file (default ./.kadmer, else ~/.kadmer)\n"
    "  --start DATE        first day of the range (YYYY-MM-DD or YYMMDD); the query\n"
    "                      starts from the last day file before it\n"
    "  --end DATE          last day of the range\n"
    "  --compare DATE      adds the close on this day and its percent to every row\n"
    "  --list NAME         price (default), percent, volume, \"dollar value\", volatity,\n"
    "                      gaps, top/bottom, \"moving avg\", bolinger, groups, \"high volume\",\n"
    "                      rsi, fibonacci, distribution, \"low count\", \"high count\"\n"
    "  --count N           at most N rows (default: every row of the list)\n"
    "  --low P, --high P   only securities whose last close lies in [P, P] (default: any)\n"
    "  --mode a|s          volumes accumulated (a) or down days subtracted (s, default)\n"
    "  --distr TEXT        A or G: every security; a group number or code: its members\n"
    "  --csv               CSV: symbol,firstclose,close,change,pct,days and every other measure;\n"
    "                      groups: number,name,code,startsum,startcount,endsum,endcount,pct;\n"
    "                      distribution: limit,count of every slot that is not empty\n"
    "  --where EXPR        every row for which EXPR holds, e.g. \"pct > 5 and hivol > 2\"\n"
    "  --sort EXPR         orders what --where finds, highest first (default: pct)\n"
    "  --ascending         lowest first\n"
    "  --screen NAME       the screen NAME of generaldir's file \"screens\"\n"
    "  --screens           lists the saved screens with their text\n"
    "  --within NAME       keeps a list or a screen to a watchlist, or to a group (code or number)\n"
    "  --save-watchlist NAME  writes the symbols found as watchlist NAME, replacing it\n";

namespace {

struct Options {
  const char* config = nullptr;
  tool::QueryArgs query;
  bool csv = false, ascending = false, list_screens = false, list_given = false;
  char market = 0;
  const char *where = nullptr, *sort = nullptr, *screen = nullptr, *within = nullptr, *save = nullptr;
};

Options parse(int argc, char** argv) {
  Options o;
  auto csv = [&](const std::string& a) {
    if (a == "--csv") return o.csv = true;
    if (a == "--ascending") return o.ascending = true;
    return a == "--screens" && (o.list_screens = true);
  };
  auto word = [](const char* a) { tool::usage((std::string("unexpected ") + a).c_str()); };
  tool::each_option(argc, argv, "--", csv, word, [&](const std::string& a, const char* v) {
    o.list_given = o.list_given || a == "--list";
    if (a == "--config") o.config = v;
    else if (a == "--where") o.where = v;
    else if (a == "--sort") o.sort = v;
    else if (a == "--screen") o.screen = v;
    else if (a == "--within") o.within = v;
    else if (a == "--save-watchlist") o.save = v;
    else if (tool::query_arg(a, v, &o.query, "--list")) return;
    else if (a == "--market" && std::strlen(v) == 1 && std::strchr("noaNOA", v[0])) o.market = v[0];
    else tool::usage(("bad option " + a).c_str());
  });
  tool::check_config(o.config);
  if (o.list_screens) return o;  // no range: the file is only listed
  bool screening = o.where || o.screen;
  if (o.where && o.screen) tool::usage("--where and --screen are two screens: give one");
  if (screening && o.list_given) tool::usage("a screen is a list of its own: --list goes without --where");
  if ((o.sort || o.ascending) && !screening) tool::usage("--sort and --ascending order a screen: give --where");
  if (o.save && !screening) tool::usage("--save-watchlist keeps what a screen finds: give --where or --screen");
  tool::check_range(o.query, "a query");
  return o;
}

// The cells of the summary screen, in layout order.
int write_market(const Options& o) {
  marketsday = tool::mmddyy(o.query.start);
  marketeday = tool::mmddyy(o.query.end);
  marketdisp = o.market;
  last_status[0] = '\0';
  fill_market();
  bool read = !mkt.empty() && !last_status[0];  // the figures of both days, or the reason why not
  if (!read) {
    std::fprintf(stderr, "kadmer-scan: %s\n", last_status[0] ? last_status : "no index figures");
    return 1;
  }
  for (const LayoutCell& c : layout_of(o.market).cells) {
    CellText v = cell_text(c);
    std::printf("%s\t%s\t%s\t%s\t%s\n", c.label, c.code, v.start.c_str(), v.end.c_str(), v.change.c_str());
  }
  return tool::output_written();
}

void say_all(const std::vector<std::string>& said) {
  for (const std::string& s : said) std::fprintf(stderr, "kadmer-scan: %s\n", s.c_str());
}

int list_screens() {
  std::vector<std::string> said;
  std::vector<SavedScreen> all = read_saved_screens(&said);
  say_all(said);
  for (const SavedScreen& s : all)
    std::printf("%s: %s%s%s\n", s.name.c_str(), s.where.c_str(), s.sort.empty() ? "" : "; sort ", s.sort.c_str());
  return tool::output_written();
}

// The screen of --where or --screen, read before any day file is: a bad
// one ends the tool with status 2.
Screening read_wanted_screen(const Options& o) {
  Screening s;
  s.ascending = o.ascending;
  std::string where = o.where ? o.where : "", sort = o.sort ? o.sort : "", error, at;
  if (o.screen) {
    std::vector<std::string> said;
    std::vector<SavedScreen> all = read_saved_screens(&said);
    say_all(said);
    auto it = std::find_if(all.begin(), all.end(), [&](const SavedScreen& x) { return x.name == o.screen; });
    if (it == all.end()) {
      std::fprintf(stderr, "kadmer-scan: no screen '%s' in %s\n", o.screen, screens_path().c_str());
      std::exit(2);
    }
    s.name = it->name;
    where = it->where;
    if (!o.sort) sort = it->sort;
    at = "screens:" + std::to_string(it->line) + ": ";
  }
  if (!read_screen_pair(where, sort, &s, &error)) {
    std::fprintf(stderr, "kadmer-scan: %s%s\n", at.c_str(), error.c_str());
    std::exit(2);
  }
  return s;
}

int write_found(const Options& o, const Screening& s) {
  if (s.history()) {
    if (const char* why = s.no_average()) {
      std::fprintf(stderr, "kadmer-scan: %s\n", why);
      return 1;
    }
    load_query_extra();
  }
  std::vector<ScreenRow> rows = run_screen(s);
  if (o.save) {
    Watchlist w{o.save, {}, 0};
    int n = o.query.count > 0 ? std::min<int>(o.query.count, static_cast<int>(rows.size())) : static_cast<int>(rows.size());
    for (int i = 0; i < n; ++i) w.symbols.emplace_back(rows[static_cast<std::size_t>(i)].rec.symbol);
    std::string error;
    if (!save_watchlist(w, &error)) {
      std::fprintf(stderr, "kadmer-scan: watchlist %s not saved: %s\n", o.save, error.c_str());
      return 1;
    }
  }
  errno = 0;
  if (!write_screen(s, rows, 1, o.csv, o.query.count)) return tool::output_written(errno ? errno : EIO);
  return tool::output_written();
}

}  // namespace

int main(int argc, char** argv) {
  Options o = parse(argc, argv);
  tool::start(o.config);
  if (o.list_screens) return list_screens();
  if (o.market) return write_market(o);
  bool screening = o.where || o.screen;
  Screening screen = screening ? read_wanted_screen(o) : Screening{};
  Within within;
  if (o.within) {
    std::vector<std::string> said;
    bool found = find_within(o.within, &within, &said);
    say_all(said);
    if (!found) {
      std::fprintf(stderr, "kadmer-scan: no watchlist or group '%s'\n", o.within);
      return 2;
    }
    query_within = &within;
  }
  tool::apply_query(o.query);
  last_status[0] = '\0';
  load_query();
  if (querynum == 0) {
    std::fprintf(stderr, "kadmer-scan: %s\n", last_status[0] ? last_status : "no day files in the range");
    return 1;
  }
  if (screening) return write_found(o, screen);
  ListView look = o.query.look;
  int count = o.query.count;
  if (const char* why = query_look_needs_average(look) ? no_average_reason() : nullptr) {
    std::fprintf(stderr, "kadmer-scan: %s\n", why);
    return 1;
  }
  errno = 0;
  bool ok = look == ListView::Groups         ? write_query_groups(1, o.csv, count)
            : look == ListView::Distribution ? write_query_distr(1, o.csv, count)
            : o.csv      ? write_query_csv(look, 1, count)
                         : write_query_list(look, 1, count);
  if (!ok && errno) return tool::output_written(errno);
  if (!ok) std::fprintf(stderr, "kadmer-scan: %s\n", last_status[0] ? last_status : "the list has no data");
  return ok ? 0 : 1;
}

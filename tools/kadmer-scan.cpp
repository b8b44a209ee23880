// kadmer-scan: runs a query over the day files between two dates, as the
// query window does, and writes one ranked list as "print" writes it (or as
// CSV) on standard output. It needs no display: scripts and cron use it.
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
#include "tools/tool_args.h"

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
    "                      distribution: limit,count of every slot that is not empty\n";

namespace {

struct Options {
  const char* config = nullptr;
  int start[3] = {}, end[3] = {}, compare[3] = {};
  int look = 1;
  int count = 0;
  float low = 0, high = std::numeric_limits<float>::max();
  char mode = 's';
  std::string distr = "A";
  bool csv = false;
  char market = 0;
};

int mmddyy(const int* ymd) { return ymd[1] * 10000 + ymd[2] * 100 + ymd[0] % 100; }
long days_of(const int* ymd) { return day_number(ymd[0], ymd[1], ymd[2]); }

float price_arg(const char* text, const char* what) {
  float v;
  if (!scan_float(text, &v) || v < 0) tool::usage(what);
  return v;
}

int list_arg(const char* name) {
  int look = query_look_of(name);
  if (look == 0) tool::usage((std::string("no list ") + name).c_str());
  return look;
}

Options parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help") {
      std::fputs(tool::usage_text, stdout);
      std::exit(0);
    }
    if (a == "--csv") {
      o.csv = true;
      continue;
    }
    if (a.rfind("--", 0) != 0) tool::usage(("unexpected " + a).c_str());
    if (i + 1 >= argc) tool::usage("an option lacks its value");
    const char* v = argv[++i];
    if (a == "--config") o.config = v;
    else if (a == "--start") tool::date_arg(v, o.start);
    else if (a == "--end") tool::date_arg(v, o.end);
    else if (a == "--compare") tool::date_arg(v, o.compare);
    else if (a == "--list") o.look = list_arg(v);
    else if (a == "--count") o.count = tool::int_arg(v, 1, INT_MAX, "--count is a positive number");
    else if (a == "--low") o.low = price_arg(v, "--low is a price");
    else if (a == "--high") o.high = price_arg(v, "--high is a price");
    else if (a == "--mode" && (std::strcmp(v, "a") == 0 || std::strcmp(v, "s") == 0)) o.mode = v[0];
    else if (a == "--distr" && v[0]) o.distr = tool::whole_text(v, sizeof distr_screen, "the group");
    else if (a == "--market" && std::strlen(v) == 1 && std::strchr("noaNOA", v[0])) o.market = v[0];
    else tool::usage(("bad option " + a).c_str());
  }
  if (!o.start[0] || !o.end[0]) tool::usage("a query needs --start and --end");
  if (days_of(o.start) > days_of(o.end)) tool::usage("the start date lies after the end date");
  tool::check_config(o.config);
  return o;
}

void apply(const Options& o) {
  querysdate = mmddyy(o.start);
  queryedate = querycdate = mmddyy(o.end);
  if (o.compare[0]) querycdate = mmddyy(o.compare);
  querylook = o.look;
  querycount = o.count > 0 ? o.count : INT_MAX;
  querylprice = o.low;
  queryhprice = o.high;
  querysmode = o.mode;
  copy_text(distr_screen, o.distr);
  for (char* c = distr_screen; *c; ++c)
    if (*c >= 'a' && *c <= 'z') *c = static_cast<char>(*c - 'a' + 'A');
}

// The cells of the summary screen, in layout order.
int write_market(const Options& o) {
  marketsday = mmddyy(o.start);
  marketeday = mmddyy(o.end);
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
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o = parse(argc, argv);
  tool::start(o.config);
  if (o.market) return write_market(o);
  apply(o);
  last_status[0] = '\0';
  load_query();
  if (querynum == 0) {
    std::fprintf(stderr, "kadmer-scan: %s\n", last_status[0] ? last_status : "no day files in the range");
    return 1;
  }
  if (const char* why = query_look_needs_average(o.look) ? no_average_reason() : nullptr) {
    std::fprintf(stderr, "kadmer-scan: %s\n", why);
    return 1;
  }
  bool ok = o.look == 10   ? write_query_groups(1, o.csv, o.count)
            : o.look == 14 ? write_query_distr(1, o.csv, o.count)
            : o.csv        ? write_query_csv(o.look, 1, o.count)
                           : write_query_list(o.look, 1, o.count);
  if (!ok) std::fprintf(stderr, "kadmer-scan: %s\n", last_status[0] ? last_status : "the list has no data");
  return ok ? 0 : 1;
}

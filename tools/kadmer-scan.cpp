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
    "                      distribution: limit,count of every slot that is not empty\n";

namespace {

struct Options {
  const char* config = nullptr;
  tool::QueryArgs query;
  bool csv = false;
  char market = 0;
};

Options parse(int argc, char** argv) {
  Options o;
  auto csv = [&](const std::string& a) { return a == "--csv" && (o.csv = true); };
  auto word = [](const char* a) { tool::usage((std::string("unexpected ") + a).c_str()); };
  tool::each_option(argc, argv, "--", csv, word, [&](const std::string& a, const char* v) {
    if (a == "--config") o.config = v;
    else if (tool::query_arg(a, v, &o.query, "--list")) return;
    else if (a == "--market" && std::strlen(v) == 1 && std::strchr("noaNOA", v[0])) o.market = v[0];
    else tool::usage(("bad option " + a).c_str());
  });
  tool::check_range(o.query, "a query");
  tool::check_config(o.config);
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

}  // namespace

int main(int argc, char** argv) {
  Options o = parse(argc, argv);
  tool::start(o.config);
  if (o.market) return write_market(o);
  tool::apply_query(o.query);
  last_status[0] = '\0';
  load_query();
  if (querynum == 0) {
    std::fprintf(stderr, "kadmer-scan: %s\n", last_status[0] ? last_status : "no day files in the range");
    return 1;
  }
  int look = o.query.look, count = o.query.count;
  if (const char* why = query_look_needs_average(look) ? no_average_reason() : nullptr) {
    std::fprintf(stderr, "kadmer-scan: %s\n", why);
    return 1;
  }
  errno = 0;
  bool ok = look == 10   ? write_query_groups(1, o.csv, count)
            : look == 14 ? write_query_distr(1, o.csv, count)
            : o.csv      ? write_query_csv(look, 1, count)
                         : write_query_list(look, 1, count);
  if (!ok && errno) return tool::output_written(errno);
  if (!ok) std::fprintf(stderr, "kadmer-scan: %s\n", last_status[0] ? last_status : "the list has no data");
  return ok ? 0 : 1;
}

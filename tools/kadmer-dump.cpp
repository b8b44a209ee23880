// kadmer-dump: loads one security exactly as the chart does and writes its
// work days, with every indicator, as CSV on standard output. It needs no
// display: it reads the same .kadmer for the directories and settings.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "indicators/indicators.h"
#include "market/market.h"
#include "tools/tool_args.h"
#include "tools/view_args.h"

const char* const tool::name = "kadmer-dump";
const char* const tool::usage_text =
    "usage: kadmer-dump [options] SYMBOL\n"
    "       kadmer-dump [options] --group NAME [--group-mode t|s]\n"
    "       kadmer-dump [options] --adline DEPTH --first DATE --last DATE\n"
    "  --group NAME        a group (code or number): t its price-sum index as one security,\n"
    "                      s one block per member with a symbol column first\n"
    "  --adline DEPTH      advances and declines of S all stocks, G all groups, or one group:\n"
    "                      first,last,adv,dec,advdec,unc,nodata,cumulative (advdec summed from the first row)\n"
    "  --config FILE       settings file (default ./.kadmer, else ~/.kadmer)\n"
    "  --mvavg-type N      moving average: 0 none, 1 simple, 2 day-, 3 volume-weighted\n"
    "  --mvavg-days N      days of the moving average, deviation, average volume and RSI\n"
    "  --stoch-days N      days of the stochastics\n"
    "  --period N          1 daily, 2 weekly, 3 monthly, 4 quarterly, 5 yearly\n"
    "  --first DATE        first shown day (YYYY-MM-DD or YYMMDD; default: the first loaded)\n"
    "  --last DATE         last shown day (default: the last loaded)\n"
    "  --extend N          days to extend the history along its trend\n"
    "  --compare SYM       a security or a group code to compare with (default: the settings'):\n"
    "                      adds cmpclose and relstrength (100 on the first row with both closes)\n"
    "  --split-date YYMMDD and --split-ratio R: a split to adjust the prices for\n";

namespace {

struct Options {
  const char* config = nullptr;
  const char* symbol = nullptr;
  const char* group = nullptr;
  const char* adline = nullptr;
  const char* compare = nullptr;
  char mode = 't';
  tool::ChartArgs chart;
};

using tool::usage;

Options parse(int argc, char** argv) {
  Options o;
  auto word = [&](const char* a) {
    if (o.symbol) usage("one symbol only");
    o.symbol = tool::whole_text(a, sizeof symbolname, "the symbol");
  };
  tool::each_option(argc, argv, "--", [](const std::string&) { return false; }, word, [&](const std::string& a, const char* v) {
    if (a == "--config") o.config = v;
    else if (a == "--group") o.group = tool::whole_text(v, sizeof groupname, "the group");
    else if (a == "--adline") o.adline = tool::whole_text(v, sizeof adln_depth, "the depth");
    else if (a == "--group-mode" && (std::strcmp(v, "t") == 0 || std::strcmp(v, "s") == 0)) o.mode = v[0];
    else if (a == "--compare") o.compare = tool::whole_text(v, sizeof comparename, "the comparison");
    else if (!tool::chart_arg(a, v, &o.chart)) usage(("unknown option " + a).c_str());
  });
  if ((o.symbol != nullptr) + (o.group != nullptr) + (o.adline != nullptr) != 1)
    usage("one symbol, --group or --adline");
  if (o.adline && (!o.chart.first[0] || !o.chart.last[0])) usage("--adline needs --first and --last");
  tool::check_config(o.config);
  tool::check_chart(o.chart);
  return o;
}

void append_date(std::string& line, int yy, int m, int d) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d,", full_year(yy), m, d);
  line += text;
}

// The work days of one member; with a symbol, it leads each line. A
// comparison adds its close and the relative strength, empty where a day
// lacks either close.
void write_csv(std::size_t member = 0, const char* symbol = nullptr) {
  bool compared = !compare_shown().empty();
  if (member == 0)
    std::printf("%sfirst,last,high,low,close,volume,nodata,mvavg,stdev,avgvol,rsi,stochk,stochks,stochd,"
                "macdfast,macdslow,pvline,range%s\n", symbol ? "symbol," : "", compared ? ",cmpclose,relstrength" : "");
  const std::vector<WorkDay>& work = worklist[member];
  int n = std::min(work_days, static_cast<int>(work.size())), base = compare_base(work.data(), n);
  std::string line;
  for (int i = 0; i < n; ++i) {
    const WorkDay& w = work[i];
    line.clear();
    if (symbol) append_csv_text(line, symbol), line += ',';
    append_date(line, w.syear, w.smon, w.sday);
    append_date(line, w.eyear, w.emon, w.eday);
    for (float v : {w.high, w.low, w.close}) append_csv_number(line, v), line += ',';
    line += std::to_string(w.volume), line += ',', line += std::to_string(w.nodata);
    for (float v : {w.mvavg, w.stdev, w.avgvol, w.rsi, w.stochk, w.stochks, w.stochd, w.macdfast,
                    w.macdslow, w.pvline, w.range})
      line += ',', append_csv_number(line, v);
    if (compared) {
      line += ',';
      if (w.cmpclose > 0) append_csv_number(line, w.cmpclose);
      line += ',';
      if (double rs = base >= 0 ? relative_strength(w, work[base]) : NAN; !std::isnan(rs)) append_csv_number(line, rs);
    }
    line += '\n';
    std::fputs(line.c_str(), stdout);
  }
}

// The counts sit in the price fields of the work days.
void write_adline() {
  std::puts("first,last,adv,dec,advdec,unc,nodata,cumulative");
  double sum = 0;
  std::string line;
  for (int i = 0; i < work_days; ++i) {
    const WorkDay& w = worklist[0][i];
    line.clear();
    append_date(line, w.syear, w.smon, w.sday);
    append_date(line, w.eyear, w.emon, w.eday);
    for (float count : {w.high, w.low, w.close}) append_csv_number(line, count), line += ',';
    line += std::to_string(w.volume), line += ',', line += std::to_string(w.nodata), line += ',';
    sum += w.close;
    append_csv_number(line, sum);
    line += '\n';
    std::fputs(line.c_str(), stdout);
  }
}

// Loads what the options name, as the chart does; false with the loader's message.
bool load_named(const Options& o) {
  if (o.adline) {
    tool::set_window(o.chart, true);
    copy_text(adln_depth, o.adline);
    return loadad() == 0;
  }
  if (o.group) {
    copy_text(groupname, o.group);
    groupmode = o.mode;
    return loadgroup() == 0;
  }
  copy_text(symbolname, o.symbol);
  if (o.compare) copy_text(comparename, o.compare);
  bool loaded = loadstock() == 0;
  if (loaded && !compare_problem().empty()) std::fprintf(stderr, "kadmer-dump: compare %s\n", compare_problem().c_str());
  return loaded;
}

}  // namespace

int main(int argc, char** argv) {
  Options o = parse(argc, argv);
  tool::start(o.config);
  tool::apply_chart(o.chart);
  if (!load_named(o)) {
    std::fprintf(stderr, "kadmer-dump: %s\n", last_status);
    return 1;
  }
  if (o.adline) {
    write_adline();
    return tool::output_written();
  }
  tool::set_window(o.chart, true);
  fill_work();
  if (o.group && o.mode == 's')
    for (std::size_t m = 0; m < stocklist.size(); ++m) write_csv(m, stocklist[m].symbol);
  else
    write_csv();
  return tool::output_written();
}

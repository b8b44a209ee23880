// kadmer-plot: draws any screen of kadmer into an SVG picture, with no
// display: the same views as the window, of the same size in characters,
// into the drawing layer's SVG target.
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "market/market.h"
#include "paint/paint.h"
#include "query/query.h"
#include "tools/tool_args.h"
#include "tools/view_args.h"
#include "views/views.h"
#ifdef KADMER_HAVE_CAIRO
#include "paint/cairo/cairo_target.h"
#endif

const char* const tool::name = "kadmer-plot";
const char* const tool::usage_text =
    "usage: kadmer-plot [options] --symbol SYM [--graph VIEW] [chart options]\n"
    "       kadmer-plot [options] --group NAME [--group-mode t|s] [chart options]\n"
    "       kadmer-plot [options] --query LIST --start DATE --end DATE [query options]\n"
    "       kadmer-plot [options] --market n|o|a --start DATE --end DATE\n"
    "       kadmer-plot [options] --adline S|G|GROUP [--lines a+-duc] --first DATE --last DATE\n"
    "  -o FILE             the picture (default or -: standard output, SVG); a name ending in .png\n"
    "                      or .pdf writes PNG or PDF\n"
    "  --theme light|dark  light: a white background, dark text, colours for paper (default dark:\n"
    "                      the settings' colours)\n"
    "  --config FILE       settings file (default ./.kadmer, else ~/.kadmer)\n"
    "  --width COLS, --height ROWS  the window in characters (default: the settings')\n"
    "  --font-size WxH     the character cell in pixels (default 6x13, the \"fixed\" font)\n"
    "  --graph VIEW        stock (default), volume, movement, value, rsi, macd, stochastic, split\n"
    "  --panels LETTERS    the split screen's panels, top first (default sr): s price, v volume,\n"
    "                      r RSI, m MACD, t stochastics, a movement, g value, c relative strength\n"
    "  --compare SYM       a security or a group code to compare a security with (default: the\n"
    "                      settings'); with --query, the compare date\n"
    "  chart options:      --period N, --first DATE, --last DATE, --mvavg-type N, --mvavg-days N,\n"
    "                      --stoch-days N, --extend N, --split-date YYMMDD --split-ratio R,\n"
    "                      --bollinger, --fib, --grid, --fit (scales fit the days shown)\n"
    "  query options:      --count N, --compare DATE, --low P, --high P, --mode a|s, --distr TEXT\n"
    "                      (LIST as kadmer-scan names them: price, percent, ..., distribution,\n"
    "                      groups, \"low count\", \"high count\")\n";

namespace {

struct Options {
  const char* config = nullptr;
  const char* out = nullptr;
  const char* symbol = nullptr;
  const char* group = nullptr;
  const char* adline = nullptr;
  bool query = false;
  char market = 0;
  char mode = 't';
  View graph = View::Price;  // the screen of a symbol
  const char* panels = nullptr;  // of the split screen
  const char* compare = nullptr;
  std::string lines = "a";   // the A/D lines
  int width = 0, height = 0, cell_w = 6, cell_h = 13;
  bool bollinger = false, fib = false, grid = false, fit = false, light = false;
  char format = 's';  // SVG, or 'p' PNG, 'd' PDF by the output's name
  tool::ChartArgs chart;
  tool::QueryArgs range;
};

using tool::usage;

// PNG or PDF by the output's name, SVG otherwise.
char picture_format(const char* out) {
  std::string name = out ? out : "";
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  char f = name.ends_with(".png") ? 'p' : name.ends_with(".pdf") ? 'd' : 's';
#ifndef KADMER_HAVE_CAIRO
  if (f != 's') usage("PNG and PDF need kadmer-plot built with cairo; this one writes SVG only");
#endif
  return f;
}

const char* panels_of(const char* letters) {
  if (!letters[0] || std::strspn(letters, "svrmtagc") != std::strlen(letters))
    usage("--panels takes up to five of the letters s v r m t a g c");
  return tool::whole_text(letters, sizeof comblist, "the panels");
}

View graph_of(const char* name) {
  static const struct { const char* name; View look; } graphs[] = {
      {"stock", View::Price}, {"volume", View::Volume}, {"rsi", View::Rsi}, {"macd", View::Macd},
      {"stochastic", View::Stoch}, {"split", View::Split}, {"movement", View::Movement}, {"value", View::Value}};
  for (auto g : graphs)
    if (std::strcmp(g.name, name) == 0) return g.look;
  usage((std::string("no view ") + name).c_str());
}

void font_size(const char* text, Options* o) {
  if (std::sscanf(text, "%dx%d", &o->cell_w, &o->cell_h) != 2 || o->cell_w < 1 || o->cell_h < 2 || o->cell_w > 100 ||
      o->cell_h > 100)
    usage("--font-size is WxH in pixels");
}

// Options without a value; false when `a` is none.
bool take_switch(const std::string& a, Options* o) {
  if (a == "--bollinger") o->bollinger = true;
  else if (a == "--fib") o->fib = true;
  else if (a == "--grid") o->grid = true;
  else if (a == "--fit") o->fit = true;
  else return false;
  return true;
}

Options parse(int argc, char** argv) {
  Options o;
  auto word = [](const char* a) { usage((std::string("unexpected ") + a).c_str()); };
  auto value = [&](const std::string& a, const char* v) {
    if (a == "-o") o.out = v;
    else if (a == "--config") o.config = v;
    else if (a == "--symbol") o.symbol = tool::whole_text(v, sizeof symbolname, "the symbol");
    else if (a == "--group") o.group = tool::whole_text(v, sizeof groupname, "the group");
    else if (a == "--adline") o.adline = tool::whole_text(v, sizeof adln_depth, "the depth");
    else if (a == "--group-mode" && (std::strcmp(v, "t") == 0 || std::strcmp(v, "s") == 0)) o.mode = v[0];
    else if (a == "--graph") o.graph = graph_of(v);
    else if (a == "--panels") o.panels = panels_of(v);
    else if (a == "--compare") o.compare = v;  // a date or a security: the view decides
    else if (a == "--theme" && (std::strcmp(v, "light") == 0 || std::strcmp(v, "dark") == 0)) o.light = v[0] == 'l';
    else if (a == "--lines") o.lines = tool::whole_text(v, sizeof adln_disp, "the lines");
    else if (a == "--market" && std::strlen(v) == 1 && std::strchr("noaNOA", v[0])) o.market = v[0];
    else if (a == "--width") o.width = tool::int_arg(v, 10, 1000, "--width is 10..1000 characters");
    else if (a == "--height") o.height = tool::int_arg(v, 10, 1000, "--height is 10..1000 lines");
    else if (a == "--font-size") font_size(v, &o);
    else if (a == "--query") o.query = tool::query_arg(a, v, &o.range, "--query");
    else if (!tool::query_arg(a, v, &o.range, "--query") && !tool::chart_arg(a, v, &o.chart))
      usage(("unknown option " + a).c_str());
  };
  tool::each_option(argc, argv, "-", [&](const std::string& a) { return take_switch(a, &o); }, word, value);
  if ((o.symbol != nullptr) + (o.group != nullptr) + (o.adline != nullptr) + o.query + (o.market != 0) != 1)
    usage("one view: --symbol, --group, --query, --market or --adline");
  o.format = picture_format(o.out);
  if (o.compare && o.query) tool::query_arg("--compare", o.compare, &o.range, "--query");
  else if (o.compare) tool::whole_text(o.compare, sizeof comparename, "the comparison");
  if (o.query) tool::check_range(o.range, "--query");
  if (o.market) tool::check_range(o.range, "--market");
  if (o.adline && (!o.chart.first[0] || !o.chart.last[0])) usage("--adline needs --first and --last");
  tool::check_config(o.config);
  tool::check_chart(o.chart);
  return o;
}

// The canvas of the window the settings ask for, with a border of one
// pixel, and the first shown day where the window puts it.
void open_canvas(const Options& o) {
  if (o.width) width = o.width;
  if (o.height) height = o.height;
  font_width = o.cell_w;
  font_height = o.cell_h;
  font_ascent = (o.cell_h * 11 + 6) / 13;  // the "fixed" font's 11 of 13
  main_win_width = width * font_width + 2;
  main_win_height = height * font_height + 2;
  KD_MainWin = 1;
  load_hooks.days_that_fit = days_that_fit;
  calculate_globals();
}

// Loads what the options name, as the window does, and chooses its screen;
// false with the loader's or the query's message in last_status.
bool load_view(const Options& o) {
  last_status[0] = '\0';
  if (o.symbol) {
    copy_text(symbolname, o.symbol);
    graphlook = o.graph;
    if (o.panels) copy_text(comblist, o.panels);
    if (o.compare) copy_text(comparename, o.compare);
    if (loadstock() != 0) return false;
  } else if (o.group) {
    copy_text(groupname, o.group);
    groupmode = o.mode;
    graphlook = View::Group;
    if (loadgroup() != 0) return false;
    calc_price();
  } else if (o.adline) {
    tool::set_window(o.chart, true);
    copy_text(adln_depth, o.adline);
    copy_text(adln_disp, o.lines);
    graphlook = View::AdLine;
    return loadad() == 0;
  } else if (o.market) {
    marketsday = tool::mmddyy(o.range.start);
    marketeday = tool::mmddyy(o.range.end);
    marketdisp = o.market;
    graphlook = View::Market;
    fill_market();
    return !mkt.empty() && last_status[0] == '\0';
  } else {
    tool::apply_query(o.range);
    graphlook = View::Query;
    distr_offx = distr_offy = 0;
    load_query();
    return querynum > 0;
  }
  tool::set_window(o.chart, false);
  fill_work();
  return true;
}

// A picture file is written beside the old one and renamed over it: a full
// disk leaves the old picture whole, not a picture cut off.
int write_out(const char* path, const std::string& picture) {
  struct stat st;
  bool device = path && stat(path, &st) == 0 && !S_ISREG(st.st_mode);  // /dev/stdout, a FIFO: written, never replaced
  if (device && !std::freopen(path, "w", stdout)) {
    std::fprintf(stderr, "kadmer-plot: can not write %s: %s\n", path, std::strerror(errno));
    return 1;
  }
  if (device || !path || std::strcmp(path, "-") == 0) {
    std::fwrite(picture.data(), 1, picture.size(), stdout);
    return tool::output_written(0, device ? path : "standard output");
  }
  std::string error;
  if (replace_file(path, picture, ".kadmer-plot-", &error)) return 0;
  std::fprintf(stderr, "kadmer-plot: can not write %s: %s\n", path, error.c_str());
  return 1;
}

// What draw_chart draws, in the format asked for; false with cairo's word.
bool draw_picture(char format, std::string* bytes, std::string* error) {
#ifdef KADMER_HAVE_CAIRO
  if (format != 's') {
    CairoTarget c(format == 'p' ? CairoTarget::Format::Png : CairoTarget::Format::Pdf);
    install_target(&c);
    draw_chart();
    install_target(nullptr);
    return c.finish(bytes, error);
  }
#else
  (void)format, (void)error;
#endif
  SvgTarget svg;
  install_target(&svg);
  draw_chart();
  install_target(nullptr);
  *bytes = svg.svg();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options o = parse(argc, argv);
  tool::start(o.config);
  tool::apply_chart(o.chart);
  if (o.light) use_light_colors();
  bollingerflag |= o.bollinger;
  fibflag |= o.fib;
  gridstate |= o.grid;
  fitshown |= o.fit;
  open_canvas(o);
  if (o.format == 'p' && static_cast<long>(main_win_width) * main_win_height > (1L << 26))  // a quarter of a gigabyte
    usage("a PNG of more than 64 million pixels: make --width, --height or --font-size smaller");
  if (!load_view(o)) {
    std::fprintf(stderr, "kadmer-plot: %s\n", last_status[0] ? last_status : "nothing to draw");
    return 1;
  }
  calculate_globals();
  std::string bytes, error;
  if (!draw_picture(o.format, &bytes, &error)) {
    std::fprintf(stderr, "kadmer-plot: can not draw the picture: %s\n", error.c_str());
    return 1;
  }
  return write_out(o.out, bytes);
}

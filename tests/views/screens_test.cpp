// Every screen checked by what it draws, on the demo database and on a
// generated market like a real one, in the default window and a narrow
// one: texts neither overlap nor run past the window, marks stay in their
// pane and within the labelled range, axis labels run in order, a screen
// with data draws it and one without says why, and the SVG picture holds
// what the recorder saw. A view joins by one line.

#include "support/fixtures.h"

#include <climits>

namespace {

bool data_role(Role r) { return r >= Role::Range && r <= Role::Compare && r != Role::Border; }

struct Box {
  int x0, y0, x1, y1;  // half open
  bool meets(const Box& b) const { return x0 < b.x1 && b.x0 < x1 && y0 < b.y1 && b.y0 < y1; }
};

Box box_of(const DrawOp& op) {
  if (op.kind == DrawOp::Kind::Text)
    return {op.x, op.y - font_ascent, op.x + static_cast<int>(op.text.size()) * font_width, op.y - font_ascent + font_height};
  if (op.kind == DrawOp::Kind::Line) return {std::min(op.x, op.w), std::min(op.y, op.h), std::max(op.x, op.w) + 1, std::max(op.y, op.h) + 1};
  Box b{op.x, op.y, op.x + std::max(op.w, 1), op.y + std::max(op.h, 1)};
  if (!op.points.empty()) b = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (PaintPoint p : op.points) b = {std::min<int>(b.x0, p.x), std::min<int>(b.y0, p.y), std::max(b.x1, p.x + 1), std::max(b.y1, p.y + 1)};
  return b;
}

// A label's number ("1.25", "-3.5M"); false for a text that is none.
bool label_value(std::string t, double* v) {
  t.erase(std::remove(t.begin(), t.end(), ' '), t.end());
  double scale = t.empty() ? 1 : t.back() == 'K' ? 1e3 : t.back() == 'M' ? 1e6 : t.back() == 'B' ? 1e9 : 1;
  if (scale != 1) t.pop_back();
  char* end;
  *v = std::strtod(t.c_str(), &end) * scale;
  return !t.empty() && *end == '\0';
}

// The elements of a picture after its background, and their texts.
struct Picture { std::vector<std::string> kinds, texts; };

Picture elements(const std::string& svg) {
  Picture p;
  std::regex element("^<(text|rect|line|polygon)[^>]*>(.*?)(</text>)?$");
  std::vector<std::string> lines = split_lines(svg);
  for (std::size_t i = 3; i + 1 < lines.size(); ++i) {  // after the head, the svg element and the background
    std::smatch m;
    if (!std::regex_match(lines[i], m, element)) continue;
    p.kinds.push_back(m[1]);
    if (m[1] == "text") {
      std::string t = m[2];
      for (auto [from, to] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}})
        for (std::size_t at; (at = t.find(from)) != std::string::npos;) t.replace(at, std::strlen(from), to);
      p.texts.push_back(t);
    }
  }
  return p;
}

bool one_panel(View look) { return chart_view(look) && look != View::Split; }

// The faults of one drawing of one panel, one line each.
std::vector<std::string> panel_problems(const DrawRecorder& rec, View look) {
  std::vector<std::string> out;
  auto say = [&](const std::string& what, const DrawOp& op) {
    out.push_back(what + " (" + role_name(op.role) + " at " + std::to_string(op.x) + "," + std::to_string(op.y) +
                  (op.text.empty() ? "" : " \"" + op.text + "\"") + ")");
  };
  int heading_bottom = title_baseline() - font_ascent + font_height;
  std::vector<const DrawOp*> texts, marks;
  for (const DrawOp& op : rec.ops)
    if (op.win == KD_MainWin && (op.kind == DrawOp::Kind::Text || data_role(op.role)))
      (op.kind == DrawOp::Kind::Text ? texts : marks).push_back(&op);
  auto legend = [&](const Box& b) {  // a legend's sample right of its name, above the plot or inside its top
    return std::any_of(texts.begin(), texts.end(), [&](const DrawOp* t) {
      Box n = box_of(*t);
      return n.y0 <= b.y0 && b.y1 <= n.y1 && b.x0 >= n.x1 && b.x0 <= n.x1 + 2 * font_width;
    });
  };
  for (const DrawOp* op : texts) {
    Box b = box_of(*op);
    if (b.x0 < 0 || b.x1 > main_win_width || b.y0 < message_baseline() - font_ascent) say("text past the window's edge or above the message line", *op);
    if (op->y != message_baseline() && op->y != title_baseline() && b.y0 < heading_bottom) say("text over the heading", *op);
    // A label beside the plot keeps clear of its axis and hash marks.
    int ink = b.x0 + static_cast<int>(op->text.find_last_not_of(' ') + 1) * font_width;
    if (one_panel(look) && op->y > ylt_indent && op->y < ylb_indent &&
        ((b.x0 < xlt_indent && ink > xlb_indent - 4 * bw) || (b.x0 < xrb_indent + 4 * bw && ink > xrb_indent)))
      say("label over the axis", *op);
    for (const DrawOp* t : texts)
      if (t > op && b.meets(box_of(*t)) && !(t->x == op->x && t->y == op->y)) say("text over \"" + t->text + "\"", *op);
  }
  for (const DrawOp* op : marks) {
    Box b = box_of(*op);
    if (b.y0 < heading_bottom) say("mark over the heading", *op);
    if (b.x0 < 0 || b.x1 > main_win_width) say("mark past the window's edge", *op);
    // A dot on an edge of the plot may reach a pixel or two past its axis.
    if (one_panel(look) && !legend(b) && (b.x0 < xlt_indent - 2 || b.x1 > xrt_indent + 3 || b.y0 < ylt_indent - 2 || b.y1 > ylb_indent + 3))
      say("mark outside the plot area", *op);
  }
  if (!one_panel(look)) return out;
  // The date labels below the plot run on in time, row by row; a label names
  // its year where the year changes ("12/19/24", then "1/3/25"), so a date
  // without one is of the year last named.
  std::map<int, std::vector<std::pair<int, std::string>>> date_rows;
  for (const DrawOp* t : texts)
    if (int m, d; t->y > ylb_indent + font_height / 2 && std::sscanf(t->text.c_str(), "%d/%d", &m, &d) == 2)
      date_rows[t->y].emplace_back(t->x, t->text);
  for (auto& [y, row] : date_rows) {
    std::sort(row.begin(), row.end());
    int year = 0, last = -1;
    for (const auto& [x, text] : row) {
      int m = 0, d = 0, yy = -1;
      std::sscanf(text.c_str(), "%d/%d/%d", &m, &d, &yy);
      year = yy >= 0 ? yy : year;
      if (m < 1 || m > 12 || d < 1 || d > 31 || year * 10000 + m * 100 + d <= last)
        out.push_back("date label " + text + " out of order");
      last = year * 10000 + m * 100 + d;
    }
  }
  // The labels left of the plot run down as their values do; the marks lie
  // within the range they label (the plot's top up to a label's spacing
  // above the last); the movement line and fitted scales fill their scale to
// a label's step of either end.
  std::vector<std::pair<int, double>> labels;
  for (const DrawOp* t : texts)  // by their ink: a label may end in a blank over the axis
    if (double v; t->x + static_cast<int>(t->text.find_last_not_of(' ') + 1) * font_width <= xlt_indent &&
                  t->y > heading_bottom && t->y <= ylb_indent + font_height && label_value(t->text, &v))
      labels.emplace_back(t->y, v);
  std::sort(labels.begin(), labels.end());
  for (std::size_t i = 1; i < labels.size(); ++i)
    if (!(labels[i].second < labels[i - 1].second))
      out.push_back("axis labels out of order: " + std::to_string(labels[i - 1].second) + " above " + std::to_string(labels[i].second));
  if (labels.size() < 2) return out.push_back("fewer than two value labels"), out;
  for (auto [y, v] : labels)  // each value label at the middle of its hash mark
    if (laxis != 'n' && std::none_of(rec.ops.begin(), rec.ops.end(), [y = y](const DrawOp& m) {
          return m.role == Role::Graph && m.x == xlb_indent - 4 * bw && m.w == 4 * bw && std::abs(m.y - y + font_ascent / 2) <= 1;
        }))
      out.push_back("no hash mark beside the label " + std::to_string(v));
  int spacing = std::max(font_height, labels[1].first - labels[0].first), top = INT_MAX, bottom = INT_MIN;
  // A scale fitted to the days' prices leaves their averages and bands to
  // be cut at the plot's edge; so does a comparison, which the scale leaves out.
  auto cut_at_edge = [&](const DrawOp* op) {
    return op->role == Role::Compare || (fitshown && (op->role == Role::Mvavg || op->role == Role::Bol));
  };
  for (const DrawOp* op : marks)
    if (Box b = box_of(*op); !legend(b) && !cut_at_edge(op)) {
      top = std::min(top, b.y0), bottom = std::max(bottom, b.y1);
      if (b.y0 < labels.front().first - spacing || b.y1 > labels.back().first + font_height) {
        say("mark beyond the labelled range", *op);
        break;
      }
    }
  if ((look == View::Movement || (fitshown && (look == View::Price || look == View::Volume))) && (top > labels.front().first + spacing || bottom < labels.back().first - spacing))
    out.push_back("the marks leave a label's step of their scale empty");
  return out;
}

View view_of_panel(char letter) {
  using enum View;
  // The relative strength's scale fits its line, as the movement's does.
  for (auto [l, v] : {std::pair{'s', Price}, {'v', Volume}, {'r', Rsi}, {'m', Macd}, {'t', Stoch}, {'a', Movement}, {'g', Value},
                      {'c', Movement}})
    if (l == letter) return v;
  return Cleared;
}

// The split screen is checked panel by panel, each with the drawing
// between the middles of its gaps to the next, as though it were alone.
std::vector<std::string> drawing_problems(const DrawRecorder& rec, View look) {
  if (look != View::Split) return panel_problems(rec, look);
  std::vector<std::string> out;
  const std::vector<SplitPanel>& p = split_panels();
  int top = ylt_indent, bottom = ylb_indent;
  for (std::size_t i = 0; i < p.size(); ++i) {
    int from = i == 0 ? INT_MIN : (p[i - 1].bottom + p[i].top) / 2;
    int to = i + 1 == p.size() ? INT_MAX : (p[i].bottom + p[i + 1].top) / 2;
    DrawRecorder part;
    for (const DrawOp& op : rec.ops)
      if (op.y >= from && op.y < to) part.ops.push_back(op);
    ylt_indent = p[i].top, ylb_indent = p[i].bottom;
    for (const std::string& f : panel_problems(part, view_of_panel(p[i].letter))) out.push_back(p[i].letter + (" panel: " + f));
  }
  ylt_indent = top, ylb_indent = bottom;
  return out;
}

// A database to look at: its settings, two securities to chart, a group,
// and a query range of its last days (MMDDYY).
struct Database {
  std::string name, config;
  std::vector<std::string> symbols;
  std::string group;
  int start = 0, end = 0;
};

Database database(const std::string& name, const std::string& config, std::vector<std::string> symbols,
                  const std::string& group) {
  Database d{name, config, std::move(symbols), group};
  std::vector<std::pair<long, std::string>> days;  // the stock day files by day
  for (const auto& e : fs::directory_iterator(fs::path(config).parent_path() / "days"))
    if (std::string n = e.path().filename(); n.size() == 7 && n[0] == 's') days.emplace_back(yymmdd_days(std::atoi(&n[1])), e.path());
  std::sort(days.begin(), days.end());
  d.start = mmddyy_of(days[days.size() - 41].first), d.end = mmddyy_of(days.back().first);
  if (d.symbols.empty()) {  // the cheapest and the dearest stock of the last day
    std::vector<std::pair<double, std::string>> closes;
    for (const std::string& l : split_lines(read_file(days.back().second)))
      if (double h, lo, c; l[0] != '#' && std::sscanf(l.c_str() + l.find(',') + 1, "%lf,%lf,%lf", &h, &lo, &c) == 3)
        closes.emplace_back(c, l.substr(0, l.find(',')));
    std::sort(closes.begin(), closes.end());
    d.symbols = {closes.front().second, closes.back().second};
  }
  return d;
}

const std::vector<Database>& databases() {
  static TempDir dir;  // the generated market, made once for the suite
  static std::vector<Database> all = [] {
    RunResult r = run_program(KADMER_GEN, {"--out", dir.file("m"), "--stocks", "300", "--funds", "10", "--days", "250",
                                           "--end", "261204", "--absolute", "--profile", "real"});
    EXPECT_EQ(0, r.status) << r.err;
    return std::vector<Database>{database("demo", KADMER_SOURCE_DIR "/data/sample/.kadmer", {"AN", "ETF"}, "PICKS"),
                                 database("real", dir.file("m/.kadmer"), {}, "TECH")};
  }();
  return all;
}

// One view: how it is loaded and chosen; false when the load failed.
struct Shown {
  std::string name;
  std::function<bool(const Database&)> show;
};

bool chart(const Database& db, View look, int period = 1, std::size_t which = 0) {
  graph_type = period, graphlook = look;
  copy_text(symbolname, db.symbols[which]);
  return loadstock() == 0 && (fill_work(), true);
}

// The chart shown from the first loaded day after mid-December: the labels
// of two years meet.
bool over_new_year() {
  for (const StockDay& d : stocklist[0].days)
    if (d.emon == 12 && d.eday >= 18) {
      KD_csd = d.eday, KD_csm = d.emon, KD_csy = d.eyear;
      return fill_work(), true;
    }
  return false;
}

bool group(const Database& db, char mode) {
  copy_text(groupname, db.group);
  groupmode = mode, graphlook = View::Group;
  return loadgroup() == 0 && (calc_price(), fill_work(), true);
}

bool query(const Database& db, ListView look) {
  querysdate = db.start, queryedate = querycdate = db.end;
  querylook = look, querycount = 20, graphlook = View::Query;
  distr_offx = distr_offy = 0;
  load_query();
  return querynum > 0;
}

bool adline(const Database& db, const char* lines) {
  KD_csm = db.start / 10000, KD_csd = db.start / 100 % 100, KD_csy = db.start % 100;
  KD_cem = db.end / 10000, KD_ced = db.end / 100 % 100, KD_cey = db.end % 100;
  copy_text(adln_depth, "S");
  copy_text(adln_disp, lines);
  graphlook = View::AdLine;
  return loadad() == 0;
}

bool market(const Database& db, char which) {
  marketsday = db.start, marketeday = db.end, marketdisp = which, graphlook = View::Market;
  fill_market();
  return !mkt.empty() && last_status[0] == '\0';
}

std::vector<Shown> views() {
  std::vector<Shown> v;
  using enum View;
  for (auto [look, name] : {std::pair{Price, "stock"}, {Volume, "volume"}, {Rsi, "rsi"}, {Macd, "macd"},
                            {Stoch, "stochastic"}, {Split, "split"}, {Movement, "movement"}, {Value, "value"}})
    v.push_back({name, [look = look](const Database& db) { return chart(db, look); }});
  for (int p = 2; p <= 5; ++p) v.push_back({"stock, period " + std::to_string(p), [p](const Database& db) { return chart(db, Price, p); }});
  v.push_back({"second stock", [](const Database& db) { return chart(db, Price, 1, 1); }});
  for (View look : {Price, Volume, Split})
    v.push_back({"fitted", [look](const Database& db) { return fitshown = 1, copy_text(comblist, "svrm"), chart(db, look); }});
  for (int p : {1, 3})
    v.push_back({"four panels, period " + std::to_string(p), [p](const Database& db) {
                   return copy_text(comblist, "svrm"), chart(db, Split, p);
                 }});
  for (View look : {Price, Split})
    v.push_back({"compared", [look](const Database& db) {
                   return copy_text(comparename, db.symbols[1].c_str()), copy_text(comblist, "svc"), chart(db, look);
                 }});
  v.push_back({"stock over a new year", [](const Database& db) { return chart(db, Price) && over_new_year(); }});
  for (char mode : {'t', 's'}) v.push_back({std::string("group ") + mode, [mode](const Database& db) { return group(db, mode); }});
  for (int look = 1; look <= 16; ++look) v.push_back({"list " + std::to_string(look), [look](const Database& db) { return query(db, ListView(look)); }});
  for (const char* lines : {"a", "+", "-", "d", "u", "c", "a+-duc"})
    v.push_back({std::string("A/D ") + lines, [lines](const Database& db) { return adline(db, lines); }});
  for (char m : {'n', 'o', 'a'}) v.push_back({std::string("market ") + m, [m](const Database& db) { return market(db, m); }});
  v.push_back({"companies", [](const Database&) { return graphlook = View::Companies, true; }});
  v.push_back({"groups", [](const Database&) { return graphlook = View::Groups, true; }});
  return v;
}

class Screens : public ChartTest {};

TEST_F(Screens, EveryViewDrawsWhatItShowsInsideItsPlaceAndLegibly) {
  std::map<std::string, std::pair<int, std::string>> kinds;  // a kind of fault on a screen: how often, a first example
  for (const Database& db : databases()) {
    reset_settings();
    copy_text(config_file, db.config);
    ASSERT_EQ(0, chdir(fs::path(db.config).parent_path().c_str()));
    configure();
    initial_groups(), initial_companys();
    for (auto [columns, lines] : {std::pair{100, 60}, std::pair{64, 36}})
      for (const Shown& view : views()) {
        fake_window(columns, lines);
        load_hooks.days_that_fit = days_that_fit;
        last_status[0] = message_text[0] = '\0';
        arrow_index = fitshown = 0, comparename[0] = '\0', copy_text(comblist, "sr");
        bool loaded = view.show(db);
        calculate_globals();
        rec.ops.clear();
        SvgTarget svg;  // the picture the tools write holds the same calls
        install_target(&svg);
        draw_chart();
        install_target(nullptr);
        std::string where = db.name + " " + std::to_string(columns) + "x" + std::to_string(lines) + " " + view.name + ": ";
        std::vector<std::string> faults = drawing_problems(rec, graphlook);
        Picture pictured = elements(svg.svg()), recorded;
        for (const DrawOp& op : rec.ops) {
          static const char* const names[] = {"text", "rect", "line", "rect", "polygon"};
          if (op.win != KD_MainWin) continue;
          recorded.kinds.push_back(names[static_cast<int>(op.kind)]);
          if (op.kind == DrawOp::Kind::Text) recorded.texts.push_back(op.text);
        }
        if (pictured.kinds != recorded.kinds || pictured.texts != recorded.texts) faults.push_back("the picture differs");
        if (!loaded) faults = {last_status[0] ? "" : "no data and no word why"};
        else if (one_panel(graphlook) && std::none_of(rec.ops.begin(), rec.ops.end(), [](const DrawOp& op) {
                   return op.kind != DrawOp::Kind::Text && data_role(op.role);
                 }))
          faults.push_back("data loaded but no mark drawn");
        if (view.name == "compared" && std::ranges::count_if(rec.ops, [](const DrawOp& op) { return op.role == Role::Compare; }) < 20)
          faults.push_back("no comparison drawn");  // its line, not only its legend's sample
        for (const std::string& f : faults)
          if (!f.empty() && kinds[where + f.substr(0, f.find_first_of("(\"0123456789"))].first++ == 0)
            kinds[where + f.substr(0, f.find_first_of("(\"0123456789"))].second = where + f;
      }
    ASSERT_EQ(0, chdir(work.path().c_str()));
  }
  std::string all;
  for (const auto& [kind, k] : kinds) all += std::to_string(k.first) + "x " + k.second + "\n";
  EXPECT_TRUE(kinds.empty()) << all;
}

}  // namespace

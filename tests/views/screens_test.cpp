// Every screen checked by what it draws, on the demo database and on a
// generated market, in the default window and a narrow one: texts neither
// overlap nor run past the window, marks stay in their pane and within the
// labelled range, axis labels run in order, a screen with data draws it and
// one without says why. A view joins by one line of the table.

#include "support/fixtures.h"

#include <cctype>
#include <climits>
#include <functional>
#include <sstream>

#include "market/market.h"
#include "query/query.h"

namespace fs = std::filesystem;

namespace {

bool data_role(Role r) {
  switch (r) {
    case Role::Range: case Role::High: case Role::Low: case Role::Close: case Role::Mvavg: case Role::Bol:
    case Role::Qpos: case Role::Qneg: case Role::Adv: case Role::Dec: case Role::Dif: case Role::Unc:
    case Role::Member: return true;
    default: return false;
  }
}

struct Box {
  int x0, y0, x1, y1;  // half open
  bool meets(const Box& b) const { return x0 < b.x1 && b.x0 < x1 && y0 < b.y1 && b.y0 < y1; }
};

Box text_box(const DrawOp& t) {
  int x = t.x, w = static_cast<int>(t.text.size()) * font_width;
  return {x, t.y - font_ascent, x + w, t.y - font_ascent + font_height};
}

// The extent of a mark: its corners, both points of a line.
Box mark_box(const DrawOp& op) {
  switch (op.kind) {
    case DrawOp::Kind::Line: return {std::min(op.x, op.w), std::min(op.y, op.h), std::max(op.x, op.w) + 1, std::max(op.y, op.h) + 1};
    case DrawOp::Kind::Polygon: {
      Box b{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
      for (PaintPoint p : op.points) b = {std::min<int>(b.x0, p.x), std::min<int>(b.y0, p.y), std::max(b.x1, p.x + 1), std::max(b.y1, p.y + 1)};
      return b;
    }
    default: return {op.x, op.y, op.x + std::max(op.w, 1), op.y + std::max(op.h, 1)};
  }
}

// A label's number, or false for a text that is no number ("1.25", "-3.5M", "12%").
bool label_value(const std::string& text, double* v) {
  std::string t;
  for (char c : text)
    if (c != ' ') t += c;
  if (t.empty()) return false;
  double scale = 1;
  char last = t.back();
  if (last == 'K' || last == 'M' || last == 'B' || last == '%') {
    scale = last == 'K' ? 1e3 : last == 'M' ? 1e6 : last == 'B' ? 1e9 : 1;
    t.pop_back();
  }
  char* end;
  *v = std::strtod(t.c_str(), &end) * scale;
  return !t.empty() && *end == '\0';
}

// What a chart view shows: one plot (the split screen stacks several).
bool chart_view(int look) { return (look >= 1 && look <= 6) || look == 9 || look == 10 || look == 14; }

// The faults of one drawing, as readable lines.
std::vector<std::string> drawing_problems(const DrawRecorder& rec, int look) {
  std::vector<std::string> out;
  auto say = [&](const std::string& what, const DrawOp& op) {
    std::ostringstream s;
    s << what << " (" << role_name(op.role) << " at " << op.x << "," << op.y;
    if (!op.text.empty()) s << " \"" << op.text << "\"";
    out.push_back(s.str() + ")");
  };
  int heading_bottom = title_baseline() - font_ascent + font_height;
  std::vector<const DrawOp*> texts;
  for (const DrawOp& op : rec.ops)
    if (op.win == KD_MainWin && op.kind == DrawOp::Kind::Text) texts.push_back(&op);
  // A legend's sample line stands beside its name, above the plot.
  auto legend = [&](const Box& b) {
    return b.y1 <= ylt_indent && std::any_of(texts.begin(), texts.end(), [&](const DrawOp* t) {
             Box tb = text_box(*t);
             return tb.y0 <= b.y0 && b.y1 <= tb.y1;
           });
  };
  for (const DrawOp& op : rec.ops) {
    if (op.win != KD_MainWin) continue;
    if (op.kind == DrawOp::Kind::Text) {
      Box b = text_box(op);
      if (b.x0 < 0 || b.x1 > main_win_width) say("text past the window's edge", op);
      bool heading = op.y == message_baseline() || op.y == title_baseline();
      if (!heading && b.y0 < heading_bottom) say("text over the heading", op);
      continue;
    }
    if (!data_role(op.role)) continue;
    Box b = mark_box(op);
    if (b.y0 < heading_bottom) say("mark over the heading", op);
    if (b.x0 < 0 || b.x1 > main_win_width) say("mark past the window's edge", op);
    // A dot on an edge of the plot may reach a pixel or two past its axis.
    if (chart_view(look) && !legend(b) && (b.x0 < xlt_indent - 2 || b.x1 > xrt_indent + 3 || b.y0 < ylt_indent - 2 || b.y1 > ylb_indent + 3))
      say("mark outside the plot area", op);
  }
  for (std::size_t i = 0; i < texts.size(); ++i)
    for (std::size_t j = i + 1; j < texts.size(); ++j)
      if (text_box(*texts[i]).meets(text_box(*texts[j])) && !(texts[i]->x == texts[j]->x && texts[i]->y == texts[j]->y))
        say("text over \"" + texts[j]->text + "\"", *texts[i]);
  if (!chart_view(look)) return out;
  // The labels left of the plot run down as their values do, and the marks
  // lie within the range they label.
  std::vector<std::pair<int, double>> labels;
  for (const DrawOp* t : texts) {
    double v;
    if (text_box(*t).x1 <= xlt_indent && t->y > heading_bottom && t->y <= ylb_indent + font_height && label_value(t->text, &v))
      labels.emplace_back(t->y, v);
  }
  std::sort(labels.begin(), labels.end());
  for (std::size_t i = 1; i < labels.size(); ++i)
    if (!(labels[i].second < labels[i - 1].second))
      out.push_back("axis labels out of order: " + std::to_string(labels[i - 1].second) + " above " +
                    std::to_string(labels[i].second));
  // The top of the plot may lie up to a label's spacing above the last label.
  int spacing = labels.size() >= 2 ? std::max(font_height, labels[1].first - labels[0].first) : 0;
  int top = INT_MAX, bottom = INT_MIN;
  if (labels.size() >= 2)
    for (const DrawOp& op : rec.ops)
      if (op.win == KD_MainWin && op.kind != DrawOp::Kind::Text && data_role(op.role)) {
        Box b = mark_box(op);
        if (legend(b)) continue;
        top = std::min(top, b.y0), bottom = std::max(bottom, b.y1);
        if (b.y0 < labels.front().first - spacing || b.y1 > labels.back().first + font_height) {
          say("mark beyond the labelled range", op);
          break;
        }
      }
  // The movement line's scale fits the line shown.
  if (look == 9 && labels.size() >= 2 && 4 * (bottom - top) < labels.back().first - labels.front().first)
    out.push_back("the line fills less than a quarter of its scale");
  return out;
}

int data_marks(const DrawRecorder& rec) {
  int n = 0;
  for (const DrawOp& op : rec.ops) n += op.win == KD_MainWin && op.kind != DrawOp::Kind::Text && data_role(op.role);
  return n;
}

// A database to look at: its settings file, a few securities to chart, and
// a query range of its last days.
struct Database {
  std::string name, config;
  std::vector<std::string> symbols;
  std::string group;
  int start, end;  // MMDDYY
};

// The last day file's date and the one `back` files before it, as MMDDYY.
std::pair<int, int> last_days(const std::string& days, int back) {
  std::vector<long> found;
  for (const auto& e : fs::directory_iterator(days)) {
    std::string n = e.path().filename();
    if (n.size() == 7 && n[0] == 's') found.push_back(yymmdd_days(std::atoi(n.c_str() + 1)));
  }
  std::sort(found.begin(), found.end());
  return {mmddyy_of(found[found.size() - 1 - back]), mmddyy_of(found.back())};
}

const std::vector<Database>& databases() {
  static TempDir dir;  // the generated market, made once for the suite
  static std::vector<Database> all = [] {
    std::vector<Database> d;
    auto [start, end] = last_days(KADMER_SOURCE_DIR "/data/sample/days", 40);
    d.push_back({"demo", KADMER_SOURCE_DIR "/data/sample/.kadmer", {"AN", "ETF"}, "PICKS", start, end});
    RunResult r = run_program(KADMER_GEN, {"--out", dir.file("m"), "--stocks", "300", "--funds", "10", "--days", "250",
                                           "--end", "261204", "--absolute"});
    EXPECT_EQ(0, r.status) << r.err;
    std::tie(start, end) = last_days(dir.file("m/days"), 60);
    d.push_back({"generated", dir.file("m/.kadmer"), {"A", "AA"}, "TECH", start, end});
    return d;
  }();
  return all;
}

// One view: how it is loaded and chosen; false when the load failed.
struct View {
  std::string name;
  std::function<bool(const Database&)> show;
};

bool chart(const Database& db, int look, int period = 1, std::size_t which = 0) {
  graph_type = period;
  graphlook = look;
  copy_text(symbolname, db.symbols[which]);
  if (loadstock() != 0) return false;
  fill_work();
  return true;
}

bool group(const Database& db, char mode) {
  copy_text(groupname, db.group);
  groupmode = mode;
  graphlook = 4;
  if (loadgroup() != 0) return false;
  calc_price();
  fill_work();
  return true;
}

bool query(const Database& db, int look) {
  querysdate = db.start, queryedate = querycdate = db.end;
  querylook = look, querycount = 20;
  graphlook = 8;
  distr_offx = distr_offy = 0;
  load_query();
  return querynum > 0;
}

bool adline(const Database& db, const char* lines) {
  long first = mmddyy_days(db.start), last = mmddyy_days(db.end);
  int y, m, d;
  civil_date(first, &y, &m, &d);
  KD_csy = y % 100, KD_csm = m, KD_csd = d;
  civil_date(last, &y, &m, &d);
  KD_cey = y % 100, KD_cem = m, KD_ced = d;
  copy_text(adln_depth, "S");
  copy_text(adln_disp, lines);
  graphlook = 14;
  return loadad() == 0;
}

bool market(const Database& db, char which) {
  marketsday = db.start, marketeday = db.end, marketdisp = which;
  graphlook = 15;
  fill_market();
  return !mkt.empty() && last_status[0] == '\0';
}

std::vector<View> views() {
  std::vector<View> v;
  const char* charts[] = {"", "stock", "volume", "rsi", "", "macd", "stochastic", "split", "", "movement", "value"};
  for (int look : {1, 2, 3, 5, 6, 7, 9, 10})
    v.push_back({charts[look], [look](const Database& db) { return chart(db, look); }});
  for (int period = 2; period <= 5; ++period)
    v.push_back({"stock, period " + std::to_string(period), [period](const Database& db) { return chart(db, 1, period); }});
  v.push_back({"second stock", [](const Database& db) { return chart(db, 1, 1, 1); }});
  for (char mode : {'t', 's'}) v.push_back({std::string("group ") + mode, [mode](const Database& db) { return group(db, mode); }});
  for (int look = 1; look <= 16; ++look) v.push_back({"list " + std::to_string(look), [look](const Database& db) { return query(db, look); }});
  for (const char* lines : {"a", "+", "-", "d", "u", "c", "a+-duc"})
    v.push_back({std::string("A/D ") + lines, [lines](const Database& db) { return adline(db, lines); }});
  for (char m : {'n', 'o', 'a'}) v.push_back({std::string("market ") + m, [m](const Database& db) { return market(db, m); }});
  v.push_back({"companies", [](const Database&) { return graphlook = 13, true; }});
  v.push_back({"groups", [](const Database&) { return graphlook = 12, true; }});
  return v;
}

class Screens : public ChartTest {};

TEST_F(Screens, EveryViewDrawsWhatItShowsInsideItsPlaceAndLegibly) {
  std::vector<std::string> faults;
  for (const Database& db : databases()) {
    reset_settings();
    copy_text(config_file, db.config);
    ASSERT_EQ(0, chdir(fs::path(db.config).parent_path().c_str()));
    configure();
    initial_groups();
    initial_companys();
    for (auto [columns, lines] : {std::pair{100, 60}, std::pair{64, 36}})
      for (const View& view : views()) {
        fake_window(columns, lines);
        load_hooks.days_that_fit = days_that_fit;
        last_status[0] = message_text[0] = '\0';
        arrow_index = 0;
        bool loaded = view.show(db);
        calculate_globals();
        rec.ops.clear();
        draw_chart();
        std::string where = db.name + " " + std::to_string(columns) + "x" + std::to_string(lines) + " " + view.name + ": ";
        if (!loaded) {
          if (!last_status[0]) faults.push_back(where + "no data and no word why");
          continue;
        }
        if (graphlook != 12 && graphlook != 13 && graphlook != 8 && graphlook != 15 && data_marks(rec) == 0)
          faults.push_back(where + "data loaded but no mark drawn");
        for (const std::string& p : drawing_problems(rec, graphlook)) faults.push_back(where + p);
      }
    ASSERT_EQ(0, chdir(work.path().c_str()));
  }
  // One line a kind of fault on a screen, with its first example.
  std::map<std::string, std::pair<int, std::string>> kinds;
  for (const std::string& f : faults) {
    std::string kind = f.substr(0, f.find_first_of("(\"0123456789", f.find(": ") + 2));
    auto& k = kinds[kind];
    if (k.first++ == 0) k.second = f;
  }
  std::string all;
  for (const auto& [kind, k] : kinds) all += std::to_string(k.first) + "x " + k.second + "\n";
  EXPECT_TRUE(faults.empty()) << faults.size() << " faults\n" << all;
}

}  // namespace

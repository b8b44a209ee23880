// The heading above every chart, and the lists of all groups and all
// companies with their hit test.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "views/views.h"
#include "core/core.h"
#include "core/text.h"
#include "paint/paint.h"
#include "query/screen.h"

namespace {

int window_columns() { return font_width > 0 ? main_win_width / font_width : 0; }

constexpr int COMPANY_CELL = 46;  // characters of a company's entry and its gap

// A group's entry: number, code and the longest name, and its gap.
int group_cell() {
  std::size_t longest = 0;
  for (int n = 0; n <= num_groups && n < static_cast<int>(groups.size()); ++n)
    longest = std::max(longest, std::strlen(groups[n].name));
  return static_cast<int>(longest) + 23;
}

const char* market_word(const CompanyRec& c) {
  if (c.type == 'M') return "FUND";
  switch (c.market) {
    case 'N': return "NYSE";
    case 'A': return "AMEX";
    case 'O':
    case 'S': return " OTC";
    default: return " ???";
  }
}

void group_heading() {
  int g = std::isdigit(static_cast<unsigned char>(groupname[0])) ? std::atoi(groupname) : find_grpnum(groupname);
  if (g < 0) return;
  const GroupRec* group = nullptr;
  for (int n = 0; n <= num_groups && n < static_cast<int>(groups.size()); ++n)
    if (groups[n].num == g) group = &groups[n];
  std::string members;
  std::size_t limit = static_cast<std::size_t>(window_columns());
  for (int i = 0; i < num_companys && members.size() <= limit; ++i)
    for (int slot = 0; slot < 5 && companys[i].group[slot]; ++slot)
      if (companys[i].group[slot] == g) {
        members += companys[i].symbol;
        members += ' ';
      }
  int x = (main_win_width - static_cast<int>(members.size()) * font_width) / 2;
  draw_text_cut(Role::Graph, x, ylt_indent - font_height, members);
  if (group) draw_text_cut(Role::Graph, x, ylt_indent - 2 * font_height, group->name);
}

}  // namespace

void draw_comp(const CompanyRec* cop) {
  Trace t("draw_comp");
  if (graphlook == View::Split || trackstate == 1) return;
  if (graphlook == View::Group) {
    group_heading();
    return;
  }
  int x = (main_win_width - 70 * font_width) / 2, y = ylt_indent - 2 * font_height;
  if (!cop) {
    paint_fill(KD_MainWin, Role::GC0, x, y, main_win_width, 2 * font_height);
    return;
  }
  draw_text_cut(Role::Graph, x, y, "Symbol Market Company name                 Shares Group(s)");
  char line[160];
  int n = std::snprintf(line, sizeof line, " %5.5s %4.4s   %-25.25s %8dK ", cop->symbol, market_word(*cop),
                        cop->name, cop->shares);
  std::string groups_text;
  for (int slot = 0; slot < 2 && cop->group[slot]; ++slot) {
    char g[16];
    std::snprintf(g, sizeof g, "%3d ", cop->group[slot]);
    groups_text += g;
  }
  groups_text.resize(std::max<std::size_t>(groups_text.size(), 8), ' ');
  std::snprintf(line + n, sizeof line - n, "%s ", groups_text.c_str());
  draw_text_cut(Role::Graph, x, y + font_height, line);
}

namespace {

// Lays out entries in cells across the window, row by row, skipping the
// rows scrolled away; in mode 2 stops at the entry under (column, row).
class ListLayout {
 public:
  ListLayout(int cell, int mode, int column, int row)
      : mode_(mode), column_(column), row_(row), cell_(std::max(cell, 1)) {
    width_ = window_columns();
    int n = width_ / cell_;
    gap_ = (width_ - n * cell_) / (n + 1);
    text_.assign(static_cast<std::size_t>(std::max(width_, 0)), ' ');
    pos_ = gap_;
    skip_ = arrow_index;
    baseline_ = list_top();
  }

  // Adds one entry; true when the caller should stop (a hit, or the bottom).
  bool add(const char* entry, const char* id) {
    std::size_t len = std::strlen(entry);
    std::size_t at = static_cast<std::size_t>(std::max(pos_, 0));
    if (at < text_.size()) text_.replace(at, std::min(len, text_.size() - at), entry, std::min(len, text_.size() - at));
    copy_text(result_, id);
    if (mode_ == 2 && skip_ < 1 && font_height > 0 && baseline_ / font_height == row_ && column_ >= pos_ &&
        column_ <= pos_ + static_cast<int>(len)) {
      hit_ = true;
      return true;
    }
    pos_ += cell_ + gap_;
    if (pos_ + cell_ >= width_) return finish_row();
    return false;
  }

  void flush_partial() {
    if (pos_ != gap_ && baseline_ < main_win_height && skip_ - 1 < 1) draw_row();
  }
  const char* result() const { return hit_ ? result_ : ""; }
  // The next entry begins a row of its own.
  bool break_row() { return pos_ != gap_ && finish_row(); }

 private:
  bool finish_row() {
    if (--skip_ < 1) {
      draw_row();
      baseline_ += font_height;
      if (baseline_ >= main_win_height) return true;
    }
    std::fill(text_.begin(), text_.end(), ' ');
    pos_ = gap_;
    return false;
  }
  void draw_row() { draw_text_cut(Role::Graph, 0, baseline_, text_); }

  int mode_, column_, row_, cell_;
  int width_, gap_, pos_, skip_, baseline_;
  std::string text_;
  char result_[16] = {};
  bool hit_ = false;
};

}  // namespace

const char* draw_grps(int mode, int column, int row) {
  Trace t("draw_grps", "mode=%d column=%d row=%d", mode, column, row);
  static char result[16];
  ListLayout list(group_cell(), mode, column, row);
  bool stopped = false;
  for (int n = 1; n <= num_groups && n < static_cast<int>(groups.size()) && !stopped; ++n) {
    if (groups[n].name[0] == '\0') continue;
    char entry[128], id[16];
    std::snprintf(entry, sizeof entry, "%5d %s %s", groups[n].num, groups[n].code, groups[n].name);
    std::snprintf(id, sizeof id, "%d", groups[n].num);
    stopped = list.add(entry, id);
  }
  if (!stopped) list.flush_partial();
  copy_text(result, list.result());
  t.set_result("symbol=%s", result);
  return result;
}

const char* draw_companys(int mode, int column, int row) {
  Trace t("draw_companys", "mode=%d column=%d row=%d", mode, column, row);
  static char result[16];
  ListLayout list(COMPANY_CELL, mode, column, row);
  if (mode == 1) {
    std::vector<std::string> symbols;
    for (int i = 0; i < num_companys; ++i)
      if (companys[i].symbol[0]) symbols.emplace_back(companys[i].symbol);
    keep_flip_list("company list", std::move(symbols));
  }
  bool stopped = false;
  for (int i = 0; i < num_companys && !stopped; ++i) {
    if (companys[i].symbol[0] == '\0') continue;
    char entry[64];
    std::snprintf(entry, sizeof entry, "%5.5s %s", companys[i].symbol, companys[i].name);
    stopped = list.add(entry, companys[i].symbol);
  }
  if (!stopped) list.flush_partial();
  copy_text(result, list.result());
  t.set_result("symbol=%s", result);
  return result;
}

namespace {

// Entries a list row holds, as ListLayout fills them.
int per_row(int cell) {
  int width = window_columns(), c = std::max(cell, 1), n = width / c, gap = (width - n * c) / (n + 1);
  int k = 0;
  for (int pos = gap; k == 0 || pos + c < width; pos += c + gap) ++k;
  return k;
}

}  // namespace

int company_row_of(const char* prefix) {
  std::size_t n = std::strlen(prefix);
  for (int i = 0, k = 0; i < num_companys; ++i) {
    if (companys[i].symbol[0] == '\0') continue;
    if (std::strncmp(companys[i].symbol, prefix, n) == 0) return k / per_row(COMPANY_CELL);
    ++k;
  }
  return -1;
}

std::vector<WatchRow> watch_shown;

constexpr int WATCH_CELL = 30;

// Each watchlist from a row of its own: its name, then its symbols with their
// last close and change (a symbol the newest day file lacks says so).
const char* draw_watchlists(int mode, int column, int row) {
  Trace t("draw_watchlists", "mode=%d column=%d row=%d", mode, column, row);
  static char result[80];
  ListLayout list(WATCH_CELL, mode, column, row);
  bool stopped = false;
  for (std::size_t i = 0; i < watch_shown.size() && !stopped; ++i) {
    const WatchRow& w = watch_shown[i];
    char entry[96], id[80];
    if (w.symbol.empty()) {
      if ((stopped = list.break_row())) break;
      std::snprintf(entry, sizeof entry, "%.24s:", w.list.c_str());
      std::snprintf(id, sizeof id, "=%s", w.list.c_str());
    } else {
      if (w.listed) std::snprintf(entry, sizeof entry, "%-8.8s %9.2f %+8.2f", w.symbol.c_str(), w.close, w.change);
      else std::snprintf(entry, sizeof entry, "%-8.8s  no quote", w.symbol.c_str());
      std::snprintf(id, sizeof id, "%s", w.symbol.c_str());
    }
    stopped = list.add(entry, id);
  }
  if (!stopped) list.flush_partial();
  copy_text(result, list.result());
  return result;
}

int list_rows() {
  int k = 0, per;
  if (graphlook == View::Watchlists) {  // a watchlist begins a row
    int rows = 0, in_row = 0;
    per = per_row(WATCH_CELL);
    for (const WatchRow& w : watch_shown) {
      if (w.symbol.empty() && in_row > 0) ++rows, in_row = 0;
      if (++in_row == per) ++rows, in_row = 0;
    }
    return rows + (in_row > 0);
  }
  if (graphlook == View::Groups) {
    for (int n = 1; n <= num_groups && n < static_cast<int>(groups.size()); ++n) k += groups[n].name[0] != '\0';
    per = per_row(group_cell());
  } else {
    for (int i = 0; i < num_companys; ++i) k += companys[i].symbol[0] != '\0';
    per = per_row(COMPANY_CELL);
  }
  return (k + per - 1) / per;
}

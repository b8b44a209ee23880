// The ranked lists on the screen: two columns (one for the count lists)
// from the top and the bottom of the sorted table, as far as the window and
// the count allow, each row recording where it was drawn for the pointer.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/core.h"
#include "paint/paint.h"
#include "query/query.h"
#include "views/views.h"

namespace {

struct Layout {
  int width, name, left_x, right_x;
  int right_of(bool left, bool one_column) const { return left && !one_column ? right_x - font_width : -1; }
};

// Two columns of the numbers and as much of the names as the window holds
// (none where that is under six letters, which read as noise); a column's
// text is cut where the next begins.
Layout layout_of(const QueryList& l) {
  int w = l.width + (query_compare_shown() ? 15 : 0);
  int c = font_width > 0 ? main_win_width / font_width : 0;
  int r = c - 2 * w;
  int n = r / 2 > 40 ? 40 : std::max(r / 2 - 3, 0);
  if (n < 6) n = 0;
  int g = std::max((r - 2 * n) / 3, 1);
  int left = g * font_width;
  return {w, n, left, left + (w + n + g) * font_width};
}

// One column: from the top or the bottom of the sorted rows, while the
// window and the count allow; the rows it shows (with `draw` false it only
// counts them; `whole`: every row the count allows, whatever the window
// and page, and in `passed` the rows it passed over out of the price range;
// `symbols` takes the symbol of each row it shows).
int column(const QueryList& l, bool left, const Layout& at, bool draw = true, bool whole = false, int* passed = nullptr,
           std::vector<std::string>* symbols = nullptr) {
  bool from_top = left ? !l.left_from_bottom : l.right_from_top;
  QueryList::Test test = left ? l.left : l.right, only = left ? l.left_only : l.right_only;
  int x = left ? at.left_x : at.right_x;
  int y = list_top() + font_height, counter = 0, skip = whole ? 0 : arrow_index, shown = 0;
  for (int k = 0; k < querynum; ++k) {
    if (!whole && y >= main_win_height - font_height) break;
    QueryRec& r = qs[from_top ? k : querynum - 1 - k];
    if (std::isnan(l.key(r))) continue;  // no measure: not in the list at all
    if (!l.counts_listed && ++counter >= querycount) break;
    if (!query_in_range(r)) {
      if (passed) ++*passed;
      continue;
    }
    if (!test(r)) break;  // sorted: the rest fail too
    if (query_is_index(r)) continue;
    if (l.counts_listed && only && !only(r)) continue;  // the count takes only rows that pass every test
    if (l.counts_listed && ++counter >= querycount) break;
    if (only && !only(r)) continue;
    if (skip > 0) {
      --skip;
      continue;
    }
    ++shown;
    if (symbols) symbols->emplace_back(r.symbol);
    y += font_height;
    if (!draw) continue;
    std::string text = query_row_text(l, r, left ? 1 : -1, l.one_column ? 40 : at.name);
    draw_text_cut(left ? Role::Qpos : Role::Qneg, x, y - font_height, text, at.right_of(left, l.one_column));
    r.col = x / font_width + 29;
    r.row = (y - font_height) / font_height;
    querybasex = left ? r.col + 1 : x / font_width;
  }
  return shown;
}

void draw_rows(const QueryList& l);

// The count lists write no trace lines; the others do.
void draw_list(const QueryList& l) {
  if (l.one_column) {
    draw_rows(l);
    return;
  }
  Trace t(l.routine);
  draw_rows(l);
}

// No row on the page: it lies beyond the rows the list has.
bool page_empty(const QueryList& l) {
  Layout at = layout_of(l);
  return column(l, true, at, false) == 0 && (l.one_column || column(l, false, at, false) == 0);
}

void draw_rows(const QueryList& l) {
  if (l.one_column && printflag) return;  // "print" writes nothing for these
  if (l.needs_history && !queryextraloaded) return;
  if (const char* why = l.needs_history ? no_average_reason() : nullptr)
    status("query", __LINE__, why);
  sort_query_list(l);
  if (arrow_index > 0 && page_empty(l)) arrow_index = 0;  // a page left from other rows: the first
  Layout at = layout_of(l);
  std::string header = query_header(l);
  if (at.name == 0 && !l.one_column) header = header.substr(0, header.rfind(" name"));
  draw_text_cut(Role::Graph, at.left_x, list_top(), header, at.right_of(true, l.one_column));
  if (!l.one_column) draw_text_cut(Role::Graph, at.right_x, list_top(), header);
  if (printflag) print_query_list(l.look);
  column(l, true, at);
  if (!l.one_column) column(l, false, at);
  std::vector<std::string> symbols;  // every row the count allows: Ctrl+N goes past the page
  column(l, true, at, false, true, nullptr, &symbols);
  if (!l.one_column) column(l, false, at, false, true, nullptr, &symbols);
  keep_flip_list(std::string(l.label) + " list", std::move(symbols), true);
}

}  // namespace

std::string query_count_text() {
  const QueryList* l = query_list(querylook);
  if (!l || l->counts_listed || querycount == INT_MAX || querynum == 0) return "";
  sort_query_list(*l);
  auto at = layout_of(*l);
  int passed = 0, left = column(*l, true, at, false, true, &passed);
  int right = l->one_column ? left : column(*l, false, at, false, true, &passed);
  if (passed == 0) return "";
  std::string shown = std::to_string(left);
  if (!l->one_column) shown += " and " + std::to_string(right);
  return std::to_string(std::min(querycount - 1, querynum)) + " examined, " + shown + " in the price range";
}

bool query_page_empty() {
  if (querylook == ListView::Screen) return screen_page_empty();
  if (querycount == 0 || querynum == 0) return true;
  if (querylook == ListView::Groups) return query_groups_page_empty();
  const QueryList* l = query_list(querylook);
  if (!l) return false;  // the distribution: no pages
  sort_query_list(*l);
  return page_empty(*l);
}

void draw_query() {
  Trace t("draw_query");
  if (querylook == ListView::Screen) return draw_screen_list();  // whatever the count: it is every row found
  if (querycount == 0 || querynum == 0) return;
  for (int i = 0; i < querynum; ++i) qs[i].col = qs[i].row = 0;
  if (querylook == ListView::Groups) draw_qgroups();
  else if (querylook == ListView::Distribution) draw_distr();

  else if (const QueryList* l = query_list(querylook)) draw_list(*l);
}

int query_row_at(int column, int row) {
  for (int i = 0; i < querynum; ++i) {
    const QueryRec& r = qs[i];
    if (r.row != row + 1) continue;
    bool right_half = column >= querybasex && column <= r.col;
    bool left_half = column >= 1 && column < querybasex && r.col <= querybasex;
    if (right_half || left_half) return i;
  }
  return -1;
}

// A screen's result in the window: one column under its header, a page at
// a time, each row recording where it was drawn for the pointer; a print
// writes the whole result.
#include <string>
#include <vector>

#include "core/core.h"
#include "paint/paint.h"
#include "query/reading.h"
#include "query/screen.h"
#include "views/views.h"

namespace {

struct Drawn {
  int row;    // text row of the baseline
  int index;  // into screen_rows
};
std::vector<Drawn> drawn;

}  // namespace

std::string screen_title() {
  const Screening& s = shown_screen;
  std::string what = s.name.empty() ? s.where.text : s.name + " (" + s.where.text + ")";
  return "screen " + what + ": " + std::to_string(screen_rows.size()) + " found, " + mmddyy_text(querysdate) + "-" +
         mmddyy_text(queryedate) + ", a click charts one";
}

std::string screen_flip_name() {
  return "screen " + (shown_screen.name.empty() ? shown_screen.where.text : shown_screen.name);
}

bool screen_page_empty() { return arrow_index >= static_cast<int>(screen_rows.size()); }

void draw_screen_list() {
  Trace t("draw_screen_list");
  drawn.clear();
  if (printflag) {
    print_will_write(static_cast<int>(screen_rows.size()) + 1);
    query_reading::start_print_writer([](int fd) { return write_screen(shown_screen, screen_rows, fd, false); });
  }
  std::vector<std::string> symbols;
  for (const ScreenRow& r : screen_rows) symbols.emplace_back(r.rec.symbol);
  keep_flip_list(screen_flip_name(), std::move(symbols), true);
  if (arrow_index > 0 && screen_page_empty()) arrow_index = 0;
  int x = 2 * font_width, y = list_top();
  draw_text_cut(Role::Graph, x, y, screen_header(shown_screen) + "  name");
  for (int i = arrow_index; i < static_cast<int>(screen_rows.size()); ++i) {
    y += font_height;
    if (y >= main_win_height - font_height) break;
    const ScreenRow& r = screen_rows[static_cast<std::size_t>(i)];
    std::string text = screen_line(shown_screen, r) + "  " + find_co(r.rec.symbol).name;
    draw_text_cut(r.rec.pct < 0 ? Role::Qneg : Role::Qpos, x, y, text);
    drawn.push_back({y / font_height, i});
  }
}

int screen_row_at(int row) {
  for (const Drawn& d : drawn)
    if (d.row == row + 1) return d.index;
  return -1;
}

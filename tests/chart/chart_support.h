// Charts drawn into the recording drawing layer, with the geometry of the
// 6x13 "fixed" font in a 100 x 60 character window.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "chart/chart.h"
#include "support/market.h"
#include "ui/draw.h"
#include "ui/ui.h"

class ChartTest : public MarketTest {
 protected:
  RecordingWindow screen;
  DrawRecorder& rec = screen.rec;
  void SetUp() override {
    MarketTest::SetUp();
    window(100, 60);  // again: the market fixture cleared the font
    mark = 0;
    buyvolume = 0;
    arrow_index = 0;
    queryflag = 0;
    member_gc = nullptr;
  }
  static void window(int columns, int lines) { fake_window(columns, lines); }
  // One weekday line a day from 2 Jan 1995 with these closes (0: no line).
  void history(const std::vector<float>& closes, int volume = 100, const char* sym = "AB") {
    std::string lines;
    long day = day_number(1995, 1, 2);
    for (float c : closes) {
      while (weekday_of(day) == 0 || weekday_of(day) == 6) ++day;
      int y, m, d;
      civil_date(day, &y, &m, &d);
      if (c != 0) {
        char line[96];
        std::snprintf(line, sizeof line, "%02d%02d%02d, %g, %g, %g, %d\n", y % 100, m, d, c + 0.5, c - 0.5, c,
                      volume);
        lines += line;
      }
      ++day;
    }
    symbol_file(sym, lines);
  }
  void load(const char* sym = "AB") {
    ASSERT_EQ(0, load_symbol(sym));
    calculate_globals();
    rec.ops.clear();
  }
  std::vector<const DrawOp*> ops(DrawOp::Kind kind, Role role) const {
    std::vector<const DrawOp*> out;
    for (const DrawOp& op : rec.ops)
      if (op.kind == kind && op.role == role) out.push_back(&op);
    return out;
  }
  std::vector<std::string> texts_at_x(int x) const {
    std::vector<std::string> out;
    for (const DrawOp* t : rec.texts())
      if (t->x == x) out.push_back(t->text);
    return out;
  }
};

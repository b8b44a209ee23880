// A small market database written by the test, loaded without a display.
#pragma once

#include <string>
#include <vector>

#include "core/text.h"
#include "data/data.h"
#include "support/fixtures.h"

class MarketTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    for (const char* d : {"general", "symbols", "days"}) work.mkdir(d);
    copy_text(generaldir, "general");
    copy_text(symboldir, "symbols");
    copy_text(daydir, "days");
    reset_history();
  }
  void TearDown() override {
    reset_history();
    groups.clear();
    companys.clear();
    num_groups = num_companys = 0;
    nocompany = CompanyRec{};
    SettingsTest::TearDown();
  }
  static void reset_history() {
    free_history();
    num_days = work_days = disp_days = load = 0;
    adjust_date = 0;
    adjust_ratio = 0;
    stockbuyprice = 0;
    stockbuyavol = 0;
    use_seek_hint = 1;
    main_win_width = font_width = 0;
    whatday = 0;
    load_hooks = {};
  }
  // Writes the two tables and reads them as start-up does.
  void tables(const std::string& groups_file, const std::string& companys_file) {
    work.write("general/groups", groups_file);
    work.write("general/companys", companys_file);
    initial_groups();
    initial_companys();
  }
  void day_file(const std::string& name, const std::string& lines) { work.write("days/" + name, lines); }
  void symbol_file(const std::string& sym, const std::string& lines) { work.write("symbols/" + sym, lines); }
  int load_symbol(const char* sym) {
    copy_text(symbolname, sym);
    return loadstock();
  }
  // The loaded days 1 .. num_days - 1.
  std::vector<StockDay> loaded() const {
    if (stocklist.empty() || num_days < 2) return {};
    return std::vector<StockDay>(stocklist[0].days.begin() + 1, stocklist[0].days.begin() + num_days);
  }
  std::vector<WorkDay> shown() const {
    if (worklist.empty()) return {};
    return std::vector<WorkDay>(worklist[0].begin(), worklist[0].begin() + work_days);
  }
};

// YYMMDD of a loaded day.
inline int yymmdd_of(const StockDay& d) { return d.eyear * 10000 + d.emon * 100 + d.eday; }

inline StockDay quote_day(float high, float low, float close, int volume = 0) {
  StockDay s{};
  s.high = high;
  s.low = low;
  s.close = close;
  s.volume = volume;
  return s;
}

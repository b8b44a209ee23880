// A per-symbol history file, loaded and turned into work days of every
// period with every indicator.
#include "fuzz/support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool tables = (fuzz::fresh_settings(), fuzz::standard_tables(), true);
  (void)tables;
  fuzz::fresh_settings();
  fuzz::write("symbols/AB", data, size);
  copy_text(symbolname, "AB");
  mvavgtype = size % 4;
  mvavgdays = 1 + static_cast<int>(size % 25);
  stochdays = 1 + static_cast<int>(size % 9);
  extendday = static_cast<int>(size % 3);
  adjust_date = 951205;
  adjust_ratio = 2;
  if (loadstock() != 0) return 0;
  for (int period = 1; period <= 5; ++period) {
    graph_type = period;
    fill_work();
  }
  calc_price();
  return 0;
}

// The screen language's reader: any bytes are a program or an error with
// its column, never a crash; a program runs over rows with and without the
// measures it may name, and its value is a number or no value.
#include <cmath>
#include <cstring>

#include "fuzz/support.h"
#include "query/screen.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool tables = (fuzz::fresh_settings(), fuzz::standard_tables(), true);
  (void)tables;
  std::string text(reinterpret_cast<const char*>(data), size), error;
  ScreenProgram p;
  if (!read_screen(text, &p, &error)) {
    bool said = error.rfind("screen: ", 0) == 0 &&
                (error.find(" at column ") != std::string::npos || error == "screen: nothing to screen by");
    if (!said) std::abort();
    return 0;
  }
  if (p.code.empty() || p.depth < 1) std::abort();
  QueryRec rows[2] = {};
  copy_text(rows[0].symbol, "AB");
  rows[0].close = 12, rows[0].pct = 20, rows[0].mvavg = 11, rows[0].cmpclose = 9, rows[0].rsi = 70;
  copy_text(rows[1].symbol, "ZZ");  // no company, no average, no compare close
  for (const QueryRec& r : rows) {
    double v = screen_value(p, r);
    if (screen_holds(p, r) != (!std::isnan(v) && v != 0)) std::abort();
  }
  return 0;
}

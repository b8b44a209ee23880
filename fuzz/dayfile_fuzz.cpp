// Stock, fund and index day files: securities of each kind loaded from them,
// with and without the seek hint.
#include "fuzz/support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool tables = (fuzz::fresh_settings(), fuzz::standard_tables(), true);
  (void)tables;
  fuzz::fresh_settings();
  std::vector<std::string> files = fuzz::parts(data, size, 4);
  fuzz::write("days/s951204", files[0]);
  fuzz::write("days/s951205", files[1]);
  fuzz::write("days/f951205", files[2]);
  fuzz::write("days/i951205", files[3]);
  for (int hint : {1, 0}) {
    use_seek_hint = hint;
    for (const char* sym : {"AB", "CD", "FUND", "DJ30", "ADV"}) {
      copy_text(symbolname, sym);
      if (loadstock() == 0) fill_work();
    }
  }
  return 0;
}

// The index-file reader of the market summary and the advance/decline line,
// over fuzzed group and company tables: two index files for the summary of
// each exchange, three stock files for the line of every depth and period.
#include "fuzz/support.h"
#include "market/market.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::fresh_settings();
  std::vector<std::string> files = fuzz::parts(data, size, 7);
  fuzz::write("general/groups", files[0]);
  fuzz::write("general/companys", files[1]);
  fuzz::write("kadmer.conf", "");
  initial_groups();
  initial_companys();
  fuzz::write("days/i951204", files[2]);
  fuzz::write("days/i951205", files[3]);
  for (int k = 0; k < 3; ++k) fuzz::write("days/s95120" + std::to_string(4 + k), files[4 + k]);
  marketsday = 120495, marketeday = 120595;
  for (char exchange : {'n', 'o', 'a'}) {
    marketdisp = exchange;
    fill_market();
    for (const LayoutCell& cell : layout_of(exchange).cells) cell_text(cell);
  }
  KD_csd = 4, KD_csm = 12, KD_csy = 95, KD_ced = 6, KD_cem = 12, KD_cey = 95;
  std::string first_code = num_groups > 0 && !groups.empty() ? groups[1].code : "X";
  for (const std::string& depth : {std::string("S"), std::string("G"), std::string("1"), first_code}) {
    copy_text(adln_depth, depth);
    if (loadad() != 0) continue;
    for (int period = 1; period <= 5; ++period) {
      graph_type = period;
      fill_work();
    }
  }
  return 0;
}

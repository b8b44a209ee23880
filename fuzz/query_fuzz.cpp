// The query's reading of stock day files: three files of a range and a
// compare file, then every list drawn headless and printed.
#include <fcntl.h>

#include "fuzz/support.h"
#include "query/query.h"
#include "views/views.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool tables = (fuzz::fresh_settings(), fuzz::standard_tables(), true);
  static int sink = open("/dev/null", O_WRONLY);
  (void)tables;
  fuzz::fresh_settings();
  std::vector<std::string> files = fuzz::parts(data, size, 4);
  fuzz::write("days/s951201", files[0]);
  fuzz::write("days/s951204", files[1]);
  fuzz::write("days/s951205", files[2]);
  fuzz::write("days/s951130", files[3]);
  querysdate = 120495;
  queryedate = 120595;
  querycdate = 113095;
  querycount = 1 + static_cast<int>(size % 30);
  querysmode = size % 2 ? 'a' : 's';
  queryhprice = 1e9f;
  copy_text(distr_screen, size % 3 ? "A" : "TECH");
  get_query_data();
  for (int n = 1; n <= 16; ++n) {  // every list by its number
    ListView look = ListView(n);
    querylook = look;
    draw_query();
    write_query_list(look, sink);
    write_query_csv(look, sink);
  }
  for (int row = 0; row < 60; row += 7) query_row_at(row, row);
  return 0;
}

// The group and company tables, and lookups in them.
#include "fuzz/support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::fresh_settings();
  std::vector<std::string> files = fuzz::parts(data, size, 2);
  fuzz::write("general/groups", files[0]);
  fuzz::write("general/companys", files[1]);
  fuzz::write("kadmer.conf", "group = MINE AB CD EF\n");
  initial_groups();
  initial_companys();
  for (const char* sym : {"AB", "CD", "ZZZZZZZZ", ""}) find_co(sym);
  for (const char* code : {"TECH", "T", ""}) find_grpnum(code);
  return 0;
}

// The configuration file: both passes, with and without group lines.
#include "fuzz/support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::fresh_settings();
  fuzz::write("kadmer.conf", data, size);
  parse_config(0, 0, nullptr);
  fuzz::write("general/groups", "1:Tech:TECH:\n3:Oil:OIL:\n");
  fuzz::write("general/companys", "AB:Alpha Beta:S:N:TECH:950101-1000:\nCD:Charlie:S:N::950101-2000:\n");
  initial_groups();
  initial_companys();  // runs the second pass over the same file
  return 0;
}

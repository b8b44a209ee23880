// What every fuzz target shares: a private database directory, the settings
// at their start values, and the fuzz input written as one of its files.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"

namespace fuzz {

// A database directory of this process, made once.
inline const std::string& root() {
  // Never destroyed: the cleanup at exit runs after static destructors.
  static const std::string* dir = [] {
    char tmpl[] = "/tmp/kadmer-fuzz-XXXXXX";
    auto* d = new std::string(mkdtemp(tmpl) ? tmpl : "/tmp/kadmer-fuzz");
    for (const char* sub : {"/general", "/symbols", "/days"}) std::system(("mkdir -p " + *d + sub).c_str());
    std::atexit([] { std::system(("rm -rf " + root()).c_str()); });
    return d;
  }();
  return *dir;
}

inline void write(const std::string& name, const uint8_t* data, size_t size) {
  FILE* f = std::fopen((root() + "/" + name).c_str(), "wb");
  if (!f) std::abort();
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
}
inline void write(const std::string& name, const std::string& text) {
  write(name, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// Start values, the directories of the private database, and small tables.
inline void fresh_settings() {
  reset_settings();
  debuglvl = 0;
  copy_text(generaldir, root() + "/general");
  copy_text(symboldir, root() + "/symbols");
  copy_text(daydir, root() + "/days");
  copy_text(config_file, root() + "/kadmer.conf");
}

inline void standard_tables() {
  write("general/groups", "1:Tech:TECH:\n2:Drugs:DRUG:\n7:Oil:OIL:\n");
  write("general/companys",
        "AB:Alpha Beta:S:N:TECH,DRUG:950101-1000:\nCD:Charlie:S:N:OIL:950101-2000:\n"
        "FUND:A Fund:M:O::950101-0:\nDJ30:Dow:I:2::950101-0:\nADV:Advances:I:1::950101-0:\n");
  write("kadmer.conf", "");
  initial_groups();
  initial_companys();
}

// The input cut at separator bytes into at most n parts.
inline std::vector<std::string> parts(const uint8_t* data, size_t size, size_t n, uint8_t separator = 0xff) {
  std::vector<std::string> out(1);
  for (size_t i = 0; i < size; ++i)
    if (data[i] == separator && out.size() < n) out.emplace_back();
    else out.back() += static_cast<char>(data[i]);
  out.resize(n);
  return out;
}

}  // namespace fuzz

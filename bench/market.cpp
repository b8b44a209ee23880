#include "bench/market.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"

namespace fs = std::filesystem;

// The company and group tables of one general directory, read once.
static void load_tables(const std::string& dir) {
  static std::string loaded;
  copy_text(generaldir, dir);
  if (loaded == dir) return;
  initial_groups();
  initial_companys();
  loaded = dir;
}

std::string scratch() {
  static std::string dir = [] {
    std::string d = (fs::temp_directory_path() / "kadmer-bench").string();
    if (!fs::exists(d + "/market/days/s261204")) {
      fs::create_directories(d);
      std::string cmd = std::string(KADMER_GEN) + " --out " + d +
                        "/market --stocks 9000 --funds 200 --days 500 --end 261204 --symbol-every 1000000";
      if (std::system(cmd.c_str()) != 0) std::abort();
    }
    return d;
  }();
  return dir;
}

// The same market (the generator is deterministic) with a per-symbol file
// for every security: the symbol folder of it.
std::string every_symbol_file() {
  static std::string dir = [] {
    std::string d = scratch() + "/histories";
    if (!fs::exists(d + "/symbols")) {
      std::string cmd = std::string(KADMER_GEN) + " --out " + d +
                        " --stocks 9000 --funds 200 --days 500 --end 261204 --symbol-every 1 >/dev/null";
      if (std::system(cmd.c_str()) != 0) std::abort();
    }
    return d + "/symbols";
  }();
  return dir;
}

void use_market() {
  std::string m = scratch() + "/market";
  copy_text(daydir, m + "/days");
  copy_text(symboldir, m + "/nosymbols");
  load_tables(m + "/general");
  mvavgtype = 1;
  mvavgdays = 20;
  stochdays = 14;
}

// Stocks listed from the first day to the last, from the middle of the table.
const char* steady_stock(int n) {
  static std::vector<std::string> found;
  static int next = -1;  // the table's row to look at next
  if (next < 0) next = num_companys / 2;
  for (; next < num_companys && static_cast<int>(found.size()) <= n; ++next) {
    int i = next;
    copy_text(symbolname, companys[i].symbol);
    if (companys[i].type == 'S' && loadstock() == 0 && disp_days > 480) found.emplace_back(companys[i].symbol);
  }
  return static_cast<int>(found.size()) > n ? found[static_cast<std::size_t>(n)].c_str() : "";
}

// A per-symbol file of 30 years of weekdays.
std::string thirty_years() {
  std::string dir = scratch() + "/symbols30";
  if (!fs::exists(dir + "/LONG")) {
    fs::create_directories(dir);
    std::ofstream out(dir + "/LONG");
    double close = 20;
    for (long day = day_number(1996, 12, 2), n = 0; n < 7500; ++day) {
      int wd = weekday_of(day);
      if (wd == 0 || wd == 6) continue;
      int y, m, d;
      civil_date(day, &y, &m, &d);
      close = std::max(1.0, close + ((n * 7919) % 11 - 5) / 16.0);
      char line[96];
      std::snprintf(line, sizeof line, "%02d%02d%02d, %.4f, %.4f, %.4f, %ld\n", y % 100, m, d, close + 0.5,
                    close - 0.5, close, 1000 + n % 977);
      out << line;
      ++n;
    }
  }
  return dir;
}

void use_companies_10000() {
  std::string dir = scratch() + "/companies";
  if (!fs::exists(dir + "/companys")) {
    fs::create_directories(dir);
    std::ofstream groups(dir + "/groups");
    for (int g = 1; g <= 60; ++g) groups << g << ":Group " << g << ":G" << g << ":\n";
    std::ofstream out(dir + "/companys");
    for (int i = 0; i < 10000; ++i) {
      std::string sym;
      for (int k = i + 17576; k > 0; k /= 26) sym += static_cast<char>('A' + k % 26);
      out << sym << ":Company " << i << ":S:N:G" << i % 60 + 1 << ",G" << (i * 7) % 60 + 1 << ":950310-" << i
          << ":\n";
    }
  }
  load_tables(dir);
}

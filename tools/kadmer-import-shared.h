// What the files of kadmer-import share: the run's options, counts and
// days, its messages, and the routines of each file. kadmer-import.cpp runs
// the import; kadmer-import-csv.cpp reads the CSV files, -merge.cpp merges
// the days into the files' lines, -write.cpp locks the database and writes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/history.h"
#include "tools/kadmer-import.h"

namespace importer {

using history::Quote;

struct Options {
  std::string config, symbol;  // empty: not given
  bool symbol_files = true, day_files = false;
  bool hundreds = false, replace = false, strict = false;
  std::string name, groups;
  char type = 'S', market = 0;
  std::vector<std::string> files;
};

struct Counts {
  int added = 0, replaced = 0, unchanged = 0, refused = 0, bad = 0;
};

// One day of one security, as it will stand in the files.
struct Day {
  std::string symbol;
  long day;          // day number
  Quote q;           // what the loaders read from its quote
  uint32_t quote_at;  // its "high, low, close, volume" in `quotes`
  uint16_t quote_len;
  int file, line;    // where it was read
};

struct Company {
  char type, market;
  bool known;
};

extern Options opts;          // the command line
extern Counts counts;         // the days so far, for the summary
extern std::string quotes;    // the quotes of every day, one after another
extern ImportIo io;           // where messages go, who is told what was written
extern std::unordered_map<std::string, Company> companies;  // by symbol, as looked up

// Ends the import with an exit status (unwinding to run_import).
struct Stop {
  int status;
};

std::string_view quote_of(const Day& d);
std::string where(const Day& d);  // file:line of the CSV
[[noreturn]] void fail(int status, const std::string& why);
void complain(const std::string& where, const std::string& why);
void record(const Day& d, const std::string& path);

std::string price_text(double p, int digits = 6);
std::string float_text(float p);
const char* yymmdd_text(long day);
const char* iso_text(long day);

Company company_of(const std::string& sym);
bool same_kept(Quote a, Quote b, const std::string& sym);

// ---- reading CSV (kadmer-import-csv.cpp) ----

std::string upper(std::string s);
std::string symbol_fault(const std::string& s);
bool read_file(const std::string& path, std::string* text, bool database = false);
bool read_csv(int file, std::vector<Day>* days);
std::vector<const Day*> unique_days(const std::vector<Day>& days);

// ---- merging into the files (kadmer-import-merge.cpp) ----

struct Merge {
  std::string path;
  std::string text;  // the new content
  bool changed = false;
};

bool read_lines(const std::string& path, std::string* text, std::vector<std::string_view>* out);
Merge merge_symbol_file(const std::string& sym, const std::vector<const Day*>& days);
Merge merge_day_file(char kind, long day, const std::vector<const Day*>& days);

// ---- locking and writing (kadmer-import-write.cpp) ----

void lock_database();    // every folder the import writes to, made when missing
void unlock_database();
bool write_whole(const std::string& path, const std::string& text);

}  // namespace importer

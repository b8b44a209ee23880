// kadmer-import: brings price histories from CSV files into the database:
// per-symbol history files, day files, or both, and a company line for a
// symbol the company table does not know yet. It is a routine, run_import:
// kadmer-import-main.cpp calls it once, the fuzz target again and again.
//
// Everything is read and merged in memory first; only then is each changed
// file written, to a temporary file beside it that is renamed over it, so a
// file is always either as it was or complete. Existing lines (comments,
// lines the loaders skip, other securities) are kept where they stand.
// Imports take turns: each holds a lock on every folder it writes to from
// before it reads the tables until its last rename.
//
// This file holds the run: the options and the order of the work, and what
// the files share. Reading CSV is kadmer-import-csv.cpp, merging
// kadmer-import-merge.cpp, locking and writing kadmer-import-write.cpp.
#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <string>
#include <string_view>
#include <vector>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "data/history.h"
#include "tools/kadmer-import-shared.h"
#include "tools/kadmer-import.h"
#include "tools/tool_args.h"

const char* const tool::name = "kadmer-import";
const char* const tool::usage_text =
    "usage: kadmer-import [options] FILE.csv...\n"
    "  --output symbol|day|both  per-symbol history files (default), day files, or both\n"
    "  --symbol SYM        the security of a file without a Symbol column (default: the file name)\n"
    "  --volume-unit shares|hundreds  the unit of the Volume column (default shares)\n"
    "  --name TEXT         name of a new company (default: its symbol)\n"
    "  --type S|M|I        type of a new company: stock (default), mutual fund, index\n"
    "  --market C          market of a new company (default N; an index 1, a fund none)\n"
    "  --groups CODE,...   groups of a new company (at most five codes)\n"
    "  --replace           a day that differs from the database replaces it\n"
    "  --strict            a bad line or a refused day stops the import; nothing is written\n"
    "  --config FILE       settings file (default ./.kadmer, else ~/.kadmer)\n";

namespace importer {

Options opts;
Counts counts;
std::string quotes;
ImportIo io;
std::unordered_map<std::string, Company> companies;

std::string_view quote_of(const Day& d) { return {quotes.data() + d.quote_at, d.quote_len}; }

std::string where(const Day& d) { return opts.files[d.file] + ":" + std::to_string(d.line); }

[[noreturn]] void fail(int status, const std::string& why) {
  std::fprintf(io.err, "kadmer-import: %s\n", why.c_str());
  throw Stop{status};
}

// A day merged into the file at path, for whoever asked to know.
void record(const Day& d, const std::string& path) {
  if (io.written) io.written->push_back({d.symbol, d.day, d.q, path});
}

void complain(const std::string& where, const std::string& why) {
  std::fprintf(io.err, "kadmer-import: %s: %s\n", where.c_str(), why.c_str());
}

// ---- text of the files ----

// Prices as the files hold them: fixed point, no trailing zeros.
std::string price_text(double p, int digits) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%.*f", digits, p);
  std::string s = buf;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

// A loaded price with as many digits as it takes to read back the same:
// written with six, 2.0000002 came back as 2.
std::string float_text(float p) {
  int digits = 6;
  while (digits < 60 && std::strtof(price_text(p, digits).c_str(), nullptr) != p) ++digits;
  return price_text(p, digits);
}

const char* yymmdd_text(long day) {
  static char buf[16];
  int y, m, d;
  civil_date(day, &y, &m, &d);
  std::snprintf(buf, sizeof buf, "%02d%02d%02d", y % 100, m, d);
  return buf;
}

const char* iso_text(long day) {
  static char buf[16];
  int y, m, d;
  civil_date(day, &y, &m, &d);
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
  return buf;
}

// ---- the company of a symbol ----

Company company_of(const std::string& sym) {
  auto it = companies.find(sym);
  if (it != companies.end()) return it->second;
  CompanyRec& r = find_co(sym.c_str());
  Company c = &r != &nocompany ? Company{r.type, r.market, true} : Company{opts.type, opts.market, false};
  return companies[sym] = c;
}

// The same day as the loaders keep it (a fund's high and low are its close).
bool same_kept(Quote a, Quote b, const std::string& sym) {
  CompanyRec r{};
  Company c = company_of(sym);
  r.type = c.type, r.market = c.market ? c.market : c.type == 'I' ? '1' : ' ';
  history::apply_kind(a, r);
  history::apply_kind(b, r);
  return a.high == b.high && a.low == b.low && a.close == b.close && a.volume == b.volume;
}

}  // namespace importer

namespace {

using namespace importer;

std::string company_line(const std::string& sym, const Company& c, long last_day) {
  std::string market(1, c.market ? c.market : c.type == 'I' ? '1' : 'N');
  if (!c.market && c.type == 'M') market.clear();
  return sym + ":" + (opts.name.empty() ? sym : opts.name) + ":" + c.type + ":" + market + ":" + opts.groups +
         ":" + yymmdd_text(last_day) + "-0:";
}

// ---- options ----

// Text for the company table: a control character or its separator ':'
// in it would break the line or add lines to it.
bool table_safe(const std::string& v) {
  auto bad = [](char c) { return static_cast<unsigned char>(c) < ' ' || c == 127 || c == ':'; };
  return std::none_of(v.begin(), v.end(), bad);
}

constexpr const char* code_chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.";

// The group codes of a new company without the empty ones (an empty code
// would join the first group); each must begin a group's code.
std::string group_list(const std::string& list) {
  std::string out;
  int n = 0;
  for (std::size_t at = 0, comma; at <= list.size(); at = comma + 1) {
    comma = std::min(list.find(',', at), list.size());
    std::string code = list.substr(at, comma - at);
    if (code.empty()) continue;
    bool found = false;
    for (int g = 1; g <= num_groups && !found; ++g)
      found = groups[g].num != 0 && std::strncmp(groups[g].code, code.c_str(), code.size()) == 0;
    if (!found) tool::usage(("no group " + code).c_str());
    if (++n > 5) tool::usage("at most five groups");
    out += (out.empty() ? "" : ",") + code;
  }
  return out;
}

void parse(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) tool::usage((a + " needs a value").c_str());
      return argv[++i];
    };
    if (a == "--help") {
      std::fputs(tool::usage_text, stdout);
      std::exit(0);
    } else if (a == "--output") {
      std::string v = value();
      if (v != "symbol" && v != "day" && v != "both") tool::usage("--output is symbol, day or both");
      opts.symbol_files = v != "day";
      opts.day_files = v != "symbol";
    } else if (a == "--symbol") {
      opts.symbol = upper(value());
      if (std::string fault = symbol_fault(opts.symbol); !fault.empty()) tool::usage(fault.c_str());
    } else if (a == "--volume-unit") {
      std::string v = value();
      if (v != "shares" && v != "hundreds") tool::usage("--volume-unit is shares or hundreds");
      opts.hundreds = v == "hundreds";
    } else if (a == "--name") {
      opts.name = value();
      if (!table_safe(opts.name) || opts.name.size() > 40)
        tool::usage("a name is at most 40 characters, without ':' or control characters");
    } else if (a == "--type") {
      std::string v = upper(value());
      if (v != "S" && v != "M" && v != "I") tool::usage("--type is S, M or I");
      opts.type = v[0];
    } else if (a == "--market") {
      std::string v = upper(value());
      if (v.size() != 1 || !std::isalnum(static_cast<unsigned char>(v[0])))
        tool::usage("--market is one letter or digit");
      opts.market = v[0];
    } else if (a == "--groups") {
      opts.groups = upper(value());
      if (opts.groups.find_first_not_of(std::string(code_chars) + ",") != std::string::npos)
        tool::usage("groups are codes of letters, digits and '.' between commas");
    } else if (a == "--replace") {
      opts.replace = true;
    } else if (a == "--strict") {
      opts.strict = true;
    } else if (a == "--config") {
      opts.config = value();
    } else if (a.size() > 1 && a[0] == '-') {
      tool::usage(("unknown option " + a).c_str());
    } else {
      opts.files.push_back(a);
    }
  }
  if (opts.files.empty()) tool::usage("no CSV file");
  if (!opts.symbol.empty() && opts.files.size() > 1) tool::usage("--symbol names the security of one file");
}

void summary() {
  std::fprintf(io.out, "kadmer-import: %d added, %d replaced, %d unchanged, %d refused, %d bad\n", counts.added,
               counts.replaced, counts.unchanged, counts.refused, counts.bad);
}

// A bad line or a refused day stops a strict import before it writes; the
// summary says what it found (nothing added, nothing replaced).
[[noreturn]] void stop_strict() {
  counts.added = counts.replaced = 0;
  summary();
  fail(1, "nothing written (--strict)");
}

int import_files(int argc, char** argv) {
  parse(argc, argv);
  const char* config = opts.config.empty() ? nullptr : opts.config.c_str();
  tool::check_config(config);
  tool::settings(config);
  extendday = 0;  // the files get the days as they are
  // Without a setting the directories are the root: never write there.
  for (auto [dir, key, needed] : {std::tuple{generaldir, "generaldir", true},
                                  std::tuple{symboldir, "symboldir", opts.symbol_files},
                                  std::tuple{daydir, "daydir", opts.day_files}})
    if (needed && (!*dir || std::strcmp(dir, "/") == 0))
      fail(2, std::string("no ") + key + " in the settings (.kadmer): nothing written");
  lock_database();
  initial_groups();
  initial_companys();
  opts.groups = group_list(opts.groups);

  std::vector<Day> days;
  int unreadable = 0;
  for (int f = 0; f < static_cast<int>(opts.files.size()); ++f) unreadable += !read_csv(f, &days);
  std::vector<const Day*> unique = unique_days(days);
  if (opts.strict && (counts.bad || counts.refused || unreadable)) stop_strict();

  // Days in the order of the import, by security and by file.
  std::map<std::string, std::vector<const Day*>> by_symbol;
  std::map<std::pair<char, long>, std::vector<const Day*>> by_file;
  companies.reserve(unique.size());
  // The securities the chart reads from a history file, listed once.
  std::unordered_set<std::string> history_files;
  if (!opts.symbol_files)
    if (DIR* dir = opendir(symboldir)) {
      while (const dirent* e = readdir(dir)) history_files.insert(e->d_name);
      closedir(dir);
    }
  std::string new_companies;
  for (std::size_t i = 0, end; i < unique.size(); i = end) {  // a run of one security's days
    const std::string& sym = unique[i]->symbol;
    for (end = i + 1; end < unique.size() && unique[end]->symbol == sym;) ++end;
    Company c = company_of(sym);
    if (!c.known) new_companies += company_line(sym, c, unique[end - 1]->day) + "\n";
    if (!opts.symbol_files && history_files.count(sym))
      std::fprintf(io.err, "kadmer-import: %s: the chart reads its history file, not the day files\n", sym.c_str());
    if (opts.symbol_files) by_symbol[sym].assign(unique.begin() + i, unique.begin() + end);
    if (!opts.day_files) continue;
    char kind = history::kind_letter(c.type);
    for (std::size_t k = i; k < end; ++k)
      if (kind) by_file[{kind, unique[k]->day}].push_back(unique[k]);
      else complain(where(*unique[k]), sym + " of type '" + c.type + "' has no day files: refused"), ++counts.refused;
  }
  std::vector<Merge> merges;
  for (const auto& [sym, list] : by_symbol) merges.push_back(merge_symbol_file(sym, list));
  for (const auto& [file, list] : by_file) merges.push_back(merge_day_file(file.first, file.second, list));
  if (opts.strict && counts.refused) stop_strict();

  std::string table = std::string(generaldir) + "/companys", table_text;
  std::vector<std::string_view> table_lines;
  if (!new_companies.empty() && !read_lines(table, &table_text, &table_lines)) fail(1, "nothing written");

  for (const Merge& m : merges)  // their folders are there: each was made to hold its lock
    if (m.changed && !write_whole(m.path, m.text)) fail(3, "import stopped; the files not yet written are as they were");
  if (!new_companies.empty()) {
    if (!table_text.empty() && table_text.back() != '\n') table_text += '\n';
    if (!write_whole(table, table_text + new_companies)) fail(3, "import stopped before the company table");
  }
  summary();
  return counts.refused || counts.bad || unreadable ? 1 : 0;
}

}  // namespace

int run_import(int argc, char** argv, const ImportIo& with) {
  io = with;
  opts = Options{};
  counts = Counts{};
  quotes.clear();
  companies.clear();
  int status;
  try {
    status = import_files(argc, argv);
  } catch (const Stop& stop) {
    status = stop.status;
  }
  unlock_database();
  return status;
}

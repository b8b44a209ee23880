// kadmer-import round trip: a CSV file into a database whose history and
// day file are fuzzed too. Every day the import says it wrote is read back
// by the loaders with the values it wrote (from the history file, or from
// the day files with and without the seek hint), and every other day a
// known security showed before shows the same after. (Not with the seek
// hint: in a day file out of order, where a hinted search lands depends on
// byte offsets, which any added line moves.)
#include <filesystem>
#include <map>
#include <tuple>

#include "fuzz/support.h"
#include "tools/kadmer-import.h"

namespace {

using Shown = std::tuple<float, float, float, int64_t>;  // high, low, close, volume
using Days = std::map<long, Shown>;                     // by day number

// The trading days the loaders give a security: as the chart reads it, or
// from the day files alone (no history files in the way).
Days shown(const std::string& sym, bool day_files, int hint) {
  copy_text(symboldir, fuzz::root() + (day_files ? "/none" : "/symbols"));
  use_seek_hint = hint;
  copy_text(symbolname, sym);
  Days out;
  if (loadstock() == 0)
    for (int k = 1; k < num_days; ++k) {
      const StockDay& d = stocklist[0].days[k];
      if (!d.nodata) out[d.date / 86400] = {d.high, d.low, d.close, d.volume};
    }
  copy_text(symboldir, fuzz::root() + "/symbols");
  return out;
}

struct View {
  const char* name;
  bool day_files;
  int hint;
};
const View views[] = {{"as the chart reads it", false, 0}, {"from the day files, with the seek hint", true, 1},
                      {"from the day files, without it", true, 0}};

Days view(const std::string& sym, int v) { return shown(sym, views[v].day_files, views[v].hint); }

void fresh_database(const std::vector<std::string>& files) {
  namespace fs = std::filesystem;
  for (const char* dir : {"/symbols", "/days", "/none"}) {
    fs::remove_all(fuzz::root() + dir);
    fs::create_directories(fuzz::root() + dir);
  }
  fuzz::write("symbols/AB", files[2]);
  fuzz::write("days/s991213", files[3]);
  std::string earlier;  // long enough before AB that the next file is searched from a hint
  for (char c = 'A'; c < 'I'; ++c) earlier += std::string("A") + c + ",1, 1, 1, 1\n";
  fuzz::write("days/s991210", earlier + "AB,2, 1, 1.25, 10\nCD,3, 2, 2.25, 20\n");
  fuzz::write("days/s991214", "AB,2, 1, 1.5, 10\nCD,3, 2, 2.5, 20\n");
  fuzz::write("in.csv", files[1]);
  fuzz::standard_tables();
  fuzz::write("kadmer.conf", "generaldir=" + fuzz::root() + "/general\nsymboldir=" + fuzz::root() +
                                 "/symbols\ndaydir=" + fuzz::root() + "/days\n");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::FILE* sink = std::fopen("/dev/null", "w");
  fuzz::fresh_settings();
  std::vector<std::string> files = fuzz::parts(data, size, 4);
  fresh_database(files);
  const char* const known[] = {"AB", "CD", "FUND", "DJ30", "ADV"};
  std::map<std::string, Days> before[3];
  for (int v : {0, 2})
    for (const char* sym : known) before[v][sym] = view(sym, v);

  unsigned control = files[0].empty() ? 0 : static_cast<unsigned char>(files[0][0]);
  std::string config = fuzz::root() + "/kadmer.conf";
  std::vector<std::string> args = {"kadmer-import", "--config", config, "--output",
                                   control % 3 == 0 ? "symbol" : control % 3 == 1 ? "day" : "both"};
  if (control & 4) args.push_back("--replace");
  if (control & 8) args.insert(args.end(), {"--volume-unit", "hundreds"});
  if (control & 16) args.insert(args.end(), {"--symbol", "AB"});
  args.push_back(fuzz::root() + "/in.csv");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  std::vector<ImportWritten> written;
  int status = run_import(static_cast<int>(argv.size()), argv.data(), {sink, sink, &written});
  if (status > 1) std::abort();  // the options are good and the files writable

  fuzz::fresh_settings();
  initial_groups();
  initial_companys();  // with the new companies
  std::map<std::string, std::map<long, bool>> named;  // written days, by symbol
  for (const ImportWritten& w : written) {
    named[w.symbol][w.day] = true;
    bool day_file = w.path.find("/days/") != std::string::npos;
    history::Quote q = w.q;
    history::apply_kind(q, find_co(w.symbol.c_str()));
    for (int v = day_file ? 1 : 0; v < (day_file ? 3 : 1); ++v) {
      Days now = view(w.symbol, v);
      auto it = now.find(w.day);
      if (it == now.end() || it->second != Shown{q.high, q.low, q.close, q.volume}) {
        std::fprintf(stderr, "%s %ld written to %s is not read back %s\n", w.symbol.c_str(), w.day, w.path.c_str(),
                     views[v].name);
        std::abort();
      }
    }
  }
  for (int v : {0, 2})
    for (const char* sym : known) {
      Days now = view(sym, v);
      for (const auto& [day, was] : before[v][sym]) {
        auto it = now.find(day);
        if (!named[sym].count(day) && (it == now.end() || it->second != was)) {
          std::fprintf(stderr, "%s %ld was not written but changed %s\n", sym, day, views[v].name);
          std::abort();
        }
      }
      for (const auto& [day, is] : now)
        if (!named[sym].count(day) && !before[v][sym].count(day)) {
          std::fprintf(stderr, "%s %ld was not written but appeared %s\n", sym, day, views[v].name);
          std::abort();
        }
    }
  return 0;
}

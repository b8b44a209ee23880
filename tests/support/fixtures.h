// Fixtures for in-process tests: every setting starts from its start value,
// in a fresh working directory with a fresh HOME; a small market database
// written by the test is loaded without a display; drawing goes to a
// recorder. Included first.
#pragma once

#include <gtest/gtest.h>

// The system and standard headers the tests use, here once for all of them.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

// The program's headers, likewise.
#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "indicators/indicators.h"
#include "market/market.h"
#include "paint/paint.h"
#include "query/query.h"
#include "support/run.h"
#include "views/views.h"

namespace fs = std::filesystem;

// The geometry of the 6x13 "fixed" font in a window of columns x lines,
// without a display.
inline void fake_window(int columns, int lines) {
  font_width = 6, font_height = 13, font_ascent = 11;
  main_win_width = columns * 6 + 2, main_win_height = lines * 13 + 2;
  calculate_globals();
}

// Drawing into a recorder instead of a display, for as long as it lives.
struct RecordingWindow {
  DrawRecorder rec;
  explicit RecordingWindow(int columns = 100, int lines = 60) {
    install_recorder(&rec);
    fake_window(columns, lines);
    KD_MainWin = 7;
  }
  ~RecordingWindow() {
    install_recorder(nullptr);
    KD_MainWin = 0;
    font_width = font_height = font_ascent = 0;
  }
};

// The recorded operations of one kind and role, in drawing order.
inline std::vector<const DrawOp*> ops_of(const DrawRecorder& rec, DrawOp::Kind kind, Role role) {
  std::vector<const DrawOp*> out;
  for (const DrawOp& op : rec.ops)
    if (op.kind == kind && op.role == role) out.push_back(&op);
  return out;
}

// The time zone TZ for as long as it lives.
struct ScopedTz {
  bool had = std::getenv("TZ") != nullptr;
  std::string saved = had ? std::getenv("TZ") : "";
  explicit ScopedTz(const char* tz) { setenv("TZ", tz, 1), tzset(); }
  ~ScopedTz() { had ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ"), tzset(); }
};

class SettingsTest : public ::testing::Test {
 protected:
  TempDir work, home;
  std::string old_cwd, old_home;

  void SetUp() override {
    old_cwd = std::filesystem::current_path();
    old_home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ASSERT_EQ(0, chdir(work.path().c_str()));
    setenv("HOME", home.path().c_str(), 1);
    reset_settings();
    reset_color_tables();
    debuglvl = stkind = KD_ReverseVideo = 0;
    message_text[0] = config_read[0] = '\0';
  }

  void TearDown() override {
    [[maybe_unused]] int rc = chdir(old_cwd.c_str());
    setenv("HOME", old_home.c_str(), 1);
    reset_settings();
    reset_color_tables();
  }

  // Runs the first configuration pass with these arguments; returns what it
  // wrote to standard error.
  std::string configure(std::vector<std::string> args = {"kadmer"}) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::testing::internal::CaptureStderr();
    parse_config(0, static_cast<int>(args.size()), argv.data());
    return ::testing::internal::GetCapturedStderr();
  }
  // Writes the settings file of the working directory and reads it.
  std::string configure_from(const std::string& file) {
    work.write(".kadmer", file);
    return configure();
  }
  // What `body` writes on standard output with the trace at `level`.
  template <typename Body>
  static std::string traced(Body body, int level = 1) {
    debuglvl = level;
    ::testing::internal::CaptureStdout();
    body();
    debuglvl = 0;
    return ::testing::internal::GetCapturedStdout();
  }
};

// Per-symbol history lines, one a weekday from y-m-d on: high and low
// `spread` around each close; a close of 0 leaves its weekday without a line.
inline std::string history_lines(int y, int m, int d, const std::vector<float>& closes, int volume = 100,
                                 float spread = 0.5f) {
  std::string lines;
  long day = day_number(y, m, d);
  for (float c : closes) {
    while (weekday_of(day) == 0 || weekday_of(day) == 6) ++day;
    int yy, mm, dd;
    civil_date(day++, &yy, &mm, &dd);
    if (c == 0) continue;
    char line[128];
    std::snprintf(line, sizeof line, "%02d%02d%02d, %g, %g, %g, %d\n", yy % 100, mm, dd, c + spread, c - spread, c,
                  volume);
    lines += line;
  }
  return lines;
}

// The stock day files of a folder, sorted by name.
inline std::vector<std::string> stock_day_files(const std::string& dir) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().filename().string()[0] == 's') out.push_back(e.path().string());
  std::sort(out.begin(), out.end());
  return out;
}

// YYMMDD of a loaded day.
inline int yymmdd_of(const StockDay& d) { return d.eyear * 10000 + d.emon * 100 + d.eday; }

class MarketTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    for (const char* d : {"general", "symbols", "days"}) work.mkdir(d);
    copy_text(generaldir, "general");
    copy_text(symboldir, "symbols");
    copy_text(daydir, "days");
    reset_history();
  }
  void TearDown() override {
    reset_history();
    qs.clear(), querynum = 0, query_table_made = false;  // a query's table and steps
    queryextraloaded = querygroupsloaded = querydistrloaded = 0;
    groups.clear(), companys.clear(), nocompany = CompanyRec{};
    num_groups = num_companys = 0;
    SettingsTest::TearDown();
  }
  static void reset_history() {
    free_history();
    num_days = work_days = disp_days = load = adjust_date = stockbuyavol = main_win_width = font_width = 0;
    adjust_ratio = stockbuyprice = 0, whatday = 0, use_seek_hint = 1, load_hooks = {};
  }
  // Writes the two tables and reads them as start-up does.
  void tables(const std::string& groups_file, const std::string& companys_file) {
    work.write("general/groups", groups_file);
    work.write("general/companys", companys_file);
    initial_groups(), initial_companys();
  }
  // Reads the tables of the database in `dir` and loads from its folders.
  void use_database(const std::string& dir) {
    copy_text(generaldir, dir + "/general");
    copy_text(symboldir, dir + "/symbols");
    copy_text(daydir, dir + "/days");
    initial_groups(), initial_companys();
  }
  void day_file(const std::string& name, const std::string& lines) { work.write("days/" + name, lines); }
  void symbol_file(const std::string& sym, const std::string& lines) { work.write("symbols/" + sym, lines); }
  int load_symbol(const char* sym) {
    copy_text(symbolname, sym);
    return loadstock();
  }
  // The loaded days 1 .. num_days - 1.
  std::vector<StockDay> loaded() const {
    if (stocklist.empty() || num_days < 2) return {};
    return std::vector<StockDay>(stocklist[0].days.begin() + 1, stocklist[0].days.begin() + num_days);
  }
  std::vector<WorkDay> shown() const {
    if (worklist.empty()) return {};
    return std::vector<WorkDay>(worklist[0].begin(), worklist[0].begin() + work_days);
  }
  // YYMMDD of each loaded day; an empty day's is negative.
  std::vector<int> loaded_dates() const { return dates(loaded()); }
  static std::vector<int> dates(const std::vector<StockDay>& days) {
    std::vector<int> out;
    for (const StockDay& d : days) out.push_back((d.nodata ? -1 : 1) * yymmdd_of(d));
    return out;
  }
};

// That a CSV field is the shortest text of v: the value of "%g" with six
// significant digits and more until it reads back as v (or within `near`
// of it), signed only below 0 (no "-0"), without an exponent from 1 up.
template <typename T>
::testing::AssertionResult shortest_text(const std::string& field, T v, double near = 0) {
  char text[64], *end;
  for (int digits = 6; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(v));
    T back = static_cast<T>(sizeof(T) == sizeof(float) ? std::strtof(text, &end) : std::strtod(text, &end));
    if (back == v || std::fabs(back - v) <= near) break;
  }
  bool same = std::strtod(field.c_str(), &end) == std::strtod(text, nullptr) && end > field.c_str() && !*end;
  if (same && (field[0] == '-') == (v < 0) && (std::fabs(v) < 1 || field.find('e') == field.npos))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\"" << field << "\" for " << text;
}

inline StockDay quote_day(float high, float low, float close, int volume = 0) {
  StockDay s{};
  s.high = high, s.low = low, s.close = close, s.volume = volume;
  return s;
}

// Charts drawn into the recorder, with the geometry of the 6x13 "fixed" font
// in a 100 x 60 character window.
class ChartTest : public MarketTest {
 protected:
  RecordingWindow screen;
  DrawRecorder& rec = screen.rec;
  void SetUp() override {
    MarketTest::SetUp();
    fake_window(100, 60);  // again: the market fixture cleared the font
    mark = buyvolume = arrow_index = queryflag = 0, chart_drawn_to = 0, member_gc = nullptr;
  }
  // Loads one weekday line a day from 2 Jan 1995 with these closes (0: no line).
  void history(const std::vector<float>& c, int volume = 100) { load_lines(history_lines(1995, 1, 2, c, volume)); }
  // Loads AB from these lines of its history file.
  void load_lines(const std::string& lines) {
    symbol_file("AB", lines);
    load();
  }
  void load(const char* sym = "AB") {
    ASSERT_EQ(0, load_symbol(sym));
    calculate_globals();
    rec.ops.clear();
  }
  // The price chart in one price type.
  void draw(int type) {
    pricetype = type;
    rec.ops.clear();
    draw_stock();
  }
  static int x_of(int day) { return xlb_indent + (day + 1) * day_pixel_space; }
  std::vector<const DrawOp*> ops(DrawOp::Kind kind, Role role) const { return ops_of(rec, kind, role); }
  // The texts drawn, or those drawn at x.
  std::vector<std::string> texts(int x = -1) const {
    std::vector<std::string> out;
    for (const DrawOp* t : rec.texts())
      if (x == -1 || t->x == x) out.push_back(t->text);
    return out;
  }
};

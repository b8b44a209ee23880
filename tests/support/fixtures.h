// Fixtures for in-process tests of the settings: every setting starts from
// its start value, in a fresh working directory with a fresh HOME.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "chart/chart.h"
#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "support/run.h"
#include "ui/draw.h"
#include "ui/ui.h"

// The geometry of the 6x13 "fixed" font in a window of columns x lines,
// without a display.
inline void fake_window(int columns, int lines) {
  font_width = 6;
  font_height = 13;
  font_ascent = 11;
  main_win_width = columns * 6 + 2;
  main_win_height = lines * 13 + 2;
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
    char buf[4096];
    old_cwd = getcwd(buf, sizeof buf) ? buf : "/";
    const char* h = std::getenv("HOME");
    old_home = h ? h : "";
    ASSERT_EQ(0, chdir(work.path().c_str()));
    setenv("HOME", home.path().c_str(), 1);
    reset_settings();
    reset_color_tables();
    debuglvl = 0;
    stkind = 0;
    KD_ReverseVideo = 0;
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

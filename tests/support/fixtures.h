// Fixtures for in-process tests of the settings: every setting starts from
// its start value, in a fresh working directory with a fresh HOME.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "core/core.h"
#include "support/run.h"
#include "ui/ui.h"

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
};

// The command line through the X resource manager.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "core/core.h"
#include "support/fixtures.h"
#include "support/run.h"
#include "ui/ui.h"

namespace {

class CommandLine : public SettingsTest {
 protected:
  std::vector<std::string> args;
  std::vector<char*> argv;  // parse_args keeps pointers into it
  void parse(std::vector<std::string> a) {
    args = std::move(a);
    args.insert(args.begin(), "./some/other/name");
    argv.clear();
    for (std::string& s : args) argv.push_back(s.data());
    argv.push_back(nullptr);
    parse_args(static_cast<int>(args.size()), argv.data());
  }
};

TEST_F(CommandLine, GeometrySetsSizeAndSignedPosition) {
  parse({"-geometry", "80x50+10-20"});
  EXPECT_EQ(80, width);
  EXPECT_EQ(50, height);
  EXPECT_EQ(10, xpos);
  EXPECT_EQ(-20, ypos);
}

TEST_F(CommandLine, PartialGeometryChangesOnlyWhatItGives) {
  parse({"-geometry", "90x40"});
  EXPECT_EQ(90, width);
  EXPECT_EQ(40, height);
  EXPECT_EQ(0, xpos);
  parse({"-geometry", "-5+7"});
  EXPECT_EQ(90, width);
  EXPECT_EQ(-5, xpos);
  EXPECT_EQ(7, ypos);
}

TEST_F(CommandLine, SwitchesAndValues) {
  parse({"-iconic", "-sync", "-rv", "-bw", "3", "-width", "70", "-height", "44", "-fn", "6x13",
         "-ib", "/tmp/icon.xbm", "-d", ":5"});
  EXPECT_EQ(3, KD_StartupIconic);
  EXPECT_EQ(1, syncflag);
  EXPECT_EQ(1, KD_ReverseVideo);
  EXPECT_EQ(3, KD_BorderWidth);
  EXPECT_EQ(70, width);
  EXPECT_EQ(44, height);
  EXPECT_STREQ("6x13", KD_FontName);
  EXPECT_STREQ("/tmp/icon.xbm", KD_IconFile);
  EXPECT_STREQ(":5", KD_DisplayName);
  EXPECT_STREQ("kadmer", argv[0]);  // resources are named after the program
}

TEST_F(CommandLine, DefaultsWhenNothingIsGiven) {
  KD_BorderWidth = 7;
  parse({});
  EXPECT_EQ(1, KD_StartupIconic);
  EXPECT_EQ(0, KD_ReverseVideo);
  EXPECT_EQ(1, KD_BorderWidth);
  EXPECT_STREQ("fixed", KD_FontName);
  EXPECT_STREQ("", KD_DisplayName);
  EXPECT_STREQ("", KD_IconFile);
}

TEST_F(CommandLine, TraceOptionIsConsumedHere) {
  parse({"-t", "1"});  // would end in usage if it stayed behind
  EXPECT_EQ(100, width);
}

TEST_F(CommandLine, ColourOptionsOverrideTheFileAndFollowReverseVideo) {
  work.write(".kadmer", "closecolor=green\ngraphcolor=yellow\n");
  configure();
  parse({"-cc", "red", "-bg", "navy", "-qp", "orange", "-qn", "cyan", "-cG", "gray", "-cm", "pink",
         "-cr", "gold", "-fg", "wheat", "-bc", "tan"});
  EXPECT_STREQ("red", colors_vr[COLOR_CLOSE].name);
  EXPECT_STREQ("yellow", colors_vr[COLOR_GRAPH].name);
  EXPECT_STREQ("navy", colors_vr[COLOR_BACKGROUND].name);
  EXPECT_STREQ("orange", colors_vr[COLOR_QUERYPOS].name);
  EXPECT_STREQ("cyan", colors_vr[COLOR_QUERYNEG].name);
  EXPECT_STREQ("gray", colors_vr[COLOR_GRID].name);
  EXPECT_STREQ("pink", colors_vr[COLOR_MVAVG].name);
  EXPECT_STREQ("gold", colors_vr[COLOR_RANGE].name);
  EXPECT_STREQ("wheat", colors_vr[COLOR_FOREGROUND].name);
  EXPECT_STREQ("tan", colors_vr[COLOR_BORDER].name);

  reset_color_tables();
  parse({"-rv", "-cc", "red"});
  EXPECT_STREQ("red", colors_rv[COLOR_CLOSE].name);
  EXPECT_STREQ("white", colors_vr[COLOR_CLOSE].name);
}

// ---- usage, from the real binary ----

const char* const usage_text =
    "kadmer: [-d name] display\n"
    "\t[-display name] display\n"
    "\t[-t tracelvl]   debuging level\n"
    "\t[-bg color]     background color\n"
    "\t[-fg color]     foreground color\n"
    "\t[-bc color]     border color\n"
    "\t[-cg color]     graph color\n"
    "\t[-cG color]     grid color\n"
    "\t[-cm color]     moving avg color\n"
    "\t[-cr color]     hi-low-range color\n"
    "\t[-cc color]     close color\n"
    "\t[-bw width]     border width\n"
    "\t[-fn name]      font name\n"
    "\t[-sync]         force sync protocol\n"
    "\t[-rv]           reverse video\n"
    "\t[-ib file]      icon bitmap file\n"
    "\t[-iconic]       startup iconic\n"
    "\t[-width num]    width in chars\n"
    "\t[-height num]   height in chars\n";

class Usage : public ::testing::TestWithParam<std::vector<std::string>> {};

std::string args_name(const ::testing::TestParamInfo<std::vector<std::string>>& info) {
  std::string name;
  for (const std::string& a : info.param)
    for (char c : a) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

TEST_P(Usage, UnknownOptionsAndStrayArgumentsPrintUsageAndExitOne) {
  TempDir dir;
  RunOptions o;
  o.cwd = dir.path();
  o.env = {"HOME=" + dir.path()};
  RunResult r = run_program(kadmer_bin(), GetParam(), o);
  EXPECT_EQ(1, r.status);
  EXPECT_EQ(usage_text, r.err);
}

INSTANTIATE_TEST_SUITE_P(BadCommandLines, Usage,
                         ::testing::Values(std::vector<std::string>{"-x"},
                                           std::vector<std::string>{"stray"},
                                           std::vector<std::string>{"-t", "1", "-x"},
                                           std::vector<std::string>{"-rv", "-geometry", "80x50", "extra"}),
                         args_name);

}  // namespace

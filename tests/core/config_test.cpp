// The configuration file: keys, blanks, switches, invalid lines, where the
// file is found, and bad input.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/core.h"
#include "support/fixtures.h"
#include "ui/ui.h"

using ConfigFile = SettingsTest;

TEST_F(ConfigFile, BlanksAroundTheKeyAndAfterTheEqualsSignDoNotMatter) {
  for (const char* line : {"width=120", "width = 120", "   width   =   120", "\twidth\t=\t120"}) {
    width = 100;
    work.write(".kadmer", std::string(line) + "\n");
    EXPECT_EQ("", configure()) << line;
    EXPECT_EQ(120, width) << line;
  }
}

TEST_F(ConfigFile, KeysAreCaseSensitiveAndUnknownKeysAreSilent) {
  work.write(".kadmer", "Width=120\nnosuchkey=5\n");
  EXPECT_EQ("", configure());
  EXPECT_EQ(100, width);
}

TEST_F(ConfigFile, LinesWithoutEqualsSignAreReportedAndSkipped) {
  work.write(".kadmer", "width 120\n\nheight=70\n# a comment\n");
  EXPECT_EQ("kadmer: line width 120 is invalid\nkadmer: line  is invalid\n", configure());
  EXPECT_EQ(100, width);
  EXPECT_EQ(70, height);
}

TEST_F(ConfigFile, SwitchKeysIgnoreTheirValue) {
  work.write(".kadmer", "mvavg=no\nfib=\nvolturnover=off\nbollinger=0\ntrack=x\ngrid=no\n");
  configure();
  EXPECT_EQ(1, mvavgflag);
  EXPECT_EQ(1, fibflag);
  EXPECT_EQ(1, volflag);
  EXPECT_EQ(1, bollingerflag);
  EXPECT_EQ(1, trackstate);
  EXPECT_EQ(1, gridstate);
}

TEST_F(ConfigFile, NumbersCharactersAndTextKeys) {
  work.write(".kadmer",
             "extendday=5\nfibtop=0.8\nfibbot=0.1\nfibpolar=-\nfibhigh=0.7\nfiblow=0.3\n"
             "stdev=2.5\nmvavgtype=3\nmvavgdays=21\nstochdays=14\ngraphtype=2\nxpos=-10\n"
             "ypos=20\nheight=40\ngraphadv=5\nraxis=%\nlaxis=n\nformat=f\nbroker=discount\n"
             "daydir=/data/days\nsymboldir=/data/sym\ngeneraldir=/data/gen\nprintpath=/tmp/out\n");
  configure();
  EXPECT_EQ(5, extendday);
  EXPECT_FLOAT_EQ(0.8f, fibtop);
  EXPECT_FLOAT_EQ(0.1f, fibbot);
  EXPECT_EQ('-', fibpolar);
  EXPECT_FLOAT_EQ(0.7f, fibhigh);
  EXPECT_FLOAT_EQ(0.3f, fiblow);
  EXPECT_FLOAT_EQ(2.5f, bolstd);
  EXPECT_EQ(3, mvavgtype);
  EXPECT_EQ(21, mvavgdays);
  EXPECT_EQ(14, stochdays);
  EXPECT_EQ(2, graph_type);
  EXPECT_EQ(-10, xpos);
  EXPECT_EQ(20, ypos);
  EXPECT_EQ(40, height);
  EXPECT_EQ(5, graph_adv);
  EXPECT_EQ('%', raxis);
  EXPECT_EQ('n', laxis);
  EXPECT_EQ('f', format);
  EXPECT_EQ('d', broker);
  EXPECT_STREQ("/data/days", daydir);
  EXPECT_STREQ("/data/sym", symboldir);
  EXPECT_STREQ("/data/gen", generaldir);
  EXPECT_STREQ("/tmp/out", printpath);
}

TEST_F(ConfigFile, ValuesThatDoNotScanLeaveTheSetting) {
  work.write(".kadmer",
             "width=\nheight=tall\nstdev=wide\nfibpolar=\nmvavgdays=99999999999999\n"
             "fibtop=nan\ndaydir=\n");
  EXPECT_EQ("", configure());
  EXPECT_EQ(100, width);
  EXPECT_EQ(60, height);
  EXPECT_FLOAT_EQ(0.0f, bolstd);
  EXPECT_EQ('+', fibpolar);
  EXPECT_EQ(0, mvavgdays);
  EXPECT_FLOAT_EQ(0.75f, fibtop);
  EXPECT_STREQ("/", daydir);
}

TEST_F(ConfigFile, ColoursGoToTheTableOfTheVideoMode) {
  work.write(".kadmer", "closecolor=red\nbackground = navy \nhlccolor=yellow\n");
  configure();
  EXPECT_STREQ("red", colors_vr[COLOR_CLOSE].name);
  EXPECT_STREQ("navy ", colors_vr[COLOR_BACKGROUND].name);  // trailing blanks stay
  EXPECT_STREQ("yellow", colors_vr[COLOR_HIGHLIGHT].name);
  EXPECT_STREQ("white", colors_rv[COLOR_BACKGROUND].name);

  reset_color_tables();
  configure({"kadmer", "-fn", "fixed", "-rv"});
  EXPECT_STREQ("red", colors_rv[COLOR_CLOSE].name);
  EXPECT_STREQ("white", colors_vr[COLOR_CLOSE].name);
}

TEST_F(ConfigFile, ColourNamesLongerThanTheFieldAreCut) {
  work.write(".kadmer", "gridcolor=" + std::string(40, 'q') + "\n");
  configure();
  EXPECT_EQ(std::string(15, 'q'), colors_vr[COLOR_GRID].name);
}

TEST_F(ConfigFile, GroupLinesAreCountedInTheFirstPass) {
  work.write(".kadmer", "group=TECH AB CD\ngroup = MINE XY\n");
  configure();
  EXPECT_EQ(2, grpcnt);
}

TEST_F(ConfigFile, TheFileInTheWorkingDirectoryWinsOverHome) {
  home.write(".kadmer", "width=90\nheight=50\n");
  configure();
  EXPECT_EQ(90, width);
  EXPECT_EQ(50, height);

  reset_settings();
  work.write(".kadmer", "width=80\n");
  configure();
  EXPECT_EQ(80, width);
  EXPECT_EQ(60, height);  // the home file is not read at all
}

TEST_F(ConfigFile, NoFileAnywhereKeepsTheDefaults) {
  unsetenv("HOME");
  EXPECT_EQ("", configure());
  EXPECT_EQ(100, width);
}

TEST_F(ConfigFile, AnUnterminatedLastLineKeepsItsLastCharacter) {
  work.write(".kadmer", "height=70\nwidth=123");
  configure();
  EXPECT_EQ(123, width);
  EXPECT_EQ(70, height);
}

TEST_F(ConfigFile, BinaryGarbageNeitherCrashesNorChangesSettings) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919 + 13) % 256);
  work.write(".kadmer", garbage + "\nwidth=77\n");
  configure();
  EXPECT_EQ(77, width);
  EXPECT_EQ(60, height);
}

TEST_F(ConfigFile, AHundredKilobyteLineIsCutNotOverflowed) {
  work.write(".kadmer", "printpath=" + std::string(100000, 'p') + "\nwidth=81\n" +
                            std::string(100000, 'x') + "\n");
  std::string err = configure();
  EXPECT_EQ(1023u, std::strlen(printpath));
  EXPECT_EQ(81, width);
  // The long line without '=' is reported once, cut to the line buffer.
  EXPECT_EQ(0u, err.find("kadmer: line xxx"));
  EXPECT_EQ(err.find("is invalid\n"), err.rfind("is invalid\n"));
  EXPECT_LT(err.size(), 66000u);
}

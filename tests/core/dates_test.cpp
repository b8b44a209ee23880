// Start dates: the last weekday before today, whatever the weekday, the year
// or the time zone; and the move to the newest day file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "support/fixtures.h"

namespace {

time_t fake_now;
time_t fake_clock() { return fake_now; }

// Local noon, or late evening, of a calendar day in the current zone.
time_t local_time(int y, int m, int d, int hour) {
  struct tm t = {};
  t.tm_year = y - 1900;
  t.tm_mon = m - 1;
  t.tm_mday = d;
  t.tm_hour = hour;
  t.tm_isdst = -1;
  return mktime(&t);
}

struct StartCase {
  int y, m, d;           // the day kadmer starts
  int edate, sdate;      // queryedate and marketsday, MMDDYY
};

class StartDates : public SettingsTest,
                   public ::testing::WithParamInterface<std::tuple<StartCase, const char*>> {
 protected:
  std::string old_tz;
  void SetUp() override {
    SettingsTest::SetUp();
    const char* tz = std::getenv("TZ");
    old_tz = tz ? tz : "";
    setenv("TZ", std::get<1>(GetParam()), 1);
    tzset();
    kd_clock = fake_clock;
  }
  void TearDown() override {
    if (old_tz.empty()) unsetenv("TZ");
    else setenv("TZ", old_tz.c_str(), 1);
    tzset();
    kd_clock = [] { return time(nullptr); };
    SettingsTest::TearDown();
  }
};

TEST_P(StartDates, EndDatesAreTheLastWeekdayBeforeToday) {
  const StartCase& c = std::get<0>(GetParam());
  for (int hour : {0, 12, 23}) {
    fake_now = local_time(c.y, c.m, c.d, hour);
    initial_vars();
    EXPECT_EQ(c.edate, queryedate) << c.y << "-" << c.m << "-" << c.d << " at " << hour;
    EXPECT_EQ(c.edate, querysdate);
    EXPECT_EQ(c.edate, querycdate);
    EXPECT_EQ(c.edate, marketeday);
    EXPECT_EQ(c.sdate, marketsday) << c.y << "-" << c.m << "-" << c.d << " at " << hour;
  }
}

INSTANTIATE_TEST_SUITE_P(
    WeekdaysYearsAndZones, StartDates,
    ::testing::Combine(
        ::testing::Values(StartCase{2026, 12, 6, 120426, 120326},   // Sunday
                          StartCase{2026, 12, 7, 120426, 120326},   // Monday
                          StartCase{2026, 12, 8, 120726, 120426},   // Tuesday
                          StartCase{2026, 12, 9, 120826, 120726},   // Wednesday
                          StartCase{2026, 12, 10, 120926, 120826},  // Thursday
                          StartCase{2026, 12, 11, 121026, 120926},  // Friday
                          StartCase{2026, 12, 12, 121126, 121026},  // Saturday
                          StartCase{2000, 1, 3, 123199, 123099},    // Monday after the century turn
                          StartCase{2001, 1, 2, 10101, 122900},     // Tuesday, year 01
                          StartCase{1995, 12, 5, 120495, 120195}),  // Tuesday in 1995
        ::testing::Values("UTC", "America/New_York", "Europe/Berlin", "Asia/Tokyo")));

TEST_F(SettingsTest, InitialVarsClearsTheTextSettings) {
  copy_text(symbolname, "ABC");
  copy_text(comblist, "smrtv");
  copy_text(daydir, "/x");
  marketdisp = 'n';
  initial_vars();
  EXPECT_STREQ("", symbolname);
  EXPECT_STREQ("sr", comblist);
  EXPECT_STREQ("/", daydir);
  EXPECT_STREQ("    ", adln_disp);
  EXPECT_STREQ("A", distr_screen);
  EXPECT_EQ(' ', marketdisp);
}

// ---- the day-file check ----

class DayFiles : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    work.mkdir("days");
    queryedate = querysdate = querycdate = marketeday = 120426;
    marketsday = 120326;
  }
  void check(const std::string& config = "daydir=days\n") {
    work.write(".kadmer", config);
    configure();
  }
  void expect_dates(int end, int start) {
    EXPECT_EQ(end, queryedate);
    EXPECT_EQ(end, querysdate);
    EXPECT_EQ(end, querycdate);
    EXPECT_EQ(end, marketeday);
    EXPECT_EQ(start, marketsday);
  }
};

TEST_F(DayFiles, TheNewestTwoDayFilesGiveTheDates) {
  work.write("days/s951201", "");
  work.write("days/s951204", "");
  work.write("days/f951205", "");  // only stock files count
  check();
  expect_dates(120495, 120195);
}

TEST_F(DayFiles, ASingleDayFileGivesBothDates) {
  work.write("days/s951204", "");
  check();
  expect_dates(120495, 120495);
}

TEST_F(DayFiles, FilesOnBothSidesOfTheCenturyTurnSortByFullYear) {
  for (const char* f : {"s991230", "s991231", "s000103", "s981231"}) work.write(std::string("days/") + f, "");
  check();
  expect_dates(10300, 123199);
}

TEST_F(DayFiles, AFileForTheDefaultEndDateKeepsTheDates) {
  work.write("days/s261204", "");
  work.write("days/s270105", "");
  check();
  expect_dates(120426, 120326);
}

TEST_F(DayFiles, AMissingDirectoryKeepsTheDates) {
  check("daydir=nosuchdir\n");
  expect_dates(120426, 120326);
}

TEST_F(DayFiles, NamesThatAreNoValidDatesAreIgnored) {
  for (const char* f : {"s1", "s99999999", "sabcdef", "s991332", "s990230", "s95120x", "S951204",
                        "s-51204"})
    work.write(std::string("days/") + f, "");
  check();
  expect_dates(120426, 120326);
  work.write("days/s950601", "");
  check();
  expect_dates(60195, 60195);
}

TEST_F(DayFiles, ThousandsOfUnrelatedFilesAreSkipped) {
  for (int i = 0; i < 3000; ++i) work.write("days/x" + std::to_string(i), "");
  work.write("days/s960102", "");
  check();
  expect_dates(10296, 10296);
}

}  // namespace

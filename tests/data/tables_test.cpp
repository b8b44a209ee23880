// The group and company tables and the groups of the configuration file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/market.h"

namespace {

using Tables = MarketTest;

const char* const some_groups =
    "# number:name:code:\n"
    "1:Technology:tech:\n"
    "2:Drugs:DRUG:\n"
    "10:Telecom:TELE:ignored:text\n";

TEST_F(Tables, SparseGroupNumbersLeaveFreeSlots) {
  tables(some_groups, "");
  EXPECT_EQ(10, num_groups);
  ASSERT_EQ(11u, groups.size());
  EXPECT_EQ(0, groups[0].num);
  EXPECT_EQ(1, groups[1].num);
  EXPECT_STREQ("TECH", groups[1].code);  // upper case
  EXPECT_STREQ("Technology", groups[1].name);
  for (int n = 3; n <= 9; ++n) EXPECT_EQ(0, groups[n].num) << n;
  EXPECT_EQ(10, groups[10].num);
  EXPECT_STREQ("TELE", groups[10].code);
  EXPECT_EQ(10, find_grpnum("TELE"));
  EXPECT_EQ(-1, find_grpnum("tele"));  // exact and case-sensitive
  EXPECT_EQ(-1, find_grpnum("TEL"));
}

TEST_F(Tables, MalformedGroupLinesAreIgnored) {
  tables("0:Zero:ZERO:\n-3:Minus:MINUS:\nabc:Letters:ABC:\n4 no colon\n5:OnlyName\n"
         "6:NoCode:\n999999999:Huge:HUGE:\n7:Kept:KEPT:\n",
         "");
  EXPECT_EQ(7, num_groups);
  EXPECT_EQ(0, groups[5].num);
  EXPECT_EQ(6, groups[6].num);  // number and name kept, code empty
  EXPECT_STREQ("", groups[6].code);
  EXPECT_STREQ("NoCode", groups[6].name);
  EXPECT_EQ(7, groups[7].num);
}

TEST_F(Tables, LongNamesAndCodesAreCut) {
  tables("1:" + std::string(100, 'n') + ":" + std::string(30, 'c') + ":\n", "");
  EXPECT_EQ(72u, std::strlen(groups[1].name));
  EXPECT_EQ(std::string(16, 'C'), groups[1].code);
}

TEST_F(Tables, CompanyLinesAreParsedAndGroupsJoinedByPrefix) {
  tables(some_groups + std::string("3:Teachers:TEACH:\n"),
         "AB:Alpha Beta Corp:S:N:TECH,DRUG:950310-12500:\n"
         "CD:Charlie:S:A:te:960101-5:\n"
         "EF:Echo:M:O::970202-7:\n"
         "GH:Golf:S:N:DRUG,,NOSUCH:980303-9:\n");
  ASSERT_EQ(4, num_companys);
  const CompanyRec& ab = find_co("AB");
  EXPECT_EQ('S', ab.type);
  EXPECT_EQ('N', ab.market);
  EXPECT_STREQ("Alpha Beta Corp", ab.name);
  EXPECT_EQ(1, ab.group[0]);
  EXPECT_EQ(2, ab.group[1]);
  EXPECT_EQ(0, ab.group[2]);
  EXPECT_EQ(950310, ab.dateshares);
  EXPECT_EQ(12500, ab.shares);
  EXPECT_EQ(day_key(1995, 3, 10), ab.sharestime);
  EXPECT_EQ(1, find_co("CD").group[0]);    // TE: the lowest group in use beginning with it
  EXPECT_EQ(0, find_co("EF").group[0]);    // no groups
  const CompanyRec& gh = find_co("GH");
  EXPECT_EQ(2, gh.group[0]);
  EXPECT_EQ(1, gh.group[1]);               // the empty code joins the lowest group in use
  EXPECT_EQ(0, gh.group[2]);               // an unknown code leaves its slot empty
  EXPECT_EQ(3, groups[1].count);
  EXPECT_EQ(2, groups[2].count);
  EXPECT_EQ(3, maxgrpcnt);
  EXPECT_EQ(3u, grplist.size());
}

TEST_F(Tables, MalformedCompanyLinesAreDropped) {
  tables(some_groups,
         "# comment\n"
         "OK1:Kept:S:N:TECH:950310-1:\n"
         "NOEND:No final colon:S:N:TECH:950310-1\n"
         "NODASH:No dash:S:N:TECH:950310:\n"
         "SHORT:Too few fields:S:\n"
         "OK2:Blank groups:S:N: TECH:950310-2:trailing text\n"
         "\n"  // a blank line does not end the table
         "OK3:::::000103-3:\n"
         "OK4:Six groups:S:N:TECH,DRUG,TELE,TE,DR,TEL:950310-4:\n");
  EXPECT_EQ(4, num_companys);
  EXPECT_EQ(0, find_co("OK2").group[0]);  // a group field starting with a blank is ignored
  const CompanyRec& ok3 = find_co("OK3");
  EXPECT_EQ(' ', ok3.type);
  EXPECT_EQ(' ', ok3.market);
  EXPECT_EQ(day_key(2000, 1, 3), ok3.sharestime);
  EXPECT_EQ(103, ok3.dateshares);
  EXPECT_EQ(10, find_co("OK4").group[2]);
  EXPECT_EQ(2, find_co("OK4").group[4]);
  EXPECT_EQ(1, groups[10].count);  // five slots: the sixth code, TEL, is ignored
  for (const char* dropped : {"NOEND", "NODASH", "SHORT"})
    EXPECT_EQ(&nocompany, &find_co(dropped)) << dropped;
}

TEST_F(Tables, SymbolKeysOrderTheTableAndFindEverySymbol) {
  EXPECT_EQ(0u, symbol_key("."));
  EXPECT_EQ(19u, symbol_key("A"));
  EXPECT_EQ(19u * 45 + 20, symbol_key("AB"));
  EXPECT_LT(symbol_key("ZZZZ"), symbol_key("AAAAA"));
  // Symbols of six or more characters wrap; keys 2^31 apart must still sort
  // and be found.
  std::string lines;
  std::vector<std::string> syms = {"A", "IBM", "ZZZZZ", "ABCDEF", "ZZZZZZZ", "XYZW.A", "BRK.B", "Q", "AAAAAAAA"};
  for (const std::string& s : syms) lines += s + ":" + s + " Inc:S:N::950101-1:\n";
  tables("", lines);
  ASSERT_EQ(static_cast<int>(syms.size()), num_companys);
  for (int i = 1; i < num_companys; ++i) EXPECT_LE(companys[i - 1].key, companys[i].key);
  for (const std::string& s : syms) EXPECT_STREQ(s.c_str(), find_co(s.c_str()).symbol) << s;
}

TEST_F(Tables, UnknownSymbolsReturnNocompanyCarryingTheSymbol) {
  tables(some_groups, "AB:Alpha:S:N:TECH:950310-1:\n");
  CompanyRec& c = find_co("XYZ");
  EXPECT_EQ(&nocompany, &c);
  EXPECT_STREQ("XYZ", c.symbol);
  EXPECT_EQ(0, c.shares);
  EXPECT_STREQ("ABCDEFGH", find_co("ABCDEFGHIJKLMNOPQRST").symbol);  // cut to the field
  tables("", "");
  EXPECT_EQ(&nocompany, &find_co("AB"));  // an empty table finds nothing
}

TEST_F(Tables, SymbolsLongerThanTheFieldAreCut) {
  tables("", "ABCDEFGHIJKLMNOPQRST:Long:S:N::950101-1:\n");
  ASSERT_EQ(1, num_companys);
  EXPECT_STREQ("ABCDEFGH", companys[0].symbol);
}

TEST_F(Tables, MissingFilesGiveEmptyTables) {
  copy_text(generaldir, "nosuchdir");
  initial_groups();
  initial_companys();
  EXPECT_EQ(0, num_groups);
  EXPECT_EQ(0, num_companys);
  EXPECT_EQ(0, maxgrpcnt);
}

// ---- groups from the configuration file ----

class ConfigGroups : public MarketTest {
 protected:
  void start(const std::string& config) {
    work.write(".kadmer", config);
    configure();
    tables("1:Tech:TECH:\n2:Drugs:DRUG:\n10:Tele:TELE:\n",
           "XX:X:S:N:TECH:950101-1:\nYY:Y:S:N::950101-1:\nZ:Z:S:N:TECH,DRUG,TELE,TECH,DRUG:950101-1:\n"
           "Q:Q:S:N::950101-1:\n");
  }
};

TEST_F(ConfigGroups, AGroupLineCreatesTheGroupInTheLowestFreeSlot) {
  start("group = ENERGY XX  YY Z NOSUCH\n");
  EXPECT_EQ(0, grpcnt);
  EXPECT_EQ(3, groups[3].num);
  EXPECT_STREQ("ENERGY", groups[3].code);
  EXPECT_STREQ("ENERGY", groups[3].name);
  EXPECT_EQ(3, find_co("XX").group[1]);
  EXPECT_EQ(3, find_co("YY").group[0]);
  EXPECT_EQ(2, groups[3].count);     // XX and YY; Z has no free slot
  EXPECT_EQ(0, nocompany.group[0]);  // unknown members join nothing
  EXPECT_EQ(3, maxgrpcnt);           // TECH: XX and Z twice
}

// The group lines send the file through a second pass, which must leave
// what the command line set after the first one.
TEST_F(ConfigGroups, TheSecondPassOnlyCreatesGroups) {
  work.write(".kadmer", "background = red\nwidth = 50\nmvavgdays = 9\ngroup = MINE XX\nno equals sign\n");
  std::string err = configure();
  width = 80;  // as -width 80 and -bg blue would
  set_color_name(colors_vr, COLOR_BACKGROUND, "blue");
  mvavgdays = 30;
  testing::internal::CaptureStderr();
  tables("1:Tech:TECH:\n3:Oil:OIL:\n", "XX:X:S:N::950101-1:\n");
  EXPECT_EQ("", testing::internal::GetCapturedStderr());  // the bad line was reported once, by the first pass
  EXPECT_NE(std::string::npos, err.find("no equals sign"));
  EXPECT_EQ(80, width);
  EXPECT_STREQ("blue", colors_vr[COLOR_BACKGROUND].name);
  EXPECT_EQ(30, mvavgdays);
  EXPECT_EQ(2, find_grpnum("MINE"));
}

TEST_F(ConfigGroups, AFullCompanyKeepsItsGroups) {
  start("group=MINE Z\n");
  EXPECT_EQ(3, groups[3].num);
  EXPECT_EQ(0, groups[3].count);
  EXPECT_EQ(2, find_co("Z").group[4]);
}

TEST_F(ConfigGroups, SevenFreeSlotsThenTheSpaceIsFull) {
  std::string config;
  for (int i = 0; i < 8; ++i) config += "group=G" + std::to_string(i) + " XX\n";
  debuglvl = 1;
  testing::internal::CaptureStdout();
  start(config);
  std::string trace = testing::internal::GetCapturedStdout();
  for (int n = 3; n <= 9; ++n) EXPECT_EQ(n, groups[n].num);
  EXPECT_STREQ("G6", groups[9].code);
  EXPECT_NE(std::string::npos, trace.find("msg=create_group: group space full\n"));
}

TEST_F(ConfigGroups, AGroupWithoutMembersIsInvalid) {
  debuglvl = 1;
  testing::internal::CaptureStdout();
  start("group=ENERGY\n");
  std::string trace = testing::internal::GetCapturedStdout();
  EXPECT_EQ(0, groups[3].num);
  EXPECT_NE(std::string::npos, trace.find("msg=create_group: invalid group (ENERGY)\n"));
}

TEST_F(ConfigGroups, OneCharacterMembersAreWords) {
  start("group=SMALL Q\n");
  EXPECT_EQ(1, groups[3].count);
  EXPECT_EQ(3, find_co("Q").group[0]);
}

}  // namespace

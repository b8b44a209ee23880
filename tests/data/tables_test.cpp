// The group and company tables and the groups of the configuration file.

#include "support/fixtures.h"

namespace {

using Tables = MarketTest;

const char* const some_groups = "# number:name:code:\n1:Technology:tech:\n2:Drugs:DRUG:\n10:Telecom:TELE:ignored:text\n";

TEST_F(Tables, GroupNumbersIndexTheTableUpTo100000AndBadLinesAreIgnored) {
  tables(some_groups + std::string("0:Zero:ZERO:\n-3:Minus:MINUS:\nabc:Letters:ABC:\n4 no colon\n5:OnlyName\n"
                                   "6:NoCode:\n999999999:Huge:HUGE:\n7:" +
                                   std::string(100, 'n') + ":" + std::string(30, 'c') + ":\n"), "");
  ASSERT_EQ(11u, groups.size());
  std::vector<std::string> table;  // number, code and name; free slots have number 0
  for (const GroupRec& g : groups) table.push_back(std::to_string(g.num) + " " + g.code + " " + g.name);
  EXPECT_EQ((std::vector<std::string>{"0  ", "1 TECH Technology", "2 DRUG Drugs", "0  ", "0  ", "0  ", "6  NoCode",
                                      "7 " + std::string(16, 'C') + " " + std::string(72, 'n'), "0  ", "0  ",
                                      "10 TELE Telecom"}), table);  // codes upper case, long names and codes cut
  // Codes are found exactly and case-sensitively.
  EXPECT_EQ((std::array{10, 10, -1, -1}), (std::array{num_groups, find_grpnum("TELE"), find_grpnum("tele"), find_grpnum("TEL")}));

  tables("100001:Refused:NO:\n100000:Highest:TOP:\n", "");
  EXPECT_EQ((std::array{100000, 100000, -1}), (std::array{num_groups, find_grpnum("TOP"), find_grpnum("NO")}));
  tables("100001:Refused:NO:\n", "");
  EXPECT_EQ(0, num_groups);
}

TEST_F(Tables, CompanyLinesAreParsedAndJoinUpToFiveGroupsByPrefix) {
  tables(some_groups + std::string("3:Teachers:TEACH:\n"),
         "# comment\nAB:Alpha Beta Corp:S:N:TECH,DRUG:950310-12500:\nCD:Charlie:S:A:te:960101-5:\n"
         "EF:Echo:M:O::970202-7:\nGH:Golf:S:N:DRUG,,TECH,NOSUCH,:980303-9:\nNOEND:No final colon:S:N:TECH:950310-1\n"
         "NODASH:No dash:S:N::950310:\nSHORT:Too few fields:S:\nOK2:Blank groups:S:N: TECH:950310-2:trailing text\n"
         "\n"  // a blank line does not end the table
         "OK3:::::000103-3:\nOK4:Six groups:S:N:TELE,TECH,DRUG,TEA,DR,TEL:950310-4:\n");
  ASSERT_EQ(7, num_companys);
  const CompanyRec& ab = find_co("AB");
  EXPECT_STREQ("Alpha Beta Corp", ab.name);
  EXPECT_EQ((std::array<long, 5>{'S', 'N', 950310, 12500, day_key(1995, 3, 10)}),
            (std::array<long, 5>{ab.type, ab.market, ab.dateshares, ab.shares, ab.sharestime}));
  struct { const char* sym; int groups[5]; } joined[] = {
      {"AB", {1, 2, 0}},
      {"CD", {1, 0}},            // TE: the lowest group in use beginning with it
      {"EF", {0}},
      {"GH", {2, 1, 0}},         // an empty code is none, an unknown one leaves its slot empty
      {"OK2", {0}},              // a group field starting with a blank is ignored
      {"OK4", {10, 1, 2, 3, 2}}};  // the sixth code is ignored
  for (auto j : joined)
    for (int s = 0; s < 5; ++s) EXPECT_EQ(j.groups[s], find_co(j.sym).group[s]) << j.sym << " slot " << s;
  const CompanyRec& ok3 = find_co("OK3");
  EXPECT_EQ((std::array<long, 4>{' ', ' ', 103, day_key(2000, 1, 3)}),
            (std::array<long, 4>{ok3.type, ok3.market, ok3.dateshares, ok3.sharestime}));
  // TEL, the sixth code of OK4, is not counted in group 10.
  EXPECT_EQ((std::array{4, 4, 1, 4, 4}),
            (std::array{groups[1].count, groups[2].count, groups[10].count, maxgrpcnt, int(grplist.size())}));
  for (const char* dropped : {"NOEND", "NODASH", "SHORT"}) EXPECT_EQ(&nocompany, &find_co(dropped)) << dropped;
}

TEST_F(Tables, SymbolKeysOrderTheTableAndFindEverySymbol) {
  EXPECT_LT(symbol_key("ZZZZ"), symbol_key("AAAAA"));  // shorter symbols first
  // Symbols of six or more characters wrap; keys 2^31 apart must still sort
  // and be found. Longer symbols are cut to the field.
  std::string lines;
  std::vector<std::string> syms = {"A", "IBM", "ZZZZZ", "ABCDEF", "ZZZZZZZ", "XYZW.A", "BRK.B", "Q", "AAAAAAAA"};
  for (const std::string& s : syms) lines += s + ":" + s + " Inc:S:N::950101-1:\n";
  tables("", lines + "ABCDEFGHIJKLMNOPQRST:Long:S:N::950101-1:\n");
  ASSERT_EQ(static_cast<int>(syms.size()) + 1, num_companys);
  for (int i = 1; i < num_companys; ++i) EXPECT_LE(companys[i - 1].key, companys[i].key);
  for (const std::string& s : syms) EXPECT_STREQ(s.c_str(), find_co(s.c_str()).symbol) << s;
  EXPECT_STREQ("Long", find_co("ABCDEFGH").name);

  EXPECT_EQ(&nocompany, &find_co("XYZ"));  // unknown: nocompany, carrying the symbol
  EXPECT_EQ((std::array<std::string, 2>{"XYZ", "ABCDEFGH"}),
            (std::array<std::string, 2>{nocompany.symbol, find_co("ABCDEFGHIJKLMNOPQRSX").symbol}));
  copy_text(generaldir, "nosuchdir");  // no files: empty tables that find nothing
  initial_groups(), initial_companys();
  EXPECT_EQ(0, num_groups + num_companys + maxgrpcnt);
  EXPECT_EQ(&nocompany, &find_co("A"));
}

// ---- groups from the configuration file ----

class ConfigGroups : public MarketTest {
 protected:
  // The trace of reading the tables after the first pass over `config`.
  std::string start(const std::string& config) {
    configure_from(config);
    return traced([&] {
      tables("1:Tech:TECH:\n2:Drugs:DRUG:\n10:Tele:TELE:\n",
             "XX:X:S:N:TECH:950101-1:\nYY:Y:S:N::950101-1:\nZ:Z:S:N:TECH,DRUG,TELE,TECH,DRUG:950101-1:\n"
             "Q:Q:S:N::950101-1:\n");
    });
  }
};

TEST_F(ConfigGroups, GroupLinesCreateGroupsInTheFreeSlotsUntilTheSpaceIsFull) {
  start("group = ENERGY XX  YY Z NOSUCH\ngroup=SMALL Q\ngroup=MINE Z\n");
  EXPECT_EQ((std::array<std::string, 2>{"ENERGY", "ENERGY"}), (std::array<std::string, 2>{groups[3].code, groups[3].name}));
  // XX and YY join ENERGY; Z has no free slot and keeps its groups; unknown
  // members join nothing; one-character members are words.
  EXPECT_EQ((std::array{3, 3, 2, 0, 4}), (std::array{find_co("XX").group[1], find_co("YY").group[0], find_co("Z").group[4],
                                                     nocompany.group[0], find_co("Q").group[0]}));
  EXPECT_EQ((std::array{3, 2, 4, 1, 5, 0}),
            (std::array{groups[3].num, groups[3].count, groups[4].num, groups[4].count, groups[5].num, groups[5].count}));
  EXPECT_EQ((std::array{0, 3}), (std::array{grpcnt, maxgrpcnt}));  // all created; TECH: XX and Z twice
  std::string config = "group=ENERGY\n";
  for (int i = 0; i < 8; ++i) config += "group=G" + std::to_string(i) + " XX\n";
  std::string trace = start(config);
  EXPECT_NE(std::string::npos, trace.find("msg=create_group: invalid group (ENERGY)\n"));
  for (int n = 3; n <= 9; ++n) EXPECT_EQ(n, groups[n].num);
  EXPECT_EQ((std::array<std::string, 2>{"G0", "G6"}), (std::array<std::string, 2>{groups[3].code, groups[9].code}));
  EXPECT_NE(std::string::npos, trace.find("msg=create_group: group space full\n"));
}

// The group lines send the file through a second pass, which must leave
// what the command line set after the first one.
TEST_F(ConfigGroups, TheSecondPassOnlyCreatesGroups) {
  std::string err = configure_from("background = red\nwidth = 50\nmvavgdays = 9\ngroup = MINE XX\nno equals sign\n");
  width = 80;  // as -width 80 and -bg blue would
  set_color_name(colors_vr, COLOR_BACKGROUND, "blue");
  mvavgdays = 30;
  testing::internal::CaptureStderr();
  tables("1:Tech:TECH:\n3:Oil:OIL:\n", "XX:X:S:N::950101-1:\n");
  EXPECT_EQ("", testing::internal::GetCapturedStderr());  // the bad line was reported once, by the first pass
  EXPECT_NE(std::string::npos, err.find("no equals sign"));
  EXPECT_EQ((std::array{80, 30, 2}), (std::array{width, mvavgdays, find_grpnum("MINE")}));
  EXPECT_STREQ("blue", colors_vr[COLOR_BACKGROUND].name);
}

}  // namespace

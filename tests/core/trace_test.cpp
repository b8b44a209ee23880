// The trace log and the status line.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "core/core.h"
#include "support/fixtures.h"
#include "support/run.h"
#include "ui/draw.h"
#include "ui/ui.h"

namespace {

class TraceLog : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    prepare_trace_stamp();
    lasttime = 0;
  }
};

int traced_routine(int x) {
  Trace t("traced_routine", "x=%d", x);
  if (x > 0) return x;  // an early return still writes the exit line
  t.set_result("rc=%d", -1);
  return -1;
}

TEST_F(TraceLog, LevelZeroWritesNothingButCountsDepth) {
  testing::internal::CaptureStdout();
  {
    Trace outer("outer");
    EXPECT_EQ(1, stkind);
    {
      Trace inner("inner", "a=%d", 1);
      EXPECT_EQ(2, stkind);
    }
    EXPECT_EQ(1, stkind);
  }
  EXPECT_EQ(0, stkind);
  EXPECT_EQ("", testing::internal::GetCapturedStdout());
}

TEST_F(TraceLog, EntryAndExitLinesCarryStampDepthNameAndArguments) {
  debuglvl = 1;
  testing::internal::CaptureStdout();
  traced_routine(5);
  traced_routine(0);
  std::vector<std::string> lines = split_lines(testing::internal::GetCapturedStdout());
  ASSERT_EQ(4u, lines.size());
  std::regex stamp("^([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9] (.*)$");
  std::vector<std::string> bodies;
  for (const std::string& l : lines) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(l, m, stamp)) << l;
    bodies.push_back(m[2]);
  }
  EXPECT_EQ("1-> traced_routine(x=5)", bodies[0]);
  EXPECT_EQ("1<- traced_routine()", bodies[1]);
  EXPECT_EQ("1-> traced_routine(x=0)", bodies[2]);
  EXPECT_EQ("1<- traced_routine(rc=-1)", bodies[3]);
  EXPECT_EQ(0, stkind);
}

TEST_F(TraceLog, ArgumentTextIsNeverUsedAsAFormat) {
  debuglvl = 1;
  testing::internal::CaptureStdout();
  { Trace t("status", "msg=%s", "100%s %n %d"); }
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(std::string::npos, out.find("1-> status(msg=100%s %n %d)\n"));
}

TEST_F(TraceLog, AnOverlongLineIsCutAndStillEndsTheLine) {
  debuglvl = 1;
  std::string arg(2000, 'a');
  testing::internal::CaptureStdout();
  { Trace t("long", "text=%s", arg.c_str()); }
  std::vector<std::string> lines = split_lines(testing::internal::GetCapturedStdout());
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ(510u, lines[0].size());
  EXPECT_EQ("1<- long()", lines[1].substr(9));
}

TEST_F(TraceLog, TheStampIsTheLocalTimeOfDay) {
  debuglvl = 1;
  time_t before = time(nullptr);
  testing::internal::CaptureStdout();
  { Trace t("now"); }
  std::string out = testing::internal::GetCapturedStdout();
  time_t after = time(nullptr);
  char a[16], b[16];
  struct tm lt;
  strftime(a, sizeof a, "%H:%M:%S", localtime_r(&before, &lt));
  strftime(b, sizeof b, "%H:%M:%S", localtime_r(&after, &lt));
  std::string s = out.substr(0, 8);
  EXPECT_TRUE(s == a || s == b) << s;
}

TEST_F(TraceLog, SwitchingTraceOnSetsTheMenuDepth) {
  testing::internal::CaptureStdout();
  fn_trace();
  EXPECT_EQ(1, debuglvl);
  EXPECT_EQ(2, stkind);  // 3 inside fn_trace, one less after its exit line
  fn_trace();
  EXPECT_EQ(0, debuglvl);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(std::string::npos, out.find(" 3<- fn_trace()\n"));
  EXPECT_NE(std::string::npos, out.find(" 3-> fn_trace()\n"));
}

// ---- status line ----

class StatusLine : public SettingsTest {
 protected:
  RecordingWindow window;
  DrawRecorder& rec = window.rec;
  void TearDown() override {
    KD_StatusWin = 0;
    SettingsTest::TearDown();
  }
};

TEST_F(StatusLine, AMessageIsPrefixedWithModuleAndLine) {
  KD_StatusWin = 42;
  status("load", 123, "load_day_stock: unknown symbol XYZ");
  ASSERT_EQ(3u, rec.ops.size());
  EXPECT_EQ(DrawOp::Kind::Fill, rec.ops[0].kind);
  EXPECT_EQ(Role::GC0, rec.ops[0].role);
  EXPECT_EQ(602, rec.ops[0].w);
  EXPECT_EQ(26, rec.ops[0].h);
  const DrawOp* prefix = rec.find_text("file load: line 123:");
  ASSERT_NE(nullptr, prefix);
  EXPECT_EQ(0, prefix->x);
  EXPECT_EQ(13, prefix->y);
  EXPECT_EQ(Role::Graph, prefix->role);
  const DrawOp* msg = rec.find_text("load_day_stock: unknown symbol XYZ");
  ASSERT_NE(nullptr, msg);
  EXPECT_EQ(21 * 6, msg->x);  // after the 20-character prefix and a blank
  EXPECT_EQ(42u, msg->win);
}

TEST_F(StatusLine, AnEmptyMessageOnlyClears) {
  KD_StatusWin = 42;
  status("fn", 37, "");
  ASSERT_EQ(1u, rec.ops.size());
  EXPECT_EQ(DrawOp::Kind::Fill, rec.ops[0].kind);
}

TEST_F(StatusLine, AClosedStatusWindowDrawsNothingButTraces) {
  debuglvl = 1;
  testing::internal::CaptureStdout();
  status("event", 7, "keypress: XMakeNamedColor failed");
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(rec.ops.empty());
  EXPECT_NE(std::string::npos,
            out.find("1-> status(module=event, linenum=7, msg=keypress: XMakeNamedColor failed)"));
}

// ---- the real binary ----

TEST(TraceOfTheProgram, LevelOneTracesStartUpFromTheFirstLine) {
  TempDir dir;
  RunOptions o;
  o.cwd = dir.path();
  o.env = {"HOME=" + dir.path()};
  RunResult r = run_program(kadmer_bin(), {"-t", "1", "-d", ":none"}, o);
  EXPECT_EQ(1, r.status);
  std::vector<std::string> lines = split_lines(r.out);
  ASSERT_GE(lines.size(), 8u);
  std::regex line("^[0-2][0-9]:[0-5][0-9]:[0-5][0-9] ([0-9]+)(->|<-) (.*)$");
  std::vector<std::string> seen;
  for (const std::string& l : lines) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(l, m, line)) << l;
    seen.push_back(m[1].str() + m[2].str() + " " + m[3].str());
  }
  EXPECT_EQ("1-> kadmer(argc=5, argv[0]=" + kadmer_bin() +
                ",  argv[1]=-t,  argv[2]=1,  argv[3]=-d,  argv[4]=:none)",
            seen[0]);
  EXPECT_EQ("1-> kadmer: debuglvl=1", seen[1]);
  EXPECT_EQ("2-> initial_vars()", seen[2]);
  EXPECT_EQ("2<- initial_vars()", seen[3]);
  EXPECT_EQ("2-> parse_config(mode=0 argc=5)", seen[4]);
  std::vector<std::string> tail(seen.end() - 7, seen.end());
  EXPECT_EQ((std::vector<std::string>{"2-> parse_args(argc=5)", "2<- parse_args()", "2-> initial_groups()",
                                      "2<- initial_groups()", "2-> initial_companys()", "2<- initial_companys()",
                                      "2-> initial_graph()"}),
            tail);
  EXPECT_EQ("kadmer: XOpenDisplay failed\n", r.err);
}

TEST(TraceOfTheProgram, NoTraceWithoutTheOptionOrWithATrailingT) {
  TempDir dir;
  RunOptions o;
  o.cwd = dir.path();
  o.env = {"HOME=" + dir.path()};
  for (auto args : {std::vector<std::string>{"-d", ":none"}, std::vector<std::string>{"-d", ":none", "-t"}}) {
    RunResult r = run_program(kadmer_bin(), args, o);
    EXPECT_EQ("", r.out);
    EXPECT_EQ(1, r.status);
  }
}

}  // namespace

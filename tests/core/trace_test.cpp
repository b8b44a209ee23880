// The trace log and the status line.

#include "support/fixtures.h"

#include <regex>

namespace {

using TraceLog = SettingsTest;

int traced_routine(int x) {
  Trace t("traced_routine", "x=%d", x);
  if (x > 0) return x;  // an early return still writes the exit line
  t.set_result("rc=%d", -1);
  return -1;
}

TEST_F(TraceLog, LinesCarryTheLocalTimeDepthNameAndArgumentsAndTheStatusLineItsModuleAndLine) {
  RecordingWindow window;
  prepare_trace_stamp();
  lasttime = 0;
  EXPECT_EQ("", traced([] { traced_routine(1); }, 0));
  time_t now = time(nullptr);
  std::string out = traced([] {
    Trace outer("outer");
    traced_routine(5);
    traced_routine(0);
    Trace t("status", "msg=%s", "100%s %n %d");
  });
  EXPECT_EQ(0, stkind);
  std::regex stamp("^([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9] (.*)$");
  std::string bodies;
  for (const std::string& l : split_lines(out)) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(l, m, stamp)) << l;
    bodies += m[2].str() + "\n";
  }
  EXPECT_EQ("1-> outer()\n2-> traced_routine(x=5)\n2<- traced_routine()\n2-> traced_routine(x=0)\n"
            "2<- traced_routine(rc=-1)\n2-> status(msg=100%s %n %d)\n2<- status()\n1<- outer()\n",
            bodies);
  char hms[2][16];
  struct tm lt;
  for (int i : {0, 1}) strftime(hms[i], sizeof hms[i], "%H:%M:%S", localtime_r(&(now += i), &lt));
  EXPECT_TRUE(out.substr(0, 8) == hms[0] || out.substr(0, 8) == hms[1]) << out.substr(0, 8);

  std::vector<std::string> cut = split_lines(traced([] { Trace t("long", "text=%s", std::string(2000, 'a').c_str()); }));
  EXPECT_TRUE(cut.size() == 2 && cut[0].size() == 510);  // an overlong line is cut and still ends the line

  DrawRecorder& rec = window.rec;
  install_status_window();
  KD_StatusWin = 42;  // the status line
  status("load", 123, "load_day_stock: unknown symbol XYZ");
  ASSERT_EQ(3u, rec.ops.size());  // cleared first
  EXPECT_EQ((std::array{0, 0, 602, 26, int(Role::GC0)}),
            (std::array{rec.ops[0].x, rec.ops[0].y, rec.ops[0].w, rec.ops[0].h, int(rec.ops[0].role)}));
  const DrawOp* prefix = rec.find_text("file load: line 123:");
  const DrawOp* msg = rec.find_text("load_day_stock: unknown symbol XYZ");
  ASSERT_TRUE(prefix && msg);
  // The message follows the 20-character prefix and a blank.
  EXPECT_EQ((std::array<long, 6>{0, 13, 21 * 6, 13, int(Role::Graph), 42}),
            (std::array<long, 6>{prefix->x, prefix->y, msg->x, msg->y, int(msg->role), long(msg->win)}));
  rec.ops.clear();
  status("fn", 37, "");  // an empty message only clears
  EXPECT_TRUE(rec.ops.size() == 1 && rec.ops[0].kind == DrawOp::Kind::Fill);
  file_report("load", 9, "days/s951205 is not a regular file");  // shown instead of a clear until the next load
  for (bool forgotten : {false, true}) {
    rec.ops.clear();
    status("query", 1, "");
    EXPECT_EQ(forgotten, !rec.find_text("days/s951205 is not a regular file"));
    forget_file_reports();
  }
  EXPECT_STREQ("", last_status);
  rec.ops.clear();
  KD_StatusWin = 0;
  status_sink = nullptr;
  out = traced([] { status("event", 7, "keypress: XMakeNamedColor failed"); });
  EXPECT_TRUE(rec.ops.empty() && std::string(last_status) == "keypress: XMakeNamedColor failed");
  EXPECT_NE(std::string::npos, out.find("1-> status(module=event, linenum=7, msg=keypress: XMakeNamedColor failed)"));
}

TEST(TraceOfTheProgram, LevelOneTracesFromTheFirstLineAndOnlyWithTheOption) {
  TempDir dir;
  RunResult r = run_program(KADMER_BIN, {"-t", "1", "-d", ":none"}, in_dir(dir.path()));
  EXPECT_EQ((std::tuple{1, std::string("kadmer: XOpenDisplay failed\n")}), (std::tuple{r.status, r.err}));
  std::vector<std::string> lines = split_lines(r.out);
  ASSERT_GE(lines.size(), 8u);  // from the program's own entry to where the display fails
  EXPECT_EQ((std::array<std::string, 2>{"1-> kadmer(argc=5, argv[0]=", "2-> initial_graph()"}),
            (std::array{lines[0].substr(9, 27), lines.back().substr(9)}));
  for (const std::vector<std::string>& args : {std::vector<std::string>{"-d", ":none"}, {"-d", ":none", "-t"}}) {
    r = run_program(KADMER_BIN, args, in_dir(dir.path()));
    EXPECT_EQ((std::array{1, 0}), (std::array{r.status, static_cast<int>(r.out.size())}));
  }
}

}  // namespace

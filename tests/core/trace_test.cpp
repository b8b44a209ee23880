// The trace log and the status line.

#include "support/fixtures.h"

namespace {

using TraceLog = SettingsTest;

int traced_routine(int x) {
  Trace t("traced_routine", "x=%d", x);
  if (x > 0) return x;  // an early return still writes the exit line
  t.set_result("rc=%d", -1);
  return -1;
}

TEST_F(TraceLog, LinesCarryTheLocalTimeDepthNameAndArgumentsAndStatusMessagesReachTheirSink) {
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
            "2<- traced_routine(rc=-1)\n2-> status(msg=100%s %n %d)\n2<- status()\n1<- outer()\n", bodies);
  char hms[2][16];
  struct tm lt;
  for (int i : {0, 1}) strftime(hms[i], sizeof hms[i], "%H:%M:%S", localtime_r(&(now += i), &lt));
  EXPECT_TRUE(out.substr(0, 8) == hms[0] || out.substr(0, 8) == hms[1]) << out.substr(0, 8);

  std::vector<std::string> cut = split_lines(traced([] { Trace t("long", "text=%s", std::string(2000, 'a').c_str()); }));
  EXPECT_TRUE(cut.size() == 2 && cut[0].size() == 510);  // an overlong line is cut and still ends the line
  EXPECT_EQ(std::string(1023, 'b'), traced([] { dump("%s", std::string(2000, 'b').c_str()); }));  // cut, without its NUL
  EXPECT_EQ(std::string(246, 'f'), traced([] { debug(std::string(300, 'f').c_str(), 0); }).substr(9));  // a format, to its buffer

  // A skipped file is shown instead of an empty message until the next load.
  static std::vector<std::string> shown;
  status_sink = [](const char* module, int line, const char* msg) {
    shown.push_back(std::string(module) + ":" + std::to_string(line) + ":" + msg);
  };
  out = traced([] { status("event", 7, "keypress: XMakeNamedColor failed"); });
  EXPECT_STREQ("keypress: XMakeNamedColor failed", last_status);
  file_report("load", 9, "days/s951205 is not a regular file");
  for (int i = 0; i < 2; ++i, forget_file_reports()) status("query", 1, "");
  status_sink = nullptr;
  EXPECT_EQ((std::vector<std::string>{"event:7:keypress: XMakeNamedColor failed", "load:9:days/s951205 is not a regular file",
                                      "query:1:days/s951205 is not a regular file", "query:1:"}), shown);
  EXPECT_STREQ("", last_status);
  EXPECT_NE(std::string::npos, out.find("1-> status(module=event, linenum=7, msg=keypress: XMakeNamedColor failed)"));
}

}  // namespace

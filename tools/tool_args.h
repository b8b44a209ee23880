// What the headless tools share: reading option values, dates in the two
// forms a script has at hand, and start-up without a display.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"

namespace tool {

extern const char* const name;        // the tool's name, for its messages
extern const char* const usage_text;  // its options

// Prints why and the usage text, ends with status 2.
[[noreturn]] inline void usage(const char* why) {
  std::fprintf(stderr, "%s: %s\n%s", name, why, usage_text);
  std::exit(2);
}

inline int int_arg(const char* text, int lo, int hi, const char* what) {
  char* end;
  long v = std::strtol(text, &end, 10);
  if (end == text || *end || v < lo || v > hi) usage(what);
  return static_cast<int>(v);
}

// A date as YYYY-MM-DD or YYMMDD (two-digit years: 69..99 are 19xx).
inline void date_arg(const char* text, int* ymd) {
  int y = 0, m = 0, d = 0;
  char tail;
  if (std::sscanf(text, "%4d-%2d-%2d%c", &y, &m, &d, &tail) == 3 && std::strlen(text) == 10) {
  } else if (std::strlen(text) == 6 && std::strspn(text, "0123456789") == 6) {
    int v = std::atoi(text);
    y = full_year(v / 10000);
    m = v / 100 % 100;
    d = v % 100;
  } else {
    usage("a date is YYYY-MM-DD or YYMMDD");
  }
  if (!valid_date(y, m, d) || y < 1969 || y > 2068) usage("no such date");
  ymd[0] = y;
  ymd[1] = m;
  ymd[2] = d;
}

// Text for a fixed field: a longer one is refused, since cut it would name
// something else (LONGSYMBOLXYZ would be LONGSYMB).
inline const char* whole_text(const char* text, std::size_t size, const char* what) {
  if (std::strlen(text) >= size)
    usage((std::string(what) + " \"" + text + "\" is longer than " + std::to_string(size - 1) + " characters").c_str());
  return text;
}

// The command line word by word: --help prints the usage and ends; a
// switch goes to take_switch (true when it took it), a word that does not
// begin with `prefix` to take_word, an option with the word after it to
// take_value.
template <typename Switch, typename Word, typename Value>
void each_option(int argc, char** argv, const char* prefix, Switch take_switch, Word take_word, Value take_value) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help") {
      std::fputs(usage_text, stdout);
      std::exit(0);
    }
    if (take_switch(a)) continue;
    if (a.rfind(prefix, 0) != 0) {
      take_word(argv[i]);
      continue;
    }
    if (i + 1 >= argc) usage("an option lacks its value");
    take_value(a, argv[++i]);
  }
}

// The end of a tool's output on standard output (or `what` opened there):
// 0, or 1 with the reason when it could not all be written (a full disk);
// `failed` the errno of a write that failed before.
inline int output_written(int failed = 0, const char* what = "standard output") {
  if (!failed && std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
  std::fprintf(stderr, "%s: can not write %s: %s\n", name, what, std::strerror(failed ? failed : errno));
  return 1;
}

inline void check_config(const char* path) {
  if (!path) return;
  whole_text(path, sizeof config_file, "the settings file");
  std::string problem;
  int fd = open_regular(path, &problem);
  if (fd < 0) usage((problem.empty() ? std::string("can not read ") + path : problem).c_str());
  close(fd);
}

// Start-up as the program's, without a display: settings and the
// configuration file, then the group and company tables. A data file a
// reader skips is named on standard error.
inline void settings(const char* config) {
  std::signal(SIGXFSZ, SIG_IGN);  // a write beyond the size limit fails with its reason instead of ending the tool
  file_report_hook = [](const char* msg) { std::fprintf(stderr, "%s: %s\n", name, msg); };
  prepare_trace_stamp();
  if (config) copy_text(config_file, config);
  initial_vars();
  parse_config(0, 0, nullptr);
}

inline void start(const char* config) {
  settings(config);
  initial_groups();
  initial_companys();
}

}  // namespace tool

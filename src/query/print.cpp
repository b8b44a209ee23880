// The writers of printed lists: each is a child process that the program
// does not wait for; finished ones are collected and reported on the
// status line: how many lines went where, or why they did not.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/core.h"
#include "query/query.h"

namespace {

struct Writer {
  pid_t pid;
  std::string path;
  int lines;  // -1: not known
};
std::vector<Writer> writers;
int next_lines = -1;

// Where the lines went, in words: a file by its whole name.
std::string destination(const std::string& path) {
  if (path == "stdout") return "standard output";
  if (path == "stderr") return "standard error";
  return whole_path(path);
}

}  // namespace

int print_writers;

void print_will_write(int lines) { next_lines = lines; }

void print_started(long pid, const char* path) {
  writers.push_back({static_cast<pid_t>(pid), destination(path), next_lines});
  next_lines = -1;
  ++print_writers;
}

void reap_print_children() {
  for (std::size_t i = 0; i < writers.size();) {
    int st = 0;
    pid_t r = waitpid(writers[i].pid, &st, WNOHANG);
    if (r == 0) {
      ++i;
      continue;
    }
    if (r > 0 && WIFEXITED(st) && WEXITSTATUS(st) == 0 && writers[i].lines >= 0) {
      std::snprintf(statusbuf, sizeof statusbuf, "print: %d lines written to %s", writers[i].lines,
                    writers[i].path.c_str());
      status("print", __LINE__, statusbuf);
    } else if (r > 0 && WIFEXITED(st) && WEXITSTATUS(st) != 0) {
      std::snprintf(statusbuf, sizeof statusbuf, "do_print: write %s errno=%d", writers[i].path.c_str(),
                    WEXITSTATUS(st));
      status("print", __LINE__, statusbuf);
    } else if (r > 0 && WIFSIGNALED(st)) {
      std::snprintf(statusbuf, sizeof statusbuf, "do_print: write %s signal=%d", writers[i].path.c_str(),
                    WTERMSIG(st));
      status("print", __LINE__, statusbuf);
    }
    writers.erase(writers.begin() + static_cast<long>(i));
  }
}

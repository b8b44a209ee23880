// The writers of printed lists: each is a child process that the program
// does not wait for; finished ones are collected, and a failed one is
// reported on the status line.
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/core.h"
#include "query/query.h"

namespace {

struct Writer {
  pid_t pid;
  std::string path;
};
std::vector<Writer> writers;

}  // namespace

void print_started(long pid, const char* path) { writers.push_back({static_cast<pid_t>(pid), path}); }

void reap_print_children() {
  for (std::size_t i = 0; i < writers.size();) {
    int st = 0;
    pid_t r = waitpid(writers[i].pid, &st, WNOHANG);
    if (r == 0) {
      ++i;
      continue;
    }
    if (r > 0 && WIFEXITED(st) && WEXITSTATUS(st) != 0) {
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
